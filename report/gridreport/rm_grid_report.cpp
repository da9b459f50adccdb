#include "report/gridreport/rm_grid_report.h"

#include "report/engine/rm_dataset.h"
#include "report/engine/rm_report.h"
#include "report/gridreport/rm_control_printers.h"
#include "report/preview/surface/rm_preview.h"

#include <QSettings>

namespace pq {

namespace {

// Names of enumerated values as the settings file spells them.
const QStringList kOrientations{QStringLiteral("poPortrait"), QStringLiteral("poLandscape")};
const QStringList kScaleModes{QStringLiteral("rmsmAdjust"), QStringLiteral("rmsmFit")};
const QStringList kZooms{QStringLiteral("pzDefault"), QStringLiteral("pzPageWidth"), QStringLiteral("pzOnePage"),
    QStringLiteral("pzTwoPages")};
const QStringList kReportTypes{QStringLiteral("rtSimple"), QStringLiteral("rtMultiple")};
const QStringList kPreviewButtons{QStringLiteral("pbZoom"), QStringLiteral("pbLoad"), QStringLiteral("pbSave"),
    QStringLiteral("pbPrint"), QStringLiteral("pbFind"), QStringLiteral("pbPageSetup"), QStringLiteral("pbExit"),
    QStringLiteral("pbDesign"), QStringLiteral("pbSaveToXLS"), QStringLiteral("pbSuperExp")};

QStringList SetNames(unsigned bits, const QStringList& names)
{
    QStringList out;
    for (int i = 0; i < names.size(); ++i)
        if (bits & (1u << i))
            out << names[i];
    return out;
}

// Reads keys into properties; what cannot be read is kept and noted.
class Reader {
public:
    explicit Reader(QSettings& s) : m_s(s) {}

    void Int(const QString& key, int& into)
    {
        if (!m_s.contains(key))
            return;
        bool ok = false;
        const int v = m_s.value(key).toString().trimmed().toInt(&ok);
        if (ok)
            into = v;
        else
            Bad(key);
    }
    template <class Setter>
    void IntVia(const QString& key, Setter set)
    {
        if (!m_s.contains(key))
            return;
        bool ok = false;
        const int v = m_s.value(key).toString().trimmed().toInt(&ok);
        if (ok)
            set(v);
        else
            Bad(key);
    }
    void Bool(const QString& key, bool& into)
    {
        if (!m_s.contains(key))
            return;
        const QString t = m_s.value(key).toString().trimmed().toLower();
        if (t == QLatin1String("true") || t == QLatin1String("1"))
            into = true;
        else if (t == QLatin1String("false") || t == QLatin1String("0"))
            into = false;
        else
            Bad(key);
    }
    void Text(const QString& key, QString& into)
    {
        if (m_s.contains(key))
            into = m_s.value(key).toString();
    }
    void Lines(const QString& key, QStringList& into)
    {
        if (m_s.contains(key))
            into = m_s.value(key).toStringList();
    }
    void Enum(const QString& key, const QStringList& names, int& into)
    {
        if (!m_s.contains(key))
            return;
        const qsizetype i = names.indexOf(m_s.value(key).toString().trimmed(), 0);
        if (i >= 0)
            into = static_cast<int>(i);
        else
            Bad(key);
    }
    // A set written as the names of its members.
    bool Set(const QString& key, const QStringList& names, unsigned& into)
    {
        if (!m_s.contains(key))
            return false;
        unsigned bits = 0;
        for (const QString& name : m_s.value(key).toStringList()) {
            const QString n = name.trimmed();
            if (n.isEmpty())
                continue;
            const qsizetype i = names.indexOf(n);
            if (i < 0) {
                Bad(key);
                return false;
            }
            bits |= 1u << i;
        }
        into = bits;
        return true;
    }
    void FontValue(const QString& key, QFont& into)
    {
        if (!m_s.contains(key))
            return;
        QFont f;
        if (f.fromString(m_s.value(key).toString()))
            into = f;
        else
            Bad(key);
    }

    QStringList problems;

private:
    void Bad(const QString& key)
    {
        problems << QStringLiteral("%1: \"%2\" cannot be read; the value stays as it was")
                        .arg(m_s.group().isEmpty() ? key : m_s.group() + QLatin1Char('/') + key, m_s.value(key).toString());
    }

    QSettings& m_s;
};

QStringList OptionNames()
{
    QStringList names;
    for (int i = 0; i < kGridReportOptionCount; ++i)
        names << RMGridReportOptionName(i);
    return names;
}

void SaveCaption(QSettings& s, const QString& group, const TRMPageHeaderFooter& c)
{
    s.beginGroup(group);
    s.setValue(QStringLiteral("Caption"), c.Caption());
    s.setValue(QStringLiteral("Height"), c.Height());
    s.endGroup();
}

void LoadCaption(QSettings& s, Reader& r, const QString& group, TRMPageHeaderFooter& c)
{
    s.beginGroup(group);
    QStringList lines = c.Caption();
    r.Lines(QStringLiteral("Caption"), lines);
    c.SetCaption(lines);
    r.IntVia(QStringLiteral("Height"), [&c](int v) { c.SetHeight(v); });
    s.endGroup();
}

} // namespace

TRMCustomGridReport::TRMCustomGridReport(QObject* owner)
    : QObject(owner)
    , m_groups(this)
    , m_pageHeader(this)
    , m_pageFooter(this)
    , m_columnFooter(this)
{
}

TRMCustomGridReport::~TRMCustomGridReport()
{
    FreeKeptPrinters();
    // The report and its data set live on the engine's hidden form; they go with the grid
    // report while that form is still there.
    delete m_reportDataSet.data();
    delete m_report.data();
}

void TRMCustomGridReport::SaveSettings(QSettings& s) const
{
    s.setValue(QStringLiteral("ReportOptions"), SetNames(ReportOptions.Bits(), OptionNames()));

    const TRMPageLayout& p = m_pageLayout;
    s.beginGroup(QStringLiteral("PageLayout"));
    s.setValue(QStringLiteral("pgSize"), p.pgSize);
    s.setValue(QStringLiteral("LeftMargin"), p.LeftMargin);
    s.setValue(QStringLiteral("TopMargin"), p.TopMargin);
    s.setValue(QStringLiteral("RightMargin"), p.RightMargin);
    s.setValue(QStringLiteral("BottomMargin"), p.BottomMargin);
    s.setValue(QStringLiteral("Columns"), p.Columns);
    s.setValue(QStringLiteral("ColumnSpace"), p.ColumnSpace);
    s.setValue(QStringLiteral("Height"), p.Height);
    s.setValue(QStringLiteral("Width"), p.Width);
    s.setValue(QStringLiteral("pgOr"), kOrientations.value(p.pgOr, kOrientations[0]));
    s.setValue(QStringLiteral("pgBin"), p.pgBin);
    s.setValue(QStringLiteral("PrinterName"), p.PrinterName);
    s.setValue(QStringLiteral("DoublePass"), p.DoublePass);
    s.setValue(QStringLiteral("PrintBackColor"), p.PrintBackColor);
    s.setValue(QStringLiteral("Title"), p.Title);
    s.endGroup();

    SaveCaption(s, QStringLiteral("PageHeader"), m_pageHeader);
    SaveCaption(s, QStringLiteral("PageFooter"), m_pageFooter);
    SaveCaption(s, QStringLiteral("ColumnFooter"), m_columnFooter);

    s.beginGroup(QStringLiteral("ScaleMode"));
    s.setValue(QStringLiteral("CenterOnPageH"), m_scaleMode.CenterOnPageH);
    s.setValue(QStringLiteral("CenterOnPageV"), m_scaleMode.CenterOnPageV);
    s.setValue(QStringLiteral("FitPageWidth"), m_scaleMode.FitPageWidth);
    s.setValue(QStringLiteral("FitPageHeight"), m_scaleMode.FitPageHeight);
    s.setValue(QStringLiteral("ScaleMode"), kScaleModes.value(m_scaleMode.ScaleMode, kScaleModes[1]));
    s.setValue(QStringLiteral("ScaleFactor"), m_scaleMode.ScaleFactor);
    s.endGroup();

    const TRMMasterDataBandOptions& m = m_masterDataBandOptions;
    s.beginGroup(QStringLiteral("MasterDataBandOptions"));
    s.setValue(QStringLiteral("LinesPerPage"), m.LinesPerPage);
    s.setValue(QStringLiteral("Columns"), m.Columns);
    s.setValue(QStringLiteral("ColumnWidth"), m.ColumnWidth);
    s.setValue(QStringLiteral("ColumnGap"), m.ColumnGap);
    s.setValue(QStringLiteral("NewPageAfter"), m.NewPageAfter);
    s.setValue(QStringLiteral("Height"), m.Height);
    s.endGroup();

    s.beginGroup(QStringLiteral("GridNumOptions"));
    s.setValue(QStringLiteral("Text"), m_gridNumOptions.Text);
    s.setValue(QStringLiteral("Number"), m_gridNumOptions.Number());
    s.endGroup();

    s.beginGroup(QStringLiteral("GridFontOptions"));
    s.setValue(QStringLiteral("UseCustomFontSize"), m_gridFontOptions.UseCustomFontSize);
    s.setValue(QStringLiteral("Font"), m_gridFontOptions.Font.toString());
    s.endGroup();

    s.setValue(QStringLiteral("InitialZoom"), kZooms.value(InitialZoom, kZooms[0]));
    s.setValue(QStringLiteral("PreviewButtons"), SetNames(static_cast<unsigned>(PreviewButtons), kPreviewButtons));
    s.setValue(QStringLiteral("ReportType"), kReportTypes.value(ReportType, kReportTypes[0]));
    s.setValue(QStringLiteral("ShowProgress"), ShowProgress);
    s.setValue(QStringLiteral("ReportTitle"), ReportTitle);
    s.setValue(QStringLiteral("ShowPrintDialog"), ShowPrintDialog);
    s.setValue(QStringLiteral("ModifyPrepared"), ModifyPrepared);
    s.setValue(QStringLiteral("AutoBooleanString"), AutoBooleanString);
    s.setValue(QStringLiteral("ShowMasterData"), ShowMasterData);
    s.setValue(QStringLiteral("PageHeaderOnly1"), PageHeaderOnly1);
}

QStringList TRMCustomGridReport::LoadSettings(QSettings& s)
{
    Reader r(s);
    unsigned options = ReportOptions.Bits();
    if (r.Set(QStringLiteral("ReportOptions"), OptionNames(), options))
        ReportOptions = TRMGridReportOptions(options);

    TRMPageLayout& p = m_pageLayout;
    s.beginGroup(QStringLiteral("PageLayout"));
    r.Int(QStringLiteral("pgSize"), p.pgSize);
    r.Int(QStringLiteral("LeftMargin"), p.LeftMargin);
    r.Int(QStringLiteral("TopMargin"), p.TopMargin);
    r.Int(QStringLiteral("RightMargin"), p.RightMargin);
    r.Int(QStringLiteral("BottomMargin"), p.BottomMargin);
    r.Int(QStringLiteral("Columns"), p.Columns);
    r.Int(QStringLiteral("ColumnSpace"), p.ColumnSpace);
    r.Int(QStringLiteral("Height"), p.Height);
    r.Int(QStringLiteral("Width"), p.Width);
    r.Enum(QStringLiteral("pgOr"), kOrientations, p.pgOr);
    r.Int(QStringLiteral("pgBin"), p.pgBin);
    r.Text(QStringLiteral("PrinterName"), p.PrinterName);
    r.Bool(QStringLiteral("DoublePass"), p.DoublePass);
    r.Bool(QStringLiteral("PrintBackColor"), p.PrintBackColor);
    r.Text(QStringLiteral("Title"), p.Title);
    s.endGroup();

    LoadCaption(s, r, QStringLiteral("PageHeader"), m_pageHeader);
    LoadCaption(s, r, QStringLiteral("PageFooter"), m_pageFooter);
    LoadCaption(s, r, QStringLiteral("ColumnFooter"), m_columnFooter);

    s.beginGroup(QStringLiteral("ScaleMode"));
    r.Bool(QStringLiteral("CenterOnPageH"), m_scaleMode.CenterOnPageH);
    r.Bool(QStringLiteral("CenterOnPageV"), m_scaleMode.CenterOnPageV);
    r.Bool(QStringLiteral("FitPageWidth"), m_scaleMode.FitPageWidth);
    r.Bool(QStringLiteral("FitPageHeight"), m_scaleMode.FitPageHeight);
    r.Enum(QStringLiteral("ScaleMode"), kScaleModes, m_scaleMode.ScaleMode);
    r.Int(QStringLiteral("ScaleFactor"), m_scaleMode.ScaleFactor);
    s.endGroup();

    TRMMasterDataBandOptions& m = m_masterDataBandOptions;
    s.beginGroup(QStringLiteral("MasterDataBandOptions"));
    r.Int(QStringLiteral("LinesPerPage"), m.LinesPerPage);
    r.Int(QStringLiteral("Columns"), m.Columns);
    r.Int(QStringLiteral("ColumnWidth"), m.ColumnWidth);
    r.Int(QStringLiteral("ColumnGap"), m.ColumnGap);
    r.Bool(QStringLiteral("NewPageAfter"), m.NewPageAfter);
    r.Int(QStringLiteral("Height"), m.Height);
    s.endGroup();

    s.beginGroup(QStringLiteral("GridNumOptions"));
    r.Text(QStringLiteral("Text"), m_gridNumOptions.Text);
    r.IntVia(QStringLiteral("Number"), [this](int v) { m_gridNumOptions.SetNumber(v); });
    s.endGroup();

    s.beginGroup(QStringLiteral("GridFontOptions"));
    r.Bool(QStringLiteral("UseCustomFontSize"), m_gridFontOptions.UseCustomFontSize);
    r.FontValue(QStringLiteral("Font"), m_gridFontOptions.Font);
    s.endGroup();

    r.Enum(QStringLiteral("InitialZoom"), kZooms, InitialZoom);
    unsigned buttons = static_cast<unsigned>(PreviewButtons);
    if (r.Set(QStringLiteral("PreviewButtons"), kPreviewButtons, buttons))
        PreviewButtons = static_cast<int>(buttons);
    r.Enum(QStringLiteral("ReportType"), kReportTypes, ReportType);
    r.Bool(QStringLiteral("ShowProgress"), ShowProgress);
    r.Text(QStringLiteral("ReportTitle"), ReportTitle);
    r.Bool(QStringLiteral("ShowPrintDialog"), ShowPrintDialog);
    r.Bool(QStringLiteral("ModifyPrepared"), ModifyPrepared);
    r.Text(QStringLiteral("AutoBooleanString"), AutoBooleanString);
    r.Bool(QStringLiteral("ShowMasterData"), ShowMasterData);
    r.Bool(QStringLiteral("PageHeaderOnly1"), PageHeaderOnly1);
    return r.problems;
}

TRMFormReport::TRMFormReport(QObject* owner)
    : TRMCustomGridReport(owner)
{
}

TRMFormReport::~TRMFormReport() = default;

void TRMFormReport::SaveSettings(QSettings& s) const
{
    TRMCustomGridReport::SaveSettings(s);
    s.beginWriteArray(QStringLiteral("Groups"), m_groups.Count());
    for (int i = 0; i < m_groups.Count(); ++i) {
        s.setArrayIndex(i);
        s.setValue(QStringLiteral("GroupFieldName"), m_groups[i].GroupFieldName);
        s.setValue(QStringLiteral("FormNewPage"), m_groups[i].FormNewPage);
    }
    s.endArray();
    s.setValue(QStringLiteral("GridFixedCols"), GridFixedCols);
}

QStringList TRMFormReport::LoadSettings(QSettings& s)
{
    QStringList problems = TRMCustomGridReport::LoadSettings(s);
    Reader r(s);
    if (s.childGroups().contains(QStringLiteral("Groups"))) {
        // A stored list of groups replaces the levels the report had.
        const int n = s.beginReadArray(QStringLiteral("Groups"));
        m_groups.Clear();
        for (int i = 0; i < n; ++i) {
            s.setArrayIndex(i);
            TRMGroupItem& item = m_groups.Add();
            r.Text(QStringLiteral("GroupFieldName"), item.GroupFieldName);
            r.Bool(QStringLiteral("FormNewPage"), item.FormNewPage);
        }
        s.endArray();
    }
    r.Int(QStringLiteral("GridFixedCols"), GridFixedCols);
    return problems + r.problems;
}

} // namespace pq
