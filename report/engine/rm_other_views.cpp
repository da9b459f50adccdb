#include "report/engine/rm_other_views.h"

#include "report/engine/canvas/rm_canvas.h"
#include "report/engine/rm_engine_state.h"

#include "base/rounding.h"


#include <algorithm>

namespace pq {

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
    BeginDraw();
    if (canvas) {
        // The direction follows from which extent is zero: a vertical line keeps its left
        // side, a horizontal one is drawn along its top.
        canvas->SetPen(TRMCanvasPen{LeftFrame.Color, std::max(1, static_cast<int>(Round(LeftFrame.Width))), cpsSolid});
        if (Width == 0)
            canvas->Line(Left, Top, Left, Top + Height);
        else
            canvas->Line(Left, Top, Left + Width, Top);
    }
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
        QImage image;
        const bool ok = !args.isEmpty() && image.load(PropText(args.first()));
        if (ok)
            Picture = image;
        return Variant::FromBool(ok);
    }
    return TRMView::DoMethod(n, args);
}

void TRMPictureView::Draw(QPainter* painter)
{
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    BeginDraw();
    if (canvas) {
        ShowBackground(*canvas);
        if (!Picture.isNull()) {
            const QRect target = DrawRect;
            QSize size = Picture.size();
            if (HasFlag(flPictStretched)) {
                size = HasFlag(flPictKeepAspect) ? size.scaled(target.size(), Qt::KeepAspectRatio)
                                                 : target.size();
            }
            QRect r(target.topLeft(), size);
            if (HasFlag(flPictCenter))
                r.moveCenter(target.center());
            canvas->StretchDraw(r, Picture, target);
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
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    BeginDraw();
    if (canvas) {
        canvas->SetPen(TRMCanvasPen{LeftFrame.Color, std::max(1, static_cast<int>(Round(LeftFrame.Width))), cpsSolid});
        canvas->SetBrushColor(FillColor);
        QRect r(Left, Top, Width, Height);
        if (Shape >= skSquare) {
            const int side = std::min(Width, Height);
            r = QRect(Left + (Width - side) / 2, Top + (Height - side) / 2, side, side);
        }
        const int l = r.left(), t = r.top(), right = r.left() + r.width(), bottom = r.top() + r.height();
        const int corner = std::min(r.width(), r.height()) / 2;
        switch (Shape) {
        case skRoundRectangle:
        case skRoundSquare:
            canvas->RoundRect(l, t, right, bottom, corner, corner);
            break;
        case skEllipse:
        case skCircle:
            canvas->Ellipse(l, t, right, bottom);
            break;
        case skTriangle:
            canvas->Polygon(QPolygon({QPoint(l + r.width() / 2, t), QPoint(right, bottom), QPoint(l, bottom)}));
            break;
        case skDiagonal1:
            canvas->Line(l, t, right, bottom);
            break;
        case skDiagonal2:
            canvas->Line(l, bottom, right, t);
            break;
        default:
            canvas->Rectangle(l, t, right, bottom);
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
    RMRegisterConstants({{QStringLiteral("csCross"), csCross}, {QStringLiteral("csCheck"), csCheck}});
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

void TRMCheckBoxView::Draw(QPainter* painter)
{
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    BeginDraw();
    if (canvas) {
        ShowBackground(*canvas);
        // The mark shows when the printed text is a true value.
        const QString text = Memo1.join(QString()).trimmed();
        const bool checked = !text.isEmpty() && text != QLatin1String("0")
            && text.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
        if (checked) {
            canvas->SetPen(TRMCanvasPen{CheckColor, 2, cpsSolid});
            const QRect r = DrawRect.adjusted(2, 2, -2, -2);
            if (CheckStyle == csCheck) {
                canvas->Polyline(QPolygon({QPoint(r.left(), r.center().y()),
                    QPoint(r.left() + r.width() / 3, r.bottom()), r.topRight()}));
            } else {
                canvas->Line(r.topLeft(), r.bottomRight());
                canvas->Line(r.bottomLeft(), r.topRight());
            }
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
