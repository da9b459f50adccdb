// The list printing of the payment-type window, driven through its keys: what reaches the
// printed list (rows, order, cuts), what the pages show, the printer question, the preview.
#include "tests/paymenttype/window_fixture.h"

#include "base/gbk_text.h"
#include "report/engine/expr/variables.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rich/rtf_reader.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_rich_view.h"
#include "report/gridreport/rm_grid_report.h"
#include "report/preview/pagesetup/rm_page_setup_form.h"
#include "tests/support/pdf_files.h"
#include "widgets/db_grid_mt.h"

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTextDocument>

using namespace pq;
using namespace pq::test;

namespace {

const QString kQuestion = QStringLiteral("请准备好打印机，进行打印!");
const QStringList kTitles{QStringLiteral("支付方式编码"), QStringLiteral("支付方式名称")};

// What the prepared pages hold: per page the memo texts (in page order) and the text of
// the rich views.
struct PrintedList {
    QList<QStringList> memos;
    QList<QStringList> rich;
    int Pages() const { return static_cast<int>(memos.size()); }
    // The data cells of every page, code and name side by side: memo texts that are neither
    // titles nor the empty footer cells.
    QList<QStringList> Rows() const
    {
        QList<QStringList> rows;
        for (const QStringList& page : memos) {
            QStringList cells;
            for (const QString& t : page)
                if (!kTitles.contains(t))
                    cells << t;
            // The footer row closes the list with two empty cells.
            if (&page == &memos.last() && cells.size() >= 2 && cells.last().isEmpty() && cells.at(cells.size() - 2).isEmpty())
                cells.resize(cells.size() - 2);
            for (qsizetype i = 0; i + 1 < cells.size(); i += 2)
                rows.append({cells.at(i), cells.at(i + 1)});
        }
        return rows;
    }
};

PrintedList Read(TRMEMFPages& pages)
{
    PrintedList out;
    for (int i = 0; i < pages.Count(); ++i) {
        QStringList memos, rich;
        pages.ExportPage(i, [&](TRMView& v) {
            if (auto* r = dynamic_cast<TRMRichView*>(&v)) {
                QTextDocument d;
                RMReadRtf(r->Rtf(), d);
                rich << d.toPlainText();
            } else if (auto* m = dynamic_cast<TRMMemoView*>(&v)) {
                memos << m->Memo1.join(QLatin1Char('\n'));
            }
        });
        out.memos << memos;
        out.rich << rich;
    }
    return out;
}

QString Insert(const QString& code, const QString& name)
{
    return QStringLiteral("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('%1','%2','0001')").arg(code, name);
}

class ListPrinting : public WindowFixture {
protected:
    TRMEMFPages& Prepared() const { return RMPreparedPages(*window->RMFormReport1->Report()); }
    // Ctrl+P, answering the printer question with OK.
    void Print()
    {
        boxes.answers = {MsgOk};
        Key(Qt::Key_P, Qt::ControlModifier);
    }
    int Documents() const { return engine.backend->CountCalls(QStringLiteral("EndDoc")); }
};

// What reaches the list from the grid: rows in grid order with their cells as displayed,
// rows without a code left out, values cut to 20 bytes at a character boundary.
TEST_F(ListPrinting, TheGridRowsWithACodeArePrintedInGridOrder)
{
    struct Case {
        const char* what;
        QStringList seed;
        std::function<void()> edit;
        QList<QStringList> rows;
    };
    const QList<Case> cases{
        {"a grid whose only row is empty", {}, nullptr, {}},
        {"a code with an empty name", {Insert("01", "")}, nullptr, {{"01", ""}}},
        {"grid order, a row typed but not stored included",
            {Insert("02", "支票"), Insert("01", "现金")},
            [this] {
                Key(Qt::Key_A, Qt::ControlModifier);
                Type(QStringLiteral("07"));
                Key(Qt::Key_Tab);
                Type(QStringLiteral("银联卡"));
            },
            {{"02", "支票"}, {"01", "现金"}, {"07", "银联卡"}}},
        {"a row whose code was emptied is skipped; a name keeps its blanks",
            {Insert("01", "现金"), Insert("02", "支票")},
            [this] {
                Edit(1, 2, QStringLiteral(" 支 票 "));
                Edit(0, 1, QString());
            },
            {{"02", " 支 票 "}}},
        // 一..十 is 20 bytes; one letter before them leaves no room for the tenth character.
        {"a 20-byte cut lands before a Chinese character it would split",
            {Insert("01", "a一二三四五六七八九十"), Insert("02", "一二三四五六七八九十ab")}, nullptr,
            {{"01", "a一二三四五六七八九"}, {"02", "一二三四五六七八九十"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(c.seed);
        if (c.edit)
            c.edit();
        const int before = Documents();
        Print();
        EXPECT_EQ(boxes.Texts(), QStringList{kQuestion});
        EXPECT_EQ(Documents(), before + 1) << "one document went to the printer";
        const PrintedList list = Read(Prepared());
        EXPECT_EQ(list.Rows(), c.rows);
        EXPECT_EQ(window->cdsprint.RecordCount(), c.rows.size());
        for (int r = 0; r < window->cdsprint.RecordCount(); ++r)
            for (int f = 0; f < 2; ++f)
                EXPECT_LE(GbkLength(window->cdsprint.ValueAt(r, f).toText()), 20);
        TearDown();
        boxes.Clear();
    }
}

// A list of several pages: the title and column titles on page 1 only, every row once, in
// order, and nothing of the date, time, operator or page numbers.
TEST_F(ListPrinting, ALongListShowsTitlesOnPageOneOnlyAndNoFooterTexts)
{
    QStringList seed;
    for (int i = 1; i <= 130; ++i)
        seed << Insert(QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("支付方式%1").arg(i));
    Open(seed);
    Print();
    const PrintedList list = Read(Prepared());
    ASSERT_GE(list.Pages(), 3);
    const QList<QStringList> rows = list.Rows();
    ASSERT_EQ(rows.size(), 130);
    for (int i = 0; i < 130; ++i)
        EXPECT_EQ(rows[i], (QStringList{QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0')), QStringLiteral("支付方式%1").arg(i + 1)}));

    EXPECT_EQ(list.memos[0].mid(0, 2), kTitles) << "column titles open page 1";
    ASSERT_EQ(list.rich[0].size(), 1) << "the page header caption";
    EXPECT_EQ(list.rich[0][0].section(QLatin1Char('\n'), 0, 0).trimmed(), "支付方式档案");
    for (int p = 1; p < list.Pages(); ++p) {
        SCOPED_TRACE(p + 1);
        EXPECT_TRUE(list.rich[p].isEmpty());
        EXPECT_FALSE(list.memos[p].contains(kTitles[0]));
    }
    const QString operatorName = WindowValues().OperatorName;
    ASSERT_FALSE(operatorName.isEmpty());
    for (int p = 0; p < list.Pages(); ++p)
        for (const QString& t : list.memos[p] + list.rich[p])
            for (const QString& absent : {QStringLiteral("打印日期"), QStringLiteral("打印时间"), QStringLiteral("操 作 员"),
                     QStringLiteral("页"), operatorName, WindowValues().ServerDateText})
                EXPECT_FALSE(t.contains(absent)) << "page " << p + 1 << ": " << t.toStdString();
    EXPECT_EQ(engine.backend->CountCalls(QStringLiteral("StartPage")), list.Pages());
}

// The report variables come from the server's clock and the operator; the hidden grid's
// title colour is black while the report runs and white afterwards; a second print starts
// from an empty print data set and prints the same list.
TEST_F(ListPrinting, PrintingTwiceGivesTheSameListAndTheWindowValuesAsVariables)
{
    Open({Insert("01", "现金"), Insert("02", "支票")});
    QColor during;
    window->RMFormReport1->OnBeginDoc = [&] { during = window->dgdView->TitleFontColor(); };
    Print();
    const PrintedList first = Read(Prepared());
    Print();
    const PrintedList second = Read(Prepared());
    EXPECT_EQ(Documents(), 2);
    EXPECT_EQ(first.memos, second.memos);
    EXPECT_EQ(second.Rows(), (QList<QStringList>{{"01", "现金"}, {"02", "支票"}}));
    EXPECT_EQ(window->cdsprint.RecordCount(), 2);
    EXPECT_EQ(during, QColor(Qt::black));
    EXPECT_EQ(window->dgdView->TitleFontColor(), QColor(255, 255, 255));

    const PaymentTypeWindowValues& v = WindowValues();
    const TRMVariables& globals = RMGlobalVariables();
    EXPECT_EQ(globals.GetVariable("Oper").toText(), v.OperatorName);
    EXPECT_EQ(v.OperatorName, "张晓明");
    EXPECT_EQ(globals.GetVariable("Date").toText(), v.ServerDateText);
    EXPECT_EQ(globals.GetVariable("Time").toText(), v.ServerTimeText);
    EXPECT_EQ(v.ServerDateText.size(), 8);
    EXPECT_EQ(globals.GetVariable("Title").toText(), "支付方式档案");
}

// Cancel at the printer question prints nothing and leaves the print data set alone; the
// print button asks the same question.
TEST_F(ListPrinting, CancelAtThePrinterQuestionPrintsNothing)
{
    Open({Insert("01", "现金")});
    boxes.answers = {MsgCancel};
    Key(Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(boxes.shown.size(), 1);
    const MessageBoxRequest& box = boxes.shown[0];
    EXPECT_EQ(box.text, kQuestion);
    EXPECT_EQ(box.caption, "提示");
    EXPECT_EQ(box.icon, MsgIcon::Information);
    EXPECT_EQ(box.buttons, MsgOk | MsgCancel);
    EXPECT_EQ(box.owner, window.data());
    EXPECT_EQ(engine.backend->CountCalls(QStringLiteral("StartDoc")), 0);
    EXPECT_FALSE(window->cdsprint.Active());

    boxes.Clear();
    boxes.answers = {MsgCancel};
    QTest::mouseClick(window->btnPrint, Qt::LeftButton);
    EXPECT_EQ(boxes.Texts(), QStringList{kQuestion});
    EXPECT_EQ(engine.backend->CountCalls(QStringLiteral("StartDoc")), 0);
    EXPECT_EQ(previewsSeen, 0);
}

// Ctrl+V opens the preview over the list with its pages and waits until it is closed; no
// question is asked and nothing is printed. In the preview the page setup builds the list
// again for the new paper and the PDF export writes its rows; closing returns to the
// window with its rows as they were.
TEST_F(ListPrinting, CtrlVPreviewsTheListAndReturnsToTheWindowIntact)
{
    QStringList seed;
    for (int i = 1; i <= 100; ++i)
        seed << Insert(QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("名称%1").arg(i));
    Open(seed);
    const QStringList lastRow = RowCells(Grid()->RowCount() - 1);
    PrintedList shown, landscape;
    QStringList actions;
    bool modal = false;
    int dialogs = 0;
    const QString pdf = home.filePath(QStringLiteral("list.pdf"));
    QString exportError;
    onPreview = [&](TRMPreviewForm& form) {
        modal = form.isModal();
        shown = Read(*form.Preview()->Pages());
        for (const char* name : {"btnFind", "btnOpen", "btnSave", "btnSaveToXLS", "btnExportPdf", "btnPrint",
                 "btnPageSetup", "btnExit", "btnSuperExp", "btnDesign"})
            if (QAction* a = form.Item(QString::fromLatin1(name)); a && a->isVisible())
                actions << QString::fromLatin1(name);
        if (const QString out = qEnvironmentVariable("PQ_SHOT_DIR"); !out.isEmpty()) {
            form.resize(900, 1000);
            form.Item(QStringLiteral("btnWholePage"))->trigger();
            form.grab().save(QDir(out).filePath(QStringLiteral("pq-list-preview-whole.png")));
            form.Item(QStringLiteral("btn100"))->trigger();
            form.grab().save(QDir(out).filePath(QStringLiteral("pq-list-preview-100.png")));
            form.Item(QStringLiteral("btnLast"))->trigger();
            form.grab().save(QDir(out).filePath(QStringLiteral("pq-list-preview-last.png")));
        }
        QTimer answer;
        answer.setInterval(5);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<TRMPageSetupForm*>(QApplication::activeModalWidget())) {
                answer.stop();
                ++dialogs;
                QTest::mouseClick(d->LandscapeButton(), Qt::LeftButton);
                QTest::mouseClick(d->OkButton(), Qt::LeftButton);
            }
        });
        answer.start();
        form.Item(QStringLiteral("btnPageSetup"))->trigger();
        landscape = Read(*form.Preview()->Pages());
        EXPECT_EQ(form.Preview()->Pages()->Page(0)->Orientation, poLandscape);
        EXPECT_TRUE(form.ExportPdf(pdf, &exportError));
    };
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(previewsSeen, 1);
    EXPECT_TRUE(modal);
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_EQ(engine.backend->CountCalls(QStringLiteral("StartDoc")), 0);
    EXPECT_EQ(shown.Pages(), 3);
    ASSERT_EQ(shown.Rows().size(), 100);
    EXPECT_EQ(shown.Rows().first(), (QStringList{"001", "名称1"}));
    EXPECT_EQ(actions,
        (QStringList{"btnFind", "btnOpen", "btnSave", "btnSaveToXLS", "btnExportPdf", "btnPrint", "btnPageSetup", "btnExit"}));

    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(window->RMFormReport1->PageLayout().pgOr, poLandscape) << "the page setup went to the report's layout";
    EXPECT_EQ(landscape.Rows(), shown.Rows());
    EXPECT_GT(landscape.Pages(), shown.Pages()) << "fewer rows fit a landscape page";

    EXPECT_TRUE(exportError.isEmpty()) << exportError.toStdString();
    bool read = false;
    const QString text = PdfPageTexts(pdf, &read).join(QString());
    ASSERT_TRUE(read) << "pdftotext (poppler-utils, in the setup script) could not read the export";
    EXPECT_TRUE(text.contains(QStringLiteral("支付方式档案")));
    EXPECT_TRUE(text.contains(QStringLiteral("名称100")));

    EXPECT_EQ(RowCells(Grid()->RowCount() - 1), lastRow);
    EXPECT_EQ(Grid()->RowCount(), 101);
    EXPECT_EQ(window->dgdView->TitleFontColor(), QColor(255, 255, 255));
    EXPECT_FALSE(window->dgdView->isVisible());
}

// The report component ships the window's settings.
TEST_F(ListPrinting, TheReportComponentCarriesTheWindowsSettings)
{
    Open();
    const TRMFormReport& r = *window->RMFormReport1;
    EXPECT_EQ(r.PrintControl.data(), window->dgdView);
    EXPECT_EQ(r.ReportOptions, (TRMGridReportOptions{rmgoStretch, rmgoWordWrap, rmgoGridLines, rmgoDoubleFrame,
                                  rmgoRebuildAfterPageChanged}));
    const TRMPageLayout& l = r.PageLayout();
    EXPECT_EQ((QList<int>{l.LeftMargin, l.TopMargin, l.RightMargin, l.BottomMargin, l.Columns, l.Width, l.Height, l.pgBin}),
        (QList<int>{38, 38, 38, 38, 1, 2100, 2970, 0}));
    EXPECT_EQ(l.PrinterName, "默认打印机");
    EXPECT_TRUE(l.DoublePass);
    EXPECT_FALSE(l.PrintBackColor);
    EXPECT_EQ(r.PageHeader().Caption().size(), 6);
    EXPECT_EQ(r.ColumnFooter().Caption().size(), 6);
    EXPECT_EQ(r.PageFooter().Caption().size(), 4);
    EXPECT_EQ(r.PageHeader().Caption()[3], QStringLiteral("\\par \\pard\\f1\\fs18 [Condi]\\f0\\fs44 "));
    EXPECT_EQ(r.PageHeader().Caption()[4], QStringLiteral("\\par \\pard\\qr\\fs16     "));
    EXPECT_TRUE(r.ColumnFooter().Caption()[2].endsWith(QStringLiteral("[Time]") + QString(21, QLatin1Char(' '))));
    // The header reads as the title in 黑体, then the condition line in 宋体.
    QTextDocument header;
    RMReadRtf(TRMRichView::JoinRtf(r.PageHeader().Caption()), header);
    EXPECT_EQ(header.toPlainText().section(QLatin1Char('\n'), 0, 1), "[Title]\n[Condi]");
    QTextDocument footer;
    RMReadRtf(TRMRichView::JoinRtf(r.ColumnFooter().Caption()), footer);
    EXPECT_TRUE(footer.toPlainText().startsWith("打印日期:[Date]  打印时间:[Time]")) << footer.toPlainText().toStdString();
    EXPECT_TRUE(footer.toPlainText().contains("页    数:第[Page#]页/共[TotalPages#]页"));
    EXPECT_EQ(r.GridNumOptions().Text, "No");
    EXPECT_EQ(r.GridFontOptions().Font.family(), "MS Sans Serif");
    EXPECT_EQ(r.GridFontOptions().Font.pixelSize(), 11);
    EXPECT_EQ(r.PreviewButtons, pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbPageSetup | pbExit | pbSaveToXLS);
    EXPECT_FALSE(r.ShowPrintDialog);
    EXPECT_EQ(r.Groups().Count(), 0);

    const TDBGridMT& g = *window->dgdView;
    ASSERT_EQ(g.ColumnCount(), 2);
    EXPECT_EQ(g.Column(0).FieldName, "f_zffsbm");
    EXPECT_EQ(g.Column(1).FieldName, "f_zffsmc");
    EXPECT_EQ(g.Column(0).Title.Caption, kTitles[0]);
    EXPECT_EQ(g.Color(), QColor(251, 254, 222));
    EXPECT_EQ(g.FooterRowCount(), 1);
    EXPECT_EQ(g.font().family(), "宋体");
    EXPECT_EQ(g.font().pixelSize(), 12);
    EXPECT_FALSE(g.Options() & dgEditing);
    EXPECT_TRUE(g.Options() & dgRowSelect);
}

} // namespace
