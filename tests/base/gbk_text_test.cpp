#include "base/gbk_text.h"

#include <gtest/gtest.h>

using namespace pq;

TEST(GbkText, RoundTripsAsciiChineseAndCharactersGbkLacks)
{
    for (const QString& s : {QString("abc 123"), QString("支付方式档案"), QString("O'Neil 的卡"),
             QString::fromUtf8("表情\U0001F600"), QString()}) {
        EXPECT_EQ(FromGbk(ToGbk(s)), s);
    }
    // Chinese characters are the classic two-byte GBK codes.
    EXPECT_EQ(ToGbk(QString("中")), QByteArray("\xD6\xD0"));
}

TEST(GbkText, NothingCarriesOverFromOneTextToTheNext)
{
    // Half a surrogate pair, or half a two-byte code, at the end of one text must not
    // change how the next one reads.
    for (int i = 0; i < 2; ++i) {
        ToGbk(QString(QChar(0xD83D)));
        EXPECT_EQ(ToGbk(QString("中")), QByteArray("\xD6\xD0"));
        FromGbk(QByteArray("\xD6"));
        EXPECT_EQ(FromGbk(QByteArray("\xD6\xD0")), QString("中"));
        EXPECT_EQ(FromGbk(QByteArray("plain")), QString("plain"));
    }
}

TEST(GbkText, CountsBytesPerCharacter)
{
    struct Case { QString text; int bytes; };
    const Case cases[] = {
        {"", 0}, {"a", 1}, {"中", 2}, {"a中b", 4}, {"支付方式编码", 12},
        {QString::fromUtf8("\U0001F600"), 4}, // only GB18030 has it: four bytes, not dropped
        {QString::fromUtf8("é"), 2},         // pinyin letters are in GBK
        {QString::fromUtf8("한"), 4},        // Hangul is not: GB18030 four-byte form
    };
    for (const Case& c : cases)
        EXPECT_EQ(GbkLength(c.text), c.bytes) << c.text.toStdString();
}

TEST(GbkText, CutNeverSplitsADoubleByteCharacter)
{
    struct Case { QString text; int max; QString expect; };
    const Case cases[] = {
        {"abcdef", 4, "abcd"},
        {"中文字", 4, "中文"},
        {"中文字", 5, "中文"},   // the third character would need bytes 5 and 6
        {"a中文", 2, "a"},
        {"a中文", 3, "a中"},
        {"abc", 0, ""},
        {"abc", -1, ""},
        {"abc", 10, "abc"},
        {QString::fromUtf8("a\U0001F600b"), 4, "a"}, // never half a surrogate pair
        {QString::fromUtf8("a\U0001F600b"), 5, QString::fromUtf8("a\U0001F600")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CutToGbkBytes(c.text, c.max), c.expect) << c.text.toStdString() << " / " << c.max;
}

TEST(GbkText, TrimBlanksTakesOnlyBlanksAndControlCharacters)
{
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {" \t名称\r\n", "名称"},
        {"\u3000名称\u3000", "\u3000名称\u3000"},
        {"\x01 a b \x1f", "a b"},
        {"   ", ""},
        {"", ""},
        {"\u00a0x\u00a0", "\u00a0x\u00a0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pq::TrimBlanks(c.in), c.out) << c.in.toStdString();
}
