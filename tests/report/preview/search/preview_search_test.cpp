// Finding text in the preview window through its keys (Ctrl+F, F3), on real widgets,
// headless: the dialog, the options, across pages, F3 after paging, not found, the inverted
// match, and a long report searched inside the progress window.
#include "report/preview/search/rm_preview_search.h"
#include "report/preview/search/rm_search_form.h"

#include "base/message_box.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/prepare/rm_progress_dialog.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/engine/startup/rm_engine_startup.h"
#include "report/preview/window/rm_preview_form.h"

#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

namespace pq {
namespace {

// One text of a page: where it is and what it says.
// Types any text, as an input method delivers it: one key event per character with its
// text (QTest's own typing knows only ASCII).
void TypeText(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

struct Cell {
    int page; // 0-based
    QRect bounds;
    const char* text;
};

// Three pages; the texts the cases look for.
const Cell kCells[] = {
    {0, QRect(60, 60, 300, 30), "支付方式档案"},
    {0, QRect(60, 120, 300, 30), "ABC 现金"},
    {0, QRect(60, 160, 300, 30), "aBc abc"},      // twice in one text output: one match
    {0, QRect(60, 200, 300, 30), "编号 123"},
    {1, QRect(60, 60, 300, 30), "abc"},
    {1, QRect(60, 120, 300, 30), "金额 12-3"},
    {2, QRect(60, 60, 300, 30), "合计 12"},
    {2, QRect(60, 900, 300, 30), "abc 末页"},
};

class PreviewSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TRMEngineServices::Started())
            engine.emplace(TRMEngineOptions::Headless());
        ASSERT_TRUE(dir.isValid());
        TRMPreviewForm::SetSettingsFile(dir.filePath("settings.ini"));
        RMPreviewMemory() = TRMPreviewMemory{};
        RMSearchSettings() = TRMSearchSettings{};
    }
    void TearDown() override
    {
        if (form)
            form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TRMPreviewForm::SetSettingsFile(QString());
        RMSearchSettings() = TRMSearchSettings{};
    }

    void AddText(TRMEMFPages& pages, int page, QRect r, const QString& text)
    {
        TRMMemoView m;
        m.SetBounds(r.left(), r.top(), r.width(), r.height());
        m.Memo1 = QStringList{text};
        m.Font.Name = QStringLiteral("宋体");
        m.Font.Size = 12;
        pages.AppendView(page, m);
    }

    TRMPreviewForm& Open(int pageCount, const std::function<void(TRMEMFPages&)>& fill)
    {
        report = std::make_unique<TRMReport>();
        report->ModalPreview = false;
        report->PreviewButtons = pbZoom | pbFind | pbExit;
        TRMPage* design = report->Pages.Add(9, 2100, 2970, poPortrait, -1);
        auto* store = new TRMEMFPages(report.get());
        for (int k = 0; k < pageCount; ++k)
            store->AddPage(*design);
        fill(*store);
        form = new TRMPreviewForm;
        form->resize(900, 700);
        form->ShowFor(report.get());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
        form->Preview()->ZoomPercent(100);
        QApplication::processEvents();
        return *form;
    }

    TRMPreviewForm& OpenCells()
    {
        return Open(3, [this](TRMEMFPages& pages) {
            for (const Cell& c : kCells)
                AddText(pages, c.page, c.bounds, QString::fromUtf8(c.text));
        });
    }

    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* target = form->focusWidget() ? form->focusWidget() : form.data();
        QTest::keyClick(target, static_cast<Qt::Key>(key), mods);
    }

    // Ctrl+F, then fills the dialog as a user would and presses Enter (or Esc).
    void FindWithDialog(const QString& text, bool caseSensitive, bool wholeWords, bool fromCurrent, bool cancel = false)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TRMPreviewSearchForm*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            EXPECT_EQ(dialog->windowTitle(), "查找文本");
            if (const char* shots = std::getenv("PQ_SHOT_DIR"))
                dialog->grab().save(QString::fromLocal8Bit(shots) + "/preview-find-dialog.png");
            EXPECT_TRUE(dialog->FromFirstPage()->isChecked()) << "the first page is the default";
            EXPECT_EQ(dialog->TextBox()->selectedText(), dialog->TextBox()->text()) << "shown selected";
            QTest::keyClick(dialog->TextBox(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(dialog->TextBox(), Qt::Key_Delete);
            TypeText(dialog->TextBox(), text);
            if (dialog->CaseBox()->isChecked() != caseSensitive)
                QTest::mouseClick(dialog->CaseBox(), Qt::LeftButton);
            if (dialog->WholeBox()->isChecked() != wholeWords)
                QTest::mouseClick(dialog->WholeBox(), Qt::LeftButton);
            if (fromCurrent)
                QTest::mouseClick(dialog->FromCurrentPage(), Qt::LeftButton);
            QTest::keyClick(dialog->TextBox(), cancel ? Qt::Key_Escape : Qt::Key_Return);
        });
        Key(Qt::Key_F, Qt::ControlModifier);
        EXPECT_TRUE(seen) << "Ctrl+F shows the find dialog";
    }

    // The text of the cell the last match lies in; empty when none.
    QString Matched() const
    {
        const TRMSearchState& s = form->Preview()->Search();
        if (!s.Found)
            return {};
        for (const Cell& c : kCells)
            if (c.page == s.SearchPage && c.bounds.adjusted(-1, -1, 1, 1).contains(s.FoundRect))
                return QString::fromUtf8(c.text);
        return QStringLiteral("?");
    }

    std::optional<TRMEngineStartup> engine;
    QTemporaryDir dir;
    MessageBoxRecorder boxes;
    std::unique_ptr<TRMReport> report;
    QPointer<TRMPreviewForm> form;
};

// What a key does and what it should find: the page shown after it, and the text matched
// (empty: nothing found, the view stays).
struct Step {
    enum Kind { Dialog, F3, GoPage } kind;
    const char* text = "";
    bool caseSensitive = false;
    bool wholeWords = false;
    bool fromCurrent = false;
    int page = 0;           // GoPage: the page to go to
    const char* found = ""; // the text output the match lies in
    int shownPage = 1;
};

struct SearchCase {
    const char* name;
    std::vector<Step> steps;
};

class PreviewSearchCases : public PreviewSearchTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(PreviewSearchCases, FindAndF3)
{
    OpenCells();
    int n = 0;
    for (const Step& s : GetParam().steps) {
        ++n;
        switch (s.kind) {
        case Step::Dialog:
            FindWithDialog(QString::fromUtf8(s.text), s.caseSensitive, s.wholeWords, s.fromCurrent);
            break;
        case Step::F3: Key(Qt::Key_F3); break;
        case Step::GoPage: form->Preview()->GotoPage(s.page); break;
        }
        if (s.kind == Step::GoPage)
            continue;
        EXPECT_EQ(Matched(), QString::fromUtf8(s.found)) << "step " << n;
        EXPECT_EQ(form->Preview()->CurrentPage(), s.shownPage) << "step " << n;
        EXPECT_EQ(form->PageBox()->text(), QString::number(s.shownPage)) << "step " << n;
    }
    EXPECT_TRUE(boxes.shown.isEmpty()) << "finding or not is silent";
}

INSTANTIATE_TEST_SUITE_P(Cases, PreviewSearchCases,
    ::testing::Values(
        SearchCase{"NotCaseSensitiveFindsEveryCasing",
            {{Step::Dialog, "abc", false, false, false, 0, "ABC 现金", 1},
                {Step::F3, "", false, false, false, 0, "aBc abc", 1},
                {Step::F3, "", false, false, false, 0, "abc", 2},
                {Step::F3, "", false, false, false, 0, "abc 末页", 3},
                // after the last match: nothing, the view stays
                {Step::F3, "", false, false, false, 0, "", 3}}},
        SearchCase{"CaseSensitiveSkipsOtherCasings",
            {{Step::Dialog, "abc", true, false, false, 0, "aBc abc", 1},
                {Step::F3, "", false, false, false, 0, "abc", 2}}},
        SearchCase{"WholeWords",
            {{Step::Dialog, "12", false, true, false, 0, "金额 12-3", 2},
                {Step::F3, "", false, false, false, 0, "合计 12", 3}}},
        SearchCase{"WithoutWholeWordsInsideANumber",
            {{Step::Dialog, "12", false, false, false, 0, "编号 123", 1}}},
        SearchCase{"AcrossPagesToTheLast",
            {{Step::Dialog, "末页", false, false, false, 0, "abc 末页", 3}}},
        SearchCase{"F3AfterChangingPageStartsAtTheTopOfThatPage",
            {{Step::Dialog, "abc", false, false, false, 0, "ABC 现金", 1},
                {Step::GoPage, "", false, false, false, 3},
                {Step::F3, "", false, false, false, 0, "abc 末页", 3},
                {Step::GoPage, "", false, false, false, 2},
                {Step::F3, "", false, false, false, 0, "abc", 2}}},
        SearchCase{"FromTheCurrentPage",
            {{Step::GoPage, "", false, false, false, 2},
                {Step::Dialog, "abc", false, false, true, 0, "abc", 2}}},
        SearchCase{"NotFoundLeavesTheView",
            {{Step::GoPage, "", false, false, false, 2},
                {Step::Dialog, "没有的字", false, false, false, 0, "", 2},
                {Step::F3, "", false, false, false, 0, "", 2}}},
        SearchCase{"AfterTheLastMatchF3OnAnotherPageRestartsThere",
            {{Step::Dialog, "合计", false, false, false, 0, "合计 12", 3},
                {Step::F3, "", false, false, false, 0, "", 3},
                {Step::GoPage, "", false, false, false, 1},
                {Step::F3, "", false, false, false, 0, "合计 12", 3}}}),
    [](const ::testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

TEST_F(PreviewSearchTest, CancelledDialogChangesNothingAndTheDialogShowsTheLastSearch)
{
    OpenCells();
    FindWithDialog(QStringLiteral("abc"), false, false, false);
    ASSERT_EQ(Matched(), "ABC 现金");
    const TRMSearchState before = form->Preview()->Search();
    FindWithDialog(QStringLiteral("合计"), true, true, false, /*cancel*/ true);
    const TRMSearchState& after = form->Preview()->Search();
    EXPECT_EQ(after.SearchText, before.SearchText);
    EXPECT_EQ(after.SearchPage, before.SearchPage);
    EXPECT_EQ(after.SearchRecord, before.SearchRecord);
    EXPECT_EQ(after.SearchText, "ABC") << "kept upper-cased when not case-sensitive";

    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TRMPreviewSearchForm*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->TextBox()->text(), "ABC");
        EXPECT_FALSE(dialog->CaseBox()->isChecked());
        checked = true;
        dialog->reject();
    });
    Key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(checked);
}

TEST_F(PreviewSearchTest, F3WithoutASearchDoesNothing)
{
    OpenCells();
    form->Preview()->GotoPage(2);
    Key(Qt::Key_F3);
    EXPECT_FALSE(form->Preview()->Search().Found);
    EXPECT_EQ(form->Preview()->CurrentPage(), 2);
}

int DarkPixels(const QImage& image, const QRect& r)
{
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ++dark;
    return dark;
}

TEST_F(PreviewSearchTest, TheMatchIsScrolledIntoViewAndInvertedUntilTheNextScroll)
{
    OpenCells();
    FindWithDialog(QStringLiteral("末页"), false, false, false);
    ASSERT_EQ(Matched(), "abc 末页");
    TRMPreview& p = *form->Preview();
    const QRect inverted = p.Inverted();
    ASSERT_FALSE(inverted.isEmpty());
    EXPECT_TRUE(p.DrawPanel()->rect().contains(inverted)) << "the match at y 900 is scrolled into the panel";
    const QImage shown = p.DrawPanel()->grab().toImage();
    const int area = inverted.width() * inverted.height();
    EXPECT_GT(DarkPixels(shown, inverted), area / 2) << "white paper shows black where inverted";
    if (const char* dir = std::getenv("PQ_SHOT_DIR"))
        shown.save(QString::fromLocal8Bit(dir) + "/preview-search-match.png");

    Key(Qt::Key_Down); // scrolling repaints: the inversion is gone
    EXPECT_TRUE(p.Inverted().isEmpty());
    const QImage after = p.DrawPanel()->grab().toImage();
    EXPECT_LT(DarkPixels(after, inverted.translated(0, -10) & p.DrawPanel()->rect()), area / 2);
}

// A long report: the search goes on inside the progress window, events keep running (the
// timer below fires while pages are searched) and Cancel stops it.
class LongReportSearch : public PreviewSearchTest {
protected:
    static constexpr int kPages = 1000;
    TRMPreviewForm& OpenLong()
    {
        RMSearchSettings().QuietMs = 0;
        return Open(kPages, [this](TRMEMFPages& pages) {
            for (int k = 0; k < kPages; ++k) {
                AddText(pages, k, QRect(60, 60, 300, 30), QStringLiteral("第%1页").arg(k + 1));
                AddText(pages, k, QRect(60, 100, 300, 30), QStringLiteral("现金 %1.00").arg(k * 3));
            }
        });
    }
};

TEST_F(LongReportSearch, FindsOnTheLastPageWithTheProgressWindowRunningEvents)
{
    OpenLong();
    int ticks = 0;
    QString label;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* progress = qobject_cast<TRMProgressDialog*>(QApplication::activeModalWidget())) {
            ++ticks;
            label = progress->Label()->text();
        }
    });
    timer.start();
    FindWithDialog(QStringLiteral("第1000页"), false, false, false);
    timer.stop();
    EXPECT_EQ(form->Preview()->CurrentPage(), kPages);
    EXPECT_TRUE(form->Preview()->Search().Found);
    EXPECT_GT(ticks, 10) << "the event loop ran while the pages were searched";
    EXPECT_TRUE(label.startsWith("正在处理页:")) << label.toStdString();
    // Pages that were never on the screen were searched and released again.
    for (int k = 2; k < kPages - 3; ++k)
        ASSERT_EQ(form->Preview()->Pages()->Page(k)->Page.get(), nullptr) << "page " << k + 1;
}

TEST_F(LongReportSearch, CancelStopsTheSearchWhereItIs)
{
    OpenLong();
    form->Preview()->GotoPage(5);
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* progress = qobject_cast<TRMProgressDialog*>(QApplication::activeModalWidget());
        if (progress && form->Preview()->Search().SearchPage >= 20)
            QTest::mouseClick(progress->CancelButton(), Qt::LeftButton);
    });
    timer.start();
    FindWithDialog(QStringLiteral("没有的字"), false, false, false);
    timer.stop();
    const TRMSearchState& s = form->Preview()->Search();
    EXPECT_FALSE(s.Found);
    EXPECT_GE(s.SearchPage, 20);
    EXPECT_LT(s.SearchPage, kPages) << "stopped before the end";
    EXPECT_EQ(form->Preview()->CurrentPage(), 5) << "the view stays";
}

} // namespace
} // namespace pq
