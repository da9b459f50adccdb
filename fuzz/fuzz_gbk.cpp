// GBK conversion both ways over any bytes, and cutting texts to a GBK byte count, which must
// never give more bytes than asked for.
#include "fuzz/fuzz_support.h"

#include "base/gbk_text.h"

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
    const QString fromGbk = pq::FromGbk(bytes);
    const QString fromUtf8 = QString::fromUtf8(bytes);
    for (const QString& text : {fromGbk, fromUtf8}) {
        (void)pq::ToGbk(text);
        const int length = pq::GbkLength(text);
        for (int max : {-1, 0, 1, 2, 3, length / 2, length - 1, length}) {
            const QString cut = pq::CutToGbkBytes(text, max);
            if (pq::GbkLength(cut) > std::max(max, 0) || !text.startsWith(cut))
                std::abort();
        }
    }
    return 0;
}
