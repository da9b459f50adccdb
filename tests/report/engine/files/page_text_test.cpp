// The text outputs of a prepared page: what the preview's search reads.
#include "report/engine/files/rm_page_text.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_report.h"
#include "report/engine/startup/rm_engine_startup.h"
#include "report/engine/rm_engine_services.h"
#include "report/tools/sample_report.h"

#include <gtest/gtest.h>

#include <optional>

namespace pq {
namespace {

class PageTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TRMEngineServices::Started())
            engine.emplace(TRMEngineOptions::Headless());
        RMBuildSamplePreparedPages(report);
    }
    static std::string Show(const QRect& r)
    {
        return QStringLiteral("(%1, %2, %3 x %4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
    }
    // The record of that text (the last, when several show it).
    const TRMTextRecord* Find(const std::vector<TRMTextRecord>& records, const QString& text)
    {
        const TRMTextRecord* found = nullptr;
        for (const TRMTextRecord& r : records)
            if (r.Text == text)
                found = &r;
        return found;
    }

    std::optional<TRMEngineStartup> engine;
    TRMReport report;
};

TEST_F(PageTextTest, EveryTextOutputKeepsItsOrderAndItsBoundsInPagePixels)
{
    TRMEMFPages& pages = RMPreparedPages(report);
    const std::vector<TRMTextRecord> records = RMPageTextRecords(pages, 0);
    ASSERT_FALSE(records.empty());
    for (size_t k = 1; k < records.size(); ++k)
        EXPECT_GT(records[k].Index, records[k - 1].Index) << "in the order of output";
    struct Case {
        const char* text;
        QRect view; // the view that shows it, page pixels
    } cases[] = {
        {"支付方式档案 — 第1页", QRect(57, 70, 680, 40)},
        {"银行转账", QRect(177, 200, 300, 30)},
        {"Page 1 of 2", QRect(57, 1040, 680, 24)},
    };
    for (const Case& c : cases) {
        const TRMTextRecord* r = Find(records, QString::fromUtf8(c.text));
        ASSERT_NE(r, nullptr) << c.text;
        EXPECT_EQ(r->Text, QString::fromUtf8(c.text));
        EXPECT_TRUE(c.view.adjusted(-1, -1, 1, 1).contains(r->Bounds)) << c.text << " at " << Show(r->Bounds);
        EXPECT_GT(r->Bounds.width(), 10) << c.text;
        EXPECT_GT(r->Bounds.height(), 5) << c.text;
    }
}

TEST_F(PageTextTest, RichTextLinesAreTextOutputsOfTheirOwn)
{
    const std::vector<TRMTextRecord> records = RMPageTextRecords(RMPreparedPages(report), 1);
    const QRect rich(57, 350, 680, 80);
    // Its lines come between the memos' texts; the footer memo repeats "Page 2 of 2" later.
    for (const char* line : {"支付方式档案", "操作员: 管理员"}) {
        const TRMTextRecord* r = Find(records, QString::fromUtf8(line));
        ASSERT_NE(r, nullptr) << line;
        EXPECT_TRUE(rich.contains(r->Bounds)) << line << " at " << Show(r->Bounds);
    }
    int pageLines = 0;
    for (const TRMTextRecord& r : records)
        pageLines += r.Text == "Page 2 of 2" && rich.contains(r.Bounds);
    EXPECT_EQ(pageLines, 1) << "the caption's second line, its page number expanded";
}

TEST_F(PageTextTest, APageNotShownIsReleasedAgainAndAShownOneKeepsItsObjects)
{
    TRMEMFPages& pages = RMPreparedPages(report);
    pages.Page(0)->Visible = false;
    pages.FreePage(0);
    EXPECT_FALSE(RMPageTextRecords(pages, 0).empty());
    EXPECT_FALSE(pages.Page(0)->Visible);
    EXPECT_EQ(pages.Page(0)->Page, nullptr);

    pages.Page(1)->Visible = true;
    EXPECT_FALSE(RMPageTextRecords(pages, 1).empty());
    EXPECT_TRUE(pages.Page(1)->Visible);
    EXPECT_NE(pages.Page(1)->Page, nullptr);

    EXPECT_TRUE(RMPageTextRecords(pages, 7).empty()) << "no such page";
}

} // namespace
} // namespace pq
