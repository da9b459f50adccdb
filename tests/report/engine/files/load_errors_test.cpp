// Messages of the readers, older versions, and damaged or hostile files: a file that fails
// never changes what was loaded before, and nothing reads outside its buffer.
#include "files_test_support.h"
#include "golden.h"

#include "base/message_box.h"
#include "report/engine/files/rm_report_file.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_view_factory.h"
#include "report/tools/sample_report.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <functional>

#include <sys/resource.h>

namespace pqtest {
namespace {

using namespace pq;

const QString kReportMagic = QStringLiteral("Pagequill Report File") + QChar(26);
const QString kPreparedMagic = QStringLiteral("Pagequill Prepared Report File") + QChar(26);

// A report with one page and one named memo, so tests can see it kept.
void MakeKnownReport(TRMReport& report)
{
    report.Dictionary().Variables().SetVariable(QStringLiteral("Keep"), Variant::FromInt(1));
    TRMPage* page = report.Pages.Add(9, 2100, 2970, poPortrait, -1);
    auto memo = std::make_unique<TRMMemoView>();
    memo->Name = QStringLiteral("Keep");
    page->AddObject(std::move(memo));
}

bool StillKnown(TRMReport& report)
{
    return report.Dictionary().Variables().Exists(QStringLiteral("Keep")) && report.Pages.Count() == 1
        && report.Pages[0]->Objects.size() == 1
        && report.Pages[0]->Objects[0]->Name == QStringLiteral("Keep");
}

TEST_F(FilesTest, WrongMagicShowsNotAReportFileAndKeepsTheReport)
{
    MessageBoxRecorder boxes;
    QByteArray data = RMSampleReportFile();
    data[5] = 'X'; // inside the magic
    TRMReport report;
    MakeKnownReport(report);
    const TRMLoadResult r = RMLoadReport(report, data);
    EXPECT_EQ(r.Status, TRMLoadStatus::NotReportFile);
    EXPECT_EQ(r.ErrorText, QStringLiteral("Not Pagequill Report File!"));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("不是Pagequill报表文件！"));
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("错误"));
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Error);
    EXPECT_TRUE(StillKnown(report));
}

TEST_F(FilesTest, NewerVersionIsNotSupported)
{
    MessageBoxRecorder boxes;
    QByteArray data = RMSampleReportFile();
    data[0] = 44;
    TRMReport report;
    MakeKnownReport(report);
    EXPECT_EQ(RMLoadReport(report, data).Status, TRMLoadStatus::Unsupported);
    ASSERT_EQ(boxes.Texts(), QStringList{QStringLiteral("不支持的rmf格式")});
    EXPECT_TRUE(StillKnown(report));
}

TEST_F(FilesTest, EmptyReportStreamLoadsNothingWithoutMessage)
{
    MessageBoxRecorder boxes;
    TRMReport report;
    MakeKnownReport(report);
    EXPECT_EQ(RMLoadReport(report, QByteArray()).Status, TRMLoadStatus::Empty);
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_EQ(report.Pages.Count(), 1) << "pages stay";
    EXPECT_EQ(report.Dictionary().Variables().Count(), 0) << "loading begins by clearing the dictionary";
}

// A report file of the current version with one page and the given raw view records.
QByteArray ReportWithViews(const std::function<void(Golden&)>& views)
{
    Golden g;
    g.u8(43).u8(0).u8(11).str(kReportMagic).u8(0).i32(0).i32(0).u8(0);
    for (int i = 0; i < 5; ++i)
        g.str(QString());
    g.u8(0).u8(0).u16(0).str(QStringLiteral("Default Printer"));
    TRMReport source;
    source.Pages.Add(9, 2100, 2970, poPortrait, -1);
    const QByteArray full = RMSaveReport(source);
    // The page record is everything between the header and the dictionary.
    const qsizetype pageAt = full.indexOf(char(255), g.pos());
    const qsizetype dictAt = full.lastIndexOf(char(252));
    g.raw(full.mid(pageAt, dictAt - pageAt));
    views(g);
    return g.b;
}

// A memo view record: type, page, end position, record (all written by the writer).
void AppendMemo(Golden& g, const QString& name)
{
    TRMMemoView memo;
    memo.Name = name;
    TRMWriter w;
    RMSaveView(w, memo);
    g.u8(gtMemo).u8(0);
    const qsizetype end = g.pos();
    g.i32(0).raw(w.Data);
    g.patch(end, g.pos());
}

TEST_F(FilesTest, MissingAddInIsSkippedByItsEndPositionAndReported)
{
    MessageBoxRecorder boxes;
    const QByteArray data = ReportWithViews([](Golden& g) {
        AppendMemo(g, QStringLiteral("Before"));
        g.u8(gtAddIn).str(QStringLiteral("TRMBarCodeView")).u8(0);
        const qsizetype end = g.pos();
        g.i32(0).raw(QByteArray(17, 'z')); // a record nobody here can read
        g.patch(end, g.pos());
        g.u8(6).u8(0); // a type code that names no class
        const qsizetype end6 = g.pos();
        g.i32(0).raw(QByteArray(5, 'q'));
        g.patch(end6, g.pos());
        AppendMemo(g, QStringLiteral("After"));
    });
    TRMReport report;
    const TRMLoadResult r = RMLoadReport(report, data);
    ASSERT_EQ(r.Status, TRMLoadStatus::Loaded) << r.ErrorText.toStdString();
    EXPECT_EQ(r.Skipped, (QStringList{QStringLiteral("TRMBarCodeView"), QStringLiteral("<type 6>")}));
    ASSERT_EQ(report.Pages[0]->Objects.size(), 2u);
    EXPECT_EQ(report.Pages[0]->Objects[0]->Name, QStringLiteral("Before"));
    EXPECT_EQ(report.Pages[0]->Objects[1]->Name, QStringLiteral("After"));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(
        QStringLiteral("Opened report contains the following non-plugged components:\nTRMBarCodeView\n")));
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("错误"));
    EXPECT_FALSE(RMComponentsMissing()) << "the module-wide list is reset after loading";
}

TEST_F(FilesTest, HostileReportRecordsAreRefused)
{
    struct Case {
        const char* what;
        std::function<void(Golden&)> views;
    };
    const Case cases[] = {
        {"view on a page that does not exist", [](Golden& g) {
             g.u8(gtMemo).u8(3).i32(g.pos() + 4);
         }},
        {"end position behind the record", [](Golden& g) { g.u8(gtMemo).u8(0).i32(2); }},
        {"end position past the stream", [](Golden& g) { g.u8(gtMemo).u8(0).i32(1 << 30); }},
        {"record code above 10", [](Golden& g) { g.u8(11); }},
        {"dictionary count larger than the stream", [](Golden& g) { g.u8(252).u16(1).i32(0x7FFFFFFF); }},
        {"negative dictionary count", [](Golden& g) { g.u8(252).u16(1).i32(-1); }},
        {"string longer than the stream", [](Golden& g) { g.u8(gtAddIn).u16(0xFFFF).u8('x'); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageBoxRecorder boxes;
        TRMReport report;
        MakeKnownReport(report);
        const TRMLoadResult r = RMLoadReport(report, ReportWithViews(c.views));
        EXPECT_EQ(r.Status, TRMLoadStatus::Damaged);
        EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("不支持的rmf格式")});
        EXPECT_TRUE(StillKnown(report));
    }
}

TEST_F(FilesTest, ViewRecordThatRunsPastItsEndIsSkipped)
{
    const QByteArray data = ReportWithViews([](Golden& g) {
        g.u8(gtMemo).u8(0);
        const qsizetype end = g.pos();
        g.i32(0).str(QStringLiteral("Short")); // a record cut short by its end position
        g.patch(end, g.pos());
        AppendMemo(g, QStringLiteral("Next"));
    });
    TRMReport report;
    const TRMLoadResult r = RMLoadReport(report, data, false);
    ASSERT_EQ(r.Status, TRMLoadStatus::Loaded);
    EXPECT_EQ(r.Skipped, QStringList{QStringLiteral("<type 0>")});
    ASSERT_EQ(report.Pages[0]->Objects.size(), 1u);
    EXPECT_EQ(report.Pages[0]->Objects[0]->Name, QStringLiteral("Next"));
}

// ---- older versions ----

// Header of a version-28 file: sub-versions absent (before 36), no magic, no print settings,
// no report information, no zero byte (before 32), no taoda (before 35), the skipped 16-bit
// field, DoublePass and the printer name.
Golden OldHeader(int version)
{
    Golden g;
    g.u8(version).u16(0).u16(0xFFFF).str(QStringLiteral("Default Printer"));
    return g;
}

void OldPage(Golden& g)
{
    g.u8(255).u8(0).str(QStringLiteral("Form")).str(QString());
    g.i32(0).i32(0).i32(0).i32(0).i32(0).u8(3).u8(4);
    g.i32(9).i32(210000).i32(297000).i32(15000).i32(20000).i32(15000).i32(20000);
    g.u8(0).u16(0).i32(1).i32(0).i32(-1).list({});
    g.u8(0);
    const qsizetype end = g.pos();
    g.i32(0);
    g.patch(end, g.pos());
    g.i32(0).i32(0).i32(0).i32(0).u8(0);
}

// An old memo record: object version 9 (one frame set), memo version 9.
void OldMemo(Golden& g)
{
    g.str(QStringLiteral("Old1")).u8(9).u8(9);
    g.i32(100).i32(50).i32(200).i32(100); // tenths of a millimetre
    g.u16(0).i32(0);
    g.u16(frLeft | frTop | 0x20).i32(2000).i32(0x0000FF).u16(psDash); // frame set
    g.u16(0).i32(2).i32(2).i32(0x1FFFFFFF).u8(0);
    g.i32(0x200).str(QString()).list({QStringLiteral("old")}).list({}).list({}).u16(0xFFFF);
    g.u16(0).str(QString());
    g.str(QStringLiteral("Arial")).i32(10).u16(0).i32(0).i32(0x04 | 0x01).u16(134);
    g.u16(2).i32(0).i32(0xFFFFFF).str(QString());
    g.i32(0).i32(2).u8(0).u8(0).u16(0).str(QString());
}

TEST_F(FilesTest, OldVersionRulesApply)
{
    Golden g = OldHeader(30);
    OldPage(g);
    g.u8(gtMemo).u8(0);
    const qsizetype end = g.pos();
    g.i32(0);
    OldMemo(g);
    g.patch(end, g.pos());
    // a band before combined version 3700 prints its columns first
    TRMBandView band;
    band.Name = QStringLiteral("Band1");
    band.SetFlag(flBandPrintColFirst, false);
    TRMWriter w;
    RMSaveView(w, band);
    g.u8(gtBand).u8(0);
    const qsizetype bandEnd = g.pos();
    g.i32(0).raw(w.Data);
    g.patch(bandEnd, g.pos());

    TRMReport report;
    const TRMLoadResult r = RMLoadReport(report, g.b, false);
    ASSERT_EQ(r.Status, TRMLoadStatus::Loaded) << r.ErrorText.toStdString();
    ASSERT_EQ(report.Pages[0]->Objects.size(), 2u);
    auto* memo = dynamic_cast<TRMMemoView*>(report.Pages[0]->Objects[0].get());
    ASSERT_TRUE(memo);
    // the old frame set
    EXPECT_TRUE(memo->LeftFrame.Visible);
    EXPECT_TRUE(memo->TopFrame.Visible);
    EXPECT_FALSE(memo->RightFrame.Visible);
    EXPECT_FALSE(memo->BottomFrame.Visible);
    EXPECT_FLOAT_EQ(memo->RightFrame.Width, 2.0f);
    EXPECT_EQ(memo->BottomFrame.Color, 0x0000FFu);
    EXPECT_EQ(memo->TopFrame.Style, psDash);
    EXPECT_EQ(memo->LineKind, 1) << "bit 0x20 is the first diagonal kind";
    // the vertical bit of memo version 9
    EXPECT_EQ(memo->RotationType, rt90);
    EXPECT_EQ(memo->Alignment, 0x01);
    // format words before version 32 grow by 3
    EXPECT_EQ(memo->Format, 0x203);
    // bounds in tenths of a millimetre: each edge converted on its own
    EXPECT_EQ(memo->Left, 38);   // 10 mm
    EXPECT_EQ(memo->Top, 19);    // 5 mm
    EXPECT_EQ(memo->Width, 113 - 38);  // right edge 30 mm
    EXPECT_EQ(memo->Height, 57 - 19);  // bottom edge 15 mm
    auto* b = dynamic_cast<TRMBandView*>(report.Pages[0]->Objects[1].get());
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->HasFlag(flBandPrintColFirst));
}

TEST_F(FilesTest, VersionUpTo20HasNoHeader)
{
    // The first byte belongs to the skipped 16-bit field; the reader starts over from it.
    Golden g;
    g.u16(5).u16(0xFFFF);
    g.zstr(QStringLiteral("Default Printer"));
    TRMReport report;
    const TRMLoadResult r = RMLoadReport(report, g.b, false);
    ASSERT_EQ(r.Status, TRMLoadStatus::Loaded) << r.ErrorText.toStdString();
    EXPECT_TRUE(report.DoublePass);
    EXPECT_EQ(report.Pages.Count(), 0);
}

TEST_F(FilesTest, ViewValuesBeyondAnyPageAreDamage)
{
    struct Case {
        const char* what;
        std::function<void(TRMMemoView&)> spoil;
    };
    const Case cases[] = {
        {"left", [](TRMMemoView& m) { m.Left = 1 << 30; }},
        {"width", [](TRMMemoView& m) { m.Width = -(1 << 30); }},
        {"gap", [](TRMMemoView& m) { m.Gapx = 1 << 25; }},
        {"frame width", [](TRMMemoView& m) { m.TopFrame.Width = 5000.0f; }},
        {"negative frame width", [](TRMMemoView& m) { m.TopFrame.Width = -1.0f; }},
        {"font size", [](TRMMemoView& m) { m.Font.Size = 100000; }},
        {"line spacing", [](TRMMemoView& m) { m.LineSpacing = 1 << 26; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TRMMemoView memo;
        memo.Name = QStringLiteral("M");
        c.spoil(memo);
        TRMEMFPages pages;
        TRMReport report;
        pages.AddPage(*report.Pages.Add(9, 2100, 2970, poPortrait, -1));
        pages.AppendView(0, memo);
        TRMEMFPages loaded;
        EXPECT_EQ(loaded.LoadFromStream(pages.SaveToStream(), false).Status, TRMLoadStatus::Damaged);
    }
    TRMMoneyView money;
    money.Digits = 1 << 30;
    TRMWriter w;
    RMSaveView(w, money);
    TRMReader r(w.Data);
    TRMMoneyView back;
    EXPECT_THROW(RMLoadView(r, back, TRMStreamVersion{}), TRMStreamError);
}

TEST_F(FilesTest, VersionBefore23ReadsZeroTerminatedText)
{
    Golden g;
    g.u8(22).u16(0).u16(0).zstr(QStringLiteral("Default Printer"));
    g.u8(255).u8(0).zstr(QStringLiteral("页")).zstr(QString());
    g.i32(0).i32(0).i32(0).i32(0).i32(0).u8(3).u8(4);
    g.i32(9).i32(210000).i32(297000).i32(15000).i32(20000).i32(15000).i32(20000);
    g.u8(0).u16(0).i32(1).i32(0).i32(-1).zstr(QStringLiteral("a;\r\nb;"));
    g.u8(0);
    const qsizetype end = g.pos();
    g.i32(0);
    g.patch(end, g.pos());
    g.i32(0).i32(0).i32(0).i32(0).u8(0);
    TRMReport report;
    const TRMLoadResult r = RMLoadReport(report, g.b, false);
    ASSERT_EQ(r.Status, TRMLoadStatus::Loaded) << r.ErrorText.toStdString();
    ASSERT_EQ(report.Pages.Count(), 1);
    EXPECT_EQ(report.Pages[0]->Caption, QStringLiteral("页"));
    EXPECT_EQ(report.Pages[0]->Script, (QStringList{QStringLiteral("a;"), QStringLiteral("b;")}));
}

TEST_F(FilesTest, OldFileWithoutEndPositionsStopsAtAMissingClass)
{
    MessageBoxRecorder boxes;
    Golden g = OldHeader(28);
    OldPage(g);
    g.u8(gtAddIn).str(QStringLiteral("TRMBarCodeView")).u8(0).raw(QByteArray(20, 'z'));
    TRMReport report;
    MakeKnownReport(report);
    EXPECT_EQ(RMLoadReport(report, g.b).Status, TRMLoadStatus::Unsupported);
    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("不支持的rmf格式")});
    EXPECT_TRUE(StillKnown(report));
}

TEST_F(FilesTest, CheckBoxRecordsOfOldVersions)
{
    struct Case {
        int version;
        bool hasFields;
        bool extraByte;
    };
    for (const Case c : {Case{23, false, false}, Case{27, true, true}, Case{28, true, true}, Case{29, true, false}}) {
        SCOPED_TRACE(c.version);
        TRMCheckBoxView check;
        check.Name = QStringLiteral("C");
        TRMWriter w;
        RMSaveView(w, check); // current layout ends with style and colour
        QByteArray record = w.Data.left(w.Data.size() - 5);
        Golden g;
        g.raw(record);
        if (c.hasFields)
            g.u8(1).i32(0x00FF00);
        if (c.extraByte)
            g.u8(0xEE);
        TRMReader r(g.b);
        TRMStreamVersion v;
        v.Version = c.version;
        v.Combined = c.version * 100;
        TRMCheckBoxView back;
        RMLoadView(r, back, v);
        EXPECT_TRUE(r.AtEnd());
        EXPECT_EQ(back.CheckStyle, c.hasFields ? 1 : 0);
        EXPECT_EQ(back.CheckColor, c.hasFields ? 0x00FF00u : 0u);
    }
}

// ---- prepared-report file ----

TEST_F(FilesTest, PreparedFileWithWrongMagicKeepsTheStore)
{
    MessageBoxRecorder boxes;
    TRMEMFPages pages;
    ASSERT_EQ(pages.LoadFromStream(RMSamplePreparedFile(), false).Status, TRMLoadStatus::Loaded);
    QByteArray data = RMSamplePreparedFile();
    data[6] = 'x';
    EXPECT_EQ(pages.LoadFromStream(data).Status, TRMLoadStatus::NotReportFile);
    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("不是Pagequill报表文件!")});
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("错误"));
    EXPECT_EQ(pages.Count(), 2);
}

TEST_F(FilesTest, CompressedPreparedFileIsRefused)
{
    MessageBoxRecorder boxes;
    QByteArray data = RMSamplePreparedFile();
    const qsizetype flagAt = 2 + 2 + kPreparedMagic.size() + 1;
    ASSERT_EQ(data[flagAt], 0);
    data[flagAt] = 1;
    TRMEMFPages pages;
    EXPECT_EQ(pages.LoadFromStream(data).Status, TRMLoadStatus::Damaged);
    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("不支持的rmf格式")});
    EXPECT_EQ(pages.Count(), 0);
}

TEST_F(FilesTest, OldPreparedFileRules)
{
    // Version 38: no sub-version, no magic, no taoda; background pictures with left and top
    // only; no skipped byte rule applies before 401 … it does: 380 < 401.
    QImage image(96, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(static_cast<int>(192 / 0.0254));
    image.setDotsPerMeterY(static_cast<int>(192 / 0.0254));
    TRMWriter pic;
    RMWritePicture(pic, image, false, 0);

    TRMMemoView memo;
    memo.Name = QStringLiteral("M");
    memo.SetBounds(100, 100, 100, 100); // tenths of a millimetre before 39
    TRMWriter stream;
    stream.WriteByte(38);
    RMWritePreparedView(stream, memo);

    Golden g;
    g.u8(38).u8(0); // version, compression flag
    g.i32(1).i32(5).i32(6).raw(pic.Data);
    g.str(QStringLiteral("Nobody's printer"));
    g.i32(1);
    const qsizetype end = g.pos();
    g.i32(0).u16(9).i32(2100).i32(2970).u8(0).i32(3).u8(0xAA);
    g.i32(1).i32(2).i32(3).i32(4);
    g.raw(stream.Data);
    g.patch(end, g.pos());
    // The background picture's end position is absolute: fix it for where it now lies.
    const qsizetype picEndAt = 2 + 4 + 8 + 1;
    g.patch(picEndAt, picEndAt + 4 + (pic.Data.size() - 5));

    TRMEMFPages pages;
    const TRMLoadResult r = pages.LoadFromStream(g.b, false);
    ASSERT_EQ(r.Status, TRMLoadStatus::Loaded) << r.ErrorText.toStdString();
    ASSERT_EQ(pages.BkPictureCount(), 1);
    EXPECT_EQ(pages.BkPicture(0)->Left, 5);
    EXPECT_EQ(pages.BkPicture(0)->Width, 48) << "96 pixels at 192 dpi are 48 screen pixels";
    EXPECT_EQ(pages.BkPicture(0)->Height, 24);
    ASSERT_EQ(pages.Count(), 1);
    EXPECT_EQ(pages[0]->Bin, 3);
    EXPECT_EQ(pages[0]->Margins, (std::array<int, 4>{1, 2, 3, 4}));
    TRMPage* page = pages.BuildPage(0);
    ASSERT_EQ(page->Objects.size(), 1u);
    EXPECT_EQ(page->Objects[0]->Bounds(), QRect(38, 38, 76 - 38, 76 - 38));
}

TEST_F(FilesTest, HostilePreparedFilesAreRefused)
{
    const QByteArray good = RMSamplePreparedFile();
    const qsizetype headerEnd = 2 + 2 + kPreparedMagic.size() + 1 + 1 + 1;
    struct Case {
        const char* what;
        std::function<QByteArray()> make;
    };
    auto header = [&] { return good.left(headerEnd); };
    const Case cases[] = {
        {"background count larger than the stream", [&] { return header() + QByteArray::fromHex("ffffff7f"); }},
        {"page count larger than the stream", [&] {
             return header() + QByteArray::fromHex("00000000") + QByteArray::fromHex("0000") + QByteArray(1, 0)
                 + QByteArray::fromHex("ffffff00");
         }},
        {"page end position behind its record", [&] {
             Golden g;
             g.raw(header()).i32(0).str(QString()).i32(1).i32(4).u16(9).i32(2100).i32(2970).u8(0).i32(-1);
             return g.b;
         }},
        {"impossible paper size", [&] {
             Golden g;
             g.raw(header()).i32(0).str(QString()).i32(1);
             const qsizetype end = g.pos();
             g.i32(0).u16(9).i32(-5).i32(2970).u8(0).i32(-1).i32(0).i32(0).i32(0).i32(0).u8(43);
             g.patch(end, g.pos());
             return g.b;
         }},
        {"page stream with an unknown type code", [&] {
             Golden g;
             g.raw(header()).i32(0).str(QString()).i32(1);
             const qsizetype end = g.pos();
             g.i32(0).u16(9).i32(2100).i32(2970).u8(0).i32(-1).i32(0).i32(0).i32(0).i32(0).u8(43).u8(6);
             g.patch(end, g.pos());
             return g.b;
         }},
        {"page stream cut inside a view", [&] {
             Golden g;
             g.raw(header()).i32(0).str(QString()).i32(1);
             const qsizetype end = g.pos();
             g.i32(0).u16(9).i32(2100).i32(2970).u8(0).i32(-1).i32(0).i32(0).i32(0).i32(0).u8(43).u8(0).u16(40);
             g.patch(end, g.pos());
             return g.b;
         }},
        {"page stream of a newer version", [&] {
             Golden g;
             g.raw(header()).i32(0).str(QString()).i32(1);
             const qsizetype end = g.pos();
             g.i32(0).u16(9).i32(2100).i32(2970).u8(0).i32(-1).i32(0).i32(0).i32(0).i32(0).u8(44);
             g.patch(end, g.pos());
             return g.b;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TRMEMFPages pages;
        ASSERT_EQ(pages.LoadFromStream(good, false).Status, TRMLoadStatus::Loaded);
        const TRMLoadResult r = pages.LoadFromStream(c.make(), false);
        EXPECT_EQ(r.Status, TRMLoadStatus::Damaged);
        EXPECT_EQ(pages.Count(), 2) << "the store keeps what it had";
    }
}

// Every prefix and a sweep of byte changes of both golden files: each load either succeeds
// or fails cleanly and leaves the target as it was.
TEST_F(FilesTest, TruncatedAndCorruptedFilesNeverHalfLoad)
{
    const QByteArray report = RMSampleReportFile();
    for (qsizetype n = 1; n < report.size(); ++n) {
        TRMReport target;
        MakeKnownReport(target);
        const TRMLoadResult r = RMLoadReport(target, report.left(n), false);
        if (!r.Ok()) {
            ASSERT_TRUE(StillKnown(target)) << "prefix " << n;
        }
    }
    const QByteArray prepared = RMSamplePreparedFile();
    for (qsizetype n = 1; n < prepared.size(); ++n) {
        TRMEMFPages pages;
        ASSERT_EQ(pages.LoadFromStream(prepared, false).Status, TRMLoadStatus::Loaded);
        if (!pages.LoadFromStream(prepared.left(n), false).Ok()) {
            ASSERT_EQ(pages.Count(), 2) << "prefix " << n;
        }
    }
    for (qsizetype i = 0; i < prepared.size(); i += 3) {
        for (const char value : {'\x00', '\x7f', '\xff'}) {
            QByteArray bad = prepared;
            bad[i] = value;
            TRMEMFPages pages;
            if (pages.LoadFromStream(bad, false).Ok())
                for (int p = 0; p < pages.Count(); ++p)
                    pages.BuildPage(p);
        }
    }
}

// While alive, files of this process may grow to at most `bytes`, as on a full disk: a
// longer write fails (EFBIG) instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        ::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

// Saving a report or prepared report that cannot be written whole shows the error box (with
// the file's name) and leaves the file that was there as it was, with nothing beside it.
TEST_F(FilesTest, ASaveThatFailsShowsTheErrorAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kept"));
    const QByteArray old = "yesterday's good file";
    TRMReport report;
    ASSERT_TRUE(RMLoadReport(report, RMSampleReportFile(), false).Ok());
    TRMReport prepared;
    ASSERT_TRUE(RMPreparedPages(prepared).LoadFromStream(RMSamplePreparedFile(), false).Ok());
    const struct { const char* name; std::function<bool(const QString&)> save; } savers[] = {
        {"report file", [&](const QString& f) { return RMSaveReportToFile(report, f); }},
        {"prepared report", [&](const QString& f) { return RMPreparedPages(prepared).SaveToFile(f); }},
    };
    for (const auto& saver : savers) {
        SCOPED_TRACE(saver.name);
        {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(old);
        }
        MessageBoxRecorder boxes;
        bool saved = true;
        {
            const FileSizeLimit fullDisk(64);
            saved = saver.save(file);
        }
        EXPECT_FALSE(saved);
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_TRUE(boxes.shown[0].text.contains(file)) << boxes.shown[0].text.toStdString();
        EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Error);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), old);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kept")});

        // A device that takes nothing: the error is seen, not only a short write.
        MessageBoxRecorder more;
        EXPECT_FALSE(saver.save(QStringLiteral("/dev/full")));
        EXPECT_EQ(more.shown.size(), 1);
    }
}

// Inputs the fuzz targets once found troublesome, kept as they were found.
TEST_F(FilesTest, FuzzRegressionInputs)
{
    for (const char* kind : {"report", "prepared"}) {
        const QDir dir(QStringLiteral(PQ_FILES_TEST_DATA "/%1").arg(QLatin1String(kind)));
        for (const QString& name : dir.entryList(QDir::Files)) {
            SCOPED_TRACE(name.toStdString());
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QByteArray data = f.readAll();
            if (QLatin1String(kind) == QLatin1String("report")) {
                TRMReport target;
                RMLoadReport(target, data, false);
            } else {
                TRMEMFPages pages;
                if (pages.LoadFromStream(data, false).Ok())
                    for (int p = 0; p < pages.Count(); ++p)
                        pages.BuildPage(p);
            }
        }
    }
}

} // namespace
} // namespace pqtest
