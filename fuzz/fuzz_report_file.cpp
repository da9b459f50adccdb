// The report file reader over any bytes: it must fail cleanly or load a report that saves
// and loads again, and that preparation takes without fault.
#include "fuzz/fuzz_support.h"

#include "report/engine/files/rm_report_file.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rm_report.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    pq::FuzzInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    pq::TRMReport report;
    const pq::TRMLoadResult result = pq::RMLoadReport(report, bytes, false);
    if (result.Status == pq::TRMLoadStatus::Loaded && report.Pages.Count() <= 256) {
        const QByteArray saved = pq::RMSaveReport(report);
        pq::TRMReport again;
        if (!pq::RMLoadReport(again, saved, false).Ok())
            std::abort(); // what we write we must read
        // No data sets are bound: bands over data run empty, the rest prints once.
        report.ShowProgress = false;
        pq::RMPrepareReport(report);
    }
    return 0;
}
