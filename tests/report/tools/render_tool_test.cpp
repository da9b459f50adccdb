// pq-render from the outside: the sample renders to PDF and PNG, bad input gives clear
// errors and non-zero exit codes.
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_report_file.h"
#include "report/engine/files/rm_view_stream.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_rich_view.h"
#include "report/engine/rm_view_factory.h"
#include "report/engine/startup/rm_engine_startup.h"
#include "tests/support/pdf_files.h"

#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace pqtest {
namespace {

using pq::test::SpooledPdf;

struct RenderRun {
    int code = -1;
    QString err;
};

// fileSizeLimit > 0 lets the program write files of at most that many bytes, as a full disk
// would: a longer write fails (EFBIG) instead of killing the program.
RenderRun Render(const QStringList& args, rlim_t fileSizeLimit = 0, const QString& configHome = {})
{
    QProcess p;
    p.setProgram(QStringLiteral(PQ_RENDER_PATH));
    if (!configHome.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome); // the preview keeps its placement there
        p.setProcessEnvironment(env);
    }
    p.setArguments(args);
    if (fileSizeLimit > 0)
        p.setChildProcessModifier([fileSizeLimit] {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit {};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = fileSizeLimit;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    p.start();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
        QString::fromLocal8Bit(p.readAllStandardError())};
}

TEST(RenderTool, SampleToPdfAndPng)
{
    QTemporaryDir dir;
    const QString rmp = dir.filePath(QStringLiteral("s.rmp"));
    ASSERT_EQ(Render({QStringLiteral("--write-sample"), rmp}).code, 0);
    const RenderRun r = Render({rmp, QStringLiteral("--pdf"), dir.filePath(QStringLiteral("s.pdf")), QStringLiteral("--png"),
        dir.filePath(QStringLiteral("p-%d.png")), QStringLiteral("--dpi"), QStringLiteral("48")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QFile pdf(dir.filePath(QStringLiteral("s.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    for (int page = 1; page <= 2; ++page) {
        const QImage image(dir.filePath(QStringLiteral("p-%1.png").arg(page)));
        ASSERT_FALSE(image.isNull()) << page;
        EXPECT_EQ(image.size(), QSize(397, 561)) << "A4 at 48 dpi";
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("p-3.png"))));
}

// The preview window over a prepared file, as a person opens it; headless here, so the
// window is photographed and closed.
TEST(RenderTool, PreviewOpensThePagesInTheWindow)
{
    QTemporaryDir dir;
    const QString rmp = dir.filePath(QStringLiteral("s.rmp"));
    ASSERT_EQ(Render({QStringLiteral("--write-sample"), rmp}).code, 0);
    const QString shot = dir.filePath(QStringLiteral("preview.png"));
    const RenderRun r = Render({rmp, QStringLiteral("--preview"), QStringLiteral("--screenshot"), shot}, 0, dir.path());
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QImage image(shot);
    ASSERT_FALSE(image.isNull());
    // The surface's grey is there around a white sheet.
    int grey = 0;
    int white = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4) {
            grey += image.pixelColor(x, y) == QColor(128, 128, 128);
            white += image.pixelColor(x, y) == QColor(Qt::white);
        }
    EXPECT_GT(grey, 100);
    EXPECT_GT(white, 1000);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Orvane Soft/Pagequill.conf")))) << "placement kept";
    if (const QString out = qEnvironmentVariable("PQ_SHOT_DIR"); !out.isEmpty())
        image.save(QDir(out).filePath(QStringLiteral("pq-render-preview.png")));

    EXPECT_EQ(Render({rmp, QStringLiteral("--screenshot"), shot}).code, 1) << "--screenshot needs --preview";
}

TEST(RenderTool, BadInputAndUsage)
{
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.rmp"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a report at all");
    f.close();
    struct Case {
        QStringList args;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{}, 1, "no input file"},
        {{junk}, 1, "nothing to write"},
        {{junk, QStringLiteral("--png"), QStringLiteral("x.png"), QStringLiteral("--dpi"), QStringLiteral("0")}, 1, "--dpi"},
        {{junk, QStringLiteral("--bogus")}, 1, "unknown option"},
        {{dir.filePath(QStringLiteral("missing.rmp")), QStringLiteral("--pdf"), dir.filePath(QStringLiteral("o.pdf"))},
            2, "cannot read"},
        {{junk, QStringLiteral("--pdf"), dir.filePath(QStringLiteral("o.pdf"))}, 2, "not a prepared report file"},
    };
    for (const Case& c : cases) {
        const RenderRun r = Render(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
    }
    const QString rmp = dir.filePath(QStringLiteral("s.rmp"));
    ASSERT_EQ(Render({QStringLiteral("--write-sample"), rmp}).code, 0);
    EXPECT_EQ(Render({rmp, QStringLiteral("--png"), dir.filePath(QStringLiteral("no/such/dir/p.png"))}).code, 3);
}

QByteArray Contents(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// A write that fails (a full disk, a device that takes nothing) is exit code 3 with the
// reason, keeps the file that was there, and leaves nothing else behind.
TEST(RenderTool, AWriteThatFailsKeepsTheOldFileAndSaysSo)
{
    QTemporaryDir dir;
    const QString rmp = dir.filePath(QStringLiteral("s.rmp"));
    ASSERT_EQ(Render({QStringLiteral("--write-sample"), rmp}).code, 0);
    const QString old = dir.filePath(QStringLiteral("old"));
    const QByteArray oldBytes = "the good file from yesterday";
    struct Case {
        const char* name;
        QStringList args;
        QString target;
        rlim_t limit;
    };
    const Case cases[] = {
        {"sample to a full disk", {QStringLiteral("--write-sample"), old}, old, 200},
        {"PDF to a full disk", {rmp, QStringLiteral("--pdf"), old}, old, 2000},
        {"PNG to a full disk", {rmp, QStringLiteral("--png"), old, QStringLiteral("--dpi"), QStringLiteral("20")}, old, 200},
        {"sample to /dev/full", {QStringLiteral("--write-sample"), QStringLiteral("/dev/full")}, QString(), 0},
        {"PDF to /dev/full", {rmp, QStringLiteral("--pdf"), QStringLiteral("/dev/full")}, QString(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.target.isEmpty()) {
            QFile f(c.target);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(oldBytes);
        }
        const RenderRun r = Render(c.args, c.limit);
        EXPECT_EQ(r.code, 3) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String("cannot write"))) << r.err.toStdString();
        if (!c.target.isEmpty()) {
            EXPECT_EQ(Contents(c.target), oldBytes);
        }
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
            QStringList({QStringLiteral("old"), QStringLiteral("s.rmp")}));
    }
}

// Inputs that cannot be a report: refused with the reason before anything is read.
TEST(RenderTool, RefusesInputsThatAreNoRegularFileOrTooLarge)
{
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.rmp"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize((qint64(1) << 30) + 1)); // sparse: no disk space taken
    }
    const QString fifo = dir.filePath(QStringLiteral("pipe.rmp"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct { QString input; const char* says; } cases[] = {
        {QStringLiteral("/dev/zero"), "not a regular file"},
        {fifo, "not a regular file"},
        {dir.path(), "is a directory"},
        {big, "larger than 1024 MiB"},
    };
    for (const auto& c : cases) {
        const RenderRun r = Render({c.input, QStringLiteral("--pdf"), dir.filePath(QStringLiteral("o.pdf"))});
        EXPECT_EQ(r.code, 2) << c.input.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("o.pdf"))));
    }
}

// A report file of one empty A4 page in dir.
QString WriteEmptyReport(const QTemporaryDir& dir)
{
    const QString rpf = dir.filePath(QStringLiteral("r.rpf"));
    const pq::TRMEngineStartup engine(pq::TRMEngineOptions::Headless());
    pq::TRMReport report;
    report.Pages.Add(9, 2100, 2970, pq::poPortrait, -1);
    QFile f(rpf);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(pq::RMSaveReport(report));
    return rpf;
}

// The renderer reads databases and never makes one: a database file that is not there is an
// error, and no folder or file appears in its place.
TEST(RenderTool, AMissingSqliteDatabaseIsAnErrorAndStaysMissing)
{
    QTemporaryDir dir;
    const QString rpf = WriteEmptyReport(dir);
    const QString db = dir.filePath(QStringLiteral("typo/path.sqlite"));
    const RenderRun r = Render({rpf, QStringLiteral("--sql"), QStringLiteral("cdsprint=select 1"), QStringLiteral("--server"),
        QStringLiteral("sqlite:") + db, QStringLiteral("--pdf"), dir.filePath(QStringLiteral("o.pdf"))});
    EXPECT_EQ(r.code, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QLatin1String("No database file"))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("typo"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("o.pdf"))));
}

// CSV faults reach the user of the command line: a quote that never closes stops the run
// naming its line; a short row is read and named on standard error.
TEST(RenderTool, CsvFaultsAreNamedOnStandardError)
{
    QTemporaryDir dir;
    const QString rpf = WriteEmptyReport(dir);
    const struct { QByteArray csv; int code; const char* says; } cases[] = {
        {"code,name\n0001,\"cash\n0002,card\n", 2, "line 2: the quoted field that opens there has no closing quote"},
        {"code,name\n0001\n0002,card\n", 0, "d.csv, row 2 (line 2): 1 fields, the header has 2"},
    };
    for (const auto& c : cases) {
        const QString csv = dir.filePath(QStringLiteral("d.csv"));
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.csv);
        f.close();
        const RenderRun r = Render({rpf, QStringLiteral("--data"), QStringLiteral("cdsprint=") + csv, QStringLiteral("--png"),
            dir.filePath(QStringLiteral("p-%d.png"))});
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
    }
}

// A view class only this test knows.
class TRMTestOnlyView : public pq::TRMView {
public:
    TRMTestOnlyView() { Typ = pq::gtAddIn; }
    std::unique_ptr<pq::TRMView> Create() const override { return std::make_unique<TRMTestOnlyView>(); }
    QString ClassName() const override { return QStringLiteral("TRMTestOnlyView"); }
    void Draw(QPainter*) override {}
};

TEST(RenderTool, AReportFileWithViewsOfUnknownClassesNamesThem)
{
    QTemporaryDir dir;
    const QString rpf = dir.filePath(QStringLiteral("unknown.rpf"));
    {
        const pq::TRMEngineStartup engine(pq::TRMEngineOptions::Headless());
        pq::TRMAddInObjectInfo info;
        info.ClassName = QStringLiteral("TRMTestOnlyView");
        info.Create = [] { return std::make_unique<TRMTestOnlyView>(); };
        pq::RMRegisterObject(std::move(info));
        pq::TRMReport report;
        pq::TRMPage* page = report.Pages.Add(9, 2100, 2970, pq::poPortrait, -1);
        auto* band = static_cast<pq::TRMBandView*>(report.CreateObject(page, pq::gtBand));
        band->SetBandType(pq::btReportTitle);
        band->SetBounds(0, 0, 700, 60);
        auto* memo = static_cast<pq::TRMMemoView*>(report.CreateObject(page, pq::gtMemo));
        memo->SetBounds(10, 10, 200, 20);
        memo->Memo = {QStringLiteral("still drawn")};
        report.CreateObject(page, pq::gtAddIn, QStringLiteral("TRMTestOnlyView"))->SetBounds(10, 40, 20, 10);
        pq::RMUnRegisterObject(QStringLiteral("TRMTestOnlyView"));
        QFile f(rpf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pq::RMSaveReport(report));
    }
    const RenderRun r = Render({rpf, QStringLiteral("--png"), dir.filePath(QStringLiteral("u-%d.png"))});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("TRMTestOnlyView"))) << r.err.toStdString();
    EXPECT_FALSE(QImage(dir.filePath(QStringLiteral("u-1.png"))).isNull());
}

// A report file whose page header is a rich caption with page numbers in brackets, prepared
// against a CSV file: every page prints its own number, in the caption's formats, and the
// PDF carries the caption as text.
TEST(RenderTool, RichCaptionsWithPageNumbersPrepareAndRender)
{
    QTemporaryDir dir;
    const QString rpf = dir.filePath(QStringLiteral("rich.rpf"));
    const QString csv = dir.filePath(QStringLiteral("rows.csv"));
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray rows = "code\n";
        for (int i = 1; i <= 40; ++i)
            rows += QByteArray::number(i) + "\n";
        f.write(rows);
    }
    {
        const pq::TRMEngineStartup engine(pq::TRMEngineOptions::Headless());
        pq::RMRegisterStandardAddIns();
        pq::TRMReport report;
        report.DoublePass = true;
        pq::TRMPage* page = report.Pages.Add(9, 2100, 2970, pq::poPortrait, -1);
        auto* header = static_cast<pq::TRMBandView*>(report.CreateObject(page, pq::gtBand));
        header->SetBandType(pq::btPageHeader);
        header->SetBounds(0, 40, 700, 70);
        auto* caption = static_cast<pq::TRMRichView*>(report.CreateObject(page, pq::gtAddIn, QStringLiteral("TRMRichView")));
        caption->SetBounds(40, 40, 620, 66);
        caption->SetRtf("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                        "{\\colortbl ;\\red200\\green0\\blue0;}"
                        "\\pard\\qc\\f0\\fs36\\b \\'d6\\'a7\\'b8\\'b6\\'b7\\'bd\\'ca\\'bd\\b0\\par"
                        "\\pard\\qr\\fs20 Page \\b\\cf1 [Page#]\\b0\\cf0  of [TotalPages#]\\par}");
        auto* data = static_cast<pq::TRMBandView*>(report.CreateObject(page, pq::gtBand));
        data->SetBandType(pq::btMasterData);
        data->SetBounds(0, 140, 700, 40);
        data->SetDataSource(QStringLiteral("rows"));
        auto* cell = static_cast<pq::TRMMemoView*>(report.CreateObject(page, pq::gtMemo));
        cell->SetBounds(40, 140, 200, 40);
        cell->Memo = {QStringLiteral("[RMDialogForm.rows.\"code\"]")};
        QFile f(rpf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pq::RMSaveReport(report));
    }
    const QString pdf = dir.filePath(QStringLiteral("rich.pdf"));
    const RenderRun r = Render({rpf, QStringLiteral("--data"), QStringLiteral("rows=") + csv, QStringLiteral("--pdf"), pdf,
        QStringLiteral("--png"), dir.filePath(QStringLiteral("r-%d.png"))});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("r-2.png"))));
    // Each page's caption: its text in the PDF, and its bold red number on the page.
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.waitForFinished(60000) || text.exitStatus() != QProcess::NormalExit)
        GTEST_SKIP() << "pdftotext (poppler-utils, in the setup script) is not available";
    const QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 2);
    for (int i = 0; i < pages.size(); ++i) {
        EXPECT_TRUE(pages[i].contains(QStringLiteral("支付方式"))) << i;
        EXPECT_TRUE(pages[i].contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size()))) << pages[i].toStdString();
    }
    const QImage first(dir.filePath(QStringLiteral("r-1.png")));
    int red = 0;
    for (int y = 0; y < 250; ++y)
        for (int x = 0; x < first.width(); ++x) {
            const QColor c = first.pixelColor(x, y);
            red += c.red() > 150 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
        }
    EXPECT_GT(red, 10) << "the page number keeps its colour";
}

} // namespace
// A prepared report of count pages; page n carries a black frame whose left edge tells n.
QString WriteMarkedPages(QTemporaryDir& dir, const QString& name, int count)
{
    const pq::TRMEngineStartup engine(pq::TRMEngineOptions::Headless());
    pq::TRMReport report;
    const pq::TRMPage* design = report.Pages.Add(9, 2100, 2970, pq::poPortrait, -1);
    pq::TRMEMFPages& pages = pq::RMPreparedPages(report);
    for (int k = 0; k < count; ++k) {
        pages.AddPage(*design);
        pq::TRMMemoView box;
        box.Name = QStringLiteral("Box");
        box.SetBounds(60 + 60 * k, 200, 50, 50);
        // A frame prints whatever the printer's back-colour setting says.
        for (pq::TRMFrameLine* side : box.Frames()) {
            side->Visible = true;
            side->Width = 4;
        }
        pages.AppendView(k, box);
    }
    const QString file = dir.filePath(name);
    QFile f(file);
    if (f.open(QIODevice::WriteOnly))
        f.write(pages.SaveToStream());
    return file;
}

// The page numbers a printed PDF shows, from the frames of WriteMarkedPages.
std::vector<int> MarkedPagesOf(const QString& pdf, QTemporaryDir& dir)
{
    QProcess p;
    const QString prefix = dir.filePath(QStringLiteral("sheet"));
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("24"), QStringLiteral("-gray"), pdf, prefix});
    p.waitForFinished(60000);
    std::vector<int> shown;
    QStringList files = QDir(dir.path()).entryList({QStringLiteral("sheet*.pgm")}, QDir::Files, QDir::Name);
    for (const QString& f : files) {
        const QImage image(dir.filePath(f));
        const int row = (200 + 25) * 24 / 96;
        int left = -1;
        for (int x = 0; x < image.width() && left < 0; ++x)
            if (qGray(image.pixel(x, row)) < 64)
                left = x;
        shown.push_back(left < 0 ? 0 : static_cast<int>(std::lround((left * 96.0 / 24 - 60) / 60)) + 1);
        QFile::remove(dir.filePath(f));
    }
    return shown;
}

// The end of the real print path: pq-render prints pages 2-3 twice, collated, into the
// CUPS PDF queue, and the PDF that arrives holds 2, 3, 2, 3; a queue that refuses jobs is
// a clear error, not a success.
TEST(RenderTool, PrintsThePagesAndCopiesAskedForThroughCups)
{
    const QString queue = qEnvironmentVariable("PQ_CUPS_QUEUE");
    const QString spool = qEnvironmentVariable("PQ_CUPS_SPOOL");
    if (queue.isEmpty() || spool.isEmpty())
        GTEST_SKIP() << "no CUPS queue (run: eval \"$(bash scripts/cups-queue.sh)\" as root)";
    QTemporaryDir dir;
    const QString token = QStringLiteral("pqprint%1").arg(QDateTime::currentMSecsSinceEpoch());
    const QString rmp = WriteMarkedPages(dir, token + QStringLiteral(".rmp"), 5);
    const RenderRun r = Render({rmp, QStringLiteral("--print"), queue, QStringLiteral("--pages"), QStringLiteral("2-3"),
        QStringLiteral("--copies"), QStringLiteral("2")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();

    const QString pdf = SpooledPdf(spool, token);
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF for the job " << token.toStdString() << " in " << spool.toStdString();
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(30000);
    EXPECT_TRUE(QString::fromLocal8Bit(info.readAllStandardOutput()).contains(QRegularExpression(QStringLiteral("Pages:\\s+4\\b"))));
    EXPECT_EQ(MarkedPagesOf(pdf, dir), (std::vector<int>{2, 3, 2, 3}));

    const QString closed = qEnvironmentVariable("PQ_CUPS_REJECTING_QUEUE");
    if (!closed.isEmpty()) {
        const RenderRun refused = Render({rmp, QStringLiteral("--print"), closed});
        EXPECT_EQ(refused.code, 4);
        EXPECT_TRUE(refused.err.contains(QStringLiteral("不接受打印作业"))) << refused.err.toStdString();
    }
    const RenderRun unknown = Render({rmp, QStringLiteral("--print"), QStringLiteral("NoSuchQueue")});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("no printer named NoSuchQueue"))) << unknown.err.toStdString();
    const RenderRun badList = Render({rmp, QStringLiteral("--print"), queue, QStringLiteral("--pages"), QStringLiteral("1,,2")});
    EXPECT_EQ(badList.code, 1);
    EXPECT_TRUE(badList.err.contains(QStringLiteral("not a valid integer"))) << badList.err.toStdString();
}

// The print loop into a file, for machines without a printer: the same pages and copies a
// queue would get; a print that fails keeps the file that was there.
TEST(RenderTool, PrintFileRunsThePrintLoopIntoAPdf)
{
    QTemporaryDir dir;
    const QString rmp = WriteMarkedPages(dir, QStringLiteral("marked.rmp"), 4);
    const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
    const RenderRun r = Render({rmp, QStringLiteral("--print-file"), pdf, QStringLiteral("--pages"), QStringLiteral("3-"),
        QStringLiteral("--copies"), QStringLiteral("2"), QStringLiteral("--uncollated")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(MarkedPagesOf(pdf, dir), (std::vector<int>{3, 3, 4, 4}));

    const QByteArray before = [&] {
        QFile f(pdf);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const RenderRun none = Render({rmp, QStringLiteral("--print-file"), pdf, QStringLiteral("--pages"), QStringLiteral("9")});
    EXPECT_EQ(none.code, 2);
    EXPECT_TRUE(none.err.contains(QStringLiteral("no page of"))) << none.err.toStdString();
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("printed.pdf.*")}, QDir::Files), QStringList())
        << "no part of a file is left beside it";
}

// A report file whose pages pass the memory they may take: written or printed while
// prepared, or prepared first and then written or printed, with its pages in the temporary
// file or in memory, the PDF holds the same pages; the temporary file is gone when the
// program ends.
TEST(RenderTool, AReportLargerThanItsPageMemoryGivesTheSamePdf)
{
    QTemporaryDir dir;
    const QString cache = dir.filePath(QStringLiteral("cache"));
    qputenv("XDG_CACHE_HOME", cache.toLocal8Bit()); // the temporary file goes there
    const QString rpf = dir.filePath(QStringLiteral("long.rpf"));
    const QString csv = dir.filePath(QStringLiteral("rows.csv"));
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray rows = "code,name\n";
        for (int i = 1; i <= 7000; ++i)
            rows += QByteArray::number(i) + (i % 7 == 0 ? ",信用卡和储蓄卡以及其他各种电子支付方式\n" : ",现金\n");
        f.write(rows);
    }
    {
        const pq::TRMEngineStartup engine(pq::TRMEngineOptions::Headless());
        pq::TRMReport report;
        report.DoublePass = true;
        pq::TRMPage* page = report.Pages.Add(9, 2100, 2970, pq::poPortrait, -1);
        auto* data = static_cast<pq::TRMBandView*>(report.CreateObject(page, pq::gtBand));
        data->SetBandType(pq::btMasterData);
        data->SetBounds(0, 40, 700, 24);
        data->SetDataSource(QStringLiteral("rows"));
        data->SetBandFlag(pq::flBandStretched, true);
        for (const auto& [left, field] : {std::pair{40, "code"}, std::pair{160, "name"}}) {
            auto* cell = static_cast<pq::TRMMemoView*>(report.CreateObject(page, pq::gtMemo));
            cell->SetBounds(left, 40, 120, 24);
            cell->Memo = {QStringLiteral("[RMDialogForm.rows.\"%1\"]").arg(QLatin1String(field))};
            cell->SetFlag(pq::flMemoWordwrap, true);
            cell->SetStretched(true);
            for (pq::TRMFrameLine* frame : cell->Frames())
                frame->Visible = true;
        }
        auto* footer = static_cast<pq::TRMBandView*>(report.CreateObject(page, pq::gtBand));
        footer->SetBandType(pq::btPageFooter);
        footer->SetBounds(0, 1040, 700, 30);
        auto* number = static_cast<pq::TRMMemoView*>(report.CreateObject(page, pq::gtMemo));
        number->SetBounds(40, 1040, 300, 30);
        number->Memo = {QStringLiteral("第[Page#]页 共[TotalPages#]页")};
        QFile f(rpf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pq::RMSaveReport(report));
    }
    const QStringList data{rpf, QStringLiteral("--data"), QStringLiteral("rows=") + csv, QStringLiteral("--pdf-dpi"),
        QStringLiteral("150")};
    struct Run {
        const char* name;
        QStringList args;
    };
    // A PDF alone is written while the report is prepared; with PNGs too, the pages are
    // prepared first.
    const Run runs[] = {
        {"pipelined", {QStringLiteral("--pdf"), dir.filePath(QStringLiteral("a.pdf"))}},
        {"pipelined, 1 MiB", {QStringLiteral("--pdf"), dir.filePath(QStringLiteral("b.pdf")), QStringLiteral("--page-memory"), QStringLiteral("1")}},
        {"serial, 1 MiB",
            {QStringLiteral("--pdf"), dir.filePath(QStringLiteral("c.pdf")), QStringLiteral("--png"),
                dir.filePath(QStringLiteral("c-%d.png")), QStringLiteral("--dpi"), QStringLiteral("10"),
                QStringLiteral("--page-memory"), QStringLiteral("1")}},
        // The print loop into a file: printed while prepared, and (a page list needs the
        // pages known ahead) prepared first.
        {"printed while prepared, 1 MiB",
            {QStringLiteral("--print-file"), dir.filePath(QStringLiteral("d.pdf")), QStringLiteral("--page-memory"), QStringLiteral("1")}},
        {"printed after preparing",
            {QStringLiteral("--print-file"), dir.filePath(QStringLiteral("e.pdf")), QStringLiteral("--pages"), QStringLiteral("1-")}},
    };
    QList<QStringList> texts;
    for (const Run& run : runs) {
        const RenderRun r = Render(data + run.args);
        ASSERT_EQ(r.code, 0) << run.name << ": " << r.err.toStdString();
        bool ok = false;
        texts << pq::test::PdfPageTexts(run.args[1], &ok);
        if (!ok) {
            qunsetenv("XDG_CACHE_HOME");
            GTEST_SKIP() << "pdftotext (poppler-utils, in the setup script) is not available";
        }
    }
    qunsetenv("XDG_CACHE_HOME");
    ASSERT_GE(texts[0].size(), 150) << "more pages than one MiB holds";
    EXPECT_TRUE(texts[0].last().contains(QStringLiteral("第%1页 共%1页").arg(texts[0].size())));
    EXPECT_EQ(texts[1], texts[0]);
    EXPECT_EQ(texts[2], texts[0]);
    // The print loop's PDF sets its text at the printer's resolution: the same words on the
    // same pages, the blanks between them aside.
    const auto words = [](const QStringList& pages) {
        QStringList w;
        for (const QString& page : pages)
            w << page.simplified();
        return w;
    };
    EXPECT_EQ(texts[3], texts[4]);
    EXPECT_TRUE(words(texts[3]) == words(texts[0])) << "printed: " << texts[3].size() << " pages, written: "
                                                    << texts[0].size();
    const QDir pages(cache + QStringLiteral("/Pagequill/prepared-pages"));
    EXPECT_TRUE(pages.exists()) << "the pages went to the temporary file";
    EXPECT_TRUE(pages.entryList(QDir::Files | QDir::Hidden | QDir::System).isEmpty()) << "and it went with the program";
}

// A CSV table straight to a paged report: spanning titles and page numbers on every page, the
// rows in order, the same pages through a CUPS queue; and the options that go with it.
// The demonstration form from the command line: the PDF holds the form's controls and every
// receipt of its data grid; the string grid prints alone when asked; a control the form
// does not have is named with the ones it has.
TEST(RenderTool, FormDemoPrintsTheFormAsAReport)
{
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toLocal8Bit());
    const QString pdf = dir.filePath(QStringLiteral("form.pdf"));
    const RenderRun r = Render({QStringLiteral("--form-demo"), QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    auto text = [](const QString& file) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
            return std::optional<QString>();
        return std::optional<QString>(QString::fromUtf8(p.readAllStandardOutput()));
    };
    const std::optional<QString> form = text(pdf);
    if (!form)
        GTEST_SKIP() << "pdftotext (poppler-utils, in the setup script) is not available";
    for (const char* expected : {"收款登记表", "集团总部", "张三", "已审核", "序号", "支付方式", "SK00001", "SK00040", "1,009.75"})
        EXPECT_TRUE(form->contains(QString::fromUtf8(expected))) << expected;
    EXPECT_FALSE(form->contains(QStringLiteral("金额合计"))) << "a form prints its first grid only";

    const QString summary = dir.filePath(QStringLiteral("summary.pdf"));
    ASSERT_EQ(Render({QStringLiteral("--form-demo"), QStringLiteral("--control"), QStringLiteral("sgSummary"),
                  QStringLiteral("--pdf"), summary}).code, 0);
    const std::optional<QString> alone = text(summary);
    ASSERT_TRUE(alone);
    EXPECT_TRUE(alone->contains(QStringLiteral("金额合计")));
    EXPECT_TRUE(alone->contains(QStringLiteral("微信支付")));
    EXPECT_FALSE(alone->contains(QStringLiteral("SK00001")));

    const RenderRun unknown = Render({QStringLiteral("--form-demo"), QStringLiteral("--control"), QStringLiteral("nope"),
        QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("dbgReceipts"))) << unknown.err.toStdString();
    EXPECT_EQ(Render({QStringLiteral("--control"), QStringLiteral("x"), QStringLiteral("--pdf"), pdf}).code, 1);
    EXPECT_EQ(Render({QStringLiteral("--form-demo"), pdf, QStringLiteral("--pdf"), pdf}).code, 1);
}

TEST(RenderTool, GridTurnsATableIntoAPagedReport)
{
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toLocal8Bit()); // the export file goes there
    const QString csv = dir.filePath(QStringLiteral("list.csv"));
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray rows = "编码,名称,金额|收入,金额|支出\n";
        for (int i = 1; i <= 100; ++i)
            rows += QStringLiteral("%1,方式%1,%2.25,%1\n").arg(i, 3, 10, QLatin1Char('0')).arg(i * 3).toUtf8();
        f.write(rows);
    }
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    const RenderRun r = Render({QStringLiteral("--grid"), csv, QStringLiteral("--title"), QStringLiteral("支付方式档案"),
        QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.waitForFinished(60000) || text.exitStatus() != QProcess::NormalExit)
        GTEST_SKIP() << "pdftotext (poppler-utils, in the setup script) is not available";
    const QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 2);
    for (int i = 0; i < pages.size(); ++i) {
        EXPECT_TRUE(pages[i].contains(QStringLiteral("支付方式档案"))) << i;
        EXPECT_TRUE(pages[i].contains(QStringLiteral("金额"))) << "the spanning title on page " << i + 1;
        EXPECT_TRUE(pages[i].contains(QStringLiteral("收入"))) << i;
        EXPECT_TRUE(pages[i].contains(QStringLiteral("第%1页/共%2页").arg(i + 1).arg(pages.size()))) << pages[i].toStdString();
    }
    EXPECT_TRUE(pages.first().contains(QStringLiteral("方式001")));
    EXPECT_TRUE(pages.last().contains(QStringLiteral("方式100")));
    EXPECT_TRUE(pages.last().contains(QStringLiteral("300.25")));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("cache/Pagequill/~superfile.tmp"))));

    const RenderRun noGrid = Render({csv, QStringLiteral("--title"), QStringLiteral("x"), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(noGrid.code, 1);
    EXPECT_TRUE(noGrid.err.contains(QStringLiteral("go with --grid"))) << noGrid.err.toStdString();
    const RenderRun missing = Render({QStringLiteral("--grid"), dir.filePath(QStringLiteral("none.csv")), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(missing.code, 2);
    const RenderRun both = Render({QStringLiteral("--grid"), csv, QStringLiteral("--data"), QStringLiteral("a=") + csv,
        QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(both.code, 1);

    const QString queue = qEnvironmentVariable("PQ_CUPS_QUEUE");
    const QString spool = qEnvironmentVariable("PQ_CUPS_SPOOL");
    if (queue.isEmpty() || spool.isEmpty())
        GTEST_SKIP() << "no CUPS queue (run: eval \"$(bash scripts/cups-queue.sh)\" as root)";
    const QString token = QStringLiteral("pqgrid%1").arg(QDateTime::currentMSecsSinceEpoch());
    const RenderRun printed = Render({QStringLiteral("--grid"), csv, QStringLiteral("--title"), token, QStringLiteral("--print"), queue});
    ASSERT_EQ(printed.code, 0) << printed.err.toStdString();
    const QString spooled = SpooledPdf(spool, token);
    ASSERT_FALSE(spooled.isEmpty()) << "no PDF for the job " << token.toStdString() << " in " << spool.toStdString();
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {spooled});
    info.waitForFinished(30000);
    const QString job = QString::fromLocal8Bit(info.readAllStandardOutput());
    EXPECT_TRUE(job.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\b").arg(pages.size())))) << job.toStdString();
    qunsetenv("XDG_CACHE_HOME");
}

} // namespace pqtest
