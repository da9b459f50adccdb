#include "report/engine/files/rm_emf_pages.h"

#include "report/engine/files/rm_file_messages.h"
#include "report/engine/files/rm_page_file.h"
#include "report/engine/files/rm_page_queue.h"
#include "report/engine/files/rm_stream.h"
#include "report/engine/files/rm_view_stream.h"
#include "report/engine/canvas/rm_canvas.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_view_factory.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_report.h"

#include "base/file_io.h"
#include "base/message_box.h"
#include "base/rounding.h"
#include "base/units.h"
#include "report/preview/printer/printer.h"

#include <QBuffer>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <iterator>
#include <limits>
#include <optional>

namespace pq {

namespace {

// Paper sizes a prepared page may carry, tenths of a millimetre: up to 100 m.
constexpr int kMaxPaperTenths = 1'000'000;
// Margins of a prepared page, pixels: within about 270 m.
constexpr int kMaxMarginPixels = 1 << 20;
// A page record takes at least: end position, size, width, height, orientation.
constexpr int kMinPageRecord = 4 + 2 + 4 + 4 + 1;
// A background picture takes at least: left, top and an empty picture.
constexpr int kMinBkPictureRecord = 4 + 4 + 1 + 4;

QByteArray EmptyPageStream()
{
    return QByteArray(1, static_cast<char>(kRMFormatVersion));
}

// The version a page stream's first byte names; an empty stream holds no views.
TRMStreamVersion PageStreamVersion(TRMReader& r)
{
    TRMStreamVersion v;
    if (r.AtEnd())
        return v;
    v.Version = r.ReadByte();
    v.Combined = v.Version * 100;
    if (v.Version > kRMFormatVersion)
        throw TRMStreamError("page stream of a newer version");
    return v;
}

// Reads every view of a page stream; stops at an add-in class nobody registered (nothing
// after it can be found) and returns that class in missing.
std::vector<std::unique_ptr<TRMView>> ReadPageViews(const QByteArray& stream, QString* missing)
{
    std::vector<std::unique_ptr<TRMView>> views;
    TRMReader r(stream);
    const TRMStreamVersion v = PageStreamVersion(r);
    while (!r.AtEnd()) {
        try {
            views.push_back(RMReadPreparedView(r, v));
        } catch (const TRMClassNotFound& e) {
            if (missing)
                *missing = e.Missing().trimmed().section(QLatin1Char('\n'), -1);
            break;
        }
    }
    return views;
}

QByteArray WritePageViews(const std::vector<std::unique_ptr<TRMView>>& views)
{
    TRMWriter w;
    w.WriteByte(kRMFormatVersion);
    for (const auto& v : views)
        RMWritePreparedView(w, *v);
    return w.Data;
}

// A page record of the prepared-report file up to its stream: the end position (the
// stream's end in the file being written), the paper and the margins.
constexpr qint64 kPageRecordHeader = 4 + 2 + 4 + 4 + 1 + 4 + 16;

void WritePageRecordHeader(TRMWriter& w, const TRMEMFPage& p, qint64 end)
{
    w.WriteInt(static_cast<std::int32_t>(end));
    w.WriteWord(static_cast<std::uint16_t>(p.Size));
    w.WriteInt(p.Width);
    w.WriteInt(p.Height);
    w.WriteByte(static_cast<std::uint8_t>(p.Orientation));
    w.WriteInt(p.Bin);
    for (int m : p.Margins)
        w.WriteInt(m);
}

qint64 DefaultBudget()
{
    return TRMEngineServices::Started() ? RMEngineServices().PagesMemoryBudget() : kDefaultPagesMemoryBudget;
}

bool IsMetafileCanvas(const QPainter* canvas)
{
    const QPaintDevice* device = canvas->device();
    return device && device->devType() == QInternal::Picture;
}

// The part of the canvas that shows, in the painter's logical coordinates.
QRectF VisibleArea(const QPainter* canvas)
{
    if (canvas->hasClipping())
        return canvas->clipBoundingRect();
    const QPaintDevice* device = canvas->device();
    if (!device)
        return {};
    const QRectF full(0, 0, device->width(), device->height());
    bool invertible = false;
    const QTransform inverse = canvas->combinedTransform().inverted(&invertible);
    return invertible ? inverse.mapRect(full) : full;
}

} // namespace

// ---- store ----

TRMEMFPages::TRMEMFPages(TRMReport* report)
    : QObject(report)
    , m_report(report)
    , m_budget(DefaultBudget())
{
    if (report)
        report->EMFPages = this;
}

TRMEMFPages::TRMEMFPages(TRMReport* report, TDetached)
    : m_report(report)
    , m_budget(DefaultBudget())
{
}

TRMEMFPages::~TRMEMFPages()
{
    // The report is gone already when it is the one deleting us; QPointer knows.
    if (m_report && m_report->EMFPages == this)
        m_report->EMFPages = nullptr;
    ClearAll();
}

TRMEMFPages& RMPreparedPages(TRMReport& report)
{
    if (report.EMFPages)
        return *report.EMFPages;
    return *new TRMEMFPages(&report);
}

TRMEMFPage* TRMEMFPages::Page(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_pages[static_cast<size_t>(index)].get();
}

void TRMEMFPages::ClearAll()
{
    m_pages.clear();
    m_bkPictures.clear();
    m_lru.clear();
    m_bytesInMemory = 0;
    // The temporary file goes with the pages; the next spill makes a new one.
    m_file.reset();
    m_spillError.clear();
    m_readError.clear();
}

// ---- streams in memory and in the temporary file ----

TRMEMFPage* TRMEMFPages::Adopt(std::unique_ptr<TRMEMFPage> page, int at)
{
    TRMEMFPage* p = page.get();
    p->m_fileOffset = -1;
    p->m_fileCurrent = false;
    Remember(*p);
    if (at < 0 || at >= Count())
        m_pages.push_back(std::move(page));
    else
        m_pages.insert(m_pages.begin() + at, std::move(page));
    Spill(p);
    return p;
}

void TRMEMFPages::Touch(TRMEMFPage& page) const
{
    m_lru.splice(m_lru.end(), m_lru, page.m_lru);
}

void TRMEMFPages::Remember(TRMEMFPage& page) const
{
    page.m_inMemory = true;
    m_lru.push_back(&page);
    page.m_lru = std::prev(m_lru.end());
    m_bytesInMemory += page.m_bytes.size();
}

void TRMEMFPages::Forget(TRMEMFPage& page) const
{
    if (!page.m_inMemory)
        return;
    m_bytesInMemory -= page.m_bytes.size();
    m_lru.erase(page.m_lru);
    page.m_inMemory = false;
}

QByteArray TRMEMFPages::Peek(const TRMEMFPage& page) const
{
    if (page.m_inMemory)
        return page.m_bytes;
    if (!m_file)
        throw TRMStreamError("the page is in no temporary file");
    QString reason;
    std::optional<QByteArray> record = m_file->Read(page.m_fileOffset, page.m_fileLength, &reason);
    if (!record)
        throw TRMStreamError(reason.toStdString());
    // The record is the page's record of the prepared-report file, its end position the
    // record's end in the temporary file.
    // (The end is 32-bit, as in the prepared-report file: a temporary file past 2 GiB wraps
    // it, alike.)
    const bool intact = TRMPageFile::Hash(*record) == page.m_fileHash && record->size() >= kPageRecordHeader
        && TRMReader(*record).ReadInt() == static_cast<std::int32_t>(page.m_fileOffset + page.m_fileLength);
    if (!intact)
        throw TRMStreamError(QStringLiteral("临时文件“%1”中的页被改动了").arg(m_file->FileName()).toStdString());
    return record->mid(kPageRecordHeader);
}

void TRMEMFPages::Load(TRMEMFPage& page) const
{
    if (page.m_inMemory) {
        Touch(page);
        return;
    }
    page.m_bytes = Peek(page);
    page.m_fileCurrent = true;
    Remember(page);
    Spill(&page);
}

bool TRMEMFPages::WriteOut(TRMEMFPage& page) const
{
    if (page.m_fileCurrent)
        return true;
    if (!m_file) {
        QString reason;
        m_file = TRMPageFile::Create(QString(), &reason);
        if (!m_file) {
            m_spillError = reason;
            return false;
        }
    }
    TRMWriter w;
    const qint64 length = kPageRecordHeader + page.m_bytes.size();
    const qint64 at = m_file->Place(page.m_fileOffset, page.m_fileSlot, length);
    WritePageRecordHeader(w, page, at + length);
    w.WriteBytes(page.m_bytes);
    QString reason;
    if (!m_file->Write(at, w.Data, &reason)) {
        m_spillError = reason;
        return false;
    }
    if (at != page.m_fileOffset)
        page.m_fileSlot = length;
    page.m_fileOffset = at;
    page.m_fileLength = length;
    page.m_fileHash = TRMPageFile::Hash(w.Data);
    page.m_fileCurrent = true;
    return true;
}

void TRMEMFPages::Spill(const TRMEMFPage* keep) const
{
    // Once the file failed, pages stay in memory: the report is whole, only larger.
    while (m_bytesInMemory > m_budget && m_spillError.isEmpty() && !m_lru.empty()) {
        TRMEMFPage* victim = m_lru.front();
        if (victim == keep)
            break;
        if (!WriteOut(*victim))
            break;
        m_bytesInMemory -= victim->m_bytes.size();
        victim->m_bytes = QByteArray();
        victim->m_inMemory = false;
        m_lru.pop_front();
    }
}

void TRMEMFPages::NoteReadError(int index, const QString& reason) const
{
    if (m_readError.isEmpty())
        m_readError = QStringLiteral("第%1页无法读回：%2").arg(index + 1).arg(reason);
}

QByteArray TRMEMFPages::Stream(int index) const
{
    TRMEMFPage* p = Page(index);
    if (!p)
        throw TRMStreamError("no prepared page of that number");
    Load(*p);
    return p->m_bytes;
}

QByteArray TRMEMFPages::TakeStream(int index)
{
    TRMEMFPage* p = Page(index);
    if (!p)
        throw TRMStreamError("no prepared page of that number");
    Load(*p);
    QByteArray out = std::exchange(p->m_bytes, QByteArray());
    m_bytesInMemory -= out.size();
    p->m_fileCurrent = false;
    return out;
}

void TRMEMFPages::SetStream(int index, QByteArray stream)
{
    TRMEMFPage* p = Page(index);
    if (!p)
        return;
    Forget(*p);
    p->m_bytes = std::move(stream);
    p->m_fileCurrent = false;
    Remember(*p);
    Spill(p);
}

void TRMEMFPages::SetMemoryBudget(qint64 bytes)
{
    m_budget = std::max<qint64>(0, bytes);
    Spill(nullptr);
}

QString TRMEMFPages::PageFileName() const
{
    return m_file ? m_file->FileName() : QString();
}

int TRMEMFPages::PagesInFile() const
{
    return static_cast<int>(std::count_if(m_pages.begin(), m_pages.end(), [](const auto& p) { return !p->m_inMemory; }));
}

void TRMEMFPages::TakeContents(TRMEMFPages& from)
{
    ClearAll();
    m_pages = std::move(from.m_pages);
    // Splicing keeps every page's place in the list valid.
    m_lru.splice(m_lru.end(), from.m_lru);
    m_bytesInMemory = std::exchange(from.m_bytesInMemory, 0);
    m_file = std::move(from.m_file);
    m_spillError = std::exchange(from.m_spillError, QString());
    from.m_pages.clear();
    Spill(nullptr);
}

void TRMEMFPages::Clear()
{
    if (OnClear) {
        OnClear(*this);
        return;
    }
    ClearAll();
}

TRMEMFPage* TRMEMFPages::AddPage(const TRMPage& dp)
{
    auto rec = std::make_unique<TRMEMFPage>();
    rec->Size = dp.PageSize;
    rec->Width = dp.PrnWidth / 100;
    rec->Height = dp.PrnHeight / 100;
    rec->Orientation = dp.Orientation;
    rec->Bin = dp.PageBin;
    rec->Margins = {TRMPage::MarginPixels(dp.LeftMargin), TRMPage::MarginPixels(dp.TopMargin),
        TRMPage::MarginPixels(dp.RightMargin), TRMPage::MarginPixels(dp.BottomMargin)};
    rec->PageInfo = dp.PrinterInfo;
    const int designIndex = dp.Report ? std::max(0, dp.Report->Pages.IndexOf(&dp)) : 0;
    rec->BackPicture = dp.ShowBackPicture && designIndex < kNoBackPicture
        ? static_cast<std::uint8_t>(designIndex) : kNoBackPicture;
    rec->DesignPage = static_cast<std::uint8_t>(std::min(designIndex + 1, 255));
    rec->m_bytes = EmptyPageStream();
    return Adopt(std::move(rec));
}

TRMEMFPage* TRMEMFPages::InsertPage(int index, const TRMEMFPage& from)
{
    auto rec = std::make_unique<TRMEMFPage>();
    static_cast<TRMPageSettings&>(*rec) = from;
    rec->m_bytes = EmptyPageStream();
    return Adopt(std::move(rec), std::clamp(index, 0, Count()));
}

void TRMEMFPages::DeletePage(int index)
{
    TRMEMFPage* p = Page(index);
    if (!p)
        return;
    Forget(*p);
    m_pages.erase(m_pages.begin() + index);
}

void TRMEMFPages::AppendView(int index, TRMView& view)
{
    if (!Page(index))
        return;
    TRMWriter w;
    w.Data = TakeStream(index);
    if (w.Data.isEmpty())
        w.Data = EmptyPageStream();
    try {
        RMWritePreparedView(w, view);
    } catch (...) {
        SetStream(index, std::move(w.Data));
        throw;
    }
    SetStream(index, std::move(w.Data));
}

TRMPage* TRMEMFPages::BuildPage(int index)
{
    TRMEMFPage* p = Page(index);
    if (!p)
        return nullptr;
    m_missing.clear();
    auto page = std::make_unique<TRMPage>(p->Size, p->Width, p->Height, p->Orientation, p->Bin);
    page->Report = Report();
    page->LeftMargin = TRMPage::MarginThousandths(p->Margins[0]);
    page->TopMargin = TRMPage::MarginThousandths(p->Margins[1]);
    page->RightMargin = TRMPage::MarginThousandths(p->Margins[2]);
    page->BottomMargin = TRMPage::MarginThousandths(p->Margins[3]);
    page->PrinterInfo = p->PageInfo;

    std::vector<std::unique_ptr<TRMView>> views;
    QByteArray stream;
    try {
        stream = Stream(index);
    } catch (const TRMStreamError& e) {
        // The page shows nothing; output asks ReadError and fails.
        NoteReadError(index, QString::fromUtf8(e.what()));
    }
    try {
        QString missing;
        views = ReadPageViews(stream, &missing);
        if (!missing.isEmpty())
            m_missing.append(missing);
    } catch (const std::exception&) {
        // Loading checked every stream; one damaged since (by a handler) shows what it can.
        views.clear();
    }
    // A measuring image of the page's own, so an output thread never draws on the one the
    // user-interface thread measures with.
    std::optional<QImage> measureImage;
    QPainter measure;
    for (auto& view : views) {
        view->ParentPage = page.get();
        // An auto-width memo finds its width when drawn once.
        if (view->HasFlag(flMemoAutoWidth) && dynamic_cast<TRMMemoView*>(view.get())) {
            if (!measure.isActive()) {
                measureImage.emplace(8, 8, QImage::Format_RGB32); // as the globals' measuring image
                measure.begin(&*measureImage);
            }
            view->Draw(&measure);
        }
        page->Objects.push_back(std::move(view));
    }
    if (measure.isActive())
        measure.end();
    p->Page = std::move(page);
    return p->Page.get();
}

void TRMEMFPages::FreePage(int index)
{
    TRMEMFPage* p = Page(index);
    if (!p)
        return;
    p->Page.reset();
    // Fed pages are handed out once: what was drawn is not kept.
    if (m_feed)
        SetStream(index, QByteArray());
}

void TRMEMFPages::FeedFrom(TRMPageQueue* queue)
{
    m_feed = queue;
    m_feedEndedEarly = false;
}

bool TRMEMFPages::WaitForPage(int index)
{
    if (index < 0)
        return false;
    while (m_feed && index >= Count()) {
        std::vector<TRMBkPicture> pictures;
        std::optional<TRMHandedPage> handed = m_feed->Pop(&pictures);
        if (!handed) {
            m_feedEndedEarly = !m_feed->Complete();
            return false;
        }
        if (!pictures.empty())
            m_bkPictures = std::move(pictures);
        auto page = std::make_unique<TRMEMFPage>();
        static_cast<TRMPageSettings&>(*page) = handed->Settings;
        page->m_bytes = std::move(handed->Stream);
        Adopt(std::move(page));
    }
    return index < Count();
}

bool TRMEMFPages::FeedEndedEarly() const
{
    return m_feed && m_feedEndedEarly;
}

void TRMEMFPages::StorePage(int index)
{
    TRMEMFPage* p = Page(index);
    if (!p || !p->Page)
        return;
    SetStream(index, WritePageViews(p->Page->Objects));
}

void TRMEMFPages::ExportPage(int index, const std::function<void(TRMView&)>& exporter)
{
    TRMEMFPage* p = Page(index);
    if (!p || !exporter)
        return;
    QByteArray stream;
    try {
        stream = Stream(index);
    } catch (const TRMStreamError& e) {
        NoteReadError(index, QString::fromUtf8(e.what()));
        return;
    }
    try {
        TRMReader r(stream);
        const TRMStreamVersion v = PageStreamVersion(r);
        while (!r.AtEnd()) {
            std::unique_ptr<TRMView> view = RMReadPreparedView(r, v);
            exporter(*view);
        }
    } catch (const std::exception&) {
        // The views up to the damage were exported.
    }
}

void TRMEMFPages::Draw(int index, QPainter* canvas, const QRect& rect)
{
    TRMEMFPage* p = Page(index);
    if (!p || !canvas || !canvas->isActive())
        return;
    TRMCustomPrinter& printer = GetReportPrinter();
    const bool printing = printer.Printing() && printer.Painter() == canvas;
    TRMEngineState& state = RMEngineState();
    const TRMEngineState savedState = state;
    if (printing)
        state.Printing = true;
    else
        state.Previewing = true;

    if (!p->Visible) {
        p->Page.reset();
        state = savedState;
        return;
    }
    TRMPage* page = p->Page ? p->Page.get() : BuildPage(index);
    if (!page || p->PageInfo.PageWidth <= 0 || p->PageInfo.PageHeight <= 0) {
        state = savedState;
        return;
    }
    TRMReport* report = Report();
    TRMCurrentScope scope(report, page);
    RMCurrent().CurPageNo = index;

    double scaleX = static_cast<double>(rect.width()) / p->PageInfo.PageWidth;
    double scaleY = static_cast<double>(rect.height()) / p->PageInfo.PageHeight;
    // The print scale keeps exact factors, so the page geometry survives.
    if (printing && report && report->ScalePercent != 100 && report->ScalePercent > 0) {
        scaleX *= report->ScalePercent / 100.0;
        scaleY *= report->ScalePercent / 100.0;
    }
    const bool cull = !printing && !IsMetafileCanvas(canvas);
    const QRectF visible = cull ? VisibleArea(canvas) : QRectF();
    const bool preprinted = printing && report && report->PrintTaoda;
    // One canvas for the page, unless the caller brought one (with its text sink): the
    // views share its painter state instead of setting and restoring it view by view.
    std::optional<TRMCanvas> pageCanvas;
    if (!TRMCanvas::Of(canvas))
        pageCanvas.emplace(canvas);

    for (auto& view : page->Objects) {
        if (cull) {
            const QRectF scaled(view->Left * scaleX + rect.left(), view->Top * scaleY + rect.top(),
                view->Width * scaleX, view->Height * scaleY);
            if (!scaled.normalized().adjusted(-10, -10, 10, 10).intersects(visible))
                continue;
        }
        if (preprinted && !view->HasFlag(flPrintVisible))
            continue;
        view->ScaleX = scaleX;
        view->ScaleY = scaleY;
        view->OffsX = rect.left();
        view->OffsY = rect.top();
        view->IsPrinting = printing;
        RMCurrent().CurView = view.get();
        try {
            view->Draw(canvas);
        } catch (const std::exception&) {
            // One view that cannot draw must not take the page with it.
        }
    }
    state = savedState;
}

TRMEMFPages::THit TRMEMFPages::ObjectAt(int index, const QPoint& point, bool click)
{
    THit hit;
    TRMEMFPage* p = Page(index);
    if (!p || !p->Visible)
        return hit;
    TRMPage* page = p->Page ? p->Page.get() : BuildPage(index);
    if (!page)
        return hit;
    for (auto it = page->Objects.rbegin(); it != page->Objects.rend(); ++it) {
        if ((*it)->Bounds().normalized().contains(point)) {
            hit.View = it->get();
            break;
        }
    }
    TRMReport* report = Report();
    if (!hit.View || !report)
        return hit;
    auto& handler = click ? report->OnObjectClick : report->OnMouseOverObject;
    if (handler) {
        hit.HandlerAssigned = true;
        handler(hit.View);
    }
    return hit;
}

std::vector<int> RMInterleaveOrder(const std::vector<int>& keys)
{
    std::vector<int> seen;
    std::vector<std::vector<int>> runs;
    for (int i = 0; i < static_cast<int>(keys.size()); ++i) {
        auto it = std::find(seen.begin(), seen.end(), keys[static_cast<size_t>(i)]);
        if (it == seen.end()) {
            seen.push_back(keys[static_cast<size_t>(i)]);
            runs.emplace_back(1, i);
        } else {
            runs[static_cast<size_t>(it - seen.begin())].push_back(i);
        }
    }
    std::vector<int> order;
    for (size_t round = 0; order.size() < keys.size(); ++round)
        for (const auto& run : runs)
            if (round < run.size())
                order.push_back(run[round]);
    return order;
}

void TRMEMFPages::InterleaveByDesignPage()
{
    std::vector<int> keys;
    for (const auto& page : m_pages)
        keys.push_back(page->DesignPage);
    Reorder(RMInterleaveOrder(keys));
}

void TRMEMFPages::Reorder(const std::vector<int>& order)
{
    if (order.size() != m_pages.size())
        return;
    std::vector<std::unique_ptr<TRMEMFPage>> moved;
    moved.reserve(order.size());
    for (int index : order)
        if (index >= 0 && index < Count() && m_pages[static_cast<size_t>(index)])
            moved.push_back(std::move(m_pages[static_cast<size_t>(index)]));
    if (moved.size() != order.size()) {
        // Not a permutation: put back what was taken, in its old order.
        for (auto& page : moved)
            for (auto& slot : m_pages)
                if (!slot) {
                    slot = std::move(page);
                    break;
                }
        return;
    }
    m_pages = std::move(moved);
}

void TRMEMFPages::AppendPages(TRMEMFPages& from)
{
    if (&from == this)
        return;
    const int pictureBase = BkPictureCount();
    for (int i = 0; i < from.Count(); ++i) {
        std::unique_ptr<TRMEMFPage>& page = from.m_pages[static_cast<size_t>(i)];
        if (page->BackPicture != kNoBackPicture)
            page->BackPicture = pictureBase + page->BackPicture < kNoBackPicture
                ? static_cast<std::uint8_t>(pictureBase + page->BackPicture) : kNoBackPicture;
        // One page at a time out of the other store's file and into this one's.
        QByteArray bytes;
        try {
            bytes = from.Peek(*page);
        } catch (const TRMStreamError& e) {
            NoteReadError(Count(), QString::fromUtf8(e.what()));
            bytes = EmptyPageStream();
        }
        from.Forget(*page);
        page->m_bytes = std::move(bytes);
        Adopt(std::move(page));
    }
    for (TRMBkPicture& picture : from.m_bkPictures)
        m_bkPictures.push_back(std::move(picture));
    from.ClearAll();
}

int TRMEMFPages::AddBkPicture(int left, int top, int width, int height, const QImage& picture)
{
    m_bkPictures.push_back(TRMBkPicture{left, top, width, height, picture});
    return BkPictureCount() - 1;
}

TRMBkPicture* TRMEMFPages::BkPicture(int index)
{
    if (index < 0 || index >= BkPictureCount())
        return nullptr;
    return &m_bkPictures[static_cast<size_t>(index)];
}

// ---- page information ----

TRMPageMetrics TRMEMFPages::PaperPageInfo(const TRMEMFPage& page)
{
    int w = page.Width, h = page.Height;
    if (page.Orientation == poLandscape && w < h)
        std::swap(w, h);
    TRMPageMetrics m;
    m.PageWidth = static_cast<int>(Round(units::TenthsMmToPixels(w)));
    m.PageHeight = static_cast<int>(Round(units::TenthsMmToPixels(h)));
    m.PrintableWidth = m.PageWidth;
    m.PrintableHeight = m.PageHeight;
    return m;
}

TRMPageMetrics TRMEMFPages::PageInfoFor(const TRMEMFPage& page)
{
    if (RMEngineServices().PagesFromPaper())
        return PaperPageInfo(page);
    int w = page.Width, h = page.Height;
    const bool landscape = page.Orientation == poLandscape;
    if (landscape && w < h)
        std::swap(w, h);
    TRMPrinter& printer = GetReportPrinter();
    printer.SetPageSettings(page.Size, w, h, landscape, page.Bin, false);
    TRMPageMetrics m;
    printer.FillPageMetrics(m);
    const TRMPageMetrics paper = PaperPageInfo(page);
    // The printer may not know the paper; the sheet is what the page says.
    if (m.PageWidth != paper.PageWidth || m.PageHeight != paper.PageHeight)
        return paper;
    return m;
}

// ---- prepared-report file ----

bool TRMEMFPages::SaveToDevice(QIODevice& device, QString* error) const
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    TRMWriter w;
    w.WriteByte(kRMFormatVersion);
    w.WriteByte(kRMPreparedSubVersion);
    w.WriteString(QString::fromLatin1(kPreparedFileMagic) + QChar(26));
    w.WriteByte(0); // no compressor in this system
    w.WriteByte(Report() && Report()->taoda ? 1 : 0);
    w.WriteInt(static_cast<std::int32_t>(m_bkPictures.size()));
    for (const TRMBkPicture& b : m_bkPictures) {
        w.WriteInt(b.Left);
        w.WriteInt(b.Top);
        w.WriteInt(b.Width);
        w.WriteInt(b.Height);
        RMWritePicture(w, b.Picture, false, 0);
    }
    TRMPrinter& printer = GetReportPrinter();
    w.WriteString(GetPrinterList().Name(printer.SelectedPrinter()));
    w.WriteInt(Count());
    qint64 position = w.Position();
    if (device.write(w.Data) != w.Data.size())
        return fail(device.errorString());
    // Page by page: a report in the temporary file is never gathered in memory.
    for (int i = 0; i < Count(); ++i) {
        const TRMEMFPage& p = *m_pages[static_cast<size_t>(i)];
        QByteArray stream;
        try {
            stream = Peek(p);
        } catch (const TRMStreamError& e) {
            NoteReadError(i, QString::fromUtf8(e.what()));
            return fail(m_readError);
        }
        const qint64 end = position + kPageRecordHeader + stream.size();
        if (end > std::numeric_limits<std::int32_t>::max())
            return fail(QStringLiteral("报表超过了预览文件格式的2 GB上限"));
        TRMWriter header;
        WritePageRecordHeader(header, p, end);
        if (device.write(header.Data) != header.Data.size() || device.write(stream) != stream.size())
            return fail(device.errorString());
        position = end;
    }
    return true;
}

QByteArray TRMEMFPages::SaveToStream() const
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    if (!SaveToDevice(buffer, &error))
        throw TRMStreamError(error.toStdString());
    return data;
}

bool TRMEMFPages::SaveToFile(const QString& fileName, QWidget* owner) const
{
    QString error;
    const FileWriter write = [this](QIODevice& device, QString& reason) { return SaveToDevice(device, &reason); };
    if (!WriteFileWhole(fileName, write, &error)) {
        ShowErrorBox(owner, QStringLiteral("%1: %2").arg(fileName, error));
        return false;
    }
    return true;
}

TRMLoadResult TRMEMFPages::LoadFromStream(const QByteArray& data, bool showMessages, QWidget* owner)
{
    RMRegisterStandardAddIns();
    TRMLoadResult result;
    TRMEMFPages pages(nullptr);
    pages.m_budget = m_budget;
    std::vector<TRMBkPicture> pictures;
    QString printerName;
    int taoda = -1;
    try {
        TRMReader r(data);
        const int version = r.ReadByte();
        const int sub = version > 38 ? r.ReadByte() : 0;
        if (version * 100 + sub * 10 > 4119) {
            QString magic;
            try {
                magic = r.ReadString();
            } catch (const TRMStreamError&) {
                // No magic can even be read: this is no prepared report at all.
            }
            if (magic != QString::fromLatin1(kPreparedFileMagic) + QChar(26)) {
                result.Status = TRMLoadStatus::NotReportFile;
                result.ErrorText = QStringLiteral("not a prepared report file");
            }
        }
        if (result.Status == TRMLoadStatus::Loaded && version > kRMFormatVersion) {
            result.Status = TRMLoadStatus::Unsupported;
            result.ErrorText = QStringLiteral("format version %1 is newer than this system").arg(version);
        }
        if (result.Status == TRMLoadStatus::Loaded) {
            TRMStreamVersion v;
            v.Version = version;
            v.Combined = version * 100 + sub * 10;
            // No compressor exists here: a compressed file cannot be read, and loading it
            // as empty pages would pass off a damaged file as a blank report.
            if (r.ReadByte() != 0)
                throw TRMStreamError("compressed prepared report");
            if (sub > 9)
                taoda = r.ReadByte();
            if (version > 37) {
                const int count = r.ReadCount(kMinBkPictureRecord);
                for (int i = 0; i < count; ++i) {
                    TRMBkPicture b;
                    b.Left = r.ReadInt();
                    b.Top = r.ReadInt();
                    const bool sized = version >= 40;
                    if (sized) {
                        b.Width = r.ReadInt();
                        b.Height = r.ReadInt();
                    }
                    RMReadPicture(r, b.Picture, false, nullptr);
                    if (!sized && !b.Picture.isNull()) {
                        auto dpi = [](int dotsPerMeter) {
                            const double d = dotsPerMeter * 0.0254;
                            return d >= 1.0 ? d : 96.0;
                        };
                        b.Width = static_cast<int>(Round(b.Picture.width() * 96.0 / dpi(b.Picture.dotsPerMeterX())));
                        b.Height = static_cast<int>(Round(b.Picture.height() * 96.0 / dpi(b.Picture.dotsPerMeterY())));
                    }
                    pictures.push_back(std::move(b));
                }
            }
            printerName = r.ReadString(v);
            const int count = r.ReadCount(kMinPageRecord);
            for (int i = 0; i < count; ++i) {
                const qint64 end = r.ReadInt();
                r.CheckEndPosition(end);
                auto p = std::make_unique<TRMEMFPage>();
                p->Size = r.ReadWord();
                p->Width = r.ReadInt();
                p->Height = r.ReadInt();
                if (p->Width <= 0 || p->Height <= 0 || p->Width > kMaxPaperTenths || p->Height > kMaxPaperTenths)
                    throw TRMStreamError("page with an impossible paper size");
                p->Orientation = r.ReadByte() == poLandscape ? poLandscape : poPortrait;
                p->Bin = version >= 29 ? r.ReadInt() : -1;
                if (version * 10 + sub < 401)
                    r.Skip(1);
                if (version >= 24)
                    for (int& m : p->Margins) {
                        m = r.ReadInt();
                        if (m < -kMaxMarginPixels || m > kMaxMarginPixels)
                            throw TRMStreamError("page margin out of range");
                    }
                if (r.Position() > end)
                    throw TRMStreamError("page record runs past its end position");
                p->m_bytes = r.ReadBytes(end - r.Position());
                // Every view must read now, so a damaged page is found at loading and not
                // while it is drawn.
                QString missing;
                std::vector<std::unique_ptr<TRMView>> views = ReadPageViews(p->m_bytes, &missing);
                if (!missing.isEmpty() && !result.Skipped.contains(missing))
                    result.Skipped.append(missing);
                if (version < 39 && missing.isEmpty()) {
                    for (auto& view : views)
                        RMConvertOldBounds(*view);
                    p->m_bytes = WritePageViews(views);
                }
                p->PageInfo = PageInfoFor(*p);
                // The scratch store keeps to the budget too: a large file is not held twice.
                pages.Adopt(std::move(p));
            }
        }
    } catch (const TRMStreamError& e) {
        result.Status = TRMLoadStatus::Damaged;
        result.ErrorText = QString::fromUtf8(e.what());
    } catch (const std::exception& e) {
        result.Status = TRMLoadStatus::Damaged;
        result.ErrorText = QString::fromUtf8(e.what());
    }
    RMResetMissingClasses();

    if (result.Status == TRMLoadStatus::Loaded) {
        TakeContents(pages);
        m_bkPictures = std::move(pictures);
        if (taoda >= 0 && Report())
            Report()->taoda = taoda != 0;
        const int printerIndex = static_cast<int>(GetPrinterList().Names().indexOf(printerName));
        if (printerIndex >= 0)
            GetReportPrinter().SetSelectedPrinter(printerIndex);
    }
    if (showMessages)
        RMShowLoadMessages(result, res::kNotPreparedFile, owner);
    return result;
}

TRMLoadResult TRMEMFPages::LoadFromFile(const QString& fileName, bool showMessages, QWidget* owner)
{
    QString error;
    const std::optional<QByteArray> data = ReadFileWhole(fileName, &error);
    if (!data) {
        TRMLoadResult result;
        result.Status = TRMLoadStatus::Damaged;
        result.ErrorText = error;
        if (showMessages)
            RMShowFileError(res::kUnsupportedFormat, owner);
        return result;
    }
    return LoadFromStream(*data, showMessages, owner);
}

} // namespace pq
