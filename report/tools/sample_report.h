// A small report and its prepared pages built in memory, for trying the renderer and for
// seeding the fuzz targets: memos with frames, fills, alignments and Chinese text, a line,
// a shape, a check box, a money view, a diagonal header cell and a rich-text caption in
// several formats whose brackets carry the page numbers.
#pragma once

#include <QByteArray>
#include <QImage>

namespace pq {

class TRMReport;

// Fills report with one A4 design page: a title band, a data band and the sample views.
void RMBuildSampleReport(TRMReport& report);
// Prepares the sample into report's prepared pages: two pages of printed views.
void RMBuildSamplePreparedPages(TRMReport& report);

// The pictures the sample shows: a 40 × 20 drawing, a 32 × 24 GIF, a 120 × 80 SVG and the
// smallest enhanced metafile (a header and an end record).
QImage RMSamplePicture();
QByteArray RMSampleGif();
QByteArray RMSampleSvg();
QByteArray RMSampleEmf();

// The bytes of both files.
QByteArray RMSampleReportFile();
QByteArray RMSamplePreparedFile();

} // namespace pq
