// The report printer: selection of a printer from the list, paper and bin settings, page
// geometry for the report engine, and the print job (BeginDoc, OpenPage, EndPage, EndDoc,
// Abort). One process-wide instance, created on first use with the default printer selected.
//
// Device failures are thrown as TRMPrinterError after the job has been aborted cleanly, so a
// print never reports success without output. With OutputFileName set, the job goes into a
// PDF file instead of the device; that works on every machine, printers or not.
#pragma once

#include "report/preview/printer/printer_backend.h"
#include "report/preview/printer/printer_info.h"

#include <QColor>
#include <QFont>
#include <QMargins>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class QPainter;
class QWidget;

namespace pq {

// Sheet geometry of one page; device pixels (…Dev) and screen pixels.
struct TRMPageMetrics {
    std::int32_t PhysWidthDev = 0;
    std::int32_t PhysHeightDev = 0;
    std::int32_t PageWidth = 0;
    std::int32_t PageHeight = 0;
    std::int32_t OffsetLeftDev = 0;
    std::int32_t OffsetTopDev = 0;
    std::int32_t OffsetLeft = 0;
    std::int32_t OffsetTop = 0;
    std::int32_t PrintableWidthDev = 0;
    std::int32_t PrintableHeightDev = 0;
    std::int32_t PrintableWidth = 0;
    std::int32_t PrintableHeight = 0;

    bool operator==(const TRMPageMetrics&) const = default;
};

class TRMCustomPrinter;
class TRMPdfContext;

// The printer's drawing surface. Its painter is the open document's; the font rule (point
// sizes at the printer's vertical resolution, black text on a monochrome device) is applied
// whenever the printer's state changes.
class TRMPrinterCanvas {
public:
    explicit TRMPrinterCanvas(TRMCustomPrinter& printer);

    // The painter of the open document; nullptr outside a job.
    QPainter* Painter() const;
    bool HandleAllocated() const { return Painter() != nullptr; }

    QFont Font() const { return m_font; }
    void SetFont(const QFont& font);
    QColor FontColor() const { return m_fontColor; }
    void SetFontColor(const QColor& color);
    // The resolution fonts are sized for: the printer's DpiY.
    int FontPixelsPerInch() const { return m_fontPpi; }

    // Rebinds to the printer's current context and re-applies the font rule.
    void Refresh();

private:
    void Apply();

    TRMCustomPrinter& m_printer;
    QFont m_font;
    QColor m_fontColor = Qt::black;
    int m_fontPpi = 0;
};

class TRMCustomPrinter {
public:
    TRMCustomPrinter(TRMPrinterList& list, TRMPrinterBackend& backend);
    virtual ~TRMCustomPrinter();
    TRMCustomPrinter(const TRMCustomPrinter&) = delete;
    TRMCustomPrinter& operator=(const TRMCustomPrinter&) = delete;

    // First-use set-up: selects entry 0 (the default printer), reads the driver's device
    // mode and records the default paper new report pages start with.
    void InitDefaults();

    // --- selection -------------------------------------------------------------------
    void SetSelectedPrinter(int index);
    int SelectedPrinter() const { return m_selectedPrinter; }
    TRMPrinterInfo* PrinterInfo() const { return m_info; }
    TRMPrinterList& PrinterList() const { return m_list; }
    // True when the selected entry is a real device (not the virtual printer, and the
    // machine has printers).
    bool IsRealPrinter() const;

    // --- page settings ---------------------------------------------------------------
    int PaperSize() const { return m_paperSize; }
    bool Landscape() const { return m_landscape; }
    int Bin() const { return m_bin; }
    int StoredPaperWidth() const { return m_storedPaperWidth; }
    int StoredPaperHeight() const { return m_storedPaperHeight; }
    // Device pixels per screen pixel of the last FillPageMetrics; 0 when it had no device
    // sheet (the virtual printer), so a caller dividing by it must guard.
    double FactorX() const { return m_factorX; }
    double FactorY() const { return m_factorY; }
    int DefaultPaperSize() const { return m_defaultPaperSize; }
    int DefaultPaperWidth() const { return m_defaultPaperWidth; }
    int DefaultPaperHeight() const { return m_defaultPaperHeight; }

    // Current sheet in 0.1 mm, orientation applied.
    int GetPaperWidth();
    int GetPaperHeight();
    // (OffsetLeft, OffsetTop, OffsetRight, OffsetBottom) in device pixels; all zero without
    // a context.
    QMargins GetPrintableOffsets();
    // (DpiX, DpiY); the screen's resolution without a context.
    QSize GetPixelsPerInch();
    // Printable area in device pixels, the unit of GetPixelsPerInch and GetPrintableOffsets.
    // Without a context: the built-in table's whole sheet at GetPixelsPerInch (the offsets
    // are then zero), so the three always add up to the sheet.
    int GetPrintableWidth();
    int GetPrintableHeight();
    bool IsColor();

    void SetPageSettings(int paperId, int width, int height, bool landscape, int bin, bool force);
    bool IsSameSettings(int paperId, int width, int height, bool landscape, int bin);
    void FillPageMetrics(TRMPageMetrics& metrics);

    // Runs the driver's settings dialog; true when accepted and installed.
    bool ShowPropertiesDialog(QWidget* owner = nullptr);
    std::optional<TRMDevMode> GetDevMode();
    void SetDevMode(const std::optional<TRMDevMode>& devMode);
    bool DevModeChanged() const { return m_devModeChanged; }
    int DriverDefaultBin() const { return m_driverDefaultBin; }

    // --- device capabilities (refreshed whenever a context is created or reset) -------
    int DpiX() { EnsureContext(); return m_caps.DpiX; }
    int DpiY() { EnsureContext(); return m_caps.DpiY; }
    bool HasContext() const { return m_dc != nullptr; }

    // --- the job -----------------------------------------------------------------------
    QString Title() const { return m_title; }
    void SetTitle(const QString& title) { m_title = title; }
    QString OutputFileName() const { return m_outputFileName; }
    void SetOutputFileName(const QString& fileName) { m_outputFileName = fileName; }
    bool Printing() const { return m_printing; }
    bool PageStarted() const { return m_pageStarted; }
    bool Aborted() const { return m_aborted; }
    int PageNumber() const { return m_pageNumber; }

    // Each throws TRMPrinterError when the device fails, after aborting the job.
    void BeginDoc();
    void OpenPage();
    void EndPage();
    void EndDoc();
    void Abort();

    // A print run: between the two calls, successive documents into the same
    // OutputFileName (a new document per change of paper or orientation) go into one PDF
    // file, which FinishPrintRun completes. Outside a run, EndDoc completes the file.
    void StartPrintRun();
    void FinishPrintRun();
    bool InPrintRun() const { return m_inRun; }

    TRMPrinterCanvas& Canvas() { return m_canvas; }
    // The painter of the open document (the canvas' handle); nullptr outside a job.
    QPainter* Painter() const;

    // Releases context, device mode and printer handle (skipped while printing).
    void FreeDeviceResources();

protected:
    // Written into the device mode; TRMPrinter keeps it.
    virtual int CopiesForDevMode() const { return 1; }

private:
    friend class TRMPrinterCanvas;

    void ReadDevMode();
    TRMDevMode* DevModePtr();
    void ApplySettings(int width, int height);
    TRMPrintContext* EnsureContext();
    void DeleteContext();
    void ResetContext();
    void RefreshCaps();
    TRMDevMode EffectiveDevMode();
    // Back to idle after a job, whether it ended or failed.
    void ResetJobState();
    void FailJob(const QString& what, const QString& detail);
    int TablePaperWidth(bool vertical);
    // A side of the device's sheet in 0.1 mm, the size asked for when within rounding of it.
    int DeviceSheetSide(bool vertical);
    bool UsesFile() const { return !m_outputFileName.isEmpty(); }

    TRMPrinterList& m_list;
    TRMPrinterBackend& m_backend;
    TRMPrinterCanvas m_canvas;

    // job
    bool m_printing = false;
    bool m_pageStarted = false;
    bool m_aborted = false;
    int m_pageNumber = 0;
    QString m_title;
    QString m_outputFileName;
    bool m_inRun = false;
    // the PDF file of the current run, kept between documents
    std::unique_ptr<TRMPdfContext> m_file;
    QString m_fileName;

    // device
    int m_selectedPrinter = -1;
    TRMPrinterInfo* m_info = nullptr;
    bool m_printerOpen = false;
    std::unique_ptr<TRMPrintContext> m_dc; // device context (or info context)
    TRMPrintContext* m_jobContext = nullptr; // m_dc or m_file while printing
    std::optional<TRMDevMode> m_devMode;
    bool m_devModeRead = false;
    bool m_devModeChanged = false;
    int m_driverDefaultBin = 0;
    TRMDeviceCaps m_caps;

    // page settings
    int m_paperSize = 9;
    bool m_landscape = false;
    int m_bin = 65535;
    int m_storedPaperWidth = 0;
    int m_storedPaperHeight = 0;
    double m_factorX = 0.0;
    double m_factorY = 0.0;
    int m_defaultPaperSize = 9;
    int m_defaultPaperWidth = 2100;
    int m_defaultPaperHeight = 2970;
};

class TRMPrinter : public TRMCustomPrinter {
public:
    using TRMCustomPrinter::TRMCustomPrinter;
    int Copies() const { return m_copies; }
    void SetCopies(int copies) { m_copies = copies; }

protected:
    int CopiesForDevMode() const override { return m_copies; }

private:
    int m_copies = 1;
};

// Creates a printer for the list with entry 0 selected and the default paper recorded.
std::unique_ptr<TRMPrinter> CreateReportPrinter(TRMPrinterList& list, TRMPrinterBackend& backend);

// --- process-wide objects ----------------------------------------------------------------
// The printer layer's start-up: the backend every printer of the process talks to
// (nullptr: CUPS through Qt), until StopPrinterLayer. The report engine's start-up makes
// this call; starting twice is refused (std::logic_error).
void StartPrinterLayer(std::unique_ptr<TRMPrinterBackend> backend);
// Frees the list and the printer and lets the backend go.
void StopPrinterLayer();
bool PrinterLayerStarted();
// The backend of the started layer; std::logic_error before the start-up.
TRMPrinterBackend& PrinterBackend();
// The printer list, built on first call; every call asks again for the default printer.
TRMPrinterList& GetPrinterList();
// The report printer, created on first call with the default printer selected.
TRMPrinter& GetReportPrinter();
// Frees the printer and the list (library unload).
void FreePrinterGlobals();

} // namespace pq
