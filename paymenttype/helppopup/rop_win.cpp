#include "paymenttype/helppopup/rop_win.h"

#include "base/message_box.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <memory>

namespace pq {

namespace {

// The shadow's 8 x 8 pattern, top row first, leftmost pixel in the highest bit. A 0 bit is
// black and a 1 bit white; ANDed with the screen, black darkens and white leaves it alone,
// which is what painting opaque black over 0 bits and nothing over 1 bits gives.
constexpr unsigned char kShadowRows[8] = {0xAA, 0x00, 0x55, 0x00, 0xAA, 0x00, 0x55, 0x00};

QImage ShadowPattern()
{
    QImage img(8, 8, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            img.setPixel(x, y, (kShadowRows[y] >> (7 - x)) & 1 ? 0x00000000u : 0xFF000000u);
    return img;
}

constexpr int kShadow = 16;   // the shadow strips' thickness
constexpr int kExtraWidth = 40;
constexpr int kExtraHeight = 30;

// What the screen shows under a rectangle. Where one of our own windows covers it all, the
// window renders itself: on X11, reading our own window back from the screen and then
// painting a popup over it leaves the popup black.
QPixmap GrabBeneath(QScreen* screen, const QRect& area, const QRect& global)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible() || top->isMinimized() || (top->windowFlags() & Qt::Popup) == Qt::Popup)
            continue;
        const QRect client(top->mapToGlobal(QPoint(0, 0)), top->size());
        if (client.contains(global))
            return top->grab(QRect(global.topLeft() - client.topLeft(), global.size()));
    }
    if (!screen)
        return QPixmap();
    return screen->grabWindow(0, global.x() - area.x(), global.y() - area.y(), global.width(), global.height());
}

} // namespace

// ---- TRopInst -------------------------------------------------------------------------------

TRopInst::TRopInst()
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
{
    // A click that closes the popup must not reach the window under the mouse.
    setAttribute(Qt::WA_NoMouseReplay);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FontColor = QApplication::palette().color(QPalette::WindowText);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

TRopInst::~TRopInst() = default;

void TRopInst::Prepare()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);

    const QFontMetrics metrics(PopupFont);
    m_textSize = metrics.boundingRect(QRect(), Qt::AlignLeft | Qt::AlignTop, Lines.join(u'\n')).size();
    const int tw = m_textSize.width();
    const int th = m_textSize.height();

    const int left = xPos != 0 ? xPos : area.x() + (area.width() - tw) / 2;
    const int top = yPos != 0 ? yPos : area.y() + (area.height() - th) / 2;
    setGeometry(left, top, tw + kExtraWidth, th + kExtraHeight);

    // What lies beneath becomes the popup's background; where the window system cannot
    // give it, the translucent window lets it show through instead. The window is
    // translucent either way: an opaque override window over our own window stays black on
    // X11 servers without a compositor, while one with an alpha channel shows what we paint.
    m_beneath = GrabBeneath(screen, area, geometry());
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAttribute(Qt::WA_TranslucentBackground);

    if (TimeClose > 0) {
        Timer1.setInterval(TimeClose);
        Timer1.start();
    }
}

void TRopInst::ShowModal()
{
    show(); // a popup takes the mouse and the keyboard while it is open
    if (!isVisible())
        return;
    QEventLoop loop;
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
}

void TRopInst::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int cw = width();
    const int ch = height();
    if (!m_beneath.isNull())
        p.drawPixmap(rect(), m_beneath);

    // The box from (1, 1) to (cw - 16, ch - 16), outlined two pixels wide.
    const QRect box(QPoint(1, 1), QPoint(cw - kShadow - 1, ch - kShadow - 1));
    p.fillRect(box, Brush);
    p.fillRect(box.left(), box.top(), box.width(), 2, Qt::black);
    p.fillRect(box.left(), box.bottom() - 1, box.width(), 2, Qt::black);
    p.fillRect(box.left(), box.top(), 2, box.height(), Qt::black);
    p.fillRect(box.right() - 1, box.top(), 2, box.height(), Qt::black);

    p.setFont(PopupFont);
    p.setPen(FontColor);
    p.drawText(QRect(QPoint(6, 6), QPoint(cw - 22, ch - 22)), Qt::AlignLeft | Qt::AlignTop, Lines.join(u'\n'));

    const QBrush shadow(ShadowPattern());
    p.fillRect(QRect(kShadow, ch - kShadow, cw - kShadow, kShadow), shadow); // bottom strip
    p.fillRect(QRect(cw - kShadow, kShadow, kShadow, ch), shadow);           // right strip
}

void TRopInst::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    close();
}

void TRopInst::mousePressEvent(QMouseEvent* event)
{
    // Anywhere on the screen: the popup holds the mouse, so every click comes here.
    event->accept();
    close();
}

void TRopInst::Timer1Timer()
{
    close();
}

void TRopInst::closeEvent(QCloseEvent* event)
{
    Timer1.stop();
    Lines.clear();
    Brush = QBrush();
    event->accept();
    if (m_loop)
        m_loop->quit();
}

// ---- TRopWin --------------------------------------------------------------------------------

TRopWin::TRopWin(QObject* parent)
    : QObject(parent)
    , m_fontColor(QApplication::palette().color(QPalette::WindowText))
{
}

void TRopWin::ShowPopup()
{
    if (m_lines.isEmpty()) {
        QWidget* owner = qobject_cast<QWidget*>(parent());
        ShowMessageBox(owner ? owner->window() : QApplication::activeWindow(), QStringLiteral("The Lines is empty"),
            QStringLiteral("Error"), MsgIcon::None, MsgOk);
        return;
    }
    // Freed when it has closed, also when something fails while it is shown.
    auto popup = std::make_unique<TRopInst>();
    popup->PopupFont = m_font;
    popup->FontColor = m_fontColor;
    popup->Brush = m_brush;
    popup->Lines = m_lines;
    popup->xPos = xPos;
    popup->yPos = yPos;
    popup->TimeClose = TimeClose;
    popup->Prepare();
    popup->ShowModal();
}

// ---- RopHelp --------------------------------------------------------------------------------

QStringList RopHelpLines()
{
    return {
        QStringLiteral("快捷键："),
        QString(),
        QStringLiteral("    增  加: Ctrl+A(增加一个支付方式项目)"),
        QStringLiteral("    删  除: Ctrl+D(删除一个支付方式项目)"),
        QStringLiteral("    修  改: Ctrl+I(插入一个支付方式项目)"),
        QStringLiteral("    预  览: Ctrl+V"),
        QStringLiteral("    打  印: Ctrl+P"),
        QStringLiteral("    刷  新: Ctrl+R"),
        QStringLiteral("    退  出: ESC"),
    };
}

void SetupRopHelp(TRopWin& ropHelp)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    ropHelp.SetFont(font);
    ropHelp.SetFontColor(QApplication::palette().color(QPalette::WindowText));
    ropHelp.SetBrush(QBrush(Qt::white, Qt::SolidPattern));
    ropHelp.TimeClose = 0;
    ropHelp.xPos = 0;
    ropHelp.yPos = 0;
    ropHelp.SetLines(RopHelpLines());
}

} // namespace pq
