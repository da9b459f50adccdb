#include "report/preview/window/rm_preview_glyphs.h"

#include "base/drawn_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace pq {

namespace {

void Sheet(QPainter& p, QRectF r)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
}

void Arrow(QPainter& p, bool left, bool bar)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    const QPolygonF head = left ? QPolygonF({QPointF(4, 8), QPointF(11, 3), QPointF(11, 13)})
                                : QPolygonF({QPointF(12, 8), QPointF(5, 3), QPointF(5, 13)});
    p.drawPolygon(head);
    if (bar)
        p.drawRect(left ? QRectF(2, 3, 2, 10) : QRectF(12, 3, 2, 10));
}

void Magnifier(QPainter& p)
{
    p.setBrush(QColor(220, 235, 255));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(QColor(120, 60, 0), 2.5));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
}

void Paint(QPainter& p, int index)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: Magnifier(p); break;
    case 1: Sheet(p, QRectF(4.5, 1.5, 8, 13)); break;
    case 2:
        Sheet(p, QRectF(2.5, 1.5, 11, 13));
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 5, QFont::Bold));
        p.drawText(QRectF(2, 4, 12, 8), Qt::AlignCenter, QStringLiteral("1:1"));
        break;
    case 3:
        Sheet(p, QRectF(0.5, 3.5, 15, 10));
        p.drawLine(QPointF(3, 8.5), QPointF(13, 8.5));
        break;
    case 4: Arrow(p, true, true); break;
    case 5: Arrow(p, true, false); break;
    case 6: Arrow(p, false, false); break;
    case 7: Arrow(p, false, true); break;
    case 8:
        Sheet(p, QRectF(1.5, 1.5, 9, 12));
        p.translate(3, 3);
        p.scale(0.8, 0.8);
        Magnifier(p);
        break;
    case 9: // open: a folder
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(250, 210, 90));
        p.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(6, 4.5), QPointF(7.5, 6), QPointF(14.5, 6),
            QPointF(14.5, 13.5), QPointF(1.5, 13.5)}));
        break;
    case 10: // save: a disk
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(60, 90, 170));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        break;
    case 11: // print
        Sheet(p, QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        Sheet(p, QRectF(4.5, 10.5, 7, 4));
        break;
    case 12: // page setup
        Sheet(p, QRectF(2.5, 1.5, 11, 13));
        p.setPen(QPen(Qt::gray, 1, Qt::DotLine));
        p.drawRect(QRectF(4.5, 3.5, 7, 9));
        break;
    case 13: // design: a pencil
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(240, 200, 60));
        p.drawPolygon(QPolygonF({QPointF(2, 14), QPointF(3, 10), QPointF(11, 2), QPointF(14, 5), QPointF(6, 13)}));
        break;
    case 14: // exit: a door
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(150, 90, 40));
        p.drawRect(QRectF(3.5, 1.5, 8, 13));
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.drawLine(QPointF(9, 8), QPointF(15, 8));
        break;
    case 15: // spreadsheet
        Sheet(p, QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(QColor(0, 128, 0), 1));
        for (double y : {5.5, 9.5})
            p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
        p.drawLine(QPointF(6.5, 1.5), QPointF(6.5, 14.5));
        break;
    case 16: // data export
        Sheet(p, QRectF(1.5, 1.5, 10, 13));
        Arrow(p, false, false);
        break;
    case 17: // PDF
        Sheet(p, QRectF(2.5, 1.5, 11, 13));
        p.setPen(QColor(200, 0, 0));
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 4, QFont::Bold));
        p.drawText(QRectF(2, 5, 12, 7), Qt::AlignCenter, QStringLiteral("PDF"));
        break;
    default: break;
    }
}

} // namespace

QIcon RMPreviewGlyph(int index)
{
    return DrawnIcon([index](QPainter& p) { Paint(p, index); });
}

} // namespace pq
