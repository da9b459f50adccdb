#include "report/engine/canvas/rm_null_device.h"

#include <QPaintEngine>

namespace pq {

namespace {

// Takes every operation and draws none; it claims every feature so the painter hands all of
// them over as they are instead of emulating some through an image.
class NullPaintEngine : public QPaintEngine {
public:
    NullPaintEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawRects(const QRect*, int) override {}
    void drawRects(const QRectF*, int) override {}
    void drawLines(const QLine*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawEllipse(const QRect&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPoints(const QPointF*, int) override {}
    void drawPoints(const QPoint*, int) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF&, const QTextItem&) override {}
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    Type type() const override { return QPaintEngine::User; }
};

} // namespace

TRMNullPaintDevice::TRMNullPaintDevice(QSize size, int dpi)
    : m_size(size), m_dpi(dpi > 0 ? dpi : 96), m_engine(std::make_unique<NullPaintEngine>())
{
}

TRMNullPaintDevice::~TRMNullPaintDevice() = default;

QPaintEngine* TRMNullPaintDevice::paintEngine() const { return m_engine.get(); }

int TRMNullPaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return m_size.width();
    case PdmHeight: return m_size.height();
    case PdmWidthMM: return qRound(m_size.width() * 25.4 / m_dpi);
    case PdmHeightMM: return qRound(m_size.height() * 25.4 / m_dpi);
    case PdmNumColors: return 0x7fffffff;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return m_dpi;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
    default: return QPaintDevice::metric(metric);
    }
}

} // namespace pq
