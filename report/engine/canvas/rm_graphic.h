// A picture as a report keeps it: the bytes it came from (so a file gives back what it was
// given) and what can be drawn of them. Raster formats are whatever Qt reads (BMP, PNG,
// JPEG, GIF, ICO); SVG draws as vectors at any scale; a Windows metafile (EMF or WMF) is kept
// but cannot be drawn here.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

namespace pq {

class TRMGraphic {
public:
    enum class TFormat { None, Bitmap, Png, Jpeg, Gif, Icon, Svg, Metafile };

    TRMGraphic() = default;
    // An image made in memory: no source bytes.
    static TRMGraphic FromImage(const QImage& image);
    // Without a hint the bytes tell their format (a picture file); with one (what a stream
    // says they are) they are read as that format only. Bytes nobody reads give an empty
    // graphic.
    static TRMGraphic FromBytes(const QByteArray& bytes, TFormat hint = TFormat::None);
    // Empty when the file cannot be read or is no picture.
    static TRMGraphic FromFile(const QString& fileName);

    bool IsEmpty() const { return m_format == TFormat::None; }
    TFormat Format() const { return m_format; }
    // Pixels of a raster picture, the default size of an SVG; a metafile has no size here.
    QSize Size() const { return m_size; }
    int Width() const { return m_size.width(); }
    int Height() const { return m_size.height(); }
    // The bytes read, kept unchanged; empty for an image made in memory.
    const QByteArray& Bytes() const { return m_bytes; }
    // The raster picture (an SVG or a metafile has none).
    const QImage& Image() const { return m_image; }
    bool CanDraw() const { return m_format != TFormat::None && m_format != TFormat::Metafile; }

    // Scales the picture into target; nothing for a metafile.
    void Draw(QPainter& painter, const QRectF& target) const;

    bool operator==(const TRMGraphic& o) const
    {
        return m_format == o.m_format && m_size == o.m_size && m_bytes == o.m_bytes && m_image == o.m_image;
    }

private:
    TFormat m_format = TFormat::None;
    QSize m_size;
    QByteArray m_bytes;
    QImage m_image;
};

// Whether the bytes are a Windows metafile: an enhanced one, a placeable one or a plain one.
bool RMIsMetafile(const QByteArray& bytes);

} // namespace pq
