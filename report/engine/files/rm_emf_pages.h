// Prepared pages (TRMEMFPages): what preparation produces and the preview, the printer and
// the exporter read. A prepared page keeps its paper and a byte stream of its printed
// views; its objects are rebuilt from the stream on demand and released when the page is
// hidden. The store also reads and writes the prepared-report file
// ("Pagequill Prepared Report File", ".rmp").
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
#include <memory>
#include <vector>

class QPainter;
class QWidget;

namespace pq {

class TRMReport;
class TRMView;

inline constexpr const char* kPreparedFileMagic = "Pagequill Prepared Report File";
inline constexpr std::uint8_t kNoBackPicture = 255;

// A page's background picture; bounds in pixels.
struct TRMBkPicture {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    QImage Picture;
};

// One prepared page.
struct TRMEMFPage {
    int Size = 0;                 // printer paper code
    int Width = 0, Height = 0;    // paper size, tenths of a millimetre
    int Orientation = poPortrait;
    int Bin = -1;                 // -1: the default bin
    std::array<int, 4> Margins{}; // left, top, right, bottom in screen pixels
    TRMPageMetrics PageInfo;      // PageWidth/PageHeight are screen pixels
    bool Visible = true;
    QByteArray Stream;            // version byte, then the printed views
    std::unique_ptr<TRMPage> Page; // built from Stream on demand
    std::uint8_t BackPicture = kNoBackPicture;
    std::uint8_t DesignPage = 0;  // ordinal (from 1) of the design page that produced it
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
    ~TRMEMFPages() override;

    TRMReport* Report() const { return m_report.data(); }

    int Count() const { return static_cast<int>(m_pages.size()); }
    // nullptr outside 0..Count()-1.
    TRMEMFPage* Page(int index) const;
    TRMEMFPage* operator[](int index) const { return Page(index); }

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
    // Saving shows an error box when the file cannot be written whole and leaves a file that
    // was there as it was.
    QByteArray SaveToStream() const;
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

    QPointer<TRMReport> m_report;
    std::vector<std::unique_ptr<TRMEMFPage>> m_pages;
    std::vector<TRMBkPicture> m_bkPictures;
    QStringList m_missing;
};

// The report's prepared pages, created on first use and owned by the report.
TRMEMFPages& RMPreparedPages(TRMReport& report);

// The order that interleaves runs of equal keys: the first index of every key (in the order
// keys first appear), then the second of every key, and so on.
std::vector<int> RMInterleaveOrder(const std::vector<int>& keys);

} // namespace pq
