#include "report/engine/files/rm_page_text.h"

#include "report/engine/canvas/rm_null_device.h"
#include "report/engine/files/rm_emf_pages.h"

#include <QPainter>

namespace pq {

std::vector<TRMTextRecord> RMPageTextRecords(TRMEMFPages& pages, int index)
{
    std::vector<TRMTextRecord> records;
    TRMEMFPage* page = pages.Page(index);
    if (!page || page->PageInfo.PageWidth <= 0 || page->PageInfo.PageHeight <= 0)
        return records;
    const bool wasShown = page->Visible;
    {
        const TRMPageShownScope shown(page);
        const QRect rect(0, 0, page->PageInfo.PageWidth, page->PageInfo.PageHeight);
        TRMNullPaintDevice device(rect.size());
        QPainter painter(&device);
        TRMCanvas canvas(&painter);
        canvas.SetTextSink([&records](const TRMTextRecord& r) { records.push_back(r); });
        pages.Draw(index, &painter, rect);
    }
    if (!wasShown)
        pages.FreePage(index);
    return records;
}

} // namespace pq
