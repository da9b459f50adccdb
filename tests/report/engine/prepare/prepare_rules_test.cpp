// Rules of preparation that real reports rely on, each checked on a report prepared as a
// program prepares it: followers merge only with their master, repeats are compared across
// a new run of the data only where cells merge, page events get page indices and skip a first
// page without its footer, hooked views hear of printed memos, background pictures follow
// their design page, totals are numbers, and composite reports concatenate.
#include "prepare_test_support.h"

#include "report/engine/files/rm_report_file.h"

#include "base/scope_guard.h"

#include <QImage>

#include <gtest/gtest.h>

namespace pq::test {
namespace {

// ---- merged cells ----

TEST(PrepareRules, AFollowerMergesOnlyWhileItsMasterMerges)
{
    ReportFixture r;
    // The group column changes after two rows; the value column never does.
    r.Data(QStringLiteral("cds"), {QStringLiteral("g"), QStringLiteral("v")},
        {{QStringLiteral("A"), QStringLiteral("x")}, {QStringLiteral("A"), QStringLiteral("x")},
            {QStringLiteral("B"), QStringLiteral("x")}, {QStringLiteral("B"), QStringLiteral("x")}});
    r.Band(btMasterData, 0, 30, QStringLiteral("cds"));
    TRMMemoView* master = r.Memo(0, 30, QStringLiteral("[g]"));
    TRMMemoView* follower = r.Memo(0, 30, QStringLiteral("[v]"), 300, 200);
    for (TRMMemoView* m : {master, follower}) {
        m->SetFlag(flMemoSuppress, true);
        m->SetFlag(flMemoMergeRepeated, true);
    }
    follower->MasterMemoView = master->Name;
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    const auto cells = r.Views(0, follower->Name);
    ASSERT_EQ(cells.size(), 2u) << "the follower's cell ends where its master's does";
    EXPECT_EQ(cells[0].top, 0);
    EXPECT_EQ(cells[0].height, 60);
    EXPECT_EQ(cells[1].top, 60);
    EXPECT_EQ(cells[1].height, 60);
    EXPECT_EQ(r.Views(0, master->Name).size(), 2u);
}

TEST(PrepareRules, ANewRunOfTheDataForgetsOnlyMergedValues)
{
    // Two master rows, each with a detail run of two rows printing the same text.
    ReportFixture r;
    r.Band(btMasterData, 0, 20, QStringLiteral("2"));
    r.Memo(0, 20, QStringLiteral("M[Line#]"));
    r.Band(btDetailData, 40, 20, QStringLiteral("2"));
    TRMMemoView* suppressed = r.Memo(40, 20, QStringLiteral("same"));
    suppressed->SetFlag(flMemoSuppress, true);
    TRMMemoView* merged = r.Memo(40, 20, QStringLiteral("cell"), 300, 200);
    merged->SetFlag(flMemoSuppress, true);
    merged->SetFlag(flMemoMergeRepeated, true);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    // Suppression alone compares with what was printed last, whatever run it came from.
    EXPECT_EQ(r.Texts(0, suppressed->Name),
        (QStringList{QStringLiteral("same"), QString(), QString(), QString()}));
    // A merged cell never reaches across into the next master row's details.
    EXPECT_EQ(r.Texts(0, merged->Name), (QStringList{QStringLiteral("cell"), QStringLiteral("cell")}));
}

// ---- page events ----

// Rows 30 high on 960-pixel pages below a 60-pixel page footer: 30 rows a page.
struct FooterList : ReportFixture {
    TRMBandView* footer;
    TRMMemoView* footerMemo;

    explicit FooterList(int rows)
    {
        Band(btMasterData, 0, 30, QString::number(rows));
        Memo(0, 30, QStringLiteral("[Line#]"));
        footer = Band(btPageFooter, 900, 60);
        footerMemo = Memo(900, 60, QStringLiteral("Page [Page#]"));
    }
};

TEST(PrepareRules, PageEventsNameThePageIndexAndAFirstPageWithoutItsFooterEndsQuietly)
{
    for (bool onFirstPage : {true, false}) {
        SCOPED_TRACE(onFirstPage ? "footer on the first page" : "no footer on the first page");
        FooterList r(80);
        r.footer->SetBandFlag(flBandOnFirstPage, onFirstPage);
        QList<int> begun, ended;
        r.report.OnBeginPage = [&](int index) { begun << index; };
        r.report.OnEndPage = [&](int index) { ended << index; };
        ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
        ASSERT_EQ(r.PageCount(), 3);
        EXPECT_EQ(begun, (QList<int>{0, 1, 2}));
        EXPECT_EQ(ended, onFirstPage ? (QList<int>{0, 1, 2}) : (QList<int>{1, 2}));
        EXPECT_EQ(r.Texts(0, r.footerMemo->Name).size(), onFirstPage ? 1 : 0);
        EXPECT_EQ(r.Texts(2, r.footerMemo->Name), QStringList{QStringLiteral("Page 3")});
    }
}

// ---- hooked views ----

// A view that asks to hear of every printed memo.
class TListener : public TRMView {
public:
    TListener() { SetFlag(flHooked, true); }
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TListener>(); }
    QString ClassName() const override { return QStringLiteral("TListener"); }
    void Draw(QPainter*) override {}
    void MemoPrinted(TRMMemoView& memo) override { heard << memo.Memo1.join(QString()).remove(kLineMark); }

    QStringList heard;
};

TEST(PrepareRules, HookedViewsHearOfEveryMemoPrintedInTheFinalPass)
{
    ReportFixture r;
    r.report.DoublePass = true;
    r.Band(btMasterData, 0, 20, QStringLiteral("3"));
    r.Memo(0, 20, QStringLiteral("row [Line#]"));
    auto* listener = static_cast<TListener*>(r.page->AddObject(std::make_unique<TListener>()));
    listener->Name = QStringLiteral("Listener1");
    listener->SetBounds(0, 500, 10, 10);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    EXPECT_EQ(listener->heard, (QStringList{QStringLiteral("row 1"), QStringLiteral("row 2"), QStringLiteral("row 3")}));
}

// ---- background pictures ----

TEST(PrepareRules, EveryPreparedPageNamesTheBackgroundOfItsOwnDesignPage)
{
    ReportFixture r;
    auto picture = [](QColor colour) {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    };
    TRMPage* second = r.AddPage();
    TRMPage* third = r.AddPage();
    second->BackPicture = picture(Qt::red);
    third->BackPicture = picture(Qt::blue);
    for (TRMPage* p : {r.page, second, third}) {
        r.Band(btReportTitle, 0, 40, {}, p);
        r.Memo(0, 40, QStringLiteral("title"), 0, 300, p);
    }
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    TRMEMFPages& pages = RMPreparedPages(r.report);
    ASSERT_EQ(pages.Count(), 3);
    auto backgroundOf = [&pages](int index) {
        const TRMBkPicture* b = pages.BkPicture(pages[index]->BackPicture);
        return b ? b->Picture : QImage();
    };
    EXPECT_TRUE(backgroundOf(0).isNull()) << "the first design page has no picture";
    EXPECT_EQ(backgroundOf(1).pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(backgroundOf(2).pixelColor(0, 0), QColor(Qt::blue));
}

// ---- totals ----

TEST(PrepareRules, CalculatedTotalsCountOnlyPlainNumbers)
{
    ReportFixture r;
    QList<QStringList> rows;
    for (const char* v : {" 7", "8 ", "9", "1.5", "-2", "--3", "1.2.3", "+4", "", "１"})
        rows << QStringList{QString::fromUtf8(v)};
    r.Data(QStringLiteral("cds"), {QStringLiteral("v")}, rows);
    TRMBandView* data = r.Band(btMasterData, 0, 20, QStringLiteral("cds"));
    r.Band(btMasterFooter, 400, 20);
    auto* calc = static_cast<TRMCalcMemoView*>(r.report.CreateObject(r.page, gtCalcMemo));
    calc->SetBounds(0, 400, 200, 20);
    calc->Memo = QStringList{QStringLiteral("[v]")};
    calc->DataBand = data->Name;
    calc->Format = 0;
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    EXPECT_EQ(r.Texts(0, calc->Name), QStringList{QStringLiteral("8.5")}); // 9 + 1.5 - 2
}

TEST(PrepareRules, AggregatesAddNumbersAndRefuseText)
{
    {
        ReportFixture r;
        r.Data(QStringLiteral("cds"), {QStringLiteral("v")}, {{QStringLiteral("1000")}, {QStringLiteral("250.5")}, {QString()}});
        r.Band(btMasterData, 0, 20, QStringLiteral("cds"));
        r.Band(btMasterFooter, 400, 20);
        TRMMemoView* total = r.Memo(400, 20, QStringLiteral("[SUM([v])]"));
        ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
        EXPECT_EQ(r.Texts(0, total->Name), QStringList{QStringLiteral("1250.5")});
    }
    {
        MessageBoxRecorder boxes;
        ReportFixture r;
        r.Data(QStringLiteral("cds"), {QStringLiteral("v")}, {{QStringLiteral("1000")}, {QStringLiteral("abc")}});
        TRMBandView* data = r.Band(btMasterData, 0, 20, QStringLiteral("cds"));
        r.Band(btMasterFooter, 400, 20);
        r.Memo(400, 20, QStringLiteral("[SUM([v])]"));
        EXPECT_FALSE(r.Prepare()) << "a total over text is an error, not \"1000abc\"";
        EXPECT_EQ(r.PageCount(), 0);
        EXPECT_TRUE(r.error.contains(QStringLiteral("'abc'"))) << r.error.toStdString();
        EXPECT_TRUE(r.error.contains(data->Name)) << r.error.toStdString();
        EXPECT_EQ(boxes.shown.size(), 1);
    }
}

// ---- names ----

TEST(PrepareRules, NamesWithSpacesAreWrittenInDoubleQuotes)
{
    MessageBoxRecorder boxes;
    ReportFixture r;
    RMGlobalVariables().SetVariable(QStringLiteral("my var"), Variant::FromInt(41));
    const ScopeExit forget([] { RMGlobalVariables().Clear(); });
    r.Band(btReportTitle, 0, 20);
    TRMMemoView* memo = r.Memo(0, 20, QStringLiteral("[\"my var\" + 1]"));
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    EXPECT_EQ(r.Texts(0, memo->Name), QStringList{QStringLiteral("42")});
}

TEST(PrepareRules, AFieldAliasMayWriteItsFieldInDoubleQuotes)
{
    MessageBoxRecorder boxes;
    // The alias as a report file stores it, the way data cells name a field.
    QByteArray file;
    {
        ReportFixture design;
        design.report.Dictionary().SetFieldAlias(QStringLiteral("code"), QStringLiteral("RMDialogForm.cdsprint"),
            QStringLiteral("\"code\""));
        design.report.Dictionary().SetFieldAlias(QStringLiteral("dotted"), QStringLiteral("RMDialogForm.cdsprint"),
            QStringLiteral("\"a.b\""));
        design.Band(btMasterData, 0, 20, QStringLiteral("cdsprint"));
        design.Memo(0, 20, QStringLiteral("[code]/[dotted]"));
        file = RMSaveReport(design.report);
    }
    ReportFixture r;
    ASSERT_TRUE(RMLoadReport(r.report, file, false).Ok());
    r.Data(QStringLiteral("cdsprint"), {QStringLiteral("code"), QStringLiteral("a.b")},
        {{QStringLiteral("01"), QStringLiteral("x")}, {QStringLiteral("02"), QStringLiteral("y")}});
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    const TRMView* memo = nullptr;
    for (const auto& v : r.report.Pages[0]->Objects)
        if (dynamic_cast<const TRMMemoView*>(v.get()))
            memo = v.get();
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(r.Texts(0, memo->Name), (QStringList{QStringLiteral("01/x"), QStringLiteral("02/y")}));
}

// ---- composite reports ----

TEST(PrepareRules, ACompositeReportConcatenatesItsReportsAndHearsTheirPageEvents)
{
    for (int mode : {rmReportPerReport, rmPagePerPage}) {
        SCOPED_TRACE(mode);
        FooterList first(40);  // two pages
        FooterList second(20); // one page
        TRMCompositeReport composite;
        composite.CompositeMode = mode;
        composite.Reports = {&first.report, &second.report};
        QList<int> begun, ended;
        composite.OnBeginPage = [&](int index) { begun << index; };
        composite.OnEndPage = [&](int index) { ended << index; };
        ASSERT_TRUE(RMPrepareReport(composite));
        TRMEMFPages& pages = RMPreparedPages(composite);
        ASSERT_EQ(pages.Count(), 3);
        EXPECT_EQ(begun, (QList<int>{0, 1, 2}));
        EXPECT_EQ(ended, (QList<int>{0, 1, 2}));
        // Both reports name their footer memo alike; each page shows its own report's number.
        ASSERT_EQ(first.footerMemo->Name, second.footerMemo->Name);
        QStringList footers;
        for (int i = 0; i < pages.Count(); ++i)
            pages.ExportPage(i, [&footers, &first](TRMView& v) {
                if (v.Name == first.footerMemo->Name)
                    footers << v.Memo1.join(QString()).remove(kLineMark);
            });
        const QStringList expected = mode == rmReportPerReport
            ? QStringList{QStringLiteral("Page 1"), QStringLiteral("Page 2"), QStringLiteral("Page 1")}
            : QStringList{QStringLiteral("Page 1"), QStringLiteral("Page 1"), QStringLiteral("Page 2")};
        EXPECT_EQ(footers, expected);
    }
}

} // namespace
} // namespace pq::test
