#include "widgets/shape_control.h"

#include <QPainter>

#include <algorithm>

namespace pq {

TShape::TShape(QWidget* parent) : QWidget(parent)
{
    resize(65, 65);
}

void TShape::SetShape(TShapeType shape)
{
    m_shape = shape;
    update();
}

void TShape::SetPen(const TPen& pen)
{
    m_pen = pen;
    update();
}

void TShape::SetBrushColor(const QColor& color)
{
    m_brush = color;
    update();
}

void TShape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = std::max(1, m_pen.Width);
    p.setPen(QPen(m_pen.Color, w));
    p.setBrush(m_brush);
    // The pen stays inside the control.
    QRectF r = QRectF(rect()).adjusted(w / 2.0, w / 2.0, -w / 2.0, -w / 2.0);
    if (m_shape == stSquare || m_shape == stRoundSquare || m_shape == stCircle) {
        const double side = std::min(r.width(), r.height());
        r.setSize(QSizeF(side, side));
    }
    const double radius = std::min(r.width(), r.height()) / 4;
    switch (m_shape) {
    case stRectangle:
    case stSquare: p.drawRect(r); break;
    case stRoundRect:
    case stRoundSquare: p.drawRoundedRect(r, radius, radius); break;
    case stEllipse:
    case stCircle: p.drawEllipse(r); break;
    }
}

} // namespace pq
