#include "report/engine/rm_view.h"

#include "report/engine/rm_band.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/engine/canvas/rm_canvas.h"

#include "base/rounding.h"

#include <QLocale>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace pq {

// ---- frame line ----

QByteArray TRMFrameLine::ToBytes() const
{
    QByteArray out(kStreamSize, '\0');
    out[0] = Visible ? 1 : 0;
    out[1] = static_cast<char>(Style);
    qToLittleEndian<quint32>(Color, out.data() + 2);
    quint32 bits = 0;
    static_assert(sizeof(float) == sizeof(quint32));
    std::memcpy(&bits, &Width, sizeof bits);
    qToLittleEndian<quint32>(bits, out.data() + 6);
    return out;
}

bool TRMFrameLine::FromBytes(const QByteArray& bytes)
{
    if (bytes.size() < kStreamSize)
        return false;
    Visible = bytes[0] != 0;
    Style = static_cast<std::uint8_t>(bytes[1]);
    Color = qFromLittleEndian<quint32>(bytes.constData() + 2);
    const quint32 bits = qFromLittleEndian<quint32>(bytes.constData() + 6);
    std::memcpy(&Width, &bits, sizeof bits);
    return true;
}

bool TRMFrameLine::IsDouble() const
{
    // The named constant psDouble (7) means a double line as much as the 0x10 bit does.
    return (Style & kFrameDoubleBit) != 0 || Style == psDouble;
}

// ---- view ----

int RMDefaultFormat()
{
    const QString sep = QLocale::system().decimalPoint();
    const ushort ch = sep.size() == 1 && sep.at(0).unicode() < 0x100 ? sep.at(0).unicode() : u'.';
    return 0x200 + ch;
}

TRMView::TRMView()
{
    RMAssignCreationID(*this);
}

TRMView::~TRMView()
{
    RMForgetView(this);
}

void TRMView::SetFlag(int bit, bool on)
{
    Flags = static_cast<std::uint16_t>(on ? (Flags | bit) : (Flags & ~bit));
}

void TRMView::SetExtFlag(int bit, bool on)
{
    ExtFlags = on ? (ExtFlags | bit) : (ExtFlags & ~bit);
}

int TRMView::FrameTyp() const
{
    return (RightFrame.Visible ? frRight : 0) | (BottomFrame.Visible ? frBottom : 0)
        | (LeftFrame.Visible ? frLeft : 0) | (TopFrame.Visible ? frTop : 0);
}

void TRMView::SetFrameTyp(int typ)
{
    RightFrame.Visible = (typ & frRight) != 0;
    BottomFrame.Visible = (typ & frBottom) != 0;
    LeftFrame.Visible = (typ & frLeft) != 0;
    TopFrame.Visible = (typ & frTop) != 0;
}

QStringList* TRMView::StringListProp(const QString& n)
{
    if (n == QLatin1String("MEMO"))
        return &Memo;
    if (n == QLatin1String("MEMO1"))
        return &Memo1;
    if (n == QLatin1String("ONBEFOREPRINT"))
        return &OnBeforePrint;
    if (n == QLatin1String("ONAFTERPRINT"))
        return &OnAfterPrint;
    return nullptr;
}

namespace {

QString JoinLines(const QStringList& lines)
{
    return lines.join(QLatin1String("\r\n"));
}

QStringList SplitLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t.split(QLatin1Char('\n'));
}

using P = TRMProps<TRMView>;

// A string list read and written as one text of lines.
TRMPropRow Lines(const QString& name, QStringList TRMViewFields::*field)
{
    return P::Row(name, [field](TRMView& v) { return Variant(JoinLines(v.*field)); },
        [field](TRMView& v, const Variant& x) { v.*field = SplitLines(PropText(x)); });
}

// "LeftFrame.Visible" … "BottomFrame.Style": the four fields of each side.
void AddFrameRows(std::vector<TRMPropRow>& rows)
{
    const std::pair<const char*, TRMFrameLine TRMViewFields::*> sides[] = {
        {"LeftFrame", &TRMViewFields::LeftFrame}, {"TopFrame", &TRMViewFields::TopFrame},
        {"RightFrame", &TRMViewFields::RightFrame}, {"BottomFrame", &TRMViewFields::BottomFrame}};
    // A plain variable, not a structured binding: lambdas capture it with every compiler the
    // project builds with (clang 14 cannot capture a binding).
    for (const auto& entry : sides) {
        const QString p = QString::fromLatin1(entry.first);
        TRMFrameLine TRMViewFields::*const side = entry.second;
        rows.push_back(P::Row(p + QLatin1String(".Visible"),
            [side](TRMView& v) { return Variant::FromBool((v.*side).Visible); },
            [side](TRMView& v, const Variant& x) { (v.*side).Visible = PropBool(x); }));
        rows.push_back(P::Row(p + QLatin1String(".Width"),
            [side](TRMView& v) { return Variant::FromFloat((v.*side).Width); },
            [side](TRMView& v, const Variant& x) {
                TRMFrameLine& f = v.*side;
                f.Width = static_cast<float>(PropFloat(x, f.Width));
            }));
        rows.push_back(P::Row(p + QLatin1String(".Color"),
            [side](TRMView& v) { return Variant::FromInt((v.*side).Color); },
            [side](TRMView& v, const Variant& x) {
                TRMFrameLine& f = v.*side;
                f.Color = static_cast<std::uint32_t>(PropInt(x, f.Color));
            }));
        rows.push_back(P::Row(p + QLatin1String(".Style"),
            [side](TRMView& v) { return Variant::FromInt((v.*side).Style); },
            [side](TRMView& v, const Variant& x) {
                TRMFrameLine& f = v.*side;
                f.Style = static_cast<std::uint8_t>(PropInt(x, f.Style));
            }));
    }
}

QList<Variant> IntValues(std::initializer_list<int> values)
{
    QList<Variant> out;
    for (int v : values)
        out.append(Variant::FromInt(v));
    return out;
}

std::vector<TRMPropRow> ViewRows()
{
    std::vector<TRMPropRow> rows = {
        P::Text(QStringLiteral("Name"), &TRMView::Name).List(rmdtString | rmdtOneObject),
        P::Int(QStringLiteral("Left"), &TRMView::Left).List(rmdtSize),
        P::Int(QStringLiteral("Top"), &TRMView::Top).List(rmdtSize),
        P::Int(QStringLiteral("Width"), &TRMView::Width).List(rmdtSize),
        P::Int(QStringLiteral("Height"), &TRMView::Height).List(rmdtSize),
        P::Int(QStringLiteral("Flags"), &TRMView::Flags),
        P::Bool(QStringLiteral("IsPrinting"), &TRMView::IsPrinting),
        // The four sides at once; reading answers the left side.
        P::Row(QStringLiteral("FrameTyp"), [](TRMView& v) { return Variant::FromInt(v.FrameTyp()); },
            [](TRMView& v, const Variant& x) { v.SetFrameTyp(static_cast<int>(PropInt(x, v.FrameTyp()))); })
            .List(rmdtInteger),
        P::Row(QStringLiteral("FrameWidth"), [](TRMView& v) { return Variant::FromFloat(v.LeftFrame.Width); },
            [](TRMView& v, const Variant& x) {
                const float w = static_cast<float>(PropFloat(x, v.LeftFrame.Width));
                for (TRMFrameLine* f : v.Frames())
                    f->Width = w;
            })
            .List(rmdtFloat),
        P::Row(QStringLiteral("FrameColor"), [](TRMView& v) { return Variant::FromInt(v.LeftFrame.Color); },
            [](TRMView& v, const Variant& x) {
                for (TRMFrameLine* f : v.Frames())
                    f->Color = static_cast<std::uint32_t>(PropInt(x, f->Color));
            })
            .List(rmdtColor),
        P::Row(QStringLiteral("FrameStyle"), [](TRMView& v) { return Variant::FromInt(v.LeftFrame.Style); },
            [](TRMView& v, const Variant& x) {
                for (TRMFrameLine* f : v.Frames())
                    f->Style = static_cast<std::uint8_t>(PropInt(x, f->Style));
            })
            .ListEnum(QStringLiteral("psSolid;psDash;psDot;psDashDot;psDashDotDot;psDouble"),
                IntValues({psSolid, psDash, psDot, psDashDot, psDashDotDot, psDouble})),
        P::Int(QStringLiteral("FillColor"), &TRMView::FillColor).List(rmdtColor),
        P::Row(QStringLiteral("BandAlign"), [](TRMView& v) { return Variant::FromInt(v.BandAlign); },
            [](TRMView& v, const Variant& x) {
                const std::int64_t a = PropInt(x, v.BandAlign);
                if (a >= baNone && a <= baRest)
                    v.BandAlign = static_cast<std::uint8_t>(a);
            })
            .ListEnum(
                QStringLiteral("baNone;baLeft;baRight;baCenter;baWidth;baBottom;baTop;baClient;baHeight;baRest"),
                IntValues({0, 1, 2, 3, 4, 5, 6, 7, 8, 9})),
        RMFlagProp(QStringLiteral("PrintFrame"), flPrintFrame).List(rmdtBoolean),
        RMFlagProp(QStringLiteral("PrintVisible"), flPrintVisible).List(rmdtBoolean),
        P::Bool(QStringLiteral("Visible"), &TRMView::Visible).List(rmdtBoolean),
        Lines(QStringLiteral("Memo"), &TRMView::Memo).List(rmdtHasEditor),
        Lines(QStringLiteral("Memo1"), &TRMView::Memo1),
        P::Int(QStringLiteral("Restrictions"), &TRMView::Restrictions).List(rmdtInteger),
        P::Text(QStringLiteral("Tag"), &TRMView::Tag).List(rmdtString),
        P::Int(QStringLiteral("Gapx"), &TRMView::Gapx).List(rmdtInteger),
        P::Int(QStringLiteral("Gapy"), &TRMView::Gapy).List(rmdtInteger),
        RMFlagProp(QStringLiteral("Stretched"), flStretched).List(rmdtBoolean),
        // The field expression becomes the whole text.
        P::Row(QStringLiteral("DataField"),
            [](TRMView& v) { return Variant(v.Memo.isEmpty() ? QString() : v.Memo.first()); },
            [](TRMView& v, const Variant& x) { v.Memo = QStringList{PropText(x)}; }),
        Lines(QStringLiteral("OnBeforePrint"), &TRMView::OnBeforePrint),
        Lines(QStringLiteral("OnAfterPrint"), &TRMView::OnAfterPrint),
    };
    AddFrameRows(rows);
    return rows;
}

} // namespace

TRMPropRow RMFlagProp(const QString& name, int bit)
{
    return P::Row(name, [bit](TRMView& v) { return Variant::FromBool(v.HasFlag(bit)); },
        [bit](TRMView& v, const Variant& x) { v.SetFlag(bit, PropBool(x)); });
}

TRMPropRow RMExtFlagProp(const QString& name, int bit)
{
    return P::Row(name, [bit](TRMView& v) { return Variant::FromBool(v.HasExtFlag(bit)); },
        [bit](TRMView& v, const Variant& x) { v.SetExtFlag(bit, PropBool(x)); });
}

const TRMPropTable* TRMView::PropTable() const
{
    static const TRMPropTable table(nullptr, TRMPropTable::TListing::WithBase, ViewRows());
    return &table;
}

Variant TRMView::DoMethod(const QString& name, const QList<Variant>& args)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("HIDE")) {
        Visible = false;
        return Variant::Null();
    }
    if (n == QLatin1String("SHOW")) {
        Visible = true;
        return Variant::Null();
    }
    return TRMObject::DoMethod(n, args);
}

// ---- drawing ----

namespace {

int RoundI(double v)
{
    return static_cast<int>(Round(v));
}

bool Designing() { return RMEngineState().Designing; }
bool Printing() { return RMEngineState().Printing; }

// The first pass of a double-pass preparation draws nothing.
bool FirstPass()
{
    const TRMReport* r = RMCurrent().CurReport;
    return r && r->DoublePass && !r->FinalPass && RMEngineState().Preparing;
}

} // namespace

int TRMView::ScaledRight() const
{
    return RoundI((SavedState.Left + SavedState.Width) * ScaleX + OffsX);
}

int TRMView::ScaledBottom() const
{
    return RoundI((SavedState.Top + SavedState.Height) * ScaleY + OffsY);
}

void TRMView::ShowBackground(TRMCanvas& canvas)
{
    const TRMView& v = *this;
    if (FirstPass())
        return;
    const int right = v.ScaledRight(), bottom = v.ScaledBottom();
    if (Designing()) {
        auto half = [](const TRMFrameLine& f) { return f.Visible ? RoundI(f.Width / 2.0) : 0; };
        canvas.FillRect(v.Left - half(v.LeftFrame), v.Top - half(v.TopFrame), right + half(v.RightFrame) + 1,
            bottom + half(v.BottomFrame) + 1, 0xFFFFFF);
    }
    if (v.FillColor == kNoColor)
        return;
    const TRMReport* r = RMCurrent().CurReport;
    if (Printing() && r && !r->PrintBackColor)
        return;
    canvas.FillRect(v.Left, v.Top, right, bottom, v.FillColor);
}

void TRMView::ShowFrame(TRMCanvas& canvas)
{
    const TRMView& v = *this;
    if (FirstPass())
        return;
    const TRMReport* r = RMCurrent().CurReport;
    if (Printing() && r && r->PrintTaoda && !v.HasFlag(flPrintFrame))
        return;
    const int l = v.Left, t = v.Top, right = v.ScaledRight(), bottom = v.ScaledBottom();
    const TRMFrameLine* sides[4] = {&v.LeftFrame, &v.TopFrame, &v.RightFrame, &v.BottomFrame};
    bool any = false;
    for (const TRMFrameLine* f : sides)
        any = any || f->Visible;

    if (Designing() && !any) {
        // Corner marks show where a frameless view is.
        canvas.SetPen(TRMCanvasPen{0, 1, cpsSolid});
        canvas.Line(l, t, l + 3, t);
        canvas.Line(l, t, l, t + 3);
        canvas.Line(right, t, right - 3, t);
        canvas.Line(right, t, right, t + 3);
        canvas.Line(l, bottom, l + 3, bottom);
        canvas.Line(l, bottom, l, bottom - 3);
        canvas.Line(right, bottom, right - 3, bottom);
        canvas.Line(right, bottom, right, bottom - 3);
    }
    auto pen = [](const TRMFrameLine& f) {
        return TRMCanvasPen{f.Color, RoundI(f.Width), f.Style};
    };
    auto gap = [](const TRMFrameLine& f) { return RoundI(2.0 * f.Width); };

    const bool allSame = any && v.LeftFrame.Visible && v.TopFrame.Visible && v.RightFrame.Visible
        && v.BottomFrame.Visible && v.LeftFrame == v.TopFrame && v.LeftFrame == v.RightFrame
        && v.LeftFrame == v.BottomFrame;
    if (allSame) {
        canvas.SetPen(pen(v.LeftFrame));
        canvas.SetBrushColor(kNoColor);
        canvas.Rectangle(l, t, right, bottom, gap(v.LeftFrame));
    } else {
        if (v.LeftFrame.Visible) {
            canvas.SetPen(pen(v.LeftFrame));
            canvas.FrameSide({l, t}, {l, bottom}, {1, 0}, gap(v.LeftFrame));
        }
        if (v.TopFrame.Visible) {
            canvas.SetPen(pen(v.TopFrame));
            canvas.FrameSide({l, t}, {right, t}, {0, 1}, gap(v.TopFrame));
        }
        if (v.RightFrame.Visible) {
            canvas.SetPen(pen(v.RightFrame));
            canvas.FrameSide({right, t}, {right, bottom}, {-1, 0}, gap(v.RightFrame));
        }
        if (v.BottomFrame.Visible) {
            canvas.SetPen(pen(v.BottomFrame));
            canvas.FrameSide({l, bottom}, {right, bottom}, {0, -1}, gap(v.BottomFrame));
        }
    }

    if (v.Typ != gtBand && v.LineKind >= 1 && v.LineKind <= 6) {
        canvas.SetPen(TRMCanvasPen{0, 1, cpsSolid});
        const QPoint tl(l, t), tr(right, t), bl(l, bottom), br(right, bottom);
        const QPoint midBottom(l + (right - l) / 2, bottom), midRight(right, t + (bottom - t) / 2),
            midLeft(l, t + (bottom - t) / 2);
        const int k = v.LineKind;
        if (k == 1 || k == 3)
            canvas.Line(tl, br);
        if (k == 2 || k == 3) {
            canvas.Line(tl, midBottom);
            canvas.Line(tl, midRight);
        }
        if (k == 4 || k == 6)
            canvas.Line(bl, tr);
        if (k == 5 || k == 6) {
            canvas.Line(tr, midLeft);
            canvas.Line(tr, midBottom);
        }
    }
}

void TRMView::DrawBox(QPainter* painter)
{
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    BeginDraw();
    if (canvas) {
        ShowBackground(*canvas);
        ShowFrame(*canvas);
    }
    EndDraw();
}

void TRMView::BeginDraw()
{
    TSavedState& s = SavedState;
    s.Left = Left;
    s.Top = Top;
    s.Width = Width;
    s.Height = Height;
    s.Gapx = Gapx;
    s.Gapy = Gapy;
    s.FrameWidths = {LeftFrame.Width, TopFrame.Width, RightFrame.Width, BottomFrame.Width};
    SaveExtraState(s);
    s.Saved = true;

    const TRMEngineState& st = RMEngineState();
    if (!st.Previewing && !st.Printing) {
        // Design and preparation work in unscaled report pixels.
        ScaleX = ScaleY = 1.0;
        OffsX = OffsY = 0;
    }
    Left = static_cast<int>(Round(s.Left * ScaleX)) + OffsX;
    Top = static_cast<int>(Round(s.Top * ScaleY)) + OffsY;
    Width = static_cast<int>(Round(s.Width * ScaleX));
    Height = static_cast<int>(Round(s.Height * ScaleY));
    ScaleExtraState();

    std::array<float, 4> w = s.FrameWidths;
    const auto frames = Frames();
    for (int k = 0; k < 4; ++k)
        if (!frames[k]->Visible)
            w[k] = 0;
    Gapx = static_cast<int>(Round(s.Gapx * ScaleX + 0.5));
    Gapy = static_cast<int>(Round(s.Gapy * ScaleY + 0.5));
    for (int k = 0; k < 4; ++k)
        frames[k]->Width = static_cast<float>(w[k] * ScaleX);

    int left = Left + static_cast<int>(Round(ScaleX * w[0] / 2));
    int top = Top + static_cast<int>(Round(ScaleY * w[1] / 2));
    int right = static_cast<int>(Round(ScaleX * (s.Left + s.Width) + OffsX))
        - static_cast<int>(Round((ScaleX * w[2] - 1) / 2)) + 1;
    int bottom = static_cast<int>(Round(ScaleY * (s.Top + s.Height) + OffsY))
        - static_cast<int>(Round((ScaleY * w[3] - 1) / 2)) + 1;
    if (LeftFrame.Visible && LeftFrame.IsDouble())
        left += static_cast<int>(Round(2 * LeftFrame.Width));
    if (TopFrame.Visible && TopFrame.IsDouble())
        top += static_cast<int>(Round(2 * TopFrame.Width));
    if (RightFrame.Visible && RightFrame.IsDouble())
        right -= static_cast<int>(Round(2 * RightFrame.Width));
    if (BottomFrame.Visible && BottomFrame.IsDouble())
        bottom -= static_cast<int>(Round(2 * BottomFrame.Width));
    // QRect's right and bottom are inclusive; the computed edges are exclusive.
    DrawRect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void TRMView::EndDraw()
{
    const TSavedState& s = SavedState;
    if (!s.Saved)
        return;
    Left = s.Left;
    Top = s.Top;
    Width = s.Width;
    Height = s.Height;
    Gapx = s.Gapx;
    Gapy = s.Gapy;
    LeftFrame.Width = s.FrameWidths[0];
    TopFrame.Width = s.FrameWidths[1];
    RightFrame.Width = s.FrameWidths[2];
    BottomFrame.Width = s.FrameWidths[3];
    RestoreExtraState(s);
    SavedState.Saved = false;
}

QRegion TRMView::GetClipRgn(bool enlarged) const
{
    auto half = [](const TRMFrameLine& f) {
        return f.Visible ? static_cast<int>(Round(f.Width / 2.0)) : 0;
    };
    QRect r(QPoint(Left - half(LeftFrame), Top - half(TopFrame)),
        QPoint(Left + Width + half(RightFrame), Top + Height + half(BottomFrame)));
    if (enlarged)
        r.adjust(-10, -10, 10, 10);
    return QRegion(r);
}

void TRMView::SetBounds(int left, int top, int width, int height)
{
    Left = left;
    Top = top;
    Width = width;
    Height = height;
}

// ---- band alignment ----

namespace {

bool SameRow(const TRMView& a, const TRMView& b)
{
    return &a != &b && a.Top == b.Top;
}

void AlignLeft(TRMView& v, const std::vector<TRMView*>& row, const TRMAlignArea& area)
{
    const TRMView* best = nullptr;
    for (const TRMView* o : row)
        if (SameRow(v, *o) && o->BandAlign == baLeft && o->Left < v.Left
            && (!best || o->Left > best->Left))
            best = o;
    v.Left = best ? best->Left + best->Width : area.LeftLimit;
}

void AlignRight(TRMView& v, const std::vector<TRMView*>& row, const TRMAlignArea& area)
{
    const TRMView* best = nullptr;
    for (const TRMView* o : row)
        if (SameRow(v, *o) && o->BandAlign == baRight && o->Left > v.Left
            && (!best || o->Left < best->Left))
            best = o;
    v.Left = best ? best->Left - v.Width - 1 : area.RightLimit - v.Width;
}

void AlignWidth(TRMView& v, const TRMAlignArea& area, TRMAlignPhase phase)
{
    if (area.CrossBand && area.HasBand) {
        v.Left = area.BandLeft;
        v.Width = area.BandWidth;
        return;
    }
    v.Left = area.LeftLimit;
    if (phase != TRMAlignPhase::Design && !area.HasBand)
        v.Width = area.RightLimit - 1 - area.LeftLimit;
    else
        v.Width = area.RightLimit - area.LeftLimit;
}

void AlignHeight(TRMView& v, const TRMAlignArea& area)
{
    if (area.HasBand) {
        v.Top = area.BandTop;
        v.Height = area.BandHeight;
    } else {
        v.Top = area.TopLimit;
        v.Height = area.BottomLimit - 1 - area.TopLimit;
    }
}

void AlignRest(TRMView& v, const std::vector<TRMView*>& row, const TRMAlignArea& area)
{
    const TRMView* leftN = nullptr;
    const TRMView* rightN = nullptr;
    for (const TRMView* o : row) {
        if (!SameRow(v, *o))
            continue;
        if (o->BandAlign == baLeft && o->Left < v.Left && (!leftN || o->Left > leftN->Left))
            leftN = o;
        if (o->BandAlign == baRight && o->Left > v.Left && (!rightN || o->Left < rightN->Left))
            rightN = o;
    }
    v.Left = leftN ? leftN->Left + leftN->Width : area.LeftLimit;
    const int right = rightN ? rightN->Left - 1 : area.RightLimit;
    v.Width = std::max(0, right - v.Left);
}

} // namespace

void RMAlignView(TRMView& v, const std::vector<TRMView*>& row, const TRMAlignArea& area,
    TRMAlignPhase phase)
{
    const bool design = phase == TRMAlignPhase::Design;
    const bool streamOut = phase == TRMAlignPhase::StreamOut;
    const int bandTop = area.HasBand ? area.BandTop : area.TopLimit;
    const int bandHeight = area.HasBand ? area.BandHeight : area.BottomLimit - area.TopLimit;
    switch (v.BandAlign) {
    case baLeft:
        AlignLeft(v, row, area);
        break;
    case baRight:
        AlignRight(v, row, area);
        break;
    case baCenter:
        v.Left = area.LeftLimit + static_cast<int>(Div(area.RightLimit - area.LeftLimit - v.Width, 2));
        break;
    case baWidth:
        AlignWidth(v, area, phase);
        // The printed copy of a cross-band view carries its final width, not the rule.
        if (streamOut && area.CrossBand)
            v.BandAlign = baNone;
        break;
    case baBottom:
        if (design || streamOut)
            v.Top = bandTop + bandHeight - v.Height;
        break;
    case baTop:
        if (design || streamOut)
            v.Top = bandTop;
        break;
    case baClient:
        if (design) {
            v.Top = bandTop;
            AlignWidth(v, area, phase);
            AlignHeight(v, area);
        } else {
            AlignWidth(v, area, phase);
        }
        break;
    case baHeight:
        if (design)
            AlignHeight(v, area);
        break;
    case baRest:
        AlignRest(v, row, area);
        break;
    default:
        break;
    }
}

void RMAlignForPrint(TRMView& v, TRMAlignPhase phase)
{
    if (v.BandAlign == baNone)
        return;
    TRMBand* band = v.ParentBand;
    TRMPage* page = band ? band->Parent : RMCurrent().CurPage;
    if (!page)
        return;
    if (!band && page->IndexOf(&v) < 0)
        return;
    TRMAlignArea area;
    area.LeftLimit = page->LeftLimit();
    area.RightLimit = page->RightLimit();
    area.TopLimit = page->TopLimit();
    area.BottomLimit = page->BottomLimit();
    std::vector<TRMView*> row;
    if (band) {
        area.HasBand = true;
        area.BandTop = band->CurTop;
        area.BandHeight = band->CalculatedHeight;
        area.CrossBand = band->Typ >= btCrossHeader && band->Typ <= btCrossFooter;
        area.BandLeft = band->Left;
        area.BandWidth = band->Width;
        row = band->Objects;
    } else {
        for (const auto& o : page->Objects)
            row.push_back(o.get());
    }
    RMAlignView(v, row, area, phase);
}

int RMFrameAllowance(const TRMFrameLine& f)
{
    if (!f.Visible)
        return 0;
    return static_cast<int>(Round(f.Width / 2.0)) + (f.IsDouble() ? static_cast<int>(Round(2.0 * f.Width)) : 0);
}

void RMAlignViews(const std::vector<TRMView*>& views, const TRMAlignArea& area, TRMAlignPhase phase)
{
    std::vector<TRMView*> lefts, rights, others;
    for (TRMView* v : views) {
        if (v->BandAlign == baLeft)
            lefts.push_back(v);
        else if (v->BandAlign == baRight)
            rights.push_back(v);
        else if (v->BandAlign != baNone)
            others.push_back(v);
    }
    // Each left-aligned view packs against the one already placed to its left, so left
    // to right; right-aligned ones mirror that.
    std::stable_sort(lefts.begin(), lefts.end(), [](auto* a, auto* b) { return a->Left < b->Left; });
    std::stable_sort(rights.begin(), rights.end(), [](auto* a, auto* b) { return a->Left > b->Left; });
    for (TRMView* v : lefts)
        RMAlignView(*v, views, area, phase);
    for (TRMView* v : rights)
        RMAlignView(*v, views, area, phase);
    for (TRMView* v : others)
        RMAlignView(*v, views, area, phase);
}

} // namespace pq
