// Prints through the real backend into a CUPS PDF queue. scripts/cups-queue.sh starts the
// scheduler and the queue and names them in PQ_CUPS_QUEUE and PQ_CUPS_SPOOL.
#include "report/preview/printer/printer.h"
#include "report/preview/printer/qt_backend.h"
#include "test_support.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

namespace pq {
namespace {

// The owner, group and other bits (QFile's user bits repeat the owner's).
constexpr QFile::Permissions kAllPermissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
    | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

class CupsPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        queue = qEnvironmentVariable("PQ_CUPS_QUEUE");
        spool = qEnvironmentVariable("PQ_CUPS_SPOOL");
        if (queue.isEmpty() || spool.isEmpty())
            GTEST_SKIP() << "PQ_CUPS_QUEUE / PQ_CUPS_SPOOL not set: no CUPS queue on this machine "
                            "(run: eval \"$(bash scripts/cups-queue.sh)\" as root)";
        StartPrinterLayer(std::make_unique<TRMQtPrinterBackend>());
    }
    void TearDown() override
    {
        if (PrinterLayerStarted())
            StopPrinterLayer();
    }

    int QueueIndex()
    {
        const QStringList names = GetPrinterList().Names();
        return static_cast<int>(names.indexOf(queue));
    }

    // The PDF the queue's backend wrote for the job titled token, once complete; empty when
    // none came within a bounded time.
    QString WaitForJob(const QString& token)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 90000) {
            const QStringList files = QDir(spool).entryList({QStringLiteral("*%1*.pdf").arg(token)}, QDir::Files);
            if (!files.isEmpty()) {
                const QString path = QDir(spool).filePath(files.first());
                // The backend writes the file in one go; pdfinfo tells when it is complete.
                if (test::ReadPdfInfo(path).ok)
                    return path;
            }
            QThread::msleep(250);
        }
        return QString();
    }

    QString queue;
    QString spool;
};

TEST_F(CupsPrint, QueueIsListedWithItsPapers)
{
    const int index = QueueIndex();
    ASSERT_GE(index, 2) << "queue " << queue.toStdString() << " not among the printers";
    TRMPrinterInfo* info = GetPrinterList().GetInfo(index);
    ASSERT_NE(info, nullptr);
    EXPECT_GT(info->PaperCount(), 6);
    EXPECT_EQ(info->PaperNames.last(), QStringLiteral("自定义大小"));
    EXPECT_NE(info->PaperIds.indexOf(QStringLiteral("9")), -1) << "A4 by its code";
    EXPECT_EQ(info->BinNames.first(), QStringLiteral("缺省"));

    TRMPrinter& p = GetReportPrinter();
    p.SetSelectedPrinter(index);
    p.SetPageSettings(9, 2100, 2970, false, 65535, true);
    EXPECT_NEAR(p.GetPaperWidth(), 2100, 1);
    EXPECT_NEAR(p.GetPaperHeight(), 2970, 1);
    EXPECT_GT(p.GetPixelsPerInch().width(), 0);
    TRMPageMetrics m;
    p.FillPageMetrics(m);
    EXPECT_GT(m.PhysWidthDev, 0);
    EXPECT_EQ(m.PageWidth, 794);
}

TEST_F(CupsPrint, TwoPageJobIsSpooledAsPdf)
{
    const int index = QueueIndex();
    ASSERT_GE(index, 2) << "queue " << queue.toStdString() << " not among the printers";
    TRMPrinter& p = GetReportPrinter();
    p.SetSelectedPrinter(index);
    p.SetPageSettings(9, 2100, 2970, false, 65535, true);
    const QString token = QStringLiteral("pqjob%1").arg(QDateTime::currentMSecsSinceEpoch());
    p.SetTitle(token);
    p.BeginDoc();
    for (int page = 1; page <= 2; ++page) {
        p.OpenPage();
        QPainter* painter = p.Canvas().Painter();
        ASSERT_NE(painter, nullptr);
        painter->drawRect(QRect(0, 0, p.GetPrintableWidth() - 1, p.GetPrintableHeight() - 1));
        painter->drawText(QRect(0, 0, p.GetPrintableWidth(), p.GetPrintableHeight()), Qt::AlignCenter,
            QStringLiteral("CUPS page %1").arg(page));
        p.EndPage();
    }
    p.EndDoc();

    // The job goes through the scheduler's filters; wait a bounded time for its file.
    const QString found = WaitForJob(token);
    ASSERT_FALSE(found.isEmpty()) << "no spooled PDF for job " << token.toStdString() << " in "
                                  << spool.toStdString();
    // Printed reports are the printing user's alone: nobody else may read or replace them.
    const QFileInfo folder(spool), file(found);
    EXPECT_EQ(folder.ownerId(), ::getuid());
    EXPECT_EQ(folder.permissions() & kAllPermissions, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
        << std::oct << static_cast<int>(folder.permissions());
    EXPECT_EQ(file.ownerId(), ::getuid());
    EXPECT_EQ(file.permissions() & kAllPermissions, QFile::ReadOwner | QFile::WriteOwner) << std::oct << static_cast<int>(file.permissions());
    const test::PdfInfo info = test::ReadPdfInfo(found);
    EXPECT_EQ(info.pages, 2);
    ASSERT_EQ(info.sizes.size(), 2);
    EXPECT_NEAR(info.sizes[0].width(), 595.3, 2);
    EXPECT_NEAR(info.sizes[0].height(), 841.9, 2);
}

// The queue keeps page sizes in whole points; what was asked for reads back unchanged, so
// the same settings are the same.
TEST_F(CupsPrint, SheetsReadBackAsAsked)
{
    const int index = QueueIndex();
    ASSERT_GE(index, 2) << "queue " << queue.toStdString() << " not among the printers";
    TRMPrinter& p = GetReportPrinter();
    p.SetSelectedPrinter(index);
    struct Sheet {
        int paper, width, height;
        bool landscape;
    };
    const Sheet sheets[] = {{11, 1480, 2100, false}, {9, 2100, 2970, false}, {9, 2970, 2100, true},
        {800, 1840, 2600, false}, {800, 2600, 1840, true}, {256, 1000, 3000, false}, {256, 3000, 1000, true}};
    for (const Sheet& s : sheets) {
        SCOPED_TRACE(QStringLiteral("paper %1, %2 x %3%4").arg(s.paper).arg(s.width).arg(s.height)
                         .arg(s.landscape ? ", landscape" : "").toStdString());
        p.SetPageSettings(s.paper, s.width, s.height, s.landscape, 65535, true);
        EXPECT_EQ(p.GetPaperWidth(), s.width);
        EXPECT_EQ(p.GetPaperHeight(), s.height);
        EXPECT_TRUE(p.IsSameSettings(p.PaperSize(), s.width, s.height, s.landscape, 65535));
        TRMPageMetrics m;
        p.FillPageMetrics(m);
        EXPECT_EQ(m.PhysWidthDev > m.PhysHeightDev, s.width > s.height) << "the sheet lies the way asked";
    }
}

TEST_F(CupsPrint, FirstUseKeepsTheDriversPaper)
{
    // The scheduler takes the default destination from PRINTER.
    const QByteArray old = qgetenv("PRINTER");
    qputenv("PRINTER", queue.toUtf8());
    TRMPrinterList list(PrinterBackend());
    auto p = CreateReportPrinter(list, PrinterBackend());
    if (old.isNull())
        qunsetenv("PRINTER");
    else
        qputenv("PRINTER", old);
    if (list.Resolve(0) != QueueIndex())
        GTEST_SKIP() << "the queue could not be made the default printer";
    TRMPrinterInfo* info = p->PrinterInfo();
    const int i = info->IndexOfPaperId(p->DefaultPaperSize());
    EXPECT_EQ(p->DefaultPaperWidth(), p->Landscape() ? info->PaperHeight(i) : info->PaperWidth(i));
    EXPECT_EQ(p->DefaultPaperHeight(), p->Landscape() ? info->PaperWidth(i) : info->PaperHeight(i));
}

// An extra paper in landscape reaches the queue as a landscape page of its size.
TEST_F(CupsPrint, LandscapeExtraPaperIsPrintedLandscape)
{
    const int index = QueueIndex();
    ASSERT_GE(index, 2) << "queue " << queue.toStdString() << " not among the printers";
    TRMPrinter& p = GetReportPrinter();
    p.SetSelectedPrinter(index);
    p.SetPageSettings(800, 2600, 1840, true, 65535, true);
    const QString token = QStringLiteral("pqwide%1").arg(QDateTime::currentMSecsSinceEpoch());
    p.SetTitle(token);
    p.BeginDoc();
    p.OpenPage();
    ASSERT_NE(p.Canvas().Painter(), nullptr);
    p.Canvas().Painter()->drawText(QPoint(100, 100), QStringLiteral("16K landscape"));
    p.EndDoc();
    const QString found = WaitForJob(token);
    ASSERT_FALSE(found.isEmpty()) << "no spooled PDF for job " << token.toStdString();
    const test::PdfInfo info = test::ReadPdfInfo(found);
    ASSERT_EQ(info.sizes.size(), 1);
    EXPECT_NEAR(info.sizes[0].width(), 260 * 72 / 25.4, 2);
    EXPECT_NEAR(info.sizes[0].height(), 184 * 72 / 25.4, 2);
}

TEST_F(CupsPrint, RefusedJobIsReportedNotSwallowed)
{
    const QString closed = qEnvironmentVariable("PQ_CUPS_REJECTING_QUEUE");
    if (closed.isEmpty())
        GTEST_SKIP() << "PQ_CUPS_REJECTING_QUEUE not set (scripts/cups-queue.sh creates it)";
    const int index = static_cast<int>(GetPrinterList().Names().indexOf(closed));
    ASSERT_GE(index, 2) << "queue " << closed.toStdString() << " not among the printers";
    TRMPrinter& p = GetReportPrinter();
    p.SetSelectedPrinter(index);
    EXPECT_THROW(p.BeginDoc(), TRMPrinterError);
    EXPECT_FALSE(p.Printing());
}

// What the print dialog's status line is made of, as CUPS tells it.
TEST_F(CupsPrint, StatusSaysWhetherTheQueueTakesJobs)
{
    const std::optional<TRMPrinterStatus> open = PrinterBackend().GetPrinter(queue);
    ASSERT_TRUE(open.has_value());
    EXPECT_NE(open->Status, 0x1000u);
    EXPECT_FALSE(open->Driver.isEmpty()) << "the make and model of the queue's driver";
    const QString closed = qEnvironmentVariable("PQ_CUPS_REJECTING_QUEUE");
    if (closed.isEmpty())
        GTEST_SKIP() << "PQ_CUPS_REJECTING_QUEUE not set";
    const std::optional<TRMPrinterStatus> refusing = PrinterBackend().GetPrinter(closed);
    ASSERT_TRUE(refusing.has_value());
    EXPECT_EQ(refusing->Status, 0x1000u) << "不可用";
}

} // namespace
} // namespace pq
