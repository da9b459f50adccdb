#include "report/engine/rm_memo_views.h"

#include "report/engine/memo/rm_memo.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_engine_state.h"

#include "base/rounding.h"

#include <algorithm>

namespace pq {

// ---- memo ----

TRMMemoView::TRMMemoView()
{
    BaseName = QStringLiteral("Memo");
    Typ = gtMemo;
    Font.Charset = RMGlobals().DefaultCharset;
    SetFlag(flMemoHideZeros, true);
}

void TRMMemoView::ExpandVariables()
{
    Memo1 = RMExpandMemo(*this, Memo, RMEngineServices().MemoServices());
}

void TRMMemoView::ScaleExtraState()
{
    FontScaleWidth = static_cast<std::uint16_t>(Round(FontScaleWidth * ScaleX));
}

// Layout, drawing and the height queries are the memo layout's (memo/rm_memo.h).
void TRMMemoView::Draw(QPainter* canvas)
{
    RMDrawMemo(*this, canvas);
}

int TRMMemoView::CalcHeight()
{
    return RMMemoCalcHeight(*this);
}

int TRMMemoView::MinHeight()
{
    return RMMemoMinHeight(*this);
}

int TRMMemoView::RemainHeight()
{
    return RMMemoRemainHeight(*this);
}

int TRMMemoView::LostHeight()
{
    return RMMemoLostHeight(*this);
}

void TRMMemoView::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    auto i = [&value](std::int64_t fb) { return PropInt(value, fb); };
    if (n == QLatin1String("FONT")) {
        Font.Name = PropText(value);
    } else if (n == QLatin1String("ALIGNMENT"))
        SetHAlign(static_cast<int>(i(HAlign())));
    else if (n == QLatin1String("LAYOUT"))
        SetLayout(static_cast<int>(i(Layout())));
    else if (n == QLatin1String("DISPLAYFORMAT"))
        FormatStr = PropText(value);
    else if (n == QLatin1String("HIGHLIGHT"))
        HighlightCondition = PropText(value);
    else if (n == QLatin1String("LINESPACING"))
        LineSpacing = static_cast<int>(i(LineSpacing));
    else if (n == QLatin1String("CHARSPACING"))
        CharSpacing = static_cast<int>(i(CharSpacing));
    else if (n == QLatin1String("WORDWRAP"))
        SetFlag(flMemoWordwrap, PropBool(value));
    else if (n == QLatin1String("AUTOWIDTH"))
        SetFlag(flMemoAutoWidth, PropBool(value));
    else if (n == QLatin1String("TEXTONLY"))
        SetFlag(flTextOnly, PropBool(value));
    else if (n == QLatin1String("SUPPRESS"))
        SetFlag(flMemoSuppress, PropBool(value));
    else if (n == QLatin1String("HIDEZEROS"))
        SetFlag(flMemoHideZeros, PropBool(value));
    else if (n == QLatin1String("UNDERLINES"))
        SetFlag(flMemoUnderlines, PropBool(value));
    else if (n == QLatin1String("RTLREADING"))
        SetFlag(flMemoRTLReading, PropBool(value));
    else if (n == QLatin1String("WORDBREAK"))
        SetFlag(flMemoWordBreak, PropBool(value));
    else if (n == QLatin1String("MANGETAG"))
        SetExtFlag(flMemoMangeTag, PropBool(value));
    else if (n == QLatin1String("MERGEREPEATED"))
        SetFlag(flMemoMergeRepeated, PropBool(value));
    else if (n == QLatin1String("LASTVALUE"))
        LastValue = PropText(value);
    else if (n == QLatin1String("ROTATIONTYPE")) {
        const std::int64_t r = i(RotationType);
        if (r >= rtNone && r <= rt360)
            RotationType = static_cast<std::uint8_t>(r);
    } else if (n == QLatin1String("SCALEFONTSIZE"))
        SetExtFlag(flMemoScaleFontSize, PropBool(value));
    else if (n == QLatin1String("SCALEFONTTYPE"))
        ScaleFontType = static_cast<std::uint8_t>(i(ScaleFontType) == ByHeight ? ByHeight : ByWidth);
    else if (n == QLatin1String("FONTSCALEWIDTH"))
        FontScaleWidth = static_cast<std::uint16_t>(i(FontScaleWidth));
    else if (n == QLatin1String("PRINTATAPPENDBLANK"))
        SetExtFlag(flMemoPrintAtAppendBlank, PropBool(value));
    else if (n == QLatin1String("DATAFIELDONLY"))
        SetExtFlag(flMemoDataFieldOnly, PropBool(value));
    else if (n == QLatin1String("MASTERMEMOVIEW"))
        MasterMemoView = PropText(value);
    else
        TRMView::SetPropValue(n, value);
}

Variant TRMMemoView::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("FONT"))
        return Variant(Font.Name);
    if (n == QLatin1String("ALIGNMENT"))
        return Variant::FromInt(HAlign());
    if (n == QLatin1String("LAYOUT"))
        return Variant::FromInt(Layout());
    if (n == QLatin1String("DISPLAYFORMAT"))
        return Variant(FormatStr);
    if (n == QLatin1String("HIGHLIGHT"))
        return Variant(HighlightCondition);
    if (n == QLatin1String("LINESPACING"))
        return Variant::FromInt(LineSpacing);
    if (n == QLatin1String("CHARSPACING"))
        return Variant::FromInt(CharSpacing);
    if (n == QLatin1String("WORDWRAP"))
        return Variant::FromBool(HasFlag(flMemoWordwrap));
    if (n == QLatin1String("AUTOWIDTH"))
        return Variant::FromBool(HasFlag(flMemoAutoWidth));
    if (n == QLatin1String("TEXTONLY"))
        return Variant::FromBool(HasFlag(flTextOnly));
    if (n == QLatin1String("SUPPRESS"))
        return Variant::FromBool(HasFlag(flMemoSuppress));
    if (n == QLatin1String("HIDEZEROS"))
        return Variant::FromBool(HasFlag(flMemoHideZeros));
    if (n == QLatin1String("LINES.COUNT"))
        return Variant::FromInt(Memo.size());
    if (n == QLatin1String("LINES1.COUNT"))
        return Variant::FromInt(Memo1.size());
    if (n == QLatin1String("UNDERLINES"))
        return Variant::FromBool(HasFlag(flMemoUnderlines));
    if (n == QLatin1String("RTLREADING"))
        return Variant::FromBool(HasFlag(flMemoRTLReading));
    if (n == QLatin1String("WORDBREAK"))
        return Variant::FromBool(HasFlag(flMemoWordBreak));
    if (n == QLatin1String("MANGETAG"))
        return Variant::FromBool(HasExtFlag(flMemoMangeTag));
    if (n == QLatin1String("CALCVALUE"))
        return Variant::Null();
    if (n == QLatin1String("MERGEREPEATED"))
        return Variant::FromBool(HasFlag(flMemoMergeRepeated));
    if (n == QLatin1String("LASTVALUE"))
        return Variant(LastValue);
    if (n == QLatin1String("ROTATIONTYPE"))
        return Variant::FromInt(RotationType);
    if (n == QLatin1String("SCALEFONTSIZE"))
        return Variant::FromBool(HasExtFlag(flMemoScaleFontSize));
    if (n == QLatin1String("SCALEFONTTYPE"))
        return Variant::FromInt(ScaleFontType);
    if (n == QLatin1String("FONTSCALEWIDTH"))
        return Variant::FromInt(FontScaleWidth);
    if (n == QLatin1String("PRINTATAPPENDBLANK"))
        return Variant::FromBool(HasExtFlag(flMemoPrintAtAppendBlank));
    if (n == QLatin1String("DATAFIELDONLY"))
        return Variant::FromBool(HasExtFlag(flMemoDataFieldOnly));
    if (n == QLatin1String("VALUECHANGED"))
        return Variant::FromBool(Memo1.join(QLatin1String("\r\n")) != LastValue);
    if (n == QLatin1String("MASTERMEMOVIEW"))
        return Variant(MasterMemoView);
    return TRMView::GetPropValue(n);
}

void TRMMemoView::RegisterProperties()
{
    TRMView::RegisterProperties();
    AddProperty(QStringLiteral("Font"), rmdtHasEditor);
    AddEnumProperty(QStringLiteral("Alignment"),
        QStringLiteral("rmtaLeftJustify;rmtaRightJustify;rmtaCenterJustify;rmtaEuqalJustify"),
        {Variant::FromInt(0), Variant::FromInt(1), Variant::FromInt(2), Variant::FromInt(3)});
    AddEnumProperty(QStringLiteral("Layout"), QStringLiteral("rmtlTop;rmtlCenter;rmtlBottom"),
        {Variant::FromInt(0), Variant::FromInt(1), Variant::FromInt(2)});
    AddProperty(QStringLiteral("DisplayFormat"), rmdtHasEditor);
    AddProperty(QStringLiteral("Highlight"), rmdtHasEditor);
    AddProperty(QStringLiteral("LineSpacing"), rmdtInteger);
    AddProperty(QStringLiteral("CharSpacing"), rmdtInteger);
    for (const char* b : {"Wordwrap", "AutoWidth", "TextOnly", "Suppress", "HideZeros",
             "Underlines", "RTLReading", "WordBreak", "MangeTag", "MergeRepeated", "ScaleFontSize",
             "PrintAtAppendBlank", "DataFieldOnly"})
        AddProperty(QString::fromLatin1(b), rmdtBoolean);
    AddProperty(QStringLiteral("MasterMemoView"), rmdtString);
}

// ---- calculated memo ----

TRMCalcMemoView::TRMCalcMemoView()
{
    BaseName = QStringLiteral("CalcMemo");
    Typ = gtCalcMemo;
    SetStretched(false);
    SetFlag(flMemoWordwrap, false);
    RMRegisterCalcMemoConstants();
}

void TRMCalcMemoView::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("CALCVALUE"))
        TotalValue = PropFloat(value, TotalValue);
    else
        TRMMemoView::SetPropValue(n, value);
}

Variant TRMCalcMemoView::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("CALCVALUE"))
        return Variant::FromFloat(TotalValue);
    return TRMMemoView::GetPropValue(n);
}

Variant TRMCalcMemoView::DoMethod(const QString& name, const QList<Variant>& args)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("RESET")) {
        Reset();
        return Variant::Null();
    }
    return TRMMemoView::DoMethod(n, args);
}

// ---- money ----

TRMMoneyView::TRMMoneyView()
{
    BaseName = QStringLiteral("MoneyMemo");
    Typ = gtMoney;
    IntegerPlaceNames = QStringList{QStringLiteral("元"), QStringLiteral("十"), QStringLiteral("百"),
        QStringLiteral("千"), QStringLiteral("万"), QStringLiteral("十"), QStringLiteral("百"),
        QStringLiteral("千"), QStringLiteral("亿"), QStringLiteral("十"), QStringLiteral("百"),
        QStringLiteral("千"), QStringLiteral("万"), QStringLiteral("兆"), QStringLiteral("十")};
    DecimalPlaceNames = QStringList{QStringLiteral("角"), QStringLiteral("分"), QStringLiteral("厘"),
        QStringLiteral("毫"), QStringLiteral("微")};
}

void TRMMoneyView::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    if (n == QStringLiteral(" 标题"))
        TitleMode = PropBool(value);
    else if (n == QStringLiteral(" 货币符号"))
        CurrencySymbol = PropText(value);
    else if (n == QStringLiteral(" 数字位数"))
        Digits = static_cast<int>(std::max<std::int64_t>(1, PropInt(value, Digits)));
    else if (n == QStringLiteral(" 小数点位数"))
        Decimals = static_cast<int>(std::max<std::int64_t>(0, PropInt(value, Decimals)));
    else if (n == QStringLiteral(" 分割线宽度"))
        LineWidth = static_cast<int>(PropInt(value, LineWidth));
    else if (n == QStringLiteral(" 分割线颜色"))
        LineColor = static_cast<std::uint32_t>(PropInt(value, LineColor));
    else if (n == QStringLiteral(" 千位分割线颜色"))
        ThousandsLineColor = static_cast<std::uint32_t>(PropInt(value, ThousandsLineColor));
    else if (n == QStringLiteral(" 小数点分割线颜色"))
        DecimalLineColor = static_cast<std::uint32_t>(PropInt(value, DecimalLineColor));
    else
        TRMMemoView::SetPropValue(n, value);
}

Variant TRMMoneyView::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    if (n == QStringLiteral(" 标题"))
        return Variant::FromBool(TitleMode);
    if (n == QStringLiteral(" 货币符号"))
        return Variant(CurrencySymbol);
    if (n == QStringLiteral(" 数字位数"))
        return Variant::FromInt(Digits);
    if (n == QStringLiteral(" 小数点位数"))
        return Variant::FromInt(Decimals);
    if (n == QStringLiteral(" 分割线宽度"))
        return Variant::FromInt(LineWidth);
    if (n == QStringLiteral(" 分割线颜色"))
        return Variant::FromInt(LineColor);
    if (n == QStringLiteral(" 千位分割线颜色"))
        return Variant::FromInt(ThousandsLineColor);
    if (n == QStringLiteral(" 小数点分割线颜色"))
        return Variant::FromInt(DecimalLineColor);
    return TRMMemoView::GetPropValue(n);
}

// ---- diagonal ----

TRMDiagonalView::TRMDiagonalView()
{
    BaseName = QStringLiteral("Diagonal");
    Typ = gtAddIn;
}

void TRMDiagonalView::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    if (n == QStringLiteral(" 分割线宽度"))
        DiagonalLineWidth = static_cast<int>(PropInt(value, DiagonalLineWidth));
    else if (n == QStringLiteral(" 分割线颜色"))
        DiagonalLineColor = static_cast<std::uint32_t>(PropInt(value, DiagonalLineColor));
    else
        TRMMemoView::SetPropValue(n, value);
}

Variant TRMDiagonalView::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    if (n == QStringLiteral(" 分割线宽度"))
        return Variant::FromInt(DiagonalLineWidth);
    if (n == QStringLiteral(" 分割线颜色"))
        return Variant::FromInt(DiagonalLineColor);
    return TRMMemoView::GetPropValue(n);
}

} // namespace pq
