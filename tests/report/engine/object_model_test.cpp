#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_view_factory.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

using namespace pq;

namespace {

std::unique_ptr<TRMReport> ReportWithPage()
{
    auto r = std::make_unique<TRMReport>();
    r->Pages.Add(9, 2100, 2970, poPortrait, -1);
    return r;
}

} // namespace

// ---- defaults ----

TEST(ViewDefaults, EveryClassByTypeCode)
{
    struct Row {
        int typ;
        const char* baseName;
        int flags;
        int objectVersion, memoVersion;
        bool selected;
    };
    const Row rows[] = {
        {gtMemo, "Memo", flMemoHideZeros, 10, 12, true},
        {gtPicture, "Picture", TRMPictureView::flPictStretched | TRMPictureView::flPictKeepAspect, 10, 0, true},
        {gtBand, "Band", flBandOnFirstPage | flBandOnLastPage | flBandPrintColFirst, 0, 0, false},
        {gtSubReport, "SubReport", 0, 10, 0, true},
        {gtLine, "Line", 0, 10, 0, true},
        {gtCalcMemo, "CalcMemo", flMemoHideZeros, 10, 12, true},
        {gtMoney, "MoneyMemo", flMemoHideZeros, 10, 12, true},
        {gtRegion, "Region", 0, 10, 0, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typ);
        auto v = RMCreateObject(r.typ);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->Typ, r.typ);
        EXPECT_EQ(v->BaseName, QString::fromLatin1(r.baseName));
        EXPECT_EQ(v->Flags, r.flags);
        EXPECT_EQ(v->ObjectVersion, r.objectVersion);
        EXPECT_EQ(v->MemoVersion, r.memoVersion);
        EXPECT_EQ(v->Selected, r.selected);
        EXPECT_EQ(v->Gapx, 2);
        EXPECT_EQ(v->Gapy, 2);
        EXPECT_DOUBLE_EQ(v->ScaleX, 1.0);
        EXPECT_TRUE(v->Visible);
        EXPECT_EQ(v->BandAlign, baNone);
        EXPECT_EQ(v->Format, 0x200 + '.');
        EXPECT_EQ(v->Restrictions, 0);
        // A band's 0x0400 is PrintColFirst, not PrintFrame; its 0x0800 is RepeatHeader1.
        if (r.typ != gtBand) {
            EXPECT_FALSE(v->HasFlag(flPrintFrame));
        }
        EXPECT_FALSE(v->HasFlag(flPrintVisible));
    }
}

TEST(ViewDefaults, CodesSixAndNineCreateNothing)
{
    EXPECT_EQ(RMCreateObject(6), nullptr);
    EXPECT_EQ(RMCreateObject(9), nullptr);
    EXPECT_EQ(RMCreateObject(42), nullptr);
}

TEST(ViewDefaults, FrameFillAndLine)
{
    TRMMemoView memo;
    for (TRMFrameLine* f : memo.Frames()) {
        EXPECT_FALSE(f->Visible);
        EXPECT_EQ(f->Style, psSolid);
        EXPECT_EQ(f->Color, 0u);
        EXPECT_FLOAT_EQ(f->Width, 1.0f);
    }
    EXPECT_EQ(memo.FillColor, kNoColor);
    EXPECT_EQ(memo.Font.Name, "Arial");
    EXPECT_EQ(memo.Font.Size, 10);
    EXPECT_EQ(memo.Font.Charset, 134);
    EXPECT_EQ(memo.LineSpacing, 2);
    EXPECT_FALSE(memo.Stretched());
    EXPECT_FALSE(memo.HasFlag(flMemoWordwrap));

    TRMLineView line;
    EXPECT_TRUE(line.LeftFrame.Visible);
    EXPECT_FALSE(line.TopFrame.Visible || line.RightFrame.Visible || line.BottomFrame.Visible);
    EXPECT_EQ(line.FillColor, 0xFFFFFFu);

    TRMCalcMemoView calc;
    EXPECT_EQ(calc.ResetAfterPrint, 1);
    EXPECT_EQ(calc.CalcType, rmdcSum);
    EXPECT_FALSE(calc.Stretched());
    EXPECT_TRUE(RMConstants().Exists("rmdcUser"));

    TRMBandView band;
    EXPECT_EQ(band.Columns, 1);
    EXPECT_EQ(band.ColumnWidth, 200);
    EXPECT_EQ(band.ColumnGap, 20);
    EXPECT_EQ(band.NewColumnAfter, 1);
    EXPECT_EQ(band.RangeBegin, rbDefault);
    EXPECT_EQ(band.RangeEnd, reDefault);
    EXPECT_EQ(band.LinesPerPage, 0);

    TRMMoneyView money;
    EXPECT_EQ(money.Digits, 12);
    EXPECT_EQ(money.Decimals, 2);
    EXPECT_EQ(money.IntegerPlaceNames.size(), 15);
    EXPECT_EQ(money.DecimalLineColor, 255u);
}

TEST(PageDefaults, DesignFieldsAndLimits)
{
    TRMPage page(9, 2100, 2970, poPortrait, 0xFFFF);
    EXPECT_EQ(page.PrnWidth, 210000);
    EXPECT_EQ(page.PrnHeight, 297000);
    EXPECT_EQ(page.PageBin, -1);
    EXPECT_EQ(page.LeftMargin, 15000);
    EXPECT_EQ(page.TopMargin, 20000);
    EXPECT_EQ(page.RightMargin, 15000);
    EXPECT_EQ(page.BottomMargin, 20000);
    EXPECT_EQ(page.Visible, 1);
    EXPECT_EQ(page.ShowBackPicture, 1);
    EXPECT_EQ(page.Caption, "Form");
    EXPECT_EQ(page.Left, 220);
    EXPECT_EQ(page.Top, 180);
    EXPECT_EQ(page.Width, 380);
    EXPECT_EQ(page.Height, 300);
    EXPECT_EQ(page.BorderStyle, bsDialog);
    EXPECT_EQ(page.Position, poScreenCenter);
    // A4 at 96 dpi: 210 mm × 96 × 0.03937 ≈ 794 px; 15 mm ≈ 57 px.
    EXPECT_EQ(page.PrinterInfo.PageWidth, 794);
    EXPECT_EQ(page.LeftLimit(), 57);
    EXPECT_EQ(page.RightLimit(), 794 - 57);
}

TEST(PageDefaults, LandscapeSwapsTheSheet)
{
    TRMPage page(9, 2100, 2970, poLandscape, 1);
    EXPECT_GT(page.PrinterInfo.PageWidth, page.PrinterInfo.PageHeight);
    EXPECT_EQ(page.PageBin, 1);
}

TEST(ReportDefaults, PublishedProperties)
{
    TRMReport r;
    EXPECT_EQ(r.DefaultCopies, 1);
    EXPECT_TRUE(r.DefaultCollate);
    EXPECT_EQ(r.InitialZoom, pzDefault);
    EXPECT_FALSE(r.MDIPreview);
    EXPECT_TRUE(r.ModalPreview);
    EXPECT_TRUE(r.PrintIfEmpty);
    EXPECT_EQ(r.ReportType, rtSimple);
    EXPECT_TRUE(r.ShowPrintDialog);
    EXPECT_TRUE(r.ShowProgress);
    EXPECT_FALSE(r.StoreInDFM);
    EXPECT_FALSE(r.SaveReportOptions.AutoLoadSaveSetting);
    EXPECT_TRUE(r.SaveReportOptions.UseRegistry);
    EXPECT_EQ(r.SaveReportOptions.RegistryPath, "Pagequill\\ReportSettings\\");
    EXPECT_FALSE(r.OnGetValue);
    TRMCompositeReport c;
    EXPECT_EQ(c.CompositeMode, rmReportPerReport);
    EXPECT_FALSE(c.ShowPreparedReports);
}

// ---- frames ----

TEST(Frames, FrameTypSetsTheFourSides)
{
    struct Row { int typ; bool left, top, right, bottom; };
    const Row rows[] = {
        {15, true, true, true, true}, {5, true, false, true, false}, {0, false, false, false, false},
        {frTop, false, true, false, false}, {frBottom, false, false, false, true},
    };
    for (const Row& r : rows) {
        TRMMemoView m;
        m.SetPropValue("FrameTyp", Variant::FromInt(r.typ));
        EXPECT_EQ(m.LeftFrame.Visible, r.left) << r.typ;
        EXPECT_EQ(m.TopFrame.Visible, r.top) << r.typ;
        EXPECT_EQ(m.RightFrame.Visible, r.right) << r.typ;
        EXPECT_EQ(m.BottomFrame.Visible, r.bottom) << r.typ;
        EXPECT_EQ(m.GetPropValue("frametyp").toInt(), r.typ);
    }
}

TEST(Frames, TenByteRecordRoundTrips)
{
    TRMFrameLine f;
    f.Visible = true;
    f.Style = psDash | kFrameDoubleBit;
    f.Color = 0x00FF8040;
    f.Width = 1.5f;
    const QByteArray b = f.ToBytes();
    ASSERT_EQ(b.size(), 10);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(static_cast<unsigned char>(b[1]), 0x11);
    EXPECT_EQ(static_cast<unsigned char>(b[2]), 0x40); // colour little-endian
    TRMFrameLine g;
    ASSERT_TRUE(g.FromBytes(b));
    EXPECT_EQ(g, f);
    EXPECT_TRUE(g.IsDouble());
    EXPECT_FALSE(g.FromBytes(b.left(9)));
}

// ---- properties ----

TEST(Properties, NamesCompareUpperCased)
{
    TRMMemoView m;
    struct Row { const char* set; const char* get; int value; };
    const Row rows[] = {
        {"left", "LEFT", 12}, {"Top", "top", 7}, {"WIDTH", "Width", 90}, {"gapx", "GapX", 5},
        {"font.size", "FONT.SIZE", 14}, {"Font.Color", "font.color", 255},
        {"LeftFrame.Style", "LEFTFRAME.STYLE", 2}, {"bandalign", "BandAlign", baRest},
        {"Alignment", "ALIGNMENT", 2}, {"Layout", "layout", 1},
    };
    for (const Row& r : rows) {
        m.SetPropValue(r.set, Variant::FromInt(r.value));
        EXPECT_EQ(m.GetPropValue(r.get).toInt(), r.value) << r.set;
    }
    EXPECT_EQ(m.Left, 12);
    EXPECT_EQ(m.Font.Color, 255u);
}

TEST(Properties, UnknownNamesDoNothingAndReadNull)
{
    TRMMemoView m;
    m.SetPropValue("NoSuchThing", Variant::FromInt(5));
    EXPECT_TRUE(m.GetPropValue("NoSuchThing").isNull());
    EXPECT_TRUE(m.DoMethod("NOSUCHMETHOD", {}).isNull());
    m.SetPropValue("BandAlign", Variant::FromInt(42)); // out of range: ignored
    EXPECT_EQ(m.BandAlign, baNone);
}

TEST(Properties, FontStyleBitsAndStringLists)
{
    TRMMemoView m;
    m.SetPropValue("Font.Style", Variant::FromInt(TRMFont::fsBold | TRMFont::fsUnderline));
    EXPECT_EQ(m.Font.Style, 6);
    m.DoMethod("Memo.Add", {Variant("a")});
    m.DoMethod("MEMO.ADD", {Variant("b")});
    EXPECT_EQ(m.GetPropValue("Memo.Count").toInt(), 2);
    EXPECT_EQ(m.DoMethod("memo.indexof", {Variant("b")}).toInt(), 1);
    m.DoMethod("SETINDEXPROPERTY", {Variant("Memo"), Variant::FromInt(3), Variant("d")});
    EXPECT_EQ(m.Memo, (QStringList{"a", "b", "", "d"}));
    EXPECT_EQ(m.DoMethod("GETINDEXPROPERTY", {Variant("memo"), Variant::FromInt(1)}).toText(), "b");
    EXPECT_TRUE(m.DoMethod("GETINDEXPROPERTY", {Variant("memo"), Variant::FromInt(9)}).isNull());
    m.DoMethod("Memo.Delete", {Variant::FromInt(0)});
    EXPECT_EQ(m.Memo.first(), "b");
    m.DoMethod("Memo.Clear", {});
    EXPECT_TRUE(m.Memo.isEmpty());
    m.SetPropValue("DataField", Variant("[frm.cds.\"f\"]"));
    EXPECT_EQ(m.Memo, QStringList{"[frm.cds.\"f\"]"});
}

TEST(Properties, HideShowAndFrameGroup)
{
    TRMMemoView m;
    m.DoMethod("hide", {});
    EXPECT_FALSE(m.Visible);
    m.DoMethod("Show", {});
    EXPECT_TRUE(m.Visible);
    m.SetPropValue("FrameWidth", Variant::FromFloat(2.0));
    m.SetPropValue("FrameStyle", Variant::FromInt(psDouble));
    for (TRMFrameLine* f : m.Frames()) {
        EXPECT_FLOAT_EQ(f->Width, 2.0f);
        EXPECT_TRUE(f->IsDouble());
    }
}

TEST(Properties, PropertyTableFindsCaseInsensitively)
{
    TRMBandView b;
    b.RegisterProperties();
    ASSERT_NE(b.FindProp("rangebegin"), nullptr);
    EXPECT_EQ(b.FindProp("RANGEBEGIN")->EnumNames, (QStringList{"rbFirst", "rbCurrent", "rbDefault"}));
    b.DelProp("RangeBegin");
    EXPECT_EQ(b.FindProp("RangeBegin"), nullptr);
}

// ---- property tables ----

namespace {

// A base and a derived object with tables of their own, to watch the chaining rules.
struct TTableBase : TRMObject {
    int A = 1, B = 2;
    QString Note;
    const TRMPropTable* PropTable() const override
    {
        using P = TRMProps<TTableBase>;
        static const TRMPropTable table(nullptr, TRMPropTable::TListing::WithBase,
            {P::Int(QStringLiteral("A"), &TTableBase::A).List(rmdtInteger),
                P::Int(QStringLiteral("B"), &TTableBase::B).List(rmdtSize),
                P::Text(QStringLiteral("Note"), &TTableBase::Note)});
        return &table;
    }
};

template <TRMPropTable::TListing Listing>
struct TTableDerived : TTableBase {
    int C = 3;
    const TRMPropTable* PropTable() const override
    {
        using P = TRMProps<TTableDerived>;
        static const TRMPropTable table(TTableBase::PropTable(), Listing,
            {P::Int(QStringLiteral("C"), &TTableDerived::C).List(rmdtInteger),
                // Reads B doubled; writing B stays the base's.
                P::ReadOnly(QStringLiteral("b"), [](TTableDerived& d) { return Variant::FromInt(d.B * 2); }),
                // Listed here as an enumeration, in the base's place.
                P::ListingOf(QStringLiteral("A")).ListEnum(QStringLiteral("x;y"),
                    {Variant::FromInt(0), Variant::FromInt(1)})});
        return &table;
    }
};

QStringList Listed(TRMObject& o)
{
    o.RegisterProperties();
    QStringList out;
    for (const TRMPropRec& r : o.PropList())
        out << QStringLiteral("%1:%2:%3").arg(r.Name).arg(r.DataType).arg(r.EnumNames.join(QLatin1Char(';')));
    return out;
}

} // namespace

TEST(PropertyTables, DerivedRowsComeFirstAndAccessWithoutARowIsTheBases)
{
    TTableDerived<TRMPropTable::TListing::WithBase> d;
    struct Row { const char* name; Variant write; std::int64_t read; int a, b, c; };
    const Row rows[] = {
        {"c", Variant::FromInt(7), 7, 1, 2, 7},
        {"B", Variant::FromInt(5), 10, 1, 5, 7},   // the derived getter, the base's setter
        {"a", Variant("x"), 1, 1, 5, 7},           // listing-only row: the base converts
        {"A", Variant("4"), 4, 4, 5, 7},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        d.SetPropValue(QString::fromLatin1(r.name), r.write);
        EXPECT_EQ(d.GetPropValue(QString::fromLatin1(r.name)).toInt(), r.read);
        EXPECT_EQ(d.A, r.a);
        EXPECT_EQ(d.B, r.b);
        EXPECT_EQ(d.C, r.c);
    }
    d.SetPropValue("note", Variant("n"));
    EXPECT_EQ(d.GetPropValue("NOTE").toText(), "n");
    EXPECT_TRUE(d.GetPropValue("Nothing").isNull());
}

TEST(PropertyTables, ListingWithOrWithoutTheBase)
{
    TTableBase base;
    TTableDerived<TRMPropTable::TListing::WithBase> with;
    TTableDerived<TRMPropTable::TListing::OwnOnly> own;
    EXPECT_EQ(Listed(base), (QStringList{"A:2:", "B:128:"}));
    // An own listed row of a name the base lists takes its place.
    EXPECT_EQ(Listed(with), (QStringList{"A:32:x;y", "B:128:", "C:2:"}));
    EXPECT_EQ(Listed(own), (QStringList{"C:2:", "A:32:x;y"}));
    // Without a table the list is left as it is.
    TRMPage page(9, 2100, 2970, poPortrait, -1);
    page.AddProperty("Kept", rmdtString);
    page.RegisterProperties();
    EXPECT_EQ(page.PropList().size(), 1u);
}

// ---- bands ----

TEST(BandView, ColumnsAreClampedAndRepeatHeaderFollows)
{
    TRMBandView b;
    b.SetPropValue("Columns", Variant::FromInt(150));
    EXPECT_EQ(b.Columns, 99);
    b.SetPropValue("Columns", Variant::FromInt(0));
    EXPECT_EQ(b.Columns, 0);
    TRMPage page(9, 2100, 2970, poPortrait, -1);
    auto* stored = static_cast<TRMBandView*>(page.AddObject(std::make_unique<TRMBandView>()));
    stored->Columns = 0;
    page.PrepareColumns();
    EXPECT_EQ(stored->Columns, 1);

    struct Row { int type; bool repeat; };
    for (const Row& r : {Row{btPageHeader, true}, Row{btColumnHeader, true}, Row{btMasterData, false}}) {
        TRMBandView h;
        h.SetBandType(r.type);
        h.SetPropValue("RepeatHeader1", Variant::FromBool(true));
        EXPECT_TRUE(h.HasFlag(flBandRepeatHeader1));
        EXPECT_EQ(h.HasFlag(flBandRepeatHeader), r.repeat) << r.type;
    }
}

TEST(BandView, ScriptNamesMapOntoStorage)
{
    TRMBandView b;
    b.SetPropValue("DataSource", Variant("RMDialogForm.RMGridDataSet1"));
    EXPECT_EQ(b.FormatStr, "RMDialogForm.RMGridDataSet1");
    b.SetPropValue("GroupsPerPage", Variant::FromInt(4));
    EXPECT_EQ(b.GetPropValue("LinesPerPage").toInt(), 4);
    b.SetPropValue("NewPageCondition", Variant("[x] > 1"));
    EXPECT_EQ(b.Tag, "[x] > 1");
    b.SetPropValue("OnFirstPage", Variant::FromBool(false));
    EXPECT_FALSE(b.HasFlag(flBandOnFirstPage));
    EXPECT_EQ(BandTypeCaption(btMasterData), QString::fromUtf8("主项数据"));
}

TEST(BandView, RunTimeBandCopiesFlagsAndUnlinks)
{
    TRMBandView v;
    v.SetBandType(btMasterData);
    v.Top = 40;
    v.Height = 20;
    v.SetFlag(flBandStretched, true);
    {
        TRMBand band(nullptr, &v);
        EXPECT_EQ(v.RunBand, &band);
        EXPECT_EQ(band.Typ, btMasterData);
        EXPECT_EQ(band.DesignTop, 40);
        EXPECT_TRUE(band.Stretched);
        EXPECT_FALSE(band.FormNewPage);
    }
    EXPECT_EQ(v.RunBand, nullptr);
}

// ---- band alignment ----

TEST(BandAlign, PlacementRules)
{
    const TRMAlignArea area{.LeftLimit = 10, .RightLimit = 210, .TopLimit = 5, .BottomLimit = 305,
        .HasBand = true, .BandTop = 100, .BandHeight = 30};
    struct Row {
        int align;
        TRMAlignPhase phase;
        int left, top, width, height; // expected
    };
    // The view starts at (50, 100) 40 × 10.
    const Row rows[] = {
        {baLeft, TRMAlignPhase::Draw, 10, 100, 40, 10},
        {baRight, TRMAlignPhase::Draw, 170, 100, 40, 10},
        {baCenter, TRMAlignPhase::Draw, 90, 100, 40, 10},
        {baWidth, TRMAlignPhase::Design, 10, 100, 200, 10},
        {baBottom, TRMAlignPhase::Design, 50, 120, 40, 10},
        {baBottom, TRMAlignPhase::Draw, 50, 100, 40, 10},
        {baTop, TRMAlignPhase::StreamOut, 50, 100, 40, 10},
        {baClient, TRMAlignPhase::Design, 10, 100, 200, 30},
        {baHeight, TRMAlignPhase::Design, 50, 100, 40, 30},
        {baRest, TRMAlignPhase::Draw, 10, 100, 200, 10},
        {baNone, TRMAlignPhase::Design, 50, 100, 40, 10},
    };
    for (const Row& r : rows) {
        TRMMemoView v;
        v.SetBounds(50, 100, 40, 10);
        v.BandAlign = static_cast<std::uint8_t>(r.align);
        RMAlignView(v, {&v}, area, r.phase);
        EXPECT_EQ(v.Bounds(), QRect(r.left, r.top, r.width, r.height)) << "align " << r.align;
    }
}

TEST(BandAlign, NeighboursOnTheSameRow)
{
    const TRMAlignArea area{.LeftLimit = 0, .RightLimit = 300};
    TRMMemoView a, b, rest, c, d, other;
    a.SetBounds(5, 10, 30, 10);
    a.BandAlign = baLeft;
    b.SetBounds(80, 10, 20, 10);
    b.BandAlign = baLeft;
    rest.SetBounds(120, 10, 10, 10);
    rest.BandAlign = baRest;
    c.SetBounds(250, 10, 25, 10);
    c.BandAlign = baRight;
    d.SetBounds(200, 10, 15, 10);
    d.BandAlign = baRight;
    other.SetBounds(60, 50, 10, 10); // another row: ignored
    other.BandAlign = baLeft;
    RMAlignViews({&a, &b, &rest, &c, &d, &other}, area, TRMAlignPhase::Draw);
    EXPECT_EQ(a.Left, 0);
    EXPECT_EQ(b.Left, 30);
    EXPECT_EQ(c.Left, 275);
    EXPECT_EQ(d.Left, 275 - 15 - 1);
    EXPECT_EQ(rest.Left, 50);
    EXPECT_EQ(rest.Width, d.Left - 1 - 50);
    EXPECT_EQ(other.Left, 0);
}

TEST(BandAlign, WidthWithoutBandWhilePrintingStopsShortOfTheLimit)
{
    const TRMAlignArea area{.LeftLimit = 10, .RightLimit = 110};
    TRMMemoView v;
    v.BandAlign = baWidth;
    RMAlignView(v, {}, area, TRMAlignPhase::StreamOut);
    EXPECT_EQ(v.Left, 10);
    EXPECT_EQ(v.Width, 99);
}

// ---- drawing geometry ----

TEST(Drawing, BeginDrawScalesAndEndDrawRestores)
{
    TRMMemoView v;
    v.SetBounds(10, 20, 100, 50);
    v.SetFrameTyp(15);
    v.ScaleX = v.ScaleY = 2.0;
    v.OffsX = 5;
    v.OffsY = 7;
    RMEngineState().Previewing = true;
    v.BeginDraw();
    RMEngineState().Previewing = false;
    EXPECT_EQ(v.Bounds(), QRect(25, 47, 200, 100));
    EXPECT_EQ(v.Gapx, 4); // Round(2 × 2 + 0.5) = Round(4.5) = 4, halves to even
    EXPECT_FLOAT_EQ(v.LeftFrame.Width, 2.0f);
    // left = 25 + Round(2 × 1 / 2) = 26; right = Round(2 × 110 + 5) − Round(0.5) + 1 = 226.
    EXPECT_EQ(v.DrawRect.left(), 26);
    EXPECT_EQ(v.DrawRect.right() + 1, 226);
    v.EndDraw();
    EXPECT_EQ(v.Bounds(), QRect(10, 20, 100, 50));
    EXPECT_EQ(v.Gapx, 2);
    EXPECT_FLOAT_EQ(v.LeftFrame.Width, 1.0f);
}

TEST(Drawing, DesignAndPreparationIgnoreScale)
{
    TRMMemoView v;
    v.SetBounds(10, 20, 100, 50);
    v.ScaleX = 3.0;
    v.OffsX = 9;
    v.BeginDraw();
    EXPECT_EQ(v.Bounds(), QRect(10, 20, 100, 50));
    // Invisible sides count as width 0 in the text rectangle.
    EXPECT_EQ(v.DrawRect.left(), 10);
    v.EndDraw();
}

TEST(Drawing, DoubleLineMovesTheTextEdgeInwards)
{
    TRMMemoView v;
    v.SetBounds(0, 0, 100, 40);
    v.LeftFrame.Visible = true;
    v.LeftFrame.Style = psSolid | kFrameDoubleBit;
    v.BeginDraw();
    EXPECT_EQ(v.DrawRect.left(), 0 + 0 + 2); // Round(1/2) = 0, then Round(2 × 1)
    v.EndDraw();
}

TEST(Drawing, ClipRegionIncludesHalfTheFrame)
{
    TRMMemoView v;
    v.SetBounds(10, 10, 20, 20);
    v.SetFrameTyp(15);
    v.SetPropValue("FrameWidth", Variant::FromFloat(4.0));
    EXPECT_EQ(v.GetClipRgn(false).boundingRect(), QRect(QPoint(8, 8), QPoint(32, 32)));
    EXPECT_EQ(v.GetClipRgn(true).boundingRect(), QRect(QPoint(-2, -2), QPoint(42, 42)));
}

// ---- add-ins ----

namespace {
class TTestAddInView : public TRMMemoView {
public:
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TTestAddInView>(); }
    QString ClassName() const override { return QStringLiteral("TTestAddInView"); }
};
} // namespace

TEST(AddIns, LookupIsCaseInsensitiveAndMissingClassesAccumulate)
{
    RMResetMissingClasses();
    RMRegisterObject({"TTestAddInView", [] { return std::make_unique<TTestAddInView>(); }, {},
        "RM_TestObject", "[Test]", 0});
    RMRegisterObject({"ttestaddinview", [] { return std::make_unique<TTestAddInView>(); }, {}, "dup", "", 0});
    int matches = 0;
    for (const auto& i : RMAddIns())
        matches += i.ClassName.compare("TTESTADDINVIEW", Qt::CaseInsensitive) == 0;
    EXPECT_EQ(matches, 1);

    auto v = RMCreateObject(gtAddIn, "tTeStAdDiNvIeW");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->Typ, gtAddIn);
    EXPECT_EQ(v->ClassName(), "TTestAddInView");

    EXPECT_THROW(RMCreateObject(gtAddIn, "TRMChartView"), TRMClassNotFound);
    try {
        RMCreateObject(gtAddIn, "TRMBarCodeView");
        FAIL();
    } catch (const TRMClassNotFound& e) {
        EXPECT_EQ(e.Missing(), "TRMChartView\nTRMBarCodeView\n");
    }
    EXPECT_TRUE(RMComponentsMissing());
    RMResetMissingClasses();
    EXPECT_FALSE(RMComponentsMissing());
    RMUnRegisterObject("TTESTADDINVIEW");
    EXPECT_EQ(RMFindAddIn("TTestAddInView"), nullptr);
}

// ---- report, names and creation numbers ----

TEST(Report, UniqueNamesAndFindObjectAcrossPages)
{
    auto r = ReportWithPage();
    r->Pages.Add(9, 2100, 2970, poPortrait, -1);
    TRMView* m1 = r->CreateObject(r->Pages[0], gtMemo);
    TRMView* m2 = r->CreateObject(r->Pages[1], gtMemo);
    TRMView* b1 = r->CreateObject(r->Pages[1], gtBand);
    EXPECT_EQ(m1->Name, "Memo1");
    EXPECT_EQ(m2->Name, "Memo2");
    EXPECT_EQ(b1->Name, "Band1");
    EXPECT_EQ(r->FindObject("memo2"), m2);
    EXPECT_EQ(r->FindObject("Nothing"), nullptr);
    EXPECT_EQ(r->Pages.PageByScriptName("page2"), r->Pages[1]);
    EXPECT_EQ(r->Pages.PageByScriptName("PAGE3"), nullptr);
    r->Pages[0]->DeleteObject(0);
    EXPECT_EQ(r->GetUniqueName("Memo"), "Memo1");
}

TEST(Report, CreationNumbersOnlyWhileAReportIsCurrentAndIdle)
{
    auto r = ReportWithPage();
    TRMMemoView outside;
    EXPECT_EQ(outside.ID, 0);
    TRMCurrentScope scope(r.get());
    const int before = RMLastCreationID();
    TRMMemoView a;
    TRMMemoView b;
    EXPECT_EQ(a.ID, before + 1);
    EXPECT_EQ(b.ID, before + 2);
    RMEngineState().Preparing = true;
    TRMMemoView prepared;
    RMEngineState().Preparing = false;
    EXPECT_EQ(prepared.ID, 0);
    EXPECT_EQ(RMLastCreationID(), before + 2);
}

TEST(Report, CurrentPointersDoNotDangle)
{
    auto r = ReportWithPage();
    TRMView* v = r->CreateObject(r->Pages[0], gtMemo);
    TRMCurrentScope scope(r.get(), r->Pages[0], nullptr, v);
    r->Pages[0]->ClearObjects();
    EXPECT_EQ(RMCurrent().CurView, nullptr);
    EXPECT_EQ(RMCurrent().CurPage, r->Pages[0]);
    r.reset();
    EXPECT_EQ(RMCurrent().CurReport, nullptr);
    EXPECT_EQ(RMCurrent().CurPage, nullptr);
}

TEST(Report, PageMarginsReadInMillimetresWhileDesigning)
{
    auto r = ReportWithPage();
    TRMPage* p = r->Pages[0];
    EXPECT_DOUBLE_EQ(p->GetPropValue("LeftMargin").toDouble(), 15.0);
    p->SetPropValue("leftmargin", Variant::FromFloat(12.5));
    EXPECT_EQ(p->LeftMargin, 12500);
    RMEngineState().Preparing = true;
    EXPECT_EQ(p->GetPropValue("TopMargin").toInt(), TRMPage::MarginPixels(20000));
    RMEngineState().Preparing = false;
    EXPECT_EQ(p->GetPropValue("Objects.Count").toInt(), 0);
}

TEST(Report, SettingsRoundTripThroughAnIniFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto r = ReportWithPage();
    r->ReportInfo.Title = QString::fromUtf8("支付方式");
    r->SaveReportOptions.AutoLoadSaveSetting = true;
    r->SaveReportOptions.UseRegistry = false;
    r->SaveReportOptions.IniFileName = dir.filePath("r.ini");
    r->taoda = true;
    r->PrintOffsetTop = 3;
    r->DoublePass = true;
    r->Pages[0]->LeftMargin = 25000;
    r->SaveReportSetting();

    auto back = ReportWithPage();
    back->ReportInfo.Title = r->ReportInfo.Title;
    back->SaveReportOptions = r->SaveReportOptions;
    back->LoadReportSetting();
    EXPECT_TRUE(back->taoda);
    EXPECT_EQ(back->PrintOffsetTop, 3);
    EXPECT_TRUE(back->DoublePass);
    EXPECT_EQ(back->Pages[0]->LeftMargin, 25000);

    // An older file's margins are a pixel rectangle.
    {
        QSettings ini(dir.filePath("r.ini"), QSettings::IniFormat);
        ini.beginGroup(r->ReportInfo.Title);
        ini.setValue("NewFlag", false);
        ini.setValue("Page_0_LeftMargin", 96);
        ini.setValue("Page_0_RightMargin", back->Pages[0]->PrinterInfo.PageWidth - 96);
    }
    back->LoadReportSetting();
    EXPECT_NEAR(back->Pages[0]->LeftMargin, 25400, 10);
    EXPECT_NEAR(back->Pages[0]->RightMargin, 25400, 10);

    bool called = false;
    back->OnLoadReportSetting = [&](TRMReport*) { called = true; };
    back->LoadReportSetting();
    EXPECT_TRUE(called);
}

// ---- data sets ----

TEST(DataSets, FieldOfTheCurrentRecordByFormAndName)
{
    QWidget form;
    form.setObjectName("frmpaymentType");
    ClientDataSet cds;
    cds.CreateTextFields({{"f_zffsbm", 10}, {"f_zffs", 20}});
    cds.AppendRecord({"01", QString::fromUtf8("现金")});
    cds.AppendRecord({"02", QString::fromUtf8("支票")});
    cds.First();
    new TRMFormDataSet(&form, "cdsprint", &cds);

    Variant v;
    ASSERT_TRUE(RMGetDataFieldValue(&form, "frmpaymentType.cdsprint.\"f_zffsbm\"", v));
    EXPECT_EQ(v.toText(), "01");
    cds.Next();
    ASSERT_TRUE(RMGetDataFieldValue(&form, "FRMPAYMENTTYPE.CDSPRINT.\"F_ZFFS\"", v));
    EXPECT_EQ(v.toText(), QString::fromUtf8("支票"));

    struct Row { const char* text; };
    for (const Row& r : {Row{"frmOther.cdsprint.\"f_zffs\""}, Row{"frmpaymentType.cdsnone.\"f_zffs\""},
             Row{"frmpaymentType.cdsprint.\"nofield\""}, Row{"cdsprint"}, Row{"a..\"f\""}}) {
        Variant none;
        EXPECT_FALSE(RMGetDataFieldValue(&form, r.text, none)) << r.text;
    }
    cds.Next(); // past the last row: no current record
    EXPECT_FALSE(RMGetDataFieldValue(&form, "frmpaymentType.cdsprint.\"f_zffs\"", v));
}

TEST(DataSets, HiddenDialogFormHoldsReportSources)
{
    ClientDataSet cds;
    cds.CreateTextFields({{"a", 5}});
    cds.AppendRecord({"x"});
    auto* ds = new TRMDBDataSet(RMDialogForm(), "RMGridDataSet1");
    ds->DataSet = &cds;
    EXPECT_EQ(RMDialogForm()->objectName(), "RMDialogForm");
    EXPECT_EQ(RMFindDataset(nullptr, "RMDialogForm.rmgriddataset1"), ds);
    EXPECT_EQ(RMFindDataset(nullptr, "RMGridDataSet1"), ds);
    Variant v;
    EXPECT_TRUE(RMGetDataFieldValue(nullptr, "RMDialogForm.RMGridDataSet1.a", v));
    EXPECT_EQ(v.toText(), "x");
    ds->Init();
    ds->First();
    EXPECT_FALSE(ds->Eof());
    ds->Next();
    EXPECT_TRUE(ds->Eof());
    delete ds;
}

TEST(DataSets, MissingDataSetAndUserRowCount)
{
    TRMDBDataSet none(nullptr, "Orphan");
    try {
        none.Init();
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Unable to open dataset Orphan");
    }
    TRMUserDataset user;
    user.RangeEnd = reCount;
    user.RangeEndCount = 3;
    int rows = 0;
    for (user.First(); !user.Eof(); user.Next())
        ++rows;
    EXPECT_EQ(rows, 3);
}
