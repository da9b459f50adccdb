// Sub-reports: a page printed in place of a view inside a band of another page, its list
// continuing over page breaks, the outer bands going on below it.
#include "prepare_test_support.h"

#include <gtest/gtest.h>

namespace pq::test {
namespace {

// Page 1: a page header, two master rows each holding a sub-report, a footer. Page 2: the
// sub-report's list of 20 named rows.
struct SubReportList : ReportFixture {
    TRMMemoView* head;
    TRMMemoView* master;
    TRMMemoView* end;
    TRMMemoView* inner;
    TRMBandView* innerBand;

    SubReportList()
    {
        QList<QStringList> rows;
        for (int i = 1; i <= 20; ++i)
            rows << QStringList{QStringLiteral("n%1").arg(i)};
        Data(QStringLiteral("cdsinner"), {QStringLiteral("name")}, rows);
        Band(btPageHeader, 0, 40);
        head = Memo(0, 40, QStringLiteral("PH"), 0, 200);
        Band(btMasterData, 100, 100, QStringLiteral("2"));
        master = Memo(100, 30, QStringLiteral("M[Line#]"), 0, 90);
        SubReport(100, 140, 400, 50, 1);
        Band(btMasterFooter, 300, 30);
        end = Memo(300, 30, QStringLiteral("End"), 0, 200);

        TRMPage* sub = AddPage();
        innerBand = Band(btMasterData, 0, 30, QStringLiteral("cdsinner"), sub);
        inner = Memo(0, 30, QStringLiteral("S[name]"), 10, 200, sub);
    }
};

QStringList Names(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QStringLiteral("Sn%1").arg(i);
    return out;
}

class SubReports : public ::testing::TestWithParam<bool> {};

TEST_P(SubReports, ListPrintsAtTheViewAndContinuesOnTheNextPage)
{
    SubReportList r;
    r.report.DoublePass = GetParam();
    // The filter does not reach the bands of a sub-report.
    int filtered = 0;
    r.report.OnBeforePrintBand = [&](TRMBand* b, bool& print) {
        if (b->View == r.innerBand) {
            ++filtered;
            print = false;
        }
    };
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    r.DrawPages(QStringLiteral("subreport"));
    EXPECT_EQ(filtered, 0);
    // The sub-report's page is no page of its own.
    ASSERT_EQ(r.PageCount(), 2);

    // Page 1: header 0-40; M1 at 40, its list from 80 (the view's top in the band), 20 rows
    // to 680; M2 there, its list from 720: 8 rows fit.
    EXPECT_EQ(r.Texts(0, r.inner->Name), Names(1, 20) + Names(1, 8));
    const auto rows = r.Views(0, r.inner->Name);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(rows[i].top, 80 + 30 * i) << "row " << i + 1;
        EXPECT_EQ(rows[i].left, 110) << "row " << i + 1;
    }
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(rows[20 + i].top, 720 + 30 * i) << "second list, row " << i + 1;
    const auto masters = r.Views(0, r.master->Name);
    ASSERT_EQ(masters.size(), 2u);
    EXPECT_EQ(masters[0].top, 40);
    EXPECT_EQ(masters[1].top, 680);

    // Page 2: the outer page header, then the rest of the list at the top, then the footer.
    EXPECT_EQ(r.Texts(1, r.head->Name), QStringList{QStringLiteral("PH")});
    EXPECT_EQ(r.Texts(1, r.inner->Name), Names(9, 20));
    const auto rest = r.Views(1, r.inner->Name);
    EXPECT_EQ(rest.front().top, 40);
    EXPECT_EQ(rest.front().left, 110);
    const auto end = r.Views(1, r.end->Name);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].top, 40 + 12 * 30);
    EXPECT_EQ(end[0].left, 0);
}

INSTANTIATE_TEST_SUITE_P(Passes, SubReports, ::testing::Values(false, true));

TEST(SubReport, TheColumnFooterOfABreakGoesBelowTheSubReport)
{
    SubReportList r;
    r.Band(btColumnFooter, 400, 20);
    TRMMemoView* cf = r.Memo(400, 20, QStringLiteral("CF"), 0, 200);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), 2);
    // The footer's 20 pixels stay free: the second list takes 7 rows on page 1 (720-930).
    EXPECT_EQ(r.Texts(0, r.inner->Name), Names(1, 20) + Names(1, 7));
    const auto footers = r.Views(0, cf->Name);
    ASSERT_EQ(footers.size(), 1u);
    EXPECT_EQ(footers[0].top, 930);
    EXPECT_EQ(footers[0].left, 0);
}

TEST(SubReport, ShorterThanItsBandLeavesTheBandItsHeight)
{
    SubReportList r;
    r.Data(QStringLiteral("cdsfew"), {QStringLiteral("name")}, {{QStringLiteral("a")}});
    r.innerBand->SetDataSource(QStringLiteral("cdsfew"));
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), 1);
    const auto masters = r.Views(0, r.master->Name);
    ASSERT_EQ(masters.size(), 2u);
    EXPECT_EQ(masters[1].top, 140);
    EXPECT_EQ(r.Views(0, r.end->Name)[0].top, 240);
}

TEST(SubReport, ASubReportPrintingItselfStops)
{
    ReportFixture r;
    r.Band(btMasterData, 0, 100, QStringLiteral("1"));
    TRMMemoView* outer = r.Memo(0, 20, QStringLiteral("O"), 0, 100);
    r.SubReport(0, 30, 300, 20, 1);
    // Page 2 prints page 3 inside, which names page 2 again.
    TRMPage* p2 = r.AddPage();
    r.Band(btMasterData, 0, 60, QStringLiteral("1"), p2);
    TRMMemoView* a = r.Memo(0, 20, QStringLiteral("A"), 0, 100, p2);
    r.SubReport(0, 30, 300, 20, 2, p2);
    TRMPage* p3 = r.AddPage();
    r.Band(btMasterData, 0, 60, QStringLiteral("1"), p3);
    TRMMemoView* b = r.Memo(0, 20, QStringLiteral("B"), 0, 100, p3);
    r.SubReport(0, 30, 300, 20, 1, p3);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), 1);
    EXPECT_EQ(r.Views(0, outer->Name)[0].top, 0);
    ASSERT_EQ(r.Views(0, a->Name).size(), 1u);
    EXPECT_EQ(r.Views(0, a->Name)[0].top, 30);
    ASSERT_EQ(r.Views(0, b->Name).size(), 1u);
    EXPECT_EQ(r.Views(0, b->Name)[0].top, 60);
}

} // namespace
} // namespace pq::test
