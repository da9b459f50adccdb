#include "report/engine/expr/function_library.h"

#include "report/engine/expr/aggregates.h"
#include "report/engine/expr/chinese_numbers.h"
#include "report/engine/expr/resolver_host.h"
#include "report/engine/expr/variant_ops.h"

#include "base/rounding.h"

#include <QCoreApplication>

#include <cmath>
#include <vector>

namespace pq {

bool TRMFunctionLibrary::OnFunction(TRMFunctionCaller& caller, const QString& upperName, const QStringList& args,
    Variant& result)
{
    const int index = static_cast<int>(m_list.indexOf(upperName));
    if (index < 0)
        return false;
    DoFunction(index, caller, args, result);
    return true;
}

namespace {

enum StdFn {
    fnSum, fnAvg, fnCount, fnMax, fnMin, fnStrToFloat, fnStrToInt, fnParamStr, fnExtractFilePath,
    fnStringOfChar, fnMonthShort, fnMonthLong, fnSinglNumToBig, fnSmallToBig, fnCurrToBigNum, fnRMRound,
    fnAbs, fnGetControlPropValue,
};

const char* const kStdNames[] = {"SUM", "AVG", "COUNT", "MAX", "MIN", "STRTOFLOAT", "STRTOINT", "PARAMSTR",
    "EXTRACTFILEPATH", "STRINGOFCHAR", "MONTHTOENGLISHSHORT", "MONTHTOENGLISHLONG", "SINGLNUMTOBIG", "SMALLTOBIG",
    "CURRTOBIGNUM", "RMROUND", "ABS", "GETCONTROLPROPVALUE"};

// Number from a text that may be null or empty (both 0); other texts must be numbers.
double NumberOrZero(const Variant& v)
{
    if (v.isNull() || v.isEmpty())
        return 0.0;
    if (v.type() == Variant::Type::String && v.toText().trimmed().isEmpty())
        return 0.0;
    return VarToNumber(v);
}

} // namespace

TRMStdFunctionLibrary::TRMStdFunctionLibrary()
{
    for (const char* n : kStdNames)
        AddFunction(QString::fromLatin1(n));

    static const struct { const char* name; const char* category; const char* args; } catalogue[] = {
        {"Avg", "aggregate", "NSN"}, {"Count", "aggregate", "S"}, {"Max", "aggregate", "NSN"},
        {"Min", "aggregate", "NSN"}, {"Sum", "aggregate", "NSN"},
        {"Date", "date and time", "D"}, {"Day", "date and time", "D"}, {"Month", "date and time", "D"},
        {"StrtoDate", "date and time", "S"}, {"StrtoTime", "date and time", "S"}, {"Time", "date and time", ""},
        {"Year", "date and time", "D"}, {"MonthtoEnglishShort", "date and time", "N"},
        {"MonthtoEnglishLong", "date and time", "N"},
        {"Copy", "string", "SNN"}, {"FormatDateTime", "string", "SE"}, {"FormatFloat", "string", "SV"},
        {"FormatText", "string", "SS"}, {"Length", "string", "S"}, {"LowerCase", "string", "S"},
        {"NameCase", "string", "S"}, {"Pos", "string", "SS"}, {"Str", "string", "N"}, {"Trim", "string", "S"},
        {"UpperCase", "string", "S"}, {"CNumber", "string", "N"}, {"ParamStr", "string", "S"},
        {"ExtractFilePath", "string", "S"}, {"StringOfChar", "string", "SN"}, {"SinglNumToBig", "string", "NN"},
        {"SmallToBig", "string", "N"}, {"CurrToBigNum", "string", "N"},
        {"Dec", "numeric", "N"}, {"Div", "numeric", "NN"}, {"Frac", "numeric", "N"}, {"Inc", "numeric", "N"},
        {"Int", "numeric", "N"}, {"MaxNum", "numeric", "NN"}, {"MinNum", "numeric", "NN"}, {"Mod", "numeric", ""},
        {"Round", "numeric", ""}, {"StrToFloat", "numeric", "S"}, {"RMRound", "numeric", "NN"},
        {"StrToInt", "numeric", "S"}, {"Abs", "numeric", "N"},
        {"IF", "boolean", "BVV"}, {"TRUE", "boolean", ""}, {"FALSE", "boolean", ""}, {"AND", "boolean", ""},
        {"NOT", "boolean", ""}, {"OR", "boolean", ""},
        {"COLUMN#", "other", ""}, {"Input", "other", "SS"}, {"LINE#", "other", ""}, {"LINETHROUGH#", "other", ""},
        {"MessageBox", "other", "SSS"}, {"PAGE#", "other", ""}, {"TOTALPAGES", "other", ""},
        {"GetControlPropValue", "other", "SS"},
        {"Cury", "report", ""}, {"FinalPass", "report", ""}, {"FreeSpace", "report", ""},
        {"ModalResult", "report", ""}, {"mrCancel", "report", ""}, {"mrOK", "report", ""},
        {"NewColumn", "report", ""}, {"NewPage", "report", ""}, {"PageHeight", "report", ""},
        {"PageWidth", "report", ""}, {"Progress", "report", ""}, {"ShowBand", "report", ""},
        {"StopReport", "report", ""},
    };
    int id = 47350;
    for (const auto& c : catalogue)
        AddDescription(QString::fromLatin1(c.name), QString::fromLatin1(c.category), QString::fromLatin1(c.args), id++);
}

void TRMStdFunctionLibrary::DoFunction(int index, TRMFunctionCaller& caller, const QStringList& args, Variant& result)
{
    auto arg = [&](int i) { return caller.Calc(args.value(i)); };
    switch (index) {
    case fnSum:
    case fnAvg:
    case fnCount:
    case fnMax:
    case fnMin: {
        const QString name = List()[index];
        const AggregateCall call = MakeAggregateCall(static_cast<AggregateCode>(AggregateCodeOf(name)), args);
        result = Variant::FromInt(0);
        caller.Host().Aggregate(call, name + QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')'), result);
        break;
    }
    case fnStrToFloat:
        result = Variant::FromFloat(NumberOrZero(arg(0)));
        break;
    case fnStrToInt: {
        const Variant v = arg(0);
        if (v.isNull() || v.isEmpty() || (v.type() == Variant::Type::String && v.toText().trimmed().isEmpty())) {
            result = Variant::FromInt(0);
            break;
        }
        bool ok = false;
        const qlonglong i = VarToText(v).trimmed().toLongLong(&ok);
        if (!ok && v.type() == Variant::Type::String)
            throw VariantError(QStringLiteral("'%1' is not a valid integer value").arg(v.toText()).toStdString());
        result = Variant::FromInt(ok ? i : Round(VarToNumber(v)));
        break;
    }
    case fnParamStr: {
        const QStringList argv = QCoreApplication::arguments();
        const std::int64_t n = Round(NumberOrZero(arg(0)));
        result = Variant(n >= 0 && n < argv.size() ? argv[static_cast<int>(n)] : QString());
        break;
    }
    case fnExtractFilePath: {
        const QString path = VarToText(arg(0));
        const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
        result = Variant(cut < 0 ? QString() : path.left(cut + 1));
        break;
    }
    case fnStringOfChar:
        result = Variant(StringOfChar(VarToText(arg(0)), Round(NumberOrZero(arg(1)))));
        break;
    case fnMonthShort:
        result = Variant(MonthToEnglishShort(Round(NumberOrZero(arg(0)))));
        break;
    case fnMonthLong:
        result = Variant(MonthToEnglishLong(Round(NumberOrZero(arg(0)))));
        break;
    case fnSinglNumToBig: {
        const Variant x = arg(0);
        const std::int64_t n = Round(NumberOrZero(arg(1)));
        const QString text = x.type() == Variant::Type::String ? x.toText() : VarToText(x);
        result = Variant(n >= 1 && n <= 64 ? SinglNumToBig(text, static_cast<int>(n)) : QString());
        break;
    }
    case fnSmallToBig:
        result = Variant(SmallToBig(VarToText(arg(0))));
        break;
    case fnCurrToBigNum: {
        const Variant x = arg(0);
        result = Variant(CurrToBigNumScaled(x.type() == Variant::Type::Currency ? x.currencyScaled()
                                                                                : std::llround(NumberOrZero(x) * 10000.0)));
        break;
    }
    case fnRMRound: {
        const double x = NumberOrZero(arg(0));
        const std::int64_t n = std::clamp<std::int64_t>(Round(NumberOrZero(arg(1))), -15, 15);
        const double scale = std::pow(10.0, static_cast<double>(n));
        result = Variant::FromFloat(static_cast<double>(Round(x * scale)) / scale);
        break;
    }
    case fnAbs: {
        const Variant x = arg(0);
        if (x.isNull()) {
            result = x;
            break;
        }
        result = VarCompare(x, Variant::FromInt(0)) < 0 ? VarNeg(x) : x;
        if (result.type() == Variant::Type::String)
            result = Variant::FromFloat(std::fabs(VarToNumber(x)));
        break;
    }
    case fnGetControlPropValue: {
        Variant v;
        if (caller.Host().GetControlProperty(VarToText(arg(0)), VarToText(arg(1)), v))
            result = v;
        break;
    }
    default:
        break;
    }
}

namespace {

std::vector<std::unique_ptr<TRMFunctionLibrary>>& Libraries()
{
    static std::vector<std::unique_ptr<TRMFunctionLibrary>>* libs = [] {
        static std::vector<std::unique_ptr<TRMFunctionLibrary>> v;
        v.push_back(std::make_unique<TRMStdFunctionLibrary>());
        return &v;
    }();
    return *libs;
}

} // namespace

QList<TRMFunctionLibrary*> RMFunctionLibraries()
{
    QList<TRMFunctionLibrary*> list;
    for (const auto& l : Libraries())
        list.append(l.get());
    return list;
}

void RMRegisterFunctionLibrary(std::unique_ptr<TRMFunctionLibrary> library)
{
    if (!library)
        return;
    auto& libs = Libraries();
    // Through plain references: typeid of a dereferenced smart pointer draws a clang warning.
    const TRMFunctionLibrary& added = *library;
    const std::type_info& cls = typeid(added);
    for (const auto& l : libs) {
        const TRMFunctionLibrary& known = *l;
        if (typeid(known) == cls)
            return;
    }
    libs.push_back(std::move(library));
}

void RMUnregisterFunctionLibrary(const std::type_info& libraryClass)
{
    auto& libs = Libraries();
    for (auto it = libs.begin(); it != libs.end(); ++it) {
        const TRMFunctionLibrary& known = **it;
        if (typeid(known) == libraryClass) {
            libs.erase(it);
            return;
        }
    }
}

} // namespace pq
