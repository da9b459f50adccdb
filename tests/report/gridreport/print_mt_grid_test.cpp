// The multi-title grid printed as a report: the views its printer makes (titles, the title
// tree, data cells, footers, frames, continuation on further design pages), the report
// prepared from them, and the data file it leaves for the export.
#include "report/gridreport/rm_grid_report.h"
#include "report/gridreport/rm_grid_export_file.h"

#include "grid_test_engine.h"
#include "base/client_dataset.h"
#include "base/data_source.h"
#include "base/gbk_text.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/preview/printer/printer.h"
#include "widgets/db_grid_mt.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>


namespace pq {
namespace {

extern const TRMGridReportOptions kListOptions;

class PrintMTGrid : public ::testing::Test, protected test::GridTestEngine {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        qputenv("XDG_CACHE_HOME", home.path().toLocal8Bit());
        Start();

        form.setObjectName(QStringLiteral("frmList"));
        form.resize(900, 500);
        data.CreateTextFields({{"f_code", 4}, {"f_name", 20}, {"f_note", 20}});
        data.SetOwnerAndName(&form, QStringLiteral("cdsList"));
        for (const auto& [code, name, note] : std::initializer_list<std::tuple<const char*, const char*, const char*>>{
                 {"01", "现金", "a"}, {"02", "支票", "b"}, {"03", "银联卡", "c"}})
            data.AppendRecord({QString::fromUtf8(code), QString::fromUtf8(name), QString::fromUtf8(note)});
        source = new TDataSource(&form, &data);
        grid = new TDBGridMT(&form);
        grid->setGeometry(0, 0, 700, 300);
        grid->SetDataSource(source);
        grid->SetDefaultRowHeight(16);
        grid->SetTitleRowHeight(18);
    }
    void TearDown() override
    {
        delete report;
        Stop();
        qunsetenv("XDG_CACHE_HOME");
    }
    TRMFormReport& Make(TRMGridReportOptions options = kListOptions)
    {
        report = new TRMFormReport(&form);
        report->PrintControl = grid;
        report->ReportOptions = options;
        report->ShowProgress = false;
        report->ShowPrintDialog = false;
        return *report;
    }
    void TwoColumns()
    {
        grid->AddColumn(QStringLiteral("f_code"), QStringLiteral("编码"), 80);
        grid->AddColumn(QStringLiteral("f_name"), QStringLiteral("名称"), 200);
    }
    // The views of a design page other than bands, in page order.
    static QList<TRMView*> Cells(const TRMPage& page)
    {
        QList<TRMView*> out;
        for (const auto& o : page.Objects)
            if (!dynamic_cast<TRMBandView*>(o.get()))
                out << o.get();
        return out;
    }
    static TRMBandView* BandOf(const TRMPage& page, const TRMView* v)
    {
        // The band a view lies in: the last band whose top is not below the view's.
        TRMBandView* found = nullptr;
        for (const auto& o : page.Objects)
            if (auto* b = dynamic_cast<TRMBandView*>(o.get()); b && b->Top <= v->Top && v->Top < b->Top + std::max(1, b->Height))
                found = b;
        return found;
    }
    static QString Text(const TRMView* v) { return v->Memo.join(QLatin1Char('|')); }
    static bool Heavy(const TRMFrameLine& f) { return f.Visible && f.Width == 2.0f; }

    QTemporaryDir home;
    QWidget form;
    ClientDataSet data;
    TDataSource* source = nullptr;
    TDBGridMT* grid = nullptr;
    TRMFormReport* report = nullptr;
};

const TRMGridReportOptions kListOptions{rmgoStretch, rmgoWordWrap, rmgoGridLines, rmgoDoubleFrame, rmgoRebuildAfterPageChanged};

TEST_F(PrintMTGrid, AListWithAFooterRowHasFramedCellsAndNoHeavyFrame)
{
    TwoColumns();
    grid->SetOptions(grid->Options() | dgTitles | dgColLines);
    grid->SetFooterRowCount(1);
    TRMFormReport& r = Make(kListOptions);
    ASSERT_TRUE(r.BuildReport());
    ASSERT_EQ(r.Report()->Pages.Count(), 1);
    const TRMPage& page = *r.Report()->Pages[0];
    const QList<TRMView*> cells = Cells(page);
    ASSERT_EQ(cells.size(), 6) << "two titles, two data cells, two footer cells, no bottom lines";

    QStringList texts;
    for (TRMView* v : cells) {
        texts << Text(v);
        EXPECT_EQ(v->FrameTyp(), 15) << Text(v).toStdString();
        for (TRMFrameLine* f : v->Frames())
            EXPECT_FALSE(Heavy(*f)) << "no heavy frame beside a footer row";
    }
    EXPECT_EQ(texts, (QStringList{"编码", "名称", "[frmList.cdsList.\"f_code\"]", "[frmList.cdsList.\"f_name\"]", "", ""}));
    // Titles 18 + 4 high at the top, cells one column width + 1 wide; everything shifted by the
    // 38-pixel margins; data cells 16 + 4 high in the master-data band; footers in the master
    // footer band.
    EXPECT_EQ(QRect(cells[0]->Left, cells[0]->Top, cells[0]->Width, cells[0]->Height), QRect(38, 38, 81, 22));
    EXPECT_EQ(QRect(cells[1]->Left, cells[1]->Top, cells[1]->Width, cells[1]->Height), QRect(38 + 81, 38, 201, 22));
    EXPECT_EQ(cells[2]->Height, 20);
    EXPECT_EQ(BandOf(page, cells[2])->BandType(), btMasterData);
    EXPECT_EQ(BandOf(page, cells[4])->BandType(), btMasterFooter);
    EXPECT_EQ(BandOf(page, cells[0])->BandType(), btReportTitle);
    EXPECT_EQ(BandOf(page, cells[2])->DataSource(), "RMDialogForm." + r.ReportDataSet()->Name());
    EXPECT_EQ(r.ReportDataSet()->DataSource, source) << "the report reads the grid's rows";
}

TEST_F(PrintMTGrid, WithoutFooterRowsTheOuterFrameIsHeavyAndBottomLinesCloseIt)
{
    TwoColumns();
    TRMFormReport& r = Make(kListOptions);
    ASSERT_TRUE(r.BuildReport());
    const TRMPage& page = *r.Report()->Pages[0];
    const QList<TRMView*> cells = Cells(page);
    ASSERT_EQ(cells.size(), 6);
    // Page order: title, title, data, its bottom line, data, its bottom line.
    TRMView* t0 = cells[0];
    TRMView* t1 = cells[1];
    TRMView* d0 = cells[2];
    TRMView* line0 = cells[3];
    TRMView* d1 = cells[4];
    TRMView* line1 = cells[5];
    EXPECT_TRUE(Heavy(t0->LeftFrame) && Heavy(t0->TopFrame) && !Heavy(t0->RightFrame));
    EXPECT_TRUE(Heavy(t1->TopFrame) && Heavy(t1->RightFrame) && !Heavy(t1->LeftFrame));
    EXPECT_TRUE(Heavy(d0->LeftFrame) && !Heavy(d0->RightFrame));
    EXPECT_TRUE(Heavy(d1->RightFrame) && !Heavy(d1->LeftFrame));
    for (TRMView* line : {line0, line1}) {
        EXPECT_EQ(line->FrameTyp(), frTop);
        EXPECT_EQ(line->TopFrame.Width, 2.0f);
        EXPECT_EQ(line->Height, 2);
        EXPECT_EQ(line->Gapx, 0);
        EXPECT_TRUE(line->Stretched());
        EXPECT_EQ(BandOf(page, line)->BandType(), btColumnFooter);
    }
    EXPECT_EQ(line0->Left, d0->Left);
    EXPECT_EQ(line1->Width, d1->Width);
}

struct WideCase {
    const char* name;
    int fixedCols;
    bool fit;
    QStringList widths;
    QList<int> pageOfColumn; // page of each data cell, in page order
    QStringList page1Texts;  // data cells on design page 1
};

class PrintMTGridWide : public PrintMTGrid, public ::testing::WithParamInterface<WideCase> {};

TEST_P(PrintMTGridWide, AGridWiderThanThePageContinuesOnFurtherDesignPages)
{
    const WideCase& c = GetParam();
    grid->AddColumn(QStringLiteral("f_code"), QStringLiteral("A"), 300);
    grid->AddColumn(QStringLiteral("f_name"), QStringLiteral("B"), 300);
    grid->AddColumn(QStringLiteral("f_note"), QStringLiteral("C"), 300);
    TRMFormReport& r = Make(kListOptions);
    r.GridFixedCols = c.fixedCols;
    if (c.fit) {
        r.ScaleMode().ScaleMode = rmsmFit;
        r.ScaleMode().FitPageWidth = true;
    }
    ASSERT_TRUE(r.BuildReport());
    EXPECT_EQ(r.AvailWidth, 718);
    EXPECT_EQ(r.ContentWidths, c.widths);
    ASSERT_EQ(r.Report()->Pages.Count(), c.widths.size());
    if (c.widths.size() > 1) {
        QStringList titles, cells;
        for (TRMView* v : Cells(*r.Report()->Pages[1])) {
            if (v->Memo.value(0).startsWith('['))
                cells << v->Memo.value(0);
            else if (v->Height > 2)
                titles << Text(v);
        }
        EXPECT_EQ(cells, c.page1Texts);
        EXPECT_EQ(titles.size(), c.page1Texts.size()) << "the titles continue with their columns";
        // The continued page starts at the left again.
        EXPECT_EQ(Cells(*r.Report()->Pages[1]).first()->Left, 38);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintMTGridWide,
    ::testing::Values(
        WideCase{"ThirdColumnOnPageOne", 0, false, {"602", "301"}, {}, {"[frmList.cdsList.\"f_note\"]"}},
        WideCase{"FixedFirstColumnRepeated", 1, false, {"602", "602"}, {},
            {"[frmList.cdsList.\"f_code\"]", "[frmList.cdsList.\"f_note\"]"}},
        WideCase{"FitToWidthKeepsOnePage", 0, true, {"903"}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrintMTGrid, CellKindsFooterValuesAndVisibilityRules)
{
    data.Close();
    data.CreateTextFields({{"f_code", 4}, {"f_ok", 2}});
    data.AppendValues({Variant("01"), Variant("1")});
    TColumnMT& code = grid->AddColumn(QStringLiteral("f_code"), QStringLiteral("编码"), 80);
    code.Alignment = taRightJustify;
    code.Footer.ValueType = fvtSum;
    code.Footers = {TColumnFooterMT{fvtCount, {}, {}, {}, Qt::black, taCenter}};
    TColumnMT& ok = grid->AddColumn(QStringLiteral("f_ok"), QStringLiteral("有效"), 40);
    ok.Checkboxes = true;
    ok.Footer.ValueType = fvtStaticText;
    ok.Footer.Value = QStringLiteral("合计");
    grid->SetFooterRowCount(2);
    TRMFormReport& r = Make(kListOptions);
    r.PageHeaderOnly1 = true;
    r.ShowMasterData = true;
    ASSERT_TRUE(r.BuildReport());
    const QList<TRMView*> cells = Cells(*r.Report()->Pages[0]);
    ASSERT_EQ(cells.size(), 8);
    EXPECT_FALSE(cells[0]->Visible) << "with PageHeaderOnly1 the simple titles are invisible";
    auto* memo = dynamic_cast<TRMMemoView*>(cells[2]);
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->HAlign(), 1);
    EXPECT_FALSE(memo->Visible) << "ShowMasterData hides the data cells";
    EXPECT_EQ(memo->Height, 0);
    auto* box = dynamic_cast<TRMCheckBoxView*>(cells[3]);
    ASSERT_NE(box, nullptr) << "a check-box column prints a check box";
    EXPECT_EQ(box->CheckStyle, TRMCheckBoxView::csCheck);
    EXPECT_EQ(Text(box), "[frmList.cdsList.\"f_ok\"]");
    // Footer row 0 is Footers[0] (a count) and the static footer; row 1 the sum of f_code.
    auto* count = dynamic_cast<TRMCalcMemoView*>(cells[4]);
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->CalcType, rmdcCount);
    EXPECT_EQ(Text(cells[5]), "合计");
    auto* sum = dynamic_cast<TRMCalcMemoView*>(cells[6]);
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(sum->CalcType, rmdcSum);
    EXPECT_EQ(Text(sum), "[frmList.cdsList.\"f_code\"]");
    EXPECT_EQ(grid->Column(0).Footer.FieldName, "f_code") << "the sum footer took the column's field";
    EXPECT_EQ(cells[6]->Top - cells[4]->Top, 20) << "footer rows one row height apart";
    EXPECT_EQ(Text(cells[7]), "");
    EXPECT_EQ(cells[7]->Top, cells[6]->Top) << "no footer in row 1 of the second column: an empty cell";
}

TEST_F(PrintMTGrid, AColumnWithoutItsFieldStopsTheReport)
{
    TwoColumns();
    grid->AddColumn(QStringLiteral("f_missing"), QStringLiteral("?"), 50);
    TRMFormReport& r = Make(kListOptions);
    try {
        r.PrintReport();
        FAIL() << "no error";
    } catch (const DataSetError& e) {
        EXPECT_STREQ(e.what(), "Field 'f_missing' not found");
    }
    EXPECT_EQ(backend->CountCalls("StartPage"), 0) << "nothing printed";
    // The report goes on working once the column is mended.
    grid->Column(2).FieldName = QStringLiteral("f_note");
    EXPECT_TRUE(r.PrintReport());
    EXPECT_EQ(backend->CountCalls("StartPage"), 1);
}

TEST_F(PrintMTGrid, TwoLevelTitlesSpanTheirColumnsAndTheReportPrintsTheRows)
{
    grid->AddColumn(QStringLiteral("f_code"), QStringLiteral("编码"), 60);
    grid->AddColumn(QStringLiteral("f_name"), QStringLiteral("内容|名称"), 120);
    grid->AddColumn(QStringLiteral("f_note"), QStringLiteral("内容|备注"), 100);
    grid->SetUseMultiTitle(true);
    grid->SetTitleRowHeight(40);
    TRMFormReport& r = Make(kListOptions);
    ASSERT_TRUE(r.PrintReport());
    const TRMPage& page = *r.Report()->Pages[0];
    QMap<QString, QRect> titles;
    for (TRMView* v : Cells(page))
        if (!v->Memo.value(0).startsWith('[') && v->Height > 2)
            titles[Text(v)] = QRect(v->Left, v->Top, v->Width, v->Height);
    EXPECT_EQ(titles.value("编码"), QRect(38, 38, 61, 40)) << "a one-level title reaches the bottom";
    EXPECT_EQ(titles.value("内容"), QRect(38 + 61, 38, 222, 20)) << "the span covers both columns";
    EXPECT_EQ(titles.value("名称"), QRect(38 + 61, 58, 121, 20));
    EXPECT_EQ(titles.value("备注"), QRect(38 + 182, 58, 101, 20));

    // Printed: the titles once, then one row per record.
    TRMEMFPages& pages = RMPreparedPages(*r.Report());
    ASSERT_EQ(pages.Count(), 1);
    QStringList printed;
    pages.ExportPage(0, [&](TRMView& v) {
        if (auto* m = dynamic_cast<TRMMemoView*>(&v))
            printed << m->Memo1.join(QString());
    });
    EXPECT_EQ(printed.mid(0, 4), (QStringList{"编码", "名称", "备注", "内容"})) << "the span after its children";
    EXPECT_EQ(printed.mid(4, 3), (QStringList{"01", "现金", "a"}));
    EXPECT_EQ(printed.mid(10, 3), (QStringList{"03", "银联卡", "c"}));
    EXPECT_EQ(backend->CountCalls("StartPage"), 1);

    // The page as drawn: the span's frame runs across both columns above them.
    EXPECT_TRUE(pages[0]->Visible) << "a printed page still shows";
    QImage image(794, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        pages.Draw(0, &p, QRect(0, 0, 794, 1123));
    }
    if (const QByteArray out = qgetenv("PQ_TEST_SHOT_DIR"); !out.isEmpty())
        image.save(QString::fromLocal8Bit(out) + "/mt_grid_titles.png");
    const auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    EXPECT_TRUE(dark(38 + 61 + 110, 58)) << "the line under the span";
    EXPECT_FALSE(dark(38 + 61 + 110, 48)) << "inside the span";
}

TEST_F(PrintMTGrid, SelectedRecordsOnlyPrintsTheSelectedRows)
{
    TwoColumns();
    grid->SetOptions(grid->Options() | dgMultiSelect);
    grid->SelectedRows().Select(0, true);
    grid->SelectedRows().Select(2, true);
    TRMFormReport& r = Make(TRMGridReportOptions(kListOptions.Bits() | (1u << rmgoSelectedRecordsOnly)));
    ASSERT_TRUE(r.PrintReport());
    QStringList printed;
    RMPreparedPages(*r.Report()).ExportPage(0, [&](TRMView& v) {
        if (auto* m = dynamic_cast<TRMMemoView*>(&v))
            printed << m->Memo1.join(QString());
    });
    EXPECT_TRUE(printed.contains("编码")) << "titles print whatever the current record";
    EXPECT_TRUE(printed.contains("现金"));
    EXPECT_FALSE(printed.contains("支票"));
    EXPECT_TRUE(printed.contains("银联卡"));

    // Without a selection the next build prints every row, and the filter is gone.
    grid->SelectedRows().Clear();
    ASSERT_TRUE(r.PrintReport());
    EXPECT_FALSE(r.Report()->OnBeforePrintBand);
    printed.clear();
    RMPreparedPages(*r.Report()).ExportPage(0, [&](TRMView& v) {
        if (auto* m = dynamic_cast<TRMMemoView*>(&v))
            printed << m->Memo1.join(QString());
    });
    EXPECT_TRUE(printed.contains("支票"));
}

TEST_F(PrintMTGrid, TheBuildWritesTheGridsDataFileForTheExport)
{
    TwoColumns();
    data.MoveTo(0);
    data.AppendRecord({QStringLiteral(" 04 "), QStringLiteral("  空格  ")});
    int moves = 0;
    QObject::connect(source, &TDataSource::RecordMoved, [&] { ++moves; });
    TRMFormReport& r = Make(kListOptions);
    ASSERT_TRUE(r.BuildReport());
    EXPECT_EQ(moves, 1) << "the walk over the records told the grid once, at the end";
    QFile file(RMGridExportFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    EXPECT_TRUE(file.fileName().startsWith(home.path()));
    EXPECT_EQ(FromGbk(file.readAll()), QString::fromUtf8("编码,名称\r\n 01, 现金\r\n 02, 支票\r\n 03, 银联卡\r\n 04, 空格\r\n"));
}

} // namespace
} // namespace pq
