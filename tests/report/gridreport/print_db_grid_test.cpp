// A standard data grid (TDBGrid) on a form printed through the grid report: its titles and
// data cells from the columns, the row-number column, hidden columns, colours, row heights,
// the selected records, a grid wider than the page, and only the first grid of a form.
#include "form_print_fixture.h"

#include "base/client_dataset.h"
#include "base/data_source.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/gridreport/rm_control_printers.h"
#include "report/gridreport/rm_grid_cells.h"
#include "widgets/db_grid.h"
#include "widgets/db_grid_mt.h"
#include "widgets/string_grid.h"

#include <QFontMetrics>
#include <QTest>

namespace pq {
namespace {

class PrintDBGrid : public test::FormPrint {
protected:
    void SetUp() override
    {
        FormPrint::SetUp();
        data.CreateTextFields({{"f_code", 4}, {"f_name", 20}, {"f_memo", 20}});
        data.SetOwnerAndName(&form, QStringLiteral("cdsList"));
        for (const char* name : {"现金", "支票", "银联卡", "微信", "支付宝"})
            data.AppendRecord({QStringLiteral("0%1").arg(data.RecordCount() + 1), QString::fromUtf8(name),
                QStringLiteral("m%1").arg(data.RecordCount() + 1)});
        data.First();
        source = new TDataSource(&form, &data);
        MakeGrid();
    }
    // A fresh grid of three columns, and a fresh report.
    void MakeGrid()
    {
        delete grid;
        delete report;
        report = new TRMFormReport(&form);
        report->PrintControl = &form;
        report->ShowProgress = false;
        report->ShowPrintDialog = false;
        report->ReportOptions = TRMGridReportOptions{rmgoWordWrap, rmgoGridLines};
        grid = Put(new TDBGrid, 10, 20, 400, 200);
        grid->SetDefaultRowHeight(20);
        grid->SetTitleRowHeight(24);
        grid->SetDataSource(source);
        grid->AddColumn(QStringLiteral("f_code"), QStringLiteral("编码"), 60);
        grid->AddColumn(QStringLiteral("f_name"), QStringLiteral("名称"), 120).Alignment = taCenter;
        grid->AddColumn(QStringLiteral("f_memo"), QStringLiteral("备注"), 90);
    }
    // Every printed line of every page, the texts of its memo views.
    QList<QStringList> AllPrintedRows()
    {
        EXPECT_TRUE(RMPrepareReport(*report->Report()));
        TRMEMFPages& pages = RMPreparedPages(*report->Report());
        QList<QStringList> rows;
        for (int p = 0; p < pages.Count(); ++p) {
            int lastTop = -1;
            pages.ExportPage(p, [&](TRMView& v) {
                if (!dynamic_cast<TRMMemoView*>(&v) || v.Memo.join(QString()).isEmpty())
                    return;
                if (v.Top != lastTop)
                    rows.append(QStringList());
                lastTop = v.Top;
                rows.last() << v.Memo.join(QString());
            });
        }
        return rows;
    }

    ClientDataSet data;
    TDataSource* source = nullptr;
    TDBGrid* grid = nullptr;
};

// The titles at the grid's place (38-pixel margins added), one cell per column width + 1
// wide and title row + 4 high; data cells name the fields of the form's data set; the
// printed rows are the grid's records.
TEST_F(PrintDBGrid, TitlesAndDataCellsComeFromTheColumns)
{
    grid->Column(1).Title.Alignment = taRightJustify;
    ASSERT_TRUE(report->BuildReport());
    TRMView* title = ViewWith(QStringLiteral("名称"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(Bounds(title), QRect(48 + 61, 58, 121, 28));
    EXPECT_EQ(static_cast<TRMMemoView*>(title)->HAlign(), taRightJustify);
    EXPECT_EQ(title->FrameTyp(), 15);
    TRMView* cell = ViewWith(QStringLiteral("[frmCard.cdsList.\"f_name\"]"));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->Width, 121);
    EXPECT_EQ(cell->Height, 24) << "the default row height + 4";
    EXPECT_EQ(static_cast<TRMMemoView*>(cell)->HAlign(), taCenter);
    EXPECT_EQ(BandOf(cell), btMasterData);

    const QList<QStringList> rows = AllPrintedRows();
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0], (QStringList{"编码", "名称", "备注"}));
    EXPECT_EQ(rows[3], (QStringList{"03", "银联卡", "m3"}));
    EXPECT_EQ(rows[5], (QStringList{"05", "支付宝", "m5"}));
}

// What changes the cells: hidden columns are left out, the band's row height wins over the
// grid's, frames need both the report's grid lines and the grid's column lines, colours
// print only when asked, and without titles there is no title row.
TEST_F(PrintDBGrid, OptionsShapeTheCells)
{
    struct Case {
        const char* what;
        std::function<void()> set;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"hidden column",
            [this] {
                grid->Column(1).Visible = false;
                grid->ColumnsChanged();
            },
            [this] {
                EXPECT_EQ(ViewWith(QStringLiteral("名称")), nullptr);
                TRMView* memo = ViewWith(QStringLiteral("备注"));
                ASSERT_NE(memo, nullptr);
                EXPECT_EQ(memo->Left, 48 + 61) << "the next column takes its place";
                EXPECT_EQ(AllPrintedRows()[2], (QStringList{"02", "m2"}));
            }},
        {"band height",
            [this] { report->MasterDataBandOptions().Height = 40; },
            [this] { EXPECT_EQ(ViewWith(QStringLiteral("[frmCard.cdsList.\"f_code\"]"))->Height, 40); }},
        {"no column lines",
            [this] { grid->SetOptions(grid->Options() & ~TDBGridOptions(dgColLines)); },
            [this] {
                EXPECT_EQ(ViewWith(QStringLiteral("名称"))->FrameTyp(), 0);
                EXPECT_EQ(ViewWith(QStringLiteral("[frmCard.cdsList.\"f_code\"]"))->FrameTyp(), 0);
            }},
        {"colours",
            [this] {
                report->ReportOptions.Set(rmgoUseColor, true);
                grid->Column(0).Color = QColor(0x10, 0x20, 0x30);
                grid->Column(0).Title.Color = QColor(0xFF, 0, 0);
                grid->Column(0).Title.FontColor = QColor(0, 0, 0xFF);
            },
            [this] {
                EXPECT_EQ(ViewWith(QStringLiteral("[frmCard.cdsList.\"f_code\"]"))->FillColor, 0x302010u);
                auto* title = static_cast<TRMMemoView*>(ViewWith(QStringLiteral("编码")));
                EXPECT_EQ(title->FillColor, 0x0000FFu);
                EXPECT_EQ(title->Font.Color, 0xFF0000u);
            }},
        {"no colours",
            [this] { grid->Column(0).Color = QColor(0x10, 0x20, 0x30); },
            [this] { EXPECT_EQ(ViewWith(QStringLiteral("[frmCard.cdsList.\"f_code\"]"))->FillColor, kNoColor); }},
        {"no titles",
            [this] {
                report->ReportOptions.Set(rmgoGridNumber, true);
                grid->SetOptions(grid->Options() & ~TDBGridOptions(dgTitles));
            },
            [this] {
                EXPECT_EQ(ViewWith(QStringLiteral("编码")), nullptr);
                EXPECT_EQ(ViewWith(QStringLiteral("[Line#]")), nullptr) << "numbers go with the titles";
                EXPECT_EQ(AllPrintedRows().first(), (QStringList{"01", "现金", "m1"}));
            }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeGrid();
        c.set();
        ASSERT_TRUE(report->BuildReport());
        c.check();
    }
}

// The row-number column: as wide as the letter "a" is high in the grid's font times the
// number the options give, titled with their text, numbering the printed records.
TEST_F(PrintDBGrid, TheRowNumberColumnIsMeasuredFromTheLetterA)
{
    QFont big(QStringLiteral("DejaVu Sans"));
    big.setPixelSize(20);
    grid->setFont(big);
    report->ReportOptions.Set(rmgoGridNumber, true);
    report->GridNumOptions().SetNumber(3);
    report->GridNumOptions().Text = QStringLiteral("序号");
    ASSERT_TRUE(report->BuildReport());
    const int nw = QFontMetrics(big).height() * 3;
    TRMView* number = ViewWith(QStringLiteral("序号"));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(Bounds(number), QRect(48, 58, nw, 28));
    EXPECT_EQ(ViewWith(QStringLiteral("编码"))->Left, 48 + nw);
    TRMView* line = ViewWith(QStringLiteral("[Line#]"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Width, nw);
    EXPECT_EQ(ViewWith(QStringLiteral("[frmCard.cdsList.\"f_code\"]"))->Left, 48 + nw);
    const QList<QStringList> rows = AllPrintedRows();
    EXPECT_EQ(rows[0], (QStringList{"序号", "编码", "名称", "备注"}));
    EXPECT_EQ(rows[4], (QStringList{"4", "04", "微信", "m4"}));
}

// With the selected records only, the rows the operator selected print and no others.
TEST_F(PrintDBGrid, OnlyTheSelectedRecordsPrintWhenAsked)
{
    grid->SetOptions(grid->Options() | dgMultiSelect);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto click = [&](int row, Qt::KeyboardModifiers mods) {
        const QRect r = grid->visualRect(grid->model()->index(row, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, r.center());
    };
    click(1, Qt::NoModifier);
    click(3, Qt::ControlModifier);
    ASSERT_EQ(grid->SelectedRows(), (QList<int>{1, 3}));
    report->ReportOptions.Set(rmgoSelectedRecordsOnly, true);
    ASSERT_TRUE(report->BuildReport());
    const QList<QStringList> rows = AllPrintedRows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1].first(), "02");
    EXPECT_EQ(rows[2].first(), "04");

    // Without the option every record prints.
    report->ReportOptions.Set(rmgoSelectedRecordsOnly, false);
    ASSERT_TRUE(report->BuildReport());
    EXPECT_EQ(AllPrintedRows().size(), 6);
}

// A grid wider than the page continues on a further design page that starts with the fixed
// column again, after the empty space of the row-number column; every record prints on both.
TEST_F(PrintDBGrid, AWideGridContinuesWithItsFixedColumns)
{
    grid->ClearColumns();
    for (const char* f : {"f_code", "f_name", "f_memo", "f_name", "f_memo"})
        grid->AddColumn(QString::fromLatin1(f), QStringLiteral("T%1").arg(grid->ColumnCount()), 230);
    grid->setGeometry(0, 0, 1300, 200);
    report->ReportOptions.Set(rmgoGridNumber, true);
    report->GridFixedCols = 1;
    report->PageHeaderOnly1 = true;
    ASSERT_TRUE(report->BuildReport());
    ASSERT_GE(report->Report()->Pages.Count(), 2);
    const int nw = RMGridNumberWidth(*report, grid->font());
    bool continued = false;
    for (int p = 1; p < report->Report()->Pages.Count(); ++p)
        for (const auto& o : report->Report()->Pages[p]->Objects)
            if (o->Memo.join(QString()) == QLatin1String("T0")) {
                continued = true;
                EXPECT_EQ(o->Left, 38 + nw) << "the number column is not repeated; its space stays";
            }
    EXPECT_TRUE(continued);
    ASSERT_TRUE(RMPrepareReport(*report->Report()));
    TRMEMFPages& pages = RMPreparedPages(*report->Report());
    ASSERT_GE(pages.Count(), 2);
    for (int p = 0; p < pages.Count(); ++p) {
        QStringList texts;
        pages.ExportPage(p, [&](TRMView& v) { texts << v.Memo.join(QString()); });
        EXPECT_TRUE(texts.contains(QStringLiteral("05"))) << "page " << p << " has the fixed column";
        EXPECT_TRUE(texts.contains(QStringLiteral("T0"))) << "page " << p;
    }
}

// Only the first grid of a form prints: a data grid after a string grid adds nothing (and the
// other way round); a data grid without an active data set prints nothing but still counts.
TEST_F(PrintDBGrid, OnlyTheFirstGridOfAFormPrints)
{
    auto* strings = Put(new TStringGrid, 10, 300, 200, 80);
    strings->SetColCount(1);
    strings->SetRowCount(2);
    strings->SetCells(0, 0, QStringLiteral("字符表"));
    strings->SetCells(0, 1, QStringLiteral("行"));
    ASSERT_TRUE(report->BuildReport());
    EXPECT_NE(ViewWith(QStringLiteral("名称")), nullptr);
    EXPECT_EQ(ViewWith(QStringLiteral("字符表")), nullptr);

    data.Close();
    ASSERT_TRUE(report->BuildReport());
    EXPECT_EQ(ViewWith(QStringLiteral("名称")), nullptr);
    EXPECT_EQ(ViewWith(QStringLiteral("字符表")), nullptr) << "the inactive grid came first";
}

// The multi-title grid keeps its own printer, the standard grid gets this one.
TEST_F(PrintDBGrid, EachGridClassHasItsPrinter)
{
    TDBGridMT mt;
    ASSERT_NE(RMFindControlPrinter(mt), nullptr);
    EXPECT_EQ(RMFindControlPrinter(mt)->Name, "TRMPrintMTGrid");
    ASSERT_NE(RMFindControlPrinter(*grid), nullptr);
    EXPECT_EQ(RMFindControlPrinter(*grid)->Name, "TRMFormPrintDBGrid");
}

} // namespace
} // namespace pq
