// Display formats over any input: the first four bytes are a view's format word, the next
// eight a number, the rest the format text (and a text to read as a date).
#include "fuzz/fuzz_support.h"

#include "report/engine/expr/display_format.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    pq::FuzzInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 12)
        return 0;
    std::int32_t format = 0;
    double number = 0;
    std::memcpy(&format, data, 4);
    std::memcpy(&number, data + 4, 8);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 12), static_cast<qsizetype>(size - 12));
    const pq::Variant values[] = {pq::Variant::FromFloat(number), pq::Variant::FromInt(static_cast<std::int64_t>(format)),
        pq::Variant(text), pq::Variant::FromDateTime(number), pq::Variant::FromBool(format & 1), pq::Variant::Null(),
        pq::Variant::FromCurrency(std::isfinite(number) ? std::fmod(number, 1e12) : 0.0)};
    for (const pq::Variant& v : values) {
        try {
            pq::FormatValue(v, format, text);
        } catch (const std::exception&) {
        }
    }
    auto quietly = [](auto&& f) {
        try {
            f();
        } catch (const std::exception&) {
        }
    };
    quietly([&] { pq::FormatFloat(text, number); });
    quietly([&] { pq::FormatDateTime(text, number); });
    quietly([&] { pq::FormatFixed(number, format & 0x1F, format & 0x20); });
    quietly([&] { pq::StrToDateTime(text); });
    quietly([&] { pq::StrToDate(text); });
    quietly([&] { pq::StrToTime(text); });
    quietly([&] { pq::SplitInlineFormat(text); });
    return 0;
}
