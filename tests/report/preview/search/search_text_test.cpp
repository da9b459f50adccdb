// The text test of the preview's search, as a table.
#include "report/preview/search/rm_search_text.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

struct TextCase {
    const char* text;
    const char* searched;
    bool caseSensitive;
    bool wholeWords;
    bool matches;
};

class SearchTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(SearchTextTest, Matches)
{
    const TextCase& c = GetParam();
    const QString searched = RMSearchFold(QString::fromUtf8(c.searched), c.caseSensitive);
    EXPECT_EQ(RMSearchMatches(RMSearchFold(QString::fromUtf8(c.text), c.caseSensitive), searched, c.wholeWords),
        c.matches)
        << c.text << " / " << c.searched;
}

INSTANTIATE_TEST_SUITE_P(Cases, SearchTextTest,
    ::testing::Values(
        // case
        TextCase{"ABC", "abc", false, false, true}, TextCase{"xaBcx", "abc", false, false, true},
        TextCase{"ABC", "abc", true, false, false}, TextCase{"abc", "abc", true, false, true},
        TextCase{"支付方式", "方式", false, false, true}, TextCase{"支付方式", "方法", false, false, false},
        // whole words: what may follow
        TextCase{"12 apples", "12", false, true, true}, TextCase{"12-3", "12", false, true, true},
        TextCase{"no 12", "12", false, true, true}, TextCase{"123", "12", false, true, false},
        TextCase{"12\r\n", "12", false, true, true}, TextCase{"12元", "12", false, true, true},
        TextCase{"12x", "12", false, true, false},
        // the search goes on after an occurrence that is not a word
        TextCase{"123 12", "12", false, true, true}, TextCase{"1212", "12", false, true, true},
        TextCase{"121x", "12", false, true, false},
        // what stands before is not looked at
        TextCase{"a12 b", "12", false, true, true},
        // whole words, not case-sensitive
        TextCase{"Total ABC", "abc", false, true, true},
        // an empty text is found nowhere
        TextCase{"abc", "", false, false, false}, TextCase{"", "", false, true, false}));

} // namespace
} // namespace pq
