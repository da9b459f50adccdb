#include "base/guard.h"
#include "base/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace pq;

TEST(MessageBoxRecorder, CapturesBoxesAndAnswersFromItsScript)
{
    MessageBoxRecorder rec;
    rec.answers = {MsgCancel};
    QWidget owner;
    EXPECT_EQ(ShowMessageBox(&owner, "打印吗?", "提示", MsgIcon::Information, MsgOk | MsgCancel), MsgCancel);
    EXPECT_EQ(ShowMessageBox(&owner, "again", "提示", MsgIcon::Information, MsgOk | MsgCancel), MsgOk);
    ShowErrorBox(nullptr, "坏了");
    ASSERT_EQ(rec.shown.size(), 3);
    EXPECT_EQ(rec.shown[0].owner, &owner);
    EXPECT_EQ(rec.shown[2].caption, "错误");
    EXPECT_EQ(rec.shown[2].icon, MsgIcon::Error);
    EXPECT_EQ(rec.shown[2].buttons, MsgOk);
}

TEST(Guard, AnExceptionInAHandlerBecomesAnErrorBoxAndNeverReachesTheEventLoop)
{
    MessageBoxRecorder rec;
    QWidget window;
    auto* button = new QPushButton("go", &window);
    int after = 0;
    QObject::connect(button, &QPushButton::clicked, &window,
        Guarded(&window, [] { throw std::runtime_error("磁盘已满"); }));
    QObject::connect(button, &QPushButton::clicked, &window, [&] { ++after; });
    window.show();
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(rec.shown.size(), 1);
    EXPECT_EQ(rec.shown[0].text, "磁盘已满");
    EXPECT_EQ(rec.shown[0].caption, "错误");
    EXPECT_EQ(rec.shown[0].owner, &window);
    EXPECT_EQ(after, 1); // later handlers of the same signal still run

    EXPECT_FALSE(RunGuarded(nullptr, [] { throw 42; }));
    EXPECT_EQ(rec.shown.last().text, "未知错误！");
    EXPECT_TRUE(RunGuarded(nullptr, [] {}));
}

TEST(Guard, SilentAbortUnwindsWithoutABox)
{
    MessageBoxRecorder rec;
    EXPECT_FALSE(RunGuarded(nullptr, [] { throw SilentAbort(); }));
    EXPECT_TRUE(rec.shown.isEmpty());
}

// The real box, as an operator sees it: messages joined with CR LF or LF CR show one line
// each, with no blank line between them.
TEST(MessageBox, JoinedMessagesShowOneLineEach)
{
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {
        {"a\r\nb", "a\nb"},
        {"a\n\rb\n\rc", "a\nb\nc"},
        {"a\rb", "a\nb"},
        {"a\n\nb", "a\n\nb"}, // a blank line asked for stays
        {"a\r\n\r\nb", "a\n\nb"},
    };
    for (const auto& c : cases) {
        QString shown;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    shown = box->text();
                    box->accept();
                }
        });
        poll.start(10);
        ShowErrorBox(nullptr, QString::fromUtf8(c.text));
        EXPECT_EQ(shown, QString::fromUtf8(c.shown)) << c.text;
    }
}
