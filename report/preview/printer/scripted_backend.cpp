#include "report/preview/printer/scripted_backend.h"

#include "report/preview/printer/paper_tables.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace pq {

namespace {

class ScriptedContext : public TRMPrintContext {
public:
    ScriptedContext(TRMScriptedPrinterBackend& backend, const TRMScriptedDevice& device, const TRMDevMode& dm)
        : m_backend(backend), m_device(device), m_caps(TRMScriptedPrinterBackend::CapsFor(device, dm))
    {
    }
    ~ScriptedContext() override
    {
        if (m_painter.isActive())
            m_painter.end();
    }

    TRMDeviceCaps Caps() const override { return m_caps; }

    bool Reset(const TRMDevMode& dm) override
    {
        if (!Record(QStringLiteral("Reset")))
            return false;
        m_backend.DevModesSeen << dm;
        m_caps = TRMScriptedPrinterBackend::CapsFor(m_device, dm);
        return true;
    }
    bool StartDoc(const QString& title, const QString& outputFile) override
    {
        if (!Record(QStringLiteral("StartDoc"), title + QLatin1Char('|') + outputFile))
            return false;
        m_image = QImage(16, 16, QImage::Format_RGB32);
        return m_painter.begin(&m_image);
    }
    bool StartPage() override
    {
        if (!Record(QStringLiteral("StartPage")))
            return false;
        ++m_backend.PagesStarted;
        if (m_device.RecordPages) {
            if (m_painter.isActive())
                m_painter.end();
            m_image = QImage(std::max(1, m_caps.PrintableWidth), std::max(1, m_caps.PrintableHeight), QImage::Format_RGB32);
            m_image.fill(Qt::white);
            m_pageOpen = m_painter.begin(&m_image);
            return m_pageOpen;
        }
        return true;
    }
    bool EndPage() override
    {
        KeepPage();
        return Record(QStringLiteral("EndPage"));
    }
    bool EndDoc() override
    {
        KeepPage();
        if (m_painter.isActive())
            m_painter.end();
        return Record(QStringLiteral("EndDoc"));
    }
    bool AbortDoc() override
    {
        m_pageOpen = false; // an aborted page never reaches paper
        if (m_painter.isActive())
            m_painter.end();
        return Record(QStringLiteral("AbortDoc"));
    }
    QPainter* Painter() override { return m_painter.isActive() ? &m_painter : nullptr; }
    QString LastError() const override { return m_error; }

private:
    void KeepPage()
    {
        if (!m_pageOpen)
            return;
        m_pageOpen = false;
        m_painter.end();
        m_backend.PagesDrawn << m_image;
        // The document's painter stays usable between pages, as a device's does.
        m_image = QImage(16, 16, QImage::Format_RGB32);
        m_painter.begin(&m_image);
    }

    bool Record(const QString& op, const QString& arg = QString())
    {
        m_backend.Calls << (arg.isNull() ? op : op + QLatin1Char(' ') + arg);
        if (m_backend.FailOps.contains(op)) {
            m_error = op + QStringLiteral(" failed");
            return false;
        }
        return true;
    }

    TRMScriptedPrinterBackend& m_backend;
    TRMScriptedDevice m_device;
    TRMDeviceCaps m_caps;
    QImage m_image;
    QPainter m_painter;
    QString m_error;
    bool m_pageOpen = false;
};

} // namespace

TRMDeviceCaps TRMScriptedPrinterBackend::CapsFor(const TRMScriptedDevice& device, const TRMDevMode& dm)
{
    const TRMDeviceCaps& base = device.Caps;
    int w = 0;
    int h = 0;
    bool turned = dm.Orientation == 2;
    if ((dm.Fields & TRMDevMode::fmFormName) && dm.FormWidth > 0 && dm.FormLength > 0) {
        w = dm.FormWidth; // a form lies as registered
        h = dm.FormLength;
        turned = false;
    } else if ((dm.Fields & TRMDevMode::fmPaperWidth) && dm.PaperWidth > 0 && dm.PaperLength > 0) {
        w = dm.PaperWidth;
        h = dm.PaperLength;
    } else if (const TPaperInfo* p = FindStandardPaper(dm.PaperSize); p && p->Width > 0) {
        w = p->Width;
        h = p->Height;
    }
    TRMDeviceCaps caps = base;
    if (w <= 0 || h <= 0)
        return caps; // a driver keeps its sheet when asked for nonsense
    if (turned)
        std::swap(w, h);
    if (device.SheetInWholePoints) {
        const auto pixels = [](int tenths, int dpi) {
            const double points = std::round(tenths * 72.0 / 254.0);
            return static_cast<int>(std::round(points * dpi / 72.0));
        };
        caps.PhysicalWidth = pixels(w, base.DpiX);
        caps.PhysicalHeight = pixels(h, base.DpiY);
    } else {
        caps.PhysicalWidth = static_cast<int>(w * static_cast<qint64>(base.DpiX) / 254);
        caps.PhysicalHeight = static_cast<int>(h * static_cast<qint64>(base.DpiY) / 254);
    }
    caps.PrintableWidth = caps.PhysicalWidth - 2 * base.OffsetLeft;
    caps.PrintableHeight = caps.PhysicalHeight - 2 * base.OffsetTop;
    return caps;
}

QStringList TRMScriptedPrinterBackend::EnumPrinters()
{
    Calls << QStringLiteral("EnumPrinters");
    return Printers;
}

QString TRMScriptedPrinterBackend::DefaultPrinterName()
{
    Calls << QStringLiteral("DefaultPrinterName");
    return DefaultName;
}

QStringList TRMScriptedPrinterBackend::PaperNames(const QString& device)
{
    Calls << QStringLiteral("PaperNames ") + device;
    return Devices.value(device).PaperNames;
}

QList<int> TRMScriptedPrinterBackend::PaperIds(const QString& device)
{
    Calls << QStringLiteral("PaperIds ") + device;
    return Devices.value(device).PaperIds;
}

QList<QSize> TRMScriptedPrinterBackend::PaperSizes(const QString& device)
{
    Calls << QStringLiteral("PaperSizes ") + device;
    return Devices.value(device).PaperSizes;
}

QStringList TRMScriptedPrinterBackend::BinNames(const QString& device)
{
    Calls << QStringLiteral("BinNames ") + device;
    return Devices.value(device).BinNames;
}

QList<int> TRMScriptedPrinterBackend::Bins(const QString& device)
{
    Calls << QStringLiteral("Bins ") + device;
    return Devices.value(device).Bins;
}

bool TRMScriptedPrinterBackend::OpenPrinter(const QString& device)
{
    Calls << QStringLiteral("OpenPrinter ") + device;
    return Devices.contains(device);
}

void TRMScriptedPrinterBackend::ClosePrinter(const QString& device)
{
    Calls << QStringLiteral("ClosePrinter ") + device;
}

std::optional<TRMDevMode> TRMScriptedPrinterBackend::DocumentProperties(const QString& device)
{
    Calls << QStringLiteral("DocumentProperties ") + device;
    if (!Devices.contains(device))
        return std::nullopt;
    return Devices.value(device).DevMode;
}

bool TRMScriptedPrinterBackend::PropertiesDialog(const QString& device, TRMDevMode& devMode, QWidget*)
{
    Calls << QStringLiteral("PropertiesDialog ") + device;
    if (DialogAccepts && DialogResult)
        devMode = *DialogResult;
    return DialogAccepts;
}

std::unique_ptr<TRMPrintContext> TRMScriptedPrinterBackend::CreateContext(
    const QString& device, const TRMDevMode& devMode, bool forPrinting)
{
    Calls << QStringLiteral("CreateContext ") + device
            + (forPrinting ? QStringLiteral(" print") : QStringLiteral(" info"));
    DevModesSeen << devMode;
    auto it = Devices.constFind(device);
    if (it == Devices.constEnd() || !it->Valid)
        return nullptr;
    return std::make_unique<ScriptedContext>(*this, *it, devMode);
}

bool TRMScriptedPrinterBackend::EnsureForm(
    const QString& device, const QString& formName, int widthMicrons, int heightMicrons)
{
    Calls << QStringLiteral("EnsureForm %1 %2 %3x%4").arg(device, formName).arg(widthMicrons).arg(heightMicrons);
    return true;
}

std::optional<TRMPrinterStatus> TRMScriptedPrinterBackend::GetPrinter(const QString& device)
{
    Calls << QStringLiteral("GetPrinter ") + device;
    if (!Devices.contains(device))
        return std::nullopt;
    return Devices[device].Status;
}

int TRMScriptedPrinterBackend::CountCalls(const QString& prefix) const
{
    int n = 0;
    for (const QString& c : Calls)
        if (c.startsWith(prefix))
            ++n;
    return n;
}

} // namespace pq
