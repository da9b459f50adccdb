#include "report/engine/rich/rtf_charsets.h"

#include "base/gbk_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <map>
#include <memory>
#include <mutex>

namespace pq {

namespace {

const char* CodecName(int codePage)
{
    switch (codePage) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 874: return "windows-874";
    case 932: return "Shift_JIS";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1252: return "windows-1252";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 10000: return "macintosh";
    case 54936: return "GB18030";
    case 65001: return "UTF-8";
    default: return nullptr;
    }
}

// Converters cost more to make than to use; one pair per code page is kept and reset
// before each use, so nothing carries over between texts.
struct Pair {
    QStringDecoder decoder;
    QStringEncoder encoder;
};

struct Cache {
    std::mutex mutex;
    std::map<int, std::unique_ptr<Pair>> pairs;
};

Cache& TheCache()
{
    static Cache cache;
    return cache;
}

// The converters of a code page; one that Qt cannot convert gets those of Windows-1252,
// and nullptr (Latin-1 stands in) when even those are missing.
Pair* PairFor(Cache& c, int codePage)
{
    auto it = c.pairs.find(codePage);
    if (it != c.pairs.end())
        return it->second.get();
    auto make = [](const char* name) {
        auto pair = std::make_unique<Pair>();
        if (name) {
            pair->decoder = QStringDecoder(name);
            pair->encoder = QStringEncoder(name);
        }
        if (!pair->decoder.isValid() || !pair->encoder.isValid())
            pair.reset();
        return pair;
    };
    std::unique_ptr<Pair> pair = make(CodecName(codePage));
    if (!pair)
        pair = make(CodecName(kRtfCodePageAnsi));
    return c.pairs.emplace(codePage, std::move(pair)).first->second.get();
}

} // namespace

int RMRtfCodePageOfCharset(int charset, int documentCodePage)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return 1252;   // symbol fonts: their glyphs sit on the ANSI byte values
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return documentCodePage;
    }
}

QString RMRtfDecode(const QByteArray& bytes, int codePage)
{
    bool ascii = true;
    for (char b : bytes)
        ascii = ascii && static_cast<unsigned char>(b) < 0x80;
    if (ascii)
        return QString::fromLatin1(bytes);
    if (codePage == kRtfCodePageGbk)
        return FromGbk(bytes);
    Cache& c = TheCache();
    const std::lock_guard lock(c.mutex);
    Pair* p = PairFor(c, codePage);
    if (!p)
        return QString::fromLatin1(bytes);
    p->decoder.resetState();
    return p->decoder.decode(bytes);
}

QByteArray RMRtfEncodeChar(char32_t ch, int codePage)
{
    if (ch < 0x80)
        return QByteArray(1, static_cast<char>(ch));
    const QString text = QString::fromUcs4(&ch, 1);
    if (codePage == kRtfCodePageGbk)
        return GbkCharLength(ch) == 2 ? ToGbk(text) : QByteArray();
    Cache& c = TheCache();
    const std::lock_guard lock(c.mutex);
    Pair* p = PairFor(c, codePage);
    if (!p)
        return {};
    p->encoder.resetState();
    const QByteArray bytes = p->encoder.encode(text);
    if (p->encoder.hasError() || bytes.isEmpty())
        return {};
    // A converter may stand in a look-alike or "?" for what it lacks: only bytes that
    // read back as the same character count.
    p->decoder.resetState();
    if (QString(p->decoder.decode(bytes)) != text)
        return {};
    return bytes;
}

} // namespace pq
