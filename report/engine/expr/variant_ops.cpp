#include "report/engine/expr/variant_ops.h"

#include "base/rounding.h"

#include <cmath>
#include <limits>

namespace pq {

namespace {

using T = Variant::Type;

enum class Cls { E, N, I, C, F, D, S, Other };

Cls ClassOf(const Variant& v)
{
    switch (v.type()) {
    case T::Empty: return Cls::E;
    case T::Null: return Cls::N;
    case T::Integer:
    case T::Byte:
    case T::Boolean: return Cls::I;
    case T::Currency: return Cls::C;
    case T::Float: return Cls::F;
    case T::DateTime: return Cls::D;
    case T::String: return Cls::S;
    default: return Cls::Other;
    }
}

std::int64_t AsInt(const Variant& v)
{
    if (v.type() == T::Boolean)
        return v.toBool() ? 1 : 0;
    if (v.type() == T::Empty)
        return 0;
    return v.toInt();
}

bool NumericString(const Variant& v, double& out)
{
    return v.type() == T::String && TextToNumber(v.toText(), out);
}

// Widest numeric class of two operands that are numbers (E counts as I, S as F).
Cls Wider(Cls a, Cls b)
{
    auto rank = [](Cls c) {
        switch (c) {
        case Cls::E:
        case Cls::I: return 0;
        case Cls::C: return 1;
        default: return 2;
        }
    };
    const int r = std::max(rank(a), rank(b));
    return r == 0 ? Cls::I : r == 1 ? Cls::C : Cls::F;
}

void RequireValue(const Variant& v)
{
    if (v.isArray() || v.isPacket())
        throw VariantError("Invalid variant operation");
}

enum class Op { Add, Sub, Mul };

Variant Arith(Op op, const Variant& a, const Variant& b)
{
    RequireValue(a);
    RequireValue(b);
    const Cls ca = ClassOf(a), cb = ClassOf(b);
    if (ca == Cls::N || cb == Cls::N)
        return Variant::Null();
    if (ca == Cls::D || cb == Cls::D) {
        const double x = VarToNumber(a), y = VarToNumber(b);
        switch (op) {
        case Op::Add: return Variant::FromDateTime(x + y);
        case Op::Sub:
            if (ca == Cls::D && cb == Cls::D)
                return Variant::FromFloat(x - y);
            return Variant::FromDateTime(x - y);
        case Op::Mul: return Variant::FromFloat(x * y);
        }
    }
    const Cls w = (ca == Cls::S || cb == Cls::S) ? Cls::F : Wider(ca, cb);
    if (w == Cls::I) {
        const std::int64_t x = AsInt(a), y = AsInt(b);
        std::int64_t r = 0;
        bool overflow = false;
        switch (op) {
        case Op::Add: overflow = __builtin_add_overflow(x, y, &r); break;
        case Op::Sub: overflow = __builtin_sub_overflow(x, y, &r); break;
        case Op::Mul: overflow = __builtin_mul_overflow(x, y, &r); break;
        }
        if (!overflow)
            return Variant::FromInt(r);
    }
    const double x = VarToNumber(a), y = VarToNumber(b);
    double r = 0;
    switch (op) {
    case Op::Add: r = x + y; break;
    case Op::Sub: r = x - y; break;
    case Op::Mul: r = x * y; break;
    }
    if (w == Cls::C && std::fabs(r) < 9e14)
        return Variant::FromCurrency(r);
    return Variant::FromFloat(r);
}

} // namespace

bool TextToNumber(const QString& text, double& out)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    out = t.toDouble(&ok);
    return ok && std::isfinite(out);
}

double VarToNumber(const Variant& a)
{
    switch (a.type()) {
    case T::Empty: return 0.0;
    case T::Boolean: return a.toBool() ? 1.0 : 0.0;
    case T::String: {
        double d = 0;
        if (!TextToNumber(a.toText(), d))
            throw VariantError(QStringLiteral("'%1' is not a valid floating point value").arg(a.toText()).toStdString());
        return d;
    }
    case T::Null: throw VariantError("Could not convert variant of type (Null) into type (Double)");
    default: return a.toDouble();
    }
}

QString VarToText(const Variant& a)
{
    if (a.isEmpty() || a.isNull())
        return QString();
    return a.toText();
}

QString VarToTextLenient(const Variant& a)
{
    if (a.isNull() || a.isEmpty())
        return QString();
    try {
        return VarToText(a);
    } catch (const std::exception&) {
        return QString();
    }
}

Variant VarAdd(const Variant& a, const Variant& b)
{
    const Cls ca = ClassOf(a), cb = ClassOf(b);
    if (ca == Cls::N || cb == Cls::N)
        return Variant::Null();
    if ((ca == Cls::S && (cb == Cls::S || cb == Cls::E)) || (ca == Cls::E && cb == Cls::S))
        return Variant(VarToText(a) + VarToText(b));
    if (ca == Cls::S || cb == Cls::S) {
        RequireValue(a);
        RequireValue(b);
        double d = 0;
        if (NumericString(ca == Cls::S ? a : b, d))
            return Variant::FromFloat(VarToNumber(a) + VarToNumber(b));
        return Variant(VarToText(a) + VarToText(b));
    }
    return Arith(Op::Add, a, b);
}

Variant VarSub(const Variant& a, const Variant& b) { return Arith(Op::Sub, a, b); }
Variant VarMul(const Variant& a, const Variant& b) { return Arith(Op::Mul, a, b); }

Variant VarDivide(const Variant& a, const Variant& b)
{
    RequireValue(a);
    RequireValue(b);
    if (a.isNull() || b.isNull())
        return Variant::Null();
    const double y = VarToNumber(b);
    if (y == 0.0)
        return Variant::FromInt(0);
    return Variant::FromFloat(VarToNumber(a) / y);
}

Variant VarMod(const Variant& a, const Variant& b)
{
    RequireValue(a);
    RequireValue(b);
    if (a.isNull() || b.isNull())
        return Variant::Null();
    const double xd = VarToNumber(a), yd = VarToNumber(b);
    // A remainder of a number the 64-bit range cannot hold would be a made-up answer.
    if (!RoundsInto64Bits(xd) || !RoundsInto64Bits(yd))
        throw VariantError("Variant overflow");
    const std::int64_t x = Round(xd);
    const std::int64_t y = Round(yd);
    if (y == 0)
        return Variant::FromInt(0);
    if (y == -1)
        return Variant::FromInt(0); // INT64_MIN % -1 would trap
    return Variant::FromInt(x % y);
}

Variant VarNeg(const Variant& a)
{
    RequireValue(a);
    switch (ClassOf(a)) {
    case Cls::N: return Variant::Null();
    case Cls::E: return Variant::FromInt(0);
    case Cls::I: {
        const std::int64_t v = AsInt(a);
        if (v == std::numeric_limits<std::int64_t>::min())
            return Variant::FromFloat(-static_cast<double>(v));
        return Variant::FromInt(-v);
    }
    case Cls::C: return Variant::FromCurrencyScaled(-a.currencyScaled());
    default: return Variant::FromFloat(-VarToNumber(a));
    }
}

int VarCompare(const Variant& a, const Variant& b)
{
    RequireValue(a);
    RequireValue(b);
    const Cls ca = ClassOf(a), cb = ClassOf(b);
    if (ca == Cls::N || cb == Cls::N) {
        if (ca == cb)
            return 0;
        return ca == Cls::N ? -1 : 1;
    }
    auto sign = [](int c) { return c < 0 ? -1 : c > 0 ? 1 : 0; };
    if ((ca == Cls::S || ca == Cls::E) && (cb == Cls::S || cb == Cls::E) && (ca == Cls::S || cb == Cls::S))
        return sign(QString::compare(VarToText(a), VarToText(b), Qt::CaseSensitive));
    if (ca == Cls::S || cb == Cls::S) {
        double d = 0;
        if (!NumericString(ca == Cls::S ? a : b, d))
            return sign(QString::compare(VarToText(a), VarToText(b), Qt::CaseSensitive));
    }
    if (ca == Cls::I && cb == Cls::I) {
        const std::int64_t x = AsInt(a), y = AsInt(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    const double x = VarToNumber(a), y = VarToNumber(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

bool VarEquals(const Variant& a, const Variant& b) { return VarCompare(a, b) == 0; }

bool VarTruth(const Variant& a)
{
    switch (ClassOf(a)) {
    case Cls::E:
    case Cls::N: return false;
    case Cls::S: {
        const QString s = a.toText().trimmed();
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        return VarToNumber(a) != 0.0;
    }
    case Cls::I: return AsInt(a) != 0;
    case Cls::Other: throw VariantError("Invalid variant operation");
    default: return VarToNumber(a) != 0.0;
    }
}

} // namespace pq
