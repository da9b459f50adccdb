#include "base/guard.h"
#include "base/message_box.h"

#include <QPushButton>
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
