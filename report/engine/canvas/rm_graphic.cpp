#include "report/engine/canvas/rm_graphic.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

namespace pq {

namespace {

// A picture in a report is small; a header that claims more is damaged or hostile.
constexpr int kAllocationLimitMb = 64;
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

bool LooksLikeSvg(const QByteArray& bytes)
{
    const QByteArray head = bytes.left(4096);
    return head.contains("<svg") && (head.trimmed().startsWith('<'));
}

} // namespace

bool RMIsMetafile(const QByteArray& b)
{
    if (b.size() >= 44 && qFromLittleEndian<quint32>(b.constData()) == 1
        && b.mid(40, 4) == QByteArray(" EMF"))
        return true;
    if (b.size() >= 22 && qFromLittleEndian<quint32>(b.constData()) == 0x9AC6CDD7u)
        return true; // placeable WMF
    if (b.size() >= 18) {
        const quint16 type = qFromLittleEndian<quint16>(b.constData());
        const quint16 header = qFromLittleEndian<quint16>(b.constData() + 2);
        const quint16 version = qFromLittleEndian<quint16>(b.constData() + 4);
        if ((type == 1 || type == 2) && header == 9 && (version == 0x0300 || version == 0x0100))
            return true;
    }
    return false;
}

TRMGraphic TRMGraphic::FromImage(const QImage& image)
{
    TRMGraphic g;
    if (image.isNull())
        return g;
    g.m_format = TFormat::Bitmap;
    g.m_image = image;
    g.m_size = image.size();
    return g;
}

TRMGraphic TRMGraphic::FromBytes(const QByteArray& bytes, TFormat hint)
{
    TRMGraphic g;
    if (bytes.isEmpty())
        return g;
    if (hint == TFormat::Metafile || RMIsMetafile(bytes)) {
        g.m_format = TFormat::Metafile;
        g.m_bytes = bytes;
        return g;
    }
    if (hint == TFormat::Svg || (hint == TFormat::None && LooksLikeSvg(bytes))) {
        QSvgRenderer renderer(bytes);
        if (!renderer.isValid())
            return g;
        g.m_format = TFormat::Svg;
        g.m_bytes = bytes;
        g.m_size = renderer.defaultSize();
        return g;
    }
    auto read = [&bytes](const QByteArray& given, QImage& image) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, given);
        reader.setAllocationLimit(kAllocationLimitMb);
        const QByteArray format = reader.format().toLower();
        return reader.read(&image) && !image.isNull() ? format : QByteArray();
    };
    // Bytes a stream declares are read as what it says and nothing else, so a damaged or
    // hostile file reaches no other image reader; a file's bytes tell their own format.
    QByteArray declared;
    switch (hint) {
    case TFormat::Bitmap: declared = "BMP"; break;
    case TFormat::Icon: declared = "ICO"; break;
    case TFormat::Jpeg: declared = "JPEG"; break;
    case TFormat::Png: declared = "PNG"; break;
    case TFormat::Gif: declared = "GIF"; break;
    default: break;
    }
    QImage image;
    const QByteArray format = read(declared, image);
    if (format.isEmpty())
        return g;
    if (format == "bmp" || format == "dib")
        g.m_format = TFormat::Bitmap;
    else if (format == "png")
        g.m_format = TFormat::Png;
    else if (format == "jpeg" || format == "jpg")
        g.m_format = TFormat::Jpeg;
    else if (format == "gif")
        g.m_format = TFormat::Gif;
    else if (format == "ico" || format == "cur")
        g.m_format = TFormat::Icon;
    else
        g.m_format = TFormat::Bitmap; // any other raster format Qt reads
    g.m_bytes = bytes;
    g.m_image = image;
    g.m_size = image.size();
    return g;
}

TRMGraphic TRMGraphic::FromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return {};
    return FromBytes(file.readAll());
}

void TRMGraphic::Draw(QPainter& painter, const QRectF& target) const
{
    if (target.isEmpty())
        return;
    switch (m_format) {
    case TFormat::Svg: {
        QSvgRenderer renderer(m_bytes);
        if (renderer.isValid())
            renderer.render(&painter, target);
        break;
    }
    case TFormat::None:
    case TFormat::Metafile:
        break;
    default:
        painter.drawImage(target, m_image);
        break;
    }
}

} // namespace pq
