// The RTF reader over any bytes: it must stop cleanly, and what it read must lay out, write,
// and read back to the same text.
#include "fuzz/fuzz_support.h"

#include "report/engine/rich/rich_layout.h"
#include "report/engine/rich/rtf_reader.h"
#include "report/engine/rich/rtf_writer.h"

#include <QTextDocument>

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
    QTextDocument doc;
    pq::RMReadRtf(bytes, doc);
    pq::RMRichLayout(doc, 300);
    const int total = pq::RMRichLength(doc);
    const pq::TRMRichFit fit = pq::RMRichFit(doc, 0, 100);
    if (fit.End < 0 || fit.End > total)
        std::abort();
    const QByteArray written = pq::RMWriteRtf(doc);
    QTextDocument again;
    if (!pq::RMReadRtf(written, again).Ok || again.toRawText() != doc.toRawText())
        std::abort(); // what we write we must read
    return 0;
}
