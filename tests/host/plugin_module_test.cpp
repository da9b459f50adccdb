// The real plug-in library, loaded at run time into a test host as the demo host does.
#include "host/host_window.h"
#include "host/plugin_host.h"
#include "plugin/plugin_messages.h"
#include "tests/support/pdf_files.h"
#include "tests/support/recording_app_server.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace pq;

namespace {

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.resize(800, 600);
        app.show();
        panel = new QWidget(&app);
        panel->show();
        host = new PluginHost(&app, panel, &app);
        ASSERT_TRUE(host->Load(QStringLiteral(PQ_PLUGIN_PATH))) << host->ErrorString().toStdString();
        server = new test::RecordingAppServer(true);
        serverRef = AppServerRef(server);
    }
    void TearDown() override { host->Unload(); }

    QFrame* PanelMain() const
    {
        QWidget* w = host->PluginWindow();
        return w ? w->findChild<QFrame*>(QStringLiteral("PanelMain")) : nullptr;
    }

    QWidget app;
    QWidget* panel = nullptr;
    PluginHost* host = nullptr;
    test::RecordingAppServer* server = nullptr;
    AppServerRef serverRef;
};

} // namespace

TEST_F(ModuleTest, AZeroPanelGivesAZeroPanelMainAndTheResizeMessageSizesIt)
{
    panel->setGeometry(0, 0, 0, 0);
    host->Open(server, "0001");
    ASSERT_NE(host->PluginWindow(), nullptr);
    ASSERT_NE(PanelMain(), nullptr);
    EXPECT_EQ(PanelMain()->size(), QSize(0, 0));

    SendPluginMessage(host->PluginWindow(), WM_PLUGIN_RESIZE, 300, 500);
    EXPECT_EQ(PanelMain()->width(), 500);
    EXPECT_EQ(PanelMain()->height(), 300);
}

TEST_F(ModuleTest, TheWindowFillsThePanelAndFollowsItsResizes)
{
    panel->setGeometry(0, 0, 640, 480);
    host->Open(server, "0001");
    QWidget* w = host->PluginWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), panel);
    EXPECT_EQ(w->geometry(), QRect(0, 0, 640, 480));
    EXPECT_EQ(PanelMain()->size(), QSize(640, 480));
    panel->resize(700, 300); // the host relays 1026 on every panel resize
    EXPECT_EQ(w->size(), QSize(700, 300));
    EXPECT_EQ(PanelMain()->size(), QSize(700, 300));
}

TEST_F(ModuleTest, ClosingSendsExactlyOneNoticeBeforeTheWindowIsGone)
{
    panel->resize(400, 300);
    host->Open(server, "0001");
    QPointer<QWidget> w = host->PluginWindow();
    ASSERT_TRUE(w);
    bool aliveAtNotice = false;
    host->onPluginClosed = [&] { aliveAtNotice = !w.isNull(); };
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(host->ClosedNotices(), 1);
    EXPECT_TRUE(aliveAtNotice);
    EXPECT_TRUE(w.isNull()); // freed once the close completed
}

TEST_F(ModuleTest, DestroyingThePanelDestroysTheWindowWithoutANotice)
{
    host->Open(server, "0001");
    QPointer<QWidget> w = host->PluginWindow();
    ASSERT_TRUE(w);
    delete panel;
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(host->ClosedNotices(), 0);
}

TEST_F(ModuleTest, UnloadingReleasesTheServerReference)
{
    const int before = server->RefCount();
    host->Open(server, "0001");
    EXPECT_EQ(server->RefCount(), before + 1); // the plug-in holds one until unload
    host->ClosePluginWindow();
    EXPECT_EQ(server->RefCount(), before + 1); // not released when the window closes
    host->Unload();
    EXPECT_EQ(server->RefCount(), before);
}

TEST(PluginHostCode, LengthPrefixedCodeIsGbkAndAtMost255Bytes)
{
    EXPECT_EQ(PluginHost::LengthPrefixedCode(""), QByteArray(1, '\0'));
    const QByteArray c = PluginHost::LengthPrefixedCode("张0");
    EXPECT_EQ(static_cast<unsigned char>(c[0]), 3);
    const QByteArray full = PluginHost::LengthPrefixedCode(QString(255, 'x'));
    EXPECT_EQ(static_cast<unsigned char>(full[0]), 255);
    EXPECT_EQ(full.size(), 256);
    const QByteArray over = PluginHost::LengthPrefixedCode(QString(300, 'y'));
    EXPECT_EQ(static_cast<unsigned char>(over[0]), 255);
}

TEST_F(ModuleTest, OperatorCodesOfZeroAnd255BytesAreTakenWhole)
{
    const QString longCode = QString(253, 'x') + "张"; // 253 + 2 = 255 GBK bytes
    for (const QString& code : {QString(), longCode, QString("0001")}) {
        server->calls.clear();
        host->Open(server, code);
        const QString expected = "select f_zymc from tbzyda where f_zybm='" + code + "'";
        EXPECT_TRUE(server->Statements().contains(expected)) << code.size();
        host->ClosePluginWindow();
    }
}

TEST(DemoHost, ClosingShowsTheNoticeAndReopeningBringsTheWindowBack)
{
    test::RecordingAppServer* server = new test::RecordingAppServer(true);
    HostWindow host(AppServerRef(server), "0001");
    host.show();
    ASSERT_TRUE(host.LoadPlugin(QStringLiteral(PQ_PLUGIN_PATH)));
    host.OpenPlugin();
    QApplication::processEvents();
    QWidget* plugin = host.Host()->PluginWindow();
    ASSERT_NE(plugin, nullptr);
    auto* overlay = host.Panel()->findChild<QWidget*>("hostOverlay");
    ASSERT_NE(overlay, nullptr);
    EXPECT_FALSE(overlay->isVisible());

    plugin->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::qWait(20);
    EXPECT_EQ(host.Host()->PluginWindow(), nullptr);
    EXPECT_TRUE(overlay->isVisible());

    auto* reopen = host.Panel()->findChild<QPushButton*>("reopenButton");
    ASSERT_NE(reopen, nullptr);
    QTest::mouseClick(reopen, Qt::LeftButton);
    EXPECT_NE(host.Host()->PluginWindow(), nullptr);
    EXPECT_FALSE(overlay->isVisible());
}

// An unattended run whose start-up shows an error box (here the payment-type table lacks its
// columns, so the first query fails) still ends when --quit-after says.
TEST(DemoHost, QuitAfterEndsARunEvenBehindAStartUpErrorBox)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("broken.sqlite"));
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("broken"));
        c.setDatabaseName(db);
        ASSERT_TRUE(c.open());
        QSqlQuery q(c);
        ASSERT_TRUE(q.exec(QStringLiteral("create table tbZffs (nothing_here text)")));
        c.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("broken"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(PQ_DEMO_HOST_PATH),
        {QStringLiteral("--db"), db, QStringLiteral("--plugin"), QStringLiteral(PQ_PLUGIN_PATH), QStringLiteral("--quit-after"),
            QStringLiteral("300")});
    // Generous: only a run that never ends fails here.
    const bool ended = p.waitForFinished(90000);
    if (!ended)
        p.kill();
    EXPECT_TRUE(ended) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
}

// --demo-rows fills the list with generated payment types once: a second run adds nothing,
// and a count out of range is refused before anything is written.
TEST(DemoHost, DemoRowsAddGeneratedPaymentTypesOnce)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("demo.sqlite"));
    auto run = [&](const QString& rows) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(PQ_DEMO_HOST_PATH), {QStringLiteral("--db"), db, QStringLiteral("--plugin"),
            QStringLiteral(PQ_PLUGIN_PATH), QStringLiteral("--demo-rows"), rows, QStringLiteral("--quit-after"), QStringLiteral("300")});
        if (!p.waitForFinished(90000))
            p.kill();
        return p.exitCode();
    };
    auto count = [&] {
        int n = -1;
        {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("demo"));
            c.setDatabaseName(db);
            if (c.open()) {
                QSqlQuery q(c);
                if (q.exec(QStringLiteral("select count(*) from tbZffs where f_Zffsbm between '1001' and '9999'")) && q.next())
                    n = q.value(0).toInt();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("demo"));
        return n;
    };
    EXPECT_EQ(run(QStringLiteral("0")), 1);
    EXPECT_FALSE(QFile::exists(db)) << "a refused count writes nothing";
    EXPECT_EQ(run(QStringLiteral("120")), 0);
    EXPECT_EQ(count(), 120);
    EXPECT_EQ(run(QStringLiteral("150")), 0);
    EXPECT_EQ(count(), 150) << "only the codes not there yet";
}

// Keys pressed into the demo host reach the plug-in window: Ctrl+V opens the preview of the
// list, the picture taken after the last key is of that preview (its grey desk around the
// page), and the run ends cleanly although the plug-in started the report engine itself.
TEST(DemoHost, KeysOpenThePreviewOfTheListAndThePictureShowsIt)
{
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    auto run = [&](const QStringList& more) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(PQ_DEMO_HOST_PATH), QStringList{QStringLiteral("--db"), dir.filePath(QStringLiteral("list.sqlite")),
            QStringLiteral("--plugin"), QStringLiteral(PQ_PLUGIN_PATH), QStringLiteral("--quit-after"), QStringLiteral("5000")} + more);
        if (!p.waitForFinished(120000))
            p.kill();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    };
    const QString hostShot = dir.filePath(QStringLiteral("host.png"));
    const QString previewShot = dir.filePath(QStringLiteral("preview.png"));
    run({QStringLiteral("--demo-rows"), QStringLiteral("120"), QStringLiteral("--screenshot"), hostShot});
    run({QStringLiteral("--keys"), QStringLiteral("Ctrl+V"), QStringLiteral("--screenshot"), previewShot});
    const auto grey = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                n += image.pixelColor(x, y) == QColor(128, 128, 128) ? 1 : 0;
        return n;
    };
    const QImage host(hostShot), preview(previewShot);
    ASSERT_FALSE(host.isNull());
    ASSERT_FALSE(preview.isNull());
    EXPECT_LT(grey(host), 50);
    EXPECT_GT(grey(preview), 500) << "the preview's desk around the page";

    QProcess bad;
    bad.setProcessEnvironment(env);
    bad.start(QStringLiteral(PQ_DEMO_HOST_PATH), {QStringLiteral("--keys"), QStringLiteral("Ctrl+V,NoSuchKey")});
    bad.waitForFinished(60000);
    EXPECT_EQ(bad.exitCode(), 1);
    EXPECT_TRUE(bad.readAllStandardError().contains("NoSuchKey"));
}

// The whole road of a printed list: the demo host opens the real plug-in over a database
// of several pages of payment types, Ctrl+P and Return at the printer question print it to
// the machine's default printer (the CUPS PDF queue) without a dialog. The queue draws every
// glyph again as a picture (it runs the job through PostScript and Ghostscript), so the
// pages are read as pictures: one framed table row per printed record plus the title and
// footer rows, and the title above the table on page 1 only. What the rows say is checked on
// the preview's export of the same list (ListPrinting tests).
TEST(DemoHost, CtrlPPrintsTheListToTheDefaultPrinterThroughCups)
{
    const QString queue = qEnvironmentVariable("PQ_CUPS_QUEUE");
    const QString spool = qEnvironmentVariable("PQ_CUPS_SPOOL");
    if (queue.isEmpty() || spool.isEmpty())
        GTEST_SKIP() << "no CUPS queue (run: eval \"$(bash scripts/cups-queue.sh)\" as root)";
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("list.sqlite"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("PRINTER"), queue);
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    auto run = [&](const QStringList& more) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(PQ_DEMO_HOST_PATH), QStringList{QStringLiteral("--db"), db, QStringLiteral("--plugin"),
            QStringLiteral(PQ_PLUGIN_PATH)} + more);
        if (!p.waitForFinished(120000))
            p.kill();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    };
    const QStringList before = test::SpoolListing(spool);
    run({QStringLiteral("--demo-rows"), QStringLiteral("110"), QStringLiteral("--keys"), QStringLiteral("Ctrl+P,Return"),
        QStringLiteral("--quit-after"), QStringLiteral("8000")});
    int records = 0;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("list"));
        c.setDatabaseName(db);
        ASSERT_TRUE(c.open());
        QSqlQuery q(c);
        ASSERT_TRUE(q.exec(QStringLiteral("select count(*) from tbZffs")) && q.next());
        records = q.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("list"));
    ASSERT_EQ(records, 117);

    // This run's job: the new one named as an untitled report is (every other test that
    // prints names its jobs).
    QString pdf;
    for (int i = 0; i < 300 && pdf.isEmpty(); ++i) {
        for (const QString& f : test::SpoolListing(spool))
            if (!before.contains(f) && f.startsWith(QStringLiteral("Untitled")))
                pdf = test::SpooledPdf(spool, QFileInfo(f).completeBaseName());
        if (pdf.isEmpty())
            QTest::qWait(200);
    }
    ASSERT_FALSE(pdf.isEmpty()) << "no new PDF in " << spool.toStdString();
    const QList<QImage> pages = test::PdfPageImages(pdf, 72, dir.path());
    ASSERT_GE(pages.size(), 3);
    int rows = 0;
    for (int i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(i + 1);
        // The table is two 124-pixel columns wide: 186 points; no text line is that long.
        const QList<int> lines = test::TableLines(pages[i], 150);
        ASSERT_GE(lines.size(), 2);
        rows += static_cast<int>(lines.size()) - 1;
        bool inkAbove = false;
        for (int y = 0; y < lines.first() - 2 && !inkAbove; ++y)
            for (int x = 0; x < pages[i].width() && !inkAbove; ++x)
                inkAbove = qGray(pages[i].pixel(x, y)) < 128;
        EXPECT_EQ(inkAbove, i == 0) << "the title prints above the table of page 1 only";
    }
    EXPECT_EQ(rows, records + 2) << "a row per record, the column titles and the footer row";
}
