// The cross column plan as arithmetic: which columns each forming of a page prints.
#include "report/engine/prepare/rm_cross_plan.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pq;

namespace {

// Every row of a forming offers columns 1..n of the given widths, then a footer strip, into
// the room left after the row header; returns the items printed on each forming (the footer
// as n + 1), formings continuing while the plan asks for more.
std::vector<std::vector<int>> Formings(const std::vector<int>& widths, int footer, int room, int rows = 3)
{
    TRMCrossPlan plan;
    std::vector<std::vector<int>> formings;
    const int n = static_cast<int>(widths.size());
    for (int forming = 0; forming < 50; ++forming) {
        std::vector<int> printed;
        for (int row = 0; row < rows; ++row) {
            std::vector<int> items;
            int x = 0;
            bool stopped = false;
            for (int col = 1; col <= n; ++col) {
                if (col < plan.From() || stopped)
                    continue;
                const int w = widths[static_cast<size_t>(col - 1)];
                const bool crowds = col == n && footer > 0 && x + w + footer > room;
                if (plan.TakeColumn(col, x + w <= room, crowds)) {
                    items.push_back(col);
                    x += w;
                } else {
                    stopped = true;
                }
            }
            if (footer > 0 && !stopped && n + 1 >= plan.From() && plan.Take(n + 1, x + footer <= room))
                items.push_back(n + 1);
            if (row == 0)
                printed = items;
            else
                EXPECT_EQ(items, printed) << "every row of a forming prints the same columns";
        }
        formings.push_back(printed);
        if (!plan.NextForming())
            break;
    }
    return formings;
}

using F = std::vector<std::vector<int>>;

} // namespace

TEST(CrossPlan, ColumnsThatDoNotFitGoToTheNextForming)
{
    struct Case {
        const char* name;
        std::vector<int> widths;
        int footer;
        int room;
        F expected;
    };
    const Case cases[] = {
        {"all fit with the footer", {50, 50, 50}, 40, 200, {{1, 2, 3, 4}}},
        {"two formings", {60, 60, 60, 60}, 0, 130, {{1, 2}, {3, 4}}},
        {"the last column waits for the footer", {50, 50, 50}, 60, 160, {{1, 2}, {3, 4}}},
        {"a footer that fits nowhere after a column gets a forming of its own", {100}, 150, 120, {{1}, {2}}},
        {"a column wider than the room still prints, alone", {300, 50}, 0, 100, {{1}, {2}}},
        {"no columns: only the footer", {}, 30, 100, {{1}}},
        {"nothing fits at all: one item a forming", {200, 200}, 200, 100, {{1}, {2}, {3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Formings(c.widths, c.footer, c.room), c.expected);
    }
}

TEST(CrossPlan, EveryFormingMakesProgressAndTheLastOneSaysSo)
{
    TRMCrossPlan plan;
    EXPECT_EQ(plan.From(), 1);
    EXPECT_TRUE(plan.Take(1, false)) << "the first item of a forming always prints";
    EXPECT_FALSE(plan.Take(2, false));
    EXPECT_FALSE(plan.Take(3, true)) << "after an item that did not fit, the forming is closed";
    EXPECT_TRUE(plan.Take(1, false)) << "what an earlier row took prints in every row";
    EXPECT_TRUE(plan.More());
    EXPECT_TRUE(plan.NextForming());
    EXPECT_EQ(plan.From(), 2);
    EXPECT_TRUE(plan.Take(2, true));
    EXPECT_TRUE(plan.Take(3, true));
    EXPECT_FALSE(plan.NextForming()) << "nothing was left over";
}
