// The line, picture, shape, check-box, money and diagonal views: the arithmetic of their
// layouts as numbers, and what they put on an image at screen and at printer resolution.
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_view_layouts.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <optional>

using namespace pq;

namespace {

const QColor kWhite(255, 255, 255);

// Draws a view as a page does in the preview: at the scale of the resolution, from (0, 0).
class Drawing {
public:
    Drawing(int dpi, bool designing = false) : m_saved(RMEngineState()), m_scale(dpi / 96.0)
    {
        RMEngineState().Previewing = !designing;
        RMEngineState().Designing = designing;
    }
    ~Drawing() { RMEngineState() = m_saved; }

    double Scale() const { return m_scale; }
    int Px(double reportPixels) const { return static_cast<int>(reportPixels * m_scale); }

    QImage Draw(TRMView& view, int width, int height) const
    {
        QImage image(Px(width), Px(height), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        view.ScaleX = view.ScaleY = m_scale;
        view.OffsX = view.OffsY = 0;
        view.Draw(&painter);
        return image;
    }

private:
    TRMEngineState m_saved;
    double m_scale;
};

int InkIn(const QImage& image, const QRect& r)
{
    int n = 0;
    for (int y = std::max(0, r.top()); y <= std::min(image.height() - 1, r.bottom()); ++y)
        for (int x = std::max(0, r.left()); x <= std::min(image.width() - 1, r.right()); ++x)
            n += image.pixelColor(x, y) != kWhite ? 1 : 0;
    return n;
}

QString Cells(const TRMMoneyCells& c)
{
    QString out;
    for (const QString& cell : c.Cells)
        out += cell.isEmpty() ? QStringLiteral("_") : cell;
    return out;
}

} // namespace

// ---- money view ----

TEST(MoneyView, DigitsFillTheRightmostCellsCutAtTheDecimals)
{
    struct Case {
        const char* text;
        int digits, decimals;
        bool symbol;
        const char* cells; // "_" for an empty cell
        int symbolCell;
    };
    const Case cases[] = {
        {"1234.5", 12, 2, true, "______123450", 5},
        {"12.345", 12, 2, true, "________1234", 7},
        {"12.349", 12, 2, false, "________1234", -1},
        {"7", 6, 2, true, "___700", 2},
        {"123456789012345", 12, 2, true, "_***********", 0},
        {"123456789012345", 12, 2, false, "************", -1},
        {"999999999.99", 12, 2, true, "_99999999999", 0},
        {"1234.5", 12, 0, true, "________1234", 7},
        {"", 12, 2, true, "____________", -1},
        {"   ", 6, 2, true, "______", -1},
        {"abc", 6, 2, false, "___000", -1},
        // Decimals beyond the cells or below 0 are clamped to the cells.
        {"1.5", 4, 9, false, "****", -1},
        {"12.5", 4, -3, false, "__12", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TRMMoneyGeometry g = RMMoneyGeometry(0, 240, c.digits, c.decimals, 1);
        const TRMMoneyCells cells = RMMoneyDigits(QString::fromLatin1(c.text), g, c.symbol);
        EXPECT_EQ(Cells(cells), QString::fromLatin1(c.cells));
        EXPECT_EQ(cells.SymbolCell, c.symbolCell);
    }
}

TEST(MoneyView, BelowOneCellThereAreNoCells)
{
    for (int digits : {0, -4}) {
        const TRMMoneyGeometry g = RMMoneyGeometry(10, 240, digits, 2, 1);
        EXPECT_FALSE(g.HasCells());
        EXPECT_TRUE(RMMoneyDigits(QStringLiteral("12.5"), g, true).Cells.isEmpty());
    }
}

TEST(MoneyView, CellGeometryLeavesTheLeftoverAtTheLeft)
{
    struct Case {
        int width, digits, lineWidth, cellWidth, leftover;
    };
    const Case cases[] = {{240, 12, 1, 19, 1}, {1500, 12, 6, 119, 6}, {100, 10, 0, 10, 0}, {50, 3, 2, 15, 1}};
    for (const Case& c : cases) {
        const TRMMoneyGeometry g = RMMoneyGeometry(100, c.width, c.digits, 2, c.lineWidth);
        EXPECT_EQ(g.CellWidth, c.cellWidth);
        EXPECT_EQ(g.Leftover, c.leftover);
        EXPECT_EQ(g.CellLeft(0), 100 + c.leftover);
        // The last cell ends at the right edge.
        EXPECT_EQ(g.CellLeft(c.digits - 1) + g.CellWidth, 100 + c.width);
    }
}

TEST(MoneyView, SeparatorColourClassesByPosition)
{
    // 12 cells, 2 decimals: the line before the decimals is red, those with 3, 6, 9 integer
    // cells to their right are black, the others silver.
    const TRMMoneyGeometry g = RMMoneyGeometry(0, 240, 12, 2, 1);
    const char* expected = "TPPTPPTPPD P"; // separators 1..11
    for (int i = 1; i < 12; ++i) {
        SCOPED_TRACE(i);
        const char e = expected[i - 1];
        const TRMMoneyLine want = e == 'D' ? TRMMoneyLine::Decimal
            : e == 'T'                    ? TRMMoneyLine::Thousands
                                          : TRMMoneyLine::Plain;
        EXPECT_EQ(RMMoneySeparator(g, i), want);
    }
}

TEST(MoneyView, TitleCellsBeyondThePlaceNamesStayEmpty)
{
    TRMMoneyView m;
    struct Case {
        int digits, decimals;
        QString cells;
    };
    const Case cases[] = {
        {6, 2, QStringLiteral("千百十元角分")},
        {19, 2, QStringLiteral("__十兆万千百十亿千百十万千百十元角分")},
        {3, 0, QStringLiteral("百十元")},
    };
    for (const Case& c : cases) {
        const TRMMoneyGeometry g = RMMoneyGeometry(0, 400, c.digits, c.decimals, 1);
        EXPECT_EQ(Cells(RMMoneyTitles(g, m.IntegerPlaceNames, m.DecimalPlaceNames)), c.cells);
    }
}

TEST(MoneyView, SeparatorsInTheirColoursAtScreenAndPrinterResolution)
{
    for (int dpi : {96, 600}) {
        SCOPED_TRACE(dpi);
        const Drawing d(dpi);
        TRMMoneyView m;
        m.SetBounds(0, 0, 240, 30);
        m.Memo = QStringList{QString()};
        const QImage image = d.Draw(m, 240, 30);
        // Separator i covers the line-width pixels just left of cell i: at 96 dpi x = 20 i,
        // at 600 dpi 125 i to 125 i + 5.
        const int y = d.Px(15);
        auto at = [&](int i) { return dpi == 96 ? 20 * i : 125 * i + 3; };
        EXPECT_EQ(image.pixelColor(at(10), y), QColor(255, 0, 0));
        for (int i : {1, 4, 7})
            EXPECT_EQ(image.pixelColor(at(i), y), QColor(0, 0, 0)) << i;
        for (int i : {2, 3, 5, 9, 11})
            EXPECT_EQ(image.pixelColor(at(i), y), QColor(192, 192, 192)) << i;
        // An empty text leaves every cell blank.
        EXPECT_EQ(image.pixelColor(at(10) - d.Px(10), y), kWhite);
        EXPECT_EQ(InkIn(image, QRect(at(10) + d.Px(2), 0, d.Px(16), image.height())), 0);
    }
}

TEST(MoneyView, AmountAndSymbolInkTheirCellsOnly)
{
    for (int dpi : {96, 600}) {
        SCOPED_TRACE(dpi);
        const Drawing d(dpi);
        TRMMoneyView m;
        m.SetBounds(0, 0, 240, 30);
        m.Font.Size = 12;
        m.Memo = QStringList{QStringLiteral("1234.5")};
        const QImage image = d.Draw(m, 240, 30);
        // Cells of 19 pixels from x = 1, every 20 pixels (at 96 dpi).
        auto cell = [&](int k) { return QRect(d.Px(1 + 20 * k + 2), 0, d.Px(15), image.height()); };
        for (int k = 0; k < 12; ++k)
            EXPECT_EQ(InkIn(image, cell(k)) > 0, k >= 5) << "cell " << k;
    }
}

TEST(MoneyView, NoCellsDrawOnlyBackgroundAndFrame)
{
    const Drawing d(96);
    TRMMoneyView m;
    m.SetBounds(0, 0, 100, 20);
    m.Digits = 0;
    m.FillColor = 0x00FFFF; // yellow
    m.Memo = QStringList{QStringLiteral("12.5")};
    const QImage image = d.Draw(m, 110, 30);
    EXPECT_EQ(image.pixelColor(50, 10), QColor(255, 255, 0));
    EXPECT_EQ(image.pixelColor(5, 10), QColor(255, 255, 0));
}

// ---- line view ----

TEST(LineView, DrawnAsTheTopOrTheLeftFrameSide)
{
    struct Case {
        int w, h;
        bool horizontal;
    };
    const Case cases[] = {{100, 0, true}, {0, 100, false}, {100, 100, false}, {100, 3, true}};
    for (int dpi : {96, 600}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << dpi);
            const Drawing d(dpi);
            TRMLineView line;
            line.SetBounds(10, 10, c.w, c.h);
            line.TopFrame.Color = line.LeftFrame.Color = 0x0000FF;
            const QImage image = d.Draw(line, 130, 130);
            const QColor red(255, 0, 0);
            EXPECT_EQ(image.pixelColor(d.Px(60), d.Px(10)) == red, c.horizontal);
            EXPECT_EQ(image.pixelColor(d.Px(10), d.Px(60)) == red, !c.horizontal);
            EXPECT_EQ(line.TopFrame.Visible, c.horizontal);
            EXPECT_EQ(line.LeftFrame.Visible, !c.horizontal);
            EXPECT_FALSE(line.RightFrame.Visible || line.BottomFrame.Visible);
            EXPECT_EQ(line.Bounds(), QRect(10, 10, c.w, c.h)) << "the design size stays";
        }
    }
}

// ---- picture view ----

TEST(PictureView, TargetOfStretchKeepAspectAndCentre)
{
    // A 200 × 100 picture in a 100 × 100 view without frame: DrawRect is 0..100.
    const QRect drawRect(QPoint(0, 0), QPoint(100, 100));
    struct Case {
        TRMPictureOptions options;
        QRect target;
    };
    const Case cases[] = {
        {{true, false, true}, QRect(0, 0, 101, 50)},
        {{true, true, true}, QRect(0, 25, 101, 50)},
        {{true, false, false}, QRect(0, 0, 101, 101)},
        {{false, false, false}, QRect(0, 0, 200, 100)},
        {{false, true, false}, QRect(-49, 0, 200, 100)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RMPictureTarget(drawRect, QSize(100, 100), QSize(200, 100), 1.0, 1.0, c.options), c.target);
    // A tall picture keeps its aspect across: 50 × 100 at the left, centred 25 across.
    EXPECT_EQ(RMPictureTarget(drawRect, QSize(100, 100), QSize(100, 200), 1.0, 1.0, {true, true, true}),
        QRect(25, 0, 50, 101));
}

TEST(PictureView, StretchedPictureKeepsItsAspectOnTheImage)
{
    QImage red(200, 100, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    for (int dpi : {96, 600}) {
        for (bool centre : {false, true}) {
            SCOPED_TRACE(testing::Message() << dpi << (centre ? " centred" : " at the top"));
            const Drawing d(dpi);
            TRMPictureView p;
            p.SetBounds(0, 0, 100, 100);
            p.Picture = TRMGraphic::FromBytes(png);
            ASSERT_EQ(p.Picture.Format(), TRMGraphic::TFormat::Png);
            p.SetFlag(TRMPictureView::flPictCenter, centre);
            const QImage image = d.Draw(p, 110, 110);
            auto isRed = [&](int y) { return image.pixelColor(d.Px(50), d.Px(y)) == QColor(255, 0, 0); };
            EXPECT_EQ(isRed(10), !centre);
            EXPECT_TRUE(isRed(40));
            EXPECT_EQ(isRed(70), centre);
            EXPECT_FALSE(isRed(90));
        }
    }
}

TEST(PictureView, MetafileDrawsItsFrameAndAMarker)
{
    QByteArray emf(108, '\0');
    emf[0] = 1;
    emf[4] = 88;
    emf.replace(40, 4, " EMF");
    const Drawing d(96);
    TRMPictureView p;
    p.SetBounds(10, 10, 80, 60);
    p.SetFrameTyp(frLeft | frTop | frRight | frBottom);
    p.Picture = TRMGraphic::FromBytes(emf);
    ASSERT_EQ(p.Picture.Format(), TRMGraphic::TFormat::Metafile);
    EXPECT_EQ(p.Picture.Bytes(), emf);
    const QImage image = d.Draw(p, 100, 80);
    EXPECT_EQ(image.pixelColor(10, 40), QColor(0, 0, 0)) << "frame";
    EXPECT_GT(InkIn(image, QRect(12, 12, 10, 10)), 10) << "marker";
    EXPECT_EQ(InkIn(image, QRect(30, 30, 50, 30)), 0) << "nothing else";
}

// ---- shape view ----

TEST(ShapeView, FiguresOfTheKinds)
{
    struct Case {
        int kind;
        TRMShapeFigure::TKind figure;
        QRect box;
    };
    const Case cases[] = {
        {0, TRMShapeFigure::Rectangle, QRect(QPoint(0, 0), QPoint(100, 40))},
        {2, TRMShapeFigure::Ellipse, QRect(QPoint(0, 0), QPoint(100, 40))},
        {100, TRMShapeFigure::Rectangle, QRect(0, 0, 40, 40)},
        {101, TRMShapeFigure::RoundRect, QRect(0, 0, 40, 40)},
        {102, TRMShapeFigure::Ellipse, QRect(0, 0, 40, 40)},
        {3, TRMShapeFigure::Lines, QRect()},
        {7, TRMShapeFigure::None, QRect()},
        {250, TRMShapeFigure::None, QRect()},
    };
    for (const Case& c : cases) {
        const TRMShapeFigure f = RMShapeFigure(c.kind, 0, 0, 100, 40, 100, 40);
        EXPECT_EQ(f.Kind, c.figure) << c.kind;
        if (c.figure != TRMShapeFigure::Lines) {
            EXPECT_EQ(f.Box, c.box) << c.kind;
        }
    }
    EXPECT_EQ(RMShapeFigure(1, 0, 0, 100, 40, 100, 40).Corner, 10);
    EXPECT_EQ(RMShapeFigure(104, 0, 0, 100, 40, 100, 40).Segments,
        (std::vector<QLine>{QLine(0, 0, 0, 40), QLine(99, 0, 99, 40)}));
    EXPECT_EQ(RMShapeFigure(103, 0, 0, 100, 40, 100, 40).Segments, (std::vector<QLine>{QLine(0, 20, 100, 20)}));
}

TEST(ShapeView, SquareSitsAtTheTopLeft)
{
    for (int dpi : {96, 600}) {
        SCOPED_TRACE(dpi);
        const Drawing d(dpi);
        TRMShapeView s;
        s.SetBounds(10, 10, 100, 40);
        s.Shape = TRMShapeView::skSquare;
        s.FillColor = 0xFF0000; // blue
        const QImage image = d.Draw(s, 120, 60);
        const QColor blue(0, 0, 255);
        EXPECT_EQ(image.pixelColor(d.Px(30), d.Px(30)), blue);
        EXPECT_EQ(image.pixelColor(d.Px(70), d.Px(30)), kWhite);
        EXPECT_EQ(image.pixelColor(d.Px(14), d.Px(47)), blue);
        EXPECT_EQ(InkIn(image, QRect(d.Px(55), 0, d.Px(60), image.height())), 0);
    }
}

// ---- check box ----

TEST(CheckBoxView, MarkFromTheFirstLine)
{
    struct Case {
        const char* first;
        bool printed, designed;
    };
    const Case cases[] = {{"0", false, true}, {"", false, true}, {"-1", true, true}, {"1", true, true}, {"00", false, true}};
    for (int dpi : {96, 600}) {
        for (const Case& c : cases) {
            for (bool designing : {false, true}) {
                SCOPED_TRACE(testing::Message() << '"' << c.first << "\" at " << dpi << (designing ? " designing" : ""));
                const Drawing d(designing ? 96 : dpi, designing);
                TRMCheckBoxView box;
                box.SetBounds(4, 4, 24, 24);
                box.CheckStyle = TRMCheckBoxView::csCheck;
                box.Memo = QStringList{QString::fromLatin1(c.first)};
                const QImage image = d.Draw(box, 32, 32);
                const int ink = InkIn(image, image.rect());
                EXPECT_EQ(ink > 20, designing ? c.designed : c.printed);
            }
        }
    }
}

TEST(CheckBoxView, PrintedValueIsTheRoundedNumber)
{
    struct Case {
        Variant value;
        const char* text;
    };
    const Case cases[] = {
        {Variant::FromBool(true), "-1"}, {Variant::FromBool(false), "0"}, {Variant::FromFloat(0.6), "1"},
        {Variant::FromFloat(2.5), "2"}, {Variant::FromInt(-3), "-3"}, {Variant::Null(), ""},
        {Variant(QStringLiteral("是")), "是"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TRMCheckBoxView::PrintedValue(c.value), QString::fromUtf8(c.text));
}

// ---- diagonal view ----

TEST(DiagonalView, PiecesChooseTheLayout)
{
    auto measure = [](const QString& s) { return QSize(6 * static_cast<int>(s.size()), 12); };
    const int L = 0, T = 0, R = 100, B = 50;
    struct Case {
        const char* text;
        int layout;
        std::vector<QLine> lines;
        std::vector<int> corners;
    };
    const Case cases[] = {
        {";b;;d", 1, {QLine(0, 0, 99, 49)}, {1, 3}},
        {";b;c;d", 2, {QLine(0, 0, 49, 49), QLine(0, 0, 99, 24)}, {1, 3, 2}},
        {"a;b;;d", 3, {QLine(100, 50, 49, -1), QLine(100, 50, -1, 24)}, {3, 0, 1}},
        {"a;b;c", 4, {QLine(0, 50, 49, -1), QLine(0, 50, 99, 24)}, {0, 1, 2}},
        {"a;;c", 5, {QLine(0, 50, 100, 0)}, {0, 2}},
        {"a;;c;d", 6, {QLine(100, 0, 49, 49), QLine(100, 0, -1, 24)}, {0, 2, 3}},
        {"a;;;d", 7, {QLine(100, 24, 0, 24)}, {0, 3}},
        {"a;b", 8, {QLine(49, 0, 49, 50)}, {0, 1}},
        {"a;b;c;d;e", 9, {QLine(49, 0, 49, 50), QLine(100, 24, 0, 24)}, {0, 1, 2, 3}},
        {"abc", 0, {QLine(0, 0, 100, 50)}, {}},
        {";;c", 0, {QLine(0, 0, 100, 50)}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TRMDiagonalLayout layout = RMDiagonalLayout(L, T, R, B, RMDiagonalPieces(QString::fromLatin1(c.text)), measure);
        EXPECT_EQ(layout.Number, c.layout);
        EXPECT_EQ(layout.Lines, c.lines);
        std::vector<int> corners;
        for (const auto& t : layout.Texts)
            corners.push_back(t.Corner);
        EXPECT_EQ(corners, c.corners);
    }
    EXPECT_EQ(RMDiagonalPieces(QStringLiteral("a;b;c;d;e"))[3], QStringLiteral("d"));
    // S2 hugs the top in the layouts without S1, and sits 5 pixels down otherwise.
    const auto at = [&](const char* text) {
        const auto layout = RMDiagonalLayout(L, T, R, B, RMDiagonalPieces(QString::fromLatin1(text)), measure);
        for (const auto& t : layout.Texts)
            if (t.Corner == 1)
                return t.At;
        return QPoint(-1, -1);
    };
    EXPECT_EQ(at(";bb;;d"), QPoint(100 - 12 - 5, 1));
    EXPECT_EQ(at("a;bb"), QPoint(100 - 12 - 5, 5));
}

TEST(DiagonalView, EmptyTextDrawsOneDiagonal)
{
    for (int dpi : {96, 600}) {
        SCOPED_TRACE(dpi);
        const Drawing d(dpi);
        TRMDiagonalView v;
        v.SetBounds(0, 0, 100, 50);
        v.DiagonalLineColor = 0x0000FF;
        v.Memo = QStringList{QStringLiteral("  ")};
        const QImage image = d.Draw(v, 110, 60);
        const QColor red(255, 0, 0);
        EXPECT_EQ(image.pixelColor(d.Px(50) + 2, d.Px(25) + 1), red);
        EXPECT_EQ(image.pixelColor(d.Px(50), d.Px(10)), kWhite);
        EXPECT_EQ(image.pixelColor(d.Px(20), d.Px(40)), kWhite);
    }
}
