// What the grid printers share when they make a cell: the font taken from a grid, the display
// format taken from a data field, and frame lines all or nothing.
#pragma once

#include <QColor>

#include <cstdint>

class QFont;
class QWidget;

namespace pq {

struct PacketField;
struct TRMFont;
class TRMFormReport;
class TRMPage;
class TRMView;

// The view's font takes face, size (points; a pixel size at 96 dpi), style and colour of the
// grid's font; with keepColor the view's colour stays as it was.
void RMFontFromGrid(TRMFont& into, const QFont& font, const QColor& color, bool keepColor);

// The colour as a view keeps it (0x00BBGGRR).
std::uint32_t RMColorValue(const QColor& c);

// A field's display format onto the view's format word and string: numbers (kind 1, user
// style 4, "." separator), date-times (kind 2, style 7), Booleans (kind 4, style 4); only when
// the field has a display format, and other field types leave the view as it is.
void RMFormatFromField(TRMView& view, const PacketField& field);

// All four sides visible (frame type 15) or none.
void RMSetFrameLines(TRMView& view, bool all);

// Which side a heavy frame line goes on.
enum class TRMSide { Left, Top, Right, Bottom };
// The side visible and 2 pixels wide.
void RMHeavySide(TRMView& view, TRMSide side);

// What every grid printer does with the page width: whether a cell of this width at x goes
// onto a further design page (never the first cell of a page, never when fitting the width),
// a further design page with its content width entry, and the content width of page 0 from
// the grid's place and the sum of its column widths.
bool RMGridBreaks(const TRMFormReport& report, int x, int width, int count);
TRMPage* RMAddGridPage(TRMFormReport& report);
void RMGridContentWidth(TRMFormReport& report, const QWidget* grid, int sum);

} // namespace pq
