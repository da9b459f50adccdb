// The control-printer registry: a control takes the printer of the last registration that
// names its class or an ancestor; printers are made from their class alone.
#include "report/gridreport/rm_control_printers.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace pq {
namespace {

// Classes only this test registers, so registrations made elsewhere do not meet them.
class TestEdit : public QLineEdit {
    Q_OBJECT
};
class TestPasswordEdit : public TestEdit {
    Q_OBJECT
};
class TestMemo : public QPlainTextEdit {
    Q_OBJECT
};

class TestPrinter : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport&, TRMPage*, QWidget*, TRMView*&) override {}
};
class TestSpecialPrinter : public TestPrinter {};

TEST(ControlPrinters, ClassOrAncestorAndTheLaterRegistrationWins)
{
    RMRegisterControlPrinter(TestEdit::staticMetaObject, TRMControlPrinterClass::Of<TestPrinter>("TestEditPrinter"));
    RMRegisterControlPrinter(TestMemo::staticMetaObject, TRMControlPrinterClass::Of<TestPrinter>("TestMemoPrinter"));
    TestEdit edit;
    TestPasswordEdit password;
    TestMemo memo;
    QScrollBar bar; // nobody registers scroll bars
    ASSERT_NE(RMFindControlPrinter(edit), nullptr);
    EXPECT_EQ(RMFindControlPrinter(edit)->Name, "TestEditPrinter");
    ASSERT_NE(RMFindControlPrinter(password), nullptr);
    EXPECT_EQ(RMFindControlPrinter(password)->Name, "TestEditPrinter") << "a subclass takes its ancestor's printer";
    EXPECT_EQ(RMFindControlPrinter(memo)->Name, "TestMemoPrinter");
    EXPECT_EQ(RMFindControlPrinter(bar), nullptr);

    // A later registration for the subclass wins for it and its descendants only.
    RMRegisterControlPrinter(TestPasswordEdit::staticMetaObject,
        TRMControlPrinterClass::Of<TestSpecialPrinter>("TestPasswordPrinter"));
    EXPECT_EQ(RMFindControlPrinter(password)->Name, "TestPasswordPrinter");
    EXPECT_EQ(RMFindControlPrinter(edit)->Name, "TestEditPrinter");
    // A later one for the ancestor wins over both.
    RMRegisterControlPrinter(TestEdit::staticMetaObject, TRMControlPrinterClass::Of<TestPrinter>("TestEditPrinter2"));
    EXPECT_EQ(RMFindControlPrinter(password)->Name, "TestEditPrinter2");

    // Found by name, and made from the class alone, free to run.
    const TRMControlPrinterClass* byName = RMControlPrinterByName("testpasswordprinter");
    ASSERT_NE(byName, nullptr);
    std::unique_ptr<TRMFormReportObject> printer = byName->Create();
    ASSERT_NE(printer, nullptr);
    EXPECT_NE(dynamic_cast<TestSpecialPrinter*>(printer.get()), nullptr);
    EXPECT_TRUE(printer->AutoFree);
    EXPECT_EQ(RMControlPrinterByName("NoSuchPrinter"), nullptr);
    const auto registrations = RMControlPrinterRegistrations();
    EXPECT_TRUE(registrations.contains(qMakePair(QStringLiteral("pq::TestPasswordEdit"), QStringLiteral("TestPasswordPrinter"))));
}

} // namespace
} // namespace pq

#include "control_printers_test.moc"
