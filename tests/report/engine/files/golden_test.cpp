// Golden bytes: a small report and a small prepared page written exactly as the layouts say,
// assembled here field by field.
#include "files_test_support.h"
#include "golden.h"

#include "report/engine/files/rm_report_file.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/expr/variables.h"
#include "report/preview/printer/paper_tables.h"

namespace pqtest {
namespace {

using namespace pq;

const QString kReportMagic = QStringLiteral("Pagequill Report File") + QChar(26);
const QString kPreparedMagic = QStringLiteral("Pagequill Prepared Report File") + QChar(26);

// The common view record and the memo record of the memo FillMemo makes.
void ExpectMemoRecord(Golden& g, bool prepared)
{
    g.str(QStringLiteral("Memo1")).u8(10).u8(12);
    g.i32(10).i32(20).i32(100).i32(30);
    g.u16(flMemoWordwrap | flPrintVisible).i32(flMemoScaleFontSize);
    g.frame(true, 0x10, 0x0000FF, 1500);
    g.frame(true, 1, 0x00FF00, 2000);
    g.frame(false, 2, 0xFF0000, 500);
    g.frame(true, 0, 0x123456, 3250);
    g.u16(3).i32(4).i32(5).i32(0xC0FFEE).u8(baRight);
    if (!prepared)
        g.i32(0x0102022E).str(QStringLiteral("#,##0.00"));
    if (prepared)
        g.list({QStringLiteral("printed 印")});
    else
        g.list({QStringLiteral("Hello"), QStringLiteral("世界")});
    if (!prepared) {
        g.list({QStringLiteral("a := 1;")});
        g.list({QStringLiteral("b := 2;"), QStringLiteral("c := 3;")});
        g.u16(0); // Visible false
    }
    g.u16(0x0C).str(QStringLiteral("tag"));
    // memo record
    g.str(QStringLiteral("宋体")).i32(12).u16(TRMFont::fsBold | TRMFont::fsUnderline).i32(0x112233);
    g.i32(0x0A).u16(134);
    if (!prepared)
        g.u16(TRMFont::fsItalic).i32(0x0000FF).i32(0x00FFFF).str(QStringLiteral("Value > 0"));
    g.i32(1).i32(3).u8(rt90).u8(ByHeight).u16(7).str(QStringLiteral("Memo9"));
}

TEST_F(FilesTest, ReportFileIsWrittenFieldByField)
{
    TRMReport report;
    report.ReportInfo = {QStringLiteral("标题"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
        QStringLiteral("d")};
    report.PrintBackColor = true;
    report.PrintOffsetTop = 3;
    report.PrintOffsetLeft = -4;
    report.PrintPagePerPage = 1;
    report.taoda = true;
    report.DoublePass = true;
    report.PrinterName = VirtualPrinterTitle();
    TRMPage* page = report.Pages.Add(9, 2100, 2970, poPortrait, -1);
    page->Script = QStringList{QStringLiteral("x := 1;")};
    page->AutoHCenter = 1;
    auto memo = std::make_unique<TRMMemoView>();
    FillMemo(*memo);
    page->AddObject(std::move(memo));
    report.Dictionary().Variables().SetVariable(QStringLiteral("Oper"), Variant::FromString(QStringLiteral("张三")));
    report.Dictionary().SetFieldAlias(QStringLiteral("Code"), QStringLiteral("cdsprint"), QStringLiteral("f_Zffsbm"));
    report.Dictionary().ExtraList = {{QStringLiteral("k"), QStringLiteral("v")}};

    Golden g;
    g.u8(43).u8(0).u8(11).str(kReportMagic);
    g.u8(1).i32(3).i32(-4).u8(1);
    g.str(QStringLiteral("标题")).str(QStringLiteral("a")).str(QStringLiteral("b")).str(QStringLiteral("c"))
        .str(QStringLiteral("d"));
    g.u8(0).u8(1).u16(0xFFFF);
    g.str(QStringLiteral("Virtual Printer"));
    // the design page
    g.u8(255).u8(ptReport).str(QStringLiteral("Form")).str(QString());
    g.i32(220).i32(180).i32(380).i32(300).i32(0x8000000F);
    g.u8(bsDialog).u8(poScreenCenter);
    g.i32(9).i32(210000).i32(297000);
    g.i32(15000).i32(20000).i32(15000).i32(20000);
    g.u8(poPortrait).u16(0).i32(1).i32(0).i32(-1);
    g.list({QStringLiteral("x := 1;")});
    g.u8(0); // no background picture
    const qsizetype picEnd = g.pos();
    g.i32(0);
    g.patch(picEnd, g.pos());
    g.i32(0).i32(0).i32(0).i32(0).u8(1);
    // the memo: type, page index, end position, record
    g.u8(gtMemo).u8(0);
    const qsizetype viewEnd = g.pos();
    g.i32(0);
    ExpectMemoRecord(g, false);
    g.patch(viewEnd, g.pos());
    // data dictionary
    g.u8(252).u16(1);
    g.i32(1).str(QStringLiteral("Oper")).str(QStringLiteral("张三"));
    g.i32(1).str(QStringLiteral("Code")).str(QStringLiteral("cdsprint.f_Zffsbm"));
    g.i32(1).str(QStringLiteral("k")).str(QStringLiteral("v"));

    const QByteArray saved = RMSaveReport(report);
    EXPECT_EQ(saved.toHex(' '), g.b.toHex(' '));

    // save → load → save gives the same bytes
    TRMReport loaded;
    ASSERT_EQ(RMLoadReport(loaded, saved, false).Status, TRMLoadStatus::Loaded);
    EXPECT_EQ(RMSaveReport(loaded), saved);
}

TEST_F(FilesTest, PreparedReportFileIsWrittenFieldByField)
{
    TRMReport report;
    TRMPage* design = report.Pages.Add(9, 2100, 2970, poPortrait, -1);
    TRMEMFPages& pages = RMPreparedPages(report);
    pages.AddPage(*design);
    TRMMemoView memo;
    FillMemo(memo);
    pages.AppendView(0, memo);

    Golden stream;
    stream.u8(43).u8(gtMemo);
    ExpectMemoRecord(stream, true);

    Golden g;
    g.u8(43).u8(10).str(kPreparedMagic).u8(0).u8(0);
    g.i32(0); // background pictures
    g.str(GetPrinterList().Name(GetReportPrinter().SelectedPrinter()));
    g.i32(1);
    const qsizetype pageEnd = g.pos();
    g.i32(0);
    g.u16(9).i32(2100).i32(2970).u8(0).i32(-1);
    g.i32(57).i32(76).i32(57).i32(76); // 15 and 20 mm at 96 dpi
    g.raw(stream.b);
    g.patch(pageEnd, g.pos());

    const QByteArray saved = pages.SaveToStream();
    EXPECT_EQ(saved.toHex(' '), g.b.toHex(' '));

    TRMReport other;
    TRMEMFPages& again = RMPreparedPages(other);
    ASSERT_EQ(again.LoadFromStream(saved, false).Status, TRMLoadStatus::Loaded);
    EXPECT_EQ(again.SaveToStream(), saved);
    ASSERT_EQ(again.Count(), 1);
    EXPECT_EQ(again.Stream(0), stream.b);
}

TEST_F(FilesTest, BackgroundPicturesAreStoredWithTheirBounds)
{
    TRMEMFPages pages;
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    pages.AddBkPicture(1, 2, 30, 20, image);
    const QByteArray saved = pages.SaveToStream();
    TRMEMFPages loaded;
    ASSERT_EQ(loaded.LoadFromStream(saved, false).Status, TRMLoadStatus::Loaded);
    ASSERT_EQ(loaded.BkPictureCount(), 1);
    const TRMBkPicture* b = loaded.BkPicture(0);
    EXPECT_EQ(b->Left, 1);
    EXPECT_EQ(b->Top, 2);
    EXPECT_EQ(b->Width, 30);
    EXPECT_EQ(b->Height, 20);
    EXPECT_EQ(b->Picture.size(), QSize(3, 2));
    EXPECT_EQ(b->Picture.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(loaded.SaveToStream(), saved);
}

} // namespace
} // namespace pqtest
