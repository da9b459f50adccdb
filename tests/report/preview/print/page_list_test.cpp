// The page list as typed into the print dialog.
#include "report/preview/print/rm_page_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace pq {
namespace {

TEST(PageList, TypedListsGiveTheirPages)
{
    struct Case {
        const char* text;
        int pageCount;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {"", 4, {1, 2, 3, 4}},
        {"   ", 3, {1, 2, 3}},
        {"1,3,5-12", 20, {1, 3, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"3-1", 5, {}},
        {"7-", 10, {7, 8, 9, 10}},
        {"2 , 4", 5, {2, 4}},
        {" 1 - 3 ", 5, {1, 2, 3}},
        {"4,2,2,4", 5, {2, 4}},           // order and repeats do not matter
        {"0,6,99", 5, {}},                // no such pages
        {"1-2000000000", 3, {1, 2, 3}},   // cut at the page count
        {"2000000000-2000000001", 3, {}},
        {"5-", 3, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TRMPageList list = TRMPageList::Parse(QString::fromUtf8(c.text), c.pageCount);
        EXPECT_EQ(list.Pages(c.pageCount), c.pages);
    }
}

TEST(PageList, TokensThatAreNoNumbersAreRefusedBeforeAnythingPrints)
{
    struct Case {
        const char* text;
        const char* token;
    };
    const Case cases[] = {
        {"1,,2", ""},
        {"5--6", ""},
        {"-3", ""},
        {",", ""},
        {"-", ""},          // "-" runs to the last page from an empty start
        {"2-3,", ""},       // a trailing comma leaves an empty last token
        {"1a", "1a"},
        {"99999999999", "99999999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            TRMPageList::Parse(QString::fromUtf8(c.text), 10);
            ADD_FAILURE() << "accepted";
        } catch (const TRMPageListError& e) {
            EXPECT_EQ(e.Token(), QString::fromUtf8(c.token));
            EXPECT_TRUE(e.Message().contains(QStringLiteral("'%1'").arg(QString::fromUtf8(c.token))));
        }
    }
}

TEST(PageList, EmptyListMeansAllAndMembershipIsByPageNumber)
{
    const TRMPageList all = TRMPageList::Parse(QString(), 3);
    EXPECT_TRUE(all.All());
    EXPECT_TRUE(all.Contains(3));
    EXPECT_FALSE(all.Contains(0));
    const TRMPageList some = TRMPageList::Parse(QStringLiteral("2"), 3);
    EXPECT_FALSE(some.All());
    EXPECT_TRUE(some.Contains(2));
    EXPECT_FALSE(some.Contains(1));
    EXPECT_FALSE(some.Contains(4));
}

} // namespace
} // namespace pq
