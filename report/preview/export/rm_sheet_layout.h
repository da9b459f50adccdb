// How prepared pages become the cells of a worksheet, with no file and no widget: columns at
// the distinct left edges of the views and rows at their distinct top edges, a view spanning
// the columns and rows its width and height reach (merged there), and texts that read as
// numbers taken as numbers. Plain arithmetic, tested as such; the workbook filter writes
// what this decides.
#pragma once

#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace pq {

// A border side of a cell.
enum class TRMSheetLine : std::uint8_t { None, Thin, Medium, Thick, Double, Dashed, Dotted };

struct TRMSheetBorder {
    TRMSheetLine Line = TRMSheetLine::None;
    std::uint32_t Color = 0; // 0x00BBGGRR
    bool operator==(const TRMSheetBorder&) const = default;
};

// How a cell looks: the view's font, alignment, frame and fill.
struct TRMSheetStyle {
    QString FontName;
    double FontSize = 10; // points
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    std::uint32_t FontColor = 0;
    int HAlign = 0; // 0 left, 1 right, 2 centre, 3 distributed
    int VAlign = 0; // 0 top, 1 centre, 2 bottom
    bool Wrap = false;
    int Rotation = 0; // degrees, counter-clockwise
    std::array<TRMSheetBorder, 4> Borders; // left, top, right, bottom
    std::optional<std::uint32_t> Fill;     // 0x00BBGGRR; none: no fill
    QString NumberFormat;                  // for numbers: "0.00", "#,##0"
    bool operator==(const TRMSheetStyle&) const = default;
};

// One view on the sheet: its bounds in sheet pixels (the page's place in the sheet added),
// its text (none for a frame alone) and its look.
struct TRMSheetItem {
    QRect Bounds;
    std::optional<QString> Text;
    TRMSheetStyle Style;
};

// A cell of the plan: the item it shows and the block of rows and columns it covers.
struct TRMSheetCell {
    int Row = 0, Column = 0, LastRow = 0, LastColumn = 0;
    int Item = 0;           // index into the items
    QString Text;           // the item's text, and that of items sharing its corner
    TRMSheetStyle Style;    // the item's, with the frame sides of frame-only items on it
    bool Merged() const { return LastRow > Row || LastColumn > Column; }
};

struct TRMSheetPlan {
    std::vector<int> ColumnLefts;  // sheet pixels, one per column
    std::vector<int> ColumnWidths; // pixels, at least 1
    std::vector<int> RowTops;
    std::vector<int> RowHeights;
    std::vector<TRMSheetCell> Cells; // no two cover the same row and column
};

// The plan of the items. A column is as wide as the distance to the next left edge, or less
// when nothing that starts there reaches that far (the gaps between views, and the margin
// between two pages on one sheet, take no width); likewise the rows. Items that would cover
// a cell already taken keep only what is free; a text whose corner another text has is
// added to that text on a line of its own; a frame alone whose corner is taken lends its
// sides to the cell there.
TRMSheetPlan RMPlanSheet(const std::vector<TRMSheetItem>& items);

// A text as a number, when it reads as one and would show the same again: an optional
// minus, digits (no leading zero but a lone one, thousands separated by "," in groups of
// three or not at all), an optional decimal part; at most 15 digits. With the format that
// shows it so ("0", "0.00", "#,##0.0"). Codes such as "007" and long numbers stay texts.
struct TRMSheetNumber {
    double Value = 0;
    QString Format;
};
std::optional<TRMSheetNumber> RMSheetNumber(const QString& text);

} // namespace pq
