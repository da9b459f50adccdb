#include "report/engine/rm_memo_views.h"

#include "report/engine/memo/rm_memo.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_view_layouts.h"

#include "base/gbk_text.h"
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

namespace {

QList<Variant> IntValues(int count)
{
    QList<Variant> out;
    for (int v = 0; v < count; ++v)
        out.append(Variant::FromInt(v));
    return out;
}

std::vector<TRMPropRow> MemoRows()
{
    using P = TRMProps<TRMMemoView>;
    return {
        // "Font" alone is the face name; the "Font.*" sub-properties are the object's.
        P::Row(QStringLiteral("Font"), [](TRMMemoView& m) { return Variant(m.Font.Name); },
            [](TRMMemoView& m, const Variant& x) { m.Font.Name = PropText(x); })
            .List(rmdtHasEditor),
        P::Row(QStringLiteral("Alignment"), [](TRMMemoView& m) { return Variant::FromInt(m.HAlign()); },
            [](TRMMemoView& m, const Variant& x) { m.SetHAlign(static_cast<int>(PropInt(x, m.HAlign()))); })
            .ListEnum(QStringLiteral("rmtaLeftJustify;rmtaRightJustify;rmtaCenterJustify;rmtaEuqalJustify"),
                IntValues(4)),
        P::Row(QStringLiteral("Layout"), [](TRMMemoView& m) { return Variant::FromInt(m.Layout()); },
            [](TRMMemoView& m, const Variant& x) { m.SetLayout(static_cast<int>(PropInt(x, m.Layout()))); })
            .ListEnum(QStringLiteral("rmtlTop;rmtlCenter;rmtlBottom"), IntValues(3)),
        P::Text(QStringLiteral("DisplayFormat"), &TRMMemoView::FormatStr).List(rmdtHasEditor),
        P::Text(QStringLiteral("Highlight"), &TRMMemoView::HighlightCondition).List(rmdtHasEditor),
        P::Int(QStringLiteral("LineSpacing"), &TRMMemoView::LineSpacing).List(rmdtInteger),
        P::Int(QStringLiteral("CharSpacing"), &TRMMemoView::CharSpacing).List(rmdtInteger),
        RMFlagProp(QStringLiteral("Wordwrap"), flMemoWordwrap).List(rmdtBoolean),
        RMFlagProp(QStringLiteral("AutoWidth"), flMemoAutoWidth).List(rmdtBoolean),
        RMFlagProp(QStringLiteral("TextOnly"), flTextOnly).List(rmdtBoolean),
        RMFlagProp(QStringLiteral("Suppress"), flMemoSuppress).List(rmdtBoolean),
        RMFlagProp(QStringLiteral("HideZeros"), flMemoHideZeros).List(rmdtBoolean),
        RMFlagProp(QStringLiteral("Underlines"), flMemoUnderlines).List(rmdtBoolean),
        RMFlagProp(QStringLiteral("RTLReading"), flMemoRTLReading).List(rmdtBoolean),
        RMFlagProp(QStringLiteral("WordBreak"), flMemoWordBreak).List(rmdtBoolean),
        RMExtFlagProp(QStringLiteral("MangeTag"), flMemoMangeTag).List(rmdtBoolean),
        RMFlagProp(QStringLiteral("MergeRepeated"), flMemoMergeRepeated).List(rmdtBoolean),
        RMExtFlagProp(QStringLiteral("ScaleFontSize"), flMemoScaleFontSize).List(rmdtBoolean),
        RMExtFlagProp(QStringLiteral("PrintAtAppendBlank"), flMemoPrintAtAppendBlank).List(rmdtBoolean),
        RMExtFlagProp(QStringLiteral("DataFieldOnly"), flMemoDataFieldOnly).List(rmdtBoolean),
        P::Text(QStringLiteral("MasterMemoView"), &TRMMemoView::MasterMemoView).List(rmdtString),
        P::ReadOnly(QStringLiteral("Lines.Count"),
            [](TRMMemoView& m) { return Variant::FromInt(m.Memo.size()); }),
        P::ReadOnly(QStringLiteral("Lines1.Count"),
            [](TRMMemoView& m) { return Variant::FromInt(m.Memo1.size()); }),
        // A plain memo keeps no total; the calculated memo answers it.
        P::ReadOnly(QStringLiteral("CalcValue"), [](TRMMemoView&) { return Variant::Null(); }),
        P::Text(QStringLiteral("LastValue"), &TRMMemoView::LastValue),
        P::Row(QStringLiteral("RotationType"), [](TRMMemoView& m) { return Variant::FromInt(m.RotationType); },
            [](TRMMemoView& m, const Variant& x) {
                const std::int64_t r = PropInt(x, m.RotationType);
                if (r >= rtNone && r <= rt360)
                    m.RotationType = static_cast<std::uint8_t>(r);
            }),
        P::Row(QStringLiteral("ScaleFontType"), [](TRMMemoView& m) { return Variant::FromInt(m.ScaleFontType); },
            [](TRMMemoView& m, const Variant& x) {
                const bool byHeight = PropInt(x, m.ScaleFontType) == ByHeight;
                m.ScaleFontType = static_cast<std::uint8_t>(byHeight ? ByHeight : ByWidth);
            }),
        P::Int(QStringLiteral("FontScaleWidth"), &TRMMemoView::FontScaleWidth),
        P::ReadOnly(QStringLiteral("ValueChanged"), [](TRMMemoView& m) {
            return Variant::FromBool(m.Memo1.join(QLatin1String("\r\n")) != m.LastValue);
        }),
    };
}

} // namespace

const TRMPropTable* TRMMemoView::PropTable() const
{
    static const TRMPropTable table(
        TRMStretcheable::PropTable(), TRMPropTable::TListing::WithBase, MemoRows());
    return &table;
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

const TRMPropTable* TRMCalcMemoView::PropTable() const
{
    using P = TRMProps<TRMCalcMemoView>;
    static const TRMPropTable table(TRMMemoView::PropTable(), TRMPropTable::TListing::WithBase,
        {
            P::Row(QStringLiteral("CalcValue"),
                [](TRMCalcMemoView& c) { return Variant::FromFloat(c.TotalValue); },
                [](TRMCalcMemoView& c, const Variant& x) { c.TotalValue = PropFloat(x, c.TotalValue); }),
        });
    return &table;
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

const TRMPropTable* TRMMoneyView::PropTable() const
{
    using P = TRMProps<TRMMoneyView>;
    // Scripts name the money view's settings by their captions, leading space included.
    static const TRMPropTable table(TRMMemoView::PropTable(), TRMPropTable::TListing::WithBase,
        {
            P::Bool(QStringLiteral(" 标题"), &TRMMoneyView::TitleMode),
            P::Text(QStringLiteral(" 货币符号"), &TRMMoneyView::CurrencySymbol),
            P::Row(QStringLiteral(" 数字位数"), [](TRMMoneyView& m) { return Variant::FromInt(m.Digits); },
                [](TRMMoneyView& m, const Variant& x) {
                    m.Digits = static_cast<int>(std::max<std::int64_t>(1, PropInt(x, m.Digits)));
                }),
            P::Row(QStringLiteral(" 小数点位数"),
                [](TRMMoneyView& m) { return Variant::FromInt(m.Decimals); },
                [](TRMMoneyView& m, const Variant& x) {
                    m.Decimals = static_cast<int>(std::max<std::int64_t>(0, PropInt(x, m.Decimals)));
                }),
            P::Int(QStringLiteral(" 分割线宽度"), &TRMMoneyView::LineWidth),
            P::Int(QStringLiteral(" 分割线颜色"), &TRMMoneyView::LineColor),
            P::Int(QStringLiteral(" 千位分割线颜色"), &TRMMoneyView::ThousandsLineColor),
            P::Int(QStringLiteral(" 小数点分割线颜色"), &TRMMoneyView::DecimalLineColor),
        });
    return &table;
}

namespace {

bool OnPrinter(const TRMView& v)
{
    return RMEngineState().Printing || v.IsPrinting;
}

// A line width in report pixels at the drawing's scale; a positive width stays visible.
int ScaledLineWidth(int width, double scale)
{
    return width > 0 ? std::max(1, RoundToInt(width * scale)) : 0;
}

// Background and frame, which an export leaves to the exporter.
void ShowBox(TRMMemoView& m, TRMCanvas& canvas)
{
    if (!m.Exporting) {
        m.ShowBackground(canvas);
        m.ShowFrame(canvas);
    }
}

void DrawMoneySeparators(TRMCanvas& canvas, const TRMMoneyView& m, const TRMMoneyGeometry& g)
{
    // A zero width still draws the hairline a zero-width pen draws.
    const int w = std::max(1, g.LineWidth);
    for (int i = 1; i < g.Digits; ++i) {
        std::uint32_t color = m.LineColor;
        switch (RMMoneySeparator(g, i)) {
        case TRMMoneyLine::Decimal: color = m.DecimalLineColor; break;
        case TRMMoneyLine::Thousands: color = m.ThousandsLineColor; break;
        case TRMMoneyLine::Plain: break;
        }
        const int x = g.SeparatorLeft(i);
        canvas.FillRect(x, m.Top, x + w, m.Top + m.Height, color);
    }
}

} // namespace

void TRMMoneyView::Draw(QPainter* painter)
{
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    RMAlignForPrint(*this, TRMAlignPhase::Draw);
    WholeLines = false;
    Memo1 = Memo;
    BeginDraw();
    if (canvas) {
        ShowBox(*this, *canvas);
        const TRMMoneyGeometry g = RMMoneyGeometry(Left, Width, Digits, Decimals, ScaledLineWidth(LineWidth, ScaleX));
        // Below one cell there is nothing to rule or to fill.
        if (g.HasCells()) {
            DrawMoneySeparators(*canvas, *this, g);
            canvas->SetFont(RMMemoFont(*this, ScaleY, OnPrinter(*this)));
            canvas->SetCharSpacing(0);
            const int textHeight = canvas->TextHeight();
            auto centred = [&](int k, int textWidth) {
                return QPoint(g.CellLeft(k) + static_cast<int>(Div(g.CellWidth - textWidth, 2)),
                    Top + static_cast<int>(Div(Height - textHeight, 2)) + 1);
            };
            if (TitleMode && g.Digits < 20 && g.Decimals <= 5) {
                const TRMMoneyCells cells = RMMoneyTitles(g, IntegerPlaceNames, DecimalPlaceNames);
                const int nameWidth = canvas->TextWidth(QStringLiteral("元"));
                for (int k = 0; k < cells.Cells.size(); ++k)
                    if (!cells.Cells.at(k).isEmpty()) {
                        const QPoint at = centred(k, nameWidth);
                        canvas->TextOut(at.x(), at.y(), cells.Cells.at(k));
                    }
            } else if (!Memo1.join(QLatin1String("\r\n")).trimmed().isEmpty()) {
                const TRMMoneyCells cells =
                    RMMoneyDigits(Memo1.join(QLatin1String("\r\n")), g, !CurrencySymbol.isEmpty());
                const int digitWidth = canvas->TextWidth(QStringLiteral("0"));
                for (int k = 0; k < cells.Cells.size(); ++k)
                    if (!cells.Cells.at(k).isEmpty()) {
                        const QPoint at = centred(k, digitWidth);
                        canvas->TextOut(at.x(), at.y(), cells.Cells.at(k));
                    }
                if (cells.SymbolCell >= 0) {
                    const QRect cell(g.CellLeft(cells.SymbolCell), Top, g.CellWidth, Height);
                    const QPoint at = centred(cells.SymbolCell, canvas->TextWidth(CurrencySymbol));
                    canvas->TextOutClipped(cell, at.x(), at.y(), CurrencySymbol);
                }
            }
            DrawMoneySeparators(*canvas, *this, g);
        }
    }
    EndDraw();
}

// ---- diagonal ----

TRMDiagonalView::TRMDiagonalView()
{
    BaseName = QStringLiteral("Diagonal");
    Typ = gtAddIn;
}

const TRMPropTable* TRMDiagonalView::PropTable() const
{
    using P = TRMProps<TRMDiagonalView>;
    static const TRMPropTable table(TRMMemoView::PropTable(), TRMPropTable::TListing::WithBase,
        {
            P::Int(QStringLiteral(" 分割线宽度"), &TRMDiagonalView::DiagonalLineWidth),
            P::Int(QStringLiteral(" 分割线颜色"), &TRMDiagonalView::DiagonalLineColor),
        });
    return &table;
}

} // namespace pq

namespace pq {

void TRMDiagonalView::Draw(QPainter* painter)
{
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    Memo1 = Memo;
    BeginDraw();
    if (canvas) {
        ShowBox(*this, *canvas);
        canvas->SetPen(TRMCanvasPen{DiagonalLineColor, ScaledLineWidth(DiagonalLineWidth, ScaleX), cpsSolid});
        const int l = DrawRect.left(), t = DrawRect.top(), r = DrawRect.right() + 1, b = DrawRect.bottom() + 1;
        const QString text = Memo1.join(QLatin1String("\r\n")).trimmed();
        if (text.isEmpty()) {
            canvas->Line(l, t, r - 1, b - 1);
        } else {
            canvas->SetFont(RMMemoFont(*this, ScaleY, OnPrinter(*this)));
            canvas->SetCharSpacing(0);
            // A text is measured as the width of one byte of its first character times its
            // length in bytes; a double-byte character is two bytes of half its width (as
            // one byte it would measure a whole character and double every Chinese text).
            auto measure = [&](const QString& piece) {
                if (piece.isEmpty())
                    return QSize();
                const QString first = piece.left(piece.at(0).isHighSurrogate() ? 2 : 1);
                const int bytes = std::max(1, GbkLength(first));
                const double perByte = static_cast<double>(canvas->TextWidth(first)) / bytes;
                return QSize(RoundToInt(perByte * GbkLength(piece)), canvas->TextHeight());
            };
            const std::array<QString, 4> pieces = RMDiagonalPieces(text);
            const TRMDiagonalLayout layout = RMDiagonalLayout(l, t, r, b, pieces, measure);
            for (const QLine& line : layout.Lines)
                canvas->Line(line.p1(), line.p2());
            for (const TRMDiagonalLayout::Text& piece : layout.Texts)
                canvas->TextOut(piece.At.x(), piece.At.y(), pieces[piece.Corner]);
        }
    }
    EndDraw();
}

} // namespace pq
