#include "tests/support/pdf_files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <functional>

namespace pq::test {

namespace {

bool ReadsWhole(const QString& pdf)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(30000);
    return info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0;
}

// Polls the folder until a PDF the predicate takes reads whole.
QString WaitForPdf(const QString& spool, const QString& pattern, const std::function<bool(const QString&)>& take)
{
    QElapsedTimer timer;
    timer.start();
    QStringList refused;
    while (timer.elapsed() < 90000) {
        for (const QString& name : QDir(spool).entryList({pattern}, QDir::Files, QDir::Time | QDir::Reversed)) {
            const QString file = QDir(spool).filePath(name);
            if (refused.contains(name) || !ReadsWhole(file))
                continue;
            if (take(file))
                return file;
            refused << name;
        }
        QThread::msleep(200);
    }
    return {};
}

} // namespace

QStringList PdfPageTexts(const QString& pdf, bool* ok)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    const bool ran = text.waitForFinished(60000) && text.exitStatus() == QProcess::NormalExit && text.exitCode() == 0;
    if (ok)
        *ok = ran;
    if (!ran)
        return {};
    return QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
}

QList<QImage> PdfPageImages(const QString& pdf, int dpi, const QString& workDir)
{
    const QString prefix = QDir(workDir).filePath(QStringLiteral("pdfpage"));
    QProcess ppm;
    ppm.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
        QStringLiteral("-png"), pdf, prefix});
    if (!ppm.waitForFinished(120000) || ppm.exitStatus() != QProcess::NormalExit || ppm.exitCode() != 0)
        return {};
    QList<QImage> pages;
    // pdftoppm pads the page numbers to the width of the last one.
    QStringList files = QDir(workDir).entryList({QStringLiteral("pdfpage-*.png")}, QDir::Files, QDir::Name);
    for (const QString& f : files) {
        pages.append(QImage(QDir(workDir).filePath(f)).convertToFormat(QImage::Format_Grayscale8));
        QFile::remove(QDir(workDir).filePath(f));
    }
    return pages;
}

QList<int> TableLines(const QImage& page, int minRun)
{
    QList<int> lines;
    int last = -2;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* row = page.constScanLine(y);
        int run = 0, best = 0;
        for (int x = 0; x < page.width(); ++x) {
            run = row[x] < 160 ? run + 1 : 0;
            best = std::max(best, run);
        }
        if (best >= minRun) {
            if (y > last + 1)
                lines.append(y);
            last = y;
        }
    }
    return lines;
}

QString SpooledPdf(const QString& spool, const QString& token)
{
    return WaitForPdf(spool, QStringLiteral("*%1*.pdf").arg(token), [](const QString&) { return true; });
}

QString SpooledPdfWithText(const QString& spool, const QStringList& before, const QString& token)
{
    return WaitForPdf(spool, QStringLiteral("*.pdf"), [&](const QString& file) {
        if (before.contains(QFileInfo(file).fileName()))
            return false;
        return PdfPageTexts(file).join(QString()).contains(token);
    });
}

QStringList SpoolListing(const QString& spool)
{
    return QDir(spool).entryList({QStringLiteral("*.pdf")}, QDir::Files);
}

} // namespace pq::test
