#include "report/engine/rm_other_views.h"

#include "report/engine/canvas/rm_canvas.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_view_layouts.h"

#include "base/rounding.h"
#include "base/scope_guard.h"
#include "resources/rm_locale.h"

#include <algorithm>

namespace pq {

// ---- the names of the views' constants, registered when the first view of a kind is made ----

namespace {

void RegisterPictureConstants()
{
    RMRegisterConstants({{QStringLiteral("btBMP"), btBMP}, {QStringLiteral("btJPG"), btJPG},
        {QStringLiteral("btICO"), btICO}, {QStringLiteral("btWMF"), btWMF},
        {QStringLiteral("btGIF"), btGIF}});
}

void RegisterShapeConstants()
{
    using S = TRMShapeView;
    RMRegisterConstants({{QStringLiteral("skRectangle"), S::skRectangle},
        {QStringLiteral("skRoundRectangle"), S::skRoundRectangle}, {QStringLiteral("skEllipse"), S::skEllipse},
        {QStringLiteral("skTriangle"), S::skTriangle}, {QStringLiteral("skDiagonal1"), S::skDiagonal1},
        {QStringLiteral("skDiagonal2"), S::skDiagonal2}, {QStringLiteral("skSquare"), S::skSquare},
        {QStringLiteral("skRoundSquare"), S::skRoundSquare}, {QStringLiteral("skCircle"), S::skCircle},
        {QStringLiteral("pmBlack"), 0}, {QStringLiteral("pmWhite"), 1}, {QStringLiteral("pmNop"), 2},
        {QStringLiteral("pmNot"), 3}, {QStringLiteral("pmCopy"), 4}, {QStringLiteral("pmNotCopy"), 5},
        {QStringLiteral("pmMergePenNot"), 6}, {QStringLiteral("pmMaskPenNot"), 7},
        {QStringLiteral("pmMergeNotPen"), 8}, {QStringLiteral("pmMaskNotPen"), 9},
        {QStringLiteral("pmNotMerge"), 11}, {QStringLiteral("pmMask"), 12},
        {QStringLiteral("pmNotMask"), 13}, {QStringLiteral("pmXor"), 14},
        {QStringLiteral("pmNotXor"), 15}});
}

void RegisterCheckBoxConstants()
{
    RMRegisterConstants({{QStringLiteral("csCross"), TRMCheckBoxView::csCross},
        {QStringLiteral("csCheck"), TRMCheckBoxView::csCheck}});
}

} // namespace

void RMRegisterViewConstants()
{
    RegisterPictureConstants();
    RegisterShapeConstants();
    RegisterCheckBoxConstants();
    RMRegisterCalcMemoConstants();
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

void TRMLineView::Draw(QPainter* painter)
{
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    // The direction comes from the scaled extents; the line is then the one frame side
    // that runs along it, drawn with that side's width, colour and style.
    BeginDraw();
    const bool horizontal = RMLineIsHorizontal(Width, Height);
    EndDraw();
    TopFrame.Visible = horizontal;
    LeftFrame.Visible = !horizontal;
    RightFrame.Visible = false;
    BottomFrame.Visible = false;
    // The other extent is 0 while drawing only: the view keeps its design size.
    const RestoreOnExit<int> width(Width), height(Height);
    (horizontal ? Height : Width) = 0;
    BeginDraw();
    if (canvas)
        ShowFrame(*canvas);
    EndDraw();
}

// ---- picture ----

TRMPictureView::TRMPictureView()
{
    BaseName = QStringLiteral("Picture");
    Typ = gtPicture;
    MemoVersion = 0;
    Flags = flPictStretched | flPictKeepAspect;
    RegisterPictureConstants();
}

const TRMPropTable* TRMPictureView::PropTable() const
{
    using P = TRMProps<TRMPictureView>;
    // A picture's first Flags bits are its own: "Stretched" means flPictStretched here.
    static const TRMPropTable table(TRMView::PropTable(), TRMPropTable::TListing::WithBase,
        {
            RMFlagProp(QStringLiteral("Stretched"), flPictStretched),
            RMFlagProp(QStringLiteral("Center"), flPictCenter),
            RMFlagProp(QStringLiteral("KeepAspect"), flPictKeepAspect),
            RMFlagProp(QStringLiteral("Transparent"), flPictTransparent),
            P::Text(QStringLiteral("DataField"), &TRMPictureView::DataField),
            P::Row(QStringLiteral("BlobType"), [](TRMPictureView& p) { return Variant::FromInt(p.BlobType); },
                [](TRMPictureView& p, const Variant& x) {
                    const std::int64_t b = PropInt(x, p.BlobType);
                    if (b >= btBMP && b <= btGIF)
                        p.BlobType = static_cast<std::uint8_t>(b);
                }),
        });
    return &table;
}

Variant TRMPictureView::DoMethod(const QString& name, const QList<Variant>& args)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("LOADFROMFILE")) {
        const TRMGraphic graphic = args.isEmpty() ? TRMGraphic() : TRMGraphic::FromFile(PropText(args.first()));
        if (!graphic.IsEmpty())
            Picture = graphic;
        return Variant::FromBool(!graphic.IsEmpty());
    }
    return TRMView::DoMethod(n, args);
}

QString TRMPictureView::GetDescription() const
{
    return RMLocale().LoadStr(47228);
}

void TRMPictureView::Draw(QPainter* painter)
{
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    BeginDraw();
    if (canvas) {
        ShowBackground(*canvas);
        const int l = DrawRect.left(), t = DrawRect.top();
        if (Picture.IsEmpty()) {
            if (RMEngineState().Designing) {
                TRMCanvasFont font;
                font.Name = QStringLiteral("宋体");
                font.Height = TRMCanvasFont::PixelHeight(9, ScaleY);
                font.Charset = RMGlobals().DefaultCharset;
                canvas->SetFont(font);
                canvas->TextOutClipped(DrawRect, l + 20, t + 3, GetDescription());
            }
        } else if (!Picture.CanDraw()) {
            // A metafile is kept for the file but cannot be drawn here: a small crossed box
            // in the corner says a picture is there.
            const int side = std::min({std::max(4, RoundToInt(12 * ScaleX)), DrawRect.width(), DrawRect.height()});
            if (side >= 2) {
                canvas->SetPen(TRMCanvasPen{0x808080, std::max(1, RoundToInt(ScaleX)), cpsSolid});
                canvas->SetBrushColor(kNoColor);
                const int r = l + side - 1, b = t + side - 1;
                canvas->Rectangle(l, t, r, b, 0);
                canvas->Line(l, t, r, b);
                canvas->Line(l, b, r, t);
            }
        } else {
            TRMPictureOptions options;
            options.Stretched = HasFlag(flPictStretched);
            options.Center = HasFlag(flPictCenter);
            options.KeepAspect = HasFlag(flPictKeepAspect);
            const QRect target = RMPictureTarget(DrawRect, QSize(Width, Height), Picture.Size(), ScaleX, ScaleY, options);
            canvas->StretchDraw(target, Picture, DrawRect, HasFlag(flPictTransparent));
        }
        ShowFrame(*canvas);
    }
    EndDraw();
}

// ---- shape ----

TRMShapeView::TRMShapeView()
{
    BaseName = QStringLiteral("Shape");
    Typ = gtAddIn;
    MemoVersion = 0;
    RegisterShapeConstants();
}

const TRMPropTable* TRMShapeView::PropTable() const
{
    using P = TRMProps<TRMShapeView>;
    static const TRMPropTable table(TRMView::PropTable(), TRMPropTable::TListing::WithBase,
        {
            P::Int(QStringLiteral("Shape"), &TRMShapeView::Shape),
            P::Int(QStringLiteral("PenMode"), &TRMShapeView::PenMode),
        });
    return &table;
}

void TRMShapeView::Draw(QPainter* painter)
{
    SetFrameTyp(frLeft | frTop | frRight | frBottom);
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    Memo1 = Memo;
    BeginDraw();
    if (canvas) {
        {
            // The fill belongs to the figure, not to the box around it.
            const RestoreOnExit<std::uint32_t> fill(FillColor, kNoColor);
            ShowBackground(*canvas);
        }
        const int left = Left, top = Top, right = ScaledRight(), bottom = ScaledBottom();
        // Colour and style as scripts see them ("FrameColor", "FrameStyle"), the width of
        // the top side.
        const auto color = static_cast<std::uint32_t>(PropInt(GetPropValue(QStringLiteral("FrameColor")), 0));
        const auto style = static_cast<int>(PropInt(GetPropValue(QStringLiteral("FrameStyle")), psSolid));
        canvas->SetPen(TRMCanvasPen{color, RoundToInt(TopFrame.Width), style});
        canvas->SetBrushColor(FillColor);
        const TRMShapeFigure f = RMShapeFigure(Shape, left, top, right, bottom, Width, Height);
        const QRect& b = f.Box;
        switch (f.Kind) {
        case TRMShapeFigure::Rectangle:
            canvas->Rectangle(b.left(), b.top(), b.right(), b.bottom());
            break;
        case TRMShapeFigure::RoundRect:
            canvas->RoundRect(b.left(), b.top(), b.right(), b.bottom(), f.Corner, f.Corner);
            break;
        case TRMShapeFigure::Ellipse:
            canvas->Ellipse(b.left(), b.top(), b.right(), b.bottom());
            break;
        case TRMShapeFigure::Lines:
            if (f.Closed) {
                // The triangle takes the fill as the other closed figures do.
                QPolygon points;
                for (const QLine& line : f.Segments)
                    points << line.p1();
                canvas->Polygon(points);
            } else {
                for (const QLine& line : f.Segments)
                    canvas->Line(line.p1(), line.p2());
            }
            break;
        case TRMShapeFigure::None:
            break;
        }
        canvas->SetBrushColor(kNoColor);
    }
    EndDraw();
}

// ---- check box ----

TRMCheckBoxView::TRMCheckBoxView()
{
    BaseName = QStringLiteral("Check");
    Typ = gtAddIn;
    MemoVersion = 0;
    RegisterCheckBoxConstants();
}

const TRMPropTable* TRMCheckBoxView::PropTable() const
{
    using P = TRMProps<TRMCheckBoxView>;
    static const TRMPropTable table(TRMView::PropTable(), TRMPropTable::TListing::WithBase,
        {
            P::Row(QStringLiteral("CheckStyle"),
                [](TRMCheckBoxView& c) { return Variant::FromInt(c.CheckStyle); },
                [](TRMCheckBoxView& c, const Variant& x) {
                    const std::int64_t s = PropInt(x, c.CheckStyle);
                    if (s == csCross || s == csCheck)
                        c.CheckStyle = static_cast<std::uint8_t>(s);
                }),
            P::Int(QStringLiteral("CheckColor"), &TRMCheckBoxView::CheckColor),
        });
    return &table;
}

bool TRMCheckBoxView::Checked(const QStringList& lines)
{
    return !lines.isEmpty() && !lines.first().isEmpty() && !lines.first().startsWith(QLatin1Char('0'));
}

QString TRMCheckBoxView::PrintedValue(const Variant& value)
{
    if (value.isEmpty() || value.isNull())
        return {};
    try {
        return QString::number(Round(value.toDouble()));
    } catch (const VariantError&) {
    }
    try {
        return value.toText();
    } catch (const VariantError&) {
        return {};
    }
}

void TRMCheckBoxView::Draw(QPainter* painter)
{
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    Memo1 = Memo;
    BeginDraw();
    if (canvas) {
        ShowBackground(*canvas);
        if (RMEngineState().Designing || Checked(Memo1)) {
            // The marks of the platform's symbol font (0xFC a check, 0xFB a cross) are
            // these two characters; DejaVu Sans has both.
            TRMCanvasFont font;
            font.Name = QStringLiteral("DejaVu Sans");
            font.Color = CheckColor;
            font.Height = -(DrawRect.bottom() + 1 - DrawRect.top());
            font.Charset = 1;
            canvas->SetFont(font);
            const QString mark = CheckStyle == csCheck ? QStringLiteral("\u2714") : QStringLiteral("\u2718");
            const int right = DrawRect.right() + 1;
            const int x = DrawRect.left() + static_cast<int>(Div(right - DrawRect.left() - canvas->TextWidth(mark), 2));
            canvas->TextOutClipped(DrawRect, x, DrawRect.top(), mark);
        }
        ShowFrame(*canvas);
    }
    EndDraw();
}

// ---- region ----

TRMRegionView::TRMRegionView()
{
    BaseName = QStringLiteral("Region");
    Typ = gtRegion;
    MemoVersion = 0;
}

void TRMRegionView::Draw(QPainter* painter)
{
    DrawBox(painter);
}

} // namespace pq
