// The RTF reader: what word processors and rich-edit controls write reads back to the
// characters and formats they meant; damaged and hostile input gives an error and at most
// part of the document.
#include "report/engine/rich/rtf_reader.h"

#include "tests/report/engine/rich/rich_test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTextDocument>

#include <random>

namespace pq::test {
namespace {

const QString kSong = QStringLiteral("宋体");
const QString kHei = QStringLiteral("黑体");

// The list window's page-header caption, as the rich-edit control of the design saved it.
const QByteArray kPageHeader =
    "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'ba\\'da\\'cc\\'e5;}{\\f1\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
    "{\\colortbl ;\\red0\\green0\\blue0;}\r\n"
    "\\viewkind4\\uc1\\pard\\qc\\cf1\\lang2052\\f0\\fs44 [Title]\r\n"
    "\\par \\pard\\f1\\fs18 [Condi]\\f0\\fs44 \r\n"
    "\\par \\pard\\qr\\fs16     \r\n"
    "\\par }";

// Its column-footer caption: GBK text in \'hh pairs around brackets.
const QByteArray kColumnFooter =
    "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}{\\f1\\fnil\\fcharset134 MS Sans Serif;}}\r\n"
    "{\\colortbl ;\\red0\\green0\\blue0;}\r\n"
    "\\viewkind4\\uc1\\pard\\cf1\\lang2052\\f0\\fs18\\'b4\\'f2\\'d3\\'a1\\'c8\\'d5\\'c6\\'da:[Date]  \\'b4\\'f2\\'d3\\'a1\\'ca\\'b1\\'bc\\'e4:[Time]                     \r\n"
    "\\par \\'b2\\'d9 \\'d7\\'f7 \\'d4\\'b1:[Oper]  \r\n"
    "\\par \\'d2\\'b3    \\'ca\\'fd:\\'b5\\'da[Page#]\\'d2\\'b3/\\'b9\\'b2[TotalPages#]\\'d2\\'b3\\f1\\fs16 \r\n"
    "\\par }";

TEST(RtfReader, RichEditCaptionReadsToItsParagraphsFontsAndSizes)
{
    QTextDocument doc;
    ASSERT_TRUE(RMReadRtf(kPageHeader, doc).Ok);
    const auto paras = Describe(doc);
    ASSERT_EQ(paras.size(), 3u);
    EXPECT_EQ(paras[0].align, Qt::AlignHCenter);
    EXPECT_EQ(paras[0].runs, (std::vector<TextRun>{{"[Title]", kHei, 22, false, false, false, "#000000"}}));
    EXPECT_EQ(paras[1].align, Qt::AlignLeft);
    // The blank after "\\fs44" ends the control word; it is no text.
    EXPECT_EQ(paras[1].runs, (std::vector<TextRun>{{"[Condi]", kSong, 9, false, false, false, "#000000"}}));
    EXPECT_EQ(paras[2].align, Qt::AlignRight);
    EXPECT_EQ(paras[2].runs, (std::vector<TextRun>{{"    ", kHei, 8, false, false, false, "#000000"}}));
}

TEST(RtfReader, GbkBytePairsDecodeInTheFontsCodePage)
{
    QTextDocument doc;
    ASSERT_TRUE(RMReadRtf(kColumnFooter, doc).Ok);
    EXPECT_EQ(Shown(doc), QStringLiteral("打印日期:[Date]  打印时间:[Time]                     |"
                                         "操 作 员:[Oper]  |页    数:第[Page#]页/共[TotalPages#]页"));
}

struct TextCase {
    const char* name;
    QByteArray rtf;
    QString shown;
};

class RtfReaderText : public ::testing::TestWithParam<TextCase> {};

TEST_P(RtfReaderText, ReadsTheCharactersMeant)
{
    QTextDocument doc;
    const TRMRtfReadResult r = RMReadRtf(GetParam().rtf, doc);
    EXPECT_TRUE(r.Ok) << r.Error.toStdString();
    EXPECT_EQ(Shown(doc), GetParam().shown);
}

const QByteArray kFonts = "{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset134 SimSun;}{\\f2\\fcharset136 MingLiU;}"
                          "{\\f3\\fcharset128 MS Mincho;}{\\f4\\fcharset204 Arial Cyr;}{\\f5 Plain;}}";

INSTANTIATE_TEST_SUITE_P(Cases, RtfReaderText, ::testing::Values(
    TextCase{"escapes", "{\\rtf1 a\\\\b\\{c\\}d}", "a\\b{c}d"},
    TextCase{"specials", "{\\rtf1 a\\~b\\-c\\_d}", QStringLiteral("a\u00A0b\u00ADc\u2011d")},
    TextCase{"punctuation", "{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}",
        QStringLiteral("\u2014\u2013\u2022\u2018\u2019\u201C\u201D")},
    TextCase{"line and tab", "{\\rtf1 a\\line b\\tab c}", "a/b\tc"},
    TextCase{"paragraphs, the last mark ends the last one", "{\\rtf1 a\\par b\\par}", "a|b"},
    TextCase{"an empty paragraph between", "{\\rtf1 a\\par\\par b}", "a||b"},
    TextCase{"line breaks of the file are no text", "{\\rtf1 a\r\nb\nc}", "abc"},
    TextCase{"unicode with one fallback", "{\\rtf1 \\u20013?\\u25991?}", QStringLiteral("中文")},
    TextCase{"unicode fallback of two hex bytes", "{\\rtf1\\uc2 \\u20013\\'d6\\'d0x}", QStringLiteral("中x")},
    TextCase{"uc0 skips nothing", "{\\rtf1\\uc0 \\u20013 x}", QStringLiteral("中x")},
    TextCase{"negative unicode", "{\\rtf1 \\u-3913?}", QString(QChar(0xF0B7))},
    TextCase{"uc is scoped to its group", "{\\rtf1 {\\uc2 \\u20013??}\\u20013?a}", QStringLiteral("中中a")},
    TextCase{"GBK split over two hex bytes", "{\\rtf1\\ansi\\ansicpg936 " + kFonts + "\\f1 \\'d6\\'d0\\'ce\\'c4}", QStringLiteral("中文")},
    TextCase{"GBK lead byte and plain trail byte", "{\\rtf1\\ansicpg936 \\'b0@}", QStringLiteral("癅")},
    TextCase{"Big5 font", "{\\rtf1 " + kFonts + "\\f2 \\'a4\\'a4\\'a4\\'e5}", QStringLiteral("中文")},
    TextCase{"Shift-JIS font", "{\\rtf1 " + kFonts + "\\f3 \\'82\\'a0\\'93\\'fa}", QStringLiteral("あ日")},
    TextCase{"Windows-1252 font", "{\\rtf1\\ansicpg936 " + kFonts + "\\f0 caf\\'e9 \\'80}", QStringLiteral("café €")},
    TextCase{"Cyrillic font", "{\\rtf1 " + kFonts + "\\f4 \\'cf\\'f0}", QStringLiteral("Пр")},
    TextCase{"a font without charset takes the document code page", "{\\rtf1\\ansicpg936 " + kFonts + "\\f5 \\'d6\\'d0}", QStringLiteral("中")},
    TextCase{"ignorable destinations are skipped", "{\\rtf1 a{\\*\\generator Word;}{\\*\\unknown {x}y}b}", "ab"},
    TextCase{"known destinations are skipped", "{\\rtf1 {\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}a{\\pict\\wmetafile8 0102}b}", "ab"},
    TextCase{"unknown words are ignored, their text kept", "{\\rtf1 \\foo12 a\\bar b}", "ab"},
    TextCase{"binary data is skipped", "{\\rtf1 a{\\*\\blob\\bin4 }{}\\}b}", "ab"},
    TextCase{"field results stay, instructions go", "{\\rtf1 {\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}}", "7"}),
    CaseName<::testing::TestParamInfo<TextCase>>);

TEST(RtfReader, CharacterFormatsAndColoursApplyAndEnd)
{
    QTextDocument doc;
    const QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset134 SimSun;}}"
                           "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                           "\\f0\\fs20 a\\b b\\b0\\i c\\i0\\ul d\\ulnone\\strike e\\strike0\\cf1 f\\cf0{\\f1\\fs30\\cf2 g}\\plain h"
                           "\\super s\\nosupersub\\sub t\\highlight2 u}";
    ASSERT_TRUE(RMReadRtf(rtf, doc).Ok);
    const auto runs = Describe(doc)[0].runs;
    ASSERT_GE(runs.size(), 8u);
    EXPECT_EQ(runs[0], (TextRun{"a", "Arial", 10, false, false, false, ""}));
    EXPECT_EQ(runs[1], (TextRun{"b", "Arial", 10, true, false, false, ""}));
    EXPECT_EQ(runs[2], (TextRun{"c", "Arial", 10, false, true, false, ""}));
    EXPECT_EQ(runs[3], (TextRun{"d", "Arial", 10, false, false, true, ""}));
    EXPECT_EQ(runs[5], (TextRun{"f", "Arial", 10, false, false, false, "#ff0000"}));
    EXPECT_EQ(runs[6], (TextRun{"g", "SimSun", 15, false, false, false, "#0000ff"}));
    // \plain goes back to the default font (\deff, here none) at 12 points.
    EXPECT_TRUE(runs[7].text.startsWith(QLatin1Char('h')));
    EXPECT_EQ(runs[7].points, 12);
    EXPECT_FALSE(runs[7].bold);

    QTextCursor c(&doc);
    auto at = [&](QChar ch) {
        const int pos = static_cast<int>(doc.toRawText().indexOf(ch));
        c.setPosition(pos + 1);
        return c.charFormat();
    };
    EXPECT_TRUE(at(QLatin1Char('e')).fontStrikeOut());
    EXPECT_EQ(at(QLatin1Char('s')).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(at(QLatin1Char('t')).verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_EQ(at(QLatin1Char('u')).background().color(), QColor(0, 0, 255));
    EXPECT_EQ(at(QLatin1Char('g')).intProperty(kRtfCharsetProperty), 134);
}

TEST(RtfReader, ParagraphFormatsInTwipsBecomeReportPixels)
{
    QTextDocument doc;
    ASSERT_TRUE(RMReadRtf("{\\rtf1\\pard\\qj\\li1440\\ri720\\fi-360\\sb150\\sa300\\sl-480 a\\par"
                          "\\pard\\sl360\\slmult1 b\\par\\pard\\sl300 c\\par}", doc).Ok);
    const QTextBlockFormat a = doc.begin().blockFormat();
    EXPECT_EQ(a.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_DOUBLE_EQ(a.leftMargin(), 96);
    EXPECT_DOUBLE_EQ(a.rightMargin(), 48);
    EXPECT_DOUBLE_EQ(a.textIndent(), -24);
    EXPECT_DOUBLE_EQ(a.topMargin(), 10);
    EXPECT_DOUBLE_EQ(a.bottomMargin(), 20);
    EXPECT_EQ(a.lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_DOUBLE_EQ(a.lineHeight(), 32);
    const QTextBlockFormat b = doc.begin().next().blockFormat();
    EXPECT_EQ(b.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_DOUBLE_EQ(b.lineHeight(), 150);
    EXPECT_EQ(b.leftMargin(), 0) << "\\pard resets the paragraph";
    const QTextBlockFormat c = doc.begin().next().next().blockFormat();
    EXPECT_EQ(c.lineHeightType(), QTextBlockFormat::MinimumHeight);
    EXPECT_DOUBLE_EQ(c.lineHeight(), 20);
}

// A fixture read, paragraph by paragraph; empty when it does not read cleanly.
std::vector<Paragraph> DescribeFixture(const char* name)
{
    QTextDocument doc;
    const TRMRtfReadResult r = RMReadRtf(Fixture(name), doc);
    EXPECT_TRUE(r.Ok) << name << ": " << r.Error.toStdString();
    return r.Ok ? Describe(doc) : std::vector<Paragraph>{};
}

// LibreOffice Writer's RTF of an HTML caption (data/README.md): CJK text in "SimSun"
// through the associated double-byte font, Latin fonts, sizes, styles and colours.
TEST(RtfReader, LibreOfficeCaptionKeepsCharactersAndFormats)
{
    const auto paras = DescribeFixture("lo_caption.rtf");
    ASSERT_EQ(paras.size(), 3u);
    EXPECT_EQ(paras[0].align, Qt::AlignHCenter);
    EXPECT_EQ(paras[0].runs, (std::vector<TextRun>{{QStringLiteral("支付方式档案"), "SimSun", 24, true, false, false, ""}}));
    EXPECT_EQ(paras[1].align, Qt::AlignRight);
    EXPECT_EQ(paras[1].runs, (std::vector<TextRun>{
        {"Page", "Arial", 12, false, true, false, ""},
        {" ", "Arial", 12, false, false, false, ""},
        {"underlined", "Arial", 12, false, false, true, ""},
        {" ", "Arial", 12, false, false, false, ""},
        {"red", "Arial", 12, false, false, false, "#ff0000"},
        {" ", "Arial", 12, false, false, false, ""},
        {QStringLiteral("蓝色"), "Arial", 12, false, false, false, "#0000ff"}}));
    EXPECT_EQ(paras[2].align, Qt::AlignLeft);
    ASSERT_GE(paras[2].runs.size(), 2u);
    EXPECT_EQ(paras[2].runs[0], (TextRun{QStringLiteral("first line\u2028second line"), "Times New Roman", 10, false, false, false, ""}));
    EXPECT_EQ(paras[2].runs.back(), (TextRun{QStringLiteral("宋体文字"), "SimSun", 10, false, false, false, ""}));
}

// LibreOffice's re-save of a rich-edit caption: it names the CJK fonts in Shift-JIS
// (charset 128) and writes "第" as \u with a two-byte fallback.
TEST(RtfReader, LibreOfficeResaveOfARichEditCaption)
{
    const auto paras = DescribeFixture("lo_gbk_caption.rtf");
    ASSERT_EQ(paras.size(), 2u);
    EXPECT_EQ(paras[0].align, Qt::AlignHCenter);
    EXPECT_EQ(paras[0].runs, (std::vector<TextRun>{
        {QStringLiteral("支付方式"), kHei, 22, false, false, false, "#000000"},
        {"[Page#]", kHei, 22, true, false, false, "#000000"}}));
    EXPECT_EQ(paras[1].align, Qt::AlignRight);
    EXPECT_EQ(paras[1].runs, (std::vector<TextRun>{
        {QStringLiteral("第"), kSong, 9, false, false, false, "#ff0000"},
        {QStringLiteral("Latin"), "Arial", 9, false, true, false, "#ff0000"},
        {QStringLiteral("\u2028next"), "Arial", 9, false, false, false, "#ff0000"}}));
}

struct BadCase {
    const char* name;
    QByteArray rtf;
    QString partial; // what is left readable
};

class RtfReaderDamage : public ::testing::TestWithParam<BadCase> {};

TEST_P(RtfReaderDamage, GivesAnErrorAndThePartRead)
{
    QTextDocument doc;
    const TRMRtfReadResult r = RMReadRtf(GetParam().rtf, doc);
    EXPECT_FALSE(r.Ok);
    EXPECT_FALSE(r.Error.isEmpty());
    EXPECT_EQ(Shown(doc), GetParam().partial);
}

INSTANTIATE_TEST_SUITE_P(Cases, RtfReaderDamage, ::testing::Values(
    BadCase{"empty", "", ""},
    BadCase{"plain text", "hello", ""},
    BadCase{"binary", QByteArray("\0\1\2\xff\xfe", 5), ""},
    BadCase{"truncated", "{\\rtf1 abc\\par de", "abc|de"},
    BadCase{"truncated control word", "{\\rtf1 abc\\", "abc"},
    BadCase{"truncated hex", "{\\rtf1 abc\\'", "abc"},
    BadCase{"unclosed groups", "{\\rtf1 a{\\b b{\\i c", "abc"},
    BadCase{"an extra closing brace", "{\\rtf1 a}}b", "a"},
    BadCase{"a closing brace first", "}{\\rtf1 a}", ""},
    BadCase{"nesting too deep", "{\\rtf1 a" + QByteArray(10000, '{') + "b", "a"}),
    CaseName<::testing::TestParamInfo<BadCase>>);

TEST(RtfReader, HugeParametersAreClamped)
{
    QTextDocument doc;
    ASSERT_TRUE(RMReadRtf("{\\rtf1\\fs99999999999999999999 a\\li-99999999999 b\\f-2147483648 c"
                          "\\u99999999999?d\\u-2147483648?e\\bin-5 f}", doc).Ok);
    EXPECT_EQ(Shown(doc), "abcdef");
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    EXPECT_EQ(c.charFormat().fontPointSize(), 1638);
    EXPECT_EQ(doc.begin().blockFormat().leftMargin(), -31680 / 15.0);

    // Two points at least: Qt shows super- and subscript smaller, in whole points.
    ASSERT_TRUE(RMReadRtf("{\\rtf1\\fs1\\super a}", doc).Ok);
    c = QTextCursor(&doc);
    c.movePosition(QTextCursor::End);
    EXPECT_EQ(c.charFormat().fontPointSize(), 2);

    // At most 16 fallback characters are skipped.
    ASSERT_TRUE(RMReadRtf("{\\rtf1\\uc99999999 \\u20013" + QByteArray(20, '?') + "}", doc).Ok);
    EXPECT_EQ(Shown(doc), QStringLiteral("中????"));
}

TEST(RtfReader, EveryPrefixOfACaptionReadsWithoutFault)
{
    // A cut anywhere: the reader says so and keeps what came before.
    for (int n = 0; n < kColumnFooter.size(); ++n) {
        QTextDocument doc;
        const TRMRtfReadResult r = RMReadRtf(kColumnFooter.left(n), doc);
        EXPECT_FALSE(r.Ok) << n;
        EXPECT_LE(doc.characterCount(), 200) << n;
    }
}

TEST(RtfReader, RandomBytesInsideADocumentNeverFault)
{
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        QByteArray rtf = kColumnFooter;
        const int edits = 1 + static_cast<int>(random() % 20);
        for (int k = 0; k < edits; ++k)
            rtf[static_cast<qsizetype>(random() % rtf.size())] = static_cast<char>(random() % 256);
        QTextDocument doc;
        RMReadRtf(rtf, doc);
        EXPECT_LE(doc.characterCount(), rtf.size() + 1) << round;
    }
}

TEST(RtfReader, KeptFuzzInputsReadWithoutFault)
{
    const QDir dir(QStringLiteral(PQ_RICH_TEST_DATA "/fuzz"));
    for (const QString& name : dir.entryList(QDir::Files)) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = f.readAll();
        QTextDocument doc;
        RMReadRtf(bytes, doc);
        EXPECT_LE(doc.characterCount(), bytes.size() + 1) << name.toStdString();
    }
}

} // namespace
} // namespace pq::test
