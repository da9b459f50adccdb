// Pictures the canvas tests draw into and read back.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

namespace pq::test {

inline QImage WhiteImage(int w = 60, int h = 40)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

inline bool IsWhite(const QImage& img, int x, int y)
{
    return img.pixelColor(x, y) == QColor(Qt::white);
}

inline int DarkPixels(const QImage& img, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.valid(x, y) && qGray(img.pixel(x, y)) < 128)
                ++n;
    return n;
}

} // namespace pq::test
