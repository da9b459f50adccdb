#include "base/drawn_icon.h"

#include <QPainter>
#include <QPixmap>

namespace pq {

QIcon DrawnIcon(const std::function<void(QPainter&)>& paint, QSize size)
{
    QIcon icon;
    for (int ratio : {1, 2}) {
        QPixmap pm(size * ratio);
        pm.setDevicePixelRatio(ratio);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace pq
