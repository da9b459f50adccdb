// Every streamed field of every view class survives a report file and a prepared page; the
// design-only fields stay out of prepared pages.
#include "files_test_support.h"

#include "report/engine/files/rm_report_file.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_view_factory.h"
#include "report/tools/sample_report.h"

#include <QBuffer>

#include <functional>

namespace pqtest {
namespace {

using namespace pq;

void ExpectViewEqual(const TRMView& a, const TRMView& b, bool prepared)
{
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.Typ, b.Typ);
    EXPECT_EQ(a.ClassName(), b.ClassName());
    EXPECT_EQ(a.Bounds(), b.Bounds());
    EXPECT_EQ(a.Flags, b.Flags);
    EXPECT_EQ(a.ExtFlags, b.ExtFlags);
    EXPECT_EQ(a.LeftFrame, b.LeftFrame);
    EXPECT_EQ(a.TopFrame, b.TopFrame);
    EXPECT_EQ(a.RightFrame, b.RightFrame);
    EXPECT_EQ(a.BottomFrame, b.BottomFrame);
    EXPECT_EQ(a.LineKind, b.LineKind);
    EXPECT_EQ(a.Gapx, b.Gapx);
    EXPECT_EQ(a.Gapy, b.Gapy);
    EXPECT_EQ(a.FillColor, b.FillColor);
    EXPECT_EQ(a.BandAlign, b.BandAlign);
    EXPECT_EQ(a.Restrictions, b.Restrictions);
    EXPECT_EQ(a.Tag, b.Tag);
    if (prepared) {
        EXPECT_EQ(a.Memo1, b.Memo1);
    } else {
        EXPECT_EQ(a.Format, b.Format);
        EXPECT_EQ(a.FormatStr, b.FormatStr);
        EXPECT_EQ(a.Memo, b.Memo);
        EXPECT_EQ(a.OnBeforePrint, b.OnBeforePrint);
        EXPECT_EQ(a.OnAfterPrint, b.OnAfterPrint);
        EXPECT_EQ(a.Visible, b.Visible);
    }
    auto* ma = dynamic_cast<const TRMMemoView*>(&a);
    auto* mb = dynamic_cast<const TRMMemoView*>(&b);
    ASSERT_EQ(ma != nullptr, mb != nullptr);
    if (ma) {
        EXPECT_EQ(ma->Font, mb->Font);
        EXPECT_EQ(ma->Alignment, mb->Alignment);
        EXPECT_EQ(ma->CharSpacing, mb->CharSpacing);
        EXPECT_EQ(ma->LineSpacing, mb->LineSpacing);
        EXPECT_EQ(ma->RotationType, mb->RotationType);
        EXPECT_EQ(ma->ScaleFontType, mb->ScaleFontType);
        EXPECT_EQ(ma->FontScaleWidth, mb->FontScaleWidth);
        EXPECT_EQ(ma->MasterMemoView, mb->MasterMemoView);
        if (!prepared) {
            EXPECT_EQ(ma->Highlight.FontStyle, mb->Highlight.FontStyle);
            EXPECT_EQ(ma->Highlight.FontColor, mb->Highlight.FontColor);
            EXPECT_EQ(ma->Highlight.FillColor, mb->Highlight.FillColor);
            EXPECT_EQ(ma->HighlightCondition, mb->HighlightCondition);
        }
    }
    if (auto* ca = dynamic_cast<const TRMCalcMemoView*>(&a)) {
        auto* cb = dynamic_cast<const TRMCalcMemoView*>(&b);
        EXPECT_EQ(ca->ResetAfterPrint, cb->ResetAfterPrint);
        EXPECT_EQ(ca->CalcType, cb->CalcType);
        EXPECT_EQ(ca->DataBand, cb->DataBand);
        EXPECT_EQ(ca->Filter.trimmed(), cb->Filter);
        EXPECT_EQ(ca->IntalizeValue, cb->IntalizeValue);
        EXPECT_EQ(ca->AggregateValue, cb->AggregateValue);
    }
    if (auto* xa = dynamic_cast<const TRMMoneyView*>(&a)) {
        auto* xb = dynamic_cast<const TRMMoneyView*>(&b);
        EXPECT_EQ(xa->DecimalLineColor, xb->DecimalLineColor);
        EXPECT_EQ(xa->ThousandsLineColor, xb->ThousandsLineColor);
        EXPECT_EQ(xa->LineColor, xb->LineColor);
        EXPECT_EQ(xa->TitleMode, xb->TitleMode);
        EXPECT_EQ(xa->LineWidth, xb->LineWidth);
        EXPECT_EQ(xa->Digits, xb->Digits);
        EXPECT_EQ(xa->Decimals, xb->Decimals);
        EXPECT_EQ(xa->CurrencySymbol, xb->CurrencySymbol);
    }
    if (auto* da = dynamic_cast<const TRMDiagonalView*>(&a)) {
        auto* db = dynamic_cast<const TRMDiagonalView*>(&b);
        EXPECT_EQ(da->DiagonalLineColor, db->DiagonalLineColor);
        EXPECT_EQ(da->DiagonalLineWidth, db->DiagonalLineWidth);
    }
    if (auto* ba = dynamic_cast<const TRMBandView*>(&a)) {
        auto* bb = dynamic_cast<const TRMBandView*>(&b);
        EXPECT_EQ(ba->ChildBand, bb->ChildBand);
        EXPECT_EQ(ba->ColumnGap, bb->ColumnGap);
        EXPECT_EQ(ba->Columns, bb->Columns);
        EXPECT_EQ(ba->ColumnWidth, bb->ColumnWidth);
        EXPECT_EQ(ba->Master, bb->Master);
        EXPECT_EQ(ba->LinesPerPage, bb->LinesPerPage);
        EXPECT_EQ(ba->RangeBegin, bb->RangeBegin);
        EXPECT_EQ(ba->RangeEnd, bb->RangeEnd);
        EXPECT_EQ(ba->RangeEndCount, bb->RangeEndCount);
    }
    if (auto* pa = dynamic_cast<const TRMPictureView*>(&a)) {
        auto* pb = dynamic_cast<const TRMPictureView*>(&b);
        EXPECT_EQ(pa->BlobType, pb->BlobType);
        EXPECT_EQ(pa->Picture.Size(), pb->Picture.Size());
        EXPECT_EQ(pa->Picture.Image().convertToFormat(QImage::Format_RGB32),
            pb->Picture.Image().convertToFormat(QImage::Format_RGB32));
        // JPEG, SVG and metafiles come back as the very bytes they were given.
        using F = TRMGraphic::TFormat;
        const F f = pa->Picture.Format();
        if (f == F::Jpeg || f == F::Svg || f == F::Metafile) {
            EXPECT_EQ(pb->Picture.Format(), f);
            EXPECT_EQ(pb->Picture.Bytes(), pa->Picture.Bytes());
        }
    }
    if (auto* sa = dynamic_cast<const TRMSubReportView*>(&a)) {
        EXPECT_EQ(sa->SubPage, dynamic_cast<const TRMSubReportView*>(&b)->SubPage);
    }
    if (auto* sa = dynamic_cast<const TRMShapeView*>(&a)) {
        auto* sb = dynamic_cast<const TRMShapeView*>(&b);
        EXPECT_EQ(sa->Shape, sb->Shape);
        EXPECT_EQ(sa->PenMode, sb->PenMode);
    }
    if (auto* ca = dynamic_cast<const TRMCheckBoxView*>(&a)) {
        auto* cb = dynamic_cast<const TRMCheckBoxView*>(&b);
        EXPECT_EQ(ca->CheckStyle, cb->CheckStyle);
        EXPECT_EQ(ca->CheckColor, cb->CheckColor);
    }
}

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Sets the common fields and the class's own fields to values that differ from defaults.
void FillCommon(TRMView& v, const QString& name)
{
    v.Name = name;
    v.SetBounds(11, 22, 133, 44);
    v.Flags = static_cast<std::uint16_t>(v.Flags ^ 0x0401);
    v.ExtFlags = 0x30;
    v.LeftFrame = {true, 3, 0x010203, 0.25f};
    v.TopFrame = {true, 0x11, 0x040506, 1.0f};
    v.RightFrame = {true, 4, 0x070809, 2.5f};
    v.BottomFrame = {false, 6, 0x0A0B0C, 1.75f};
    if (!dynamic_cast<TRMBandView*>(&v))
        v.LineKind = 5;
    v.Gapx = 6;
    v.Gapy = 7;
    v.FillColor = 0x00ABCDEF;
    v.BandAlign = baCenter;
    v.Format = 0x01020304;
    v.FormatStr = QStringLiteral("yyyy-mm-dd");
    v.Memo = QStringList{QStringLiteral("第一行"), QString(), QStringLiteral("third")};
    v.Memo1 = QStringList{QStringLiteral("打印"), QStringLiteral("second")};
    v.OnBeforePrint = QStringList{QStringLiteral("if a then b;")};
    v.OnAfterPrint = QStringList{QStringLiteral("c;")};
    v.Visible = false;
    v.Restrictions = 4;
    v.Tag = QStringLiteral("[Page#] > 1");
}

struct ViewCase {
    const char* name;
    int typ;
    const char* className;
    std::function<void(TRMView&)> fill;
};

const std::vector<ViewCase>& ViewCases()
{
    static const std::vector<ViewCase> cases = {
        {"memo", gtMemo, "", [](TRMView& v) { FillMemo(static_cast<TRMMemoView&>(v)); }},
        {"calcmemo", gtCalcMemo, "", [](TRMView& v) {
             auto& c = static_cast<TRMCalcMemoView&>(v);
             FillMemo(c);
             c.ResetAfterPrint = 0;
             c.CalcType = rmdcAvg;
             c.DataBand = QStringLiteral("MasterData1");
             c.Filter = QStringLiteral("  x > 1  ");
             c.IntalizeValue = QStringLiteral("0");
             c.AggregateValue = QStringLiteral("Value + 1");
         }},
        {"money", gtMoney, "", [](TRMView& v) {
             auto& m = static_cast<TRMMoneyView&>(v);
             FillMemo(m);
             m.DecimalLineColor = 1;
             m.ThousandsLineColor = 2;
             m.LineColor = 3;
             m.TitleMode = true;
             m.LineWidth = 2;
             m.Digits = 10;
             m.Decimals = 3;
             m.CurrencySymbol = QStringLiteral("$");
         }},
        {"diagonal", gtAddIn, "TRMDiagonalView", [](TRMView& v) {
             auto& d = static_cast<TRMDiagonalView&>(v);
             FillMemo(d);
             d.DiagonalLineColor = 0x00FF00;
             d.DiagonalLineWidth = 3;
         }},
        {"band", gtBand, "", [](TRMView& v) {
             auto& b = static_cast<TRMBandView&>(v);
             FillCommon(b, QStringLiteral("Band7"));
             b.SetBandType(btGroupHeader);
             b.ChildBand = QStringLiteral("Child1");
             b.ColumnGap = 12;
             b.Columns = 3;
             b.ColumnWidth = 150;
             b.Master = QStringLiteral("MasterData1");
             b.LinesPerPage = 20;
             b.RangeBegin = rbCurrent;
             b.RangeEnd = reCount;
             b.RangeEndCount = 9;
         }},
        {"picture", gtPicture, "", [](TRMView& v) {
             auto& p = static_cast<TRMPictureView&>(v);
             FillCommon(p, QStringLiteral("Picture1"));
             p.BlobType = btJPG;
             QImage image(4, 3, QImage::Format_RGB32);
             image.fill(QColor(10, 200, 30));
             image.setPixelColor(0, 0, Qt::blue);
             p.Picture = TRMGraphic::FromImage(image);
         }},
        {"png_picture", gtPicture, "", [](TRMView& v) {
             auto& p = static_cast<TRMPictureView&>(v);
             FillCommon(p, QStringLiteral("Picture2"));
             p.Picture = TRMGraphic::FromBytes(Encoded(RMSamplePicture(), "PNG"));
         }},
        {"jpeg_picture", gtPicture, "", [](TRMView& v) {
             auto& p = static_cast<TRMPictureView&>(v);
             FillCommon(p, QStringLiteral("Picture3"));
             p.BlobType = btJPG;
             p.Picture = TRMGraphic::FromBytes(Encoded(RMSamplePicture(), "JPEG"));
         }},
        {"gif_picture", gtPicture, "", [](TRMView& v) {
             auto& p = static_cast<TRMPictureView&>(v);
             FillCommon(p, QStringLiteral("Picture4"));
             p.BlobType = btGIF;
             p.Picture = TRMGraphic::FromBytes(RMSampleGif());
         }},
        {"svg_picture", gtPicture, "", [](TRMView& v) {
             auto& p = static_cast<TRMPictureView&>(v);
             FillCommon(p, QStringLiteral("Picture5"));
             p.Picture = TRMGraphic::FromBytes(RMSampleSvg());
         }},
        {"metafile_picture", gtPicture, "", [](TRMView& v) {
             auto& p = static_cast<TRMPictureView&>(v);
             FillCommon(p, QStringLiteral("Picture6"));
             p.BlobType = btWMF;
             p.Picture = TRMGraphic::FromBytes(RMSampleEmf());
         }},
        {"subreport", gtSubReport, "", [](TRMView& v) {
             FillCommon(v, QStringLiteral("SubReport1"));
             static_cast<TRMSubReportView&>(v).SubPage = 0;
         }},
        {"line", gtLine, "", [](TRMView& v) { FillCommon(v, QStringLiteral("Line1")); }},
        {"region", gtRegion, "", [](TRMView& v) { FillCommon(v, QStringLiteral("Region1")); }},
        {"rich", gtAddIn, "TRMRichView", [](TRMView& v) {
             FillCommon(v, QStringLiteral("Rich1"));
             // A caption as the rich-edit control writes it (GBK bytes in \'hh pairs, several
             // lines) and its printed copy with the value of its bracket.
             v.Memo = QStringList{
                 QStringLiteral("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"),
                 QStringLiteral("\\pard\\qc\\f0\\fs44\\b [Title]\\b0"), QStringLiteral("\\par }")};
             v.Memo1 = QStringList{QStringLiteral("{\\rtf1 \\b 报表\\b0"), QStringLiteral("\\par }")};
         }},
        {"shape", gtAddIn, "TRMShapeView", [](TRMView& v) {
             auto& s = static_cast<TRMShapeView&>(v);
             FillCommon(s, QStringLiteral("Shape1"));
             s.Shape = TRMShapeView::skCircle;
             s.PenMode = 14;
         }},
        {"checkbox", gtAddIn, "TRMCheckBoxView", [](TRMView& v) {
             auto& c = static_cast<TRMCheckBoxView&>(v);
             FillCommon(c, QStringLiteral("Check1"));
             c.CheckStyle = TRMCheckBoxView::csCheck;
             c.CheckColor = 0x0000FF;
         }},
    };
    return cases;
}

class ViewRoundTrip : public FilesTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(ViewRoundTrip, EveryFieldSurvivesTheReportFile)
{
    const ViewCase& c = ViewCases()[GetParam()];
    TRMReport report;
    TRMPage* page = report.Pages.Add(9, 2100, 2970, poPortrait, -1);
    std::unique_ptr<TRMView> view = RMCreateObject(c.typ, QString::fromLatin1(c.className));
    ASSERT_TRUE(view);
    c.fill(*view);
    TRMView* original = page->AddObject(std::move(view));

    const QByteArray saved = RMSaveReport(report);
    TRMReport loaded;
    const TRMLoadResult result = RMLoadReport(loaded, saved, false);
    ASSERT_EQ(result.Status, TRMLoadStatus::Loaded) << result.ErrorText.toStdString();
    EXPECT_TRUE(result.Skipped.isEmpty());
    ASSERT_EQ(loaded.Pages.Count(), 1);
    ASSERT_EQ(loaded.Pages[0]->Objects.size(), 1u);
    ExpectViewEqual(*original, *loaded.Pages[0]->Objects[0], false);
    EXPECT_EQ(RMSaveReport(loaded), saved);
}

TEST_P(ViewRoundTrip, PrintedFieldsSurviveAPreparedPage)
{
    const ViewCase& c = ViewCases()[GetParam()];
    std::unique_ptr<TRMView> view = RMCreateObject(c.typ, QString::fromLatin1(c.className));
    ASSERT_TRUE(view);
    c.fill(*view);

    TRMReport report;
    TRMEMFPages& pages = RMPreparedPages(report);
    pages.AddPage(*report.Pages.Add(9, 2100, 2970, poPortrait, -1));
    pages.AppendView(0, *view);
    EXPECT_EQ(view->PreparedMode, 0) << "streaming out leaves the view as it was";
    const QByteArray saved = pages.SaveToStream();

    TRMReport other;
    TRMEMFPages& loaded = RMPreparedPages(other);
    ASSERT_EQ(loaded.LoadFromStream(saved, false).Status, TRMLoadStatus::Loaded);
    TRMPage* page = loaded.BuildPage(0);
    ASSERT_TRUE(page);
    ASSERT_EQ(page->Objects.size(), 1u);
    const TRMView& back = *page->Objects[0];
    ExpectViewEqual(*view, back, true);
    // Design-only fields are not carried: the rebuilt view has its class's defaults.
    const std::unique_ptr<TRMView> fresh = RMCreateObject(c.typ, QString::fromLatin1(c.className));
    EXPECT_EQ(back.Memo, view->Memo1) << "a printed copy's text is its printed text";
    EXPECT_EQ(back.OnBeforePrint, fresh->OnBeforePrint);
    EXPECT_EQ(back.Visible, fresh->Visible);
    EXPECT_EQ(back.FormatStr, fresh->FormatStr);
    EXPECT_EQ(back.PreparedMode, 0);
    loaded.StorePage(0);
    EXPECT_EQ(loaded.SaveToStream(), saved);
}

INSTANTIATE_TEST_SUITE_P(AllViewClasses, ViewRoundTrip, ::testing::Range<size_t>(0, ViewCases().size()),
    [](const ::testing::TestParamInfo<size_t>& info) { return std::string(ViewCases()[info.param].name); });

TEST_F(FilesTest, ReportSettingsPagesAndDictionarySurvive)
{
    TRMReport report;
    RMBuildSampleReport(report);
    report.ReportInfo = {QStringLiteral("T"), QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("R"),
        QStringLiteral("M")};
    report.PrintOffsetLeft = 5;
    report.PrintOffsetTop = 6;
    report.PrintBackColor = true;
    report.PrintPagePerPage = 1;
    report.taoda = true;
    report.DoublePass = true;
    TRMPage* second = report.Pages.Add(9, 2970, 2100, poLandscape, 7);
    second->Type = ptDialog;
    second->Caption = QStringLiteral("对话框");
    second->Left = 1;
    second->Top = 2;
    second->Width = 3;
    second->Height = 4;
    second->Color = 0xFF;
    second->BorderStyle = bsSizeable;
    second->Position = poDesigned;
    second->LeftMargin = 1000;
    second->TopMargin = 2000;
    second->RightMargin = 3000;
    second->BottomMargin = 4000;
    second->PrintToPrevPage = true;
    second->SetColumns(2);
    second->ColumnGap = 5000;
    second->BackGroundLeft = 8;
    second->BackGroundTop = 9;
    second->BackGroundWidth = 10;
    second->BackGroundHeight = 11;
    second->AutoHCenter = 1;
    second->BackPicture = QImage(2, 2, QImage::Format_RGB32);
    second->BackPicture.fill(Qt::green);
    report.Dictionary().ExtraList = {{QStringLiteral("a"), QStringLiteral("b")}};

    const QByteArray saved = RMSaveReport(report);
    TRMReport loaded;
    ASSERT_EQ(RMLoadReport(loaded, saved, false).Status, TRMLoadStatus::Loaded);
    EXPECT_EQ(loaded.ReportInfo.Comment, QStringLiteral("M"));
    EXPECT_EQ(loaded.PrintOffsetLeft, 5);
    EXPECT_EQ(loaded.PrintOffsetTop, 6);
    EXPECT_TRUE(loaded.PrintBackColor);
    EXPECT_EQ(loaded.PrintPagePerPage, 1);
    EXPECT_TRUE(loaded.taoda);
    EXPECT_TRUE(loaded.DoublePass);
    ASSERT_EQ(loaded.Pages.Count(), 2);
    const TRMPage& p = *loaded.Pages[1];
    EXPECT_EQ(p.Type, ptDialog);
    EXPECT_EQ(p.Caption, QStringLiteral("对话框"));
    EXPECT_EQ(QRect(p.Left, p.Top, p.Width, p.Height), QRect(1, 2, 3, 4));
    EXPECT_EQ(p.Color, 0xFFu);
    EXPECT_EQ(p.BorderStyle, bsSizeable);
    EXPECT_EQ(p.Position, poDesigned);
    EXPECT_EQ(p.PageSize, 9);
    EXPECT_EQ(p.PrnWidth, 297000);
    EXPECT_EQ(p.PrnHeight, 210000);
    EXPECT_EQ(p.Orientation, poLandscape);
    EXPECT_EQ(p.PageBin, 7);
    EXPECT_EQ(p.LeftMargin, 1000);
    EXPECT_EQ(p.TopMargin, 2000);
    EXPECT_EQ(p.RightMargin, 3000);
    EXPECT_EQ(p.BottomMargin, 4000);
    EXPECT_TRUE(p.PrintToPrevPage);
    EXPECT_EQ(p.Columns, 2);
    EXPECT_EQ(p.ColumnGap, 5000);
    EXPECT_EQ(p.BackGroundLeft, 8);
    EXPECT_EQ(p.BackGroundHeight, 11);
    EXPECT_EQ(p.AutoHCenter, 1);
    EXPECT_EQ(p.BackPicture.pixelColor(1, 1), QColor(Qt::green));
    EXPECT_EQ(loaded.Dictionary().Variables().GetVariable(QStringLiteral("Oper")).toText(), QStringLiteral("管理员"));
    const auto* alias = loaded.Dictionary().FindFieldAlias(QStringLiteral("编码"));
    ASSERT_TRUE(alias);
    EXPECT_EQ(alias->DataSet, QStringLiteral("cdsprint"));
    EXPECT_EQ(alias->Field, QStringLiteral("f_Zffsbm"));
    ASSERT_EQ(loaded.Dictionary().ExtraList.size(), 1u);
    EXPECT_EQ(loaded.Pages[0]->Objects.size(), report.Pages[0]->Objects.size());
    for (size_t i = 0; i < report.Pages[0]->Objects.size(); ++i)
        ExpectViewEqual(*report.Pages[0]->Objects[i], *loaded.Pages[0]->Objects[i], false);
    EXPECT_EQ(RMSaveReport(loaded), saved);
}

// A metafile cannot be drawn here, but a file that carries one gives it back byte for byte,
// in a report file and in a prepared page, and a second save writes the same file.
TEST_F(FilesTest, MetafilePictureBytesSurviveBothFormats)
{
    const QByteArray emf = RMSampleEmf();
    auto make = [&](TRMPictureView& p) {
        p.Name = QStringLiteral("Picture1");
        p.SetBounds(10, 10, 80, 60);
        p.BlobType = btWMF;
        p.Picture = TRMGraphic::FromBytes(emf);
    };
    {
        TRMReport report;
        TRMPage* page = report.Pages.Add(9, 2100, 2970, poPortrait, -1);
        auto* p = static_cast<TRMPictureView*>(report.CreateObject(page, gtPicture));
        make(*p);
        const QByteArray saved = RMSaveReport(report);
        EXPECT_TRUE(saved.contains(emf));
        TRMReport loaded;
        ASSERT_EQ(RMLoadReport(loaded, saved, false).Status, TRMLoadStatus::Loaded);
        auto* back = dynamic_cast<TRMPictureView*>(loaded.Pages[0]->Objects[0].get());
        ASSERT_TRUE(back);
        EXPECT_EQ(back->Picture.Format(), TRMGraphic::TFormat::Metafile);
        EXPECT_EQ(back->Picture.Bytes(), emf);
        EXPECT_EQ(back->BlobType, btWMF);
        EXPECT_EQ(RMSaveReport(loaded), saved);
    }
    {
        TRMPictureView p;
        make(p);
        TRMReport report;
        TRMEMFPages& pages = RMPreparedPages(report);
        pages.AddPage(*report.Pages.Add(9, 2100, 2970, poPortrait, -1));
        pages.AppendView(0, p);
        const QByteArray saved = pages.SaveToStream();
        TRMReport other;
        TRMEMFPages& loaded = RMPreparedPages(other);
        ASSERT_EQ(loaded.LoadFromStream(saved, false).Status, TRMLoadStatus::Loaded);
        TRMPage* page = loaded.BuildPage(0);
        ASSERT_TRUE(page);
        auto* back = dynamic_cast<TRMPictureView*>(page->Objects[0].get());
        ASSERT_TRUE(back);
        EXPECT_EQ(back->Picture.Bytes(), emf);
        loaded.StorePage(0);
        EXPECT_EQ(loaded.SaveToStream(), saved);
    }
}

TEST_F(FilesTest, SampleFilesSaveLoadSaveIdentically)
{
    const QByteArray report = RMSampleReportFile();
    TRMReport r;
    ASSERT_EQ(RMLoadReport(r, report, false).Status, TRMLoadStatus::Loaded);
    EXPECT_EQ(RMSaveReport(r), report);

    const QByteArray prepared = RMSamplePreparedFile();
    TRMEMFPages pages;
    ASSERT_EQ(pages.LoadFromStream(prepared, false).Status, TRMLoadStatus::Loaded);
    EXPECT_EQ(pages.Count(), 2);
    EXPECT_EQ(pages.SaveToStream(), prepared);
}

TEST_F(FilesTest, ReportFormPropertyKeepsTheReportWhenAsked)
{
    TRMReport report;
    RMBuildSampleReport(report);
    QByteArray form = RMSaveReportForm(report);
    EXPECT_EQ(form, QByteArray::fromHex("2b000000"));
    report.StoreInDFM = true;
    form = RMSaveReportForm(report);
    const QByteArray stream = RMSaveReport(report);
    EXPECT_EQ(form.mid(8), stream);
    TRMReport loaded;
    ASSERT_EQ(RMLoadReportForm(loaded, form, false).Status, TRMLoadStatus::Loaded);
    EXPECT_EQ(loaded.ReportStream, stream);
    EXPECT_EQ(loaded.Pages[0]->Objects.size(), report.Pages[0]->Objects.size());
}

} // namespace
} // namespace pqtest
