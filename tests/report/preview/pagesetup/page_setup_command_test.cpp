// The preview's page setup command end to end: a prepared report in a preview, the dialog
// answered with real events while it is modal, the report rebuilt and shown again.
#include "report/preview/pagesetup/rm_page_setup_command.h"

#include "page_setup_test_support.h"

#include "base/message_box.h"
#include "base/rounding.h"
#include "base/units.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/preview/pagesetup/rm_page_setup_form.h"
#include "report/preview/printer/printer.h"
#include "report/preview/surface/rm_preview.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace pq {
namespace {

class PageSetupCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        machine = std::make_unique<test::PageSetupMachine>();
        report = std::make_unique<TRMReport>();
        report->ShowProgress = false;
        report->ReportInfo.Title = QStringLiteral("支付方式档案");
        report->SaveReportOptions.AutoLoadSaveSetting = true;
        report->SaveReportOptions.UseRegistry = false;
        report->SaveReportOptions.IniFileName = dir.filePath(QStringLiteral("report.ini"));
        design = report->Pages.Add(9, 2100, 2970, poPortrait, -1);
        auto* band = static_cast<TRMBandView*>(report->CreateObject(design, gtBand));
        band->SetBandType(btMasterData);
        band->SetBounds(0, 0, 600, 30);
        band->SetDataSource(QStringLiteral("60"));
        dialog = report->Pages.Add(9, 2100, 2970, poPortrait, -1);
        dialog->Type = ptDialog;
        report->AfterPageSetup = [this](TRMPageSetting& s) {
            handed = s;
            pagesWhenHanded = report->EMFPages;
        };
        ASSERT_TRUE(RMPrepareReport(*report));
        portraitPages = report->EMFPages->Count();
        ASSERT_GE(portraitPages, 2);

        preview.resize(800, 600);
        preview.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
        preview.OpenReport(report.get());
        preview.GotoPage(2);
    }
    void TearDown() override
    {
        preview.Disconnect();
        report.reset();
        machine.reset();
    }

    // Answers the page setup dialog once it is modal and active.
    void Answer(std::function<void(TRMPageSetupForm&)> answer)
    {
        auto* timer = new QTimer(&preview);
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, answer, tries = 0]() mutable {
            auto* form = qobject_cast<TRMPageSetupForm*>(QApplication::activeModalWidget());
            if (form && form->isActiveWindow()) {
                timer->stop();
                ++dialogsSeen;
                answer(*form);
                timer->deleteLater();
            } else if (++tries > 250) {
                timer->stop();
                if (QWidget* w = QApplication::activeModalWidget())
                    w->close(); // never leave a test hanging in a modal loop
                timer->deleteLater();
            }
        });
        timer->start();
    }

    static void TypeInto(QWidget* box, const QString& text)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(10, box->height() / 2));
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        // Each character as a key of its own; keyClicks knows only ASCII.
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }

    QTemporaryDir dir;
    std::unique_ptr<test::PageSetupMachine> machine;
    std::unique_ptr<TRMReport> report;
    TRMPage* design = nullptr;
    TRMPage* dialog = nullptr;
    TRMPreview preview;
    MessageBoxRecorder boxes;
    std::optional<TRMPageSetting> handed;
    const TRMEMFPages* pagesWhenHanded = nullptr;
    int portraitPages = 0;
    int dialogsSeen = 0;
};

TEST_F(PageSetupCommandTest, OkRewritesTheReportAndShowsFreshPagesFromPageOne)
{
    ASSERT_EQ(preview.CurrentPage(), 2);
    const TRMEMFPages* oldPages = preview.Pages();
    std::optional<TRMPageSetting> shown;
    bool columnsOff = false;
    Answer([&](TRMPageSetupForm& f) {
        shown = f.Settings();
        columnsOff = !f.ColumnsBox()->isEnabled() && !f.ColumnGapBox()->isEnabled();
        QTest::mouseClick(f.LandscapeButton(), Qt::LeftButton);
        f.Tabs()->setCurrentIndex(2);
        TypeInto(f.MarginLeftBox(), QStringLiteral("2.5"));
        QTest::mouseClick(f.OkButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(RMPreviewPageSetup(preview, &preview));
    ASSERT_EQ(dialogsSeen, 1);

    // The dialog was filled from the report and its first page, whose margins (57 and 76
    // whole pixels) come from the design page's 15 and 20 mm: those are shown, not the
    // 15.1 and 20.1 mm the pixels would read back as.
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->Title(), QStringLiteral("支付方式档案"));
    EXPECT_EQ(shown->PrinterName(), QStringLiteral("默认打印机"));
    EXPECT_DOUBLE_EQ(shown->MarginLeft(), 15.0);
    EXPECT_DOUBLE_EQ(shown->MarginTop(), 20.0);
    EXPECT_EQ(shown->PaperWidth(), 2100);
    EXPECT_EQ(shown->Orientation(), 0);
    EXPECT_TRUE(columnsOff);
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.Texts().join(QLatin1Char('\n')).toStdString();

    // The design pages carry the new margins and paper, the margins left alone exactly as
    // they were; the dialog page does not.
    EXPECT_EQ(design->LeftMargin, 25000);
    EXPECT_EQ(design->TopMargin, 20000);
    EXPECT_EQ(design->RightMargin, 15000);
    EXPECT_EQ(design->Orientation, poLandscape);
    EXPECT_EQ(design->PageSize, 9);
    EXPECT_EQ(design->PrinterInfo.PageWidth, static_cast<int>(Round(units::TenthsMmToPixels(2970))));
    EXPECT_EQ(dialog->LeftMargin, 15000);
    EXPECT_EQ(dialog->Orientation, poPortrait);

    // The callback had the settings before the report was prepared again.
    ASSERT_TRUE(handed);
    EXPECT_EQ(handed->Orientation(), 1);
    EXPECT_DOUBLE_EQ(handed->MarginLeft(), 25.0);
    EXPECT_EQ(pagesWhenHanded, oldPages) << "the preview gave the pages back before the report was touched";

    // Fresh pages, landscape, from page 1 at the top.
    ASSERT_NE(preview.Pages(), nullptr);
    EXPECT_GT(preview.PageCount(), portraitPages) << "a landscape sheet holds fewer rows";
    EXPECT_EQ(preview.Pages()->Page(0)->Orientation, poLandscape);
    EXPECT_EQ(preview.Pages()->Page(0)->Margins[0], static_cast<int>(Round(units::MmToPixels(25))));
    EXPECT_EQ(preview.CurrentPage(), 1);
    EXPECT_EQ(preview.VScrollBar()->value(), 0);
    EXPECT_EQ(preview.Report(), report.get());
    EXPECT_NE(report->EMFPages, preview.Pages()) << "the preview owns the pages it shows";

    // The report's settings were saved.
    QSettings ini(dir.filePath(QStringLiteral("report.ini")), QSettings::IniFormat);
    bool saved = false;
    for (const QString& key : ini.allKeys())
        saved = saved || (key.endsWith(QLatin1String("Page_0_LeftMargin")) && ini.value(key).toInt() == 25000);
    EXPECT_TRUE(saved) << ini.allKeys().join(QLatin1Char(' ')).toStdString();
}

TEST_F(PageSetupCommandTest, AnotherPrinterChosenBecomesTheReportsPrinter)
{
    Answer([&](TRMPageSetupForm& f) {
        f.PrinterBox()->setFocus();
        QTest::keyClick(f.PrinterBox(), Qt::Key_Down);
        QTest::keyClick(f.PrinterBox(), Qt::Key_Down); // the laser by its own name
        QTest::mouseClick(f.OkButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(RMPreviewPageSetup(preview, &preview));
    EXPECT_EQ(report->PrinterName, QStringLiteral("Laser"));
    EXPECT_EQ(GetReportPrinter().SelectedPrinter(), test::kLaserEntry);
}

TEST_F(PageSetupCommandTest, ThePrinterThatCannotBeSelectedIsReported)
{
    EXPECT_FALSE(RMChangeReportPrinter(*report, 99, nullptr));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("所选打印机错误"));
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("错误"));
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Error);
    EXPECT_TRUE(report->PrinterName.isEmpty());
}

TEST_F(PageSetupCommandTest, CancelChangesNothing)
{
    const TRMEMFPages* pages = preview.Pages();
    Answer([&](TRMPageSetupForm& f) {
        QTest::mouseClick(f.LandscapeButton(), Qt::LeftButton);
        QTest::mouseClick(f.CancelButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(RMPreviewPageSetup(preview, &preview));
    EXPECT_EQ(dialogsSeen, 1);
    EXPECT_EQ(preview.Pages(), pages);
    EXPECT_EQ(preview.CurrentPage(), 2);
    EXPECT_EQ(design->Orientation, poPortrait);
    EXPECT_FALSE(handed);
}

TEST_F(PageSetupCommandTest, APreviewOfAPreparedFileRefuses)
{
    const QString file = dir.filePath(QStringLiteral("list.rmp"));
    ASSERT_TRUE(preview.SaveToFile(file));
    ASSERT_TRUE(preview.LoadFromFiles({file}));
    ASSERT_TRUE(preview.LoadedFromFile());
    const TRMEMFPages* pages = preview.Pages();
    Answer([](TRMPageSetupForm& f) { f.reject(); });
    EXPECT_FALSE(RMPreviewPageSetup(preview, &preview));
    QTest::qWait(60);
    EXPECT_EQ(dialogsSeen, 0);
    EXPECT_EQ(preview.Pages(), pages);
    EXPECT_FALSE(handed);
}

TEST_F(PageSetupCommandTest, APreviewWithoutPagesRefuses)
{
    TRMPreview empty;
    Answer([](TRMPageSetupForm& f) { f.reject(); });
    EXPECT_FALSE(RMPreviewPageSetup(empty, nullptr));
    QTest::qWait(60);
    EXPECT_EQ(dialogsSeen, 0);
}

} // namespace
} // namespace pq
