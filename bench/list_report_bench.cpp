// The payment-type list over N records: prepared by the engine (double pass) and written to
// PDF, beside the floor, the same cells drawn straight into a PDF with QPainter. Prints time,
// records and pages per second and peak memory of each, and the ratios. The engine runs
// twice: serially (prepared, then written) and pipelined (the PDF written on a thread of its
// own while the final pass prepares the next pages, as on a machine with two or more cores).
//
//   pq_list_report_bench            10,000 records
//   pq_list_report_bench 100000     or PQ_BENCH_RECORDS=100000
//   PQ_BENCH_OUT=/tmp/bench ...     keeps engine.pdf, engine-pipelined.pdf and floor.pdf there
//   PQ_BENCH_MODES=pipelined        only one of the engine's runs (serial, pipelined)
//
// Google Benchmark is used only to keep the build and the optimiser honest (DoNotOptimize);
// one run of each side is the measurement, since a big run takes minutes.
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_pdf_export.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/prepare/rm_prepare_output.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_report.h"
#include "report/tools/headless_engine.h"

#include "base/client_dataset.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Layout shared by both sides, in 96-dpi page pixels (the engine's design units).
constexpr int kPaperCode = 9; // A4
constexpr int kPaperW = 2100, kPaperH = 2970; // tenths of a millimetre
constexpr int kMarginLR = 15000, kMarginTB = 10000; // thousandths of a millimetre
constexpr int kCodeLeft = 57, kCodeWidth = 120;
constexpr int kNameLeft = 177, kNameWidth = 200;
constexpr int kRowHeight = 24;
constexpr int kFooterHeight = 24;
constexpr int kPdfDpi = 600;
const char* const kFace = "宋体";

const QStringList& Names()
{
    // One name long enough to wrap, so rows stretch as they do in the real list.
    static const QStringList names{QStringLiteral("现金"), QStringLiteral("支票"),
        QStringLiteral("银行转账"), QStringLiteral("信用卡和储蓄卡以及其他各种电子支付方式")};
    return names;
}

QString Code(int i) { return QStringLiteral("%1").arg(i % 10000, 4, 10, QLatin1Char('0')); }

struct Memory {
    long hwmKiB = 0;
    long rssKiB = 0;
};

long StatusKiB(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray k(key);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(k))
            return line.mid(k.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

Memory ReadMemory() { return {StatusKiB("VmHWM:"), StatusKiB("VmRSS:")}; }

// Resets the peak to the present size so each side gets its own peak; false where the
// kernel refuses (the peak then includes what ran before).
bool ResetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

struct Result {
    double prepareSec = 0;
    double renderSec = 0; // 0 when pipelined: the PDF is written while preparing
    int pages = 0;
    long peakKiB = 0;
    long startKiB = 0;
    qint64 pdfBytes = 0;
    int pagesInFile = 0; // prepared pages that went to the temporary file
    bool ok = false;
};

pq::TRMMemoView* Memo(pq::TRMReport& report, pq::TRMPage* page, int left, int top, int width, int height,
    const QString& text)
{
    auto* m = static_cast<pq::TRMMemoView*>(report.CreateObject(page, pq::gtMemo));
    m->SetBounds(left, top, width, height);
    m->Memo = QStringList{text};
    m->Font.Name = QString::fromUtf8(kFace);
    m->Font.Size = 10;
    m->Format = 0;
    return m;
}

void Frame(pq::TRMView* v)
{
    for (pq::TRMFrameLine* f : v->Frames())
        f->Visible = true;
}

pq::TRMBandView* Band(pq::TRMReport& report, pq::TRMPage* page, int type, int top, int height,
    const QString& source = {})
{
    auto* b = static_cast<pq::TRMBandView*>(report.CreateObject(page, pq::gtBand));
    b->SetBandType(type);
    b->SetBounds(0, top, 794, height);
    b->SetDataSource(source);
    return b;
}

// The list design: title with column headings, framed word-wrapped data cells, an empty
// framed footer row, page numbers of the total.
void BuildDesign(pq::TRMReport& report)
{
    report.ShowProgress = false;
    report.DoublePass = true;
    pq::TRMPage* page = report.Pages.Add(kPaperCode, kPaperW, kPaperH, pq::poPortrait, -1);
    page->LeftMargin = page->RightMargin = kMarginLR;
    page->TopMargin = page->BottomMargin = kMarginTB;
    page->RecalcColumnWidth();

    Band(report, page, pq::btReportTitle, 40, 60);
    pq::TRMMemoView* heading = Memo(report, page, kCodeLeft, 40, 680, 40, QStringLiteral("支付方式档案"));
    heading->Font.Size = 16;
    heading->SetHAlign(2);
    Frame(Memo(report, page, kCodeLeft, 80, kCodeWidth, 20, QStringLiteral("编码")));
    Frame(Memo(report, page, kNameLeft, 80, kNameWidth, 20, QStringLiteral("名称")));

    pq::TRMBandView* data = Band(report, page, pq::btMasterData, 120, kRowHeight, QStringLiteral("cdsprint"));
    data->SetBandFlag(pq::flBandStretched, true);
    for (pq::TRMMemoView* c : {Memo(report, page, kCodeLeft, 120, kCodeWidth, kRowHeight, QStringLiteral("[code]")),
             Memo(report, page, kNameLeft, 120, kNameWidth, kRowHeight, QStringLiteral("[name]"))}) {
        Frame(c);
        c->SetFlag(pq::flMemoWordwrap, true);
        c->SetStretched(true);
    }
    Band(report, page, pq::btMasterFooter, 160, kRowHeight);
    Frame(Memo(report, page, kCodeLeft, 160, kCodeWidth + kNameWidth, kRowHeight, QString()));
    Band(report, page, pq::btPageFooter, 200, kFooterHeight);
    Memo(report, page, kCodeLeft, 200, 320, kFooterHeight, QStringLiteral("第[Page#]页 共[TotalPages#]页"));
}

QPageLayout A4Layout()
{
    return QPageLayout(QPageSize(QSizeF(kPaperW / 10.0, kPaperH / 10.0), QPageSize::Millimeter, QString(),
                           QPageSize::ExactMatch),
        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

Result RunEngine(int records, const QString& pdf, bool pipelined)
{
    Result r;
    // The data set is the caller's, not the engine's: filled before the clock and the peak.
    pq::ClientDataSet cds;
    cds.CreateTextFields({pq::TextFieldDef{QStringLiteral("code"), 4}, pq::TextFieldDef{QStringLiteral("name"), 40}});
    for (int i = 1; i <= records; ++i)
        cds.AppendRecord({Code(i), Names()[i % Names().size()]});
    auto* ds = new pq::TRMDBDataSet(pq::RMDialogForm(), QStringLiteral("cdsprint"));
    ds->DataSet = &cds;

    {
        pq::TRMReport report;
        report.Dictionary().SetFieldAlias(QStringLiteral("code"), QStringLiteral("cdsprint"), QStringLiteral("code"));
        report.Dictionary().SetFieldAlias(QStringLiteral("name"), QStringLiteral("cdsprint"), QStringLiteral("name"));
        BuildDesign(report);

        ResetPeak();
        r.startKiB = ReadMemory().rssKiB;
        QElapsedTimer clock;
        clock.start();
        QFile file(pdf);
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(pdf));
            delete ds;
            return r;
        }
        pq::TRMPdfExportOptions options;
        options.Dpi = kPdfDpi;
        if (pipelined) {
            const pq::TRMPreparedOutput done = pq::RMPrepareToPdf(report, file, options, pq::TRMOutputMode::Pipelined);
            r.ok = done.Written;
            if (!done.Written)
                std::fprintf(stderr, "pipelined run failed: %s\n", qPrintable(done.OutputError));
            r.prepareSec = clock.nsecsElapsed() / 1e9;
        } else {
            pq::TRMPrepare prepare(report);
            r.ok = prepare.PrepareReport();
            r.prepareSec = clock.nsecsElapsed() / 1e9;
            if (!r.ok) {
                std::fprintf(stderr, "preparation failed: %s\n", qPrintable(prepare.ErrorText()));
                delete ds;
                return r;
            }
            clock.restart();
            if (!pq::RMExportPdf(pq::RMPreparedPages(report), file, options)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(pdf));
                r.ok = false;
            }
            r.renderSec = clock.nsecsElapsed() / 1e9;
        }
        file.close();
        pq::TRMEMFPages& pages = pq::RMPreparedPages(report);
        r.pages = pages.Count();
        r.pagesInFile = pages.PagesInFile();
        r.peakKiB = ReadMemory().hwmKiB;
    }
    delete ds;
    r.pdfBytes = QFileInfo(pdf).size();
    return r;
}

// The floor: the same page, cells, frames, wrapping and page numbers drawn by hand. Row
// heights are measured first, as the total page count needs them before the first page.
Result RunFloor(int records, const QString& pdf)
{
    Result r;
    ResetPeak();
    r.startKiB = ReadMemory().rssKiB;
    QElapsedTimer clock;
    clock.start();

    QFont font(QString::fromUtf8(kFace));
    font.setPixelSize(13); // 10 pt at 96 dpi
    QFont title = font;
    title.setPixelSize(21); // 16 pt
    const double mmPx = 96.0 / 25.4;
    const int pageH = int(kPaperH / 10.0 * mmPx);
    const int top = qRound(kMarginTB / 1000.0 * mmPx);
    const int bottom = pageH - qRound(kMarginTB / 1000.0 * mmPx);
    const int bodyBottom = bottom - kFooterHeight;
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

    // Measuring happens on the screen-resolution metrics, as layout does.
    const QFontMetrics fm(font);
    auto rowHeight = [&](const QString& name) {
        // Lines come from Qt's wrapping; the pitch is the engine's (14 pixels for a 13-pixel
        // font), so both sides break pages at the same rows.
        const QRect br = fm.boundingRect(QRect(0, 0, kNameWidth - 4, 10000), flags, name);
        const int lines = std::max(1, qRound(double(br.height()) / fm.lineSpacing()));
        return std::max(kRowHeight, lines * 14 + 4);
    };
    std::vector<std::uint16_t> heights(records);
    int pages = 1;
    int y = top + 60;
    for (int i = 0; i < records; ++i) {
        heights[i] = static_cast<std::uint16_t>(rowHeight(Names()[(i + 1) % Names().size()]));
        if (y + heights[i] > bodyBottom) {
            ++pages;
            y = top;
        }
        y += heights[i];
    }
    if (y + kRowHeight > bodyBottom)
        ++pages;
    r.pages = pages;
    r.prepareSec = clock.nsecsElapsed() / 1e9;
    clock.restart();

    QPdfWriter writer(pdf);
    writer.setResolution(kPdfDpi);
    writer.setPageLayout(A4Layout());
    QPainter p(&writer);
    p.scale(kPdfDpi / 96.0, kPdfDpi / 96.0);
    p.setPen(QPen(Qt::black, 0));
    int page = 1;
    auto pageFooter = [&] {
        p.setFont(font);
        p.drawText(QRect(kCodeLeft, bodyBottom, 320, kFooterHeight), flags,
            QStringLiteral("第%1页 共%2页").arg(page).arg(pages));
    };
    auto cell = [&](int left, int width, int y0, int h, const QString& text) {
        p.drawRect(left, y0, width, h);
        if (!text.isEmpty())
            p.drawText(QRect(left + 2, y0 + 2, width - 4, h - 4), flags, text);
    };
    p.setFont(title);
    p.drawText(QRect(kCodeLeft, top, 680, 40), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("支付方式档案"));
    p.setFont(font);
    cell(kCodeLeft, kCodeWidth, top + 40, 20, QStringLiteral("编码"));
    cell(kNameLeft, kNameWidth, top + 40, 20, QStringLiteral("名称"));
    y = top + 60;
    for (int i = 0; i < records; ++i) {
        if (y + heights[i] > bodyBottom) {
            pageFooter();
            writer.newPage();
            ++page;
            y = top;
        }
        cell(kCodeLeft, kCodeWidth, y, heights[i], Code(i + 1));
        cell(kNameLeft, kNameWidth, y, heights[i], Names()[(i + 1) % Names().size()]);
        y += heights[i];
    }
    if (y + kRowHeight > bodyBottom) {
        pageFooter();
        writer.newPage();
        ++page;
        y = top;
    }
    cell(kCodeLeft, kCodeWidth + kNameWidth, y, kRowHeight, QString());
    pageFooter();
    p.end();

    r.renderSec = clock.nsecsElapsed() / 1e9;
    r.peakKiB = ReadMemory().hwmKiB;
    r.pdfBytes = QFileInfo(pdf).size();
    r.ok = true;
    return r;
}

int RecordCount(int argc, char** argv)
{
    if (argc > 1)
        return std::max(1, std::atoi(argv[1]));
    if (const QByteArray env = qgetenv("PQ_BENCH_RECORDS"); !env.isEmpty())
        return std::max(1, env.toInt());
    return 10000;
}

void Print(const char* side, int records, const Result& r)
{
    const double total = r.prepareSec + r.renderSec;
    std::printf("%-10s %9d %7d %9.2f %9.2f %9.2f %11.0f %9.1f %9.1f %9.1f %9.1f %9.1f %8d\n", side, records, r.pages,
        r.prepareSec, r.renderSec, total, records / total, r.pages / total, r.peakKiB / 1024.0,
        (r.peakKiB - r.startKiB) / 1024.0, r.startKiB / 1024.0, r.pdfBytes / 1048576.0, r.pagesInFile);
}

} // namespace

int main(int argc, char** argv)
{
    // Headless: nothing is shown, fonts still come from fontconfig.
    pq::RMUseOffscreenUnlessSet();
    const int records = RecordCount(argc, argv);
    // Report data sets live on the engine's hidden dialog form, a widget.
    QApplication app(argc, argv);
    const pq::TRMHeadlessEngine headless;

    // PQ_BENCH_OUT=folder keeps both PDFs there, to look at them side by side.
    QTemporaryDir temp;
    const QString out = qEnvironmentVariable("PQ_BENCH_OUT");
    if (out.isEmpty() && !temp.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QDir dir(out.isEmpty() ? temp.path() : out);
    if (!out.isEmpty())
        QDir().mkpath(out);
    const bool peakResets = ResetPeak();

    // A short warm-up loads the fonts and the PDF machinery, which neither side should pay
    // for alone. The floor runs first: it is small, and with a peak that cannot be reset it
    // then does not inflate the engine's figure.
    RunFloor(100, dir.filePath(QStringLiteral("warmup.pdf")));
    const QString modes = qEnvironmentVariable("PQ_BENCH_MODES", QStringLiteral("serial,pipelined"));
    // PQ_BENCH_ROUNDS=n runs the sides n times in turn and keeps each side's fastest round:
    // on a shared machine a slow spell then hits every side's other rounds, not one side.
    const int rounds = std::max(1, qEnvironmentVariableIntValue("PQ_BENCH_ROUNDS"));
    const auto keepFastest = [](std::optional<Result>& best, Result r) {
        if (!best || (r.ok && r.prepareSec + r.renderSec < best->prepareSec + best->renderSec))
            best = std::move(r);
    };
    std::optional<Result> floorBest, serial, pipelined;
    for (int round = 0; round < rounds; ++round) {
        keepFastest(floorBest, RunFloor(records, dir.filePath(QStringLiteral("floor.pdf"))));
        if (modes.contains(QLatin1String("serial")))
            keepFastest(serial, RunEngine(records, dir.filePath(QStringLiteral("engine.pdf")), false));
        if (modes.contains(QLatin1String("pipelined")))
            keepFastest(pipelined, RunEngine(records, dir.filePath(QStringLiteral("engine-pipelined.pdf")), true));
        if ((serial && !serial->ok) || (pipelined && !pipelined->ok))
            return 1;
    }
    const Result floor = *floorBest;
    benchmark::DoNotOptimize(floor.pages);

    std::printf("list report, %d records, A4, PDF at %d dpi, %d cores, fastest of %d round(s)%s\n", records, kPdfDpi,
        QThread::idealThreadCount(), rounds,
        peakResets ? "" : " (peak memory could not be reset between sides: it is cumulative)");
    std::printf("%-10s %9s %7s %9s %9s %9s %11s %9s %9s %9s %9s %9s %8s\n", "side", "records", "pages", "prep s",
        "render s", "total s", "records/s", "pages/s", "peak MiB", "+MiB", "start MiB", "pdf MiB", "in file");
    if (serial)
        Print("engine", records, *serial);
    if (pipelined)
        Print("pipelined", records, *pipelined);
    Print("floor", records, floor);
    const double floorTotal = floor.prepareSec + floor.renderSec;
    for (const auto& [name, r] : {std::pair{"engine", serial}, std::pair{"pipelined", pipelined}}) {
        if (!r)
            continue;
        const double total = r->prepareSec + r->renderSec;
        std::printf("ratio %s/floor: time %.2fx, time per page %.2fx, peak memory %.2fx\n", name, total / floorTotal,
            (total / r->pages) / (floorTotal / floor.pages), double(r->peakKiB) / double(floor.peakKiB));
    }
    return 0;
}
