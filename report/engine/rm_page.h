// Design pages of a report and the list that owns them.
#pragma once

#include "report/engine/rm_object.h"
#include "report/engine/rm_types.h"
#include "report/engine/rm_view.h"

#include "report/preview/printer/printer.h"

#include <QImage>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

namespace pq {

class TRMBand;
class TRMCalcMemoView;
class TRMReport;

// The design fields of a page; defaults are those of construction (the paper comes from
// the constructor). A plain struct, so that a snapshot copies them by assignment.
struct TRMPageFields {
    int Type = ptReport;
    int PageSize = 0;        // printer paper code
    int PrnWidth = 0;        // thousandths of a millimetre
    int PrnHeight = 0;
    int Orientation = poPortrait;
    int PageBin = -1;        // -1 (0xFFFF) = the default bin
    int LeftMargin = 15000;  // thousandths of a millimetre
    int TopMargin = 20000;
    int RightMargin = 15000;
    int BottomMargin = 20000;
    bool PrintToPrevPage = false; // streamed as a 16-bit boolean
    int Columns = 1;
    int ColumnGap = 0;       // thousandths of a millimetre
    int ColumnWidth = 0;     // pixels, computed
    std::uint8_t AutoHCenter = 0;
    std::uint8_t Visible = 1;
    std::uint8_t ShowBackPicture = 1;
    QImage BackPicture;
    int BackGroundLeft = 0, BackGroundTop = 0, BackGroundWidth = 0, BackGroundHeight = 0;
    QStringList Script;
    // Dialog pages.
    QString Caption = QStringLiteral("Form");
    std::uint32_t Color = 0x8000000F; // button face
    int Left = 220, Top = 180, Width = 380, Height = 300;
    int BorderStyle = bsDialog;
    int Position = poScreenCenter;
    QStringList OnActivate;
    // The printer's sheet geometry for this paper; PageWidth/PageHeight are screen pixels.
    TRMPageMetrics PrinterInfo;
};

class TRMPage : public TRMObject, public TRMPageFields {
public:
    // A new page takes the given paper (sizes in tenths of a millimetre, as the printer
    // layer reports them).
    TRMPage(int paperSize, int paperWidthTenths, int paperHeightTenths, int orientation, int bin);
    ~TRMPage() override;

    TRMReport* Report = nullptr; // owner
    std::vector<std::unique_ptr<TRMView>> Objects; // the page's views, in design order

    // Run-time fields while the page is prepared.
    std::array<TRMBand*, kBandTypeCount> Bands{};
    int CurColumn = 0;
    int XAdjust = 0;
    int ColumnTop = 0;
    int CurY = 0;
    int CurBottomY = 0;
    TRMBand* LastBand = nullptr;
    std::vector<TRMCalcMemoView*> CalcMemos;
    std::vector<TRMBand*> DelayedBands;
    int ColumnNo = 0;  // "Column#"
    int CurrentNo = 0; // "Current#"
    bool PrintColumnFooter = false;
    bool IsSubReport = false;
    bool BandPrintedTwice = false;
    // Owns the run-time bands of this page's preparation.
    std::vector<std::unique_ptr<TRMBand>> RunBands;

    // Limits in pixels.
    int LeftLimit() const;
    int TopLimit() const;
    int RightLimit() const;
    // The page footer's height is left out while the report is shown or printed.
    int BottomLimit() const;
    static int MarginPixels(int thousandths);
    // Screen pixels to the margins' own unit, thousandths of a millimetre.
    static int MarginThousandths(int pixels);

    // Stores columns and gap (at least one column) and recomputes the column width.
    void SetColumns(int columns);
    void RecalcColumnWidth();
    // Changes the paper; sizes in tenths of a millimetre; stored ×100.
    void ChangePaper(int paperSize, int widthTenths, int heightTenths, int orientation, int bin);
    // Clamps Columns to at least 1 and computes the column width: preparation calls it.
    void PrepareColumns();

    // Views.
    TRMView* AddObject(std::unique_ptr<TRMView> view);
    TRMView* FindObject(const QString& name) const;
    int IndexOf(const TRMView* view) const;
    void DeleteObject(int index);
    void ClearObjects();
    // Frees the run-time bands (the page's preparation is over).
    void FreeRunBands();

    void SetPropValue(const QString& name, const Variant& value) override;
    Variant GetPropValue(const QString& name) override;
    Variant DoMethod(const QString& name, const QList<Variant>& args) override;

protected:
    QStringList* StringListProp(const QString& upperName) override;
};

class TRMPages {
public:
    explicit TRMPages(TRMReport* report) : m_report(report) {}
    ~TRMPages();
    TRMPages(const TRMPages&) = delete;
    TRMPages& operator=(const TRMPages&) = delete;

    int Count() const { return static_cast<int>(m_pages.size()); }
    TRMPage* Page(int index) const;
    TRMPage* operator[](int index) const { return Page(index); }
    // Adds a page with the current printer's paper.
    TRMPage* Add();
    // Adds a page with the given paper (tenths of a millimetre).
    TRMPage* Add(int paperSize, int widthTenths, int heightTenths, int orientation, int bin);
    void Delete(int index);
    void Clear();
    // Exchanges the pages of two lists (a loader fills a scratch list and swaps it in only
    // when the whole file was read); each page then belongs to its new list's report.
    void Swap(TRMPages& other);
    int IndexOf(const TRMPage* page) const;
    // "PAGE" followed by a 1-based number, any case; nullptr otherwise.
    TRMPage* PageByScriptName(const QString& name) const;

private:
    TRMReport* m_report;
    std::vector<std::unique_ptr<TRMPage>> m_pages;
};

} // namespace pq
