#include "report/engine/files/rm_stream.h"

#include "base/gbk_text.h"

#include <QtEndian>

#include <limits>

namespace pq {

namespace {
constexpr int kMaxShortLength = 0xFFFF;

QByteArray GbkBytesUpTo16Bit(const QString& text)
{
    QByteArray bytes = ToGbk(text);
    if (bytes.size() > kMaxShortLength)
        bytes = ToGbk(CutToGbkBytes(text, kMaxShortLength));
    return bytes;
}
} // namespace

// ---- writer ----

void TRMWriter::WriteByte(std::uint8_t v)
{
    Data.append(static_cast<char>(v));
}

void TRMWriter::WriteWord(std::uint16_t v)
{
    char b[2];
    qToLittleEndian<quint16>(v, b);
    Data.append(b, 2);
}

void TRMWriter::WriteInt(std::int32_t v)
{
    char b[4];
    qToLittleEndian<qint32>(v, b);
    Data.append(b, 4);
}

void TRMWriter::WriteString(const QString& text)
{
    const QByteArray bytes = GbkBytesUpTo16Bit(text);
    WriteWord(static_cast<std::uint16_t>(bytes.size()));
    Data.append(bytes);
    WriteByte(0);
}

void TRMWriter::WriteStringList(const QStringList& lines)
{
    const qsizetype count = std::min<qsizetype>(lines.size(), kMaxShortLength);
    WriteWord(static_cast<std::uint16_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0)
            WriteByte(13);
        const QByteArray bytes = GbkBytesUpTo16Bit(lines.at(i));
        WriteWord(static_cast<std::uint16_t>(bytes.size()));
        Data.append(bytes);
    }
    WriteByte(0);
}

qint64 TRMWriter::Placeholder()
{
    const qint64 pos = Position();
    WriteInt(0);
    return pos;
}

void TRMWriter::PatchInt(qint64 position, std::int32_t v)
{
    if (position < 0 || position + 4 > Data.size())
        throw TRMStreamError("patch outside the stream");
    qToLittleEndian<qint32>(v, Data.data() + position);
}

// ---- reader ----

TRMReader::TRMReader(QByteArray data)
    : m_data(std::move(data))
{
}

void TRMReader::Need(qint64 count) const
{
    if (count < 0 || count > Remaining())
        throw TRMStreamError("unexpected end of stream");
}

void TRMReader::Seek(qint64 position)
{
    if (position < 0 || position > Size())
        throw TRMStreamError("position outside the stream");
    m_pos = position;
}

void TRMReader::Skip(qint64 count)
{
    Need(count);
    m_pos += count;
}

void TRMReader::CheckEndPosition(qint64 position) const
{
    if (position <= m_pos || position > Size())
        throw TRMStreamError("end position outside the record");
}

std::uint8_t TRMReader::ReadByte()
{
    Need(1);
    return static_cast<std::uint8_t>(m_data.at(m_pos++));
}

std::uint16_t TRMReader::ReadWord()
{
    Need(2);
    const auto v = qFromLittleEndian<quint16>(m_data.constData() + m_pos);
    m_pos += 2;
    return v;
}

std::int32_t TRMReader::ReadInt()
{
    Need(4);
    const auto v = qFromLittleEndian<qint32>(m_data.constData() + m_pos);
    m_pos += 4;
    return v;
}

QByteArray TRMReader::ReadBytes(qint64 count)
{
    Need(count);
    QByteArray out = m_data.mid(m_pos, count);
    m_pos += count;
    return out;
}

QString TRMReader::ReadString()
{
    const int length = ReadWord();
    const QByteArray bytes = ReadBytes(length);
    if (ReadByte() != 0)
        throw TRMStreamError("string without its terminating zero");
    return FromGbk(bytes);
}

QStringList TRMReader::ReadStringList()
{
    const int count = ReadWord();
    // Each line takes at least its 16-bit length; the check keeps a false count from
    // allocating.
    Need(2LL * count);
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && ReadByte() != 13)
            throw TRMStreamError("string list without its line separator");
        const int length = ReadWord();
        lines.append(FromGbk(ReadBytes(length)));
    }
    if (ReadByte() != 0)
        throw TRMStreamError("string list without its terminating zero");
    return lines;
}

QString TRMReader::ReadZeroTerminated()
{
    const qsizetype end = m_data.indexOf('\0', m_pos);
    if (end < 0)
        throw TRMStreamError("text without its terminating zero");
    const QByteArray bytes = m_data.mid(m_pos, end - m_pos);
    m_pos = end + 1;
    return FromGbk(bytes);
}

QString TRMReader::ReadString(const TRMStreamVersion& version)
{
    return version.ZeroTerminatedText() ? ReadZeroTerminated() : ReadString();
}

QStringList TRMReader::ReadStringList(const TRMStreamVersion& version)
{
    if (!version.ZeroTerminatedText())
        return ReadStringList();
    const QString text = ReadZeroTerminated();
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QStringLiteral("\r\n"));
    return lines;
}

int TRMReader::ReadCount(int minRecordSize)
{
    const std::int32_t count = ReadInt();
    if (count < 0 || (minRecordSize > 0 && static_cast<qint64>(count) * minRecordSize > Remaining()))
        throw TRMStreamError("record count larger than the stream");
    return count;
}

} // namespace pq
