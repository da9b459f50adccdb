#include "report/preview/surface/rm_preview.h"

#include "base/drawn_icon.h"
#include "base/rounding.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_report.h"
#include "report/preview/printer/printer.h"
#include "resources/rm_locale.h"

#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>

namespace pq {

namespace {

const QColor kPanelGrey(128, 128, 128);
constexpr int kStripWidth = 16;
constexpr int kStripHeight = 18;
constexpr int kSmallStep = 10;
constexpr int kLargeStep = 200;

int RoundInt(double v) { return RoundToInt(v); }

QIcon ArrowGlyph(bool up)
{
    return DrawnIcon([up](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        // Two stacked arrowheads: a page up or down.
        for (int k = 0; k < 2; ++k) {
            const int y = up ? 3 + 5 * k : 12 - 5 * k;
            const int d = up ? 4 : -4;
            p.drawPolygon(QPolygon({QPoint(4, y + d), QPoint(12, y + d), QPoint(8, y)}));
        }
    });
}

} // namespace

// --- the drawing panel ------------------------------------------------------------------------

TRMDrawPanel::TRMDrawPanel(TRMPreview& preview, QWidget* parent) : QWidget(parent), m_preview(preview)
{
    // Painting covers every pixel; nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAutoFillBackground(false);
}

int TRMDrawPanel::PageAt(const QPoint& layoutPoint) const
{
    const QList<QRect>& rects = m_preview.m_rects;
    for (qsizetype k = 0; k < rects.size(); ++k)
        if (rects[k].contains(layoutPoint))
            return static_cast<int>(k) + 1;
    return 0;
}

void TRMDrawPanel::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    TRMEMFPages* pages = m_preview.m_pages.get();
    if (!pages) {
        p.fillRect(rect(), palette().color(QPalette::Button));
        return;
    }
    if (!m_preview.m_ready) {
        p.fillRect(rect(), kPanelGrey);
        return;
    }
    const QList<QRect>& rects = m_preview.m_rects;
    const QPoint offset = m_preview.m_offset;
    const double s = m_preview.m_scale;
    const QRegion exposed = event->region();
    // Visible against the panel's real extent, whatever its height or the zoom.
    std::vector<bool> visible(rects.size());
    for (qsizetype k = 0; k < rects.size(); ++k) {
        const QRect r = rects[k].translated(offset);
        visible[k] = r.intersects(rect()) && exposed.intersects(r.adjusted(-1, -1, 1, 1));
    }
    p.fillRect(exposed.boundingRect(), kPanelGrey);

    for (qsizetype k = 0; k < rects.size(); ++k) {
        TRMEMFPage* page = pages->Page(static_cast<int>(k));
        if (!page)
            continue;
        const QRect r = rects[k].translated(offset);
        page->Visible = visible[k];
        if (!visible[k]) {
            pages->Draw(static_cast<int>(k), &p, QRect()); // releases its objects
            continue;
        }
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        // The shadow along the right and bottom edges.
        p.drawPolyline(QPolygon({QPoint(r.left() + 1, r.bottom() + 1), QPoint(r.right() + 1, r.bottom() + 1),
            QPoint(r.right() + 1, r.top() + 1)}));
        m_hitLeft = r.left();
        m_hitRight = r.right() + 1;

        // Margin corner marks.
        const TRMPageMetrics& m = page->PageInfo;
        const auto& mg = page->Margins;
        const int left = r.left() + RoundInt(s * (mg[0] != 0 ? mg[0] : m.OffsetLeft));
        const int top = r.top() + RoundInt(s * (mg[1] != 0 ? mg[1] : m.OffsetTop));
        const int right = r.left()
            + (mg[2] != 0 ? RoundInt(s * (m.PageWidth - mg[2])) : RoundInt(s * (m.OffsetLeft + m.PrintableWidth)));
        const int bottom = r.top()
            + (mg[3] != 0 ? RoundInt((m.PageHeight - mg[3]) * s) : RoundInt(s * (m.OffsetTop + m.PrintableHeight)));
        const int len = RoundInt(s * 20);
        p.setPen(QPen(kPanelGrey, 1));
        p.drawLine(left, top, left, top - len);
        p.drawLine(left, top, left - len, top);
        p.drawLine(right, top, right, top - len);
        p.drawLine(right, top, right + len, top);
        p.drawLine(left, bottom, left, bottom + len);
        p.drawLine(left, bottom, left - len, bottom);
        p.drawLine(right, bottom, right, bottom + len);
        p.drawLine(right, bottom, right + len, bottom);

        if (page->BackPicture != kNoBackPicture) {
            if (TRMBkPicture* bk = pages->BkPicture(page->BackPicture); bk && !bk->Picture.isNull()) {
                p.save();
                p.setClipRect(r.adjusted(1, 1, -1, -1));
                const QRect target(r.left() + RoundInt(bk->Left * s), r.top() + RoundInt(bk->Top * s),
                    RoundInt(bk->Width * s), RoundInt(bk->Height * s));
                p.drawImage(target, bk->Picture);
                p.restore();
            }
        }
        p.save();
        pages->Draw(static_cast<int>(k), &p, r);
        p.restore();
    }
    if (!m_preview.m_inverted.isEmpty()) {
        // White in exclusive-or mode: the match shows in inverted colours.
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(m_preview.m_inverted, Qt::white);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

void TRMDrawPanel::mousePressEvent(QMouseEvent* event)
{
    m_down = event->position().toPoint();
    if (!m_preview.m_pages || m_preview.PageCount() == 0)
        return;
    if (m_skipNextPress) {
        m_skipNextPress = false;
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_clickedPage = 0;
    const QPoint point = m_down - m_preview.m_offset;
    const double s = m_preview.m_scale > 0 ? m_preview.m_scale : 1.0;
    for (qsizetype k = 0; k < m_preview.m_rects.size(); ++k) {
        const QRect& r = m_preview.m_rects[k];
        if (!r.contains(point))
            continue;
        m_clickedPage = static_cast<int>(k) + 1;
        const QPoint inPage(RoundInt((point.x() - r.left()) / s), RoundInt((point.y() - r.top()) / s));
        if (m_preview.m_pages->ObjectAt(static_cast<int>(k), inPage, true).HandlerAssigned)
            return;
    }
    m_dragging = true;
    m_last = m_down;
    if (m_clickedPage > 0) {
        m_preview.m_currentPage = m_clickedPage;
        m_preview.UpdateLabel();
    }
}

void TRMDrawPanel::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    m_magnifierCursor = m_preview.m_magnifier && pos.x() >= m_hitLeft && pos.x() <= m_hitRight;
    if (m_dragging) {
        QScrollBar* h = m_preview.m_hbar;
        QScrollBar* v = m_preview.m_vbar;
        h->setValue(h->value() - (pos.x() - m_last.x()));
        v->setValue(v->value() - (pos.y() - m_last.y()));
        m_last = pos;
    } else if (m_preview.m_report && m_preview.m_report->OnMouseOverObject && m_preview.m_pages) {
        const QPoint point = pos - m_preview.m_offset;
        const double s = m_preview.m_scale > 0 ? m_preview.m_scale : 1.0;
        if (const int page = PageAt(point); page > 0) {
            const QRect& r = m_preview.m_rects[page - 1];
            m_preview.m_pages->ObjectAt(page - 1,
                QPoint(RoundInt((point.x() - r.left()) / s), RoundInt((point.y() - r.top()) / s)), false);
        }
    }
    if (m_magnifierCursor)
        setCursor(TRMPreview::MagnifierCursor());
    else
        unsetCursor();
}

void TRMDrawPanel::mouseReleaseEvent(QMouseEvent*)
{
    if (m_magnifierCursor && m_preview.m_pages && m_preview.PageCount() > 0) {
        if (m_preview.m_zoomMode == TRMZoomMode::WholePage)
            m_preview.ZoomPercent(100);
        else
            m_preview.ZoomWholePage();
        // Keep the spot clicked in view.
        m_preview.m_vbar->setValue(m_preview.m_vbar->value() + m_down.y());
        m_preview.m_hbar->setValue(m_preview.m_hbar->value() + m_down.x());
    }
    m_dragging = false;
}

void TRMDrawPanel::mouseDoubleClickEvent(QMouseEvent*)
{
    if (m_preview.m_magnifier)
        return;
    // Editing a page on double click needs a designer, which this system has not.
    m_dragging = false;
    m_skipNextPress = true;
}

void TRMDrawPanel::wheelEvent(QWheelEvent* event)
{
    const int notches = event->angleDelta().y() / 120;
    if (notches != 0)
        m_preview.m_vbar->setValue(m_preview.m_vbar->value() - notches * kSmallStep);
    event->accept();
}

// --- the preview --------------------------------------------------------------------------------

TRMPreview::TRMPreview(QWidget* parent) : QWidget(parent)
{
    m_right = new QWidget(this);
    m_vbar = new QScrollBar(Qt::Vertical, m_right);
    m_pgUp = new QToolButton(m_right);
    m_pgDn = new QToolButton(m_right);
    m_pgUp->setObjectName(QStringLiteral("PgUp"));
    m_pgDn->setObjectName(QStringLiteral("PgDn"));
    m_pgUp->setIcon(ArrowGlyph(true));
    m_pgDn->setIcon(ArrowGlyph(false));
    for (QToolButton* b : {m_pgUp, m_pgDn}) {
        b->setFixedSize(16, 16);
        b->setIconSize(QSize(16, 16));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    m_bottom = new QWidget(this);
    m_label = new QLabel(m_bottom);
    m_label->setGeometry(4, 1, 74, 17);
    m_hbar = new QScrollBar(Qt::Horizontal, m_bottom);
    m_panel = new TRMDrawPanel(*this, this);
    for (QScrollBar* bar : {m_vbar, m_hbar}) {
        bar->setRange(0, 32000);
        bar->setSingleStep(kSmallStep);
        bar->setPageStep(kLargeStep);
        bar->setFocusPolicy(Qt::NoFocus);
    }
    connect(m_vbar, &QScrollBar::valueChanged, this, [this](int v) { VScrolled(v); });
    connect(m_hbar, &QScrollBar::valueChanged, this, [this](int v) { HScrolled(v); });
    connect(m_pgUp, &QToolButton::clicked, this, [this] { Prior(); });
    connect(m_pgDn, &QToolButton::clicked, this, [this] { Next(); });
    setFocusPolicy(Qt::StrongFocus);
}

TRMPreview::~TRMPreview()
{
    // Pages still held go back to a report that outlives us, else they go with us.
    if (m_report && m_pages)
        Disconnect();
}

void TRMPreview::Connect(TRMReport* report)
{
    m_report = report;
    m_pages.reset();
    if (!report)
        return;
    TRMEMFPages* taken = report->EMFPages;
    if (taken) {
        taken->setParent(nullptr);
        report->EMFPages = nullptr;
        m_pages.reset(taken);
    } else {
        m_pages = std::make_unique<TRMEMFPages>(nullptr);
    }
    new TRMEMFPages(report); // the report's fresh, empty store
}

void TRMPreview::Disconnect()
{
    if (!m_report || !m_pages)
        return;
    ReleaseAllPages();
    delete m_report->EMFPages;
    TRMEMFPages* back = m_pages.release();
    back->setParent(m_report);
    m_report->EMFPages = back;
}

void TRMPreview::OpenReport(TRMReport* report)
{
    Connect(report);
    m_loadedFromFile = false;
    if (report) {
        AfterPageSetup = report->AfterPageSetup;
        switch (report->InitialZoom) {
        case pzPageWidth: m_zoomMode = TRMZoomMode::PageWidth; break;
        case pzOnePage: m_zoomMode = TRMZoomMode::WholePage; break;
        case pzTwoPages: m_zoomMode = TRMZoomMode::TwoPages; break;
        default: m_zoomMode = TRMZoomMode::Percent; break;
        }
    }
    GotoPage(1);
    Refresh(true);
}

TRMReport* TRMPreview::Report() const { return m_report.data(); }

int TRMPreview::PageCount() const { return m_pages ? m_pages->Count() : 0; }

void TRMPreview::GotoPage(int page)
{
    const int count = PageCount();
    if (count == 0)
        return;
    m_currentPage = std::clamp(page, 1, count);
    ScrollToCurrent();
    UpdateLabel();
}

void TRMPreview::First() { GotoPage(1); }
void TRMPreview::Prior() { GotoPage(m_currentPage - 1); }
void TRMPreview::Next() { GotoPage(m_currentPage + 1); }
void TRMPreview::Last() { GotoPage(PageCount()); }

void TRMPreview::ZoomPercent(double percent)
{
    m_scale = RMClampPreviewScale(percent / 100.0);
    m_zoomMode = TRMZoomMode::Percent;
    m_chosenScale = m_scale;
    Layout();
    m_panel->update();
    Fire(OnStatusChange);
}

void TRMPreview::ZoomPageWidth()
{
    m_zoomMode = TRMZoomMode::PageWidth;
    Layout();
    m_panel->update();
    Fire(OnStatusChange);
}

void TRMPreview::ZoomWholePage()
{
    m_zoomMode = TRMZoomMode::WholePage;
    Layout();
    m_panel->update();
    Fire(OnStatusChange);
}

void TRMPreview::ZoomTwoPages()
{
    m_zoomMode = TRMZoomMode::TwoPages;
    Layout();
    m_panel->update();
    Fire(OnStatusChange);
}

void TRMPreview::ZoomPrinterResolution()
{
    const TRMPrinter& printer = GetReportPrinter();
    m_zoomMode = printer.PrinterInfo() && printer.PrinterInfo()->IsValid ? TRMZoomMode::PrinterResolution
                                                                         : TRMZoomMode::PageWidth;
    Layout();
    m_panel->update();
    Fire(OnStatusChange);
}

void TRMPreview::SetMagnifier(bool on)
{
    m_magnifier = on;
    if (!on)
        m_panel->unsetCursor();
}

void TRMPreview::Refresh(bool reset)
{
    m_scale = m_chosenScale;
    if (reset) {
        m_currentPage = 1;
        m_offset = QPoint();
        m_lastH = m_lastV = 0;
        const QSignalBlocker bv(m_vbar);
        const QSignalBlocker bh(m_hbar);
        m_vbar->setValue(0);
        m_hbar->setValue(0);
    }
    UpdateLabel();
    Layout();
    ReleaseAllPages();
    m_panel->update();
}

void TRMPreview::ReleaseAllPages()
{
    if (!m_pages)
        return;
    for (int k = 0; k < m_pages->Count(); ++k)
        if (TRMEMFPage* page = m_pages->Page(k)) {
            page->Visible = false;
            page->Page.reset();
        }
}

QString TRMPreview::PageLabel() const
{
    if (!m_pages)
        return QString();
    return RMLoadStr(47004) + QLatin1Char(' ') + QString::number(m_currentPage) + QLatin1Char('/')
        + QString::number(PageCount());
}

void TRMPreview::UpdateLabel()
{
    m_label->setText(PageLabel());
    Fire(OnPageChanged);
}

void TRMPreview::resizeEvent(QResizeEvent*)
{
    Layout();
}

void TRMPreview::Layout()
{
    // The strips and the panel.
    const int w = width();
    const int h = height();
    m_right->setGeometry(w - kStripWidth, 0, kStripWidth, h - kStripHeight);
    m_bottom->setGeometry(0, h - kStripHeight, w, kStripHeight);
    const int pgDnTop = m_right->height() - 16;
    m_pgDn->move(0, pgDnTop);
    m_pgUp->move(0, pgDnTop - 16);
    m_vbar->setGeometry(0, 0, kStripWidth, std::max(0, pgDnTop - 16 - 1));
    m_hbar->setGeometry(80, 1, std::max(0, w - 80 - kStripWidth), 16);
    m_panel->setGeometry(0, 0, std::max(0, w - kStripWidth), std::max(0, h - kStripHeight));

    ClearInverted();
    if (!m_pages)
        return;
    m_ready = false;
    if (PageCount() == 0)
        return;
    TRMPreviewLayoutInput in;
    in.Pages.reserve(PageCount());
    for (int k = 0; k < PageCount(); ++k) {
        const TRMPageMetrics& m = m_pages->Page(k)->PageInfo;
        in.Pages.append(QSize(m.PageWidth, m.PageHeight));
    }
    in.CurrentPage = std::clamp(m_currentPage, 1, PageCount()) - 1;
    in.Panel = m_panel->size();
    in.Mode = m_zoomMode;
    in.Scale = m_scale;
    if (m_zoomMode == TRMZoomMode::PrinterResolution)
        in.PrinterFactor = GetReportPrinter().FactorY();
    const TRMPreviewLayoutResult r = RMLayoutPreview(in);
    m_scale = r.Scale;
    m_rects = r.Rects;
    {
        const QSignalBlocker bh(m_hbar);
        m_hbar->setRange(0, r.MaxX);
        m_hbar->setEnabled(r.MaxX != 0);
        m_offset.setX(-m_hbar->value());
    }
    m_vbar->setRange(0, r.MaxY);
    m_vbar->setEnabled(r.MaxY != 0);
    m_offset.setY(-m_vbar->value());
    ScrollToCurrent();
    m_ready = true;
    m_panel->update();
    Fire(OnStatusChange);
}

void TRMPreview::ScrollToCurrent()
{
    if (m_rects.isEmpty() || m_currentPage < 1 || m_currentPage > m_rects.size())
        return;
    m_vbar->setValue(m_rects[m_currentPage - 1].top() - kPreviewGap);
}

void TRMPreview::ShowInverted(const QRect& panelRect)
{
    m_inverted = panelRect;
    m_panel->repaint();
}

void TRMPreview::ClearInverted()
{
    if (m_inverted.isEmpty())
        return;
    const QRect was = m_inverted;
    m_inverted = QRect();
    m_panel->update(was);
}

void TRMPreview::VScrolled(int value)
{
    const int delta = m_lastV - value;
    if (delta != 0)
        ClearInverted();
    m_lastV = value;
    m_offset.setY(-value);
    if (delta != 0)
        m_panel->scroll(0, delta);
    const int page = RMPreviewPageAt(m_rects, value);
    if (page >= 0 && page + 1 != m_currentPage) {
        m_currentPage = page + 1;
        UpdateLabel();
    }
}

void TRMPreview::HScrolled(int value)
{
    const int delta = m_lastH - value;
    if (delta != 0)
        ClearInverted();
    m_lastH = value;
    m_offset.setX(-value);
    if (delta != 0)
        m_panel->scroll(delta, 0);
}

bool TRMPreview::LoadFromFiles(const QStringList& names, QString* error)
{
    if (!m_report || names.isEmpty())
        return false;
    // The pages go back to the report, which loads into its own store.
    Disconnect();
    TRMEMFPages& store = *m_report->EMFPages;
    bool ok = true;
    if (QFileInfo::exists(names.first())) {
        const TRMLoadResult result = store.LoadFromFile(names.first(), false, this);
        if (result.Ok()) {
            m_loadedFromFile = true;
        } else {
            ok = false;
            if (error)
                *error = QStringLiteral("%1: %2").arg(names.first(), result.ErrorText);
        }
    } else {
        ok = false;
        if (error)
            *error = QStringLiteral("%1: 文件不存在。").arg(names.first());
    }
    for (qsizetype k = 1; ok && k < names.size(); ++k) {
        if (!QFileInfo::exists(names[k]))
            continue;
        TRMEMFPages more;
        if (more.LoadFromFile(names[k], false, this).Ok())
            store.AppendPages(more);
    }
    Connect(m_report);
    m_currentPage = 1;
    Layout();
    m_ready = false;
    if (PageCount() > 0) {
        UpdateLabel();
        ScrollToCurrent();
    }
    m_ready = PageCount() > 0;
    m_panel->update();
    return ok;
}

bool TRMPreview::SaveToFile(const QString& name, QString* error)
{
    if (!m_report || !m_pages)
        return false;
    const QFileInfo info(name);
    const QString target = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".rmp");
    Disconnect();
    const bool ok = m_report->EMFPages->SaveToFile(target, this);
    // The pages are shown again whatever the outcome.
    Connect(m_report);
    Layout();
    if (!ok && error)
        *error = QStringLiteral("无法保存文件“%1”。").arg(target);
    return ok;
}

const QCursor& TRMPreview::MagnifierCursor()
{
    static const QCursor cursor = [] {
        QPixmap pm(32, 32);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, 4));
        p.drawEllipse(QRectF(3, 3, 17, 17));
        p.drawLine(QPointF(18, 18), QPointF(28, 28));
        p.setPen(QPen(Qt::black, 2));
        p.drawEllipse(QRectF(3, 3, 17, 17));
        p.setPen(QPen(Qt::black, 3));
        p.drawLine(QPointF(18, 18), QPointF(28, 28));
        p.setPen(QPen(Qt::black, 1.5));
        p.drawLine(QPointF(8, 11.5), QPointF(15, 11.5));
        p.drawLine(QPointF(11.5, 8), QPointF(11.5, 15));
        p.end();
        return QCursor(pm, 11, 11);
    }();
    return cursor;
}

} // namespace pq
