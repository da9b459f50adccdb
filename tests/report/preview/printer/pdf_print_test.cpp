#include "report/preview/printer/scripted_backend.h"
#include "report/preview/printer/printer.h"
#include "test_support.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pq {
namespace {

// Draws a recognisable page: a frame just inside the sheet's printable area and a caption.
void DrawPage(TRMCustomPrinter& p, const QString& caption)
{
    QPainter* painter = p.Canvas().Painter();
    ASSERT_NE(painter, nullptr);
    const int w = p.GetPrintableWidth();
    const int h = p.GetPrintableHeight();
    QPen pen(Qt::black);
    pen.setWidth(p.DpiX() / 50);
    painter->setPen(pen);
    painter->drawRect(QRect(p.DpiX() / 4, p.DpiY() / 4, w - p.DpiX() / 2, h - p.DpiY() / 2));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(28);
    p.Canvas().SetFont(font);
    p.Canvas().SetFontColor(Qt::darkBlue);
    painter->drawText(QRect(0, 0, w, h), Qt::AlignCenter, caption);
}

void PrintPages(TRMCustomPrinter& p, int pages, const QString& caption)
{
    p.BeginDoc();
    for (int i = 0; i < pages; ++i) {
        p.OpenPage();
        DrawPage(p, QStringLiteral("%1 %2").arg(caption).arg(p.PageNumber()));
        p.EndPage();
    }
    p.EndDoc();
}

constexpr double kA4W = 595.276;
constexpr double kA4H = 841.89;

class PdfPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        list = std::make_unique<TRMPrinterList>(fake); // no printers at all
        printer = CreateReportPrinter(*list, fake);
        file = dir.filePath(QStringLiteral("out.pdf"));
        printer->SetOutputFileName(file);
        printer->SetTitle(QStringLiteral("Pagequill PDF test"));
    }

    QTemporaryDir dir;
    TRMScriptedPrinterBackend fake;
    std::unique_ptr<TRMPrinterList> list;
    std::unique_ptr<TRMPrinter> printer;
    QString file;
};

TEST_F(PdfPrint, WorksWithoutAnyPrinter)
{
    PrintPages(*printer, 2, QStringLiteral("Page"));
    const test::PdfInfo info = test::ReadPdfInfo(file);
    ASSERT_TRUE(info.ok) << info.error.toStdString();
    EXPECT_EQ(info.pages, 2);
    for (const QSizeF& s : info.sizes) {
        EXPECT_NEAR(s.width(), kA4W, 0.5);
        EXPECT_NEAR(s.height(), kA4H, 0.5);
    }
    EXPECT_EQ(fake.CountCalls("CreateContext"), 0) << "a file needs no device";
}

TEST_F(PdfPrint, NewDocumentPerOrientationStaysInOneFile)
{
    printer->StartPrintRun();
    PrintPages(*printer, 2, QStringLiteral("Portrait"));
    printer->SetPageSettings(9, 2970, 2100, true, 65535, false);
    PrintPages(*printer, 1, QStringLiteral("Landscape"));
    printer->SetPageSettings(256, 1840, 2600, false, 65535, false);
    PrintPages(*printer, 1, QStringLiteral("Custom"));
    printer->FinishPrintRun();

    const test::PdfInfo info = test::ReadPdfInfo(file);
    ASSERT_TRUE(info.ok) << info.error.toStdString();
    ASSERT_EQ(info.pages, 4);
    EXPECT_NEAR(info.sizes[0].width(), kA4W, 0.5);
    EXPECT_NEAR(info.sizes[1].width(), kA4W, 0.5);
    EXPECT_NEAR(info.sizes[2].width(), kA4H, 0.5);
    EXPECT_NEAR(info.sizes[2].height(), kA4W, 0.5);
    EXPECT_NEAR(info.sizes[3].width(), 184 / 25.4 * 72, 0.5);
    EXPECT_NEAR(info.sizes[3].height(), 260 / 25.4 * 72, 0.5);
}

TEST_F(PdfPrint, OrientationChangeInsideOneDocument)
{
    printer->BeginDoc();
    printer->OpenPage();
    DrawPage(*printer, QStringLiteral("Portrait"));
    printer->EndPage();
    TRMDevMode dm; // the virtual printer has no driver's device mode to start from
    dm.Fields = TRMDevMode::fmPaperSize | TRMDevMode::fmOrientation;
    dm.PaperSize = 9;
    dm.Orientation = 2;
    printer->SetDevMode(dm);
    printer->OpenPage();
    TRMPageMetrics m;
    printer->FillPageMetrics(m);
    EXPECT_GT(m.PhysWidthDev, m.PhysHeightDev);
    DrawPage(*printer, QStringLiteral("Landscape"));
    printer->EndDoc();

    const test::PdfInfo info = test::ReadPdfInfo(file);
    ASSERT_TRUE(info.ok) << info.error.toStdString();
    ASSERT_EQ(info.pages, 2);
    EXPECT_NEAR(info.sizes[0].width(), kA4W, 0.5);
    EXPECT_NEAR(info.sizes[1].width(), kA4H, 0.5);
    EXPECT_NEAR(info.sizes[1].height(), kA4W, 0.5);
}

TEST_F(PdfPrint, MetricsWhilePrintingComeFromTheFile)
{
    printer->BeginDoc();
    printer->OpenPage();
    TRMPageMetrics m;
    printer->FillPageMetrics(m);
    EXPECT_EQ(m.PhysWidthDev, 4958); // A4 is 595 pt wide in the PDF: 595 / 72 x 600
    EXPECT_EQ(m.OffsetLeftDev, 0);
    EXPECT_EQ(m.PageWidth, 794);
    EXPECT_NEAR(printer->FactorX(), 4958.0 / 794, 1e-9);
    printer->EndDoc();
}

TEST_F(PdfPrint, ExtraPaperOfARealPrinterGoesIntoTheFile)
{
    fake.Printers = {"Laser"};
    fake.DefaultName = "Laser";
    fake.Devices["Laser"] = test::LaserDevice();
    TRMPrinterList withPrinter(fake);
    auto p = CreateReportPrinter(withPrinter, fake);
    p->SetOutputFileName(file);
    p->StartPrintRun();
    p->SetPageSettings(800, 2600, 1840, true, 65535, false); // 16K, landscape
    PrintPages(*p, 1, QStringLiteral("16K"));
    p->SetPageSettings(804, 2159, 2794, false, 65535, false); // narrow continuous
    PrintPages(*p, 1, QStringLiteral("Continuous"));
    p->FinishPrintRun();
    EXPECT_EQ(fake.CountCalls("StartDoc"), 0) << "the device is not used for a file";
    const test::PdfInfo info = test::ReadPdfInfo(file);
    ASSERT_TRUE(info.ok) << info.error.toStdString();
    ASSERT_EQ(info.pages, 2);
    EXPECT_NEAR(info.sizes[0].width(), 260 / 25.4 * 72, 0.5);
    EXPECT_NEAR(info.sizes[0].height(), 184 / 25.4 * 72, 0.5);
    EXPECT_NEAR(info.sizes[1].width(), 215.9 / 25.4 * 72, 0.5);
    EXPECT_NEAR(info.sizes[1].height(), 279.4 / 25.4 * 72, 0.5);
}

TEST_F(PdfPrint, UnusablePaperBetweenDocumentsIsReported)
{
    printer->StartPrintRun();
    PrintPages(*printer, 1, QStringLiteral("First"));
    printer->SetPageSettings(256, 0, 0, false, 65535, true);
    EXPECT_THROW(printer->BeginDoc(), TRMPrinterError);
    EXPECT_FALSE(printer->Printing());
    EXPECT_NO_THROW(printer->FinishPrintRun());
    EXPECT_FALSE(QFile::exists(file)) << "a failed print leaves no partial file";
}

TEST_F(PdfPrint, AbortLeavesNoFile)
{
    printer->BeginDoc();
    printer->OpenPage();
    DrawPage(*printer, QStringLiteral("Aborted"));
    printer->Abort();
    EXPECT_FALSE(printer->Printing());
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(PdfPrint, UnwritableFileIsReported)
{
    printer->SetOutputFileName(dir.filePath(QStringLiteral("missing/folder/out.pdf")));
    EXPECT_THROW(
        {
            printer->BeginDoc();
            printer->OpenPage();
        },
        TRMPrinterError);
    EXPECT_FALSE(printer->Printing());
}

TEST_F(PdfPrint, ZeroSizedPaperIsReported)
{
    printer->SetPageSettings(256, 0, 0, false, 65535, true);
    EXPECT_THROW(printer->BeginDoc(), TRMPrinterError);
    EXPECT_FALSE(printer->Printing());
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(PdfPrint, DocumentWithoutPagesIsAFailure)
{
    printer->BeginDoc();
    EXPECT_THROW(printer->EndDoc(), TRMPrinterError);
    EXPECT_FALSE(printer->Printing());
    EXPECT_FALSE(QFile::exists(file));
}

} // namespace
} // namespace pq
