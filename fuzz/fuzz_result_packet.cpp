// Result packets as a server might hand them over, however odd (rows shorter or longer than
// the fields, values of any type under any field, duplicate or empty names), into the client
// data set and read back field by field.
#include "fuzz/fuzz_support.h"

#include "base/client_dataset.h"
#include "base/result_packet.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>

namespace {

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_pos >= m_size; }
    std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::int64_t Int()
    {
        std::int64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | Byte();
        return v;
    }
    double Double()
    {
        const std::int64_t bits = Int();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    QString Text()
    {
        const int n = Byte() % 24;
        QByteArray b;
        for (int i = 0; i < n; ++i)
            b += static_cast<char>(Byte());
        return QString::fromUtf8(b);
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

pq::Variant Value(Bytes& in, int depth)
{
    switch (in.Byte() % 11) {
    case 0: return pq::Variant();
    case 1: return pq::Variant::Null();
    case 2: return pq::Variant::FromInt(in.Int());
    case 3: return pq::Variant::FromByte(in.Byte());
    case 4: return pq::Variant::FromFloat(in.Double());
    case 5: return pq::Variant::FromCurrencyScaled(in.Int());
    case 6: return pq::Variant::FromDateTime(in.Double());
    case 7: return pq::Variant::FromBool(in.Byte() & 1);
    case 8: return depth < 2 ? pq::Variant::FromArray({Value(in, depth + 1), Value(in, depth + 1)}) : pq::Variant();
    case 9: return pq::Variant::FromPacket(std::make_shared<pq::ResultPacket>());
    default: return pq::Variant(in.Text());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    pq::FuzzInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes in(data, size);
    pq::Variant given;
    if (in.Byte() % 8 == 0) {
        given = Value(in, 0); // not a packet at all
    } else {
        auto packet = std::make_shared<pq::ResultPacket>();
        const int fields = in.Byte() % 9;
        for (int f = 0; f < fields; ++f) {
            pq::PacketField field;
            field.name = in.Text();
            field.type = static_cast<pq::Variant::Type>(in.Byte() % 11);
            field.size = static_cast<int>(in.Int() % 100000);
            packet->fields << field;
        }
        while (!in.Empty() && packet->rows.size() < 64) {
            QList<pq::Variant> row;
            const int n = in.Byte() % 11;
            for (int i = 0; i < n; ++i)
                row << Value(in, 0);
            packet->rows << row;
        }
        given = pq::Variant::FromPacket(packet);
    }
    pq::ClientDataSet set;
    try {
        set.LoadPacket(given);
    } catch (const std::exception&) {
        return 0;
    }
    for (set.First(); !set.Eof(); set.Next()) {
        for (int f = -1; f <= set.FieldCount(); ++f) {
            try {
                (void)set.Value(f);
                (void)set.Text(f);
                if (f >= 0 && f < set.FieldCount())
                    (void)set.Text(set.Field(f).name);
            } catch (const std::exception&) {
            }
        }
    }
    try {
        set.AppendRecord({QStringLiteral("x"), QStringLiteral("中文")});
    } catch (const std::exception&) {
    }
    return 0;
}
