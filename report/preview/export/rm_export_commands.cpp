#include "report/preview/export/rm_export_commands.h"

#include "base/message_box.h"
#include "report/preview/surface/rm_preview.h"

#include <QFileDialog>
#include <QFileInfo>

namespace pq {

bool RMPreviewSaveToSpreadsheet(TRMPreview& preview, QWidget* owner)
{
    const TRMExportFilterEntry entry = RMSpreadsheetFilter();
    if (!entry.Filter || !preview.Pages())
        return false;
    if (!entry.Filter->ShowOptions(owner))
        return false;
    QFileDialog dialog(owner, QString(), preview.property("InitialDir").toString(), entry.DialogFilter());
    dialog.setObjectName(QStringLiteral("SaveToSpreadsheetDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!entry.Extension().isEmpty())
        dialog.setDefaultSuffix(entry.Extension().mid(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    return RMPreviewExport(preview, entry, dialog.selectedFiles().first(), owner, false);
}

bool RMPreviewExport(TRMPreview& preview, const TRMExportFilterEntry& entry, const QString& file, QWidget* owner,
    bool showOptions)
{
    TRMEMFPages* pages = preview.Pages();
    if (!entry.Filter || !pages || file.isEmpty())
        return false;
    QString target = file;
    if (QFileInfo(target).suffix().isEmpty() && !entry.Extension().isEmpty())
        target += entry.Extension();
    const bool wasShowing = entry.Filter->ShowDialog;
    entry.Filter->ShowDialog = showOptions;
    QString error;
    const bool written = RMExportPages(*pages, *entry.Filter, target, owner, &error);
    entry.Filter->ShowDialog = wasShowing;
    // The pages the export built are released; the preview draws what it shows again.
    preview.Refresh(false);
    if (!written && !error.isEmpty())
        ShowErrorBox(owner, error);
    return written;
}

QStringList RMExportDialogFilters()
{
    QStringList filters;
    for (const TRMExportFilterEntry& e : RMExportFilters())
        filters << e.DialogFilter();
    return filters;
}

TRMExportFilterEntry RMExportFilterFor(const QString& dialogFilter)
{
    for (const TRMExportFilterEntry& e : RMExportFilters())
        if (e.DialogFilter() == dialogFilter)
            return e;
    return {};
}

} // namespace pq
