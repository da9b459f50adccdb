// A tagged value as the application server and the report engine exchange them: empty,
// null, integers, floats, currency, date-times, booleans, text, one-dimensional arrays
// with bounds, and result packets of a query.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <variant>

namespace pq {

struct ResultPacket;

// Thrown when a value cannot be converted to the type asked for.
class VariantError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Variant {
public:
    enum class Type { Empty, Null, Integer, Byte, Float, Currency, DateTime, Boolean, String, Array, Packet };

    struct ArrayData {
        int lowBound = 0;
        QList<Variant> items;
    };

    Variant() = default; // empty
    Variant(const QString& text) : m_type(Type::String), m_value(text) {}
    Variant(QString&& text) : m_type(Type::String), m_value(std::move(text)) {}
    Variant(const char* text) : Variant(QString::fromUtf8(text)) {}

    static Variant Null();
    static Variant FromInt(std::int64_t v);
    static Variant FromByte(std::uint8_t v);
    static Variant FromFloat(double v);
    // Currency is a fixed-point amount with four decimals, held as value × 10000.
    static Variant FromCurrencyScaled(std::int64_t scaled);
    static Variant FromCurrency(double amount);
    // Date-times are days since 1899-12-30, the fraction being the time of day.
    static Variant FromDateTime(double days);
    static Variant FromBool(bool v);
    static Variant FromString(const QString& v) { return Variant(v); }
    static Variant FromArray(const QList<Variant>& items, int lowBound = 0);
    static Variant FromStrings(const QStringList& items, int lowBound = 0);
    static Variant FromPacket(std::shared_ptr<const ResultPacket> packet);

    Type type() const { return m_type; }
    bool isEmpty() const { return m_type == Type::Empty; }
    bool isNull() const { return m_type == Type::Null; }
    bool isArray() const { return m_type == Type::Array; }
    bool isPacket() const { return m_type == Type::Packet; }
    bool isNumeric() const;

    // Conversions; each throws VariantError where no conversion exists (null, arrays and
    // packets have no text form; text that is no number is no number).
    QString toText() const;
    std::int64_t toInt() const;
    double toDouble() const;
    bool toBool() const;
    double toDateTime() const;
    std::int64_t currencyScaled() const;

    // Arrays: bounds of dimension 1 and element access (throws outside the bounds or on a
    // value that is no array).
    int lowBound() const;
    int highBound() const;
    const Variant& at(int index) const;
    const QList<Variant>& items() const;

    std::shared_ptr<const ResultPacket> packet() const;

    bool operator==(const Variant& other) const;

private:
    using Storage = std::variant<std::monostate, std::int64_t, double, bool, QString,
        std::shared_ptr<const ArrayData>, std::shared_ptr<const ResultPacket>>;
    Variant(Type t, Storage s) : m_type(t), m_value(std::move(s)) {}
    const ArrayData& array() const;

    Type m_type = Type::Empty;
    Storage m_value;
};

// Whether days (since 1899-12-30) name a date a date-time may hold: finite and within
// about 8,000 years of the epoch either way.
bool IsDateTimeInRange(double days);

// Text of a date-time held as days since 1899-12-30, "yyyy-MM-dd hh:mm:ss" (the time part
// is left out when it is midnight). A value outside IsDateTimeInRange raises VariantError.
QString DateTimeText(double days);

} // namespace pq
