#include "paymenttype/payment_type_glyphs.h"

#include "base/drawn_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace pq {

namespace {

void DrawRowSheet(QPainter& p)
{
    p.setPen(QPen(QColor(70, 90, 120), 1));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(QRectF(1.5, 2.5, 10, 11));
    p.setPen(QPen(QColor(150, 160, 180), 1));
    for (int y = 5; y <= 11; y += 3)
        p.drawLine(QPointF(3, y + 0.5), QPointF(10, y + 0.5));
}

// A filled arrow pointing right: shaft from tail to neck, head from neck to tip.
void DrawRightArrow(QPainter& p, const QColor& color, qreal tail, qreal neck, qreal tip)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    QPainterPath arrow;
    arrow.moveTo(tip, 8);
    arrow.lineTo(neck, 4);
    arrow.lineTo(neck, 6.5);
    arrow.lineTo(tail, 6.5);
    arrow.lineTo(tail, 9.5);
    arrow.lineTo(neck, 9.5);
    arrow.lineTo(neck, 12);
    arrow.closeSubpath();
    p.drawPath(arrow);
}

void Draw(QPainter& p, int index)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (index) {
    case 0: { // add: a sheet with a green plus
        DrawRowSheet(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 140, 50));
        p.drawRect(QRectF(10, 6, 3, 9));
        p.drawRect(QRectF(7, 9, 9, 3));
        break;
    }
    case 1: { // insert: a sheet with a blue arrow pointing in
        DrawRowSheet(p);
        DrawRightArrow(p, QColor(30, 90, 200), 6, 10, 15);
        break;
    }
    case 2: { // delete: a sheet with a red cross
        DrawRowSheet(p);
        p.setPen(QPen(QColor(200, 30, 30), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 7), QPointF(14, 13));
        p.drawLine(QPointF(14, 7), QPointF(8, 13));
        break;
    }
    case 3: { // preview: a magnifier over a page
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 9, 12));
        p.setPen(QPen(QColor(40, 60, 110), 1.6));
        p.setBrush(QColor(200, 225, 255, 200));
        p.drawEllipse(QPointF(8.5, 8), 3.6, 3.6);
        p.setPen(QPen(QColor(120, 70, 20), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11.2, 10.8), QPointF(14.5, 14.2));
        break;
    }
    case 4: { // print: a printer with a sheet
        p.setPen(QPen(QColor(80, 80, 80), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(150, 155, 165));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 180, 60));
        p.drawEllipse(QPointF(12.5, 8.5), 0.9, 0.9);
        break;
    }
    case 5: { // refresh: a circular arrow
        p.setPen(QPen(QColor(30, 130, 60), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 130, 60));
        QPainterPath head;
        head.moveTo(13.8, 1.2);
        head.lineTo(14.2, 6.8);
        head.lineTo(8.8, 5.0);
        head.closeSubpath();
        p.drawPath(head);
        break;
    }
    case 6: { // exit: an open door with an arrow leaving
        p.setPen(QPen(QColor(110, 70, 30), 1));
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(QRectF(1.5, 1.5, 7, 13));
        DrawRightArrow(p, QColor(200, 40, 40), 6, 11.5, 15.5);
        break;
    }
    default: { // help: a question mark in a blue disc
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 100, 200));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(12);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }
}

} // namespace

QIcon PaymentTypeGlyph(int index)
{
    return DrawnIcon([index](QPainter& p) { Draw(p, index); });
}

} // namespace pq
