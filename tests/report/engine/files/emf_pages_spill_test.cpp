// The prepared-pages store beyond its memory budget: pages in its private temporary file give
// the same streams, saved files, drawings and exports as pages in memory, through every
// edit of the store; the file is private, goes with the pages, and a file left by a dead
// process goes at the next start; a damaged file is an error of what asked for the page.
#include "files_test_support.h"

#include "base/message_box.h"
#include "report/engine/files/rm_page_file.h"
#include "report/engine/files/rm_pdf_export.h"
#include "report/engine/files/rm_stream.h"
#include "report/engine/rm_engine_services.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace pqtest {
namespace {

using namespace pq;

constexpr int kPages = 40;

class SpillTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.filePath(QStringLiteral("pages"));
        Start();
        RMRegisterStandardAddIns();
        m_design = m_report.Pages.Add(9, 2100, 2970, poPortrait, -1);
    }
    void TearDown() override { m_engine.reset(); }

    void Start()
    {
        m_engine.reset();
        TRMEngineOptions o = TRMEngineOptions::Headless();
        o.PagesFolder = m_folder;
        m_engine.emplace(std::move(o));
    }

    // Pages of different lengths, each with memos of its own texts.
    // A budget no test's pages reach: every page stays in memory.
    static constexpr qint64 kAllInMemory = qint64(1) << 40;

    // The store given the budget first, then the pages.
    void FillWithin(TRMEMFPages& pages, qint64 budget)
    {
        pages.SetMemoryBudget(budget);
        Fill(pages);
    }

    void Fill(TRMEMFPages& pages, int count = kPages)
    {
        for (int i = 0; i < count; ++i) {
            pages.AddPage(*m_design);
            for (int k = 0; k <= i % 7; ++k) {
                TRMMemoView m;
                m.Name = QStringLiteral("M%1_%2").arg(i).arg(k);
                m.SetBounds(20, 30 + 40 * k, 300, 30);
                m.Memo1 = QStringList{QStringLiteral("第%1页 第%2行 支付方式档案").arg(i + 1).arg(k + 1)};
                m.LeftFrame.Visible = m.TopFrame.Visible = true;
                pages.AppendView(pages.Count() - 1, m);
            }
        }
    }

    // A page's drawing, to compare pixels.
    static QImage Drawn(TRMEMFPages& pages, int index)
    {
        QImage image(397, 561, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        pages.Draw(index, &painter, image.rect());
        painter.end();
        pages.FreePage(index);
        return image;
    }

    static QStringList Exported(TRMEMFPages& pages, int index)
    {
        QStringList out;
        pages.ExportPage(index, [&out](TRMView& v) { out << v.Name + QLatin1Char('=') + v.Memo1.join(QLatin1Char('|')); });
        return out;
    }

    // The largest stream of the store.
    static qint64 LargestPage(TRMEMFPages& pages)
    {
        qint64 largest = 0;
        for (int i = 0; i < pages.Count(); ++i)
            largest = std::max<qint64>(largest, pages.Stream(i).size());
        return largest;
    }

    QTemporaryDir m_dir;
    QString m_folder;
    std::optional<TRMEngineStartup> m_engine;
    TRMReport m_report;
    TRMPage* m_design = nullptr;
};

struct BudgetCase {
    const char* name;
    qint64 budget; // -1: a few pages' worth
};

class SpillBudgetTest : public SpillTest, public ::testing::WithParamInterface<BudgetCase> {};

TEST_P(SpillBudgetTest, PagesInTheFileAreThePagesInMemory)
{
    TRMEMFPages reference(nullptr);
    FillWithin(reference, kAllInMemory);

    TRMEMFPages spilled(nullptr);
    const qint64 budget = GetParam().budget >= 0 ? GetParam().budget : 3 * LargestPage(reference);
    FillWithin(spilled, budget);

    EXPECT_EQ(reference.PagesInFile(), 0);
    EXPECT_GT(spilled.PagesInFile(), kPages / 2) << "the budget keeps few pages in memory";
    EXPECT_LE(spilled.BytesInMemory(), budget + LargestPage(reference)) << "memory stays within the budget";
    EXPECT_TRUE(spilled.SpillError().isEmpty()) << spilled.SpillError().toStdString();
    ASSERT_EQ(spilled.Count(), reference.Count());

    EXPECT_EQ(spilled.SaveToStream(), reference.SaveToStream()) << "saving writes the same bytes";
    for (int i = 0; i < kPages; ++i) {
        EXPECT_EQ(spilled.Stream(i), reference.Stream(i)) << "page " << i + 1;
        EXPECT_EQ(Exported(spilled, i), Exported(reference, i)) << "page " << i + 1;
    }
    for (int i : {0, 1, kPages / 2, kPages - 1})
        EXPECT_EQ(Drawn(spilled, i), Drawn(reference, i)) << "page " << i + 1;
    EXPECT_LE(spilled.BytesInMemory(), budget + LargestPage(reference)) << "pages read back are a cache within the budget";
    EXPECT_TRUE(spilled.ReadError().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Budgets, SpillBudgetTest,
    ::testing::Values(BudgetCase{"Nothing", 0}, BudgetCase{"OneByte", 1}, BudgetCase{"AFewPages", -1}),
    [](const auto& info) { return std::string(info.param.name); });

// The same edit on a store in memory and on one in its file gives the same file.
struct EditCase {
    const char* name;
    std::function<void(TRMEMFPages& pages, TRMPage& design)> edit;
};

class SpillEditTest : public SpillTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(SpillEditTest, EditsOfPagesInTheFileAreKept)
{
    TRMEMFPages reference(nullptr);
    FillWithin(reference, kAllInMemory);
    TRMEMFPages spilled(nullptr);
    FillWithin(spilled, 1);
    ASSERT_GT(spilled.PagesInFile(), 0);

    GetParam().edit(reference, *m_design);
    GetParam().edit(spilled, *m_design);
    EXPECT_EQ(spilled.Count(), reference.Count());
    EXPECT_EQ(spilled.SaveToStream(), reference.SaveToStream());
    for (int i = 0; i < reference.Count(); ++i)
        EXPECT_EQ(spilled.Stream(i), reference.Stream(i)) << "page " << i + 1;
    EXPECT_TRUE(spilled.ReadError().isEmpty());
}

const EditCase kEdits[] = {
    {"ViewAppendedToAnEarlyPage",
        [](TRMEMFPages& p, TRMPage&) {
            TRMMemoView m;
            m.Name = QStringLiteral("Late");
            m.Memo1 = QStringList{QStringLiteral("页脚 written after forty pages")};
            p.AppendView(2, m);
        }},
    {"StreamReplacedLongerAndShorter",
        [](TRMEMFPages& p, TRMPage&) {
            QByteArray longer = p.Stream(3);
            TRMMemoView m;
            m.Name = QStringLiteral("More");
            TRMWriter w;
            w.Data = longer;
            RMWritePreparedView(w, m);
            p.SetStream(3, w.Data);
            p.SetStream(5, QByteArray(1, 43));
        }},
    {"PageBuiltEditedAndStored",
        [](TRMEMFPages& p, TRMPage&) {
            TRMPage* page = p.BuildPage(4);
            ASSERT_NE(page, nullptr);
            ASSERT_FALSE(page->Objects.empty());
            page->Objects.front()->Left += 7;
            p.StorePage(4);
            p.FreePage(4);
        }},
    {"PagesInsertedAndDeleted",
        [](TRMEMFPages& p, TRMPage&) {
            p.InsertPage(1, *p.Page(7));
            p.DeletePage(10);
            p.DeletePage(0);
            p.InsertPage(p.Count(), *p.Page(0));
        }},
    {"PagesReordered",
        [](TRMEMFPages& p, TRMPage&) {
            std::vector<int> order;
            for (int i = p.Count() - 1; i >= 0; --i)
                order.push_back(i);
            p.Reorder(order);
        }},
    {"PagesOfAnotherStoreAppended",
        [](TRMEMFPages& p, TRMPage& design) {
            TRMEMFPages other(nullptr);
            other.SetMemoryBudget(p.MemoryBudget());
            for (int i = 0; i < 12; ++i) {
                other.AddPage(design);
                TRMMemoView m;
                m.Name = QStringLiteral("Other%1").arg(i);
                m.Memo1 = QStringList{QStringLiteral("另一份报表 %1").arg(i)};
                other.AppendView(i, m);
            }
            p.AppendPages(other);
            EXPECT_EQ(other.Count(), 0);
        }},
    {"SavedAndLoadedAgain",
        [](TRMEMFPages& p, TRMPage&) {
            const QByteArray file = p.SaveToStream();
            ASSERT_TRUE(p.LoadFromStream(file, false).Ok());
        }},
};

INSTANTIATE_TEST_SUITE_P(Edits, SpillEditTest, ::testing::ValuesIn(kEdits),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpillTest, LoadingALargeFileKeepsToTheBudget)
{
    TRMEMFPages reference(nullptr);
    FillWithin(reference, kAllInMemory);
    const QByteArray file = reference.SaveToStream();

    TRMEMFPages loaded(nullptr);
    loaded.SetMemoryBudget(2 * LargestPage(reference));
    ASSERT_TRUE(loaded.LoadFromStream(file, false).Ok());
    EXPECT_GT(loaded.PagesInFile(), kPages / 2);
    EXPECT_LE(loaded.BytesInMemory(), 3 * LargestPage(reference));
    EXPECT_EQ(loaded.SaveToStream(), file);
}

TEST_F(SpillTest, TheTemporaryFileIsPrivateAndGoesWithThePages)
{
    auto pages = std::make_unique<TRMEMFPages>(nullptr);
    EXPECT_EQ(pages->MemoryBudget(), kDefaultPagesMemoryBudget) << "the engine's budget by default";
    Fill(*pages, 3);
    EXPECT_TRUE(pages->PageFileName().isEmpty()) << "no file while the pages fit";
    pages->SetMemoryBudget(0);
    const QString file = pages->PageFileName();
    ASSERT_FALSE(file.isEmpty());
    EXPECT_EQ(QFileInfo(file).absolutePath(), QFileInfo(m_folder).absoluteFilePath());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(QFile::encodeName(m_folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    pages->Clear();
    EXPECT_FALSE(QFileInfo::exists(file)) << "cleared pages take their file along";
    Fill(*pages, 3);
    const QString second = pages->PageFileName();
    ASSERT_FALSE(second.isEmpty());
    pages.reset();
    EXPECT_FALSE(QFileInfo::exists(second)) << "the store takes its file along";
    EXPECT_TRUE(QDir(m_folder).entryList(QDir::Files).isEmpty());
}

TEST_F(SpillTest, FilesOfStoresThatDiedGoAtTheNextStart)
{
    TRMEMFPages live(nullptr);
    live.SetMemoryBudget(0);
    Fill(live, 3);
    const QString liveFile = live.PageFileName();
    ASSERT_FALSE(liveFile.isEmpty());

    // What a process that crashed leaves: a page file nobody holds.
    const QString stale = m_folder + QStringLiteral("/pages-Ab12Cd");
    {
        QFile f(stale);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("left over");
    }
    const QString notOurs = m_folder + QStringLiteral("/notes.txt");
    {
        QFile f(notOurs);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // A link named like a page file is not followed to what it names.
    const QString target = m_dir.filePath(QStringLiteral("precious"));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(target, m_folder + QStringLiteral("/pages-link")));

    Start(); // the engine's next start
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(liveFile)) << "a store alive holds its file";
    EXPECT_TRUE(QFileInfo::exists(notOurs));
    EXPECT_TRUE(QFileInfo::exists(target));
    for (int i = 0; i < live.Count(); ++i)
        EXPECT_GT(live.Stream(i).size(), 1);
}

// What may happen to the file under a running store.
struct DamageCase {
    const char* name;
    std::function<void(const QString& file)> damage;
    bool readable; // the pages still read back as they were
};

class SpillDamageTest : public SpillTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(SpillDamageTest, ADamagedFileIsAnErrorNotACrash)
{
    TRMEMFPages reference(nullptr);
    FillWithin(reference, kAllInMemory);
    TRMEMFPages spilled(nullptr);
    FillWithin(spilled, 1);
    ASSERT_GT(spilled.PagesInFile(), kPages / 2);
    GetParam().damage(spilled.PageFileName());

    if (GetParam().readable) {
        for (int i = 0; i < kPages; ++i)
            EXPECT_EQ(spilled.Stream(i), reference.Stream(i));
        EXPECT_EQ(spilled.SaveToStream(), reference.SaveToStream());
        return;
    }
    // The first page the damage reached.
    int damaged = -1;
    for (int i = 0; i < kPages && damaged < 0; ++i) {
        try {
            EXPECT_EQ(spilled.Stream(i), reference.Stream(i)) << "a page that reads is the page";
        } catch (const TRMStreamError&) {
            damaged = i;
        }
    }
    ASSERT_GE(damaged, 0);
    EXPECT_THROW(spilled.Stream(damaged), TRMStreamError) << "and it stays unreadable";
    EXPECT_TRUE(spilled.ReadError().isEmpty()) << "asking for the stream is the asker's error";
    Drawn(spilled, damaged);
    const QString named = QStringLiteral("第%1页").arg(damaged + 1);
    EXPECT_TRUE(spilled.ReadError().contains(named)) << "drawing the page says it could not: " << spilled.ReadError().toStdString();
    EXPECT_TRUE(Exported(spilled, damaged).isEmpty());
    EXPECT_THROW(spilled.SaveToStream(), TRMStreamError);

    // Saving fails with a message and keeps the file that was there.
    const QString target = m_dir.filePath(QStringLiteral("kept.rmp"));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old report");
    }
    MessageBoxRecorder boxes;
    EXPECT_FALSE(spilled.SaveToFile(target));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.contains(named)) << boxes.shown[0].text.toStdString();
    QFile kept(target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("old report"));

    // A PDF of the pages is refused, not written with blank pages.
    QByteArray pdf;
    QBuffer device(&pdf);
    device.open(QIODevice::WriteOnly);
    QString error;
    EXPECT_FALSE(RMExportPdf(spilled, device, TRMPdfExportOptions{}, &error));
    EXPECT_TRUE(error.contains(named)) << error.toStdString();
}

void Resize(const QString& file, double part)
{
    QFile f(file);
    ASSERT_TRUE(f.resize(static_cast<qint64>(f.size() * part)));
}

const DamageCase kDamages[] = {
    {"CutToNothing", [](const QString& f) { Resize(f, 0); }, false},
    {"CutShort", [](const QString& f) { Resize(f, 0.5); }, false},
    {"ByteChanged",
        [](const QString& file) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.seek(40));
            char c = 0;
            ASSERT_TRUE(f.getChar(&c));
            ASSERT_TRUE(f.seek(40));
            ASSERT_TRUE(f.putChar(static_cast<char>(c ^ 0x5A)));
        },
        false},
    {"EndPositionChanged",
        [](const QString& file) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.write("\xff\xff\xff\x7f", 4);
        },
        false},
    // Removing the name changes nothing for the store that holds the file open.
    {"Deleted", [](const QString& f) { ASSERT_TRUE(QFile::remove(f)); }, true},
    {"GrownAtTheEnd",
        [](const QString& file) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::Append));
            f.write(QByteArray(1000, 'x'));
        },
        true},
};

INSTANTIATE_TEST_SUITE_P(Damages, SpillDamageTest, ::testing::ValuesIn(kDamages),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpillTest, NoFolderForTheFileKeepsThePagesInMemory)
{
    // Another user's folder or a file in its place: the file cannot be made there.
    QFile blocker(m_folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TRMEMFPages pages(nullptr);
    pages.SetMemoryBudget(0);
    Fill(pages, 5);
    EXPECT_FALSE(pages.SpillError().isEmpty());
    EXPECT_EQ(pages.PagesInFile(), 0);
    EXPECT_EQ(pages.Count(), 5);
    for (int i = 0; i < pages.Count(); ++i)
        EXPECT_GT(pages.Stream(i).size(), 1);
}

} // namespace
} // namespace pqtest
