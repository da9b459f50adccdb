// The prepared-report file reader over any bytes, with every page built from its stream,
// drawn, and the store saved again.
#include "fuzz/fuzz_support.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_report.h"

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    pq::FuzzInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    pq::TRMReport report;
    pq::TRMEMFPages& pages = pq::RMPreparedPages(report);
    const pq::TRMLoadResult result = pages.LoadFromStream(bytes, false);
    if (result.Status != pq::TRMLoadStatus::Loaded)
        return 0;
    for (int i = 0; i < pages.Count() && i < 16; ++i) {
        pages.BuildPage(i);
        pages.StorePage(i);
        pages.FreePage(i);
        // Small, so drawing costs little; the views still lay out at the page's own scale.
        QImage image(64, 90, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        pages.Draw(i, &painter, QRect(0, 0, image.width(), image.height()));
        painter.end();
        pages.FreePage(i);
    }
    const QByteArray saved = pages.SaveToStream();
    pq::TRMReport other;
    if (pq::RMPreparedPages(other).LoadFromStream(saved, false).Status != pq::TRMLoadStatus::Loaded)
        std::abort(); // what we write we must read
    return 0;
}
