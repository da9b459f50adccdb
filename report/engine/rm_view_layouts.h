// The arithmetic of the money, line, picture, shape and diagonal views: where cells,
// separators, figures, pictures and corner texts go. Plain functions with no painter, so the
// drawing code only reads their answers and the rules are tested as numbers.
#pragma once

#include <QLine>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

namespace pq {

// ---- money view ----

// The ruled cells of a money view in device pixels. Decimals is already clamped to
// 0..Digits; a geometry with Digits < 1 has no cells.
struct TRMMoneyGeometry {
    int Left = 0;
    int Digits = 0;
    int Decimals = 0;
    int LineWidth = 0;
    int CellWidth = 0;
    int Leftover = 0;

    bool HasCells() const { return Digits >= 1; }
    int IntegerCells() const { return Digits - Decimals; }
    // Cell k from 0, left to right.
    int CellLeft(int k) const { return Left + Leftover + k * (CellWidth + LineWidth); }
    // Separator i from 1 to Digits − 1: the LineWidth pixels just left of cell i.
    int SeparatorLeft(int i) const { return CellLeft(i) - LineWidth; }
};

TRMMoneyGeometry RMMoneyGeometry(int left, int width, int digits, int decimals, int lineWidth);

enum class TRMMoneyLine { Plain, Thousands, Decimal };
// The colour class of separator i: the one before the first decimal place, the ones with a
// multiple of three integer cells to their right, the others.
TRMMoneyLine RMMoneySeparator(const TRMMoneyGeometry& g, int i);

// What the cells show: one text per cell (empty for none) and the cell of the currency
// symbol (−1 for none).
struct TRMMoneyCells {
    QStringList Cells;
    int SymbolCell = -1;
};

// The amount's digits, one per cell from the right, cut (not rounded) at Decimals places;
// asterisks when they do not fit. An empty (blank) text shows nothing.
TRMMoneyCells RMMoneyDigits(const QString& text, const TRMMoneyGeometry& g, bool withSymbol);
// The place names of title mode: integer cells from the right, decimal cells from the
// left; a cell beyond the names stays empty.
TRMMoneyCells RMMoneyTitles(const TRMMoneyGeometry& g, const QStringList& integerNames,
    const QStringList& decimalNames);

// ---- line view ----

// A line is horizontal when it is less high than wide, else vertical (a square one too).
inline bool RMLineIsHorizontal(int scaledWidth, int scaledHeight)
{
    return scaledHeight < scaledWidth;
}

// ---- picture view ----

struct TRMPictureOptions {
    bool Stretched = true;
    bool Center = false;
    bool KeepAspect = true;
};

// The rectangle the picture is drawn into, inside drawRect (the view's DrawRect); scaledSize is the view's scaled width
// and height, scale the drawing's scale factors.
QRect RMPictureTarget(const QRect& drawRect, QSize scaledSize, QSize pictureSize, double scaleX,
    double scaleY, const TRMPictureOptions& options);

// ---- shape view ----

struct TRMShapeFigure {
    enum TKind { None, Rectangle, RoundRect, Ellipse, Lines };
    TKind Kind = None;
    // Rectangle kinds: the box with inclusive corners, and the corner ellipse of a rounded one.
    QRect Box;
    int Corner = 0;
    // Lines kinds: each drawn through both end pixels; a triangle is a closed path.
    std::vector<QLine> Segments;
    bool Closed = false;
};

// The figure of a shape kind over the scaled box (left, top) to (right, bottom) with the
// scaled width and height; an unknown kind gives no figure.
TRMShapeFigure RMShapeFigure(int kind, int left, int top, int right, int bottom, int w, int h);

// ---- diagonal view ----

// The four corner texts S1 (top left), S2 (top right), S3 (bottom right), S4 (bottom left).
std::array<QString, 4> RMDiagonalPieces(const QString& text);

struct TRMDiagonalLayout {
    int Number = 0; // 1 to 9, 0 for any other set of corners
    std::vector<QLine> Lines;
    struct Text {
        int Corner; // 0 to 3: S1 to S4
        QPoint At;  // top-left point
    };
    std::vector<Text> Texts;
};

// Lines and text places over the platform rectangle (l, t, r, b) (exclusive right and
// bottom). measure gives a piece's width and height.
TRMDiagonalLayout RMDiagonalLayout(int l, int t, int r, int b, const std::array<QString, 4>& pieces,
    const std::function<QSize(const QString&)>& measure);

} // namespace pq
