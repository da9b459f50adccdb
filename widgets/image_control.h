// TImage: a picture on a form, drawn at its own size at the top-left, centred, or stretched
// to the control.
#pragma once

#include <QImage>
#include <QWidget>

namespace pq {

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    const QImage& Picture() const { return m_picture; }
    void SetPicture(const QImage& picture);
    bool Center() const { return m_center; }
    void SetCenter(bool on);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    bool m_center = false;
    bool m_stretch = false;
};

} // namespace pq
