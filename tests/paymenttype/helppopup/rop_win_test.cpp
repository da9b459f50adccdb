// The shortcut-help popup, shown for real over a window and closed by real key, mouse and
// timer events while ShowPopup waits.
#include "paymenttype/helppopup/rop_win.h"

#include "base/message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>

using pq::TRopInst;
using pq::TRopWin;

namespace {

int LivePopups()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<TRopInst*>(w) != nullptr;
    return n;
}

class RopWinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The window beneath: a full-screen panel in a colour of its own, with a button and
        // an edit box that must not see what closes the popup.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        beneath.setGeometry(screen);
        beneath.setAutoFillBackground(true);
        QPalette pal = beneath.palette();
        pal.setColor(QPalette::Window, QColor(40, 120, 200));
        beneath.setPalette(pal);
        auto* layout = new QVBoxLayout(&beneath);
        button = new QPushButton(QStringLiteral("under"), &beneath);
        edit = new QLineEdit(&beneath);
        layout->addWidget(button, 0, Qt::AlignLeft | Qt::AlignTop);
        layout->addWidget(edit, 0, Qt::AlignLeft | Qt::AlignTop);
        layout->addStretch();
        QObject::connect(button, &QPushButton::clicked, [this] { ++buttonClicks; });
        beneath.show();
        beneath.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&beneath));
        edit->setFocus();
        pq::SetupRopHelp(rop);
    }

    // Runs ShowPopup; `whileShown` runs once the popup is up. A popup still open after a
    // generous while is closed so that a fault fails the test instead of hanging it.
    void Show(const std::function<void(TRopInst*)>& whileShown)
    {
        shown = nullptr;
        hung = false;
        QTimer::singleShot(0, [&] {
            shown = qobject_cast<TRopInst*>(QApplication::activePopupWidget());
            if (shown) {
                geometry = shown->geometry();
                textSize = shown->TextSize();
            }
            if (whileShown)
                whileShown(shown);
        });
        QTimer safety;
        safety.setSingleShot(true);
        QObject::connect(&safety, &QTimer::timeout, [&] {
            hung = true;
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        });
        safety.start(20000);
        rop.ShowPopup();
        safety.stop();
    }

    QWidget beneath;
    QPushButton* button = nullptr;
    QLineEdit* edit = nullptr;
    int buttonClicks = 0;
    TRopWin rop;
    TRopInst* shown = nullptr;
    QRect geometry;
    QSize textSize;
    bool hung = false;
};

TEST_F(RopWinTest, EmptyLinesGiveTheErrorBoxAndNoPopup)
{
    pq::MessageBoxRecorder boxes;
    bool popupDuringBox = true;
    boxes.onShow = [&](const pq::MessageBoxRequest&) { popupDuringBox = QApplication::activePopupWidget() != nullptr; };
    rop.SetLines({});
    rop.ShowPopup();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("The Lines is empty"));
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(boxes.shown[0].icon, pq::MsgIcon::None);
    EXPECT_EQ(boxes.shown[0].buttons, int(pq::MsgOk));
    EXPECT_FALSE(popupDuringBox);
    EXPECT_EQ(LivePopups(), 0);
}

TEST_F(RopWinTest, RopHelpHasItsNineLines)
{
    const QStringList lines = rop.Lines();
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[0], QStringLiteral("快捷键："));
    EXPECT_TRUE(lines[1].isEmpty());
    for (int i = 2; i < 9; ++i)
        EXPECT_TRUE(lines[i].startsWith(QStringLiteral("    ")) && lines[i][4] != u' ') << i;
    EXPECT_EQ(lines[4], QStringLiteral("    修  改: Ctrl+I(插入一个支付方式项目)"));
    EXPECT_EQ(lines[8], QStringLiteral("    退  出: ESC"));
    EXPECT_EQ(rop.Font().pixelSize(), 11);
    EXPECT_EQ(rop.TimeClose, 0);
    EXPECT_EQ(rop.xPos, 0);
    EXPECT_EQ(rop.yPos, 0);
}

TEST_F(RopWinTest, RopHelpIsTextPlusFortyByThirtyAndCentred)
{
    Show([](TRopInst* popup) {
        if (popup)
            QTest::keyClick(popup, Qt::Key_Space);
    });
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(hung);
    // The text measured independently, line by line: its widest line, and the nine lines'
    // heights, the empty one too (lines with Chinese take the taller fallback face's height).
    const QFontMetrics fm(rop.Font());
    int widest = 0;
    int height = 0;
    for (const QString& line : rop.Lines()) {
        const QRect r = fm.boundingRect(QRect(), Qt::AlignLeft | Qt::AlignTop, line);
        widest = std::max(widest, r.width());
        height += r.height();
    }
    EXPECT_EQ(textSize.width(), widest);
    EXPECT_EQ(textSize.height(), height);
    EXPECT_GE(textSize.height(), 9 * fm.height());
    EXPECT_EQ(geometry.size(), textSize + QSize(40, 30));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(geometry.left(), (screen.width() - textSize.width()) / 2);
    EXPECT_EQ(geometry.top(), (screen.height() - textSize.height()) / 2);
}

TEST_F(RopWinTest, XPosPlacesLeftEdgeAndYPosZeroCentres)
{
    rop.xPos = 100;
    rop.yPos = 0;
    Show([](TRopInst* popup) {
        if (popup)
            popup->close();
    });
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(geometry.left(), 100);
    EXPECT_EQ(geometry.top(), (QGuiApplication::primaryScreen()->geometry().height() - textSize.height()) / 2);
}

TEST_F(RopWinTest, YPosPlacesTopEdge)
{
    rop.yPos = 7;
    Show([](TRopInst* popup) {
        if (popup)
            popup->close();
    });
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(geometry.top(), 7);
    EXPECT_EQ(geometry.left(), (QGuiApplication::primaryScreen()->geometry().width() - textSize.width()) / 2);
}

TEST_F(RopWinTest, TimeCloseClosesItByItself)
{
    rop.TimeClose = 30;
    Show(nullptr);
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(hung);
    EXPECT_EQ(LivePopups(), 0);
}

TEST_F(RopWinTest, WithoutTimeCloseItWaitsForTheOperator)
{
    // The popup is still up when later events have been processed; a key then closes it.
    bool stillUp = false;
    Show([&](TRopInst* popup) {
        if (!popup)
            return;
        QTimer::singleShot(50, [&] {
            stillUp = QApplication::activePopupWidget() != nullptr;
            if (QWidget* w = QApplication::activePopupWidget())
                QTest::keyClick(w, Qt::Key_Escape);
        });
    });
    EXPECT_TRUE(stillUp);
    EXPECT_FALSE(hung);
}

TEST_F(RopWinTest, KeyClosesItAndDoesNotReachTheWindow)
{
    Show([](TRopInst* popup) {
        if (popup)
            QTest::keyClick(popup, Qt::Key_A);
    });
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(hung);
    EXPECT_EQ(LivePopups(), 0);
    EXPECT_TRUE(edit->text().isEmpty());
}

TEST_F(RopWinTest, ClickOutsideClosesItAndDoesNotReachTheWindowBeneath)
{
    // Through the window system, as a real click arrives: on the window beneath, at the
    // button, well away from the centred popup.
    const QPoint at = button->mapTo(&beneath, button->rect().center());
    Show([&](TRopInst* popup) {
        if (popup)
            QTest::mouseClick(beneath.windowHandle(), Qt::LeftButton, {}, at);
    });
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(hung);
    EXPECT_EQ(LivePopups(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(buttonClicks, 0);
    // With the popup gone the button works again: the click above was really on it.
    QTest::mouseClick(beneath.windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(buttonClicks, 1);
}

TEST_F(RopWinTest, ClickInsideClosesIt)
{
    Show([](TRopInst* popup) {
        if (popup)
            QTest::mouseClick(popup, Qt::RightButton, {}, popup->rect().center());
    });
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(hung);
    EXPECT_EQ(LivePopups(), 0);
}

// Renders the popup over the window beneath, saves it for a person to look at (PQ_SHOT_DIR,
// else the temporary folder) and checks the box, the outline, the text and the shadow.
TEST_F(RopWinTest, PaintsBoxOutlineTextAndShadow)
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
    pq::SetupRopHelp(rop);
    QImage shot;
    bool captured = false;
    Show([&](TRopInst* popup) {
        if (!popup)
            return;
        captured = popup->HasCapturedBackground();
        shot = popup->grab().toImage();
        popup->close();
    });
    ASSERT_FALSE(shot.isNull());
    // A picture for people to look at, only where PQ_SHOT_DIR says.
    if (qEnvironmentVariableIsSet("PQ_SHOT_DIR")) {
        EXPECT_TRUE(shot.save(qEnvironmentVariable("PQ_SHOT_DIR") + QStringLiteral("/rop_help_popup.png")));
    }

    const int cw = shot.width();
    const int ch = shot.height();
    const QColor black(Qt::black);
    EXPECT_EQ(shot.pixelColor(1, 20), black);            // outline, two pixels
    EXPECT_EQ(shot.pixelColor(2, 20), black);
    EXPECT_EQ(shot.pixelColor(3, 20), QColor(Qt::white)); // the box's brush
    EXPECT_EQ(shot.pixelColor(cw - 17, 20), black);
    EXPECT_EQ(shot.pixelColor(20, ch - 17), black);
    bool ink = false;
    for (int y = 6; y < 20 && !ink; ++y)
        for (int x = 6; x < 40 && !ink; ++x)
            ink = shot.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_TRUE(ink) << "no text drawn";
    // Shadow: pattern rows AA 00 55 00; 0 bits black, 1 bits leave what is beneath.
    const int y0 = ch - 16 + (8 - (ch - 16) % 8) % 8; // a strip row where the pattern row is AA
    EXPECT_EQ(shot.pixelColor(cw - 15, y0), black);   // x odd in row AA: bit 0
    EXPECT_EQ(shot.pixelColor(cw - 14, y0 + 1), black); // row 00: all black
    if (captured) {
        const QColor under(40, 120, 200);
        EXPECT_EQ(shot.pixelColor(cw - 16, y0), under); // x even in row AA: bit 1
        EXPECT_EQ(shot.pixelColor(cw - 15, y0 + 2), under); // x odd in row 55
        EXPECT_EQ(shot.pixelColor(0, 0), under);       // outside the box: the screen
    }
}

} // namespace
