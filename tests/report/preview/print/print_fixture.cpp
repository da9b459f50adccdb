#include "print_fixture.h"

#include "../printer/test_support.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_memo_views.h"
#include "report/preview/printer/printer.h"

#include <QColor>

namespace pq::test {

void PrintFixture::SetUp()
{
    auto scripted = std::make_unique<TRMScriptedPrinterBackend>();
    backend = scripted.get();
    InstallLaser(*backend);
    TRMScriptedDevice& laser = backend->Devices[QStringLiteral("Laser")];
    // 60 dpi keeps a recorded A4 sheet small (496 x 701); the printable area starts 10
    // device pixels in from each edge.
    laser.Caps = TRMDeviceCaps{60, 60, 496, 701, 476, 681, 10, 10, true};
    laser.RecordPages = true;
    TRMEngineOptions options;
    options.ProgressWindows = false;
    options.PrinterBackend = std::move(scripted);
    Configure(options);
    engine.emplace(std::move(options));
}

void PrintFixture::TearDown()
{
    reports.clear();
    engine.reset();
}

TRMReport& PrintFixture::Report(int count, const std::vector<int>& orientations)
{
    auto r = std::make_unique<TRMReport>();
    r->PrintBackColor = true;
    r->ReportInfo.Title = QStringLiteral("Ledger");
    TRMPage* portrait = r->Pages.Add(9, 2100, 2970, poPortrait, -1);
    TRMPage* landscape = r->Pages.Add(9, 2970, 2100, poLandscape, -1);
    TRMEMFPages& pages = RMPreparedPages(*r);
    for (int k = 0; k < count; ++k) {
        const bool turned = k < static_cast<int>(orientations.size()) && orientations[k] == poLandscape;
        pages.AddPage(turned ? *landscape : *portrait);
        TRMMemoView box;
        box.Name = QStringLiteral("Box");
        box.SetBounds(BoxLeft(k + 1), kBoxTop, kBoxSize, kBoxSize);
        box.FillColor = 0x000000;
        box.SetFlag(flPrintVisible, k % 2 == 0); // odd pages' boxes survive pre-printed forms
        pages.AppendView(k, box);
    }
    reports.push_back(std::move(r));
    return *reports.back();
}

void PrintFixture::Track(TRMReport& report)
{
    report.OnProgress = [this](int n) { m_printed.push_back(n); };
}

int PrintFixture::BoxLeftIn(const QImage& image, int row)
{
    if (row < 0 || row >= image.height())
        return -1;
    for (int x = 0; x < image.width(); ++x)
        if (qGray(image.pixel(x, row)) < 64)
            return x;
    return -1;
}

int PrintFixture::PageShown(const QImage& image)
{
    // 60 device pixels per 96 screen pixels, less the printable offset.
    const int row = (kBoxTop + kBoxSize / 2) * 60 / 96 - 10;
    const int x = BoxLeftIn(image, row);
    if (x < 0)
        return 0;
    const double screen = (x + 10) * 96.0 / 60.0;
    for (int n = 1; n < 100; ++n)
        if (std::abs(screen - BoxLeft(n)) < 3)
            return n;
    return 0;
}

} // namespace pq::test
