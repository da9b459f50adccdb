#include "test_support.h"

#include <QProcess>
#include <QRegularExpression>

namespace pq::test {

TRMScriptedDevice LaserDevice()
{
    TRMScriptedDevice d;
    d.PaperNames = {QStringLiteral("A4"), QStringLiteral("Letter"), QStringLiteral("A3"),
        QStringLiteral("Custom size")};
    d.PaperIds = {9, 1, 8, 256};
    d.PaperSizes = {{2100, 2970}, {2159, 2794}, {2970, 4200}, {0, 0}};
    d.BinNames = {QStringLiteral("Auto"), QStringLiteral("Manual")};
    d.Bins = {7, 4};
    TRMDevMode dm;
    dm.Fields = TRMDevMode::fmPaperSize | TRMDevMode::fmOrientation | TRMDevMode::fmDefaultSource;
    dm.PaperSize = 9;
    dm.Orientation = 1;
    dm.DefaultSource = 7;
    d.DevMode = dm;
    return d;
}

void InstallLaser(TRMScriptedPrinterBackend& backend)
{
    backend.Printers = {QStringLiteral("Laser")};
    backend.DefaultName = QStringLiteral("Laser");
    backend.Devices[QStringLiteral("Laser")] = LaserDevice();
}

PdfInfo ReadPdfInfo(const QString& file)
{
    PdfInfo info;
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {file});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        info.error = QString::fromLocal8Bit(p.readAllStandardError());
        return info;
    }
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    if (!m.hasMatch())
        return info;
    info.pages = m.captured(1).toInt();
    QProcess q;
    q.start(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                            QString::number(info.pages), file});
    q.waitForFinished(30000);
    const QString pages = QString::fromLocal8Bit(q.readAllStandardOutput());
    QRegularExpression re(QStringLiteral("Page\\s+\\d+ size:\\s+([\\d.]+) x ([\\d.]+) pts"));
    for (auto it = re.globalMatch(pages); it.hasNext();) {
        const auto mm = it.next();
        info.sizes << QSizeF(mm.captured(1).toDouble(), mm.captured(2).toDouble());
    }
    info.ok = info.sizes.size() == info.pages;
    return info;
}

} // namespace pq::test
