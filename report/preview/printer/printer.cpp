#include "report/preview/printer/printer.h"

#include "base/rounding.h"
#include "base/units.h"
#include "report/preview/printer/paper_tables.h"
#include "report/preview/printer/pdf_context.h"
#include "report/preview/printer/qt_backend.h"

#include <QCoreApplication>
#include <QPainter>

#include <cmath>
#include <cstdlib>

namespace pq {

namespace {

// Screen pixels per inch the page metrics are scaled by (93 / 1.022 and 93 / 1.015).
constexpr double kKx0 = 93.0 / 1.022;
constexpr double kKy0 = 93.0 / 1.015;

int MmToScreen(double mm) { return static_cast<int>(Round(units::MmToPixels(mm))); }

// Standard margin of a sheet with no device: 5 mm at the metrics' scale (18 pixels).
int TableOffsetX() { return static_cast<int>(Round(50 * kKx0 / 254)); }
int TableOffsetY() { return static_cast<int>(Round(50 * kKy0 / 254)); }

// Device pixels per screen pixel; 0 when there is no device sheet (the virtual printer keeps
// its device fields at 0) or no page, so a caller dividing by it has to guard.
double DeviceFactor(int device, int screen)
{
    if (device <= 0 || screen <= 0)
        return 0.0;
    return static_cast<double>(device) / screen;
}

// The sheet size a device reports is the stored one when it lies within the device's
// rounding of it: Qt keeps page sizes in whole points (up to half a point, 1.76 tenths of a
// millimetre, off) and the device in whole pixels.
int DeviceRounding(int dpi)
{
    return static_cast<int>(std::ceil(254.0 / 144.0 + (dpi > 0 ? 127.0 / dpi : 0.0)));
}

} // namespace

// --- canvas ------------------------------------------------------------------------------

TRMPrinterCanvas::TRMPrinterCanvas(TRMCustomPrinter& printer) : m_printer(printer) {}

QPainter* TRMPrinterCanvas::Painter() const { return m_printer.Painter(); }

void TRMPrinterCanvas::SetFont(const QFont& font)
{
    m_font = font;
    Apply();
}

void TRMPrinterCanvas::SetFontColor(const QColor& color)
{
    m_fontColor = color;
    Apply();
}

void TRMPrinterCanvas::Refresh() { Apply(); }

void TRMPrinterCanvas::Apply()
{
    const TRMDeviceCaps& caps = m_printer.m_caps;
    m_fontPpi = caps.DpiY > 0 ? caps.DpiY : units::ScreenDpi();
    // A monochrome device prints coloured text as a grey dither; black reads better.
    const bool mono = (m_printer.m_printing || m_printer.m_dc) && !caps.IsColor;
    if (mono && m_fontColor != QColor(Qt::black) && m_fontColor != QColor(Qt::white))
        m_fontColor = Qt::black;
    if (QPainter* p = Painter(); p && p->isActive()) {
        p->setFont(m_font); // point sizes resolve at the device's resolution
        p->setPen(m_fontColor);
    }
}

// --- printer -----------------------------------------------------------------------------

TRMCustomPrinter::TRMCustomPrinter(TRMPrinterList& list, TRMPrinterBackend& backend)
    : m_list(list), m_backend(backend), m_canvas(*this)
{
}

TRMCustomPrinter::~TRMCustomPrinter()
{
    if (m_jobContext)
        m_jobContext->AbortDoc();
    m_jobContext = nullptr;
    if (m_file)
        m_file->AbortDoc();
    m_file.reset();
    m_dc.reset();
    if (m_printerOpen && m_info)
        m_backend.ClosePrinter(m_info->Device);
}

void TRMCustomPrinter::InitDefaults()
{
    SetSelectedPrinter(0);
    ReadDevMode();
    m_defaultPaperSize = m_paperSize;
    m_defaultPaperWidth = GetPaperWidth();
    m_defaultPaperHeight = GetPaperHeight();
}

bool TRMCustomPrinter::IsRealPrinter() const
{
    if (!m_list.HasRealPrinters() || m_selectedPrinter < 0)
        return false;
    return m_list.Resolve(m_selectedPrinter) >= 2;
}

void TRMCustomPrinter::SetSelectedPrinter(int index)
{
    if (m_printing || index < 0 || index == m_selectedPrinter)
        return;
    DeleteContext();
    TRMPrinterInfo* info = m_list.GetInfo(index);
    if (!info)
        return;
    m_selectedPrinter = index;
    if (info == m_info)
        return;

    int oldWidth = -1;
    int oldHeight = -1;
    if (m_info && m_info->PaperCount() > 0) {
        const int i = m_info->IndexOfPaperId(m_paperSize);
        oldWidth = m_info->PaperWidth(i);
        oldHeight = m_info->PaperHeight(i);
    }
    FreeDeviceResources();
    m_info = info;
    if (oldWidth > 0 && oldHeight > 0) {
        int match = -1;
        for (int i = 0; i < m_info->PaperCount(); ++i) {
            if (std::abs(m_info->PaperWidth(i) - oldWidth) <= 1
                && std::abs(m_info->PaperHeight(i) - oldHeight) <= 1) {
                match = i;
                break;
            }
        }
        m_paperSize = match >= 0 ? m_info->PaperId(match) : kCustomPaperId;
    }
}

void TRMCustomPrinter::FreeDeviceResources()
{
    if (m_printing)
        return;
    DeleteContext();
    m_devMode.reset();
    m_devModeRead = false;
    m_devModeChanged = false;
    if (m_printerOpen && m_info)
        m_backend.ClosePrinter(m_info->Device);
    m_printerOpen = false;
}

TRMDevMode* TRMCustomPrinter::DevModePtr()
{
    if (!m_devModeRead) {
        m_devModeRead = true;
        if (IsRealPrinter() && m_info) {
            if (!m_printerOpen)
                m_printerOpen = m_backend.OpenPrinter(m_info->Device);
            m_devMode = m_backend.DocumentProperties(m_info->Device);
            if (m_devMode)
                m_driverDefaultBin = m_devMode->DefaultSource;
        }
    }
    return m_devMode ? &*m_devMode : nullptr;
}

void TRMCustomPrinter::ReadDevMode()
{
    if (const TRMDevMode* dm = DevModePtr()) {
        m_paperSize = dm->PaperSize;
        m_bin = dm->DefaultSource;
        m_landscape = dm->Orientation != 1;
    }
}

std::optional<TRMDevMode> TRMCustomPrinter::GetDevMode()
{
    if (const TRMDevMode* dm = DevModePtr())
        return *dm;
    return std::nullopt;
}

void TRMCustomPrinter::SetDevMode(const std::optional<TRMDevMode>& devMode)
{
    if (m_printing)
        m_devModeChanged = true;
    else
        DeleteContext();
    m_devMode = devMode;
    m_devModeRead = true;
}

TRMDevMode TRMCustomPrinter::EffectiveDevMode()
{
    if (const TRMDevMode* dm = DevModePtr())
        return *dm;
    // No driver (the virtual printer, or a file): describe the sheet from the settings.
    TRMDevMode dm;
    dm.Fields = TRMDevMode::fmOrientation | TRMDevMode::fmPaperSize | TRMDevMode::fmCopies
        | TRMDevMode::fmPaperWidth | TRMDevMode::fmPaperLength;
    dm.PaperSize = m_paperSize;
    dm.Orientation = m_landscape ? 2 : 1;
    if (m_info && m_info->PaperCount() > 0) {
        const int i = m_info->IndexOfPaperId(m_paperSize);
        dm.PaperWidth = m_info->PaperWidth(i);
        dm.PaperLength = m_info->PaperHeight(i);
    }
    dm.Copies = std::max(1, CopiesForDevMode());
    dm.DefaultSource = m_bin;
    return dm;
}

TRMPrintContext* TRMCustomPrinter::EnsureContext()
{
    if (m_printing)
        return m_jobContext;
    if (!m_dc && m_info && m_info->IsValid && IsRealPrinter()) {
        m_dc = m_backend.CreateContext(m_info->Device, EffectiveDevMode(), false);
        if (!m_dc)
            m_info->IsValid = false;
        RefreshCaps();
    }
    return m_dc.get();
}

void TRMCustomPrinter::DeleteContext()
{
    if (m_jobContext == m_dc.get())
        m_jobContext = nullptr;
    m_dc.reset();
    m_caps = TRMDeviceCaps{};
}

void TRMCustomPrinter::RefreshCaps()
{
    TRMPrintContext* ctx = m_printing ? m_jobContext : m_dc.get();
    m_caps = ctx ? ctx->Caps() : TRMDeviceCaps{};
    m_canvas.Refresh();
}

QPainter* TRMCustomPrinter::Painter() const
{
    return m_printing && m_jobContext ? m_jobContext->Painter() : nullptr;
}

int TRMCustomPrinter::TablePaperWidth(bool vertical)
{
    if (!m_info || m_info->PaperCount() == 0)
        return 0;
    const int i = m_info->IndexOfPaperId(m_paperSize);
    return (m_landscape != vertical) ? m_info->PaperHeight(i) : m_info->PaperWidth(i);
}

int TRMCustomPrinter::DeviceSheetSide(bool vertical)
{
    const int dpi = vertical ? m_caps.DpiY : m_caps.DpiX;
    const int physical = vertical ? m_caps.PhysicalHeight : m_caps.PhysicalWidth;
    const int a = static_cast<int>(Round(physical * 254.0 / dpi));
    // Before any size was applied (first use), the paper's own size is what was asked for.
    int wanted = vertical ? m_storedPaperHeight : m_storedPaperWidth;
    if (wanted <= 0)
        wanted = TablePaperWidth(vertical);
    return wanted > 0 && std::abs(a - wanted) <= DeviceRounding(dpi) ? wanted : a;
}

int TRMCustomPrinter::GetPaperWidth()
{
    if (IsRealPrinter() && EnsureContext() && m_caps.DpiX > 0 && m_caps.PhysicalWidth > 0)
        return DeviceSheetSide(false);
    return TablePaperWidth(false);
}

int TRMCustomPrinter::GetPaperHeight()
{
    if (IsRealPrinter() && EnsureContext() && m_caps.DpiY > 0 && m_caps.PhysicalHeight > 0)
        return DeviceSheetSide(true);
    return TablePaperWidth(true);
}

QMargins TRMCustomPrinter::GetPrintableOffsets()
{
    if (!EnsureContext())
        return {};
    const int right = m_caps.PhysicalWidth - m_caps.OffsetLeft - m_caps.PrintableWidth;
    const int bottom = m_caps.PhysicalHeight - m_caps.OffsetTop - m_caps.PrintableHeight;
    return QMargins(m_caps.OffsetLeft, m_caps.OffsetTop, right, bottom);
}

QSize TRMCustomPrinter::GetPixelsPerInch()
{
    if (EnsureContext() && m_caps.DpiX > 0 && m_caps.DpiY > 0)
        return QSize(m_caps.DpiX, m_caps.DpiY);
    return QSize(units::ScreenDpi(), units::ScreenDpi());
}

int TRMCustomPrinter::GetPrintableWidth()
{
    if (EnsureContext())
        return m_caps.PrintableWidth;
    return std::max(0, static_cast<int>(Round(GetPaperWidth() * GetPixelsPerInch().width() / 254.0)));
}

int TRMCustomPrinter::GetPrintableHeight()
{
    if (EnsureContext())
        return m_caps.PrintableHeight;
    return std::max(0, static_cast<int>(Round(GetPaperHeight() * GetPixelsPerInch().height() / 254.0)));
}

bool TRMCustomPrinter::IsColor()
{
    return EnsureContext() ? m_caps.IsColor : true;
}

void TRMCustomPrinter::SetPageSettings(
    int paperId, int width, int height, bool landscape, int bin, bool force)
{
    if (m_printing)
        return;
    if (paperId == kCustomPaperId && m_info)
        paperId = m_info->LastPaperId();
    if (!force && IsSameSettings(paperId, width, height, landscape, bin))
        return;
    m_paperSize = paperId;
    m_landscape = landscape;
    m_bin = bin;
    ApplySettings(width, height);
}

bool TRMCustomPrinter::IsSameSettings(int paperId, int width, int height, bool landscape, int bin)
{
    return paperId == m_paperSize && landscape == m_landscape
        && (bin == m_bin || BinAsInt16(bin) == -1) && std::abs(GetPaperWidth() - width) <= 1
        && std::abs(GetPaperHeight() - height) < 2;
}

void TRMCustomPrinter::ApplySettings(int width, int height)
{
    if (!m_info || m_info->PaperCount() == 0)
        return;
    const int last = m_info->PaperCount() - 1;
    const int i = m_info->IndexOfPaperId(m_paperSize);
    // The custom entry keeps the last user-defined size, portrait, so that every fallback to
    // the table (no device, no context) sees the size actually asked for.
    if (i == last && m_paperSize == m_info->LastPaperId()) {
        m_info->SetPaperWidth(last, m_landscape ? height : width);
        m_info->SetPaperHeight(last, m_landscape ? width : height);
    }
    if (!IsRealPrinter())
        return;

    std::optional<TRMDevMode> copy = GetDevMode();
    if (!copy)
        return;
    TRMDevMode& dm = *copy;

    // An extra paper or the custom size goes out as the form "Custom" of the sheet as it lies:
    // the size given for the custom entry, the entry's own size turned for landscape.
    const bool sized = i >= m_info->FirstExtraPaper;
    int formW = 0;
    int formH = 0;
    if (sized) {
        const bool custom = i == last;
        formW = custom ? width : (m_landscape ? m_info->PaperHeight(i) : m_info->PaperWidth(i));
        formH = custom ? height : (m_landscape ? m_info->PaperWidth(i) : m_info->PaperHeight(i));
        m_backend.EnsureForm(m_info->Device, QStringLiteral("Custom"), formW * 100, formH * 100);
        dm.FormName = QStringLiteral("Custom");
        dm.FormWidth = formW;
        dm.FormLength = formH;
        dm.Fields |= TRMDevMode::fmFormName;
    } else {
        // A paper the driver knows by id: a form left from an earlier size must not win.
        dm.FormName.clear();
        dm.FormWidth = 0;
        dm.FormLength = 0;
        dm.Fields &= ~TRMDevMode::fmFormName;
    }
    m_storedPaperWidth = width;
    m_storedPaperHeight = height;

    dm.Fields |= TRMDevMode::fmOrientation | TRMDevMode::fmPaperSize | TRMDevMode::fmCopies
        | TRMDevMode::fmDuplex;
    dm.PaperSize = m_paperSize;
    if (!sized) {
        dm.Fields &= ~(TRMDevMode::fmPaperLength | TRMDevMode::fmPaperWidth);
    } else {
        dm.Fields |= TRMDevMode::fmPaperLength | TRMDevMode::fmPaperWidth;
        dm.PaperSize = m_info->CustomPaperId;
        // The custom size in landscape is given as it lies; the device mode wants it upright.
        const bool turnBack = i == last && m_landscape;
        dm.PaperWidth = turnBack ? formH : formW;
        dm.PaperLength = turnBack ? formW : formH;
    }
    dm.Duplex = 1;
    dm.Orientation = m_landscape ? 2 : 1;
    dm.Copies = std::max(1, CopiesForDevMode());
    if (m_info->Bins.contains(QString::number(m_bin))) {
        dm.DefaultSource = BinAsInt16(m_bin) == -1 ? m_driverDefaultBin : m_bin;
        dm.Fields |= TRMDevMode::fmDefaultSource;
    }
    SetDevMode(copy);
}

void TRMCustomPrinter::FillPageMetrics(TRMPageMetrics& m)
{
    TRMPrintContext* ctx = EnsureContext();
    // A job into a file has a device of its own even on the virtual printer.
    const bool device = ctx && (IsRealPrinter() || (m_printing && UsesFile()));
    if (!device) {
        m.PageWidth = MmToScreen(TablePaperWidth(false) / 10.0);
        m.PageHeight = MmToScreen(TablePaperWidth(true) / 10.0);
        m.OffsetLeft = TableOffsetX();
        m.OffsetTop = TableOffsetY();
        m.PrintableWidth = std::max(0, m.PageWidth - 2 * m.OffsetLeft);
        m.PrintableHeight = std::max(0, m.PageHeight - 2 * m.OffsetTop);
    } else {
        const double kx = m_caps.DpiX < 1 ? kKx0 : kKx0 / m_caps.DpiX;
        const double ky = m_caps.DpiY < 1 ? kKy0 : kKy0 / m_caps.DpiY;
        m.PhysWidthDev = m_caps.PhysicalWidth;
        m.PhysHeightDev = m_caps.PhysicalHeight;
        m.OffsetLeftDev = m_caps.OffsetLeft;
        m.OffsetLeft = static_cast<std::int32_t>(Round(m_caps.OffsetLeft * kx));
        m.OffsetTopDev = m_caps.OffsetTop;
        m.OffsetTop = static_cast<std::int32_t>(Round(m_caps.OffsetTop * ky));
        m.PrintableWidthDev = m_caps.PrintableWidth;
        m.PrintableWidth = static_cast<std::int32_t>(Round(kx * m_caps.PrintableWidth));
        m.PrintableHeightDev = m_caps.PrintableHeight;
        m.PrintableHeight = static_cast<std::int32_t>(Round(ky * m_caps.PrintableHeight));
        m.PageWidth = MmToScreen(GetPaperWidth() / 10.0);
        m.PageHeight = MmToScreen(GetPaperHeight() / 10.0);
    }
    m_factorX = DeviceFactor(m.PhysWidthDev, m.PageWidth);
    m_factorY = DeviceFactor(m.PhysHeightDev, m.PageHeight);
}

bool TRMCustomPrinter::ShowPropertiesDialog(QWidget* owner)
{
    if (m_printing || !IsRealPrinter() || !m_info)
        return false;
    std::optional<TRMDevMode> copy = GetDevMode();
    if (!copy)
        return false;
    if (!m_backend.PropertiesDialog(m_info->Device, *copy, owner))
        return false;
    SetDevMode(copy);
    return true;
}

// --- the job -----------------------------------------------------------------------------

void TRMCustomPrinter::ResetJobState()
{
    m_jobContext = nullptr;
    m_dc.reset();
    m_printing = false;
    m_pageStarted = false;
    m_aborted = false;
    m_pageNumber = 0;
    m_devModeChanged = false;
    m_caps = TRMDeviceCaps{};
    m_canvas.Refresh();
}

void TRMCustomPrinter::FailJob(const QString& what, const QString& detail)
{
    // Leave nothing half-done: the device drops the job, a partial file is removed.
    if (m_jobContext)
        m_jobContext->AbortDoc();
    m_aborted = true;
    // A run's file holds the earlier documents of this print; the print failed, so it goes too.
    if (m_file && m_jobContext != m_file.get())
        m_file->AbortDoc();
    m_file.reset();
    ResetJobState();
    throw TRMPrinterError(detail.isEmpty() ? what : what + QLatin1Char('\n') + detail);
}

void TRMCustomPrinter::BeginDoc()
{
    if (m_printing)
        return;
    if (!UsesFile()) {
        if (!m_list.HasRealPrinters())
            throw TRMPrinterError(QStringLiteral("没有安装打印机，无法打印。"));
        if (!IsRealPrinter() || !m_info)
            throw TRMPrinterError(QStringLiteral("虚拟打印机不能打印，请选择一台打印机。"));
        if (!m_info->IsValid)
            throw TRMPrinterError(QStringLiteral("打印机“%1”不可用。").arg(m_info->Device));
    }
    m_printing = true;
    m_aborted = false;
    m_pageNumber = 0;
    m_pageStarted = false;
    DeleteContext();
    const TRMDevMode dm = EffectiveDevMode();
    m_devModeChanged = false;

    if (UsesFile()) {
        if (m_file && m_file->FileName() != m_outputFileName) {
            // A run that moves on to another file completes the previous one first.
            const bool ok = m_file->Finish();
            const QString error = m_file->LastError();
            m_file.reset();
            if (!ok)
                FailJob(QStringLiteral("无法写入文件。"), error);
        }
        if (!m_file)
            m_file = std::make_unique<TRMPdfContext>(dm);
        else if (!m_file->Reset(dm))
            FailJob(QStringLiteral("无法开始打印到文件“%1”。").arg(m_outputFileName), m_file->LastError());
        m_file->SetKeepOpen(m_inRun);
        m_jobContext = m_file.get();
        RefreshCaps();
        if (!m_file->StartDoc(m_title, m_outputFileName))
            FailJob(QStringLiteral("无法开始打印到文件“%1”。").arg(m_outputFileName), m_file->LastError());
    } else {
        m_dc = m_backend.CreateContext(m_info->Device, dm, true);
        if (!m_dc) {
            m_info->IsValid = false;
            FailJob(QStringLiteral("无法连接打印机“%1”。").arg(m_info->Device), QString());
        }
        m_jobContext = m_dc.get();
        RefreshCaps();
        if (!m_dc->StartDoc(m_title, QString()))
            FailJob(QStringLiteral("打印机“%1”无法开始打印作业。").arg(m_info->Device), m_dc->LastError());
    }
}

void TRMCustomPrinter::ResetContext()
{
    m_devModeChanged = false;
    m_canvas.Refresh();
    // A context that refuses the new settings keeps the old ones, as the driver would.
    m_jobContext->Reset(EffectiveDevMode());
    RefreshCaps();
}

void TRMCustomPrinter::OpenPage()
{
    if (!m_printing || m_pageStarted || !m_jobContext)
        return;
    m_pageStarted = true;
    if (m_devModeChanged)
        ResetContext();
    if (!m_jobContext->StartPage())
        FailJob(QStringLiteral("无法开始新的一页。"), m_jobContext->LastError());
    ++m_pageNumber;
    RefreshCaps();
}

void TRMCustomPrinter::EndPage()
{
    if (!m_printing || !m_pageStarted || !m_jobContext)
        return;
    m_pageStarted = false;
    if (!m_jobContext->EndPage())
        FailJob(QStringLiteral("无法结束当前页。"), m_jobContext->LastError());
}

void TRMCustomPrinter::EndDoc()
{
    if (!m_printing)
        return;
    bool ok = true;
    QString error;
    if (m_jobContext && !m_aborted) {
        if (m_pageStarted) {
            m_pageStarted = false;
            if (!m_jobContext->EndPage())
                FailJob(QStringLiteral("无法结束当前页。"), m_jobContext->LastError());
        }
        ok = m_jobContext->EndDoc();
        if (!ok) {
            error = m_jobContext->LastError();
            m_jobContext->AbortDoc();
        }
    }
    const bool toFile = m_jobContext && m_jobContext == m_file.get();
    if (toFile && (!ok || m_aborted || !m_inRun))
        m_file.reset();
    ResetJobState();
    if (!ok)
        throw TRMPrinterError(QStringLiteral("打印作业未能完成。") + QLatin1Char('\n') + error);
}

void TRMCustomPrinter::Abort()
{
    if (!m_printing)
        return;
    if (m_jobContext)
        m_jobContext->AbortDoc();
    m_aborted = true;
    EndDoc();
}

void TRMCustomPrinter::StartPrintRun() { m_inRun = true; }

void TRMCustomPrinter::FinishPrintRun()
{
    if (m_printing)
        EndDoc();
    m_inRun = false;
    if (!m_file)
        return;
    const bool ok = m_file->Finish();
    const QString error = m_file->LastError();
    m_file.reset();
    if (!ok)
        throw TRMPrinterError(QStringLiteral("无法写入文件。") + QLatin1Char('\n') + error);
}

std::unique_ptr<TRMPrinter> CreateReportPrinter(TRMPrinterList& list, TRMPrinterBackend& backend)
{
    auto printer = std::make_unique<TRMPrinter>(list, backend);
    printer->InitDefaults();
    return printer;
}

// --- process-wide objects ----------------------------------------------------------------

namespace {

struct Globals {
    std::unique_ptr<TRMPrinterBackend> backend;
    std::unique_ptr<TRMPrinterList> list;
    std::unique_ptr<TRMPrinter> printer;
    bool cleanupRegistered = false;
};

Globals& G()
{
    static Globals g;
    return g;
}

// Device contexts must go before the application object does.
void RegisterCleanup()
{
    Globals& g = G();
    if (!g.cleanupRegistered && QCoreApplication::instance()) {
        qAddPostRoutine(&FreePrinterGlobals);
        g.cleanupRegistered = true;
    }
}

} // namespace

TRMPrinterBackend& PrinterBackend()
{
    Globals& g = G();
    if (!g.backend)
        throw std::logic_error("the printer layer is used before it was started: the report "
                               "engine's start-up (or StartPrinterLayer) comes first");
    return *g.backend;
}

void StartPrinterLayer(std::unique_ptr<TRMPrinterBackend> backend)
{
    Globals& g = G();
    if (g.backend)
        throw std::logic_error("the printer layer is started once; stop it before starting it again");
    g.backend = backend ? std::move(backend) : std::make_unique<TRMQtPrinterBackend>();
}

void StopPrinterLayer()
{
    FreePrinterGlobals();
    Globals& g = G();
    g.backend.reset();
    // The routine may live in a library that is unloaded before the application object goes.
    if (g.cleanupRegistered) {
        qRemovePostRoutine(&FreePrinterGlobals);
        g.cleanupRegistered = false;
    }
}

bool PrinterLayerStarted()
{
    return G().backend != nullptr;
}

TRMPrinterList& GetPrinterList()
{
    Globals& g = G();
    RegisterCleanup();
    if (!g.list)
        g.list = std::make_unique<TRMPrinterList>(PrinterBackend());
    else
        g.list->FindDefault();
    return *g.list;
}

TRMPrinter& GetReportPrinter()
{
    Globals& g = G();
    if (!g.printer) {
        TRMPrinterList& list = GetPrinterList();
        g.printer = CreateReportPrinter(list, PrinterBackend());
    }
    return *g.printer;
}

void FreePrinterGlobals()
{
    Globals& g = G();
    g.printer.reset();
    g.list.reset();
}

} // namespace pq
