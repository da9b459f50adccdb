// Shared pieces of the printer tests: fake printers and a pdfinfo reader.
#pragma once

#include "report/preview/printer/scripted_backend.h"

#include <QSizeF>
#include <QString>

namespace pq::test {

// A driver with a handful of papers (A4, Letter, A3 and its custom entry) and two bins.
TRMScriptedDevice LaserDevice();
// A machine whose one printer, "Laser", is the default and that device.
void InstallLaser(TRMScriptedPrinterBackend& backend);

struct PdfInfo {
    bool ok = false;
    int pages = 0;
    QList<QSizeF> sizes; // points, per page
    QString error;
};
// Runs pdfinfo over every page of the file.
PdfInfo ReadPdfInfo(const QString& file);

} // namespace pq::test
