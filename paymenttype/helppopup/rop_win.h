// The shortcut-help popup: a small borderless box with a drop shadow that shows a few lines
// of text and closes on the next key, the next mouse click anywhere, or after a delay.
// TRopWin is the reusable component a window holds; TRopInst is the popup it shows.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QEventLoop;

namespace pq {

// The popup window. It starts with what lies on the screen beneath it, so the shadow it
// draws darkens that content.
class TRopInst : public QWidget {
    Q_OBJECT
public:
    TRopInst();
    ~TRopInst() override;

    QFont PopupFont;
    QColor FontColor = Qt::black;
    QBrush Brush{Qt::white, Qt::SolidPattern};
    QStringList Lines;
    int xPos = 0;
    int yPos = 0;
    int TimeClose = 0;
    QTimer Timer1; // closes the popup after TimeClose milliseconds; stopped at creation

    // Measures the text, places and sizes the popup, takes the screen beneath it and starts
    // the timer when asked.
    void Prepare();
    // Shows the popup and returns when it has closed.
    void ShowModal();

    // The text's size as measured by Prepare (lines joined by line breaks, no wrapping).
    QSize TextSize() const { return m_textSize; }
    // Whether the popup paints the captured screen itself (false: the window system shows
    // through a translucent window instead).
    bool HasCapturedBackground() const { return !m_beneath.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;          // FormPaint
    void keyPressEvent(QKeyEvent* event) override;         // FormKeyDown
    void mousePressEvent(QMouseEvent* event) override;     // FormMouseDown
    void closeEvent(QCloseEvent* event) override;          // FormClose

private:
    void Timer1Timer();

    QSize m_textSize;
    QPixmap m_beneath;
    QEventLoop* m_loop = nullptr;
};

// The component: holds the text and look of the popup and shows it on demand.
class TRopWin : public QObject {
    Q_OBJECT
public:
    explicit TRopWin(QObject* parent = nullptr);

    const QBrush& Brush() const { return m_brush; }
    void SetBrush(const QBrush& brush) { m_brush = brush; }
    const QFont& Font() const { return m_font; }
    void SetFont(const QFont& font) { m_font = font; }
    // The font's colour (a Qt font carries none of its own).
    const QColor& FontColor() const { return m_fontColor; }
    void SetFontColor(const QColor& color) { m_fontColor = color; }
    const QStringList& Lines() const { return m_lines; }
    void SetLines(const QStringList& lines) { m_lines = lines; }

    // Milliseconds after which the popup closes by itself; 0 or less: never.
    int TimeClose = 0;
    // Screen position of the popup's left and top edges; 0: centred on the screen.
    int xPos = 0;
    int yPos = 0;

    // Shows the popup modally and returns when it has closed. Empty Lines: an error box
    // ("The Lines is empty") and no popup.
    void ShowPopup();

private:
    QBrush m_brush{Qt::white, Qt::SolidPattern};
    QFont m_font;
    QColor m_fontColor;
    QStringList m_lines;
};

// The payment-type window's shortcut text, one entry per line.
QStringList RopHelpLines();
// Sets up the window's RopHelp: its font, colour, brush, position, delay and the lines.
void SetupRopHelp(TRopWin& ropHelp);

} // namespace pq
