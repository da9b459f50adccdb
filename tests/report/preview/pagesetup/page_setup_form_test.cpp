// The page setup dialog on real widgets, headless, driven by real key and mouse events.
#include "report/preview/pagesetup/rm_page_setup_form.h"

#include "page_setup_test_support.h"

#include "base/message_box.h"
#include "report/preview/pagesetup/rm_page_setup_logic.h"
#include "report/preview/printer/printer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace pq {
namespace {

class PageSetupFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        machine = std::make_unique<test::PageSetupMachine>();
        form = std::make_unique<TRMPageSetupForm>();
        TRMPageSetting& s = form->Settings();
        s.SetMarginTop(20);
        s.SetMarginBottom(20);
        s.SetMarginLeft(10);
        s.SetMarginRight(10);
        s.SetTitle(QStringLiteral("支付方式档案"));
    }
    void TearDown() override
    {
        form.reset();
        machine.reset();
    }

    void Show(int printerEntry = test::kDefaultEntry)
    {
        GetReportPrinter().SetSelectedPrinter(printerEntry);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // Clicks into a box, selects what it holds and types text over it.
    static void TypeInto(QWidget* box, const QString& text)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(10, box->height() / 2));
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        // Each character as a key of its own; keyClicks knows only ASCII.
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    void ShowTab(int index)
    {
        form->Tabs()->setCurrentIndex(index);
        QApplication::processEvents();
    }
    static void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    // A check box answers on its box and text, not on the rest of its width.
    static void Check(QWidget* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }

    std::unique_ptr<test::PageSetupMachine> machine;
    std::unique_ptr<TRMPageSetupForm> form;
    MessageBoxRecorder boxes;
};

TEST_F(PageSetupFormTest, ShowsEveryPrinterOfTheListAndTheTitle)
{
    Show();
    QStringList names;
    for (int i = 0; i < form->PrinterBox()->count(); ++i)
        names << form->PrinterBox()->itemText(i);
    EXPECT_EQ(names, (QStringList{QStringLiteral("默认打印机"), QStringLiteral("虚拟打印机"),
                         QStringLiteral("Laser"), QStringLiteral("Plotter")}));
    EXPECT_EQ(form->PrinterBox()->currentIndex(), test::kDefaultEntry);
    EXPECT_EQ(form->TitleBox()->text(), QStringLiteral("支付方式档案"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("页面设置"));
    EXPECT_EQ(form->size(), QSize(494, 280));
    EXPECT_EQ(form->Tabs()->count(), 4);
    EXPECT_EQ(form->Tabs()->tabText(0), QStringLiteral("纸张类型(&S)"));
    EXPECT_EQ(form->Tabs()->tabText(3), QStringLiteral("其它"));
    // The laser's sources, the driver's default first.
    ASSERT_EQ(form->SourceList()->count(), 3);
    EXPECT_EQ(form->SourceList()->item(0)->text(), QStringLiteral("缺省"));
    EXPECT_EQ(form->SourceList()->currentRow(), 0);
    EXPECT_EQ(form->MarginTopBox()->text(), QStringLiteral("2.00"));
    EXPECT_EQ(form->MarginLeftBox()->text(), QStringLiteral("1.00"));

    for (int tab = 0; tab < form->Tabs()->count(); ++tab) {
        ShowTab(tab);
        test::Shot(*form, QStringLiteral("page_setup_tab%1").arg(tab + 1));
    }
}

// A4 upright turned on its side, on each printer that knows A4.
class TurningTest : public PageSetupFormTest, public ::testing::WithParamInterface<int> {};

TEST_P(TurningTest, LandscapeSwapsTheSizeAndKeepsA4)
{
    Show(GetParam());
    const int a4 = form->PaperBox()->currentIndex();
    ASSERT_NE(a4, form->PaperBox()->count() - 1) << "A4 is found, not the custom size";
    EXPECT_TRUE(form->PaperBox()->currentText().startsWith(QStringLiteral("A4")));
    EXPECT_EQ(form->WidthBox()->text(), QStringLiteral("21.00"));
    EXPECT_EQ(form->HeightBox()->text(), QStringLiteral("29.70"));
    EXPECT_FALSE(form->WidthBox()->isEnabled());
    const QImage upright = form->OrientationPicture()->pixmap().toImage();

    Click(form->LandscapeButton());
    EXPECT_TRUE(form->LandscapeButton()->isChecked());
    EXPECT_EQ(form->WidthBox()->text(), QStringLiteral("29.70"));
    EXPECT_EQ(form->HeightBox()->text(), QStringLiteral("21.00"));
    EXPECT_EQ(form->PaperBox()->currentIndex(), a4);
    EXPECT_EQ(form->Settings().Orientation(), 1);
    EXPECT_EQ(form->Settings().PaperWidth(), 2970);
    EXPECT_EQ(form->Settings().PaperHeight(), 2100);
    EXPECT_EQ(form->Settings().PaperSize(), 9);
    EXPECT_NE(form->OrientationPicture()->pixmap().toImage(), upright) << "the picture turns too";
    test::Shot(*form, QStringLiteral("page_setup_landscape"));

    Click(form->PortraitButton());
    EXPECT_EQ(form->WidthBox()->text(), QStringLiteral("21.00"));
    EXPECT_EQ(form->Settings().PaperHeight(), 2970);
}

INSTANTIATE_TEST_SUITE_P(Printers, TurningTest,
    ::testing::Values(test::kDefaultEntry, test::kVirtualEntry, test::kLaserEntry));

TEST_F(PageSetupFormTest, APrinterWithoutA4GivesTheCustomSizeWithItsBoxesOpen)
{
    Show();
    QComboBox* printers = form->PrinterBox();
    printers->setFocus();
    while (printers->currentIndex() < test::kPlotterEntry)
        QTest::keyClick(printers, Qt::Key_Down);
    ASSERT_EQ(printers->currentText(), QStringLiteral("Plotter"));

    EXPECT_EQ(form->PaperBox()->currentIndex(), form->PaperBox()->count() - 1);
    EXPECT_EQ(form->PaperBox()->currentText(), QStringLiteral("自定义大小"));
    EXPECT_TRUE(form->WidthBox()->isEnabled());
    EXPECT_TRUE(form->HeightBox()->isEnabled());
    EXPECT_EQ(form->WidthBox()->text(), QStringLiteral("21.00")) << "the sheet stays as it was";
    EXPECT_EQ(form->Settings().PaperSize(), 256);
    EXPECT_EQ(form->Settings().PaperWidth(), 2100);
    ASSERT_EQ(form->SourceList()->count(), 2);
    EXPECT_EQ(form->SourceList()->item(1)->text(), QStringLiteral("Roll"));

    // Back on the laser, A4 again and the boxes closed.
    QTest::keyClick(printers, Qt::Key_Up);
    EXPECT_TRUE(form->PaperBox()->currentText().startsWith(QStringLiteral("A4")));
    EXPECT_FALSE(form->WidthBox()->isEnabled());
    EXPECT_EQ(form->Settings().PaperSize(), 9);
}

TEST_F(PageSetupFormTest, ChoosingAPaperTakesItsSizeTurnedForLandscape)
{
    form->Settings().SetOrientation(1);
    Show();
    QComboBox* papers = form->PaperBox();
    papers->setFocus();
    QTest::keyClick(papers, Qt::Key_Down); // A4 → Letter
    ASSERT_EQ(papers->currentText(), QStringLiteral("Letter"));
    EXPECT_EQ(form->Settings().PaperSize(), 1);
    EXPECT_EQ(form->Settings().PaperWidth(), 2794);
    EXPECT_EQ(form->Settings().PaperHeight(), 2159);
    EXPECT_EQ(form->WidthBox()->text(), QStringLiteral("27.94"));
}

TEST_F(PageSetupFormTest, ASourceChosenGivesItsBinCode)
{
    Show();
    ShowTab(1);
    QListWidget* list = form->SourceList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(form->Settings().Bin(), 4) << "Manual";
}

struct WarningCase {
    const char* name;
    int printer;
    const char* typed; // left margin, cm
    int answer;        // 0: no box expected
    double leftMm;     // after OK; < 0: the laser's border + 0.5
    const char* shown;
};

void PrintTo(const WarningCase& c, std::ostream* os) { *os << c.name; }

class MarginWarningTest : public PageSetupFormTest, public ::testing::WithParamInterface<WarningCase> {};

TEST_P(MarginWarningTest, MarginsOutsideThePrintableAreaAreOfferedAdjustment)
{
    const WarningCase c = GetParam();
    Show(c.printer);
    ShowTab(2);
    if (c.answer)
        boxes.answers = {c.answer};
    TypeInto(form->MarginLeftBox(), QString::fromUtf8(c.typed));
    Click(form->OkButton());

    if (c.answer) {
        ASSERT_EQ(boxes.shown.size(), 1);
        const MessageBoxRequest& box = boxes.shown[0];
        EXPECT_EQ(box.text, QStringLiteral("有一处或多处页边距设置了页面的可打印区域之外，是否自动调整页边距？"));
        EXPECT_EQ(box.caption, QStringLiteral("警告"));
        EXPECT_EQ(box.buttons, MsgYes | MsgNo);
        EXPECT_EQ(box.icon, MsgIcon::Warning);
    } else {
        EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.Texts().join(QLatin1Char('\n')).toStdString();
    }
    const double expected = c.leftMm < 0 ? test::LaserUnprintableMm() + 0.5 : c.leftMm;
    EXPECT_NEAR(form->Settings().MarginLeft(), expected, 1e-9);
    EXPECT_EQ(form->MarginLeftBox()->text(), QString::fromUtf8(c.shown));
    EXPECT_DOUBLE_EQ(form->Settings().MarginTop(), 20) << "printable margins stay";
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_FALSE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Answers, MarginWarningTest,
    ::testing::Values(WarningCase{"YesMovesItOut", test::kDefaultEntry, "0.2", MsgYes, -1, "0.47"},
        WarningCase{"NoKeepsIt", test::kDefaultEntry, "0.2", MsgNo, 2.0, "0.20"},
        WarningCase{"PrintableAsksNothing", test::kDefaultEntry, "0.5", 0, 5.0, "0.50"},
        WarningCase{"VirtualPrinterHasNoBorder", test::kVirtualEntry, "0.2", 0, 2.0, "0.20"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageSetupFormTest, APrinterThatFailsOnOkIsReportedAndTheDialogStays)
{
    Show();
    Click(form->LandscapeButton());
    machine->Backend().ThrowOnContext = true;
    Click(form->OkButton());
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("打印机驱动程序出错"));
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Error);
    EXPECT_TRUE(form->isVisible());
    EXPECT_NE(form->result(), QDialog::Accepted);

    machine->Backend().ThrowOnContext = false;
    Click(form->OkButton());
    EXPECT_EQ(form->result(), QDialog::Accepted);
}

// A negative value typed into any of the millimetre boxes is refused.
struct NegativeCase {
    const char* name;
    int tab;
    QDoubleSpinBox* (TRMPageSetupForm::*box)() const;
    double (TRMPageSetting::*value)() const;
    double before; // mm
    const char* shown;
};

void PrintTo(const NegativeCase& c, std::ostream* os) { *os << c.name; }

class NegativeValueTest : public PageSetupFormTest, public ::testing::WithParamInterface<NegativeCase> {};

TEST_P(NegativeValueTest, LeavesThePreviousValue)
{
    const NegativeCase c = GetParam();
    form->Settings().SetColumnGap(5);
    Show();
    ShowTab(c.tab);
    QDoubleSpinBox* box = (form.get()->*c.box)();
    TypeInto(box, QStringLiteral("-3"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_DOUBLE_EQ((form->Settings().*c.value)(), c.before);
    EXPECT_EQ(box->text(), QString::fromUtf8(c.shown)) << "the box shows what is kept";
}

INSTANTIATE_TEST_SUITE_P(Boxes, NegativeValueTest,
    ::testing::Values(
        NegativeCase{"Top", 2, &TRMPageSetupForm::MarginTopBox, &TRMPageSetting::MarginTop, 20, "2.00"},
        NegativeCase{"Bottom", 2, &TRMPageSetupForm::MarginBottomBox, &TRMPageSetting::MarginBottom, 20, "2.00"},
        NegativeCase{"Left", 2, &TRMPageSetupForm::MarginLeftBox, &TRMPageSetting::MarginLeft, 10, "1.00"},
        NegativeCase{"Right", 2, &TRMPageSetupForm::MarginRightBox, &TRMPageSetting::MarginRight, 10, "1.00"},
        NegativeCase{"Gap", 3, &TRMPageSetupForm::ColumnGapBox, &TRMPageSetting::ColumnGap, 5, "0.50"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageSetupFormTest, AMarginConfirmedWithEnterIsStoredAndDrawn)
{
    Show();
    ShowTab(2);
    const QImage before = form->PagePicture()->grab().toImage();
    TypeInto(form->MarginTopBox(), QStringLiteral("3.5"));
    QTest::keyClick(form->MarginTopBox(), Qt::Key_Tab);
    EXPECT_DOUBLE_EQ(form->Settings().MarginTop(), 35);
    EXPECT_NE(form->PagePicture()->grab().toImage(), before);
}

// Cancel pressed while a box still holds what was typed stores nothing.
struct CancelCase {
    const char* name;
    int tab;
    bool custom;
};

void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class CancelTest : public PageSetupFormTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelTest, StoresNothingHalfTyped)
{
    const CancelCase c = GetParam();
    if (c.custom)
        form->Settings().SetPaperSize(256);
    Show(c.custom ? test::kPlotterEntry : test::kDefaultEntry);
    ShowTab(c.tab);
    QWidget* box = nullptr;
    if (QString::fromUtf8(c.name) == QLatin1String("Margin"))
        box = form->MarginTopBox();
    else if (QString::fromUtf8(c.name) == QLatin1String("Title"))
        box = form->TitleBox();
    else
        box = form->WidthBox();
    TypeInto(box, QStringLiteral("5"));
    Click(form->CancelButton());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_DOUBLE_EQ(form->Settings().MarginTop(), 20);
    EXPECT_EQ(form->Settings().Title(), QStringLiteral("支付方式档案"));
    EXPECT_EQ(form->Settings().PaperWidth(), 2100);
}

INSTANTIATE_TEST_SUITE_P(Boxes, CancelTest,
    ::testing::Values(CancelCase{"Margin", 2, false}, CancelCase{"Title", 0, false}, CancelCase{"Width", 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageSetupFormTest, ATitleTypedIsTakenOnLeavingTheBox)
{
    Show();
    TypeInto(form->TitleBox(), QStringLiteral("新标题"));
    Click(form->OkButton());
    EXPECT_EQ(form->Settings().Title(), QStringLiteral("新标题"));
}

TEST_F(PageSetupFormTest, ACustomSheetNeverGoesBelowOneCentimetre)
{
    form->Settings().SetPaperSize(256);
    form->Settings().SetPaperWidth(0);
    form->Settings().SetPaperHeight(-40);
    Show(test::kPlotterEntry);
    ASSERT_TRUE(form->WidthBox()->isEnabled());
    EXPECT_EQ(form->WidthBox()->text(), QStringLiteral("1.00"));
    EXPECT_EQ(form->Settings().PaperWidth(), kMinCustomPaperSide);
    EXPECT_EQ(form->Settings().PaperHeight(), kMinCustomPaperSide);

    TypeInto(form->HeightBox(), QStringLiteral("0"));
    QTest::keyClick(form->HeightBox(), Qt::Key_Tab);
    EXPECT_EQ(form->Settings().PaperHeight(), kMinCustomPaperSide);
    TypeInto(form->WidthBox(), QStringLiteral("12.5"));
    QTest::keyClick(form->WidthBox(), Qt::Key_Tab);
    EXPECT_EQ(form->Settings().PaperWidth(), 1250);

    Click(form->OkButton());
    ASSERT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(GetReportPrinter().SelectedPrinter(), test::kPlotterEntry);
    EXPECT_EQ(GetReportPrinter().StoredPaperWidth(), 1250);
    EXPECT_EQ(GetReportPrinter().StoredPaperHeight(), kMinCustomPaperSide);
}

TEST_F(PageSetupFormTest, OptionsAndColumnsFollowTheirControls)
{
    Show();
    ShowTab(3);
    Check(form->DoublePassBox());
    Check(form->NoBackPictureBox());
    Check(form->PrintBackColorBox()); // on by default: off now
    Check(form->PrintToPrevPageBox());
    EXPECT_TRUE(form->Settings().DoublePass());
    EXPECT_TRUE(form->Settings().taoda());
    EXPECT_FALSE(form->Settings().PrintBackColor());
    EXPECT_TRUE(form->Settings().PrintToPrevPage());
    ShowTab(0);
    Check(form->UnlimitedHeightBox());
    EXPECT_TRUE(form->Settings().UnlimitedHeight());

    ShowTab(3);
    TypeInto(form->ColumnsBox(), QStringLiteral("3"));
    QTest::keyClick(form->ColumnsBox(), Qt::Key_Tab);
    EXPECT_EQ(form->Settings().Columns(), 3);
    form->DisableColumns();
    EXPECT_FALSE(form->ColumnsBox()->isEnabled());
    EXPECT_FALSE(form->ColumnGapBox()->isEnabled());
}

} // namespace
} // namespace pq
