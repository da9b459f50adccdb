// The report's way to the screen: prepare, then preview, in the TRMPreview the report names
// (its Preview) or in a preview window of its own.
#pragma once

namespace pq {

class TRMReport;

// Prepares the report and shows its pages; false (nothing shown) when preparation failed or
// was cancelled.
bool RMShowReport(TRMReport& report);
// Shows pages already prepared (or loaded) the same way.
void RMShowPreparedReport(TRMReport& report);

} // namespace pq
