// The preview window on real widgets, headless, driven with real keys and clicks.
#include "report/preview/window/rm_preview_form.h"
#include "report/preview/window/rm_show_report.h"

#include "base/message_box.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/startup/rm_engine_startup.h"
#include "report/preview/pagesetup/rm_page_setup_form.h"
#include "report/preview/printer/printer.h"
#include "report/tools/sample_report.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace pq {
namespace {

class PreviewFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TRMEngineServices::Started())
            engine.emplace(TRMEngineOptions::Headless());
        ASSERT_TRUE(dir.isValid());
        TRMPreviewForm::SetSettingsFile(dir.filePath("settings.ini"));
        RMPreviewMemory() = TRMPreviewMemory{};
    }
    void TearDown() override
    {
        for (auto& f : forms)
            if (f)
                f->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TRMPreviewForm::SetSettingsFile(QString());
    }

    // A report of count A4 pages (sheets only), or the sample's two pages with text.
    TRMReport& Report(int count, bool sample = false)
    {
        auto r = std::make_unique<TRMReport>();
        r->ModalPreview = false;
        if (sample) {
            RMBuildSamplePreparedPages(*r);
        } else {
            TRMPage* design = r->Pages.Add(9, 2100, 2970, poPortrait, -1);
            auto* store = new TRMEMFPages(r.get());
            for (int k = 0; k < count; ++k)
                store->AddPage(*design);
        }
        reports.push_back(std::move(r));
        return *reports.back();
    }

    TRMPreviewForm& Show(TRMReport& report)
    {
        auto* form = new TRMPreviewForm;
        form->resize(900, 700);
        forms.push_back(form);
        form->ShowFor(&report);
        QApplication::processEvents();
        return *form;
    }

    void Key(TRMPreviewForm& f, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* target = f.focusWidget() ? f.focusWidget() : &f;
        QTest::keyClick(target, static_cast<Qt::Key>(key), mods);
    }

    std::optional<TRMEngineStartup> engine;
    QTemporaryDir dir;
    MessageBoxRecorder boxes;
    std::vector<std::unique_ptr<TRMReport>> reports;
    std::vector<QPointer<TRMPreviewForm>> forms;
};

TEST_F(PreviewFormTest, TheGridReportsButtonSetShowsItsItems)
{
    TRMReport& r = Report(3);
    r.PreviewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbPageSetup | pbExit | pbSaveToXLS;
    TRMPreviewForm& f = Show(r);
    for (const char* shown : {"btnMagnifier", "btnWholePage", "btn100", "btnPageWidth", "btnFirst", "btnPrior",
             "btnNext", "btnLast", "btnFind", "btnOpen", "btnSave", "btnSaveToXLS", "btnPrint", "btnPageSetup",
             "btnExit"})
        EXPECT_TRUE(f.Item(shown)->isVisible()) << shown;
    for (const char* hidden : {"btnDesign", "btnSuperExp"})
        EXPECT_FALSE(f.Item(hidden)->isVisible()) << hidden;
    EXPECT_EQ(f.Item("btnFind")->toolTip(), "查找文本");
    EXPECT_EQ(f.ToolBar()->windowTitle(), "预览工具栏");
    EXPECT_FALSE(f.Item("btnPrint")->isEnabled()) << "no real printers on this machine";
    EXPECT_EQ(f.windowTitle(), "预览 - Untitled");
}

TEST_F(PreviewFormTest, ANewPreviewOpensAsTheLastWasLeft)
{
    TRMPreviewForm& first = Show(Report(3));
    EXPECT_EQ(first.Preview()->ZoomMode(), TRMZoomMode::Percent) << "the first of the process";
    first.Item("btnWholePage")->trigger();
    first.close();
    TRMReport& two = Report(3);
    two.InitialZoom = pzTwoPages; // not two pages: the remembered mode
    TRMPreviewForm& second = Show(two);
    EXPECT_EQ(second.Preview()->ZoomMode(), TRMZoomMode::WholePage);
    EXPECT_TRUE(second.Item("btnWholePage")->isChecked());
    EXPECT_EQ(second.ZoomBox()->currentIndex(), 8);
}

TEST_F(PreviewFormTest, ZoomAndPageBoxesTakeEnter)
{
    TRMPreviewForm& f = Show(Report(12));
    struct Case {
        const char* typed;
        double percent;
    } cases[] = {{"250", 250}, {"abc", 100}, {"0", 10}, {"75%", 75}, {"99999", 1000}};
    for (const Case& c : cases) {
        f.ZoomBox()->lineEdit()->setFocus();
        f.ZoomBox()->lineEdit()->selectAll();
        QTest::keyClicks(f.ZoomBox()->lineEdit(), QString::fromLatin1(c.typed));
        QTest::keyClick(f.ZoomBox()->lineEdit(), Qt::Key_Return);
        EXPECT_DOUBLE_EQ(f.Preview()->GetZoomPercent(), c.percent) << c.typed;
    }
    f.PageBox()->setFocus();
    f.PageBox()->selectAll();
    QTest::keyClicks(f.PageBox(), "5");
    QTest::keyClick(f.PageBox(), Qt::Key_Return);
    EXPECT_EQ(f.Preview()->CurrentPage(), 5);
    f.PageBox()->selectAll();
    QTest::keyClicks(f.PageBox(), "x");
    QTest::keyClick(f.PageBox(), Qt::Key_Return);
    EXPECT_EQ(f.PageBox()->text(), "5") << "not a number: the current page again";
    f.PageBox()->selectAll();
    QTest::keyClicks(f.PageBox(), "99");
    QTest::keyClick(f.PageBox(), Qt::Key_Return);
    EXPECT_EQ(f.Preview()->CurrentPage(), 12);
}

TEST_F(PreviewFormTest, AMenuZoomShowsInTheBoxWithNoButtonDown)
{
    TRMPreviewForm& f = Show(Report(3));
    QAction* item75 = nullptr;
    for (QAction* a : f.ContextMenu()->actions())
        if (a->text() == "75%")
            item75 = a;
    ASSERT_NE(item75, nullptr);
    item75->trigger();
    EXPECT_TRUE(item75->isChecked());
    EXPECT_DOUBLE_EQ(f.Preview()->GetZoomPercent(), 75);
    EXPECT_EQ(f.ZoomBox()->currentText(), "75%");
    for (const char* b : {"btnWholePage", "btn100", "btnPageWidth"})
        EXPECT_FALSE(f.Item(b)->isChecked()) << b;
    EXPECT_DOUBLE_EQ(RMPreviewMemory().LastChosenScale, 0.75);
}

TEST_F(PreviewFormTest, KeysMoveAndPageAndHandledKeysAreTaken)
{
    TRMPreviewForm& f = Show(Report(12));
    f.Preview()->ZoomPercent(100);
    QScrollBar* v = f.Preview()->VScrollBar();
    const int top = v->value();
    Key(f, Qt::Key_Down);
    EXPECT_EQ(v->value(), top + 10);
    Key(f, Qt::Key_PageDown);
    EXPECT_EQ(v->value(), top + 210);
    Key(f, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(v->value(), 0);
    Key(f, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(f.Preview()->CurrentPage(), 2);
    Key(f, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(f.Preview()->CurrentPage(), 12);
    EXPECT_EQ(f.PageBox()->text(), "12");

    // Ctrl+P and Ctrl+Alt+P with no printer do nothing: no dialog, no job.
    EXPECT_FALSE(f.Item("btnPrint")->isEnabled());
    Key(f, Qt::Key_P, Qt::ControlModifier);
    Key(f, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(GetReportPrinter().Printing());

    // A handled key stops at the window.
    struct Counter : QObject {
        int keys = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            keys += e->type() == QEvent::KeyPress;
            return false;
        }
    } counter;
    QWidget* target = f.focusWidget() ? f.focusWidget() : &f;
    target->installEventFilter(&counter);
    QTest::keyClick(target, Qt::Key_Up);
    EXPECT_EQ(counter.keys, 0);
    target->removeEventFilter(&counter);

    Key(f, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(forms.back().isNull()) << "Escape closes the preview";
}

// The page-setup button: the dialog, then the report prepared again on the new paper and
// shown from page 1; a report loaded from a prepared file is not set up.
TEST_F(PreviewFormTest, PageSetupButtonPreparesTheReportAgain)
{
    auto owned = std::make_unique<TRMReport>();
    TRMReport& report = *owned;
    reports.push_back(std::move(owned));
    RMBuildSampleReport(report);
    report.ModalPreview = false;
    report.ShowProgress = false;
    ASSERT_TRUE(RMPrepareReport(report));
    TRMPreviewForm& f = Show(report);
    ASSERT_EQ(f.Preview()->Pages()->Page(0)->Orientation, poPortrait);
    int dialogs = 0;
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
    f.Item("btnPageSetup")->trigger();
    EXPECT_EQ(dialogs, 1);
    ASSERT_GT(f.Preview()->PageCount(), 0);
    EXPECT_EQ(f.Preview()->Pages()->Page(0)->Orientation, poLandscape);
    EXPECT_EQ(report.Pages[0]->Orientation, poLandscape);
    EXPECT_EQ(f.Preview()->CurrentPage(), 1);

    // Pages loaded from a file: the button does nothing.
    QTemporaryDir files;
    const QString rmp = files.filePath("loaded.rmp");
    ASSERT_TRUE(f.Preview()->SaveToFile(rmp));
    f.OpenFiles({rmp});
    ASSERT_TRUE(f.Preview()->LoadedFromFile());
    answer.start();
    f.Item("btnPageSetup")->trigger();
    QApplication::processEvents();
    answer.stop();
    EXPECT_EQ(dialogs, 1);
}

TEST_F(PreviewFormTest, PlacementIsRestoredFromTheSettings)
{
    {
        QSettings s(dir.filePath("settings.ini"), QSettings::IniFormat);
        s.setValue("Form/TRMPreviewForm/XPosition", 30);
        s.setValue("Form/TRMPreviewForm/YPosition", 40);
        s.setValue("Form/TRMPreviewForm/Width", 640);
        s.setValue("Form/TRMPreviewForm/Height", 480);
        s.setValue("Form/TRMPreviewForm/Maximized", false);
        s.setValue("ToolBar/ToolbarPreviewStand/DockName", "Dock972");
        s.setValue("ToolBar/ToolbarPreviewStand/Docked", true);
    }
    TRMPreviewForm& f = Show(Report(2));
    EXPECT_FALSE(f.isMaximized());
    EXPECT_EQ(f.geometry().size(), QSize(640, 480));
    EXPECT_EQ(f.toolBarArea(f.ToolBar()), Qt::BottomToolBarArea);
    EXPECT_TRUE(f.ToolBar()->isVisible());
    if (const QString out = qEnvironmentVariable("PQ_SHOT_DIR"); !out.isEmpty())
        f.grab().save(QDir(out).filePath("pq-preview-toolbar-bottom.png"));
    // Moved to the top again, the next window opens so.
    f.addToolBar(Qt::TopToolBarArea, f.ToolBar());
    f.close();
    QSettings s(dir.filePath("settings.ini"), QSettings::IniFormat);
    EXPECT_EQ(s.value("ToolBar/ToolbarPreviewStand/DockName").toString(), "Dock971");
    EXPECT_EQ(s.value("Form/TRMPreviewForm/Width").toInt(), 640);
}

TEST_F(PreviewFormTest, AFloatingToolBarFloatsAgain)
{
    {
        QSettings s(dir.filePath("settings.ini"), QSettings::IniFormat);
        s.setValue("ToolBar/ToolbarPreviewStand/Docked", false);
        s.setValue("ToolBar/ToolbarPreviewStand/XPosition", 120);
        s.setValue("ToolBar/ToolbarPreviewStand/YPosition", 90);
    }
    TRMPreviewForm& f = Show(Report(2));
    EXPECT_TRUE(f.ToolBar()->isFloating());
    EXPECT_EQ(f.ToolBar()->pos(), QPoint(120, 90));
    EXPECT_TRUE(f.ToolBar()->isVisible());
    if (const QString out = qEnvironmentVariable("PQ_SHOT_DIR"); !out.isEmpty())
        f.ToolBar()->grab().save(QDir(out).filePath("pq-preview-toolbar-floating.png"));
    f.close();
    QSettings s(dir.filePath("settings.ini"), QSettings::IniFormat);
    EXPECT_FALSE(s.value("ToolBar/ToolbarPreviewStand/Docked").toBool());
    EXPECT_EQ(s.value("ToolBar/ToolbarPreviewStand/DockName").toString(), "");
}

TEST_F(PreviewFormTest, ExportsPdfWithItsPagesAndChineseText)
{
    TRMPreviewForm& f = Show(Report(0, true));
    const int pages = f.Preview()->PageCount();
    if (const QString out = qEnvironmentVariable("PQ_SHOT_DIR"); !out.isEmpty()) {
        f.Preview()->ZoomPercent(100);
        f.grab().save(QDir(out).filePath("pq-preview-100.png"));
    }
    const QString file = dir.filePath("list.pdf");
    QString error;
    ASSERT_TRUE(f.ExportPdf(file, &error)) << error.toStdString();
    QProcess info;
    info.start("pdfinfo", {file});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\b").arg(pages)))) << text.toStdString();
    EXPECT_TRUE(text.contains("595")) << "A4 sheets: " << text.toStdString();
    QProcess words;
    words.start("pdftotext", {file, "-"});
    ASSERT_TRUE(words.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(words.readAllStandardOutput()).contains("支付方式档案"));
    EXPECT_EQ(f.Preview()->PageCount(), pages) << "the pages stay shown";

    // A folder that does not exist: an error naming the file, nothing left behind.
    const QString bad = dir.filePath("missing/out.pdf");
    EXPECT_FALSE(f.ExportPdf(bad, &error));
    EXPECT_TRUE(error.contains(bad)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(bad));
}

} // namespace
} // namespace pq

namespace pq {
namespace {

// A report with one title memo, prepared and shown as a program shows it.
std::unique_ptr<TRMReport> TitleReport(const QString& text)
{
    auto r = std::make_unique<TRMReport>();
    r->ModalPreview = false;
    r->ShowProgress = false;
    TRMPage* page = r->Pages.Add(9, 2100, 2970, poPortrait, -1);
    auto* band = static_cast<TRMBandView*>(r->CreateObject(page, gtBand));
    band->SetBandType(btReportTitle);
    band->SetBounds(0, 40, 700, 40);
    auto* memo = static_cast<TRMMemoView*>(r->CreateObject(page, gtMemo));
    memo->SetBounds(20, 40, 400, 30);
    memo->Memo = QStringList{text};
    return r;
}

TEST_F(PreviewFormTest, ShowReportPreparesAndOpensAWindow)
{
    std::unique_ptr<TRMReport> r = TitleReport("支付方式档案");
    ASSERT_TRUE(RMShowReport(*r));
    QApplication::processEvents();
    TRMPreviewForm* form = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<TRMPreviewForm*>(w); f && f->isVisible() && f->Report() == r.get())
            form = f;
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Preview()->PageCount(), 1);
    EXPECT_EQ(form->Preview()->PageLabel(), "页 1/1");
    QPointer<TRMPreviewForm> guard(form);
    r.reset(); // the window goes with its report
    EXPECT_TRUE(guard.isNull());
}

TEST_F(PreviewFormTest, ShowReportFillsThePreviewTheReportNames)
{
    std::unique_ptr<TRMReport> r = TitleReport("标题");
    TRMPreview preview;
    preview.resize(800, 600);
    r->Preview = &preview;
    ASSERT_TRUE(RMShowReport(*r));
    EXPECT_EQ(preview.Report(), r.get());
    EXPECT_EQ(preview.PageCount(), 1);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<TRMPreviewForm*>(w) && w->isVisible()) << "no window of its own";
    preview.Disconnect();
}

} // namespace
} // namespace pq
