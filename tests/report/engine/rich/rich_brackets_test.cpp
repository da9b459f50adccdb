// Brackets inside formatted text: each value takes the format of its bracket.
#include "report/engine/rich/rich_brackets.h"
#include "report/engine/rich/rtf_reader.h"

#include "tests/report/engine/rich/rich_test_support.h"

#include <gtest/gtest.h>

#include <QTextDocument>

namespace pq::test {
namespace {

QString Value(const QString& bracket)
{
    if (bracket == QLatin1String("[Page#]"))
        return QStringLiteral("12");
    if (bracket == QLatin1String("[Lines]"))
        return QStringLiteral("a\r\nb");
    if (bracket == QLatin1String("[Self]"))
        return QStringLiteral("[Page#]");
    if (bracket == QLatin1String("[Name[1]]"))
        return QStringLiteral("nested");
    return QString(); // nothing by that name
}

TEST(RichBrackets, AValueTakesTheFormatOfItsBracket)
{
    QTextDocument doc;
    ASSERT_TRUE(RMReadRtf("{\\rtf1\\b Page [Page#] of\\b0  [Page#]}", doc).Ok);
    RMRichExpandBrackets(doc, Value);
    const auto runs = Describe(doc)[0].runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, "Page 12 of");
    EXPECT_TRUE(runs[0].bold);
    EXPECT_EQ(runs[1].text, " 12");
    EXPECT_FALSE(runs[1].bold);
}

struct Case {
    QByteArray rtf;
    QString shown;
};

class RichBracketCases : public ::testing::TestWithParam<Case> {};

TEST_P(RichBracketCases, Expand)
{
    QTextDocument doc;
    ASSERT_TRUE(RMReadRtf(GetParam().rtf, doc).Ok);
    RMRichExpandBrackets(doc, Value);
    EXPECT_EQ(Shown(doc), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, RichBracketCases, ::testing::Values(
    Case{"{\\rtf1 a[Nothing]b}", "ab"},
    Case{"{\\rtf1 [Self]!}", "[Page#]!"},
    Case{"{\\rtf1 x[Lines]y\\par z}", "xa/by|z"},
    Case{"{\\rtf1 [Name[1]] [Page#]}", "nested 12"},
    Case{"{\\rtf1 \\\\[Page#]}", "\\12"},
    Case{"{\\rtf1 [Page#] [open}", "12 [open"},
    Case{"{\\rtf1 ['a]'] [Page#]}", " 12"}));

} // namespace
} // namespace pq::test
