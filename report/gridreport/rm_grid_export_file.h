// The printed grid's content as a text file, for the preview's data export: the column
// captions, then one line per record. Written into the user's private folder, through a
// temporary file renamed into place, so no other local user can read or redirect it.
#pragma once

// Where the file lives (RMGridExportFileName) is the data export's to say.
#include "report/preview/export/rm_data_export.h"

#include <QString>
#include <QStringList>

namespace pq {

class ClientDataSet;

// Line 1: the trimmed captions joined by ","; then per record, from the first on, " " and
// the trimmed text of each field joined by ", " (every field its own text; a number whose
// display format holds "*" as "***.**"). The data set is left on its last record.
QStringList RMGridExportLines(const QStringList& captions, const QStringList& fields, ClientDataSet& data);

// Writes the lines (GBK, CR LF) whole, or keeps the earlier file; false with the reason.
bool RMWriteGridExportFile(const QStringList& lines, QString* error = nullptr);

} // namespace pq
