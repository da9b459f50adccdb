// The expression language over any UTF-8 text: compiled and evaluated as an expression, its
// brackets expanded as a memo's text, and run as a script. Errors are fine; undefined
// behaviour, crashes and hangs are not.
#include "fuzz/fuzz_support.h"

#include "report/engine/expr/interpreter.h"
#include "report/engine/expr/report_evaluator.h"
#include "report/engine/expr/variables.h"

#include <cstdint>
#include <exception>

namespace {

// A report with nothing in it and nobody at the dialogs.
class QuietHost : public pq::NameResolverHost {
public:
    pq::TRMVariables* ReportVariables() override { return &variables; }
    QString InputBox(const QString&, const QString& def) override { return def; }
    int MessageBox(const QString&, const QString&, int) override { return 1; }
    void ShowMessage(const QString&) override {}

    pq::TRMVariables variables;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    pq::FuzzInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    pq::RMGlobalVariables().Clear();
    QuietHost host;
    pq::TRMReportEvaluator evaluator(host);
    try {
        evaluator.Calc(text);
    } catch (const std::exception&) {
    }
    try {
        evaluator.ExpandText(text);
    } catch (const std::exception&) {
    }
    try {
        pq::TInterpretator interpreter(evaluator);
        interpreter.Run(text.split(QLatin1Char('\n')), QStringLiteral("Memo1"));
    } catch (const std::exception&) {
    }
    return 0;
}
