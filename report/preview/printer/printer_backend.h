// The device side of the printer layer: every question put to the machine's printers and
// every print job goes through one TRMPrinterBackend. The logic above it (tables, matching,
// geometry, the job state machine) never touches a device directly, so it runs the same on
// a machine without printers, against a scripted backend (tests, and files drawn without printers), and over CUPS.
#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <stdexcept>

class QPainter;
class QWidget;

namespace pq {

// A device failure (no context, a document that would not start or end, a job the spooler
// refused). Thrown to the caller, whose handler guard shows it as an error box.
class TRMPrinterError : public std::runtime_error {
public:
    explicit TRMPrinterError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString Message() const { return m_message; }

private:
    QString m_message;
};

// The device-mode block: the per-job settings a driver accepts. A plain value, copied freely.
struct TRMDevMode {
    enum Field : unsigned {
        fmOrientation = 0x1,
        fmPaperSize = 0x2,
        fmPaperLength = 0x4,
        fmPaperWidth = 0x8,
        fmCopies = 0x100,
        fmDefaultSource = 0x200,
        fmDuplex = 0x1000,
        fmFormName = 0x10000,
    };
    unsigned Fields = 0;
    int PaperSize = 9;      // paper id
    int Orientation = 1;    // 1 portrait, 2 landscape
    int PaperWidth = 0;     // 0.1 mm, portrait, used with a custom paper id
    int PaperLength = 0;    // 0.1 mm, portrait
    int Copies = 1;
    int Duplex = 1;         // 1 simplex
    int DefaultSource = 0;  // bin code
    QString FormName;
    // The size of the form FormName names, as it was registered (0.1 mm; 0 without one).
    // A form is the sheet as it lies, orientation already applied, so a device that takes
    // the form prints on exactly this size and turns nothing.
    int FormWidth = 0;
    int FormLength = 0;

    bool operator==(const TRMDevMode&) const = default;
};

// What a context reports about its device.
struct TRMDeviceCaps {
    int DpiX = 0;
    int DpiY = 0;
    int PhysicalWidth = 0;   // device pixels
    int PhysicalHeight = 0;
    int PrintableWidth = 0;
    int PrintableHeight = 0;
    int OffsetLeft = 0;      // physical offset of the printable area
    int OffsetTop = 0;
    bool IsColor = true;
};

// Printer status for the print dialog's display.
struct TRMPrinterStatus {
    QString Driver;
    QString Port;
    QString Comment;
    unsigned Status = 0;
    int Jobs = 0;
};

// One device context: an information context (capabilities only) or a printing context
// that runs one document at a time. Every job operation reports success; the failure text
// is then in LastError().
class TRMPrintContext {
public:
    virtual ~TRMPrintContext() = default;

    virtual TRMDeviceCaps Caps() const = 0;
    // Applies a new device mode; between pages while printing, it governs the next page.
    virtual bool Reset(const TRMDevMode& devMode) = 0;

    virtual bool StartDoc(const QString& title, const QString& outputFile) = 0;
    virtual bool StartPage() = 0;
    virtual bool EndPage() = 0;
    virtual bool EndDoc() = 0;
    virtual bool AbortDoc() = 0;

    // The painter of the open document; nullptr outside a document.
    virtual QPainter* Painter() = 0;
    virtual QString LastError() const = 0;
};

class TRMPrinterBackend {
public:
    virtual ~TRMPrinterBackend() = default;

    // Names of the installed printers, in the system's order.
    virtual QStringList EnumPrinters() = 0;
    // The system's default printer; empty when there is none.
    virtual QString DefaultPrinterName() = 0;

    // Driver capabilities; an empty list means the driver reported none.
    virtual QStringList PaperNames(const QString& device) = 0;
    virtual QList<int> PaperIds(const QString& device) = 0;
    virtual QList<QSize> PaperSizes(const QString& device) = 0; // 0.1 mm
    virtual QStringList BinNames(const QString& device) = 0;
    virtual QList<int> Bins(const QString& device) = 0;

    virtual bool OpenPrinter(const QString& device) = 0;
    virtual void ClosePrinter(const QString& device) = 0;
    // The driver's default device mode; nullopt when the driver has none to give.
    virtual std::optional<TRMDevMode> DocumentProperties(const QString& device) = 0;
    // Runs the driver's settings dialog on devMode; true when accepted.
    virtual bool PropertiesDialog(const QString& device, TRMDevMode& devMode, QWidget* owner) = 0;

    // A context for the device: printing or information only; nullptr on failure.
    virtual std::unique_ptr<TRMPrintContext> CreateContext(
        const QString& device, const TRMDevMode& devMode, bool forPrinting) = 0;

    // Makes sure a user-defined form of this size (0.001 mm) exists for the device.
    virtual bool EnsureForm(const QString& device, const QString& formName, int widthMicrons,
        int heightMicrons) = 0;

    virtual std::optional<TRMPrinterStatus> GetPrinter(const QString& device) = 0;
};

} // namespace pq
