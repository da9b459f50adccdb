// A scripted backend for tests: printers, papers and failures are set up front, and every
// call is recorded as one line ("CreateContext Laser print", "StartDoc Report ", ...).
#pragma once

#include "report/preview/printer/printer_backend.h"

#include <QImage>
#include <QMap>
#include <QSet>

namespace pq {

struct TRMScriptedDevice {
    QStringList PaperNames;
    QList<int> PaperIds;
    QList<QSize> PaperSizes;
    QStringList BinNames;
    QList<int> Bins;
    std::optional<TRMDevMode> DevMode = TRMDevMode{};
    TRMDeviceCaps Caps{600, 600, 4960, 7015, 4760, 6815, 100, 100, true};
    bool Valid = true; // false: creating a context fails
    // Reports sheets in whole points, as a CUPS printer does through Qt: A5 comes back
    // 1482 tenths of a millimetre wide.
    bool SheetInWholePoints = false;
    // Every page is drawn into an image of the printable area (device pixels) and kept in
    // the backend's PagesDrawn, so tests can look at what was printed.
    bool RecordPages = false;
    // What the printer says about itself (driver, port, comment, status code, queued jobs).
    TRMPrinterStatus Status{QStringLiteral("Scripted driver"), QStringLiteral("scripted:"), QString(), 0, 0};
};

class TRMScriptedPrinterBackend : public TRMPrinterBackend {
public:
    QStringList Printers;
    QString DefaultName;
    QMap<QString, TRMScriptedDevice> Devices;
    // Operations to fail, by name ("StartDoc", "StartPage", "EndPage", "EndDoc", "Reset").
    QSet<QString> FailOps;
    // Answer of the properties dialog and the device mode it produces.
    bool DialogAccepts = true;
    std::optional<TRMDevMode> DialogResult;

    QStringList Calls;
    // Device modes handed to contexts, in order (creation and resets).
    QList<TRMDevMode> DevModesSeen;
    // Pages drawn per open document.
    int PagesStarted = 0;
    // The printed pages of devices that record them, in the order they were ended.
    QList<QImage> PagesDrawn;

    // Capabilities of a device scaled to a device mode's paper and orientation, as a driver
    // would report them.
    static TRMDeviceCaps CapsFor(const TRMScriptedDevice& device, const TRMDevMode& devMode);

    QStringList EnumPrinters() override;
    QString DefaultPrinterName() override;
    QStringList PaperNames(const QString& device) override;
    QList<int> PaperIds(const QString& device) override;
    QList<QSize> PaperSizes(const QString& device) override;
    QStringList BinNames(const QString& device) override;
    QList<int> Bins(const QString& device) override;
    bool OpenPrinter(const QString& device) override;
    void ClosePrinter(const QString& device) override;
    std::optional<TRMDevMode> DocumentProperties(const QString& device) override;
    bool PropertiesDialog(const QString& device, TRMDevMode& devMode, QWidget* owner) override;
    std::unique_ptr<TRMPrintContext> CreateContext(
        const QString& device, const TRMDevMode& devMode, bool forPrinting) override;
    bool EnsureForm(const QString& device, const QString& formName, int widthMicrons,
        int heightMicrons) override;
    std::optional<TRMPrinterStatus> GetPrinter(const QString& device) override;

    int CountCalls(const QString& prefix) const;
};

} // namespace pq
