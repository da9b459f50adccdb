// The print loop against the scripted laser: which pages, in which order, in how many jobs,
// where on the sheet, and what a cancel or a failing device leaves.
#include "print_fixture.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_progress.h"
#include "report/preview/print/rm_page_list.h"
#include "report/preview/print/rm_print_job.h"
#include "report/preview/printer/printer.h"
#include "report/preview/surface/rm_preview.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

using test::PrintFixture;

class PrintJob : public PrintFixture {
protected:
    std::vector<int> PagesOnPaper() const
    {
        std::vector<int> shown;
        for (const QImage& image : backend->PagesDrawn)
            shown.push_back(PageShown(image));
        return shown;
    }
};

TEST_F(PrintJob, PagesCopiesAndKindsPrintInTheirOrder)
{
    struct Case {
        const char* name;
        const char* pages;
        int copies;
        bool collate;
        int kind;
        std::vector<int> printed;
    };
    const Case cases[] = {
        {"collated copies", "2-3", 2, true, 0, {2, 3, 2, 3}},
        {"uncollated copies", "2-3", 2, false, 0, {2, 2, 3, 3}},
        {"odd pages", "1-6", 1, true, 1, {1, 3, 5}},
        {"even pages", "1-6", 1, true, 2, {2, 4, 6}},
        {"odd pages of an even list", "2,4", 1, true, 1, {}},
        {"all pages", "", 1, true, 0, {1, 2, 3, 4, 5, 6}},
        {"copies below one print once", "5", 0, true, 0, {5}},
        {"an unknown kind prints nothing", "", 1, true, 7, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        backend->PagesDrawn.clear();
        backend->Calls.clear();
        Printed().clear();
        TRMReport& report = Report(6);
        Track(report);
        const TRMPrintOutcome outcome = RMDoPrintReport(report, {QString::fromUtf8(c.pages), c.copies, c.kind, c.collate});
        EXPECT_EQ(Printed(), c.printed);
        EXPECT_EQ(PagesOnPaper(), c.printed);
        EXPECT_EQ(outcome.PagesPrinted, static_cast<int>(c.printed.size()));
        // One job for one paper; none at all when nothing prints.
        EXPECT_EQ(Count("StartDoc"), c.printed.empty() ? 0 : 1);
        EXPECT_EQ(Count("EndDoc"), c.printed.empty() ? 0 : 1);
        EXPECT_EQ(Count("AbortDoc"), 0);
    }
}

TEST_F(PrintJob, PrintedPagesKeepTheirVisibleMarkAndPrintAgain)
{
    TRMReport& report = Report(3);
    TRMEMFPages& pages = RMPreparedPages(report);
    pages[1]->Visible = false; // hidden from the preview, printed when asked for
    RMDoPrintReport(report, {});
    EXPECT_TRUE(pages[0]->Visible);
    EXPECT_FALSE(pages[1]->Visible);
    EXPECT_TRUE(pages[2]->Visible);
    backend->PagesDrawn.clear();
    RMDoPrintReport(report, {});
    EXPECT_EQ(PagesOnPaper(), (std::vector<int>{1, 2, 3})) << "a second print is the same";
}

TEST_F(PrintJob, AnotherOrientationStartsAnotherJob)
{
    TRMReport& report = Report(3, {poPortrait, poPortrait, poLandscape});
    const TRMPrintOutcome outcome = RMDoPrintReport(report, {});
    EXPECT_EQ(outcome.Jobs, 2);
    EXPECT_EQ(Count("StartDoc"), 2);
    EXPECT_EQ(Count("EndDoc"), 2);
    ASSERT_EQ(backend->PagesDrawn.size(), 3);
    EXPECT_LT(backend->PagesDrawn[1].width(), backend->PagesDrawn[1].height());
    EXPECT_GT(backend->PagesDrawn[2].width(), backend->PagesDrawn[2].height());
}

TEST_F(PrintJob, EndPrintPageHandlerMakesEveryPageAJobOfItsOwn)
{
    TRMReport& report = Report(3);
    std::vector<int> ended;
    report.OnEndPrintPage = [&](int& index) { ended.push_back(index); };
    RMDoPrintReport(report, {});
    EXPECT_EQ(ended, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Count("StartDoc"), 3);
    EXPECT_EQ(Count("EndDoc"), 3);
    EXPECT_EQ(Count("StartPage"), 3);

    // The handler may move on: skipping the page after each one printed.
    backend->Calls.clear();
    ended.clear();
    TRMReport& skipping = Report(5);
    skipping.OnEndPrintPage = [&](int& index) {
        ended.push_back(index);
        ++index;
    };
    RMDoPrintReport(skipping, {});
    EXPECT_EQ(ended, (std::vector<int>{0, 2, 4}));
}

TEST_F(PrintJob, CancelAfterPageTwoAbortsTheJob)
{
    TRMReport& report = Report(5);
    report.OnProgress = [&](int n) {
        Printed().push_back(n);
        if (n == 2)
            report.Terminated = true;
    };
    const TRMPrintOutcome outcome = RMDoPrintReport(report, {QString(), 3, 0, true});
    EXPECT_TRUE(outcome.Cancelled);
    EXPECT_EQ(Printed(), (std::vector<int>{1, 2}));
    EXPECT_EQ(Count("AbortDoc"), 1);
    EXPECT_EQ(Count("EndDoc"), 0) << "a cancelled job is aborted, not ended";
    EXPECT_FALSE(GetReportPrinter().Printing());
}

TEST_F(PrintJob, DeviceFailureAbortsTheJobAndReachesTheCaller)
{
    struct Case {
        const char* op;
    };
    for (const char* op : {"StartDoc", "StartPage", "EndPage", "EndDoc"}) {
        SCOPED_TRACE(op);
        backend->Calls.clear();
        backend->FailOps = {QString::fromLatin1(op)};
        TRMReport& report = Report(3);
        EXPECT_THROW(RMDoPrintReport(report, {}), TRMPrinterError);
        EXPECT_FALSE(GetReportPrinter().Printing());
        EXPECT_EQ(Count("EndDoc"), QString::fromLatin1(op) == "EndDoc" ? 1 : 0);
    }
    backend->FailOps.clear();
}

TEST_F(PrintJob, AnUnreadablePageListStartsNoJob)
{
    TRMReport& report = Report(3);
    EXPECT_THROW(RMDoPrintReport(report, {QStringLiteral("1,,2")}), TRMPageListError);
    EXPECT_THROW(RMPrintPreparedReport(report, {QStringLiteral("5--6")}), TRMPageListError);
    EXPECT_EQ(Count("StartDoc"), 0);
    EXPECT_EQ(Count("CreateContext Laser print"), 0);
}

TEST_F(PrintJob, PrintOffsetsMoveThePageOnTheSheet)
{
    const int row = (test::kBoxTop + test::kBoxSize / 2) * 60 / 96 - 10;
    TRMReport& plain = Report(1);
    RMDoPrintReport(plain, {});
    TRMReport& shifted = Report(1);
    shifted.PrintOffsetLeft = 38;
    shifted.PrintOffsetTop = -20;
    RMDoPrintReport(shifted, {});
    ASSERT_EQ(backend->PagesDrawn.size(), 2);
    const QImage& a = backend->PagesDrawn[0];
    const QImage& b = backend->PagesDrawn[1];
    // 38 screen pixels on a 60-dpi sheet: 38 × 496 ÷ 794 device pixels.
    EXPECT_NEAR(PrintFixture::BoxLeftIn(b, row - 12) - PrintFixture::BoxLeftIn(a, row), 24, 1);
    const auto topOf = [](const QImage& image, int x) {
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 64)
                return y;
        return -1;
    };
    const int x = PrintFixture::BoxLeftIn(a, row) + 5;
    EXPECT_NEAR(topOf(b, x + 24) - topOf(a, x), -12, 1); // -20 × 701 ÷ 1123
}

TEST_F(PrintJob, PreprintedFormsLeaveOutViewsThatAreNotPrintVisible)
{
    TRMReport& report = Report(2);
    report.PrintTaoda = true;
    RMDoPrintReport(report, {});
    ASSERT_EQ(backend->PagesDrawn.size(), 2);
    EXPECT_EQ(PageShown(backend->PagesDrawn[0]), 1);
    EXPECT_EQ(PageShown(backend->PagesDrawn[1]), 0) << "page 2's box is not PrintVisible";

    // Outside the mode every view prints.
    backend->PagesDrawn.clear();
    TRMReport& normal = Report(2);
    RMDoPrintReport(normal, {});
    EXPECT_EQ(PagesOnPaper(), (std::vector<int>{1, 2}));
}

TEST_F(PrintJob, ScalingOntoAnotherPaperAndThePrintScale)
{
    const int row = (test::kBoxTop + test::kBoxSize / 2) * 60 / 96 - 10;
    TRMReport& plain = Report(1);
    RMDoPrintReport(plain, {});
    const int plainLeft = PrintFixture::BoxLeftIn(backend->PagesDrawn.back(), row);
    EXPECT_NEAR(plainLeft, test::BoxLeft(1) * 0.625 - 10, 1);

    // A4 onto A3: the page grows by the ratio of the sheets and keeps its proportions.
    TRMReport& onA3 = Report(1);
    onA3.ScalePaperId = 8;
    onA3.ScalePaperWidth = 2970;
    onA3.ScalePaperHeight = 4200;
    RMDoPrintReport(onA3, {});
    const QImage& a3 = backend->PagesDrawn.back();
    EXPECT_NEAR(a3.width(), 701 - 20, 1);
    EXPECT_NEAR(a3.height(), 992 - 20, 1);
    const double fit = 701.0 / 794;
    const int a3Row = static_cast<int>((test::kBoxTop + test::kBoxSize / 2) * fit) - 10;
    EXPECT_NEAR(PrintFixture::BoxLeftIn(a3, a3Row), test::BoxLeft(1) * fit - 10, 1);

    // Pages of another paper in the same job are fitted from their own size: an A5 page
    // fills the A3 sheet as the A4 page does.
    TRMReport& mixed = Report(1);
    mixed.ScalePaperId = 8;
    mixed.ScalePaperWidth = 2970;
    mixed.ScalePaperHeight = 4200;
    TRMPage* a5 = mixed.Pages.Add(11, 1480, 2100, poPortrait, -1);
    TRMEMFPages& pages = RMPreparedPages(mixed);
    pages.AddPage(*a5);
    TRMMemoView box;
    box.SetBounds(test::BoxLeft(1), test::kBoxTop, test::kBoxSize, test::kBoxSize);
    box.FillColor = 0x000000;
    pages.AppendView(1, box);
    const int jobsBefore = Count("StartDoc");
    RMDoPrintReport(mixed, {});
    EXPECT_EQ(Count("StartDoc") - jobsBefore, 1) << "one scale paper, one job";
    const double a5Fit = 701.0 / pages.Page(1)->PageInfo.PageWidth;
    const int a5Row = static_cast<int>((test::kBoxTop + test::kBoxSize / 2) * a5Fit) - 10;
    EXPECT_NEAR(PrintFixture::BoxLeftIn(backend->PagesDrawn.back(), a5Row), test::BoxLeft(1) * a5Fit - 10, 1);

    // 50 % on the page's own paper: half the distance from the sheet's corner.
    TRMReport& half = Report(1);
    half.ScalePercent = 50;
    RMDoPrintReport(half, {});
    const int halfRow = (test::kBoxTop + test::kBoxSize / 2) * 60 / 96 / 2 - 10;
    EXPECT_NEAR(PrintFixture::BoxLeftIn(backend->PagesDrawn.back(), halfRow), test::BoxLeft(1) * 0.625 / 2 - 10, 1);
}

TEST_F(PrintJob, TheJobIsNamedAfterTheReport)
{
    struct Case {
        const char* title;
        const char* file;
        const char* job;
    };
    const Case cases[] = {
        {"Ledger", "/data/reports/ledger.rmf", "Ledger"},
        {"", "/data/reports/ledger.rmf", "ledger.rmf"},
        {"", "", "Untitled"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.job);
        backend->Calls.clear();
        TRMReport& report = Report(1);
        report.ReportInfo.Title = QString::fromUtf8(c.title);
        report.FileName = QString::fromUtf8(c.file);
        EXPECT_EQ(RMPrintJobTitle(report), QString::fromUtf8(c.job));
        RMDoPrintReport(report, {});
        EXPECT_EQ(Count(QStringLiteral("StartDoc %1|").arg(QString::fromUtf8(c.job))), 1);
    }
}

TEST_F(PrintJob, APreviewHoldingThePagesGivesThemBackForThePrint)
{
    TRMReport& report = Report(4);
    TRMPreview preview;
    preview.resize(600, 500);
    report.Preview = &preview;
    preview.OpenReport(&report);
    ASSERT_EQ(RMPreparedPages(report).Count(), 0);
    ASSERT_EQ(preview.PageCount(), 4);
    report.PrintTaoda = true;
    const TRMPrintOutcome outcome = RMPrintPreparedReport(report, {QStringLiteral("3-")});
    EXPECT_EQ(outcome.PagesPrinted, 2);
    EXPECT_EQ(preview.PageCount(), 4) << "the preview has its pages again";
    EXPECT_FALSE(report.PrintTaoda);
    report.Preview = nullptr;
}

// A progress window that records what it is told and presses Cancel at a chosen page.
class RecordingProgress : public TRMProgress {
public:
    explicit RecordingProgress(QStringList& log, int cancelAt) : m_log(log), m_cancelAt(cancelAt) {}
    bool Run(const QString& caption, const QString& label, const std::function<void()>& work) override
    {
        m_log << caption << label;
        work();
        return true;
    }
    void SetLabel(const QString& label) override
    {
        m_log << label;
        if (label.contains(QStringLiteral("  %1").arg(m_cancelAt)) && OnCancel)
            OnCancel();
    }
    void ProcessEvents() override {}

private:
    QStringList& m_log;
    int m_cancelAt;
};

class PrintJobWindow : public PrintFixture {
protected:
    void Configure(TRMEngineOptions& options) override
    {
        options.Progress = [this](TRMReport&) { return std::make_unique<RecordingProgress>(log, cancelAt); };
    }
    QStringList log;
    int cancelAt = 0;
};

TEST_F(PrintJobWindow, TheProgressWindowCountsPagesAndItsCancelAborts)
{
    TRMReport& report = Report(3);
    report.DoublePass = true;
    RMPrintPreparedReport(report, {});
    EXPECT_EQ(log, (QStringList{"正在准备报表 - Ledger", "正在打印页:", "正在打印页:  1 从 3", "正在打印页:  2 从 3",
                       "正在打印页:  3 从 3"}));
    EXPECT_EQ(Count("EndDoc"), 1);

    log.clear();
    cancelAt = 2;
    TRMReport& cancelled = Report(5);
    const TRMPrintOutcome outcome = RMPrintPreparedReport(cancelled, {QString(), 2, 0, true});
    EXPECT_TRUE(outcome.Cancelled);
    EXPECT_EQ(outcome.PagesPrinted, 2);
    EXPECT_EQ(Count("AbortDoc"), 1);
    EXPECT_EQ(Count("EndDoc"), 1) << "only the first report's job was ended";
}

} // namespace
} // namespace pq
