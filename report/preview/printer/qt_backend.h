// The Linux backend: printers, papers, resolution, printable area and jobs through
// QPrinterInfo/QPrinter over CUPS; paper sources read from CUPS ("media-source") where the
// printer reports them, mapped to stable bin codes.
#pragma once

#include "report/preview/printer/printer_backend.h"

namespace pq {

class TRMQtPrinterBackend : public TRMPrinterBackend {
public:
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
};

// Bin code for a CUPS media-source keyword ("auto", "manual", "tray-1", ...); keywords with
// no fixed code take 256 + their position in the printer's list.
int BinCodeForMediaSource(const QString& keyword, int position);

} // namespace pq
