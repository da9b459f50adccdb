// The preview's exports through the filter registry: the save-to-spreadsheet button and the
// registered formats of the save dialog.
#pragma once

#include "report/preview/export/rm_export_filter.h"

#include <QStringList>

class QWidget;

namespace pq {

class TRMPreview;

// The save-to-spreadsheet button: the first spreadsheet filter shows its options, then a
// save dialog for its mask asks for the file, then the pages are exported (the options are
// not asked again). Nothing without a spreadsheet filter. A failure is shown in an error
// box. True when the file was written.
bool RMPreviewSaveToSpreadsheet(TRMPreview& preview, QWidget* owner);

// The pages through the filter into the file, its extension added when the name has none;
// with showOptions the filter's options dialog comes first. A failure is shown in an error
// box. True when written.
bool RMPreviewExport(TRMPreview& preview, const TRMExportFilterEntry& entry, const QString& file, QWidget* owner,
    bool showOptions);

// The registered filters as the save dialog lists them ("Excel 工作簿 (*.xlsx)").
QStringList RMExportDialogFilters();
// The filter listed so; an empty entry when none is.
TRMExportFilterEntry RMExportFilterFor(const QString& dialogFilter);

} // namespace pq
