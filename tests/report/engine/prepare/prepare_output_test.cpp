// A report prepared and written out in one go: the pipelined path (output on a thread of its
// own beside the final pass) hands output exactly the pages of the serial path, in the same
// order, and both honour a cancel, an error and an output that fails.
#include "cancelling_progress.h"
#include "prepare_test_support.h"

#include "report/engine/files/rm_page_queue.h"
#include "report/engine/files/rm_pdf_export.h"
#include "report/engine/prepare/rm_prepare_output.h"
#include "tests/support/pdf_files.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <thread>

namespace pq::test {
namespace {

// What the output was handed, page by page.
struct Handed {
    QList<QByteArray> streams;
    QList<int> sizes;
    QList<int> designPages;
    bool endedEarly = false;
    Qt::HANDLE thread = nullptr;
};

TRMPageOutput Recorder(Handed& got, int failAfter = -1)
{
    return [&got, failAfter](TRMEMFPages& pages, QString& error) {
        got.thread = QThread::currentThreadId();
        for (int i = 0; pages.WaitForPage(i); ++i) {
            if (i == failAfter) {
                error = QStringLiteral("the device is full");
                return false;
            }
            got.streams << pages.Stream(i);
            got.sizes << pages[i]->Size;
            got.designPages << pages[i]->DesignPage;
            pages.FreePage(i);
        }
        got.endedEarly = pages.FeedEndedEarly();
        return !got.endedEarly;
    };
}

// A list of the features that decide where pages end: title, page header and footer with
// the page count, stretched rows, a summary, and optionally a second design page that goes
// on where the first ended.
struct ListCase {
    const char* name;
    int rows;
    bool doublePass;
    bool secondPage;      // a second design page printed on from the first's last page
    bool footerOnLastPage;
};

struct OutputList : ReportFixture {
    // badRow: the row whose number cannot be read (an evaluation error there).
    explicit OutputList(const ListCase& c, TRMProgressFactory progress = {}, int badRow = 0)
        : ReportFixture(std::move(progress))
    {
        report.DoublePass = c.doublePass;
        QList<QStringList> rows;
        for (int i = 1; i <= c.rows; ++i)
            rows << QStringList{i % 5 == 0 ? QStringLiteral("一个长得要换行的名称，一个长得要换行的名称，一个长得要换行的名称")
                                          : QStringLiteral("短名%1").arg(i),
                i == badRow ? QStringLiteral("x") : QString::number(i)};
        Data(QStringLiteral("cdsout"), {QStringLiteral("name"), QStringLiteral("num")}, rows);
        Band(btReportTitle, 0, 60);
        Memo(0, 60, QStringLiteral("支付方式档案"));
        Band(btPageHeader, 80, 30);
        Memo(80, 30, QStringLiteral("编码 名称"));
        TRMBandView* data = Band(btMasterData, 120, 24, QStringLiteral("cdsout"));
        data->SetBandFlag(flBandStretched, true);
        TRMMemoView* row = Memo(120, 24, QStringLiteral("[Line#] [name]"), 0, 200);
        row->SetFlag(flMemoWordwrap, true);
        row->SetStretched(true);
        if (badRow > 0)
            Memo(120, 24, QStringLiteral("[StrToInt(num)]"), 400, 100);
        Band(btReportSummary, 160, 30);
        Memo(160, 30, QStringLiteral("合计 [Line#]"));
        TRMBandView* footer = Band(btPageFooter, 900, 40);
        if (c.footerOnLastPage)
            footer->SetBandFlag(flBandOnLastPage, true);
        Memo(900, 40, QStringLiteral("第[Page#]页 共[TotalPages#]页"));
        if (c.secondPage) {
            TRMPage* second = AddPage();
            second->PrintToPrevPage = true;
            Band(btMasterData, 0, 30, QStringLiteral("25"), second);
            Memo(0, 30, QStringLiteral("续 [Line#]"), 0, 300, second);
        }
    }

    QList<QByteArray> Streams()
    {
        QList<QByteArray> out;
        for (int i = 0; i < PageCount(); ++i)
            out << RMPreparedPages(report).Stream(i);
        return out;
    }
};

class PipelineTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(PipelineTest, OutputGetsThePagesOfTheSerialPathInOrder)
{
    QList<QByteArray> serial;
    {
        OutputList r(GetParam());
        ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
        serial = r.Streams();
        ASSERT_FALSE(serial.isEmpty());
    }
    for (TRMOutputMode mode : {TRMOutputMode::Serial, TRMOutputMode::Pipelined}) {
        OutputList r(GetParam());
        Handed got;
        const TRMPreparedOutput done = RMPrepareWithOutput(r.report, Recorder(got), mode);
        const bool pipelined = mode == TRMOutputMode::Pipelined;
        EXPECT_TRUE(done.Prepared);
        EXPECT_TRUE(done.Written);
        EXPECT_EQ(done.Pipelined, pipelined);
        EXPECT_TRUE(done.OutputError.isEmpty());
        EXPECT_EQ(got.thread != QThread::currentThreadId(), pipelined) << "where the output ran";
        EXPECT_EQ(got.streams, serial) << (pipelined ? "pipelined" : "serial");
        EXPECT_EQ(r.Streams(), serial) << "the report keeps its pages either way";
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, PipelineTest,
    ::testing::Values(ListCase{"SinglePass", 120, false, false, false}, ListCase{"DoublePass", 120, true, false, false},
        ListCase{"FooterOnLastPage", 90, true, false, true}, ListCase{"SecondPageGoesOn", 70, true, true, true},
        ListCase{"OneRow", 1, true, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Pipeline, PdfsOfBothPathsHaveTheSamePages)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QList<QStringList> texts;
    for (TRMOutputMode mode : {TRMOutputMode::Serial, TRMOutputMode::Pipelined}) {
        OutputList r(ListCase{"Pdf", 150, true, false, false});
        const QString name = dir.filePath(mode == TRMOutputMode::Serial ? QStringLiteral("serial.pdf") : QStringLiteral("pipelined.pdf"));
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        TRMPdfExportOptions options;
        options.Dpi = 150;
        const TRMPreparedOutput done = RMPrepareToPdf(r.report, file, options, mode);
        file.close();
        ASSERT_TRUE(done.Written) << done.OutputError.toStdString();
        bool ok = false;
        texts << PdfPageTexts(name, &ok);
        if (!ok)
            GTEST_SKIP() << "pdftotext is not installed";
    }
    ASSERT_EQ(texts[0].size(), texts[1].size());
    EXPECT_GE(texts[0].size(), 3);
    EXPECT_EQ(texts[1], texts[0]);
    EXPECT_TRUE(texts[1].last().contains(QStringLiteral("第%1页 共%1页").arg(texts[1].size())));
}

TEST(Pipeline, BothPathsHonourACancel)
{
    for (TRMOutputMode mode : {TRMOutputMode::Serial, TRMOutputMode::Pipelined}) {
        for (bool doublePass : {false, true}) {
            // Cancelled while the final pass is half way through.
            OutputList r(ListCase{"Cancel", 300, doublePass, false, false},
                [](TRMReport&) { return std::make_unique<CancellingProgress>(6); });
            r.report.ShowProgress = true;
            Handed got;
            const TRMPreparedOutput done = RMPrepareWithOutput(r.report, Recorder(got), mode);
            EXPECT_FALSE(done.Prepared);
            EXPECT_TRUE(done.Cancelled);
            EXPECT_FALSE(done.Written);
            EXPECT_EQ(r.PageCount(), 0) << "a cancelled preparation keeps no pages";
            if (mode == TRMOutputMode::Pipelined) {
                EXPECT_TRUE(got.endedEarly) << "the output learnt that its pages stopped short";
            } else {
                EXPECT_TRUE(got.streams.isEmpty()) << "serial output never started";
            }
        }
    }
}

TEST(Pipeline, ACancelledPreparationLeavesNoPdf)
{
    for (TRMOutputMode mode : {TRMOutputMode::Serial, TRMOutputMode::Pipelined}) {
        OutputList r(ListCase{"Cancel", 300, true, false, false}, [](TRMReport&) { return std::make_unique<CancellingProgress>(6); });
        r.report.ShowProgress = true;
        QByteArray pdf;
        QBuffer device(&pdf);
        device.open(QIODevice::WriteOnly);
        const TRMPreparedOutput done = RMPrepareToPdf(r.report, device, TRMPdfExportOptions{}, mode);
        EXPECT_FALSE(done.Written);
        EXPECT_TRUE(done.Cancelled);
    }
}

TEST(Pipeline, AnErrorWhilePreparingAbandonsTheOutput)
{
    MessageBoxRecorder boxes;
    // Row 150 cannot be evaluated: the final pass has handed pages over by then.
    OutputList r(ListCase{"Error", 200, false, false, false}, {}, 150);
    Handed got;
    const TRMPreparedOutput done = RMPrepareWithOutput(r.report, Recorder(got), TRMOutputMode::Pipelined);
    EXPECT_FALSE(done.Prepared);
    EXPECT_FALSE(done.Cancelled);
    EXPECT_FALSE(done.Written);
    EXPECT_TRUE(got.endedEarly);
    EXPECT_EQ(boxes.shown.size(), 1) << "the preparation's message";
}

TEST(Pipeline, AnOutputThatFailsStopsThePreparation)
{
    for (TRMOutputMode mode : {TRMOutputMode::Serial, TRMOutputMode::Pipelined}) {
        OutputList r(ListCase{"Fail", 400, true, false, false});
        Handed got;
        const TRMPreparedOutput done = RMPrepareWithOutput(r.report, Recorder(got, 2), mode);
        EXPECT_FALSE(done.Written);
        EXPECT_EQ(done.OutputError, QStringLiteral("the device is full"));
        EXPECT_EQ(got.streams.size(), 2);
        // Serially the report was prepared before the output failed; pipelined, the
        // preparation stopped with it rather than prepare pages nobody takes.
        EXPECT_EQ(done.Prepared, mode == TRMOutputMode::Serial);
        EXPECT_FALSE(done.Cancelled);
    }
}

TEST(Pipeline, AnExceptionOfTheOutputReachesTheCaller)
{
    OutputList r(ListCase{"Throw", 200, false, false, false});
    const TRMPageOutput throwing = [](TRMEMFPages& pages, QString&) -> bool {
        pages.WaitForPage(0);
        throw std::runtime_error("printer on fire");
    };
    EXPECT_THROW(RMPrepareWithOutput(r.report, throwing, TRMOutputMode::Pipelined), std::runtime_error);
    EXPECT_EQ(r.PageCount(), 0);
}

TEST(Pipeline, ReportsWhosePagesAreReorderedArePreparedFirst)
{
    OutputList r(ListCase{"PagePerPage", 80, false, false, false});
    TRMPage* second = r.AddPage();
    r.Band(btMasterData, 0, 30, QStringLiteral("60"), second);
    r.Memo(0, 30, QStringLiteral("B[Line#]"), 0, 300, second);
    r.report.PrintPagePerPage = true;
    EXPECT_FALSE(RMCanPipeline(r.report));
    Handed got;
    const TRMPreparedOutput done = RMPrepareWithOutput(r.report, Recorder(got), TRMOutputMode::Pipelined);
    EXPECT_TRUE(done.Written);
    EXPECT_FALSE(done.Pipelined);
    EXPECT_EQ(got.streams, r.Streams());

    // Through a queue all the same, the pages come in their final, interleaved order.
    TRMPageQueue queue(1000);
    TRMPrepare prepare(r.report);
    prepare.SetOutput(&queue);
    ASSERT_TRUE(prepare.PrepareReport());
    QList<int> order;
    while (std::optional<TRMHandedPage> page = queue.Pop())
        order << page->Settings.DesignPage;
    EXPECT_TRUE(queue.Complete());
    ASSERT_EQ(order.size(), r.PageCount());
    ASSERT_GE(order.size(), 4);
    EXPECT_EQ(order.mid(0, 4), (QList<int>{1, 2, 1, 2}));
}

TEST(PageQueue, HandsEveryPageOverInOrderAndStaysBounded)
{
    TRMPageQueue queue(3);
    std::vector<TRMBkPicture> pictures(2);
    pictures[1].Left = 7;
    queue.SetPictures(pictures);
    QList<int> got;
    int largest = 0;
    std::vector<TRMBkPicture> received;
    std::thread consumer([&] {
        while (std::optional<TRMHandedPage> page = queue.Pop(&received)) {
            got << page->Index;
            largest = std::max(largest, static_cast<int>(page->Stream.size()));
        }
    });
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(queue.Push(TRMHandedPage{i, TRMPageSettings{}, QByteArray(i + 1, 'x')}));
    queue.Close(true);
    consumer.join();
    EXPECT_TRUE(queue.Complete());
    ASSERT_EQ(got.size(), 200);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(got[i], i);
    EXPECT_EQ(largest, 200);
    ASSERT_EQ(received.size(), 2u) << "the pictures come with the first page";
    EXPECT_EQ(received[1].Left, 7);
}

TEST(PageQueue, AStoppedOutputTurnsThePushesAway)
{
    TRMPageQueue queue(2);
    std::thread consumer([&] {
        queue.Pop();
        queue.Stop();
    });
    bool refused = false;
    for (int i = 0; i < 50 && !refused; ++i)
        refused = !queue.Push(TRMHandedPage{i, TRMPageSettings{}, QByteArray()});
    consumer.join();
    EXPECT_TRUE(refused) << "a push waiting on a full queue returns";
    EXPECT_TRUE(queue.Stopped());
    // An incomplete close drops what waits.
    TRMPageQueue other(4);
    other.Push(TRMHandedPage{0, TRMPageSettings{}, QByteArray()});
    other.Close(false);
    EXPECT_FALSE(other.Pop().has_value());
    EXPECT_FALSE(other.Complete());
}

TEST(Pipeline, AutoPipelinesOnSeveralCores)
{
    OutputList r(ListCase{"Auto", 60, true, false, false});
    Handed got;
    const TRMPreparedOutput done = RMPrepareWithOutput(r.report, Recorder(got));
    EXPECT_TRUE(done.Written);
    EXPECT_EQ(done.Pipelined, QThread::idealThreadCount() >= 2);
}

} // namespace
} // namespace pq::test
