// What the grid printers share when they make a cell: the font taken from a grid, the display
// format taken from a data field, and frame lines all or nothing.
#pragma once

#include <QColor>

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>

class QFont;
class QObject;
class QWidget;

namespace pq {

class ClientDataSet;
struct PacketField;
struct TRMFont;
class TRMFormReport;
class TRMPage;
class TRMReport;
class TRMView;

// The grid report's master data band prints only the records a grid has selected:
// currentSelected tells whether the record its data set stands on is one (asked only while
// grid lives). The other bands print whatever record the data set stands on when they come.
// The grid report clears the filter when it frees the grid's printer, so that printer must
// not free itself before (AutoFree off).
void RMPrintSelectedRecordsOnly(TRMFormReport& report, QObject* grid, std::function<bool()> currentSelected);

// The view's font takes face, size (points; a pixel size at 96 dpi), style and colour of the
// grid's font; with keepColor the view's colour stays as it was.
void RMFontFromGrid(TRMFont& into, const QFont& font, const QColor& color, bool keepColor);

// The colour as a view keeps it (0x00BBGGRR).
std::uint32_t RMColorValue(const QColor& c);

// A field's display format onto the view's format word and string: numbers (kind 1, user
// style 4, "." separator), date-times (kind 2, style 7), Booleans (kind 4, style 4); only when
// the field has a display format, and other field types leave the view as it is.
void RMFormatFromField(TRMView& view, const PacketField& field);

// The expression of a grid cell that prints a field of the grid's data set: the data set
// by its own name on its form, through a form's published name for it, or else through the
// grid report's data set, which reads the same rows through the grid's data source.
QString RMFieldExpression(TRMFormReport& report, const ClientDataSet* dataSet, const QString& field);

// The width of the row-number column: the height of the letter "a" in the grid's font times
// the number the options give.
int RMGridNumberWidth(const TRMFormReport& report, const QFont& gridFont);

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

// The start every printer of a form's other grids makes: false when a grid of the form has
// printed already; else the report learns where this grid is.
bool RMStartGridPrint(TRMFormReport& report, const QWidget* grid);

// The heavy bottom edge of a grid under one of its data cells: a 2-pixel top line at the
// grid's bottom, filed into the column-footer band.
void RMGridBottomLine(TRMFormReport& report, TRMPage* page, const TRMView& cell);

// One row of grid cells laid across the design pages from x0: before a cell that no longer
// fits, the last cell gets its heavy right side (with heavy), the page's content width is
// recorded, and the next design page (added when there is none) starts at x0 with the
// repeated columns again. A column whose width is 0 makes its cell and takes no room.
struct TRMGridRow {
    QList<int> Columns;
    QList<int> Repeated;
    std::function<int(int col)> Width; // the cell's width
    std::function<TRMView*(int col, int x, TRMPage* page, bool firstOnPage)> Make;
    bool Heavy = false;
    bool StartsPage = true; // the first cell is the first on its page
};
void RMLayGridRow(TRMFormReport& report, TRMPage* start, int x0, const TRMGridRow& row);

// Every view of that name on the report's design pages.
void RMForViewsNamed(TRMReport& report, const QString& name, const std::function<void(TRMView&)>& fn);

} // namespace pq
