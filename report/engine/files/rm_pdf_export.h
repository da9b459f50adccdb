// Prepared pages into a PDF document: every page on its own sheet size and orientation, drawn
// by TRMEMFPages::Draw as the preview and the printer draw it. The renderer and the benchmark
// write their PDFs through this one loop.
#pragma once

#include <QString>

class QIODevice;

namespace pq {

class TRMEMFPages;

struct TRMPdfExportOptions {
    int Dpi = 600;        // resolution the pages are drawn at
    QString Creator;      // the document's creator field
    // Free each page's built views once it is drawn, so memory stays flat over long reports
    // (fed pages are always freed).
    bool FreeDrawnPages = true;
};

// Writes the pages (an empty report gives one blank page) into device, which must be open
// for writing. Pages fed by a preparation (TRMEMFPages::FeedFrom) are written as they come.
// False with the reason in error when the document could not be started, a page could not
// be read back from the pages' temporary file, or the fed pages stopped short (the document
// is then incomplete and must not be kept); a failure of the device itself shows in the
// device's own state (QSaveFile::commit).
bool RMExportPdf(TRMEMFPages& pages, QIODevice& device, const TRMPdfExportOptions& options, QString* error = nullptr);

} // namespace pq
