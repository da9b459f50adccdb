// Paragraph wrapping: tokens, widths, double-byte characters and the rule that keeps
// Chinese punctuation from starting a line.
#include "report/engine/memo/memo_wrap.h"

#include "report/engine/canvas/rm_canvas.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pq {
namespace {

// 6 pixels per single-byte character, 12 per double-byte one (a surrogate pair is one).
int FixedWidth(const QString& s)
{
    int w = 0;
    for (QChar c : s) {
        if (c.isLowSurrogate())
            continue;
        w += c.unicode() >= 0x80 ? 12 : 6;
    }
    return w;
}

QStringList U(std::initializer_list<const char*> items)
{
    QStringList out;
    for (const char* i : items)
        out << QString::fromUtf8(i);
    return out;
}

TEST(MemoWrap, Tokens)
{
    struct Row { const char* text; QStringList tokens; };
    const Row rows[] = {
        {"ab cd", U({"ab ", "cd"})},
        {"ab中cd", U({"ab", "中", "cd"})},
        {"e-f-", U({"e-", "f-"})},
        {"  x", U({" ", " ", "x"})},
        {"中文，", U({"中", "文", "，"})},
        {"a𠀀b", U({"a", "𠀀", "b"})},
        {"", QStringList()},
    };
    for (const Row& r : rows)
        EXPECT_EQ(RMWrapTokens(QString::fromUtf8(r.text)), r.tokens) << r.text;
}

TEST(MemoWrap, NoLineStartCharacters)
{
    EXPECT_EQ(RMNoLineStartChars().size(), 42);
    for (const char* c : {"。", "，", "、", "）", "》", "…", "｝"})
        EXPECT_TRUE(RMNoLineStartChars().contains(QString::fromUtf8(c))) << c;
    for (const char* c : {"甲", "a", "中", ","})
        EXPECT_FALSE(RMNoLineStartChars().contains(QString::fromUtf8(c))) << c;
}

TEST(MemoWrap, Lines)
{
    struct Row {
        const char* name;
        const char* text;
        int width;
        bool wordBreak;
        bool mangeTag;
        QStringList lines;
    };
    const Row rows[] = {
        {"fits", "hello", 30, false, false, U({"hello"})},
        {"at a space", "hello world", 40, false, false, U({"hello ", "world"})},
        {"long word cut", "abcdefghij", 30, false, false, U({"abcde", "fghij"})},
        {"after a hyphen", "well-known", 36, false, false, U({"well-", "known"})},
        {"double-byte pairs", "中文字符测试", 30, false, false, U({"中文", "字符", "测试"})},
        {"never half a character", "中文", 20, false, false, U({"中", "文"})},
        {"at least one character", "中a", 5, false, false, U({"中", "a"})},
        {"four-byte characters whole", "𠀀𠀀𠀀", 30, false, false, U({"𠀀𠀀", "𠀀"})},
        {"mixed runs", "ab中文cd", 30, false, false, U({"ab中", "文cd"})},
        {"punctuation may start a line", "甲乙丙，丁", 36, false, false, U({"甲乙丙", "，丁"})},
        {"word break keeps it off", "甲乙丙，丁", 36, true, false, U({"甲乙", "丙，丁"})},
        {"word break, no need", "甲乙，丙丁", 36, true, false, U({"甲乙，", "丙丁"})},
        {"word break on an empty line", "丙，", 12, true, false, U({"丙", "，"})},
        {"carriage return splits", "ab\rcd", 60, false, false, U({"ab", "cd"})},
        {"line feeds vanish", "ab\ncd", 60, false, false, U({"abcd"})},
        {"blank paragraph kept", "ab\r\rcd", 60, false, false, U({"ab", "", "cd"})},
        {"trailing separator", "ab\r", 60, false, false, U({"ab"})},
        {"empty line", "", 60, false, false, U({""})},
        {"backquote with tags", "a`b", 60, false, true, U({"a", "b"})},
        {"backquote without tags", "a`b", 60, false, false, U({"a`b"})},
    };
    for (const Row& r : rows) {
        TRMWrapOptions o;
        o.MaxWidth = r.width;
        o.WordBreak = r.wordBreak;
        o.MangeTag = r.mangeTag;
        o.Width = FixedWidth;
        EXPECT_EQ(RMWrapLine(QString::fromUtf8(r.text), o), r.lines) << r.name;
    }
}

// Unbroken words longer than a line, after text and alone, with four-byte characters: every
// character kept, every line as full as it can be, no pair split.
TEST(MemoWrap, LongWordsCutAsCharacterByCharacter)
{
    const QString pair = QString::fromUtf8("𠀀");
    // full: every break falls inside one word, so each line holds all that fits of it.
    const struct { QString word; bool full; } words[] = {{QString(100, QLatin1Char('x')), true},
        {QString(1000, QLatin1Char('y')), true}, {QStringLiteral("lead ") + QString(300, QLatin1Char('z')), true},
        {pair.repeated(150), true},
        {QString(77, QLatin1Char('a')) + pair + QString(90, QLatin1Char('b')) + QString::fromUtf8("中") + pair, false}};
    for (const auto& [word, full] : words) {
        for (int width : {5, 6, 30, 37, 600}) {
            TRMWrapOptions o;
            o.MaxWidth = width;
            o.Width = FixedWidth;
            const QStringList lines = RMWrapLine(word, o);
            EXPECT_EQ(lines.join(QString()), word) << width;
            for (int i = 0; i < lines.size(); ++i) {
                // A line is too wide only when it is a single character.
                EXPECT_TRUE(FixedWidth(lines[i]) <= width || lines[i].size() == 1 || (lines[i].size() == 2 && lines[i][0].isHighSurrogate()))
                    << width << " line " << i;
                if (full && i + 1 < lines.size() && !lines[i].endsWith(QLatin1Char(' '))) {
                    // Nothing more of the word would have fit on the line.
                    const qsizetype n = lines[i + 1][0].isHighSurrogate() ? 2 : 1;
                    EXPECT_GT(FixedWidth(lines[i] + lines[i + 1].left(n)), width) << width << " line " << i;
                }
            }
        }
    }
}

// An unbroken word of any length wraps by measuring little more than its own length: the
// cost of the width function, summed over its calls, grows linearly with the word.
TEST(MemoWrap, ALongWordIsMeasuredInLinearTotal)
{
    for (const qsizetype length : {20000, 80000}) {
        qint64 measured = 0;
        TRMWrapOptions o;
        o.MaxWidth = 600;
        o.Width = [&measured](const QString& s) {
            measured += s.size();
            return FixedWidth(s);
        };
        const QString word(length, QLatin1Char('w'));
        const QStringList lines = RMWrapLine(word, o);
        EXPECT_EQ(lines.size(), length / 100);
        EXPECT_LT(measured, 40 * length) << length;
    }
}

TEST(MemoWrap, ZeroWidthStillTerminates)
{
    TRMWrapOptions o;
    o.MaxWidth = 0;
    o.Width = FixedWidth;
    EXPECT_EQ(RMWrapLine("abc", o), U({"a", "b", "c"}));
    o.MaxWidth = -5;
    EXPECT_EQ(RMWrapLine(QString::fromUtf8("中文"), o), U({"中", "文"}));
}

// Lines measured on from the line so far break where lines measured whole do, for the Qt
// metrics and the fixed pitch, with and without character spacing.
TEST(MemoWrap, LinesMeasuredOnBreakWhereLinesMeasuredWholeDo)
{
    const char* texts[] = {
        "信用卡和储蓄卡以及其他各种电子支付方式，还有一些别的。",
        "office fifty flow, the affluent waffle with well-known hyphen-ated words",
        "mixed 中文 text-wrap 1234.56 -78 支付方式 payment types",
        "e\xCC\x81t\xC3\xA9 cafe\xCC\x81 \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 abc \xF0\xA0\x80\x80\xE4\xB8\xAD",
        "aVeryLongTokenWithoutAnyBlankThatRunsOnAndOnPastEveryLineOfTheMemoBoxAndBeyondItAgain x",
        "  two  spaces  and 全角（括号）、标点。",
    };
    TRMCanvasFont font;
    font.Name = QStringLiteral("宋体");
    font.Height = -13;
    const TRMQtTextMeasurer qt;
    const TRMFixedTextMeasurer fixed;
    for (const TRMTextMeasurer* me : {static_cast<const TRMTextMeasurer*>(&qt), static_cast<const TRMTextMeasurer*>(&fixed)}) {
        for (int spacing : {0, 1}) {
            for (int width : {30, 97, 200, 333}) {
                for (bool wordBreak : {false, true}) {
                    TRMWrapOptions whole;
                    whole.MaxWidth = width;
                    whole.WordBreak = wordBreak;
                    whole.Width = [&](const QString& s) {
                        return static_cast<int>(std::ceil(me->TextWidth(font, s) - 1e-6)) + spacing * static_cast<int>(s.size());
                    };
                    TRMWrapOptions on = whole;
                    on.AdvanceAfter = [&](double head, QStringView headText, QStringView tail) {
                        return me->TextWidthAfter(font, head, headText, tail);
                    };
                    on.Pixels = [spacing](double advance, qsizetype chars) {
                        return static_cast<int>(std::ceil(advance - 1e-6)) + spacing * static_cast<int>(chars);
                    };
                    for (const char* t : texts) {
                        const QString text = QString::fromUtf8(t);
                        EXPECT_EQ(RMWrapLine(text, on), RMWrapLine(text, whole))
                            << t << " width " << width << " spacing " << spacing << " wordbreak " << wordBreak;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace pq
