// The print commands as a user reaches them: Ctrl+P and Ctrl+Alt+P in the preview window,
// and a report printed directly.
#include "print_fixture.h"

#include "base/message_box.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/preview/print/rm_print_commands.h"
#include "report/preview/print/rm_print_form.h"
#include "report/preview/printer/printer.h"
#include "report/preview/window/rm_preview_form.h"
#include "report/tools/sample_report.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace pq {
namespace {

// Answers the print dialog once it is up, as a user at the keyboard would.
class DialogAnswer {
public:
    explicit DialogAnswer(std::function<void(TRMPrintForm&)> answer)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer] {
            if (auto* form = qobject_cast<TRMPrintForm*>(QApplication::activeModalWidget())) {
                m_timer.stop();
                ++shown;
                answer(*form);
            }
        });
        m_timer.start();
    }
    int shown = 0;

private:
    QTimer m_timer;
};

class PrintCommands : public test::PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        TRMPreviewForm::SetSettingsFile(dir.filePath("preview.ini"));
    }
    void TearDown() override
    {
        if (form)
            delete form.data();
        TRMPreviewForm::SetSettingsFile(QString());
        PrintFixture::TearDown();
    }

    TRMPreviewForm& Open(TRMReport& report)
    {
        report.ModalPreview = false;
        report.SaveReportOptions.AutoLoadSaveSetting = true;
        report.SaveReportOptions.UseRegistry = false;
        report.SaveReportOptions.IniFileName = dir.filePath("report.ini");
        form = new TRMPreviewForm;
        form->resize(800, 600);
        form->ShowFor(&report);
        QApplication::processEvents();
        return *form;
    }
    void Key(int key, Qt::KeyboardModifiers mods)
    {
        QTest::keyClick(form->focusWidget() ? form->focusWidget() : form.data(), key, mods);
        QApplication::processEvents();
    }
    std::vector<int> PagesOnPaper() const
    {
        std::vector<int> shown;
        for (const QImage& image : backend->PagesDrawn)
            shown.push_back(PageShown(image));
        return shown;
    }

    QTemporaryDir dir;
    QPointer<TRMPreviewForm> form;
};

TEST_F(PrintCommands, CtrlPPrintsTheChosenPagesAndCopiesFromThePreview)
{
    TRMReport& report = Report(5);
    Open(report);
    DialogAnswer answer([](TRMPrintForm& f) {
        QTest::mouseClick(f.PagesButton(), Qt::LeftButton);
        QTest::keyClicks(f.PageEdit(), "2-3");
        f.CopiesBox()->setFocus();
        f.CopiesBox()->selectAll();
        QTest::keyClicks(f.CopiesBox(), "2");
        QTest::mouseClick(f.OkButton(), Qt::LeftButton);
    });
    Key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(answer.shown, 1);
    EXPECT_EQ(PagesOnPaper(), (std::vector<int>{2, 3, 2, 3}));
    EXPECT_EQ(form->Preview()->PageCount(), 5) << "the preview shows its pages again";
    EXPECT_EQ(Count("StartDoc Ledger|"), 1);
}

TEST_F(PrintCommands, TheDialogsOffsetsAreKeptWithTheReport)
{
    TRMReport& report = Report(1);
    Open(report);
    DialogAnswer answer([](TRMPrintForm& f) {
        f.OffsetLeftBox()->setFocus();
        f.OffsetLeftBox()->selectAll();
        QTest::keyClicks(f.OffsetLeftBox(), "1.0");
        QTest::keyClick(f.OffsetLeftBox(), Qt::Key_Return);
    });
    Key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(answer.shown, 1);
    EXPECT_EQ(report.PrintOffsetLeft, 38); // 10 mm
    TRMReport reread;
    reread.ReportInfo.Title = report.ReportInfo.Title;
    reread.SaveReportOptions = report.SaveReportOptions;
    reread.LoadReportSetting();
    EXPECT_EQ(reread.PrintOffsetLeft, 38);
}

TEST_F(PrintCommands, CancelInTheDialogPrintsNothing)
{
    TRMReport& report = Report(3);
    Open(report);
    DialogAnswer answer([](TRMPrintForm& f) { QTest::mouseClick(f.CancelButton(), Qt::LeftButton); });
    Key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(answer.shown, 1);
    EXPECT_EQ(Count("StartDoc"), 0);
}

TEST_F(PrintCommands, WithoutThePrintDialogTheDefaultsPrint)
{
    TRMReport& report = Report(3);
    report.ShowPrintDialog = false;
    report.DefaultCopies = 2;
    report.DefaultCollate = false;
    Open(report);
    DialogAnswer answer([](TRMPrintForm& f) { f.reject(); });
    Key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(answer.shown, 0);
    EXPECT_EQ(PagesOnPaper(), (std::vector<int>{1, 1, 2, 2, 3, 3}));
}

TEST_F(PrintCommands, CtrlAltPPrintsOneCopyOfTheCurrentPage)
{
    TRMReport& report = Report(4);
    report.DefaultCopies = 3;
    TRMPreviewForm& f = Open(report);
    f.Preview()->GotoPage(3);
    GetReportPrinter().SetSelectedPrinter(1); // the virtual printer prints nowhere: the default is taken
    DialogAnswer answer([](TRMPrintForm& d) { d.reject(); });
    Key(Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(answer.shown, 0);
    EXPECT_EQ(PagesOnPaper(), (std::vector<int>{3}));
    EXPECT_EQ(GetReportPrinter().SelectedPrinter(), 0);
}

TEST_F(PrintCommands, APrinterFailureReachesTheUser)
{
    MessageBoxRecorder boxes;
    TRMReport& report = Report(2);
    report.ShowPrintDialog = false;
    Open(report);
    backend->FailOps = {QStringLiteral("StartPage")};
    Key(Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.contains("StartPage failed")) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(Count("AbortDoc"), 1);
    EXPECT_FALSE(GetReportPrinter().Printing());
    EXPECT_EQ(form->Preview()->PageCount(), 2);
}

TEST_F(PrintCommands, ASelectionWithoutPagesIsSaid)
{
    MessageBoxRecorder boxes;
    TRMReport& report = Report(4);
    Open(report);
    DialogAnswer answer([](TRMPrintForm& f) {
        QTest::mouseClick(f.PagesButton(), Qt::LeftButton);
        QTest::keyClicks(f.PageEdit(), "2,4");
        f.KindBox()->setCurrentIndex(1);
        QTest::mouseClick(f.OkButton(), Qt::LeftButton);
    });
    Key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(Count("StartDoc"), 0);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Information);
}

TEST_F(PrintCommands, DirectPrintingPreparesAndPrintsWithoutPreview)
{
    TRMReport report;
    RMBuildSampleReport(report);
    report.ShowPrintDialog = false;
    report.ShowProgress = false;
    EXPECT_TRUE(RMPrintReport(report));
    EXPECT_GE(Count("StartPage"), 1);
    EXPECT_EQ(Count("StartPage"), RMPreparedPages(report).Count());

    // The print dialog offers no current page without a preview.
    report.ShowPrintDialog = true;
    DialogAnswer answer([](TRMPrintForm& f) {
        EXPECT_FALSE(f.CurrentButton()->isEnabled());
        f.reject();
    });
    EXPECT_FALSE(RMPrintReport(report));
    EXPECT_EQ(answer.shown, 1);
}

TEST(PrintCommandsWithoutPrinters, NothingHappens)
{
    TRMEngineStartup engine(TRMEngineOptions::Headless());
    TRMReport report;
    RMBuildSamplePreparedPages(report);
    report.ShowPrintDialog = false;
    TRMPreview preview;
    preview.OpenReport(&report);
    RMPreviewPrintWithDialog(preview, nullptr);
    RMPreviewPrintCurrentPage(preview, nullptr);
    EXPECT_FALSE(GetReportPrinter().Printing());
    TRMReport design;
    RMBuildSampleReport(design);
    design.ShowPrintDialog = false;
    EXPECT_FALSE(RMPrintReport(design));
}

} // namespace
} // namespace pq
