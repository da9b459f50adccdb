// The print dialog on real widgets, headless, driven with keys and clicks.
#include "print_fixture.h"

#include "base/message_box.h"
#include "report/preview/print/rm_print_form.h"
#include "report/preview/printer/printer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace pq {
namespace {

class PrintForm : public test::PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        TRMScriptedDevice& laser = backend->Devices[QStringLiteral("Laser")];
        laser.Status = TRMPrinterStatus{QStringLiteral("HP LaserJet 4250 Postscript"), QStringLiteral("二楼打印室"),
            QStringLiteral("财务部"), 0, 3};
        // A second printer with other papers, so a choice shows.
        TRMScriptedDevice inkjet = backend->Devices[QStringLiteral("Laser")];
        inkjet.PaperNames = {QStringLiteral("A5"), QStringLiteral("Custom size")};
        inkjet.PaperIds = {11, 256};
        inkjet.PaperSizes = {{1480, 2100}, {0, 0}};
        inkjet.Status = TRMPrinterStatus{QStringLiteral("Inkjet"), QStringLiteral("usb:"), QString(), 0x10, 0};
        backend->Printers << QStringLiteral("Inkjet");
        backend->Devices[QStringLiteral("Inkjet")] = inkjet;
    }

    void Show(TRMPrintForm& form)
    {
        form.show();
        QApplication::processEvents();
    }
};

TEST(PrinterStatus, TextsForCodesAndQueuedJobs)
{
    struct Case {
        unsigned status;
        int jobs;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "空闲"},
        {0, 2, "打印:有2篇文档正在等待打印"},
        {0x10, 0, "缺纸"},
        {0x400, 1, "正在打印:有1篇文档正在等待打印"},
        {0x2000, 0, "Door Open"},
        {0x400000, 0, "Door Open"},
        {0x8, 0, "卡纸"},
        {0x11, 0, "空闲"}, // a combination of codes has no word of its own
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(RMPrinterStatusText(c.status, c.jobs), QString::fromUtf8(c.text));
    }
}

TEST_F(PrintForm, PrintersStatusAndPapersOfTheChosenPrinter)
{
    TRMPrintForm form;
    Show(form);
    EXPECT_EQ(form.windowTitle(), "打印");
    EXPECT_EQ(form.size(), QSize(512, 320));
    // Entry 1, the virtual printer, is not offered.
    ASSERT_EQ(form.PrinterBox()->count(), 3);
    EXPECT_EQ(form.PrinterBox()->itemText(0), "默认打印机");
    EXPECT_EQ(form.PrinterBox()->itemText(1), "Laser");
    EXPECT_EQ(form.PrinterBox()->itemText(2), "Inkjet");
    EXPECT_FALSE(form.PrinterBox()->itemIcon(1).isNull());
    EXPECT_EQ(form.StatusLabel()->text(), "打印:有3篇文档正在等待打印");
    EXPECT_EQ(form.TypeLabel()->text(), "HP LaserJet 4250 Postscript");
    EXPECT_EQ(form.PlaceLabel()->text(), "二楼打印室");
    EXPECT_EQ(form.CommentLabel()->text(), "财务部");
    // "无缩放", then the printer's papers without the last, the custom size.
    TRMPrinterInfo* info = GetReportPrinter().PrinterInfo();
    ASSERT_NE(info, nullptr);
    QStringList papers;
    for (int i = 0; i < form.ScalePaperBox()->count(); ++i)
        papers << form.ScalePaperBox()->itemText(i);
    EXPECT_EQ(papers.size(), info->PaperCount());
    EXPECT_EQ(papers.mid(0, 4), (QStringList{"无缩放", "A4", "Letter", "A3"}));
    EXPECT_FALSE(papers.contains(info->PaperNames.last()));
    EXPECT_EQ(form.GetScalePaper().Id, -1);
    form.ScalePaperBox()->setCurrentIndex(3);
    EXPECT_EQ(form.GetScalePaper().Id, 8);
    EXPECT_EQ(form.GetScalePaper().Width, 2970);
    EXPECT_EQ(form.GetScalePaper().Height, 4200);

    // Choosing the inkjet: its status, its papers, and the printer follows at once.
    form.PrinterBox()->setFocus();
    QTest::keyClick(form.PrinterBox(), Qt::Key_End);
    ASSERT_EQ(form.PrinterBox()->currentIndex(), 2);
    EXPECT_EQ(GetReportPrinter().SelectedPrinter(), 3);
    EXPECT_EQ(form.StatusLabel()->text(), "缺纸");
    EXPECT_EQ(form.TypeLabel()->text(), "Inkjet");
    EXPECT_EQ(form.ScalePaperBox()->count(), GetReportPrinter().PrinterInfo()->PaperCount());
    EXPECT_EQ(form.ScalePaperBox()->itemText(1), "A5");
}

TEST_F(PrintForm, CancelPutsBackThePrinterSelectedBefore)
{
    GetReportPrinter().SetSelectedPrinter(2);
    TRMPrintForm form;
    Show(form);
    EXPECT_EQ(form.PrinterBox()->currentIndex(), 1) << "entry 2 is box item 1";
    form.PrinterBox()->setCurrentIndex(2);
    EXPECT_EQ(GetReportPrinter().SelectedPrinter(), 3);
    QTest::mouseClick(form.CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(GetReportPrinter().SelectedPrinter(), 2);

    // OK keeps the choice.
    TRMPrintForm again;
    Show(again);
    again.PrinterBox()->setCurrentIndex(2);
    QTest::mouseClick(again.OkButton(), Qt::LeftButton);
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(GetReportPrinter().SelectedPrinter(), 3);
}

TEST_F(PrintForm, ThePageBoxTakesDigitsCommasAndDashesAndChoosesPages)
{
    TRMPrintForm form;
    Show(form);
    EXPECT_TRUE(form.AllButton()->isChecked());
    QTest::mouseClick(form.PagesButton(), Qt::LeftButton);
    EXPECT_TRUE(form.PageEdit()->hasFocus()) << "choosing 页 puts the cursor in the box";
    QTest::keyClicks(form.PageEdit(), "1a, 3-5;x7");
    EXPECT_EQ(form.PageEdit()->text(), "1,3-57");
    QTest::keyClick(form.PageEdit(), Qt::Key_Backspace);
    EXPECT_EQ(form.PageEdit()->text(), "1,3-5");
    EXPECT_EQ(form.PageText(4), "1,3-5");

    QTest::mouseClick(form.CurrentButton(), Qt::LeftButton);
    EXPECT_EQ(form.PageText(4), "4");
    // Going back into the box selects 页 again.
    form.CopiesBox()->setFocus();
    QTest::mouseClick(form.PageEdit(), Qt::LeftButton);
    EXPECT_TRUE(form.PagesButton()->isChecked());
    QTest::mouseClick(form.AllButton(), Qt::LeftButton);
    EXPECT_EQ(form.PageText(4), "");
}

TEST_F(PrintForm, AnUnreadablePageListIsSaidAndTheDialogStaysOpen)
{
    MessageBoxRecorder boxes;
    TRMPrintForm form;
    form.SetPageCount(10);
    Show(form);
    QTest::mouseClick(form.PagesButton(), Qt::LeftButton);
    QTest::keyClicks(form.PageEdit(), "1,,2");
    QTest::mouseClick(form.OkButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.contains("''"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.PageEdit()->hasFocus());
    QTest::keyClicks(form.PageEdit(), "2-3"); // the whole text was selected for correction
    QTest::keyClick(form.PageEdit(), Qt::Key_Return);
    EXPECT_EQ(boxes.shown.size(), 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.PageText(1), "2-3");
}

TEST_F(PrintForm, CopiesCollationKindAndScale)
{
    TRMPrintForm form;
    form.SetCopies(0);
    Show(form);
    EXPECT_EQ(form.GetCopies(), 1);
    form.CopiesBox()->setFocus();
    form.CopiesBox()->selectAll();
    QTest::keyClicks(form.CopiesBox(), "3");
    EXPECT_EQ(form.GetCopies(), 3);

    const QImage collated = form.CollatePicture()->pixmap().toImage();
    EXPECT_TRUE(form.Collate());
    QTest::mouseClick(form.CollateBox(), Qt::LeftButton);
    EXPECT_FALSE(form.Collate());
    EXPECT_NE(form.CollatePicture()->pixmap().toImage(), collated) << "the picture shows stacks by copy";

    EXPECT_EQ(form.KindBox()->count(), 3);
    EXPECT_EQ(form.KindBox()->itemText(1), "奇数页");
    form.KindBox()->setCurrentIndex(2);
    EXPECT_EQ(form.PageKind(), 2);

    EXPECT_EQ(form.GetScale(), 100);
    form.ScaleBox()->setFocus();
    form.ScaleBox()->selectAll();
    QTest::keyClicks(form.ScaleBox(), "250");
    EXPECT_EQ(form.GetScale(), 250);
}

TEST_F(PrintForm, OffsetsInCentimetresBoundedToASheet)
{
    TRMPrintForm form;
    form.SetOffsetLeft(38);
    form.SetOffsetTop(-19);
    Show(form);
    EXPECT_NEAR(form.OffsetLeftBox()->value(), 1.01, 0.006); // 38 px = 10.05 mm
    EXPECT_EQ(form.GetOffsetLeft(), 38);
    EXPECT_EQ(form.GetOffsetTop(), -19);

    form.OffsetLeftBox()->setFocus();
    form.OffsetLeftBox()->selectAll();
    QTest::keyClicks(form.OffsetLeftBox(), "2.5");
    EXPECT_EQ(form.GetOffsetLeft(), 94); // 25 mm

    // Offsets no sheet has are cut at the box's bounds; nothing wraps.
    form.SetOffsetTop(2147483647);
    form.SetOffsetLeft(-2147483647);
    EXPECT_GT(form.GetOffsetTop(), 3000);
    EXPECT_LT(form.GetOffsetTop(), 4000);
    EXPECT_LT(form.GetOffsetLeft(), -3000);
    EXPECT_DOUBLE_EQ(form.OffsetTopBox()->value(), 100.0);
}

TEST_F(PrintForm, LooksRight)
{
    TRMPrintForm form;
    form.SetPageCount(12);
    Show(form);
    const QImage shot = form.grab().toImage();
    EXPECT_EQ(shot.size(), QSize(512, 320) * form.devicePixelRatioF());
    // Every label fits the dialog and no two groups overlap.
    const auto groups = form.findChildren<QGroupBox*>();
    EXPECT_EQ(groups.size(), 5);
    for (QGroupBox* g : groups)
        EXPECT_TRUE(form.rect().contains(g->geometry())) << g->title().toStdString();
    for (QLabel* l : form.findChildren<QLabel*>()) {
        if (l->text().isEmpty())
            continue;
        const QRect r(l->mapTo(&form, QPoint(0, 0)), l->sizeHint());
        EXPECT_TRUE(form.rect().contains(r)) << l->text().toStdString();
    }
    EXPECT_EQ(form.KindBox()->x(), 10 + form.findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly)->width() + 11);
    const QString dir = qEnvironmentVariable("PQ_SHOT_DIR");
    if (!dir.isEmpty())
        shot.save(dir + "/print_form.png");
}

} // namespace
} // namespace pq
