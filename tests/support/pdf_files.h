// PDFs from the outside: the text poppler reads from them, and the jobs the CUPS PDF queue
// spools (scripts/cups-queue.sh), for the tests that print for real.
#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

namespace pq::test {

// The text of each page (pdftotext -layout); ok is false when pdftotext is missing or fails.
QStringList PdfPageTexts(const QString& pdf, bool* ok = nullptr);

// Each page as a grey image at dpi (pdftoppm), made in workDir; empty when pdftoppm fails.
QList<QImage> PdfPageImages(const QString& pdf, int dpi, const QString& workDir);
// The horizontal lines of a printed table on a page: the rows (top to bottom, one per line
// however thick) where a dark run is at least minRun pixels long.
QList<int> TableLines(const QImage& page, int minRun);

// The PDF the queue made of the job whose title holds token, once pdfinfo reads it whole;
// empty after 90 seconds without one.
QString SpooledPdf(const QString& spool, const QString& token);
// The same for a job told by its content: the first PDF not among before (a listing taken
// ahead of the job) whose text holds token.
QString SpooledPdfWithText(const QString& spool, const QStringList& before, const QString& token);
// The PDFs in the spool folder now.
QStringList SpoolListing(const QString& spool);

} // namespace pq::test
