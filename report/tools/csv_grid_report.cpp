#include "report/tools/csv_grid_report.h"

#include "base/client_dataset.h"
#include "base/data_source.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rm_report.h"
#include "report/gridreport/rm_grid_report.h"
#include "report/tools/report_data.h"
#include "widgets/db_grid_mt.h"

#include <QFontMetrics>
#include <QLocale>

#include <algorithm>
#include <stdexcept>

namespace pq {

namespace {

constexpr int kMinColumnWidth = 24;
constexpr int kMaxColumnWidth = 360;

bool IsNumberColumn(const ClientDataSet& data, int field)
{
    bool any = false;
    for (int r = 0; r < data.RecordCount(); ++r) {
        const QString t = data.ValueAt(r, field).isNull() ? QString() : data.ValueAt(r, field).toText().trimmed();
        if (t.isEmpty())
            continue;
        bool ok = false;
        QLocale::c().toDouble(t, &ok);
        if (!ok)
            return false;
        any = true;
    }
    return any;
}

} // namespace

QString RMRtfText(const QString& text)
{
    QString out;
    for (QChar ch : text) {
        const ushort u = ch.unicode();
        if (u == '\\' || u == '{' || u == '}')
            out += QLatin1Char('\\') + QString(ch);
        else if (u == '\n')
            out += QStringLiteral("\\line ");
        else if (u < 0x20)
            continue;
        else if (u < 0x80)
            out += ch;
        else
            out += QStringLiteral("\\u%1?").arg(static_cast<short>(u));
    }
    return out;
}

TRMCsvGridReport::TRMCsvGridReport()
{
    m_form.setObjectName(QStringLiteral("frmCsvGrid"));
    m_form.resize(2000, 600);
    m_source = new TDataSource(&m_form);
    m_grid = new TDBGridMT(&m_form);
    m_grid->setObjectName(QStringLiteral("dgdCsv"));
    m_grid->SetDataSource(m_source);
    m_report = new TRMFormReport(&m_form);
}

TRMCsvGridReport::~TRMCsvGridReport()
{
    delete m_report;
}

TRMReport& TRMCsvGridReport::Prepare(const QByteArray& csv, const QString& fileName, const TRMCsvGridOptions& options,
    QStringList& warnings)
{
    m_data = RMReadCsv(csv, fileName, warnings);
    m_data->SetOwnerAndName(&m_form, QStringLiteral("cdsCsv"));
    m_data->First();
    m_source->SetDataSet(m_data.get());

    TDBGridMT& g = *m_grid;
    QFont cellFont(QStringLiteral("宋体"));
    cellFont.setPointSize(9);
    QFont titleFont = cellFont;
    titleFont.setBold(true);
    g.setFont(cellFont);
    g.SetTitleFont(titleFont);
    g.ClearColumns();
    g.SetOptions(g.Options() | dgTitles | dgColLines | dgRowLines);
    g.SetUseMultiTitle(true);
    const QFontMetrics cells(cellFont), titles(titleFont);
    g.SetDefaultRowHeight(cells.height() + 2);
    for (int f = 0; f < m_data->FieldCount(); ++f) {
        const QString caption = m_data->Field(f).name;
        int width = titles.horizontalAdvance(caption.section(QLatin1Char('|'), -1));
        for (int r = 0; r < m_data->RecordCount(); ++r)
            width = std::max(width, cells.horizontalAdvance(m_data->ValueAt(r, f).isNull() ? QString() : m_data->ValueAt(r, f).toText()));
        TColumnMT& c = g.AddColumn(caption, caption, std::clamp(width + 8, kMinColumnWidth, kMaxColumnWidth));
        if (IsNumberColumn(*m_data, f))
            c.Alignment = taRightJustify;
        c.Title.Alignment = taCenter;
    }
    g.ColumnsChanged();
    int width = 0;
    for (int i = 0; i < g.ColumnCount(); ++i)
        width += g.Column(i).Width + 1;
    g.setGeometry(0, 0, width + 2, g.TitleRowHeight() + 40);

    TRMFormReport& r = *m_report;
    r.PrintControl = m_grid;
    r.GridFixedCols = options.FixedColumns;
    r.ShowProgress = false;
    r.ShowPrintDialog = false;
    r.ReportTitle = options.Title.isEmpty() ? fileName : options.Title;
    r.ReportOptions = TRMGridReportOptions{rmgoWordWrap, rmgoGridLines, rmgoDoubleFrame, rmgoDisableControls};
    // Titles and page numbers on every page of a long table.
    r.PageHeaderOnly1 = true;
    r.PageLayout().DoublePass = true;
    const QString head = QStringLiteral("{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimHei;}"
                                        "{\\f1\\fnil\\fcharset134 SimSun;}}");
    QStringList header{head, QStringLiteral("\\viewkind4\\uc1")};
    if (!options.Title.isEmpty())
        header << QStringLiteral("\\pard\\qc\\f0\\fs32 %1\\par").arg(RMRtfText(options.Title));
    header << QStringLiteral("\\pard\\f1\\fs8\\par") << QStringLiteral("}");
    r.PageHeader().SetCaption(header);
    RMSetPageNumberFooter(r);
    return RMBuildAndPrepare(r);
}

void RMSetPageNumberFooter(TRMFormReport& r)
{
    r.PageFooter().SetCaption({QStringLiteral("{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}"),
        QStringLiteral("\\viewkind4\\uc1\\pard\\qc\\f0\\fs18 %1\\par").arg(RMRtfText(QStringLiteral("第[Page#]页/共[TotalPages#]页"))),
        QStringLiteral("}")});
}

TRMReport& RMBuildAndPrepare(TRMFormReport& r)
{
    if (!r.BuildReport())
        throw std::runtime_error("the grid report could not be built");
    TRMReport& report = *r.Report();
    if (!RMPrepareReport(report))
        throw std::runtime_error("the report could not be prepared");
    return report;
}

} // namespace pq
