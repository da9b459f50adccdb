// TShape: a figure on a form (rectangle, square, rounded rectangle or square, ellipse,
// circle) drawn with a pen and filled with a brush; the square kinds sit at the top-left in
// the smaller side's square, as a form designer draws them.
#pragma once

#include <QColor>
#include <QWidget>

namespace pq {

class TShape : public QWidget {
    Q_OBJECT
public:
    enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
    struct TPen {
        int Width = 1;
        QColor Color = Qt::black;
        int Mode = 4; // the copy mode, the only one Qt draws
    };

    explicit TShape(QWidget* parent = nullptr);

    TShapeType Shape() const { return m_shape; }
    void SetShape(TShapeType shape);
    const TPen& Pen() const { return m_pen; }
    void SetPen(const TPen& pen);
    QColor BrushColor() const { return m_brush; }
    void SetBrushColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TShapeType m_shape = stRectangle;
    TPen m_pen;
    QColor m_brush = Qt::white;
};

} // namespace pq
