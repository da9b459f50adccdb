// The scriptable surface of every view class and of the page, recorded: what
// RegisterProperties lists (names, type words, enumerations, in order), and what reading
// and writing each name over a table of values gives. The record in data/ was taken from
// the hand-written accessors; any dropped, renamed, reordered or differently converted
// property shows up as a changed line. PQ_WRITE_PROPERTY_SURFACE=1 rewrites the record.
#include "report/engine/rm_band.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

#include <functional>

using namespace pq;

namespace {

// Every name any class answers, the aliases, the shared font and list names, names in
// other cases than the tables spell them, and names nobody knows.
const char* const kViewNames[] = {
    "Name", "Left", "Top", "Width", "Height", "Flags", "IsPrinting", "FrameTyp", "FrameWidth",
    "FrameColor", "FrameStyle", "FillColor", "Tag", "BandAlign", "PrintFrame", "PrintVisible",
    "Visible", "Memo", "Memo1", "Restrictions", "Gapx", "Gapy", "Stretched", "DataField",
    "OnBeforePrint", "OnAfterPrint",
    "LeftFrame.Visible", "LeftFrame.Width", "LeftFrame.Color", "LeftFrame.Style",
    "TopFrame.Visible", "TopFrame.Width", "TopFrame.Color", "TopFrame.Style",
    "RightFrame.Visible", "RightFrame.Width", "RightFrame.Color", "RightFrame.Style",
    "BottomFrame.Visible", "BottomFrame.Width", "BottomFrame.Color", "BottomFrame.Style",
    "LeftFrame.Other", "Frame.Width", "LeftFrame",
    "Font", "Font.Name", "Font.Size", "Font.Style", "Font.Color", "Font.Charset", "Alignment",
    "Layout", "DisplayFormat", "Highlight", "LineSpacing", "CharSpacing", "Wordwrap",
    "AutoWidth", "TextOnly", "Suppress", "HideZeros", "Lines.Count", "Lines1.Count",
    "Underlines", "RTLReading", "WordBreak", "MangeTag", "CalcValue", "MergeRepeated",
    "LastValue", "RotationType", "ScaleFontSize", "ScaleFontType", "FontScaleWidth",
    "PrintAtAppendBlank", "DataFieldOnly", "ValueChanged", "MasterMemoView",
    "Memo.Count", "Memo1.Count", "OnBeforePrint.Count", "OnAfterPrint.Count", "Script.Count",
    " 标题", " 货币符号", " 数字位数", " 小数点位数", " 分割线宽度", " 分割线颜色",
    " 千位分割线颜色", " 小数点分割线颜色", "标题",
    "ChildBand", "PrintChildIfInvisible", "FormNewPage", "PrintIfSubsetEmpty", "Breaked",
    "OnFirstPage", "OnLastPage", "RepeatHeader", "RepeatHeader1", "DataSource", "Columns",
    "ColumnWidth", "ColumnGap", "NewColumnAfter", "LinesPerPage", "GroupsPerPage",
    "PrintColFirst", "RangeBegin", "RangeEnd", "RangeEndCount", "PrintIfEmpty",
    "NewPageCondition", "PrintAtDesignPos", "AdjustColumns", "AutoAppendBlank", "RowNo",
    "RowCount", "EOF", "Condition", "Master",
    "SubPage", "Center", "KeepAspect", "Transparent", "BlobType", "Shape", "PenMode",
    "CheckStyle", "CheckColor",
    "left", "bandAlign", "LINESPERPAGE", "groupsperpage", "font.size", "leftframe.width",
    "NoSuchThing", "", ".", "Visible.Count",
};

const char* const kPageNames[] = {
    "Type", "Visible", "BorderStyle", "Caption", "Color", "Left", "Top", "Width", "Height",
    "Position", "OnActivate", "Size", "LeftMargin", "TopMargin", "RightMargin", "BottomMargin",
    "Orientation", "PrintToPrevPage", "Columns", "ColumnGap", "OnBeforePrint", "BackGround",
    "BackGroundLeft", "BackGroundTop", "AutoHCenter", "PrintPagePerPage", "Objects.Count",
    "ShowBackPicture", "Script", "Script.Count", "OnActivate.Count", "Font.Size",
    "leftmargin", "NoSuchThing",
};

std::vector<Variant> Values()
{
    return {Variant::FromInt(3), Variant::FromInt(-1), Variant::FromInt(70000), Variant("12"),
        Variant("abc"), Variant("TRUE"), Variant::FromFloat(2.5), Variant::FromBool(true),
        Variant::Null()};
}

QString Show(const Variant& v)
{
    switch (v.type()) {
    case Variant::Type::Empty: return QStringLiteral("empty");
    case Variant::Type::Null: return QStringLiteral("null");
    case Variant::Type::Integer: return QStringLiteral("I:") + v.toText();
    case Variant::Type::Byte: return QStringLiteral("Y:") + v.toText();
    case Variant::Type::Float: return QStringLiteral("F:") + v.toText();
    case Variant::Type::Currency: return QStringLiteral("C:") + v.toText();
    case Variant::Type::DateTime: return QStringLiteral("D:") + v.toText();
    case Variant::Type::Boolean: return QStringLiteral("B:") + v.toText();
    case Variant::Type::String: {
        QString t = v.toText();
        t.replace(QLatin1Char('\r'), QLatin1String("\\r")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
        return QStringLiteral("S:\"") + t + QLatin1Char('"');
    }
    default: return QStringLiteral("other");
    }
}

template <class Names>
QString Fingerprint(TRMObject& o, const Names& names)
{
    QString all;
    for (const char* n : names)
        all += Show(o.GetPropValue(QString::fromUtf8(n))) + QLatin1Char('\n');
    // While preparing, a band's geometry names read its run-time band: the design fields
    // and the run-time band's both count.
    if (const auto* v = dynamic_cast<const TRMView*>(&o)) {
        all += QStringLiteral("%1 %2 %3 %4 %5\n")
                   .arg(v->Left).arg(v->Top).arg(v->Width).arg(v->Height).arg(v->Visible);
        if (const auto* b = dynamic_cast<const TRMBandView*>(v); b && b->RunBand) {
            const TRMBand& rt = *b->RunBand;
            all += QStringLiteral("%1 %2 %3 %4 %5\n")
                       .arg(rt.Left).arg(rt.CurTop).arg(rt.Width).arg(rt.Height).arg(rt.Visible);
        }
    }
    return QString::fromLatin1(
        QCryptographicHash::hash(all.toUtf8(), QCryptographicHash::Md5).toHex().left(8));
}

void Listing(QTextStream& out, TRMObject& o)
{
    o.RegisterProperties();
    for (const TRMPropRec& rec : o.PropList()) {
        out << "  list " << rec.Name << " type=" << rec.DataType;
        if (!rec.EnumNames.isEmpty() || !rec.EnumValues.isEmpty()) {
            out << " enum=" << rec.EnumNames.join(QLatin1Char(';')) << " values=";
            for (const Variant& v : rec.EnumValues)
                out << Show(v) << ',';
        }
        out << '\n';
    }
}

// Each write goes to a fresh object so that one line depends on nothing before it.
template <class Names>
void Surface(QTextStream& out, const std::function<std::unique_ptr<TRMObject>()>& make,
    const Names& names)
{
    for (const char* name : names) {
        const QString n = QString::fromUtf8(name);
        auto fresh = make();
        out << "  [" << n << "] " << Show(fresh->GetPropValue(n)) << " #" << Fingerprint(*fresh, names);
        for (const Variant& value : Values()) {
            auto o = make();
            o->SetPropValue(n, value);
            out << " | " << Show(value) << "->" << Show(o->GetPropValue(n)) << " #" << Fingerprint(*o, names);
        }
        out << '\n';
    }
}

struct ViewClass {
    const char* name;
    std::function<std::unique_ptr<TRMView>()> make;
};

const ViewClass kClasses[] = {
    {"TRMMemoView", [] { return std::make_unique<TRMMemoView>(); }},
    {"TRMCalcMemoView", [] { return std::make_unique<TRMCalcMemoView>(); }},
    {"TRMMoneyView", [] { return std::make_unique<TRMMoneyView>(); }},
    {"TRMDiagonalView", [] { return std::make_unique<TRMDiagonalView>(); }},
    {"TRMLineView", [] { return std::make_unique<TRMLineView>(); }},
    {"TRMRichView", [] { return std::make_unique<TRMRichView>(); }},
    {"TRMBandView", [] { return std::make_unique<TRMBandView>(); }},
    {"TRMSubReportView", [] { return std::make_unique<TRMSubReportView>(); }},
    {"TRMPictureView", [] { return std::make_unique<TRMPictureView>(); }},
    {"TRMShapeView", [] { return std::make_unique<TRMShapeView>(); }},
    {"TRMCheckBoxView", [] { return std::make_unique<TRMCheckBoxView>(); }},
    {"TRMRegionView", [] { return std::make_unique<TRMRegionView>(); }},
};

// A band view whose run-time band is current while the report is prepared: geometry and
// visibility address the run-time band, the row names its data set.
struct PreparingBand : TRMBandView {
    TRMUserDataset rows;
    std::unique_ptr<TRMBand> band;
    PreparingBand()
    {
        Top = 40;
        Height = 20;
        band = std::make_unique<TRMBand>(nullptr, this);
        band->Left = 5;
        band->CurTop = 60;
        band->Width = 300;
        band->Height = 25;
        rows.RangeEnd = reCount;
        rows.RangeEndCount = 4;
        rows.First();
        rows.Next();
        band->DataSet = &rows;
    }
    ~PreparingBand() override { band.reset(); }
};

class PreparingScope {
public:
    explicit PreparingScope(TRMReport* report) : m_scope(report)
    {
        m_was = RMEngineState().Preparing;
        RMEngineState().Preparing = true;
    }
    ~PreparingScope() { RMEngineState().Preparing = m_was; }

private:
    TRMCurrentScope m_scope;
    bool m_was = false;
};

QString Record()
{
    QString text;
    QTextStream out(&text);
    for (const ViewClass& c : kClasses) {
        out << "== " << c.name << '\n';
        Listing(out, *c.make());
        Surface(out, [&c] { return std::unique_ptr<TRMObject>(c.make()); }, kViewNames);
    }

    out << "== TRMBandView while preparing\n";
    TRMReport report;
    {
        PreparingScope preparing(&report);
        auto make = [] { return std::unique_ptr<TRMObject>(std::make_unique<PreparingBand>()); };
        Surface(out, make, kViewNames);
    }

    out << "== TRMPage\n";
    TRMPage listed(9, 2100, 2970, poPortrait, -1);
    Listing(out, listed);
    auto page = [] {
        return std::unique_ptr<TRMObject>(std::make_unique<TRMPage>(9, 2100, 2970, poPortrait, -1));
    };
    Surface(out, page, kPageNames);
    out << "== TRMPage while preparing\n";
    {
        PreparingScope preparing(&report);
        Surface(out, page, kPageNames);
    }
    out.flush();
    return text;
}

} // namespace

TEST(PropertySurface, EveryClassListsReadsAndWritesAsRecorded)
{
    const QString path = QStringLiteral(PQ_ENGINE_TEST_DATA "/property_surface.txt");
    const QString now = Record();
    if (qEnvironmentVariableIsSet("PQ_WRITE_PROPERTY_SURFACE")) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(now.toUtf8());
        GTEST_SKIP() << "record written to " << path.toStdString();
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QStringList expected = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    const QStringList actual = now.split(QLatin1Char('\n'));
    // Line by line, so a failure names the class section and the property.
    QString section;
    const qsizetype common = std::min(expected.size(), actual.size());
    int reported = 0;
    for (qsizetype i = 0; i < common && reported < 20; ++i) {
        if (expected[i].startsWith(QLatin1String("== ")))
            section = expected[i];
        if (expected[i] != actual[i]) {
            ADD_FAILURE() << section.toStdString() << " line " << i + 1 << "\n  recorded: "
                          << expected[i].toStdString() << "\n  now:      " << actual[i].toStdString();
            ++reported;
        }
    }
    EXPECT_EQ(expected.size(), actual.size());
}
