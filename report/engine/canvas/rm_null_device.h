// A paint device that draws nothing. A page drawn on it through a canvas with a text sink
// gives its text outputs (text, order, bounds) without the cost of pixels: what searching a
// long report draws every page on.
#pragma once

#include <QPaintDevice>
#include <QSize>

#include <memory>

class QPaintEngine;

namespace pq {

class TRMNullPaintDevice : public QPaintDevice {
public:
    // A device of the given size in pixels at the given resolution (report pixels: 96).
    explicit TRMNullPaintDevice(QSize size, int dpi = 96);
    ~TRMNullPaintDevice() override;

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    int m_dpi;
    std::unique_ptr<QPaintEngine> m_engine;
};

} // namespace pq
