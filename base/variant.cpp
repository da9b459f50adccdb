#include "base/variant.h"

#include "base/result_packet.h"

#include <QDateTime>

#include <cmath>

namespace pq {

namespace {
const QDate kEpoch(1899, 12, 30);
}

Variant Variant::Null() { return Variant(Type::Null, std::monostate{}); }
Variant Variant::FromInt(std::int64_t v) { return Variant(Type::Integer, v); }
Variant Variant::FromByte(std::uint8_t v) { return Variant(Type::Byte, std::int64_t(v)); }
Variant Variant::FromFloat(double v) { return Variant(Type::Float, v); }
Variant Variant::FromCurrencyScaled(std::int64_t scaled) { return Variant(Type::Currency, scaled); }
Variant Variant::FromCurrency(double amount)
{
    return Variant(Type::Currency, static_cast<std::int64_t>(std::llround(amount * 10000.0)));
}
Variant Variant::FromDateTime(double days) { return Variant(Type::DateTime, days); }
Variant Variant::FromBool(bool v) { return Variant(Type::Boolean, v); }

Variant Variant::FromArray(const QList<Variant>& items, int lowBound)
{
    auto data = std::make_shared<ArrayData>();
    data->lowBound = lowBound;
    data->items = items;
    return Variant(Type::Array, std::shared_ptr<const ArrayData>(std::move(data)));
}

Variant Variant::FromStrings(const QStringList& items, int lowBound)
{
    QList<Variant> list;
    list.reserve(items.size());
    for (const QString& s : items)
        list.append(Variant(s));
    return FromArray(list, lowBound);
}

Variant Variant::FromPacket(std::shared_ptr<const ResultPacket> packet)
{
    return Variant(Type::Packet, std::move(packet));
}

bool Variant::isNumeric() const
{
    switch (m_type) {
    case Type::Integer:
    case Type::Byte:
    case Type::Float:
    case Type::Currency:
    case Type::DateTime:
    case Type::Boolean:
        return true;
    default:
        return false;
    }
}

bool IsDateTimeInRange(double days)
{
    return std::isfinite(days) && std::fabs(days) <= 3e6;
}

QString DateTimeText(double days)
{
    // Converting the day count of NaN or a huge number to an integer is undefined.
    if (!IsDateTimeInRange(days))
        throw VariantError("Invalid date-time value");
    const double whole = std::floor(days);
    const QDate date = kEpoch.addDays(static_cast<qint64>(whole));
    const qint64 ms = std::llround((days - whole) * 86400000.0);
    if (ms == 0)
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime(0, 0).addMSecs(static_cast<int>(ms % 86400000));
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + time.toString(QStringLiteral("hh:mm:ss"));
}

QString Variant::toText() const
{
    switch (m_type) {
    case Type::Empty:
        return QString();
    case Type::Null:
        throw VariantError("Could not convert variant of type (Null) into type (String)");
    case Type::Integer:
    case Type::Byte:
        return QString::number(std::get<std::int64_t>(m_value));
    case Type::Float:
        return QString::number(std::get<double>(m_value), 'g', 15);
    case Type::Currency: {
        const std::int64_t v = std::get<std::int64_t>(m_value);
        QString s = QString::number(static_cast<double>(v) / 10000.0, 'f', 4);
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
        return s;
    }
    case Type::DateTime:
        return DateTimeText(std::get<double>(m_value));
    case Type::Boolean:
        return std::get<bool>(m_value) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::String:
        return std::get<QString>(m_value);
    case Type::Array:
        throw VariantError("Could not convert variant of type (Array) into type (String)");
    case Type::Packet:
        throw VariantError("Could not convert variant of type (Packet) into type (String)");
    }
    return QString();
}

double Variant::toDouble() const
{
    switch (m_type) {
    case Type::Empty:
        return 0.0;
    case Type::Integer:
    case Type::Byte:
        return static_cast<double>(std::get<std::int64_t>(m_value));
    case Type::Currency:
        return static_cast<double>(std::get<std::int64_t>(m_value)) / 10000.0;
    case Type::Float:
    case Type::DateTime:
        return std::get<double>(m_value);
    case Type::Boolean:
        return std::get<bool>(m_value) ? -1.0 : 0.0;
    case Type::String: {
        bool ok = false;
        const double d = std::get<QString>(m_value).trimmed().toDouble(&ok);
        if (!ok)
            throw VariantError(QStringLiteral("Could not convert variant of type (String) into type (Double): '%1'")
                                   .arg(std::get<QString>(m_value)).toStdString());
        return d;
    }
    default:
        throw VariantError("Invalid variant type conversion");
    }
}

std::int64_t Variant::toInt() const
{
    switch (m_type) {
    case Type::Integer:
    case Type::Byte:
        return std::get<std::int64_t>(m_value);
    case Type::Boolean:
        return std::get<bool>(m_value) ? -1 : 0;
    case Type::String: {
        bool ok = false;
        const qint64 v = std::get<QString>(m_value).trimmed().toLongLong(&ok);
        if (ok)
            return v;
        return static_cast<std::int64_t>(std::llround(toDouble()));
    }
    default: {
        const double d = toDouble();
        return static_cast<std::int64_t>(std::llround(d));
    }
    }
}

bool Variant::toBool() const
{
    switch (m_type) {
    case Type::Boolean:
        return std::get<bool>(m_value);
    case Type::String: {
        const QString s = std::get<QString>(m_value).trimmed();
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        return toDouble() != 0.0;
    }
    default:
        return toDouble() != 0.0;
    }
}

double Variant::toDateTime() const { return toDouble(); }

std::int64_t Variant::currencyScaled() const
{
    if (m_type == Type::Currency)
        return std::get<std::int64_t>(m_value);
    return static_cast<std::int64_t>(std::llround(toDouble() * 10000.0));
}

const Variant::ArrayData& Variant::array() const
{
    if (m_type != Type::Array)
        throw VariantError("Variant is not an array");
    return *std::get<std::shared_ptr<const ArrayData>>(m_value);
}

int Variant::lowBound() const { return array().lowBound; }
int Variant::highBound() const { return array().lowBound + static_cast<int>(array().items.size()) - 1; }
const QList<Variant>& Variant::items() const { return array().items; }

const Variant& Variant::at(int index) const
{
    const ArrayData& a = array();
    const qsizetype i = qsizetype(index) - a.lowBound;
    if (i < 0 || i >= a.items.size())
        throw VariantError("Variant array index out of bounds");
    return a.items.at(i);
}

std::shared_ptr<const ResultPacket> Variant::packet() const
{
    if (m_type != Type::Packet)
        return nullptr;
    return std::get<std::shared_ptr<const ResultPacket>>(m_value);
}

bool Variant::operator==(const Variant& other) const
{
    if (m_type != other.m_type)
        return false;
    switch (m_type) {
    case Type::Array:
        return lowBound() == other.lowBound() && items() == other.items();
    case Type::Packet:
        return packet() == other.packet();
    default:
        return m_value == other.m_value;
    }
}

} // namespace pq
