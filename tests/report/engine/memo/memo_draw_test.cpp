// Drawing memos into images: frame lines, fill and text where they belong at scale 1 and
// 2 with offsets, alignment and layout, rotation, underlines, and the text records the
// preview's search reads. Set PQ_MEMO_PNG_DIR to keep the images.
#include "memo_test_support.h"

#include "report/engine/memo/memo_wrap.h"

#include "report/engine/rm_report.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace pq {
namespace {

using test::EngineMode;

QImage White(int w = 320, int h = 200)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

void Keep(const QImage& img, const char* name)
{
    const QByteArray dir = qgetenv("PQ_MEMO_PNG_DIR");
    if (!dir.isEmpty())
        img.save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name) + ".png"));
}

// Draws the memo onto a fresh white picture through a canvas that records every text
// output; the picture is kept under the name when pictures are asked for.
std::vector<TRMTextRecord> DrawRecorded(TRMView& view, QImage& img, const char* name = nullptr)
{
    img = White();
    std::vector<TRMTextRecord> records;
    {
        QPainter p(&img);
        TRMCanvas canvas(&p);
        canvas.SetTextSink([&](const TRMTextRecord& r) { records.push_back(r); });
        view.Draw(&p);
    }
    if (name)
        Keep(img, name);
    return records;
}

bool IsDark(const QImage& img, int x, int y)
{
    return img.valid(x, y) && qGray(img.pixel(x, y)) < 100;
}

// Pixels darker than the fill inside an area.
int Ink(const QImage& img, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (IsDark(img, x, y))
                ++n;
    return n;
}

// The horizontal centre of the ink inside an area.
double InkCentreX(const QImage& img, const QRect& area)
{
    double sum = 0;
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (IsDark(img, x, y)) {
                sum += x;
                ++n;
            }
    return n ? sum / n : -1;
}

std::unique_ptr<TRMMemoView> FramedMemo(const QString& text)
{
    auto m = std::make_unique<TRMMemoView>();
    m->Name = "Memo1";
    m->SetBounds(20, 30, 160, 40);
    m->Memo = QStringList{text};
    m->SetFrameTyp(frLeft | frTop | frRight | frBottom);
    m->FillColor = 0x00FFFF; // yellow
    m->Font.Name = "Arial";
    m->Font.Size = 10;
    return m;
}

void Draw(TRMMemoView& m, QImage& img, double scale = 1.0, int offsX = 0, int offsY = 0)
{
    m.ScaleX = m.ScaleY = scale;
    m.OffsX = offsX;
    m.OffsY = offsY;
    QPainter p(&img);
    m.Draw(&p);
}

const QColor kYellow(255, 255, 0);

TEST(MemoDraw, FrameFillAndTextAtScaleOneAndTwo)
{
    test::StartedEngine engine;
    EngineMode preview(true);
    struct Row { double scale; int offsX, offsY; const char* png; };
    const Row rows[] = {{1.0, 0, 0, "memo_scale1"}, {2.0, 5, 7, "memo_scale2"}};
    for (const Row& r : rows) {
        auto m = FramedMemo(QString::fromUtf8("支付方式 Cash"));
        QImage img = White(420, 200);
        Draw(*m, img, r.scale, r.offsX, r.offsY);
        Keep(img, r.png);
        const auto sx = [&](int x) { return static_cast<int>(x * r.scale) + r.offsX; };
        const auto sy = [&](int y) { return static_cast<int>(y * r.scale) + r.offsY; };
        const int l = sx(20), t = sy(30), right = sx(180), bottom = sy(70);
        SCOPED_TRACE(r.png);
        // The four sides.
        EXPECT_TRUE(IsDark(img, l, (t + bottom) / 2));
        EXPECT_TRUE(IsDark(img, right, (t + bottom) / 2));
        EXPECT_TRUE(IsDark(img, (l + right) / 2, t));
        EXPECT_TRUE(IsDark(img, (l + right) / 2, bottom));
        // Nothing outside them.
        EXPECT_EQ(Ink(img, QRect(0, 0, l - 1, img.height())), 0);
        EXPECT_EQ(Ink(img, QRect(right + 2, 0, img.width() - right - 2, img.height())), 0);
        EXPECT_EQ(img.pixelColor(l - 2, t + 5), QColor(Qt::white));
        // The fill, where no text is.
        EXPECT_EQ(img.pixelColor(right - 4, bottom - 4), kYellow);
        // The text starts at the top left inside the gaps and stays in the first line.
        const int lineBottom = t + 3 + static_cast<int>(16 * r.scale);
        EXPECT_GT(Ink(img, QRect(l + 2, t + 2, right - l - 4, lineBottom - t - 2)), 30 * r.scale);
        EXPECT_EQ(Ink(img, QRect(l + 2, lineBottom + 2, right - l - 4, bottom - lineBottom - 4)), 0);
    }
}

TEST(MemoDraw, NoFillInPreviewAndOnPrinterWithoutBackColours)
{
    test::StartedEngine engine;
    {
        EngineMode preview(true);
        auto m = FramedMemo("x");
        m->FillColor = kNoColor;
        QImage img = White();
        Draw(*m, img);
        EXPECT_EQ(img.pixelColor(170, 60), QColor(Qt::white));
    }
    struct Row { bool backColours; QColor expected; };
    for (const Row& r : {Row{false, Qt::white}, Row{true, kYellow}}) {
        EngineMode printing(false, true);
        TRMReport report;
        report.PrintBackColor = r.backColours;
        TRMCurrentScope scope(&report);
        auto m = FramedMemo("x");
        QImage img = White();
        Draw(*m, img);
        EXPECT_EQ(img.pixelColor(170, 60), r.expected) << r.backColours;
    }
}

TEST(MemoDraw, DoubleAndHeavySides)
{
    test::StartedEngine engine;
    EngineMode preview(true);
    auto m = FramedMemo("");
    m->FillColor = kNoColor;
    m->LeftFrame.Style = psSolid | kFrameDoubleBit;
    m->TopFrame.Width = 3;
    QImage img = White();
    Draw(*m, img);
    Keep(img, "memo_frames");
    EXPECT_TRUE(IsDark(img, 20, 50));
    EXPECT_FALSE(IsDark(img, 21, 50));
    EXPECT_TRUE(IsDark(img, 22, 50)); // the second line, Round(2 × 1) inside
    for (int y = 29; y <= 31; ++y)
        EXPECT_TRUE(IsDark(img, 100, y)) << y; // three pixels, centred on the side
    EXPECT_FALSE(IsDark(img, 100, 33));
    EXPECT_FALSE(IsDark(img, 178, 50));         // the right side is single
}

TEST(MemoDraw, AlignmentAndLayout)
{
    test::StartedEngine engine;
    EngineMode preview(true);
    const QRect inner(22, 32, 156, 36);
    struct Row { int hAlign; int layout; double minX, maxX; bool lowerHalf; };
    const Row rows[] = {
        {0, 0, 22, 60, false},   // left, top
        {1, 0, 140, 178, false}, // right
        {2, 0, 85, 115, false},  // centre
        {0, 2, 22, 60, true},    // bottom
        {2, 1, 85, 115, false},  // centre, centred vertically (spans the middle)
    };
    for (const Row& r : rows) {
        auto m = FramedMemo("abc");
        m->SetFrameTyp(0);
        m->FillColor = kNoColor;
        m->SetHAlign(r.hAlign);
        m->SetLayout(r.layout);
        QImage img = White();
        Draw(*m, img);
        const double cx = InkCentreX(img, inner);
        EXPECT_GE(cx, r.minX) << r.hAlign << "/" << r.layout;
        EXPECT_LE(cx, r.maxX) << r.hAlign << "/" << r.layout;
        const int upper = Ink(img, QRect(22, 32, 156, 18));
        const int lower = Ink(img, QRect(22, 50, 156, 18));
        if (r.lowerHalf) {
            EXPECT_GT(lower, upper) << r.layout;
        } else if (r.layout == 0) {
            EXPECT_GT(upper, lower) << r.layout;
        }
    }
}

TEST(MemoDraw, DistributedLinesSpreadAcrossTheWidth)
{
    test::StartedEngine engine;
    EngineMode preview(true);
    for (const char* text : {"ab", "a"}) { // one character: no spacing, no division by zero
        auto m = FramedMemo(QString::fromLatin1(text));
        m->SetFrameTyp(0);
        m->FillColor = kNoColor;
        m->SetHAlign(3);
        QImage img = White();
        Draw(*m, img);
        const bool two = QByteArray(text).size() == 2;
        EXPECT_GT(Ink(img, QRect(22, 32, 20, 20)), 0) << text;
        EXPECT_EQ(Ink(img, QRect(150, 32, 30, 20)) > 0, two) << text;
    }
}

TEST(MemoDraw, WrappedLinesAreTextRecords)
{
    test::StartedEngine engine;
    EngineMode preview(true);
    auto m = FramedMemo("alpha beta gamma delta epsilon zeta");
    m->SetBounds(20, 30, 90, 80);
    m->SetFlag(flMemoWordwrap, true);
    QImage img;
    const std::vector<TRMTextRecord> records = DrawRecorded(*m, img, "memo_wrapped");
    ASSERT_GE(records.size(), 2u);
    QString joined;
    for (const TRMTextRecord& r : records) {
        EXPECT_FALSE(r.Text.contains(kLineMark));
        EXPECT_TRUE(QRect(20, 30, 91, 81).contains(r.Bounds)) << r.Text.toStdString();
        joined += r.Text;
    }
    EXPECT_EQ(joined, "alpha beta gamma delta epsilon zeta");
    for (size_t i = 1; i < records.size(); ++i)
        EXPECT_GT(records[i].Bounds.top(), records[i - 1].Bounds.top());
    EXPECT_EQ(m->Memo, QStringList{"alpha beta gamma delta epsilon zeta"}); // design text kept
}

TEST(MemoDraw, RotatedTextReadsUpwards)
{
    test::StartedEngine engine;
    EngineMode preview(true);
    auto m = FramedMemo(QString::fromUtf8("竖排 up"));
    m->SetBounds(20, 20, 40, 150);
    m->RotationType = rt90;
    QImage img;
    const std::vector<TRMTextRecord> records = DrawRecorded(*m, img, "memo_rt90");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_GT(records[0].Bounds.height(), records[0].Bounds.width());
    EXPECT_GT(records[0].Bounds.top(), 100); // left-aligned text starts at the bottom
    EXPECT_GT(Ink(img, QRect(22, 100, 36, 65)), 20);
}

TEST(MemoDraw, UnderlinesUnderEveryLinePosition)
{
    test::StartedEngine engine;
    EngineMode preview(true);
    auto m = FramedMemo("");
    m->SetFrameTyp(0);
    m->FillColor = kNoColor;
    m->SetFlag(flMemoUnderlines, true);
    m->SetBounds(20, 30, 100, 50);
    QImage img = White();
    Draw(*m, img);
    Keep(img, "memo_underlines");
    // Step 2 + 13 = 15; lines at 30 + Gapy 2 + 15 i + 2 + 13 for i < 50 div 15.
    for (int y : {47, 62, 77})
        EXPECT_TRUE(IsDark(img, 60, y)) << y;
    EXPECT_FALSE(IsDark(img, 60, 92));
    EXPECT_FALSE(IsDark(img, 60, 55));
}

TEST(MemoDraw, PreWrappedTextIsNotWrappedAgain)
{
    test::StartedEngine engine;
    EngineMode preview(true);
    auto m = FramedMemo("");
    m->SetFlag(flMemoWordwrap, true);
    m->Memo = QStringList{QString("one two") + kLineMark, QString("three") + kLineMark, QString(kLineMark)};
    QImage img;
    QStringList texts;
    for (const TRMTextRecord& r : DrawRecorded(*m, img))
        texts << r.Text;
    EXPECT_EQ(texts, QStringList({"one two", "three"}));
}

TEST(MemoDraw, EveryRotationStaysInsideItsBox)
{
    test::StartedEngine engine;
    EngineMode preview(true);
    struct Row { int rotation; bool tall; const char* png; };
    const Row rows[] = {
        {rtNone, false, "memo_rtnone"}, {rt90, true, "memo_rot90"}, {rt180, false, "memo_rt180"},
        {rt270, true, "memo_rt270"}, {rt360, true, "memo_rt360"},
    };
    for (const Row& r : rows) {
        auto m = FramedMemo(QString::fromUtf8("旋转 Turn"));
        m->SetFrameTyp(0);
        m->FillColor = kNoColor;
        m->SetBounds(40, 20, 120, 150);
        m->RotationType = static_cast<std::uint8_t>(r.rotation);
        QImage img;
        const std::vector<TRMTextRecord> records = DrawRecorded(*m, img, r.png);
        ASSERT_FALSE(records.empty()) << r.rotation;
        QRect all;
        for (const TRMTextRecord& rec : records)
            all |= rec.Bounds;
        EXPECT_TRUE(QRect(40, 20, 121, 151).contains(all)) << r.rotation;
        EXPECT_EQ(all.height() > all.width(), r.tall) << r.rotation;
        EXPECT_GT(Ink(img, QRect(40, 20, 121, 151)), 20) << r.rotation;
        EXPECT_EQ(Ink(img, QRect(0, 0, 39, 200)) + Ink(img, QRect(162, 0, 158, 200)), 0) << r.rotation;
    }
}

TEST(MemoDraw, TagCharactersSwitchSizeAndAreNotDrawn)
{
    test::StartedEngine engine;
    EngineMode preview(true);
    auto m = FramedMemo("H_2|O and x~2");
    m->SetExtFlag(flMemoMangeTag, true);
    QImage img;
    const std::vector<TRMTextRecord> records = DrawRecorded(*m, img, "memo_tags");
    QString drawn;
    for (const TRMTextRecord& r : records)
        drawn += r.Text;
    EXPECT_EQ(drawn, "H2O and x2");
    ASSERT_EQ(records.size(), 10u); // character by character
    // The subscript is smaller and lower than the letters around it.
    EXPECT_LT(records[1].Bounds.height(), records[0].Bounds.height());
    EXPECT_GT(records[1].Bounds.top(), records[0].Bounds.top());
    EXPECT_EQ(records[9].Bounds.top(), records[8].Bounds.top()); // superscript keeps the top
}

} // namespace
} // namespace pq
