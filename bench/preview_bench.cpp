// The preview drawing a list page: one page of 45 rows by 4 framed cells painted at 100 % and
// at whole page, and a scroll through 1,000 such pages at page width, page by page. Prints
// milliseconds per page and the memory before and after the scroll (the objects of pages out
// of view are released, so it should stay flat).
//
//   pq_preview_bench              1,000 pages
//   pq_preview_bench 5000
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/preview/surface/rm_preview.h"
#include "report/tools/headless_engine.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

namespace {

long RssKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// A report whose store holds pages copies of one list page.
void BuildPages(pq::TRMReport& report, int pages)
{
    using namespace pq;
    TRMPage* design = report.Pages.Add(9, 2100, 2970, poPortrait, -1);
    auto* store = new TRMEMFPages(&report);
    store->AddPage(*design);
    const int widths[] = {120, 300, 120, 200};
    const char* texts[] = {"0001", "信用卡和储蓄卡 Credit card", "0002", "华东分公司"};
    for (int row = 0; row < 45; ++row) {
        int left = 40;
        for (int col = 0; col < 4; ++col) {
            auto* memo = static_cast<TRMMemoView*>(report.CreateObject(design, gtMemo));
            memo->SetBounds(left, 60 + row * 22, widths[col], 22);
            memo->Memo = QStringList{QString::fromUtf8(texts[col])};
            memo->Memo1 = memo->Memo; // as preparation leaves it, brackets expanded
            memo->LeftFrame.Visible = memo->TopFrame.Visible = memo->RightFrame.Visible = memo->BottomFrame.Visible = true;
            store->AppendView(0, *memo);
            left += widths[col];
        }
    }
    const QByteArray stream = store->Stream(0);
    for (int k = 1; k < pages; ++k) {
        store->InsertPage(k, *store->Page(0));
        store->SetStream(k, stream);
    }
}

double PaintMs(pq::TRMPreview& preview, int rounds)
{
    QWidget* panel = preview.DrawPanel();
    QImage image(panel->size(), QImage::Format_RGB32);
    QElapsedTimer t;
    t.start();
    for (int k = 0; k < rounds; ++k) {
        panel->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    return t.nsecsElapsed() / 1e6 / rounds;
}

} // namespace

int main(int argc, char** argv)
{
    pq::RMUseOffscreenUnlessSet();
    QApplication app(argc, argv);
    pq::TRMHeadlessEngine engine(QStringLiteral("pq_preview_bench: "));
    int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (pages < 2)
        pages = 1000;

    pq::TRMReport report;
    BuildPages(report, pages);
    pq::TRMPreview preview;
    preview.resize(1016, 900);
    preview.show();
    preview.OpenReport(&report);

    preview.ZoomPercent(100);
    PaintMs(preview, 3); // warm up fonts and caches
    const double full = PaintMs(preview, 30);
    if (const QByteArray out = qgetenv("PQ_BENCH_OUT"); !out.isEmpty())
        preview.DrawPanel()->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/preview-100.png"));
    preview.ZoomWholePage();
    const double whole = PaintMs(preview, 30);

    preview.ZoomPageWidth();
    const long before = RssKiB();
    QWidget* panel = preview.DrawPanel();
    QImage image(panel->size(), QImage::Format_RGB32);
    long middle = 0;
    QElapsedTimer t;
    t.start();
    for (int k = 1; k <= pages; ++k) {
        preview.GotoPage(k);
        panel->render(&image);
        if (k == pages / 2)
            middle = RssKiB();
    }
    const double perPage = t.nsecsElapsed() / 1e6 / pages;
    const long after = RssKiB();
    int built = 0;
    for (int k = 0; k < pages; ++k)
        built += preview.Pages()->Page(k)->Page != nullptr;

    std::printf("list page (45 rows x 4 framed cells), panel %dx%d\n", panel->width(), panel->height());
    std::printf("  paint at 100 %%:        %7.2f ms\n", full);
    std::printf("  paint at whole page:   %7.2f ms\n", whole);
    std::printf("  scroll %d pages at page width: %7.2f ms per page\n", pages, perPage);
    std::printf("  memory: %ld KiB before, %ld KiB half way, %ld KiB after; pages holding objects: %d\n", before,
        middle, after, built);
    preview.Disconnect();
    return 0;
}
