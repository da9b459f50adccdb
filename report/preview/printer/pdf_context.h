// Printing into a PDF file: one file across all the pages of a document, each page with the
// paper and orientation of the device mode in force when it starts.
#pragma once

#include "report/preview/printer/printer_backend.h"

#include <QPageLayout>

namespace pq {

// Page layout (no margins) for a device mode: its paper id when it is a known size, else
// its width and length; nullopt when the size is unknown or zero.
std::optional<QPageLayout> PageLayoutForDevMode(const TRMDevMode& devMode);

// Resolution of the PDF device.
inline constexpr int kPdfResolution = 600;

std::unique_ptr<TRMPrintContext> CreatePdfContext(const TRMDevMode& devMode);

} // namespace pq
