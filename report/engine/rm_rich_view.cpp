#include "report/engine/rm_rich_view.h"

#include "report/engine/canvas/rm_canvas.h"
#include "report/engine/memo/rm_memo.h"
#include "report/engine/rich/rich_brackets.h"
#include "report/engine/rich/rich_layout.h"
#include "report/engine/rich/rtf_reader.h"
#include "report/engine/rich/rtf_writer.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_report.h"

#include "base/gbk_text.h"
#include "resources/rm_locale.h"

#include <QPainter>
#include <QTextDocument>

#include <cmath>

namespace pq {

namespace {

// The text a new rich view writes in: resource 47444 ("宋体"), 11 points.
QFont DefaultFont()
{
    QFont f(RMLoadStr(47444));
    f.setPointSizeF(11);
    return f;
}

// The lines as RTF, or as plain text when they are not RTF (a script or event may set
// either). Faults of damaged RTF are not reported: what could be read is shown.
void LoadText(QTextDocument& doc, const QStringList& lines)
{
    doc.clear();
    doc.setDefaultFont(DefaultFont());
    const QByteArray bytes = TRMRichView::JoinRtf(lines);
    if (RMLooksLikeRtf(bytes))
        RMReadRtf(bytes, doc);
    else if (!lines.isEmpty())
        doc.setPlainText(lines.join(QLatin1Char('\n')));
}

int Ceil(double v)
{
    return static_cast<int>(std::ceil(v - 1e-6));
}

// The engine's scratch document holding the view's expanded copy, laid out.
QTextDocument& LoadPrinted(TRMRichView& v)
{
    QTextDocument& doc = RMEngineServices().RichScratch();
    LoadText(doc, v.Memo1);
    RMRichLayout(doc, v.TextWidth());
    v.TextEnd = RMRichLength(doc);
    return doc;
}

} // namespace

TRMRichView::TRMRichView()
{
    BaseName = QStringLiteral("Rich");
    Typ = gtAddIn;
    MemoVersion = 0;
}

const TRMPropTable* TRMRichView::PropTable() const
{
    static const TRMPropTable table(TRMView::PropTable(), TRMPropTable::TListing::WithBase,
        {
            RMFlagProp(QStringLiteral("TextOnly"), flTextOnly),
        });
    return &table;
}

QStringList TRMRichView::RtfLines(const QByteArray& rtf)
{
    QStringList lines = FromGbk(rtf).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray TRMRichView::JoinRtf(const QStringList& lines)
{
    return ToGbk(lines.join(QStringLiteral("\r\n")));
}

QByteArray TRMRichView::Rtf() const
{
    return JoinRtf(Memo);
}

QByteArray TRMRichView::PrintedRtf() const
{
    return JoinRtf(Memo1);
}

void TRMRichView::SetRtf(const QByteArray& rtf)
{
    Memo = RtfLines(rtf);
}

void TRMRichView::SetDocument(const QTextDocument& document)
{
    SetRtf(RMWriteRtf(document));
}

int TRMRichView::TextWidth() const
{
    return Width - 2 * Gapx - RMFrameAllowance(LeftFrame) - RMFrameAllowance(RightFrame);
}

int TRMRichView::TextHeightRoom() const
{
    return Height - 2 * Gapy - RMFrameAllowance(TopFrame) - RMFrameAllowance(BottomFrame);
}

QTextDocument& TRMRichView::OwnDocument()
{
    if (!m_doc || m_docSource != Memo) {
        m_doc = std::make_shared<QTextDocument>();
        LoadText(*m_doc, Memo);
        m_docSource = Memo;
    }
    return *m_doc;
}

void TRMRichView::GetBlob(const QString& field)
{
    if (RMEngineServices().MemoServices().PrintingBlankRows())
        return;
    TRMReport* report = RMCurrent().CurReport;
    Variant value;
    if (!RMGetDataFieldValue(report ? report->ReferenceForm.data() : nullptr, field, value))
        return;
    const QString text = value.toText();
    const QByteArray bytes = ToGbk(text);
    if (RMLooksLikeRtf(bytes)) {
        SetRtf(bytes);
    } else {
        QTextDocument doc;
        doc.setDefaultFont(DefaultFont());
        doc.setPlainText(text);
        SetDocument(doc);
    }
}

int TRMRichView::CalcHeight()
{
    TRMMemoServices& sv = RMEngineServices().MemoServices();
    FirstChar = 0;
    PrintedStart = 0;
    FittedEnd = 0;
    const std::uint8_t savedAlign = BandAlign;
    RMAlignForPrint(*this, TRMAlignPhase::StreamOut);
    BandAlign = savedAlign;
    sv.RunScript(*this, OnBeforePrint);
    if (!Visible)
        return 0;
    RMRichBuildPrinted(*this, sv, true);
    sv.RunScript(*this, OnAfterPrint);
    int h = Ceil(RMRichTextHeight(RMEngineServices().RichScratch(), 0));
    if (h < 2)
        h = 8;
    return h + 2 * Gapy + RMFrameAllowance(TopFrame) + RMFrameAllowance(BottomFrame);
}

int TRMRichView::RemainHeight()
{
    const QTextDocument& doc = LoadPrinted(*this);
    FittedEnd = RMRichFit(doc, PrintedStart, TextHeightRoom()).End;
    return 0;
}

int TRMRichView::LostHeight()
{
    const QTextDocument& doc = LoadPrinted(*this);
    return HasRest() ? Ceil(RMRichTextHeight(doc, FittedEnd)) : 0;
}

int TRMRichView::NextLineHeight()
{
    const QTextDocument& doc = LoadPrinted(*this);
    const int h = HasRest() ? Ceil(RMRichLineHeight(doc, FittedEnd)) : 0;
    return h > 0 ? h : 8;
}

void TRMRichView::Draw(QPainter* painter)
{
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    RMAlignForPrint(*this, TRMAlignPhase::Draw);
    // Laid out in report pixels; drawing scales the lines into the device's rectangle.
    const int width = TextWidth();
    BeginDraw();
    if (canvas) {
        ShowBackground(*canvas);
        FirstChar = 0;
        const QRect r = DrawRect.adjusted(Gapx, Gapy, -Gapx, -Gapy);
        if (r.width() > 0 && r.height() > 0 && width > 0) {
            QTextDocument& doc = OwnDocument();
            RMRichLayout(doc, width);
            RMRichDraw(doc, *painter, QRectF(r), ScaleX, ScaleY);
            // Whoever collects the page's text gets the rich lines as outputs of their own.
            if (canvas->HasTextSink())
                for (const TRMRichLine& line : RMRichLines(doc)) {
                    const QRectF shown = QRectF(r.left() + line.Rect.left() * ScaleX, r.top() + line.Rect.top() * ScaleY,
                        line.Rect.width() * ScaleX, line.Rect.height() * ScaleY) & QRectF(r);
                    if (!shown.isEmpty())
                        canvas->ReportText(line.Text, shown);
                }
        }
        ShowFrame(*canvas);
    }
    EndDraw();
}

void RMRichBuildPrinted(TRMRichView& v, TRMMemoServices& sv, bool useEvent)
{
    v.Memo1 = v.Memo;
    bool changed = false;
    TRMReport* report = RMCurrent().CurReport;
    if (useEvent && report && report->OnBeforePrint) {
        const QStringList before = v.Memo1;
        report->OnBeforePrint(&v);
        changed = v.Memo1 != before;
    }
    QTextDocument& doc = RMEngineServices().RichScratch();
    if (sv.PrintingBlankRows()) {
        // Blank rows show nothing and evaluate nothing.
        doc.clear();
        doc.setDefaultFont(DefaultFont());
    } else {
        LoadText(doc, v.Memo1);
        if (!changed && !v.HasFlag(flTextOnly))
            RMRichExpandBrackets(doc, [&](const QString& bracket) { return sv.ExpandText(v, bracket); });
    }
    v.Memo1 = TRMRichView::RtfLines(RMWriteRtf(doc));
    RMRichLayout(doc, v.TextWidth());
    v.TextEnd = RMRichLength(doc);
}

void RMRichStreamOut(TRMRichView& v, TRMStreamOutTarget& target, TRMMemoServices& sv)
{
    const QString savedTag = v.Tag;
    const std::uint8_t savedAlign = v.BandAlign;
    const bool partial = v.DrawMode == 2;
    v.DrawMode = 0;
    RMAlignForPrint(v, TRMAlignPhase::StreamOut);
    auto restore = [&] {
        v.Tag = savedTag;
        v.BandAlign = savedAlign;
    };
    sv.RunScript(v, v.OnBeforePrint);
    if (!v.Visible) {
        restore();
        return;
    }
    const int savedFormat = v.Format;
    v.Format = 0;
    v.Tag = sv.ExpandText(v, v.Tag, true);
    v.Format = savedFormat;
    RMRichBuildPrinted(v, sv, true);
    const QStringList whole = v.Memo1;
    if (partial) {
        // Only the part that fits this page goes out; the rest waits for the next.
        QTextDocument& doc = RMEngineServices().RichScratch();
        const int start = std::min(v.FittedEnd, v.TextEnd);
        const TRMRichFit fit = RMRichFit(doc, start, v.TextHeightRoom());
        RMRichCut(doc, start, fit.End);
        v.PrintedStart = start;
        v.FittedEnd = fit.End;
        v.Memo1 = TRMRichView::RtfLines(RMWriteRtf(doc));
    } else {
        v.PrintedStart = 0;
        v.FittedEnd = v.TextEnd;
    }
    target.WriteView(v);
    // The whole expanded copy stays, so the height of what is left can be asked.
    v.Memo1 = whole;
    sv.RunScript(v, v.OnAfterPrint);
    restore();
}

} // namespace pq
