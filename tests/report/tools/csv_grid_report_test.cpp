// A CSV table as a grid report, in process: the grid it lays out and the pages it prepares.
#include "report/tools/csv_grid_report.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_rich_view.h"
#include "report/engine/rich/rtf_reader.h"
#include "report/gridreport/rm_grid_report.h"
#include "tests/report/tools/tool_engine_test.h"
#include "widgets/db_grid_mt.h"

#include <QTextDocument>

#include <gtest/gtest.h>


namespace pq {
namespace {

class CsvGridReport : public test::ToolEngineTest {
protected:
    static QStringList Printed(TRMEMFPages& pages, int page)
    {
        QStringList out;
        pages.ExportPage(page, [&](TRMView& v) {
            if (auto* m = dynamic_cast<TRMMemoView*>(&v)) {
                out << m->Memo1.join(QString());
            } else if (auto* rich = dynamic_cast<TRMRichView*>(&v)) {
                QTextDocument doc;
                RMReadRtf(rich->Rtf(), doc);
                out << doc.toPlainText().split(QLatin1Char('\n'));
            }
        });
        return out;
    }
};

TEST_F(CsvGridReport, ATablePrintsWithSpanningTitlesOnEveryPage)
{
    QByteArray csv = "code,name,money|in,money|out\n";
    for (int i = 1; i <= 80; ++i)
        csv += QStringLiteral("%1,name %1,%2.50,%1\n").arg(i).arg(i * 10).toUtf8();
    TRMCsvGridReport table;
    QStringList warnings;
    TRMCsvGridOptions options;
    options.Title = QStringLiteral("Title");
    TRMReport& report = table.Prepare(csv, QStringLiteral("t.csv"), options, warnings);
    EXPECT_TRUE(warnings.isEmpty());
    ASSERT_EQ(table.Grid()->ColumnCount(), 4);
    EXPECT_EQ(table.Grid()->Column(2).Alignment, taRightJustify) << "numbers to the right";
    EXPECT_EQ(table.Grid()->Column(1).Alignment, taLeftJustify);
    TRMEMFPages& pages = RMPreparedPages(report);
    ASSERT_GE(pages.Count(), 2);
    for (int p = 0; p < pages.Count(); ++p) {
        const QStringList printed = Printed(pages, p);
        EXPECT_TRUE(printed.contains("money")) << "page " << p + 1;
        EXPECT_TRUE(printed.contains(QStringLiteral("第%1页/共%2页").arg(p + 1).arg(pages.Count()))) << "page " << p + 1;
    }
    const QStringList first = Printed(pages, 0);
    EXPECT_TRUE(first.contains("Title"));
    EXPECT_TRUE(first.contains("name 1"));
    EXPECT_TRUE(Printed(pages, pages.Count() - 1).contains("name 80"));
}

} // namespace
} // namespace pq
