#include "report/engine/rm_other_views.h"

#include "report/engine/rm_engine_state.h"

#include "base/rounding.h"

#include <QPainter>

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
