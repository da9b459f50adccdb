#include "report/gridreport/rm_print_controls.h"

#include "base/variant.h"
#include "report/engine/rich/rtf_writer.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_rich_view.h"
#include "report/gridreport/rm_grid_cells.h"
#include "report/gridreport/rm_grid_report.h"
#include "widgets/image_control.h"
#include "widgets/shape_control.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextEdit>

namespace pq {

namespace {

// Where every printer's view goes: at the control's place, named, on the page, filed above
// or below the grid, framed or not.
void Place(TRMFormReport& r, QWidget* control, TRMView& v, int dx, int dy, int width, int height)
{
    v.SetBounds(control->x() + r.OriginX + dx, control->y() + r.OriginY + dy, width, height);
    RMSetFrameLines(v, r.ReportOptions.Has(rmgoDrawBorder));
    if (r.GridPrinted)
        r.ColumnFooterObjects << &v;
    else
        r.HeaderObjects << &v;
}

TRMMemoView* NewMemo(TRMFormReport& r, TRMPage* page, QWidget* control)
{
    auto* memo = static_cast<TRMMemoView*>(r.Report()->CreateObject(page, gtMemo));
    RMFontFromGrid(memo->Font, control->font(), control->palette().color(QPalette::WindowText), false);
    return memo;
}

QStringList LinesOf(const QString& text)
{
    return text.split(QLatin1Char('\n'));
}

// Qt's alignment as a memo's horizontal alignment (0 left, 1 right, 2 centre) and layout
// (0 top, 1 centre, 2 bottom).
int HAlignOf(Qt::Alignment a)
{
    if (a & Qt::AlignRight)
        return 1;
    if (a & Qt::AlignHCenter)
        return 2;
    return 0;
}

int LayoutOf(Qt::Alignment a)
{
    if (a & Qt::AlignBottom)
        return 2;
    if (a & Qt::AlignTop)
        return 0;
    return 1;
}

} // namespace

void TRMPrintControl::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    TRMMemoView* memo = NewMemo(r, page, control);
    int dy = 0;
    if (auto* label = qobject_cast<QLabel*>(control)) {
        memo->Memo = LinesOf(label->text());
        memo->SetFlag(flMemoWordwrap, label->wordWrap());
        memo->SetHAlign(HAlignOf(label->alignment()));
        memo->SetLayout(LayoutOf(label->alignment()));
        dy = -2;
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        memo->Memo = LinesOf(plain->toPlainText());
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        memo->Memo = items;
        memo->SetLayout(1);
    } else {
        const QVariant text = control->property("text");
        memo->Memo = LinesOf(text.isValid() ? text.toString() : control->windowTitle());
    }
    Place(r, control, *memo, 0, dy, control->width() + 8, control->height() + 4);
    view = memo;
}

void TRMPrintEdit::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    auto* memo = static_cast<TRMMemoView*>(r.Report()->CreateObject(page, gtMemo));
    memo->SetLayout(1);
    bool framed = true;
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        framed = edit->hasFrame();
        text = edit->text();
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        framed = combo->hasFrame();
        text = combo->currentText();
    } else {
        text = control->property("text").toString();
    }
    memo->Memo = {text};
    // The text sits inside the frame the style draws round it.
    const int frame = framed ? control->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, control) : 0;
    const int clientWidth = std::max(0, control->width() - 2 * frame);
    const int clientHeight = std::max(0, control->height() - 2 * frame);
    Place(r, control, *memo, (control->width() - clientWidth) / 2, (control->height() - clientHeight) / 2, clientWidth,
        clientHeight);
    RMFontFromGrid(memo->Font, control->font(), control->palette().color(QPalette::Text), false);
    view = memo;
}

void TRMPrintRichEdit::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    auto* rich = static_cast<TRMRichView*>(r.Report()->CreateObject(page, gtAddIn, QStringLiteral("TRMRichView")));
    if (auto* edit = qobject_cast<QTextEdit*>(control))
        rich->SetRtf(RMWriteRtf(*edit->document()));
    Place(r, control, *rich, 0, 0, control->width() + 2, control->height() + 2);
    view = rich;
}

void TRMPrintCheckBox::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    auto* check = qobject_cast<QCheckBox*>(control);
    auto* box = static_cast<TRMCheckBoxView*>(r.Report()->CreateObject(page, gtAddIn, QStringLiteral("TRMCheckBoxView")));
    box->Memo = {check && check->isChecked() ? QStringLiteral("1") : QStringLiteral("0")};
    Place(r, control, *box, 0, 0, 18, control->height() + 2);
    TRMMemoView* caption = NewMemo(r, page, control);
    caption->SetLayout(1);
    caption->Memo = {check ? check->text() : QString()};
    Place(r, control, *caption, 18, 0, control->width() - 16, control->height() + 2);
    view = caption;
}

void TRMPrintDateTimePicker::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    TRMMemoView* memo = NewMemo(r, page, control);
    if (auto* picker = qobject_cast<QDateTimeEdit*>(control)) {
        const bool timeOnly = !(picker->displayedSections() & QDateTimeEdit::DateSections_Mask);
        const QLocale system = QLocale::system();
        memo->Memo = {timeOnly ? system.toString(picker->time(), QLocale::ShortFormat)
                               : system.toString(picker->date(), QLocale::ShortFormat)};
    }
    Place(r, control, *memo, 0, 0, control->width() + 2, control->height() + 2);
    view = memo;
}

void TRMPrintShape::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    auto* shape = qobject_cast<TShape*>(control);
    const TShape::TShapeType kind = shape ? shape->Shape() : TShape::stRectangle;
    const TShape::TPen pen = shape ? shape->Pen() : TShape::TPen{};
    const int w = control->width(), h = control->height();
    const bool rectangular = kind == TShape::stRectangle || kind == TShape::stRoundRect;
    // A shape two pixels thin or less is a line on the form, and prints as one. (A full-size
    // rectangle prints as its figure: as a line view it would print as one of its sides.)
    TRMView* v = nullptr;
    if (h <= 2 || (rectangular && w <= 2)) {
        v = r.Report()->CreateObject(page, gtLine);
        Place(r, control, *v, 0, 0, w, h);
        const float width = static_cast<float>(w <= 2 ? w : h);
        for (TRMFrameLine* f : v->Frames())
            f->Width = width;
    } else {
        auto* figure = static_cast<TRMShapeView*>(r.Report()->CreateObject(page, gtAddIn, QStringLiteral("TRMShapeView")));
        switch (kind) {
        case TShape::stRectangle: figure->Shape = TRMShapeView::skRectangle; break;
        case TShape::stSquare: figure->Shape = TRMShapeView::skSquare; break;
        case TShape::stRoundRect: figure->Shape = TRMShapeView::skRoundRectangle; break;
        case TShape::stRoundSquare: figure->Shape = TRMShapeView::skRoundSquare; break;
        case TShape::stEllipse: figure->Shape = TRMShapeView::skEllipse; break;
        case TShape::stCircle: figure->Shape = TRMShapeView::skCircle; break;
        }
        figure->PenMode = static_cast<std::uint8_t>(pen.Mode);
        Place(r, control, *figure, 0, 0, w, h);
        for (TRMFrameLine* f : figure->Frames())
            f->Width = static_cast<float>(pen.Width);
        v = figure;
    }
    v->FillColor = RMColorValue(shape ? shape->BrushColor() : QColor(Qt::white));
    v->SetPropValue(QStringLiteral("FrameColor"), Variant::FromInt(RMColorValue(pen.Color)));
    view = v;
}

void TRMPrintImage::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    auto* picture = static_cast<TRMPictureView*>(r.Report()->CreateObject(page, gtPicture));
    if (auto* image = qobject_cast<TImage*>(control)) {
        if (!image->Picture().isNull())
            picture->Picture = TRMGraphic::FromImage(image->Picture());
        picture->SetFlag(TRMPictureView::flPictCenter, image->Center());
        picture->SetFlag(TRMPictureView::flPictStretched, image->Stretch());
    }
    picture->SetFlag(TRMPictureView::flPictKeepAspect, false);
    Place(r, control, *picture, 0, 0, control->width(), control->height());
    for (TRMFrameLine* f : picture->Frames())
        f->Width = 0;
    view = picture;
}

} // namespace pq
