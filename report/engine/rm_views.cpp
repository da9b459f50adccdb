#include "report/engine/rm_views.h"

#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_globals.h"

#include "base/rounding.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace pq {

namespace {

QFont ToQFont(const TRMFont& f, double scaleY)
{
    QFont font(f.Name);
    font.setPixelSize(std::max(1, static_cast<int>(Round(f.Size * 96.0 / 72.0 * scaleY))));
    font.setItalic(f.Style & TRMFont::fsItalic);
    font.setBold(f.Style & TRMFont::fsBold);
    font.setUnderline(f.Style & TRMFont::fsUnderline);
    font.setStrikeOut(f.Style & TRMFont::fsStrikeOut);
    return font;
}

TRMMemoView::TExpander& Expander()
{
    static TRMMemoView::TExpander expander;
    return expander;
}

} // namespace

// ---- memo ----

TRMMemoView::TRMMemoView()
{
    BaseName = QStringLiteral("Memo");
    Typ = gtMemo;
    Font.Charset = RMGlobals().DefaultCharset;
    SetFlag(flMemoHideZeros, true);
}

void TRMMemoView::SetExpander(TExpander expander)
{
    Expander() = std::move(expander);
}

namespace {
TRMMemoView::TDriver*& DriverSlot()
{
    static TRMMemoView::TDriver* driver = nullptr;
    return driver;
}
} // namespace

void TRMMemoView::SetDriver(TDriver* driver)
{
    DriverSlot() = driver;
}

TRMMemoView::TDriver* TRMMemoView::Driver()
{
    return DriverSlot();
}

void TRMMemoView::ExpandVariables()
{
    Memo1 = Expander() ? Expander()(*this, Memo) : Memo;
}

void TRMMemoView::ScaleExtraState()
{
    FontScaleWidth = static_cast<std::uint16_t>(Round(FontScaleWidth * ScaleX));
}

int TRMMemoView::OneLineHeight() const
{
    const QFontMetrics fm(ToQFont(Font, 1.0));
    return fm.height() + LineSpacing;
}

int TRMMemoView::CalcHeight()
{
    if (TDriver* d = Driver())
        return d->CalcHeight(*this);
    const QStringList& lines = Memo1.isEmpty() ? Memo : Memo1;
    const int frames = static_cast<int>(Round((TopFrame.Visible ? TopFrame.Width : 0)
        + (BottomFrame.Visible ? BottomFrame.Width : 0)));
    return static_cast<int>(lines.size()) * OneLineHeight() + 2 * Gapy + frames;
}

int TRMMemoView::MinHeight()
{
    if (TDriver* d = Driver())
        return d->MinHeight(*this);
    return OneLineHeight();
}

int TRMMemoView::RemainHeight()
{
    if (TDriver* d = Driver())
        return d->RemainHeight(*this);
    const int line = OneLineHeight();
    const int usable = Height - 2 * Gapy;
    if (line <= 0 || usable <= 0)
        return std::max(0, Height);
    return usable % line;
}

int TRMMemoView::LostHeight()
{
    if (TDriver* d = Driver())
        return d->LostHeight(*this);
    return std::max(0, CalcHeight() - Height);
}

void TRMMemoView::Draw(QPainter* canvas)
{
    if (TDriver* d = Driver()) {
        d->Draw(*this, canvas);
        return;
    }
    Canvas = canvas;
    BeginDraw();
    ShowBackground();
    if (Canvas && !Memo1.isEmpty()) {
        QPainter& p = *Canvas;
        p.save();
        p.setFont(ToQFont(Font, ScaleY));
        p.setPen(RMColor(Font.Color));
        const QRect text = DrawRect.adjusted(Gapx, Gapy, -Gapx, -Gapy);
        int h = Qt::AlignLeft;
        if (HAlign() == 1)
            h = Qt::AlignRight;
        else if (HAlign() == 2)
            h = Qt::AlignHCenter;
        else if (HAlign() == 3)
            h = Qt::AlignJustify;
        int v = Qt::AlignTop;
        if (Layout() == 1)
            v = Qt::AlignVCenter;
        else if (Layout() == 2)
            v = Qt::AlignBottom;
        const int wrap = HasFlag(flMemoWordwrap) ? Qt::TextWordWrap : 0;
        p.setClipRect(DrawRect);
        p.drawText(text, h | v | wrap, Memo1.join(QLatin1Char('\n')));
        p.restore();
    }
    ShowFrame();
    EndDraw();
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

// ---- line ----

TRMLineView::TRMLineView()
{
    BaseName = QStringLiteral("Line");
    Typ = gtLine;
    MemoVersion = 0;
    LeftFrame.Visible = true;
    FillColor = 0xFFFFFF;
}

void TRMLineView::Draw(QPainter* canvas)
{
    Canvas = canvas;
    BeginDraw();
    if (Canvas) {
        // The direction follows from which extent is zero: a vertical line keeps its left
        // side, a horizontal one is drawn along its top.
        QPen pen(RMColor(LeftFrame.Color));
        pen.setWidthF(std::max(1.0f, LeftFrame.Width));
        Canvas->save();
        Canvas->setPen(pen);
        if (Width == 0)
            Canvas->drawLine(Left, Top, Left, Top + Height);
        else
            Canvas->drawLine(Left, Top, Left + Width, Top);
        Canvas->restore();
    }
    EndDraw();
}

// ---- rich ----

TRMRichView::TRMRichView()
{
    BaseName = QStringLiteral("Rich");
    Typ = gtAddIn;
}

void TRMRichView::Draw(QPainter* canvas)
{
    Canvas = canvas;
    BeginDraw();
    ShowBackground();
    ShowFrame();
    EndDraw();
}

// ---- band view ----

TRMBandView::TRMBandView()
{
    BaseName = QStringLiteral("Band");
    Typ = gtBand;
    ObjectVersion = 0;
    MemoVersion = 0;
    Selected = false; // bands are never waiting to be assigned to a band
    Flags = flBandOnFirstPage | flBandOnLastPage | flBandPrintColFirst;
    LineKind = btNone;
}

void TRMBandView::SetColumns(int columns)
{
    Columns = std::min(columns, kMaxColumns);
}

void TRMBandView::SetBandFlag(int bit, bool on)
{
    SetFlag(bit, on);
    if (bit == flBandRepeatHeader1 && on
        && (BandType() == btPageHeader || BandType() == btColumnHeader))
        SetFlag(flBandRepeatHeader, true);
}

namespace {

struct BandFlagName {
    const char* name;
    int bit;
};
const BandFlagName kBandFlagNames[] = {
    {"STRETCHED", flBandStretched}, {"FORMNEWPAGE", flBandFormNewPage},
    {"PRINTIFSUBSETEMPTY", flBandPrintIfSubsetEmpty}, {"BREAKED", flBandBreaked},
    {"ONFIRSTPAGE", flBandOnFirstPage}, {"ONLASTPAGE", flBandOnLastPage},
    {"REPEATHEADER", flBandRepeatHeader}, {"PRINTCHILDIFINVISIBLE", flBandPrintChildIfInvisible},
    {"AUTOAPPENDBLANK", flBandAutoAppendBlank}, {"ADJUSTCOLUMNS", flBandAdjustColumns},
    {"PRINTCOLFIRST", flBandPrintColFirst}, {"REPEATHEADER1", flBandRepeatHeader1},
    {"PRINTIFEMPTY", flBandPrintIfEmpty}, {"PRINTATDESIGNPOS", flBandPrintAtDesignPos},
};

int BandFlagBit(const QString& n)
{
    for (const BandFlagName& f : kBandFlagNames)
        if (n == QLatin1String(f.name))
            return f.bit;
    return 0;
}

} // namespace

void TRMBandView::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    auto i = [&value](std::int64_t fb) { return PropInt(value, fb); };
    // While a page is prepared, geometry and visibility address the run-time band.
    TRMBand* rt = RMCurrent().CurReport && RMEngineState().Preparing ? RunBand : nullptr;
    if (rt) {
        if (n == QLatin1String("LEFT")) { rt->Left = static_cast<int>(i(rt->Left)); return; }
        if (n == QLatin1String("TOP")) { rt->CurTop = static_cast<int>(i(rt->CurTop)); return; }
        if (n == QLatin1String("WIDTH")) { rt->Width = static_cast<int>(i(rt->Width)); return; }
        if (n == QLatin1String("HEIGHT")) { rt->Height = static_cast<int>(i(rt->Height)); return; }
        if (n == QLatin1String("VISIBLE")) { rt->Visible = PropBool(value); return; }
    }
    if (const int bit = BandFlagBit(n)) {
        SetBandFlag(bit, PropBool(value));
        return;
    }
    if (n == QLatin1String("CHILDBAND"))
        ChildBand = PropText(value);
    else if (n == QLatin1String("DATASOURCE") || n == QLatin1String("CONDITION"))
        FormatStr = PropText(value);
    else if (n == QLatin1String("COLUMNS"))
        SetColumns(static_cast<int>(i(Columns)));
    else if (n == QLatin1String("COLUMNWIDTH"))
        ColumnWidth = static_cast<int>(i(ColumnWidth));
    else if (n == QLatin1String("COLUMNGAP"))
        ColumnGap = static_cast<int>(i(ColumnGap));
    else if (n == QLatin1String("NEWCOLUMNAFTER"))
        NewColumnAfter = static_cast<int>(i(NewColumnAfter));
    else if (n == QLatin1String("LINESPERPAGE") || n == QLatin1String("GROUPSPERPAGE"))
        LinesPerPage = static_cast<std::uint16_t>(i(LinesPerPage));
    else if (n == QLatin1String("RANGEBEGIN")) {
        const std::int64_t r = i(RangeBegin);
        if (r >= rbFirst && r <= rbDefault)
            RangeBegin = static_cast<std::uint8_t>(r);
    } else if (n == QLatin1String("RANGEEND")) {
        const std::int64_t r = i(RangeEnd);
        if (r >= reLast && r <= reDefault)
            RangeEnd = static_cast<std::uint8_t>(r);
    } else if (n == QLatin1String("RANGEENDCOUNT"))
        RangeEndCount = static_cast<int>(i(RangeEndCount));
    else if (n == QLatin1String("NEWPAGECONDITION"))
        Tag = PropText(value);
    else if (n == QLatin1String("MASTER"))
        Master = PropText(value);
    else
        TRMView::SetPropValue(n, value);
}

Variant TRMBandView::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    TRMBand* rt = RMCurrent().CurReport && RMEngineState().Preparing ? RunBand : nullptr;
    if (rt) {
        if (n == QLatin1String("LEFT"))
            return Variant::FromInt(rt->Left);
        if (n == QLatin1String("TOP"))
            return Variant::FromInt(rt->CurTop);
        if (n == QLatin1String("WIDTH"))
            return Variant::FromInt(rt->Width);
        if (n == QLatin1String("HEIGHT"))
            return Variant::FromInt(rt->Height);
        if (n == QLatin1String("VISIBLE"))
            return Variant::FromBool(rt->Visible);
    }
    if (const int bit = BandFlagBit(n))
        return Variant::FromBool(HasFlag(bit));
    if (n == QLatin1String("CHILDBAND"))
        return Variant(ChildBand);
    if (n == QLatin1String("DATASOURCE") || n == QLatin1String("CONDITION"))
        return Variant(FormatStr);
    if (n == QLatin1String("COLUMNS"))
        return Variant::FromInt(Columns);
    if (n == QLatin1String("COLUMNWIDTH"))
        return Variant::FromInt(ColumnWidth);
    if (n == QLatin1String("COLUMNGAP"))
        return Variant::FromInt(ColumnGap);
    if (n == QLatin1String("NEWCOLUMNAFTER"))
        return Variant::FromInt(NewColumnAfter);
    if (n == QLatin1String("LINESPERPAGE") || n == QLatin1String("GROUPSPERPAGE"))
        return Variant::FromInt(LinesPerPage);
    if (n == QLatin1String("RANGEBEGIN"))
        return Variant::FromInt(RangeBegin);
    if (n == QLatin1String("RANGEEND"))
        return Variant::FromInt(RangeEnd);
    if (n == QLatin1String("RANGEENDCOUNT"))
        return Variant::FromInt(RangeEndCount);
    if (n == QLatin1String("NEWPAGECONDITION"))
        return Variant(Tag);
    if (n == QLatin1String("MASTER"))
        return Variant(Master);
    if (n == QLatin1String("ROWNO") || n == QLatin1String("ROWCOUNT") || n == QLatin1String("EOF")) {
        TRMDataset* ds = RunBand ? RunBand->DataSet : nullptr;
        if (!ds)
            return n == QLatin1String("EOF") ? Variant::FromBool(true) : Variant::FromInt(0);
        if (n == QLatin1String("ROWNO"))
            return Variant::FromInt(ds->RecNo + 1);
        if (n == QLatin1String("ROWCOUNT"))
            return Variant::FromInt(ds->RecordCount());
        return Variant::FromBool(ds->Eof());
    }
    return TRMView::GetPropValue(n);
}

Variant TRMBandView::DoMethod(const QString& name, const QList<Variant>& args)
{
    const QString n = name.toUpper();
    TRMDataset* ds = RunBand ? RunBand->DataSet : nullptr;
    if (n == QLatin1String("FIRST") || n == QLatin1String("NEXT") || n == QLatin1String("PRIOR")
        || n == QLatin1String("MOVEBY")) {
        if (!ds)
            return Variant::Null();
        if (n == QLatin1String("FIRST"))
            ds->First();
        else if (n == QLatin1String("NEXT"))
            ds->Next();
        else if (n == QLatin1String("PRIOR"))
            ds->Prior();
        else {
            const std::int64_t by = args.isEmpty() ? 0 : PropInt(args.first(), 0);
            for (std::int64_t k = 0; k < by && !ds->Eof(); ++k)
                ds->Next();
            for (std::int64_t k = 0; k > by; --k)
                ds->Prior();
        }
        return Variant::Null();
    }
    return TRMView::DoMethod(n, args);
}

void TRMBandView::RegisterProperties()
{
    ClearPropList();
    AddProperty(QStringLiteral("Name"), rmdtString | rmdtOneObject);
    AddProperty(QStringLiteral("Top"), rmdtSize);
    AddProperty(QStringLiteral("Height"), rmdtSize);
    for (const BandFlagName& f : kBandFlagNames)
        AddProperty(QString::fromLatin1(f.name), rmdtBoolean);
    AddProperty(QStringLiteral("ChildBand"), rmdtHasEditor);
    AddProperty(QStringLiteral("DataSource"), rmdtHasEditor);
    AddProperty(QStringLiteral("Columns"), rmdtInteger);
    AddProperty(QStringLiteral("ColumnWidth"), rmdtSize);
    AddProperty(QStringLiteral("ColumnGap"), rmdtSize);
    AddProperty(QStringLiteral("NewColumnAfter"), rmdtInteger);
    AddProperty(QStringLiteral("LinesPerPage"), rmdtInteger);
    AddEnumProperty(QStringLiteral("RangeBegin"), QStringLiteral("rbFirst;rbCurrent;rbDefault"),
        {Variant::FromInt(0), Variant::FromInt(1), Variant::FromInt(2)});
    AddEnumProperty(QStringLiteral("RangeEnd"), QStringLiteral("reLast;reCurrent;reCount;reDefault"),
        {Variant::FromInt(0), Variant::FromInt(1), Variant::FromInt(2), Variant::FromInt(3)});
    AddProperty(QStringLiteral("RangeEndCount"), rmdtInteger);
    AddProperty(QStringLiteral("NewPageCondition"), rmdtHasEditor);
    AddProperty(QStringLiteral("Condition"), rmdtHasEditor);
    AddProperty(QStringLiteral("Master"), rmdtHasEditor);
}

void TRMBandView::Draw(QPainter* canvas)
{
    // Bands are design rectangles: drawn in the designer only, as a light outline.
    Canvas = canvas;
    if (!Canvas || !RMEngineState().Designing)
        return;
    Canvas->save();
    Canvas->setPen(QPen(Qt::gray, 1, Qt::DotLine));
    Canvas->drawRect(Left, Top, Width, Height);
    Canvas->restore();
}

// ---- sub-report ----

TRMSubReportView::TRMSubReportView()
{
    BaseName = QStringLiteral("SubReport");
    Typ = gtSubReport;
    MemoVersion = 0;
}

void TRMSubReportView::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("SUBPAGE"))
        SubPage = static_cast<int>(PropInt(value, SubPage));
    else
        TRMView::SetPropValue(n, value);
}

Variant TRMSubReportView::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("SUBPAGE"))
        return Variant::FromInt(SubPage);
    return TRMView::GetPropValue(n);
}

void TRMSubReportView::Draw(QPainter* canvas)
{
    Canvas = canvas;
    BeginDraw();
    ShowBackground();
    ShowFrame();
    EndDraw();
}

// ---- picture ----

TRMPictureView::TRMPictureView()
{
    BaseName = QStringLiteral("Picture");
    Typ = gtPicture;
    MemoVersion = 0;
    Flags = flPictStretched | flPictKeepAspect;
    RMRegisterConstants({{QStringLiteral("btBMP"), btBMP}, {QStringLiteral("btJPG"), btJPG},
        {QStringLiteral("btICO"), btICO}, {QStringLiteral("btWMF"), btWMF},
        {QStringLiteral("btGIF"), btGIF}});
}

void TRMPictureView::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("STRETCHED"))
        SetFlag(flPictStretched, PropBool(value));
    else if (n == QLatin1String("CENTER"))
        SetFlag(flPictCenter, PropBool(value));
    else if (n == QLatin1String("KEEPASPECT"))
        SetFlag(flPictKeepAspect, PropBool(value));
    else if (n == QLatin1String("TRANSPARENT"))
        SetFlag(flPictTransparent, PropBool(value));
    else if (n == QLatin1String("DATAFIELD"))
        DataField = PropText(value);
    else if (n == QLatin1String("BLOBTYPE")) {
        const std::int64_t b = PropInt(value, BlobType);
        if (b >= btBMP && b <= btGIF)
            BlobType = static_cast<std::uint8_t>(b);
    } else
        TRMView::SetPropValue(n, value);
}

Variant TRMPictureView::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("STRETCHED"))
        return Variant::FromBool(HasFlag(flPictStretched));
    if (n == QLatin1String("CENTER"))
        return Variant::FromBool(HasFlag(flPictCenter));
    if (n == QLatin1String("KEEPASPECT"))
        return Variant::FromBool(HasFlag(flPictKeepAspect));
    if (n == QLatin1String("TRANSPARENT"))
        return Variant::FromBool(HasFlag(flPictTransparent));
    if (n == QLatin1String("DATAFIELD"))
        return Variant(DataField);
    if (n == QLatin1String("BLOBTYPE"))
        return Variant::FromInt(BlobType);
    return TRMView::GetPropValue(n);
}

Variant TRMPictureView::DoMethod(const QString& name, const QList<Variant>& args)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("LOADFROMFILE")) {
        QImage image;
        const bool ok = !args.isEmpty() && image.load(PropText(args.first()));
        if (ok)
            Picture = image;
        return Variant::FromBool(ok);
    }
    return TRMView::DoMethod(n, args);
}

void TRMPictureView::Draw(QPainter* canvas)
{
    Canvas = canvas;
    BeginDraw();
    ShowBackground();
    if (Canvas && !Picture.isNull()) {
        QRect target = DrawRect;
        QSize size = Picture.size();
        if (HasFlag(flPictStretched)) {
            size = HasFlag(flPictKeepAspect) ? size.scaled(target.size(), Qt::KeepAspectRatio)
                                             : target.size();
        }
        QRect r(target.topLeft(), size);
        if (HasFlag(flPictCenter))
            r.moveCenter(target.center());
        Canvas->save();
        Canvas->setClipRect(target);
        Canvas->drawImage(r, Picture);
        Canvas->restore();
    }
    ShowFrame();
    EndDraw();
}

// ---- shape ----

TRMShapeView::TRMShapeView()
{
    BaseName = QStringLiteral("Shape");
    Typ = gtAddIn;
    MemoVersion = 0;
    RMRegisterConstants({{QStringLiteral("skRectangle"), skRectangle},
        {QStringLiteral("skRoundRectangle"), skRoundRectangle}, {QStringLiteral("skEllipse"), skEllipse},
        {QStringLiteral("skTriangle"), skTriangle}, {QStringLiteral("skDiagonal1"), skDiagonal1},
        {QStringLiteral("skDiagonal2"), skDiagonal2}, {QStringLiteral("skSquare"), skSquare},
        {QStringLiteral("skRoundSquare"), skRoundSquare}, {QStringLiteral("skCircle"), skCircle},
        {QStringLiteral("pmBlack"), 0}, {QStringLiteral("pmWhite"), 1}, {QStringLiteral("pmNop"), 2},
        {QStringLiteral("pmNot"), 3}, {QStringLiteral("pmCopy"), 4}, {QStringLiteral("pmNotCopy"), 5},
        {QStringLiteral("pmMergePenNot"), 6}, {QStringLiteral("pmMaskPenNot"), 7},
        {QStringLiteral("pmMergeNotPen"), 8}, {QStringLiteral("pmMaskNotPen"), 9},
        {QStringLiteral("pmNotMerge"), 11}, {QStringLiteral("pmMask"), 12},
        {QStringLiteral("pmNotMask"), 13}, {QStringLiteral("pmXor"), 14},
        {QStringLiteral("pmNotXor"), 15}});
}

void TRMShapeView::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("SHAPE"))
        Shape = static_cast<std::uint8_t>(PropInt(value, Shape));
    else if (n == QLatin1String("PENMODE"))
        PenMode = static_cast<std::uint8_t>(PropInt(value, PenMode));
    else
        TRMView::SetPropValue(n, value);
}

Variant TRMShapeView::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("SHAPE"))
        return Variant::FromInt(Shape);
    if (n == QLatin1String("PENMODE"))
        return Variant::FromInt(PenMode);
    return TRMView::GetPropValue(n);
}

void TRMShapeView::Draw(QPainter* canvas)
{
    Canvas = canvas;
    BeginDraw();
    if (Canvas) {
        QPainter& p = *Canvas;
        p.save();
        QPen pen(RMColor(LeftFrame.Color));
        pen.setWidthF(std::max(1.0f, LeftFrame.Width));
        p.setPen(pen);
        p.setBrush(FillColor == kNoColor ? QBrush(Qt::NoBrush) : QBrush(RMColor(FillColor)));
        QRect r(Left, Top, Width, Height);
        if (Shape >= skSquare) {
            const int side = std::min(Width, Height);
            r = QRect(Left + (Width - side) / 2, Top + (Height - side) / 2, side, side);
        }
        switch (Shape) {
        case skRoundRectangle:
        case skRoundSquare:
            p.drawRoundedRect(r, std::min(r.width(), r.height()) / 4.0,
                std::min(r.width(), r.height()) / 4.0);
            break;
        case skEllipse:
        case skCircle:
            p.drawEllipse(r);
            break;
        case skTriangle: {
            const QPoint pts[3] = {QPoint(r.center().x(), r.top()), r.bottomRight(), r.bottomLeft()};
            p.drawPolygon(pts, 3);
            break;
        }
        case skDiagonal1:
            p.drawLine(r.topLeft(), r.bottomRight());
            break;
        case skDiagonal2:
            p.drawLine(r.bottomLeft(), r.topRight());
            break;
        default:
            p.drawRect(r);
            break;
        }
        p.restore();
    }
    EndDraw();
}

// ---- check box ----

TRMCheckBoxView::TRMCheckBoxView()
{
    BaseName = QStringLiteral("Check");
    Typ = gtAddIn;
    MemoVersion = 0;
    RMRegisterConstants({{QStringLiteral("csCross"), csCross}, {QStringLiteral("csCheck"), csCheck}});
}

void TRMCheckBoxView::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("CHECKSTYLE")) {
        const std::int64_t s = PropInt(value, CheckStyle);
        if (s == csCross || s == csCheck)
            CheckStyle = static_cast<std::uint8_t>(s);
    } else if (n == QLatin1String("CHECKCOLOR"))
        CheckColor = static_cast<std::uint32_t>(PropInt(value, CheckColor));
    else
        TRMView::SetPropValue(n, value);
}

Variant TRMCheckBoxView::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("CHECKSTYLE"))
        return Variant::FromInt(CheckStyle);
    if (n == QLatin1String("CHECKCOLOR"))
        return Variant::FromInt(CheckColor);
    return TRMView::GetPropValue(n);
}

void TRMCheckBoxView::Draw(QPainter* canvas)
{
    Canvas = canvas;
    BeginDraw();
    ShowBackground();
    // The mark shows when the printed text is a true value.
    const QString text = Memo1.join(QString()).trimmed();
    const bool checked = !text.isEmpty() && text != QLatin1String("0")
        && text.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
    if (Canvas && checked) {
        QPainter& p = *Canvas;
        p.save();
        p.setPen(QPen(RMColor(CheckColor), 2));
        const QRect r = DrawRect.adjusted(2, 2, -2, -2);
        if (CheckStyle == csCheck) {
            const QPoint pts[3] = {QPoint(r.left(), r.center().y()),
                QPoint(r.left() + r.width() / 3, r.bottom()), r.topRight()};
            p.drawPolyline(pts, 3);
        } else {
            p.drawLine(r.topLeft(), r.bottomRight());
            p.drawLine(r.bottomLeft(), r.topRight());
        }
        p.restore();
    }
    ShowFrame();
    EndDraw();
}

// ---- region ----

TRMRegionView::TRMRegionView()
{
    BaseName = QStringLiteral("Region");
    Typ = gtRegion;
    MemoVersion = 0;
}

void TRMRegionView::Draw(QPainter* canvas)
{
    Canvas = canvas;
    BeginDraw();
    ShowBackground();
    ShowFrame();
    EndDraw();
}

} // namespace pq
