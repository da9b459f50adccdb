#include "widgets/image_control.h"

#include <QPainter>

namespace pq {

TImage::TImage(QWidget* parent) : QWidget(parent)
{
    resize(105, 105);
}

void TImage::SetPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

void TImage::SetCenter(bool on)
{
    m_center = on;
    update();
}

void TImage::SetStretch(bool on)
{
    m_stretch = on;
    update();
}

void TImage::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    if (m_stretch) {
        p.drawImage(rect(), m_picture);
        return;
    }
    QPoint at(0, 0);
    if (m_center)
        at = QPoint((width() - m_picture.width()) / 2, (height() - m_picture.height()) / 2);
    p.drawImage(at, m_picture);
}

} // namespace pq
