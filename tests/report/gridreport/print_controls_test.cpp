// A form of ordinary Qt controls printed through the grid report: each control becomes the
// view of its printer at its place, above the grid in the header band or below it in the
// column-footer band, and the prepared page shows their texts.
#include "report/gridreport/rm_grid_report.h"

#include "form_print_fixture.h"
#include "base/client_dataset.h"
#include "base/data_source.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rich/rtf_reader.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_rich_view.h"
#include "widgets/column_grid.h"
#include "widgets/db_grid_mt.h"
#include "widgets/image_control.h"
#include "widgets/shape_control.h"
#include "widgets/string_grid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimeEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace pq {
namespace {

using test::FormPrint;

// Each control's view: its kind, bounds (38-pixel margins added by the build), text and
// settings as its printer makes them.
TEST_F(FormPrint, EachControlBecomesItsViewAtItsPlace)
{
    auto* label = Put(new QLabel(QStringLiteral("支付方式")), 10, 10, 120, 20);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    label->setWordWrap(true);
    auto* edit = Put(new QLineEdit(QStringLiteral("现金")), 10, 40, 150, 24);
    auto* combo = Put(new QComboBox, 200, 40, 120, 24);
    combo->addItems({QStringLiteral("集团总部"), QStringLiteral("华东分公司")});
    combo->setCurrentIndex(1);
    auto* off = Put(new QCheckBox(QStringLiteral("停用")), 10, 80, 100, 20);
    auto* on = Put(new QCheckBox(QStringLiteral("启用")), 120, 80, 100, 20);
    on->setChecked(true);
    auto* memo = Put(new QPlainTextEdit(QStringLiteral("第一行\n第二行")), 10, 110, 200, 60);
    auto* list = Put(new QListWidget, 220, 110, 100, 60);
    list->addItems({QStringLiteral("甲"), QStringLiteral("乙")});
    auto* date = Put(new QDateEdit(QDate(2026, 12, 11)), 10, 180, 100, 22);
    auto* time = Put(new QTimeEdit(QTime(9, 30)), 120, 180, 100, 22);
    auto* rich = Put(new QTextEdit, 10, 210, 200, 40);
    rich->setHtml(QStringLiteral("<b>粗体</b>说明"));
    auto* circle = Put(new TShape, 260, 210, 60, 40);
    circle->SetShape(TShape::stCircle);
    circle->SetBrushColor(QColor(200, 230, 255));
    auto* image = Put(new TImage, 340, 210, 60, 40);
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(QColor(220, 60, 60));
    image->SetPicture(picture);
    image->SetStretch(true);
    report->ReportOptions.Set(rmgoDrawBorder, true);
    ASSERT_TRUE(report->BuildReport());
    const QList<TRMView*> views = Views();
    for (TRMView* v : views)
        EXPECT_EQ(BandOf(v), btReportTitle) << "no grid: everything is in the header band";

    TRMView* l = ViewWith(QStringLiteral("支付方式"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(Bounds(l), QRect(48, 46, 128, 24)) << "width + 8, height + 4, two pixels up";
    auto* lm = dynamic_cast<TRMMemoView*>(l);
    ASSERT_NE(lm, nullptr);
    EXPECT_EQ(lm->HAlign(), 2);
    EXPECT_EQ(lm->Layout(), 2);
    EXPECT_TRUE(lm->HasFlag(flMemoWordwrap));
    EXPECT_EQ(l->FrameTyp(), 15) << "rmgoDrawBorder frames every view";

    const int fw = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    TRMView* e = ViewWith(QStringLiteral("现金"));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(Bounds(e), QRect(48 + fw, 78 + fw, 150 - 2 * fw, 24 - 2 * fw)) << "on the client area";
    EXPECT_EQ(dynamic_cast<TRMMemoView*>(e)->Layout(), 1);
    ASSERT_NE(ViewWith(QStringLiteral("华东分公司")), nullptr) << "the combo box's current text";

    // A check box: the mark's view (18 wide) and the caption beside it.
    int boxes = 0;
    QStringList marks;
    for (TRMView* v : views)
        if (auto* box = dynamic_cast<TRMCheckBoxView*>(v)) {
            ++boxes;
            marks << box->Memo.join(QString());
            EXPECT_EQ(box->CheckStyle, TRMCheckBoxView::csCross);
            EXPECT_EQ(box->Width, 18);
            EXPECT_EQ(box->Height, 22);
        }
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(marks, (QStringList{"0", "1"})) << "unchecked, then checked";
    TRMView* caption = ViewWith(QStringLiteral("停用"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(Bounds(caption), QRect(48 + 18, 118, 84, 22));

    EXPECT_NE(ViewWith(QStringLiteral("第一行\n第二行")), nullptr) << "a memo's lines";
    TRMView* items = ViewWith(QStringLiteral("甲\n乙"));
    ASSERT_NE(items, nullptr) << "a list box's items, one a line";
    EXPECT_EQ(dynamic_cast<TRMMemoView*>(items)->Layout(), 1);

    const QLocale system = QLocale::system();
    TRMView* d = ViewWith(system.toString(QDate(2026, 12, 11), QLocale::ShortFormat));
    ASSERT_NE(d, nullptr) << "a date edit as the short date";
    EXPECT_EQ(Bounds(d), QRect(48, 218, 102, 24));
    EXPECT_NE(ViewWith(system.toString(QTime(9, 30), QLocale::ShortFormat)), nullptr) << "a time edit as the short time";

    TRMRichView* r = nullptr;
    for (TRMView* v : views)
        if ((r = dynamic_cast<TRMRichView*>(v)))
            break;
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Bounds(r), QRect(48, 248, 202, 42));
    QTextDocument doc;
    RMReadRtf(r->Rtf(), doc);
    EXPECT_EQ(doc.toPlainText(), "粗体说明");
    EXPECT_TRUE(doc.begin().begin().fragment().charFormat().font().bold()) << "the rich text, not only its words";
    if (const QString out = qEnvironmentVariable("PQ_SHOT_DIR"); !out.isEmpty() && RMPrepareReport(*report->Report())) {
        TRMEMFPages& pages = RMPreparedPages(*report->Report());
        QImage page(794, 1123, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        pages.Draw(0, &p, page.rect());
        p.end();
        page.save(QDir(out).filePath(QStringLiteral("pq-form-controls.png")));
    }
    (void)off;
    (void)memo;
    (void)date;
    (void)time;
}

// Controls above the grid print above it, controls below it below the rows; without
// rmgoDrawBorder nothing is framed.
TEST_F(FormPrint, ControlsAboveAndBelowAGridGoAboveAndBelowItsRows)
{
    ClientDataSet data;
    data.CreateTextFields({{"f_code", 4}, {"f_name", 20}});
    data.SetOwnerAndName(&form, QStringLiteral("cdsList"));
    for (const char* name : {"现金", "支票", "银联卡"})
        data.AppendRecord({QStringLiteral("0%1").arg(data.RecordCount() + 1), QString::fromUtf8(name)});
    data.First();
    auto* source = new TDataSource(&form, &data);
    Put(new QLabel(QStringLiteral("上面")), 10, 10, 100, 20);
    auto* grid = Put(new TDBGridMT, 10, 40, 300, 200);
    grid->SetDataSource(source);
    grid->AddColumn(QStringLiteral("f_code"), QStringLiteral("编码"), 80);
    grid->AddColumn(QStringLiteral("f_name"), QStringLiteral("名称"), 150);
    grid->ColumnsChanged();
    Put(new QLineEdit(QStringLiteral("下面")), 10, 260, 100, 24);
    // The column-footer band prints only when the header prints on every page.
    report->PageHeaderOnly1 = true;
    ASSERT_TRUE(report->BuildReport());
    TRMView* above = ViewWith(QStringLiteral("上面"));
    ASSERT_NE(above, nullptr);
    EXPECT_EQ(BandOf(above), btPageHeader);
    TRMView* below = ViewWith(QStringLiteral("下面"));
    ASSERT_NE(below, nullptr);
    EXPECT_EQ(BandOf(below), btColumnFooter) << "filed after the grid";
    EXPECT_EQ(below->FrameTyp(), 0);

    ASSERT_TRUE(RMPrepareReport(*report->Report()));
    TRMEMFPages& pages = RMPreparedPages(*report->Report());
    ASSERT_EQ(pages.Count(), 1);
    QStringList texts;
    QList<int> tops;
    pages.ExportPage(0, [&](TRMView& v) {
        if (dynamic_cast<TRMMemoView*>(&v)) {
            texts << v.Memo.join(QString());
            tops << v.Top;
        }
    });
    const qsizetype first = texts.indexOf(QStringLiteral("上面"));
    const qsizetype last = texts.indexOf(QStringLiteral("银联卡"));
    const qsizetype after = texts.indexOf(QStringLiteral("下面"));
    ASSERT_GE(first, 0);
    ASSERT_GE(last, 0);
    ASSERT_GE(after, 0) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(texts.count(QStringLiteral("上面")), 1);
    EXPECT_EQ(texts.count(QStringLiteral("下面")), 1);
    EXPECT_LT(tops[first], tops[last]);
    EXPECT_GT(tops[after], tops[last]) << "below the last row";
}

// Shapes print as their figure, or as a line when they are two pixels thin or less; the
// brush gives the fill, the pen the frame colour and width.
TEST_F(FormPrint, ShapesPrintAsTheirFigureOrAsALine)
{
    struct Case {
        const char* what;
        TShape::TShapeType shape;
        QSize size;
        int penWidth;
        bool line;
        int code;       // shape views
        float width;    // frame width
    };
    const Case cases[] = {
        {"ellipse 100x50, pen 2", TShape::stEllipse, {100, 50}, 2, false, TRMShapeView::skEllipse, 2},
        {"the same 100x2", TShape::stEllipse, {100, 2}, 2, true, 0, 2},
        {"rounded rectangle 2 wide", TShape::stRoundRect, {2, 50}, 1, true, 0, 2},
        {"rectangle 1 wide", TShape::stRectangle, {1, 40}, 3, true, 0, 1},
        {"rectangle 100x50, its figure", TShape::stRectangle, {100, 50}, 1, false, TRMShapeView::skRectangle, 1},
        {"square", TShape::stSquare, {80, 40}, 1, false, TRMShapeView::skSquare, 1},
        {"rounded rectangle", TShape::stRoundRect, {80, 40}, 3, false, TRMShapeView::skRoundRectangle, 3},
        {"rounded square", TShape::stRoundSquare, {80, 40}, 1, false, TRMShapeView::skRoundSquare, 1},
        {"circle", TShape::stCircle, {80, 40}, 1, false, TRMShapeView::skCircle, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* shape = Put(new TShape, 20, 30, c.size.width(), c.size.height());
        shape->SetShape(c.shape);
        shape->SetPen({c.penWidth, QColor(255, 0, 0), 4});
        shape->SetBrushColor(QColor(0, 0, 255));
        ASSERT_TRUE(report->BuildReport());
        const QList<TRMView*> views = Views();
        ASSERT_EQ(views.size(), 1);
        TRMView* v = views[0];
        EXPECT_EQ(Bounds(v), QRect(58, 68, c.size.width(), c.size.height()));
        EXPECT_EQ(dynamic_cast<TRMLineView*>(v) != nullptr, c.line);
        if (!c.line) {
            auto* figure = dynamic_cast<TRMShapeView*>(v);
            ASSERT_NE(figure, nullptr);
            EXPECT_EQ(figure->Shape, c.code);
            EXPECT_EQ(figure->PenMode, 4);
        }
        for (TRMFrameLine* f : v->Frames()) {
            EXPECT_EQ(f->Width, c.width);
            EXPECT_EQ(f->Color, 0x0000FFu) << "the pen's red as 0x00BBGGRR";
        }
        EXPECT_EQ(v->FillColor, 0xFF0000u) << "the brush's blue";
        delete shape;
    }
}

// An image prints its picture at its size, centred or stretched as the control shows it,
// without a frame; an image without a picture prints an empty picture view.
TEST_F(FormPrint, ImagesPrintTheirPicture)
{
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(QColor(10, 200, 30));
    auto* image = Put(new TImage, 30, 20, 100, 60);
    image->SetPicture(picture);
    image->SetCenter(true);
    auto* empty = Put(new TImage, 200, 20, 50, 50);
    empty->SetStretch(true);
    ASSERT_TRUE(report->BuildReport());
    QList<TRMPictureView*> pictures;
    for (TRMView* v : Views())
        if (auto* p = dynamic_cast<TRMPictureView*>(v))
            pictures << p;
    ASSERT_EQ(pictures.size(), 2);
    TRMPictureView& a = *pictures[0];
    EXPECT_EQ(Bounds(&a), QRect(68, 58, 100, 60));
    EXPECT_EQ(a.Picture.Image().size(), QSize(40, 20));
    EXPECT_EQ(a.Picture.Image().pixelColor(5, 5), QColor(10, 200, 30));
    EXPECT_TRUE(a.HasFlag(TRMPictureView::flPictCenter));
    EXPECT_FALSE(a.HasFlag(TRMPictureView::flPictStretched));
    EXPECT_FALSE(a.HasFlag(TRMPictureView::flPictKeepAspect));
    for (TRMFrameLine* f : a.Frames())
        EXPECT_EQ(f->Width, 0.0f);
    TRMPictureView& b = *pictures[1];
    EXPECT_TRUE(b.Picture.IsEmpty());
    EXPECT_TRUE(b.HasFlag(TRMPictureView::flPictStretched));
}

// A string grid: its fixed rows become title cells, and each grid row below them prints as a
// data row with that row's texts, as high as the grid row; "[Error]" prints empty.
TEST_F(FormPrint, AStringGridPrintsItsRowsAtTheirHeights)
{
    auto* g = Put(new TStringGrid, 10, 10, 400, 200);
    g->SetColCount(3);
    g->SetRowCount(4);
    g->SetFixedRows(1);
    const QStringList titles{QStringLiteral("编码"), QStringLiteral("名称"), QStringLiteral("备注")};
    for (int c = 0; c < 3; ++c) {
        g->SetColWidth(c, 80 + 20 * c);
        g->SetCells(c, 0, titles[c]);
        for (int r = 1; r < 4; ++r)
            g->SetCells(c, r, QStringLiteral("%1-%2").arg(r).arg(c));
    }
    g->SetCells(2, 2, QStringLiteral("[Error]"));
    g->SetRowHeight(0, 18);
    g->SetRowHeight(1, 20);
    g->SetRowHeight(2, 34);
    g->SetRowHeight(3, 26);
    ASSERT_TRUE(report->BuildReport());
    // Titles at the grid's place, each column width + 1 wide, row height + 4 high.
    TRMView* title = ViewWith(QStringLiteral("名称"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(Bounds(title), QRect(48 + 81, 48, 101, 22));
    EXPECT_EQ(BandOf(title), btReportTitle);

    ASSERT_TRUE(RMPrepareReport(*report->Report()));
    TRMEMFPages& pages = RMPreparedPages(*report->Report());
    ASSERT_EQ(pages.Count(), 1);
    QList<int> heights, tops;
    const QList<QStringList> rows = PrintedRows(pages, &heights, &tops);
    EXPECT_EQ(rows, (QList<QStringList>{titles, {"1-0", "1-1", "1-2"}, {"2-0", "2-1", ""}, {"3-0", "3-1", "3-2"}}));
    EXPECT_EQ(heights, (QList<int>{22, 20, 34, 26})) << "each data row as high as its grid row";
    ASSERT_EQ(tops.size(), 4);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(tops[i], tops[i - 1] + heights[i - 1]) << "row " << i << " follows the one above without a gap";
}

// Printed alone, with the heavy outer frame and two passes, the rows still follow each other
// at their heights: the heavy line that closes the grid stays below its last row.
TEST_F(FormPrint, AStringGridAloneWithTheHeavyFrame)
{
    auto* g = Put(new TStringGrid, 10, 300, 300, 150);
    g->SetColCount(2);
    g->SetRowCount(4);
    g->SetFixedRows(1);
    for (int r = 0; r < 4; ++r) {
        g->SetCells(0, r, QStringLiteral("a%1").arg(r));
        g->SetCells(1, r, QStringLiteral("b%1").arg(r));
        g->SetRowHeight(r, 20);
    }
    report->PrintControl = g;
    report->PageHeaderOnly1 = true;
    report->PageLayout().DoublePass = true;
    report->ReportOptions = TRMGridReportOptions{rmgoWordWrap, rmgoGridLines, rmgoDoubleFrame};
    ASSERT_TRUE(report->BuildReport());
    ASSERT_TRUE(RMPrepareReport(*report->Report()));
    TRMEMFPages& pages = RMPreparedPages(*report->Report());
    QList<int> heights, tops;
    QStringList dump;
    pages.ExportPage(0, [&](TRMView& v) {
        dump << QStringLiteral("%1@%2+%3 f%4").arg(v.Memo.join(QString())).arg(v.Top).arg(v.Height).arg(v.FrameTyp());
    });
    const QList<QStringList> rows = PrintedRows(pages, &heights, &tops);
    ASSERT_GE(rows.size(), 4) << dump.join(QLatin1Char(' ')).toStdString();
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(tops[i], tops[i - 1] + heights[i - 1]) << dump.join(QLatin1Char(' ')).toStdString();
    int heavy = 0;
    pages.ExportPage(0, [&](TRMView& v) { heavy += v.Height == 2 && v.Memo.isEmpty(); });
    EXPECT_EQ(heavy, 2) << "one closing line per column: " << dump.join(QLatin1Char(' ')).toStdString();
}

// A string grid wider than the page continues on a further design page that starts with the
// first GridFixedCols columns again; every data cell shows the column it was made for.
TEST_F(FormPrint, AWideStringGridRepeatsItsFixedColumnsOnTheNextPage)
{
    auto* g = Put(new TStringGrid, 0, 0, 1500, 100);
    g->SetColCount(6);
    g->SetRowCount(3);
    g->SetFixedRows(1);
    for (int c = 0; c < 6; ++c) {
        g->SetColWidth(c, 200);
        g->SetCells(c, 0, QStringLiteral("T%1").arg(c));
        for (int r = 1; r < 3; ++r)
            g->SetCells(c, r, QStringLiteral("r%1c%2").arg(r).arg(c));
    }
    report->GridFixedCols = 1;
    // Titles at the top of every printed page.
    report->PageHeaderOnly1 = true;
    ASSERT_TRUE(report->BuildReport());
    ASSERT_GE(report->Report()->Pages.Count(), 2);
    ASSERT_TRUE(RMPrepareReport(*report->Report()));
    TRMEMFPages& pages = RMPreparedPages(*report->Report());
    ASSERT_GE(pages.Count(), 2);
    QList<QStringList> texts;
    for (int p = 0; p < pages.Count(); ++p) {
        QStringList t;
        pages.ExportPage(p, [&](TRMView& v) {
            if (dynamic_cast<TRMMemoView*>(&v))
                t << v.Memo.join(QString());
        });
        texts << t;
    }
    // Page 1 takes the columns that fit; the next design page starts with column 0 again.
    const qsizetype firstTitles = texts[0].indexOf(QStringLiteral("r1c0"));
    ASSERT_GT(firstTitles, 0);
    const QStringList page1Titles = texts[0].mid(0, firstTitles);
    EXPECT_EQ(page1Titles.first(), "T0");
    const QString firstOfNext = QStringLiteral("T%1").arg(page1Titles.size());
    bool found = false;
    for (int p = 1; p < texts.size(); ++p)
        if (texts[p].contains(firstOfNext)) {
            found = true;
            EXPECT_EQ(texts[p].first(), "T0") << "the fixed column first";
            EXPECT_TRUE(texts[p].contains(QStringLiteral("r2c%1").arg(page1Titles.size())));
            EXPECT_EQ(texts[p].count(QStringLiteral("r1c0")), 1);
        }
    QStringList all;
    for (const QStringList& t : texts)
        all << t.join(QLatin1Char(','));
    EXPECT_TRUE(found) << all.join(QLatin1Char('|')).toStdString();
}

// A list view: one title row of its column captions and one data row per item, with the
// item's caption and sub-items; a second grid on the form is not printed.
TEST_F(FormPrint, AListViewPrintsItsColumnsAndItems)
{
    auto* list = Put(new QTreeWidget, 10, 10, 400, 150);
    list->setRootIsDecorated(false);
    list->setColumnCount(3);
    list->setHeaderLabels({QStringLiteral("编码"), QStringLiteral("名称"), QStringLiteral("单位")});
    list->headerItem()->setTextAlignment(2, Qt::AlignRight);
    for (int c = 0; c < 3; ++c)
        list->setColumnWidth(c, 100);
    new QTreeWidgetItem(list, {QStringLiteral("01"), QStringLiteral("现金"), QStringLiteral("总部")});
    new QTreeWidgetItem(list, {QStringLiteral("02"), QStringLiteral("支票"), QStringLiteral("分公司")});
    auto* second = Put(new TStringGrid, 10, 200, 200, 100);
    second->SetCells(0, 0, QStringLiteral("不印"));
    ASSERT_TRUE(report->BuildReport());
    TRMView* unit = ViewWith(QStringLiteral("单位"));
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(dynamic_cast<TRMMemoView*>(unit)->HAlign(), 1) << "the column's alignment";
    EXPECT_EQ(ViewWith(QStringLiteral("不印")), nullptr) << "only the first grid of a form prints";

    ASSERT_TRUE(RMPrepareReport(*report->Report()));
    TRMEMFPages& pages = RMPreparedPages(*report->Report());
    ASSERT_EQ(pages.Count(), 1);
    const QList<QStringList> rows = PrintedRows(pages);
    EXPECT_EQ(rows, (QList<QStringList>{{"编码", "名称", "单位"}, {"01", "现金", "总部"}, {"02", "支票", "分公司"}}));
}

// A column grid: a hidden column prints no title and an empty data cell of no width; the
// other cells take their column's alignment and colour, a diagonal title cell its own view.
TEST_F(FormPrint, AColumnGridLeavesItsHiddenColumnOut)
{
    auto* g = Put(new TAdvColumnGrid, 10, 10, 400, 120);
    g->SetColCount(3);
    g->SetRowCount(3);
    g->SetFixedRows(1);
    for (int c = 0; c < 3; ++c) {
        g->SetColWidth(c, 100);
        g->SetCells(c, 0, QStringLiteral("T%1").arg(c));
        for (int r = 1; r < 3; ++r)
            g->SetCells(c, r, QStringLiteral("r%1c%2").arg(r).arg(c));
    }
    g->SetColumn(1, {false, taLeftJustify, Qt::white});
    g->SetColumn(2, {true, taRightJustify, QColor(255, 255, 0)});
    g->SetCellType(0, 0, TAdvColumnGrid::ctXXX);
    ASSERT_TRUE(report->BuildReport());
    EXPECT_EQ(ViewWith(QStringLiteral("T1")), nullptr) << "no title for the hidden column";
    TRMView* diagonal = ViewWith(QStringLiteral("T0"));
    ASSERT_NE(diagonal, nullptr);
    EXPECT_EQ(diagonal->ClassName(), "TRMDiagonalView");
    TRMView* t2 = ViewWith(QStringLiteral("T2"));
    ASSERT_NE(t2, nullptr);
    EXPECT_EQ(t2->Left, 48 + 101) << "the hidden column takes no room";

    ASSERT_TRUE(RMPrepareReport(*report->Report()));
    TRMEMFPages& pages = RMPreparedPages(*report->Report());
    ASSERT_EQ(pages.Count(), 1);
    QStringList shown;
    int rightAligned = 0, yellow = 0;
    pages.ExportPage(0, [&](TRMView& v) {
        auto* m = dynamic_cast<TRMMemoView*>(&v);
        if (!m || v.Top < 70)
            return;
        shown << m->Memo.join(QString());
        if (m->Memo.join(QString()).endsWith(QStringLiteral("c2"))) {
            rightAligned += m->HAlign() == 1 ? 1 : 0;
            yellow += m->FillColor == 0x00FFFFu ? 1 : 0;
        }
    });
    EXPECT_EQ(shown, (QStringList{"r1c0", "r1c2", "r2c0", "r2c2"})) << shown.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(rightAligned, 2);
    EXPECT_EQ(yellow, 2) << "the column's colour without rmgoUseColor";
}

} // namespace
} // namespace pq
