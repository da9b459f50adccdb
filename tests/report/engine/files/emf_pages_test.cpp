// The prepared-pages store: adding, inserting and deleting pages, building and releasing a
// page's objects, writing edits back, export hand-off, hit testing and drawing.
#include "files_test_support.h"

#include "base/message_box.h"
#include "report/engine/files/rm_report_file.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_view_factory.h"
#include "report/tools/sample_report.h"

#include <QPainter>
#include <QPicture>

namespace pqtest {
namespace {

using namespace pq;

std::unique_ptr<TRMMemoView> MakeMemo(const QString& name, QRect bounds, const QString& text)
{
    auto m = std::make_unique<TRMMemoView>();
    m->Name = name;
    m->SetBounds(bounds.left(), bounds.top(), bounds.width(), bounds.height());
    m->Memo1 = QStringList{text};
    return m;
}

TEST_F(FilesTest, AddPageTakesTheDesignPagesPaper)
{
    TRMReport report;
    report.Pages.Add(9, 2100, 2970, poPortrait, -1);
    TRMPage* design = report.Pages.Add(8, 2970, 4200, poLandscape, 4);
    design->LeftMargin = 10000;
    design->TopMargin = 0;
    design->RightMargin = 5000;
    design->BottomMargin = 25400;
    TRMEMFPages& pages = RMPreparedPages(report);
    TRMEMFPage* p = pages.AddPage(*design);
    EXPECT_EQ(p->Size, 8);
    EXPECT_EQ(p->Width, 2970);
    EXPECT_EQ(p->Height, 4200);
    EXPECT_EQ(p->Orientation, poLandscape);
    EXPECT_EQ(p->Bin, 4);
    EXPECT_EQ(p->Margins, (std::array<int, 4>{38, 0, 19, 96}));
    EXPECT_EQ(p->PageInfo, design->PrinterInfo);
    EXPECT_EQ(p->BackPicture, 1) << "the background of the second design page";
    EXPECT_EQ(p->DesignPage, 2);
    EXPECT_EQ(pages.Stream(pages.Count() - 1), QByteArray(1, 43));
    design->ShowBackPicture = 0;
    EXPECT_EQ(pages.AddPage(*design)->BackPicture, kNoBackPicture);
}

TEST_F(FilesTest, InsertDeleteAndClear)
{
    TRMReport report;
    TRMPage* design = report.Pages.Add(9, 2100, 2970, poPortrait, -1);
    TRMEMFPages& pages = RMPreparedPages(report);
    EXPECT_EQ(report.EMFPages, &pages);
    pages.AddPage(*design);
    auto m = MakeMemo(QStringLiteral("A"), QRect(0, 0, 10, 10), QStringLiteral("a"));
    pages.AppendView(0, *m);
    pages[0]->Bin = 5;
    TRMEMFPage* inserted = pages.InsertPage(0, *pages[0]);
    EXPECT_EQ(pages.Count(), 2);
    EXPECT_EQ(pages[0], inserted);
    EXPECT_EQ(inserted->Bin, 5);
    EXPECT_EQ(pages.Stream(0), QByteArray(1, 43)) << "an inserted page starts empty";
    EXPECT_GT(pages.Stream(1).size(), 1);
    pages.InsertPage(99, *pages[1]);
    EXPECT_EQ(pages.Count(), 3);
    pages.DeletePage(0);
    pages.DeletePage(-1);
    pages.DeletePage(7);
    EXPECT_EQ(pages.Count(), 2);
    EXPECT_GT(pages.Stream(0).size(), 1);

    int handled = 0;
    pages.OnClear = [&](TRMEMFPages&) { ++handled; };
    pages.Clear();
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(pages.Count(), 2) << "the handler replaces clearing";
    pages.OnClear = nullptr;
    pages.AddBkPicture(0, 0, 1, 1, QImage());
    pages.Clear();
    EXPECT_EQ(pages.Count(), 0);
    EXPECT_EQ(pages.BkPictureCount(), 0);
    EXPECT_EQ(pages.Page(0), nullptr);
}

TEST_F(FilesTest, BuildFreeAndStoreAfterEditing)
{
    TRMReport report;
    TRMEMFPages& pages = RMPreparedPages(report);
    pages.AddPage(*report.Pages.Add(9, 2100, 2970, poPortrait, -1));
    auto a = MakeMemo(QStringLiteral("A"), QRect(10, 10, 100, 20), QStringLiteral("first"));
    auto b = MakeMemo(QStringLiteral("B"), QRect(10, 40, 100, 20), QStringLiteral("second"));
    pages.AppendView(0, *a);
    pages.AppendView(0, *b);

    TRMPage* page = pages.BuildPage(0);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->Report, &report);
    EXPECT_EQ(page->PrinterInfo, pages[0]->PageInfo);
    EXPECT_EQ(page->LeftMargin, 15081) << "57 pixels back in thousandths of a millimetre";
    ASSERT_EQ(page->Objects.size(), 2u);
    EXPECT_EQ(page->Objects[1]->Memo1, QStringList{QStringLiteral("second")});
    EXPECT_EQ(page->Objects[1]->ParentPage, page);

    page->Objects[1]->Memo1 = QStringList{QStringLiteral("edited 改")};
    pages.StorePage(0);
    pages.FreePage(0);
    EXPECT_EQ(pages[0]->Page, nullptr);
    page = pages.BuildPage(0);
    EXPECT_EQ(page->Objects[1]->Memo1, QStringList{QStringLiteral("edited 改")});
    EXPECT_EQ(pages.BuildPage(5), nullptr);
}

TEST_F(FilesTest, ExportHandsEveryViewOver)
{
    TRMEMFPages pages;
    TRMReport report;
    pages.AddPage(*report.Pages.Add(9, 2100, 2970, poPortrait, -1));
    for (int i = 0; i < 3; ++i) {
        auto m = MakeMemo(QStringLiteral("M%1").arg(i), QRect(0, i * 20, 50, 20), QString::number(i));
        pages.AppendView(0, *m);
    }
    QStringList seen;
    pages.ExportPage(0, [&](TRMView& v) {
        EXPECT_EQ(v.PreparedMode, 0);
        seen.append(v.Name + QLatin1Char('=') + v.Memo1.join(QString()));
    });
    EXPECT_EQ(seen, (QStringList{QStringLiteral("M0=0"), QStringLiteral("M1=1"), QStringLiteral("M2=2")}));
}

TEST_F(FilesTest, ObjectAtFindsTheTopmostViewAndFiresTheReportsHandler)
{
    TRMReport report;
    TRMEMFPages& pages = RMPreparedPages(report);
    pages.AddPage(*report.Pages.Add(9, 2100, 2970, poPortrait, -1));
    auto under = MakeMemo(QStringLiteral("Under"), QRect(0, 0, 100, 100), QString());
    auto over = MakeMemo(QStringLiteral("Over"), QRect(50, 50, 100, 100), QString());
    pages.AppendView(0, *under);
    pages.AppendView(0, *over);

    auto hit = pages.ObjectAt(0, QPoint(75, 75), true);
    ASSERT_TRUE(hit.View);
    EXPECT_EQ(hit.View->Name, QStringLiteral("Over"));
    EXPECT_FALSE(hit.HandlerAssigned);

    QStringList clicked, hovered;
    report.OnObjectClick = [&](TRMView* v) { clicked.append(v->Name); };
    report.OnMouseOverObject = [&](TRMView* v) { hovered.append(v->Name); };
    hit = pages.ObjectAt(0, QPoint(10, 10), true);
    EXPECT_TRUE(hit.HandlerAssigned);
    hit = pages.ObjectAt(0, QPoint(120, 120), false);
    EXPECT_TRUE(hit.HandlerAssigned);
    EXPECT_EQ(clicked, QStringList{QStringLiteral("Under")});
    EXPECT_EQ(hovered, QStringList{QStringLiteral("Over")});
    hit = pages.ObjectAt(0, QPoint(500, 500), true);
    EXPECT_EQ(hit.View, nullptr);
    EXPECT_FALSE(hit.HandlerAssigned);
    EXPECT_EQ(clicked.size(), 1);
}

TEST_F(FilesTest, PageOfAMissingAddInStopsAtThatViewAndReportsIt)
{
    RMRegisterObject({QStringLiteral("TRMGoneView"), [] { return std::make_unique<TRMShapeView>(); }, {},
        QStringLiteral("Gone"), QString(), 0});
    TRMEMFPages pages;
    TRMReport report;
    pages.AddPage(*report.Pages.Add(9, 2100, 2970, poPortrait, -1));
    auto first = MakeMemo(QStringLiteral("First"), QRect(0, 0, 10, 10), QString());
    pages.AppendView(0, *first);
    TRMWriter w;
    w.Data = pages.Stream(0);
    TRMShapeView gone;
    gone.Name = QStringLiteral("G");
    w.WriteByte(gtAddIn);
    w.WriteString(QStringLiteral("TRMGoneView"));
    gone.PreparedMode = 1;
    RMSaveView(w, gone);
    pages.SetStream(0, w.Data);
    const QByteArray file = pages.SaveToStream();
    RMUnRegisterObject(QStringLiteral("TRMGoneView"));

    MessageBoxRecorder boxes;
    TRMEMFPages loaded;
    const TRMLoadResult r = loaded.LoadFromStream(file);
    ASSERT_EQ(r.Status, TRMLoadStatus::Loaded);
    EXPECT_EQ(r.Skipped, QStringList{QStringLiteral("TRMGoneView")});
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("TRMGoneView")));
    TRMPage* page = loaded.BuildPage(0);
    ASSERT_EQ(page->Objects.size(), 1u);
    EXPECT_EQ(loaded.MissingClasses(), QStringList{QStringLiteral("TRMGoneView")});
    EXPECT_EQ(loaded.SaveToStream(), file) << "the page keeps the bytes it could not read";
}

// ---- drawing ----

constexpr std::uint32_t kFill = 0x00E0C0A0; // 0x00BBGGRR
const QColor kFillColor(0xA0, 0xC0, 0xE0);

// A 200 × 100 pixel page holding one framed, filled memo at (20, 10) of 100 × 40.
void MakeDrawPage(TRMEMFPages& pages, TRMReport& report)
{
    pages.AddPage(*report.Pages.Add(9, 2100, 2970, poPortrait, -1));
    pages[0]->PageInfo.PageWidth = 200;
    pages[0]->PageInfo.PageHeight = 100;
    auto m = MakeMemo(QStringLiteral("M"), QRect(20, 10, 100, 40), QStringLiteral("WWWW"));
    m->FillColor = kFill;
    m->Font.Name = QStringLiteral("DejaVu Sans");
    m->Font.Size = 10;
    for (TRMFrameLine* f : m->Frames()) {
        f->Visible = true;
        f->Width = 1;
        f->Color = 0; // black
    }
    pages.AppendView(0, *m);
}

bool IsDark(QRgb c)
{
    return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100;
}

int DarkPixelsIn(const QImage& image, QRect r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += IsDark(image.pixel(x, y)) ? 1 : 0;
    return n;
}

class DrawScale : public FilesTest, public ::testing::WithParamInterface<int> {};

TEST_P(DrawScale, MemoShowsFrameFillAndTextWhereExpected)
{
    const int s = GetParam();
    TRMReport report;
    TRMEMFPages& pages = RMPreparedPages(report);
    MakeDrawPage(pages, report);
    const QPoint offset(7, 5);
    QImage image(200 * s + 20, 100 * s + 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        pages.Draw(0, &p, QRect(offset, QSize(200 * s, 100 * s)));
    }
    const QRect box(offset.x() + 20 * s, offset.y() + 10 * s, 100 * s, 40 * s);
    // frame lines on all four sides
    for (int k = 0; k < 5; ++k) {
        const int x = box.left() + box.width() * (k + 1) / 6;
        const int y = box.top() + box.height() * (k + 1) / 6;
        EXPECT_TRUE(IsDark(image.pixel(x, box.top()))) << "top at " << x;
        EXPECT_TRUE(IsDark(image.pixel(x, box.top() + box.height()))) << "bottom at " << x;
        EXPECT_TRUE(IsDark(image.pixel(box.left(), y))) << "left at " << y;
        EXPECT_TRUE(IsDark(image.pixel(box.left() + box.width(), y))) << "right at " << y;
    }
    // fill inside, near the bottom right corner where no text goes
    EXPECT_EQ(QColor(image.pixel(box.right() - 4 * s, box.bottom() - 4 * s)), kFillColor);
    // text in the top left part of the box, and none outside it
    EXPECT_GT(DarkPixelsIn(image, QRect(box.left() + 3 * s, box.top() + 3 * s, 50 * s, 14 * s)), 10 * s * s);
    EXPECT_EQ(DarkPixelsIn(image, QRect(box.right() + 3 * s, 0, 30, image.height())), 0);
    EXPECT_EQ(DarkPixelsIn(image, QRect(0, box.bottom() + 3 * s, image.width(), 10)), 0);
    // outside the view the page is untouched
    EXPECT_EQ(QColor(image.pixel(offset.x() + 2, offset.y() + 2)), QColor(Qt::white));
}

INSTANTIATE_TEST_SUITE_P(Scales, DrawScale, ::testing::Values(1, 2));

TEST_F(FilesTest, InvisiblePageDrawsNothingAndReleasesItsObjects)
{
    TRMReport report;
    TRMEMFPages& pages = RMPreparedPages(report);
    MakeDrawPage(pages, report);
    pages.BuildPage(0);
    pages[0]->Visible = false;
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        pages.Draw(0, &p, QRect(0, 0, 200, 100));
    }
    EXPECT_EQ(pages[0]->Page, nullptr);
    QImage white(200, 100, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(image, white);
}

// A view that only counts how often it is drawn and with which scale and offset.
class TCountingView : public TRMRegionView {
public:
    static inline int draws = 0;
    static inline double lastScaleX = 0;
    static inline int lastOffsX = 0;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TCountingView>(); }
    QString ClassName() const override { return QStringLiteral("TCountingView"); }
    void Draw(QPainter*) override
    {
        ++draws;
        lastScaleX = ScaleX;
        lastOffsX = OffsX;
    }
};

TEST_F(FilesTest, ViewsOutsideTheVisibleAreaAreSkippedButNotOnAMetafile)
{
    RMRegisterObject({QStringLiteral("TCountingView"), [] { return std::make_unique<TCountingView>(); }, {},
        QStringLiteral("Counting"), QString(), 0});
    TRMReport report;
    TRMEMFPages& pages = RMPreparedPages(report);
    pages.AddPage(*report.Pages.Add(9, 2100, 2970, poPortrait, -1));
    pages[0]->PageInfo.PageWidth = 200;
    pages[0]->PageInfo.PageHeight = 100;
    TCountingView v;
    v.Typ = gtAddIn;
    v.Name = QStringLiteral("C");
    v.SetBounds(20, 10, 100, 40);
    pages.AppendView(0, v);

    TCountingView::draws = 0;
    QImage image(400, 200, QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.setClipRect(QRect(260, 0, 140, 200)); // 20 pixels right of the scaled view
        pages.Draw(0, &p, QRect(10, 0, 400, 200));
    }
    EXPECT_EQ(TCountingView::draws, 0);
    {
        QPainter p(&image);
        p.setClipRect(QRect(255, 0, 140, 200)); // within the 10-pixel margin
        pages.Draw(0, &p, QRect(10, 0, 400, 200));
    }
    EXPECT_EQ(TCountingView::draws, 1);
    EXPECT_DOUBLE_EQ(TCountingView::lastScaleX, 2.0);
    EXPECT_EQ(TCountingView::lastOffsX, 10);
    QPicture picture;
    {
        QPainter p(&picture);
        p.setClipRect(QRect(260, 0, 140, 200));
        pages.Draw(0, &p, QRect(10, 0, 400, 200));
    }
    EXPECT_EQ(TCountingView::draws, 2) << "a metafile records every view";
    RMUnRegisterObject(QStringLiteral("TCountingView"));
}

} // namespace
} // namespace pqtest
