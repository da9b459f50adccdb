// The preview surface on real widgets, headless, with real mouse and wheel events.
#include "report/preview/surface/rm_preview.h"

#include "base/message_box.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/engine/startup/rm_engine_startup.h"
#include "report/tools/sample_report.h"

#include <QDir>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QMouseEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace pq {
namespace {

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TRMEngineServices::Started())
            engine.emplace(TRMEngineOptions::Headless());
        // A panel of 1000 x 700 inside the strips.
        preview.resize(1000 + 16, 700 + 18);
        preview.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview)); // painting needs a window on the screen
    }

    // A report with count A4 pages prepared (sheets only; views do not matter here).
    TRMReport& Report(int count)
    {
        report = std::make_unique<TRMReport>();
        TRMPage* design = report->Pages.Add(9, 2100, 2970, poPortrait, -1);
        auto* store = new TRMEMFPages(report.get());
        for (int k = 0; k < count; ++k)
            store->AddPage(*design);
        return *report;
    }

    void Open(int pages)
    {
        preview.OpenReport(&Report(pages));
        QApplication::processEvents();
    }

    std::optional<TRMEngineStartup> engine;
    std::unique_ptr<TRMReport> report;
    TRMPreview preview;
};

TEST_F(PreviewTest, ConnectingTakesThePagesAndDisconnectingGivesThemBack)
{
    TRMReport& r = Report(3);
    TRMEMFPages* pages = r.EMFPages;
    preview.Connect(&r);
    EXPECT_EQ(preview.Pages(), pages);
    ASSERT_NE(r.EMFPages, nullptr);
    EXPECT_NE(r.EMFPages, pages);
    EXPECT_EQ(r.EMFPages->Count(), 0) << "the report works on a fresh store meanwhile";
    preview.Disconnect();
    EXPECT_EQ(r.EMFPages, pages);
    EXPECT_EQ(r.EMFPages->Count(), 3);
    EXPECT_EQ(preview.Pages(), nullptr);
}

TEST_F(PreviewTest, OpensAtTheReportsZoomWithItsLabel)
{
    Report(12).InitialZoom = pzPageWidth;
    preview.OpenReport(report.get());
    EXPECT_EQ(preview.ZoomMode(), TRMZoomMode::PageWidth);
    EXPECT_DOUBLE_EQ(preview.Scale(), 980.0 / 794);
    EXPECT_EQ(preview.PageLabel(), "页 1/12");
    EXPECT_TRUE(preview.Ready());
    EXPECT_EQ(preview.PageRects()[0], QRect(10, 10, 980, 1386));
    EXPECT_TRUE(preview.VScrollBar()->isEnabled());
    EXPECT_FALSE(preview.HScrollBar()->isEnabled());
}

TEST_F(PreviewTest, NavigationStaysWithinThePages)
{
    Open(12);
    int changed = 0;
    preview.OnPageChanged = [&] { ++changed; };
    preview.GotoPage(0);
    EXPECT_EQ(preview.CurrentPage(), 1);
    preview.GotoPage(17);
    EXPECT_EQ(preview.CurrentPage(), 12);
    EXPECT_EQ(preview.PageLabel(), "页 12/12");
    EXPECT_EQ(preview.VScrollBar()->value(), preview.PageRects()[11].top() - 10);
    preview.Prior();
    EXPECT_EQ(preview.CurrentPage(), 11);
    preview.First();
    EXPECT_EQ(preview.CurrentPage(), 1);
    EXPECT_GT(changed, 0);
}

// With two pages per row, going back from page 3 scrolls to the first row, whose first page
// then becomes current; going on from page 1 does not move the view.
TEST_F(PreviewTest, TwoPagesPerRowNavigation)
{
    Open(6);
    preview.ZoomTwoPages();
    preview.GotoPage(3);
    EXPECT_EQ(preview.CurrentPage(), 3);
    preview.Prior();
    EXPECT_EQ(preview.CurrentPage(), 1);
    const int position = preview.VScrollBar()->value();
    preview.Next();
    EXPECT_EQ(preview.CurrentPage(), 2);
    EXPECT_EQ(preview.VScrollBar()->value(), position);
}

TEST_F(PreviewTest, ScrollingMakesThePageUnderTheLineCurrent)
{
    Open(4);
    preview.ZoomPercent(100);
    // Pages at 10..1133 and 1143..2266.
    preview.VScrollBar()->setValue(1128); // the line falls into the gap
    EXPECT_EQ(preview.CurrentPage(), 1);
    preview.VScrollBar()->setValue(1140);
    EXPECT_EQ(preview.CurrentPage(), 2);
    EXPECT_EQ(preview.PageLabel(), "页 2/4");
}

TEST_F(PreviewTest, WheelScrollsTenPixelsANotch)
{
    Open(4);
    preview.ZoomPercent(100);
    const int before = preview.VScrollBar()->value();
    QWidget* panel = preview.DrawPanel();
    QWheelEvent down(QPointF(100, 100), panel->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(panel, &down);
    EXPECT_EQ(preview.VScrollBar()->value(), before + 10);
}

TEST_F(PreviewTest, DraggingPansByExactlyThePointerMovement)
{
    Open(4);
    preview.ZoomPercent(200);
    preview.HScrollBar()->setValue(100);
    preview.VScrollBar()->setValue(300);
    QWidget* panel = preview.DrawPanel();
    QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, QPoint(500, 400));
    QTest::mouseMove(panel, QPoint(470, 350));
    QTest::mouseMove(panel, QPoint(460, 330));
    QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, QPoint(460, 330));
    EXPECT_EQ(preview.HScrollBar()->value(), 140);
    EXPECT_EQ(preview.VScrollBar()->value(), 370);
}

TEST_F(PreviewTest, MagnifierTogglesWholePageAndFullSize)
{
    Open(2);
    preview.SetMagnifier(true);
    preview.ZoomWholePage();
    QWidget* panel = preview.DrawPanel();
    const QPoint onPage = preview.PageRects()[0].center() + preview.Offset();
    QTest::mouseMove(panel, onPage);
    EXPECT_EQ(panel->cursor().pixmap().cacheKey(), TRMPreview::MagnifierCursor().pixmap().cacheKey());
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, onPage);
    EXPECT_EQ(preview.ZoomMode(), TRMZoomMode::Percent);
    EXPECT_DOUBLE_EQ(preview.GetZoomPercent(), 100);
    const QPoint again = preview.PageRects()[0].topLeft() + preview.Offset() + QPoint(50, 50);
    QTest::mouseMove(panel, again);
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, again);
    EXPECT_EQ(preview.ZoomMode(), TRMZoomMode::WholePage);
}

TEST_F(PreviewTest, TypedZoomIsClampedAndFitsNeverDivideByZero)
{
    Open(2);
    preview.ZoomPercent(0);
    EXPECT_DOUBLE_EQ(preview.GetZoomPercent(), 10);
    preview.ZoomPercent(1e7);
    EXPECT_DOUBLE_EQ(preview.GetZoomPercent(), 1000);
    preview.ZoomPrinterResolution(); // the virtual printer has no factor: page width
    EXPECT_GT(preview.Scale(), 0);
}

// Only pages in view keep their rebuilt objects, also on a tall panel at high zoom.
TEST_F(PreviewTest, OnlyVisiblePagesKeepTheirObjects)
{
    Open(8);
    preview.ZoomPercent(100);
    preview.GotoPage(5);
    preview.DrawPanel()->repaint();
    TRMEMFPages* pages = preview.Pages();
    EXPECT_TRUE(pages->Page(4)->Visible);
    EXPECT_NE(pages->Page(4)->Page, nullptr);
    for (int k : {0, 1, 7}) {
        EXPECT_FALSE(pages->Page(k)->Visible) << k;
        EXPECT_EQ(pages->Page(k)->Page, nullptr) << k;
    }

    // A panel taller than 2000 pixels paints its lower pages too.
    preview.resize(1016, 2600);
    preview.ZoomPercent(100);
    preview.GotoPage(1);
    preview.DrawPanel()->repaint();
    EXPECT_TRUE(pages->Page(1)->Visible) << "the page at 1143..2266 is in view";
}

TEST_F(PreviewTest, ZeroPagesAddressNoPage)
{
    Open(0);
    preview.GotoPage(3);
    preview.Next();
    preview.Last();
    preview.ZoomPageWidth();
    preview.ZoomTwoPages();
    preview.DrawPanel()->repaint();
    EXPECT_EQ(preview.PageCount(), 0);
    EXPECT_FALSE(preview.Ready());
    EXPECT_EQ(preview.PageLabel(), "页 1/0");
}

TEST_F(PreviewTest, SavedPagesLoadBackAndAFailedSaveKeepsThemShown)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TRMReport& r = Report(0);
    RMBuildSamplePreparedPages(r);
    const int count = r.EMFPages->Count();
    ASSERT_GT(count, 0);
    preview.OpenReport(&r);
    QString error;
    // Nothing may block on a box here.
    MessageBoxRecorder unexpected;
    ASSERT_TRUE(preview.SaveToFile(dir.filePath("list.txt"), &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("list.rmp"))) << "the extension becomes .rmp";
    EXPECT_EQ(preview.PageCount(), count);

    // Load the file twice over: the second one's pages are appended.
    ASSERT_TRUE(preview.LoadFromFiles({dir.filePath("list.rmp"), dir.filePath("missing.rmp"), dir.filePath("list.rmp")}, &error))
        << error.toStdString();
    EXPECT_EQ(preview.PageCount(), 2 * count);
    EXPECT_EQ(preview.CurrentPage(), 1);
    EXPECT_TRUE(preview.Ready());

    // A folder that does not exist: the error names the file, the pages stay connected.
    EXPECT_TRUE(unexpected.shown.isEmpty()) << unexpected.Texts().join("|").toStdString();
    MessageBoxRecorder boxes;
    const QString bad = dir.filePath("no/such/folder/x.rmp");
    EXPECT_FALSE(preview.SaveToFile(bad, &error));
    EXPECT_EQ(boxes.shown.size(), 1) << "the store says why";
    EXPECT_TRUE(error.contains(bad)) << error.toStdString();
    EXPECT_NE(preview.Pages(), nullptr);
    EXPECT_EQ(preview.PageCount(), 2 * count);
}

TEST_F(PreviewTest, PaintsPagesOnGrey)
{
    TRMReport& r = Report(0);
    RMBuildSamplePreparedPages(r);
    preview.OpenReport(&r);
    preview.ZoomWholePage();
    const QImage image = preview.grab().toImage();
    if (const QString out = qEnvironmentVariable("PQ_SHOT_DIR"); !out.isEmpty())
        image.save(QDir(out).filePath("pq-preview-whole-page.png"));
    const QRect page = preview.PageRects()[0].translated(preview.Offset());
    EXPECT_EQ(image.pixelColor(5, 5), QColor(128, 128, 128)) << "the background";
    EXPECT_EQ(image.pixelColor(page.left(), page.center().y()), QColor(Qt::black)) << "the page's border";
    EXPECT_EQ(image.pixelColor(page.left() + 3, page.top() + 3), QColor(Qt::white)) << "the sheet";
}

} // namespace
} // namespace pq

namespace pq {
namespace {

// A click on a printed view reaches the report's object-click handler, which then keeps the
// press from starting a drag; hovering reaches the mouse-over handler.
TEST_F(PreviewTest, ClicksAndHoverFindTheViewUnderThePointer)
{
    TRMReport& r = Report(0);
    RMBuildSamplePreparedPages(r);
    QStringList clicked;
    QStringList hovered;
    r.OnObjectClick = [&](TRMView* v) { clicked << v->Name; };
    r.OnMouseOverObject = [&](TRMView* v) { hovered << v->Name; };
    preview.OpenReport(&r);
    preview.ZoomPercent(100);
    preview.DrawPanel()->repaint();
    TRMPage* page = preview.Pages()->BuildPage(0);
    ASSERT_NE(page, nullptr);
    const TRMView* target = nullptr;
    for (const auto& v : page->Objects)
        if (v->Width > 20 && v->Height > 10)
            target = v.get();
    ASSERT_NE(target, nullptr);
    const QString name = target->Name;
    const QRect sheet = preview.PageRects()[0].translated(preview.Offset());
    const QPoint at = sheet.topLeft() + target->Bounds().center() * preview.Scale();
    // A move with no button held, delivered to the panel (QTest would move the cursor instead).
    QMouseEvent move(QEvent::MouseMove, QPointF(at), preview.DrawPanel()->mapToGlobal(QPointF(at)), Qt::NoButton,
        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(preview.DrawPanel(), &move);
    EXPECT_TRUE(hovered.contains(name)) << "hovered: " << hovered.join(",").toStdString() << " want " << name.toStdString();
    QTest::mousePress(preview.DrawPanel(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(clicked.value(0), name);
    EXPECT_FALSE(preview.DrawPanel()->Dragging()) << "a handled click starts no drag";
    QTest::mouseRelease(preview.DrawPanel(), Qt::LeftButton, Qt::NoModifier, at);
    preview.Disconnect();
}

} // namespace
} // namespace pq
