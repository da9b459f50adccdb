// Wrapping one unbroken word (a URL, a base64 blob) of 64 KB, 256 KB and 1 MB into a memo
// line 200 pixels wide, measured with the font the memos use. Time and lines per run.
//
//   pq_memo_wrap_bench [--benchmark_filter=...]
#include "report/engine/memo/memo_wrap.h"

#include <benchmark/benchmark.h>

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>

namespace {

void BM_WrapUnbrokenWord(benchmark::State& state)
{
    const QFont font(QStringLiteral("DejaVu Sans"), 10);
    const QFontMetrics metrics(font);
    // base64-like text: no space, no hyphen, nothing to break at.
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
    QString word;
    word.reserve(state.range(0));
    for (qsizetype i = 0; i < state.range(0); ++i)
        word += alphabet[i % alphabet.size()];
    pq::TRMWrapOptions o;
    o.MaxWidth = 200;
    o.Width = [&metrics](const QString& s) { return metrics.horizontalAdvance(s); };
    qsizetype lines = 0;
    for (auto _ : state) {
        const QStringList wrapped = pq::RMWrapLine(word, o);
        lines = wrapped.size();
        benchmark::DoNotOptimize(wrapped);
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_WrapUnbrokenWord)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
