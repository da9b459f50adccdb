// Searching and exporting a long list: 1,000 pages of 45 rows by 4 framed cells. Prints the
// milliseconds per page of collecting a page's text outputs (what find next does on every
// page it passes), a find that runs through all pages without a match, the memory before
// and after (pages searched are released again), and the Excel workbook of all pages, one
// sheet per page and one sheet for all.
//
//   pq_search_export_bench              1,000 pages
//   pq_search_export_bench 5000
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_page_text.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/preview/export/rm_xlsx_filter.h"
#include "report/preview/search/rm_preview_search.h"
#include "report/preview/surface/rm_preview.h"
#include "report/tools/headless_engine.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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

void BuildPages(pq::TRMReport& report, int pages)
{
    using namespace pq;
    TRMPage* design = report.Pages.Add(9, 2100, 2970, poPortrait, -1);
    auto* store = new TRMEMFPages(&report);
    store->AddPage(*design);
    const int widths[] = {120, 300, 120, 200};
    const char* texts[] = {"0001", "信用卡和储蓄卡 Credit card", "1234.50", "华东分公司"};
    for (int row = 0; row < 45; ++row) {
        int left = 40;
        for (int col = 0; col < 4; ++col) {
            TRMMemoView memo;
            memo.SetBounds(left, 60 + row * 22, widths[col], 22);
            memo.Memo1 = QStringList{QString::fromUtf8(texts[col])};
            memo.LeftFrame.Visible = memo.TopFrame.Visible = memo.RightFrame.Visible = memo.BottomFrame.Visible = true;
            store->AppendView(0, memo);
            left += widths[col];
        }
    }
    const QByteArray stream = store->Stream(0);
    for (int k = 1; k < pages; ++k) {
        store->InsertPage(k, *store->Page(0));
        store->SetStream(k, stream);
    }
}

double ExportMs(pq::TRMEMFPages& pages, bool perPage, qint64* bytes)
{
    QTemporaryDir dir;
    pq::TRMXLSXExportFilter filter;
    filter.OneSheetPerPage = perPage;
    filter.ShowDialog = false;
    QElapsedTimer t;
    t.start();
    QString error;
    const QString file = dir.filePath(QStringLiteral("book.xlsx"));
    if (!pq::RMExportPages(pages, filter, file, nullptr, &error))
        std::fprintf(stderr, "export failed: %s\n", error.toLocal8Bit().constData());
    const double ms = t.nsecsElapsed() / 1e6;
    *bytes = QFileInfo(file).size();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    pq::RMUseOffscreenUnlessSet();
    QApplication app(argc, argv);
    pq::TRMHeadlessEngine engine(QStringLiteral("pq_search_export_bench: "));
    int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (pages < 2)
        pages = 1000;
    pq::TRMReport report;
    BuildPages(report, pages);
    pq::TRMEMFPages& store = *report.EMFPages;

    for (int k = 0; k < 3; ++k) // fonts and caches warm
        benchmark::DoNotOptimize(pq::RMPageTextRecords(store, k).size());
    QElapsedTimer t;
    t.start();
    size_t records = 0;
    const int sample = std::min(pages, 200);
    for (int k = 0; k < sample; ++k)
        records += pq::RMPageTextRecords(store, k).size();
    const double perPage = t.nsecsElapsed() / 1e6 / sample;

    pq::TRMPreview preview;
    preview.resize(1016, 900);
    preview.show();
    preview.OpenReport(&report);
    pq::RMSearchSettings().QuietMs = 1 << 30; // no progress window: the search alone
    preview.Search().SearchText = QStringLiteral("没有的字");
    const long before = RssKiB();
    t.restart();
    const bool found = pq::RMPreviewFindNext(preview, nullptr);
    const double findMs = t.nsecsElapsed() / 1e6;
    const long after = RssKiB();

    qint64 perPageBytes = 0, oneSheetBytes = 0;
    const double perPageMs = ExportMs(*preview.Pages(), true, &perPageBytes);
    const double oneSheetMs = ExportMs(*preview.Pages(), false, &oneSheetBytes);

    std::printf("pages: %d, %d cells each (%zu text outputs per page)\n", pages, 45 * 4, records / sample);
    std::printf("text outputs of one page: %.2f ms\n", perPage);
    std::printf("find through all pages (no match%s): %.0f ms, %.2f ms per page\n", found ? "?" : "", findMs,
        findMs / pages);
    std::printf("memory before / after the search: %ld / %ld KiB\n", before, after);
    std::printf("workbook, one sheet per page: %.0f ms, %lld bytes\n", perPageMs, static_cast<long long>(perPageBytes));
    std::printf("workbook, one sheet for all: %.0f ms, %lld bytes\n", oneSheetMs, static_cast<long long>(oneSheetBytes));
    return 0;
}
