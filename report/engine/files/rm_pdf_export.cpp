#include "report/engine/files/rm_pdf_export.h"

#include "report/engine/files/rm_emf_pages.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace pq {

namespace {

QPageLayout LayoutOf(const TRMEMFPage& p)
{
    // The sheet in millimetres, portrait; the orientation goes to the layout.
    const double w = std::min(p.Width, p.Height) / 10.0;
    const double h = std::max(p.Width, p.Height) / 10.0;
    const QPageSize size(QSizeF(w, h), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    const bool landscape = p.PageInfo.PageWidth > p.PageInfo.PageHeight;
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

} // namespace

bool RMExportPdf(TRMEMFPages& pages, QIODevice& device, const TRMPdfExportOptions& options, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QPdfWriter writer(&device);
    writer.setResolution(options.Dpi);
    writer.setCreator(options.Creator);
    // Pages fed by a preparation still running arrive one by one.
    const bool any = pages.WaitForPage(0);
    if (any)
        writer.setPageLayout(LayoutOf(*pages[0]));
    QPainter painter;
    if (!painter.begin(&writer))
        return fail(QStringLiteral("the PDF document could not be started"));
    for (int i = 0; i == 0 ? any : pages.WaitForPage(i); ++i) {
        if (i > 0) {
            writer.setPageLayout(LayoutOf(*pages[i]));
            writer.newPage();
        }
        {
            // Pages the preview has off the screen go into the file too.
            const TRMPageShownScope shown(pages[i]);
            pages.Draw(i, &painter, QRect(0, 0, writer.width(), writer.height()));
        }
        if (options.FreeDrawnPages || pages.Fed())
            pages.FreePage(i);
        // A page the temporary file could not give back would be a blank page in the file.
        if (!pages.ReadError().isEmpty()) {
            painter.end();
            return fail(pages.ReadError());
        }
    }
    painter.end();
    if (pages.FeedEndedEarly())
        return fail(QStringLiteral("the report was not prepared to its end"));
    return true;
}

} // namespace pq
