// The tool-bar pictures of the preview window, drawn in code (16 x 16, any device ratio).
#pragma once

#include <QIcon>

namespace pq {

// Index as the tool bar uses it: 0 magnifier, 1 whole page, 2 100 %, 3 page width, 4 first,
// 5 previous, 6 next, 7 last, 8 find, 9 open, 10 save, 11 print, 12 page setup, 13 design,
// 14 exit, 15 spreadsheet, 16 data export, 17 PDF.
QIcon RMPreviewGlyph(int index);

} // namespace pq
