// The CSV reader of pq-render over any bytes: a data set or a clean error.
#include "fuzz/fuzz_support.h"

#include "base/client_dataset.h"
#include "report/tools/report_data.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    pq::FuzzInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList warnings;
    try {
        const std::unique_ptr<pq::ClientDataSet> set = pq::RMReadCsv(bytes, QStringLiteral("fuzz.csv"), warnings);
        for (set->First(); !set->Eof(); set->Next())
            for (int f = 0; f < set->FieldCount(); ++f)
                (void)set->Text(f);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
