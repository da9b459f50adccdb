// pq-render from the outside: the sample renders to PDF and PNG, bad input gives clear
// errors and non-zero exit codes.
#include "report/engine/files/rm_report_file.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_view_factory.h"
#include "report/engine/startup/rm_engine_startup.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pqtest {
namespace {

struct RenderRun {
    int code = -1;
    QString err;
};

RenderRun Render(const QStringList& args)
{
    QProcess p;
    p.setProgram(QStringLiteral(PQ_RENDER_PATH));
    p.setArguments(args);
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

} // namespace
} // namespace pqtest
