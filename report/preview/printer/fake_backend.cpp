#include "report/preview/printer/fake_backend.h"

#include "report/preview/printer/paper_tables.h"

#include <QImage>
#include <QPainter>

namespace pq {

namespace {

class FakeContext : public TRMPrintContext {
public:
    FakeContext(TRMFakePrinterBackend& backend, const TRMDeviceCaps& base, const TRMDevMode& dm)
        : m_backend(backend), m_base(base), m_caps(TRMFakePrinterBackend::CapsFor(base, dm))
    {
    }
    ~FakeContext() override
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
        m_caps = TRMFakePrinterBackend::CapsFor(m_base, dm);
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
        return true;
    }
    bool EndPage() override { return Record(QStringLiteral("EndPage")); }
    bool EndDoc() override
    {
        if (m_painter.isActive())
            m_painter.end();
        return Record(QStringLiteral("EndDoc"));
    }
    bool AbortDoc() override
    {
        if (m_painter.isActive())
            m_painter.end();
        return Record(QStringLiteral("AbortDoc"));
    }
    QPainter* Painter() override { return m_painter.isActive() ? &m_painter : nullptr; }
    QString LastError() const override { return m_error; }

private:
    bool Record(const QString& op, const QString& arg = QString())
    {
        m_backend.Calls << (arg.isNull() ? op : op + QLatin1Char(' ') + arg);
        if (m_backend.FailOps.contains(op)) {
            m_error = op + QStringLiteral(" failed");
            return false;
        }
        return true;
    }

    TRMFakePrinterBackend& m_backend;
    TRMDeviceCaps m_base;
    TRMDeviceCaps m_caps;
    QImage m_image;
    QPainter m_painter;
    QString m_error;
};

} // namespace

TRMDeviceCaps TRMFakePrinterBackend::CapsFor(const TRMDeviceCaps& base, const TRMDevMode& dm)
{
    int w = 0;
    int h = 0;
    if ((dm.Fields & TRMDevMode::fmPaperWidth) && dm.PaperWidth > 0 && dm.PaperLength > 0) {
        w = dm.PaperWidth;
        h = dm.PaperLength;
    } else if (const TPaperInfo* p = FindStandardPaper(dm.PaperSize); p && p->Width > 0) {
        w = p->Width;
        h = p->Height;
    }
    TRMDeviceCaps caps = base;
    if (w <= 0 || h <= 0)
        return caps; // a driver keeps its sheet when asked for nonsense
    if (dm.Orientation == 2)
        std::swap(w, h);
    caps.PhysicalWidth = static_cast<int>(w * static_cast<qint64>(base.DpiX) / 254);
    caps.PhysicalHeight = static_cast<int>(h * static_cast<qint64>(base.DpiY) / 254);
    caps.PrintableWidth = caps.PhysicalWidth - 2 * base.OffsetLeft;
    caps.PrintableHeight = caps.PhysicalHeight - 2 * base.OffsetTop;
    return caps;
}

QStringList TRMFakePrinterBackend::EnumPrinters()
{
    Calls << QStringLiteral("EnumPrinters");
    return Printers;
}

QString TRMFakePrinterBackend::DefaultPrinterName()
{
    Calls << QStringLiteral("DefaultPrinterName");
    return DefaultName;
}

QStringList TRMFakePrinterBackend::PaperNames(const QString& device)
{
    Calls << QStringLiteral("PaperNames ") + device;
    return Devices.value(device).PaperNames;
}

QList<int> TRMFakePrinterBackend::PaperIds(const QString& device)
{
    Calls << QStringLiteral("PaperIds ") + device;
    return Devices.value(device).PaperIds;
}

QList<QSize> TRMFakePrinterBackend::PaperSizes(const QString& device)
{
    Calls << QStringLiteral("PaperSizes ") + device;
    return Devices.value(device).PaperSizes;
}

QStringList TRMFakePrinterBackend::BinNames(const QString& device)
{
    Calls << QStringLiteral("BinNames ") + device;
    return Devices.value(device).BinNames;
}

QList<int> TRMFakePrinterBackend::Bins(const QString& device)
{
    Calls << QStringLiteral("Bins ") + device;
    return Devices.value(device).Bins;
}

bool TRMFakePrinterBackend::OpenPrinter(const QString& device)
{
    Calls << QStringLiteral("OpenPrinter ") + device;
    return Devices.contains(device);
}

void TRMFakePrinterBackend::ClosePrinter(const QString& device)
{
    Calls << QStringLiteral("ClosePrinter ") + device;
}

std::optional<TRMDevMode> TRMFakePrinterBackend::DocumentProperties(const QString& device)
{
    Calls << QStringLiteral("DocumentProperties ") + device;
    if (!Devices.contains(device))
        return std::nullopt;
    return Devices.value(device).DevMode;
}

bool TRMFakePrinterBackend::PropertiesDialog(const QString& device, TRMDevMode& devMode, QWidget*)
{
    Calls << QStringLiteral("PropertiesDialog ") + device;
    if (DialogAccepts && DialogResult)
        devMode = *DialogResult;
    return DialogAccepts;
}

std::unique_ptr<TRMPrintContext> TRMFakePrinterBackend::CreateContext(
    const QString& device, const TRMDevMode& devMode, bool forPrinting)
{
    Calls << QStringLiteral("CreateContext ") + device
            + (forPrinting ? QStringLiteral(" print") : QStringLiteral(" info"));
    DevModesSeen << devMode;
    auto it = Devices.constFind(device);
    if (it == Devices.constEnd() || !it->Valid)
        return nullptr;
    return std::make_unique<FakeContext>(*this, it->Caps, devMode);
}

bool TRMFakePrinterBackend::EnsureForm(
    const QString& device, const QString& formName, int widthMicrons, int heightMicrons)
{
    Calls << QStringLiteral("EnsureForm %1 %2 %3x%4").arg(device, formName).arg(widthMicrons).arg(heightMicrons);
    return true;
}

std::optional<TRMPrinterStatus> TRMFakePrinterBackend::GetPrinter(const QString& device)
{
    Calls << QStringLiteral("GetPrinter ") + device;
    if (!Devices.contains(device))
        return std::nullopt;
    return TRMPrinterStatus{QStringLiteral("Fake driver"), QStringLiteral("fake:"), QString(), 0, 0};
}

int TRMFakePrinterBackend::CountCalls(const QString& prefix) const
{
    int n = 0;
    for (const QString& c : Calls)
        if (c.startsWith(prefix))
            ++n;
    return n;
}

} // namespace pq
