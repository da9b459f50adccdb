// The text a prepared page shows, as the page draws it: every text output of its views
// (memo lines, money digits, check marks, rich-text lines) with its order and bounds. The
// preview searches pages through this.
#pragma once

#include "report/engine/canvas/rm_canvas.h"

#include <vector>

namespace pq {

class TRMEMFPages;

// The page drawn at 100 % into (0, 0, PageWidth, PageHeight) on a device that draws
// nothing; each record keeps its index (the order of output from 0) and its bounds in page
// pixels. The page counts as shown while it is drawn; when it was not shown before, its
// objects are released again, so walking every page of a long report keeps none alive.
std::vector<TRMTextRecord> RMPageTextRecords(TRMEMFPages& pages, int index);

} // namespace pq
