// The RTF writer: what it writes reads back to the same document, here and in a word
// processor, with each font's character set and text outside it kept.
#include "report/engine/rich/rtf_reader.h"
#include "report/engine/rich/rtf_writer.h"

#include "tests/report/engine/rich/rich_test_support.h"

#include <gtest/gtest.h>

#include <QTextCursor>
#include <QTextDocument>

namespace pq::test {
namespace {

struct Para {
    Qt::Alignment align;
    double left, right, indent, top, bottom, lineHeight;
    int lineHeightType;
    bool operator==(const Para&) const = default;
};

std::vector<Para> ParagraphFormats(const QTextDocument& doc)
{
    std::vector<Para> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat f = b.blockFormat();
        out.push_back({f.alignment() & Qt::AlignHorizontal_Mask, f.leftMargin(), f.rightMargin(), f.textIndent(),
            f.topMargin(), f.bottomMargin(), f.lineHeight(), f.lineHeightType()});
    }
    return out;
}

std::vector<int> Charsets(const QTextDocument& doc)
{
    std::vector<int> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            out.push_back(it.fragment().charFormat().intProperty(kRtfCharsetProperty));
    return out;
}

// The same characters in the same runs and alignments.
void ExpectSameText(const QTextDocument& a, const QTextDocument& b)
{
    EXPECT_EQ(Shown(a), Shown(b));
    const auto da = Describe(a), db = Describe(b);
    ASSERT_EQ(da.size(), db.size());
    for (size_t i = 0; i < da.size(); ++i) {
        EXPECT_EQ(da[i].align, db[i].align) << i;
        EXPECT_EQ(da[i].runs, db[i].runs) << i;
    }
}

// ... and the same paragraph formats and character sets.
void ExpectSame(const QTextDocument& a, const QTextDocument& b)
{
    ExpectSameText(a, b);
    EXPECT_EQ(ParagraphFormats(a), ParagraphFormats(b));
    EXPECT_EQ(Charsets(a), Charsets(b));
}

class RtfRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RtfRoundTrip, ReadWriteReadGivesTheSameDocument)
{
    QTextDocument first;
    ASSERT_TRUE(RMReadRtf(Fixture(GetParam()), first).Ok);
    const QByteArray written = RMWriteRtf(first);
    for (char c : written)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "the writer writes 7-bit RTF";
    QTextDocument second;
    const TRMRtfReadResult r = RMReadRtf(written, second);
    ASSERT_TRUE(r.Ok) << r.Error.toStdString();
    ExpectSame(first, second);
    EXPECT_EQ(RMWriteRtf(second), written) << "writing is stable";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RtfRoundTrip,
    ::testing::Values("lo_caption.rtf", "lo_gbk_caption.rtf", "lo_gbk_caption_source.rtf", "formats.rtf"));

TEST(RtfWriter, TextIsWrittenInItsFontsCodePageAndTheRestAsUnicode)
{
    QTextDocument doc;
    ASSERT_TRUE(RMReadRtf("{\\rtf1{\\fonttbl{\\f0\\fcharset134 SimSun;}{\\f1\\fcharset136 MingLiU;}"
                          "{\\f2\\fcharset128 MS Mincho;}{\\f3\\fcharset0 Arial;}}"
                          "\\f0 \\u20013?\\u54620?\\u-10179?\\u-8704?\\f1 \\u20013?\\f2 \\u12354?\\f3 caf\\u233?}", doc).Ok);
    ASSERT_EQ(Shown(doc), QStringLiteral("中한😀中あcafé"));
    const QByteArray rtf = RMWriteRtf(doc);
    // GBK bytes for the Chinese font, \u for what GBK lacks (a surrogate pair for the
    // emoji), Big5, Shift-JIS and Windows-1252 bytes for the others.
    EXPECT_TRUE(rtf.contains("\\'d6\\'d0\\u-10916?\\u-10179?\\u-8704?")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\'a4\\'a4")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\'82\\'a0")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("caf\\'e9")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\fcharset136 MingLiU;")) << rtf.toStdString();
    QTextDocument back;
    ASSERT_TRUE(RMReadRtf(rtf, back).Ok);
    ExpectSame(doc, back);
}

TEST(RtfWriter, SpecialCharactersAndEscapesRoundTrip)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("a\\b{c}\td\u2028e\u00A0f\u00ADg\u2011h\u2014\u2013\u2022\u2018\u2019\u201C\u201D"));
    c.insertBlock();
    c.insertText(QStringLiteral("中文"));
    QTextDocument back;
    ASSERT_TRUE(RMReadRtf(RMWriteRtf(doc), back).Ok);
    EXPECT_EQ(back.toRawText(), doc.toRawText());
}

TEST(RtfWriter, AnEmptyDocumentIsOneEmptyParagraphWithItsFont)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat f;
    f.setFontPointSize(9);
    c.setBlockCharFormat(f);
    QTextDocument back;
    ASSERT_TRUE(RMReadRtf(RMWriteRtf(doc), back).Ok);
    EXPECT_EQ(back.blockCount(), 1);
    EXPECT_EQ(back.characterCount(), 1);
    EXPECT_EQ(back.begin().charFormat().fontPointSize(), 9);
}

// Our RTF of formats.rtf as LibreOffice Writer saved it again (data/README.md): the word
// processor read every format we wrote.
TEST(RtfWriter, LibreOfficeReadsWhatWeWrite)
{
    QTextDocument ours, theirs;
    ASSERT_TRUE(RMReadRtf(Fixture("formats.rtf"), ours).Ok);
    const TRMRtfReadResult r = RMReadRtf(Fixture("lo_resave_of_formats.rtf"), theirs);
    ASSERT_TRUE(r.Ok) << r.Error.toStdString();
    ExpectSameText(ours, theirs);
}

} // namespace
} // namespace pq::test
