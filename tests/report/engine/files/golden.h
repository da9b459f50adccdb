// Expected bytes assembled by hand from the byte layouts: little-endian integers, strings
// as 16-bit length + GBK bytes + zero, string lists with 13 between lines and a final zero.
// Deliberately independent of the writer under test.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

#include <cstdint>

namespace pqtest {

struct Golden {
    QByteArray b;

    Golden& u8(unsigned v)
    {
        b.append(static_cast<char>(v & 0xFF));
        return *this;
    }
    Golden& u16(unsigned v)
    {
        u8(v);
        return u8(v >> 8);
    }
    Golden& i32(std::int64_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        u16(u & 0xFFFF);
        return u16(u >> 16);
    }
    static QByteArray gbk(const QString& s)
    {
        QStringEncoder enc("GBK");
        return enc.encode(s);
    }
    Golden& str(const QString& s)
    {
        const QByteArray g = gbk(s);
        u16(static_cast<unsigned>(g.size()));
        b.append(g);
        return u8(0);
    }
    Golden& zstr(const QString& s)
    {
        b.append(gbk(s));
        return u8(0);
    }
    Golden& list(const QStringList& lines)
    {
        u16(static_cast<unsigned>(lines.size()));
        for (int i = 0; i < lines.size(); ++i) {
            if (i)
                u8(13);
            const QByteArray g = gbk(lines[i]);
            u16(static_cast<unsigned>(g.size()));
            b.append(g);
        }
        return u8(0);
    }
    Golden& raw(const QByteArray& bytes)
    {
        b.append(bytes);
        return *this;
    }
    // Frame side: visible, style, colour, width × 1000.
    Golden& frame(bool visible, unsigned style, std::uint32_t color, std::int64_t widthThousandths)
    {
        return u8(visible ? 1 : 0).u8(style).i32(color).i32(widthThousandths);
    }
    qsizetype pos() const { return b.size(); }
    // Overwrites a 32-bit value written earlier.
    void patch(qsizetype at, std::int64_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    }
};

} // namespace pqtest
