#include "report/engine/expr/variables.h"

#include <algorithm>

namespace pq {

namespace {
int CompareNames(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive); }
} // namespace

int TRMVariables::LowerBound(const QString& name) const
{
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), name,
        [](const Entry& e, const QString& n) { return CompareNames(e.name, n) < 0; });
    return static_cast<int>(it - m_entries.begin());
}

int TRMVariables::IndexOf(const QString& name) const
{
    if (m_sorted) {
        const int i = LowerBound(name);
        if (i < Count() && CompareNames(m_entries[i].name, name) == 0)
            return i;
        return -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (CompareNames(m_entries[i].name, name) == 0)
            return i;
    return -1;
}

void TRMVariables::SetVariable(const QString& name, const Variant& value)
{
    const int i = IndexOf(name);
    if (i >= 0) {
        m_entries[i].record->value = value;
        return;
    }
    Entry e{name, std::make_unique<TVariable>()};
    e.record->value = value;
    if (m_sorted)
        m_entries.insert(m_entries.begin() + LowerBound(name), std::move(e));
    else
        m_entries.push_back(std::move(e));
}

Variant TRMVariables::GetVariable(const QString& name) const
{
    const int i = IndexOf(name);
    return i >= 0 ? m_entries[i].record->value : Variant();
}

QString TRMVariables::Name(int index) const
{
    if (index < 0 || index >= Count())
        return QString();
    return m_entries[index].name;
}

Variant TRMVariables::Value(int index) const
{
    if (index < 0 || index >= Count())
        return Variant::FromByte(0);
    return m_entries[index].record->value;
}

void TRMVariables::SetValue(int index, const Variant& value)
{
    if (index >= 0 && index < Count())
        m_entries[index].record->value = value;
}

void TRMVariables::SetName(int index, const QString& name)
{
    if (index < 0 || index >= Count())
        return;
    // A rename onto another entry's name would make two entries answer one name.
    const int other = IndexOf(name);
    if (other >= 0 && other != index)
        return;
    m_entries[index].name = name;
    if (m_sorted)
        Sort();
}

void TRMVariables::Delete(int index)
{
    if (index >= 0 && index < Count())
        m_entries.erase(m_entries.begin() + index);
}

void TRMVariables::Sort()
{
    std::stable_sort(m_entries.begin(), m_entries.end(),
        [](const Entry& a, const Entry& b) { return CompareNames(a.name, b.name) < 0; });
}

void TRMVariables::SetSorted(bool sorted)
{
    if (sorted && !m_sorted)
        Sort();
    m_sorted = sorted;
}

QStringList TRMVariables::Names() const
{
    QStringList names;
    for (const Entry& e : m_entries)
        names.append(e.name);
    return names;
}

TRMVariables& RMGlobalVariables()
{
    static TRMVariables globals;
    return globals;
}

namespace {

void FillConstants(TRMVariables& c)
{
    auto add = [&c](const char* name, const Variant& v) { c.SetVariable(QString::fromLatin1(name), v); };
    auto addInt = [&](const char* name, std::int64_t v) { add(name, Variant::FromInt(v)); };
    auto addByte = [&](const char* name, int v) { add(name, Variant::FromByte(static_cast<std::uint8_t>(v))); };

    // Standard colours as 0x00BBGGRR platform colour values.
    static const struct { const char* name; std::int64_t value; } colours[] = {
        {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
        {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
        {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
    };
    for (const auto& col : colours)
        addInt(col.name, col.value);
    addInt("clTransparent", 0x1FFFFFFF);

    // System colours are the platform's colour indexes with the high bit set, in order.
    static const char* const systemColours[] = {"clScrollBar", "clBackground", "clActiveCaption",
        "clInactiveCaption", "clMenu", "clWindow", "clWindowFrame", "clMenuText", "clWindowText",
        "clCaptionText", "clActiveBorder", "clInactiveBorder", "clAppWorkSpace", "clHighlight",
        "clHighlightText", "clBtnFace", "clBtnShadow", "clGrayText", "clBtnText", "clInactiveCaptionText",
        "clBtnHighlight", "cl3DDkShadow", "cl3DLight", "clInfoText", "clInfoBk"};
    for (int i = 0; i < 25; ++i)
        addInt(systemColours[i], std::int64_t(0x80000000u) | i);

    const char* ta[] = {"rmtaLeftJustify", "rmtaRightJustify", "rmtaCenterJustify", "rmtaEuqalJustify"};
    for (int i = 0; i < 4; ++i)
        addByte(ta[i], i);
    const char* tl[] = {"rmtlTop", "rmtlCenter", "rmtlBottom"};
    for (int i = 0; i < 3; ++i)
        addByte(tl[i], i);
    addByte("mrNone", 0); addByte("mrOk", 1); addByte("mrCancel", 2); addByte("mrYes", 6); addByte("mrNo", 7);
    add("CRLF", Variant(QStringLiteral("\r\n")));
    add("Null", Variant::Null());
    addByte("fsBold", 2); addByte("fsItalic", 1); addByte("fsUnderline", 4);
    addByte("RMftNone", 0); addByte("RMftRight", 1); addByte("RMftBottom", 2); addByte("RMftLeft", 4); addByte("RMftTop", 8);
    addByte("RMtaLeft", 0); addByte("RMtaRight", 1); addByte("RMtaCenter", 2); addByte("RMtaVertical", 4);
    addByte("RMtaMiddle", 8); addByte("RMtaDown", 16);
    const char* ba[] = {"baNone", "baLeft", "baRight", "baCenter", "baWidth", "baBottom"};
    for (int i = 0; i < 6; ++i)
        addByte(ba[i], i);
    addByte("psSolid", 0); addByte("psDash", 1); addByte("psDot", 2); addByte("psDashDot", 3);
    addByte("psDashDotDot", 4); addByte("psDouble", 7);
    addByte("rbFirst", 0); addByte("rbCurrent", 1); addByte("rbDefault", 2);
    addByte("reLast", 0); addByte("reCurrent", 1); addByte("reCount", 2); addByte("reDefault", 3);
    addByte("mb_Ok", 0); addByte("mb_OkCancel", 1); addByte("mb_YesNo", 4); addByte("mb_YesNoCancel", 3);
    addByte("mb_IconError", 16); addByte("mb_IconQuestion", 32); addByte("mb_IconInformation", 64);
    addByte("mb_IconWarning", 48);
}

} // namespace

TRMVariables& RMConstants()
{
    static TRMVariables* constants = [] {
        static TRMVariables c;
        c.SetSorted(true);
        FillConstants(c);
        return &c;
    }();
    return *constants;
}

void RMAddCalcMemoConstants()
{
    const char* names[] = {"rmdcSum", "rmdcCount", "rmdcAvg", "rmdcMax", "rmdcMin", "rmdcUser"};
    for (int i = 0; i < 6; ++i)
        RMConstants().SetVariable(QString::fromLatin1(names[i]), Variant::FromByte(static_cast<std::uint8_t>(i)));
}

} // namespace pq
