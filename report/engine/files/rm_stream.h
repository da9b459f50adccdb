// Little-endian byte streams of the report formats. The writer appends to a byte array;
// the reader works over a byte array it never reads past: every read is checked against
// the end and a short or malformed stream raises TRMStreamError instead of reading beyond
// the buffer.
//
// "string": 16-bit length, that many GBK bytes, one zero byte. "string list": 16-bit line
// count, per line a 16-bit length and the bytes, a byte 13 between lines, one final zero
// byte. Formats before version 23 carried zero-terminated text instead (a list as one text
// whose lines are separated by CR LF).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <stdexcept>

namespace pq {

class TRMStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The format version a reader follows: the file's (or page stream's) version byte and the
// combined version × 100 + sub × 10 + sub-sub.
struct TRMStreamVersion {
    int Version = 43;
    int Combined = 4311;

    // Texts as zero-terminated bytes.
    bool ZeroTerminatedText() const { return Version < 23; }
};

class TRMWriter {
public:
    TRMWriter() = default;

    QByteArray Data;

    qint64 Position() const { return Data.size(); }

    void WriteByte(std::uint8_t v);
    void WriteWord(std::uint16_t v);
    void WriteInt(std::int32_t v);
    void WriteUInt(std::uint32_t v) { WriteInt(static_cast<std::int32_t>(v)); }
    // A 16-bit boolean: -1 for true, 0 for false.
    void WriteBool16(bool v) { WriteWord(v ? 0xFFFF : 0); }
    void WriteBytes(const QByteArray& bytes) { Data.append(bytes); }
    // GBK bytes; a text longer than 65535 bytes is cut at a character boundary.
    void WriteString(const QString& text);
    void WriteStringList(const QStringList& lines);

    // Writes a 32-bit zero and returns its position, for PatchInt to fill in later.
    qint64 Placeholder();
    void PatchInt(qint64 position, std::int32_t v);
};

class TRMReader {
public:
    // The reader keeps a copy (implicitly shared, so no bytes are copied).
    explicit TRMReader(QByteArray data);

    qint64 Position() const { return m_pos; }
    qint64 Size() const { return m_data.size(); }
    qint64 Remaining() const { return m_data.size() - m_pos; }
    bool AtEnd() const { return m_pos >= m_data.size(); }
    const QByteArray& Data() const { return m_data; }

    // Throws for a position outside 0..Size().
    void Seek(qint64 position);
    void Skip(qint64 count);
    // Throws unless position lies after the current position and within the stream: an
    // end position a record names must move forward.
    void CheckEndPosition(qint64 position) const;

    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::int16_t ReadShort() { return static_cast<std::int16_t>(ReadWord()); }
    std::int32_t ReadInt();
    std::uint32_t ReadUInt() { return static_cast<std::uint32_t>(ReadInt()); }
    bool ReadBool16() { return ReadWord() != 0; }
    QByteArray ReadBytes(qint64 count);

    QString ReadString(const TRMStreamVersion& version);
    QStringList ReadStringList(const TRMStreamVersion& version);
    // The current layouts, whatever the version.
    QString ReadString();
    QStringList ReadStringList();
    // A zero-terminated text (formats before version 23).
    QString ReadZeroTerminated();

    // A 32-bit count of records that each take at least minRecordSize bytes; throws when
    // the rest of the stream cannot hold that many.
    int ReadCount(int minRecordSize);

private:
    void Need(qint64 count) const;

    QByteArray m_data;
    qint64 m_pos = 0;
};

} // namespace pq
