// Prepared pages (TRMEMFPages): what preparation produces and the preview, the printer and
// the exporter read. A prepared page keeps its paper and a byte stream of its printed
// views; its objects are rebuilt from the stream on demand and released when the page is
// hidden. The store also reads and writes the prepared-report file
// ("Pagequill Prepared Report File", ".rmp").
//
// The streams a store keeps in memory stay within its memory budget: beyond it the pages
// used longest ago go to the store's private temporary file (rm_page_file.h), in the
// layout of the page records of the prepared-report file, and are read back when they are
// asked for; those read back stay in memory as a cache within the same budget. Everything
// else (the paper, the page information, the marks) stays in memory, so a report of any size
// takes a bounded amount of memory. A page that cannot be read back (the temporary file
// damaged) is an error of the operation that asked for it (ReadError).
#pragma once

#include "report/engine/files/rm_report_file.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <array>
#include <functional>
#include <list>
#include <memory>
#include <vector>

class QIODevice;
class QPainter;
class QWidget;

namespace pq {

class TRMPageFile;
class TRMPageQueue;
class TRMReport;
class TRMView;

inline constexpr const char* kPreparedFileMagic = "Pagequill Prepared Report File";
inline constexpr std::uint8_t kNoBackPicture = 255;

// A page's background picture; bounds in pixels.
struct TRMBkPicture {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    QImage Picture;
};

// What a prepared page records besides its views.
struct TRMPageSettings {
    int Size = 0;                 // printer paper code
    int Width = 0, Height = 0;    // paper size, tenths of a millimetre
    int Orientation = poPortrait;
    int Bin = -1;                 // -1: the default bin
    std::array<int, 4> Margins{}; // left, top, right, bottom in screen pixels
    TRMPageMetrics PageInfo;      // PageWidth/PageHeight are screen pixels
    bool Visible = true;
    std::uint8_t BackPicture = kNoBackPicture;
    std::uint8_t DesignPage = 0;  // ordinal (from 1) of the design page that produced it
};

// One prepared page. Its stream (version byte, then the printed views) is the store's:
// TRMEMFPages::Stream and SetStream.
struct TRMEMFPage : TRMPageSettings {
    std::unique_ptr<TRMPage> Page; // built from the stream on demand

private:
    friend class TRMEMFPages;
    QByteArray m_bytes;           // the stream, while in memory
    bool m_inMemory = true;
    qint64 m_fileOffset = -1;     // the last copy written to the temporary file
    qint64 m_fileSlot = 0;        // room there (a page written again may reuse it)
    qint64 m_fileLength = 0;
    size_t m_fileHash = 0;
    bool m_fileCurrent = false;   // that copy is the stream
    std::list<TRMEMFPage*>::iterator m_lru; // valid while in memory
};

// Visible is the preview's mark (a page off the screen is not drawn there, and the mark is
// saved with the page). Output draws every page it is given: for the scope the page is
// marked visible, then it gets its own mark back.
class TRMPageShownScope {
public:
    explicit TRMPageShownScope(TRMEMFPage* page) : m_page(page), m_visible(page && page->Visible)
    {
        if (m_page)
            m_page->Visible = true;
    }
    ~TRMPageShownScope()
    {
        if (m_page)
            m_page->Visible = m_visible;
    }
    TRMPageShownScope(const TRMPageShownScope&) = delete;
    TRMPageShownScope& operator=(const TRMPageShownScope&) = delete;

private:
    TRMEMFPage* m_page;
    bool m_visible;
};

class TRMEMFPages : public QObject {
    Q_OBJECT
public:
    // With a report, the store attaches itself as the report's prepared pages and the report
    // owns it.
    explicit TRMEMFPages(TRMReport* report = nullptr);
    // A store of the report's pages that is not the report's own (the pages an output thread
    // draws): it reads the report, the report neither owns nor knows it.
    struct TDetached {};
    TRMEMFPages(TRMReport* report, TDetached);
    ~TRMEMFPages() override;

    TRMReport* Report() const { return m_report.data(); }

    int Count() const { return static_cast<int>(m_pages.size()); }
    // nullptr outside 0..Count()-1.
    TRMEMFPage* Page(int index) const;
    TRMEMFPage* operator[](int index) const { return Page(index); }

    // Output walks the pages with WaitForPage: true when page index is there to be drawn.
    // A store fed from a queue (FeedFrom, on an output thread while preparation hands it the
    // finished pages) waits for the page; false once the pages ended before it, and then
    // FeedEndedEarly tells whether they ended because preparation stopped (cancelled or
    // failed), so output must not finish its document. Such a store hands each page out once:
    // FreePage releases its stream too, and it takes no more than a few pages of memory.
    void FeedFrom(TRMPageQueue* queue);
    bool WaitForPage(int index);
    bool FeedEndedEarly() const;
    bool Fed() const { return m_feed != nullptr; }

    // Frees every page and background picture, unless OnClear replaces that.
    void Clear();
    std::function<void(TRMEMFPages&)> OnClear;

    // Appends a page with the design page's paper, margins and page information, and an
    // empty stream.
    TRMEMFPage* AddPage(const TRMPage& designPage);
    // Reorders the pages so that those of different design pages interleave: the first page
    // of every design page, then the second of every design page, and so on; a design page
    // that has run out is skipped (two design pages of two pages each give 1, 3, 2, 4).
    void InterleaveByDesignPage();
    // Moves every page of another store (and its background pictures) after these; the other
    // store is left empty.
    void AppendPages(TRMEMFPages& from);
    // The pages in a new order: order[k] is the index of the page that goes to place k, and
    // names each page once.
    void Reorder(const std::vector<int>& order);
    // Inserts a copy of a page's settings with an empty stream (index clamped to 0..Count()).
    TRMEMFPage* InsertPage(int index, const TRMEMFPage& from);
    void DeletePage(int index);

    // Appends a printed view to a page's stream (preparation streams each printed view so).
    void AppendView(int index, TRMView& view);

    // A page's stream, read back from the temporary file when it is there; throws
    // TRMStreamError when it cannot be (the file damaged) and for a bad index.
    QByteArray Stream(int index) const;
    // Replaces a page's stream; the page is then the one used last.
    void SetStream(int index, QByteArray stream);
    // The stream moved out, for an edit that gives it back with SetStream (appending to a
    // page costs no copy of what it holds). Throws as Stream.
    QByteArray TakeStream(int index);

    // Bytes of page streams kept in memory; beyond them pages go to the temporary file. The
    // default is the engine's (64 MiB unless it was started with another).
    qint64 MemoryBudget() const { return m_budget; }
    void SetMemoryBudget(qint64 bytes);
    // Bytes of page streams in memory now, and the temporary file (empty before the first
    // page went there).
    qint64 BytesInMemory() const { return m_bytesInMemory; }
    QString PageFileName() const;
    int PagesInFile() const;
    // Why pages stay in memory beyond the budget (the temporary file could not be made or
    // written); empty while spilling works. The report is still whole: only its memory grows.
    const QString& SpillError() const { return m_spillError; }
    // The first page that could not be read back since the store was cleared or loaded, with
    // the reason; empty when every page could. Drawing, building and exporting such a page
    // give nothing for it; output checks this and fails.
    const QString& ReadError() const { return m_readError; }

    // Rebuilds a page's objects from its stream; reading stops at a view it cannot read
    // (whose class is missing). nullptr for a bad index.
    TRMPage* BuildPage(int index);
    // Releases the built objects (the page is hidden).
    void FreePage(int index);
    // Writes the built objects back into the stream (after editing in the preview).
    void StorePage(int index);
    // Hands every printed view of a page to the exporter, one at a time.
    void ExportPage(int index, const std::function<void(TRMView&)>& exporter);

    // Draws the page scaled into rect (device coordinates of canvas).
    void Draw(int index, QPainter* canvas, const QRect& rect);

    // The topmost view under a point in page pixels; fires the report's OnObjectClick (click)
    // or OnMouseOverObject for it.
    struct THit {
        TRMView* View = nullptr;
        bool HandlerAssigned = false;
    };
    THit ObjectAt(int index, const QPoint& point, bool click);

    // Background pictures, one per design page.
    int AddBkPicture(int left, int top, int width, int height, const QImage& picture);
    int BkPictureCount() const { return static_cast<int>(m_bkPictures.size()); }
    TRMBkPicture* BkPicture(int index);

    // The prepared-report file. Loading parses into scratch pages and replaces the store's
    // content only when the whole file was read; a file that fails keeps what the store had.
    // Saving shows an error box when the file cannot be written whole (or a page cannot be
    // read back) and leaves a file that was there as it was. Saving writes the pages one at a
    // time, so a report in the temporary file is not gathered in memory to be saved;
    // SaveToStream throws TRMStreamError for a page that cannot be read back.
    QByteArray SaveToStream() const;
    bool SaveToDevice(QIODevice& device, QString* error) const;
    bool SaveToFile(const QString& fileName, QWidget* owner = nullptr) const;
    TRMLoadResult LoadFromStream(const QByteArray& data, bool showMessages = true, QWidget* owner = nullptr);
    TRMLoadResult LoadFromFile(const QString& fileName, bool showMessages = true, QWidget* owner = nullptr);

    // Add-in classes the last page build could not find.
    const QStringList& MissingClasses() const { return m_missing; }

    // How a loaded page gets its page information: the report printer is switched to the
    // page's paper and asked, unless the engine was started to take pages from their paper.
    static TRMPageMetrics PageInfoFor(const TRMEMFPage& page);
    // The sheet geometry from the paper alone (orientation applied), screen pixels.
    static TRMPageMetrics PaperPageInfo(const TRMEMFPage& page);

private:
    void ClearAll();
    // Takes a page in (in memory, at at or at the end), then keeps to the budget.
    TRMEMFPage* Adopt(std::unique_ptr<TRMEMFPage> page, int at = -1);
    // The page's stream in memory again (and the page the one used last), reading it back
    // when needed; throws TRMStreamError when it cannot be read.
    void Load(TRMEMFPage& page) const;
    // The stream of a page, read back without keeping it (saving walks every page once).
    QByteArray Peek(const TRMEMFPage& page) const;
    void Touch(TRMEMFPage& page) const;
    // The page's stream counted in memory, as the one used last; Forget undoes it.
    void Remember(TRMEMFPage& page) const;
    void Forget(TRMEMFPage& page) const;
    // Writes pages used longest ago to the temporary file until the budget holds, keeping
    // keep in memory.
    void Spill(const TRMEMFPage* keep) const;
    bool WriteOut(TRMEMFPage& page) const;
    void NoteReadError(int index, const QString& reason) const;
    void TakeContents(TRMEMFPages& from);

    QPointer<TRMReport> m_report;
    std::vector<std::unique_ptr<TRMEMFPage>> m_pages;
    std::vector<TRMBkPicture> m_bkPictures;
    QStringList m_missing;

    qint64 m_budget;
    mutable qint64 m_bytesInMemory = 0;
    mutable std::list<TRMEMFPage*> m_lru; // in memory, used longest ago first
    mutable std::unique_ptr<TRMPageFile> m_file;
    mutable QString m_spillError;
    mutable QString m_readError;
    TRMPageQueue* m_feed = nullptr;
    bool m_feedEndedEarly = false;
};

// The report's prepared pages, created on first use and owned by the report.
TRMEMFPages& RMPreparedPages(TRMReport& report);

// The order that interleaves runs of equal keys: the first index of every key (in the order
// keys first appear), then the second of every key, and so on.
std::vector<int> RMInterleaveOrder(const std::vector<int>& keys);

} // namespace pq
