// The grid report's option objects and published surface: defaults, the setters' rules,
// copying between objects, and the settings a window ships them in.
#include "report/gridreport/rm_grid_options.h"
#include "report/gridreport/rm_grid_report.h"

#include "base/units.h"
#include "report/engine/rm_dataset.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace pq {
namespace {

TEST(GridReportOptions, ANewGridReportHasItsDefaults)
{
    TRMFormReport r;
    const TRMPageLayout& p = r.PageLayout();
    for (int margin : {p.LeftMargin, p.TopMargin, p.RightMargin, p.BottomMargin})
        EXPECT_EQ(margin, 38) << "10 mm at 96 dpi";
    EXPECT_EQ(p.pgSize, 9);
    EXPECT_EQ(p.Width, 2100);
    EXPECT_EQ(p.Height, 2970);
    EXPECT_EQ(p.pgOr, poPortrait);
    EXPECT_EQ(p.PrinterName, "默认打印机");
    EXPECT_FALSE(p.DoublePass);
    EXPECT_EQ(r.PreviewButtons, 639);
    EXPECT_EQ(r.ReportOptions.Bits(), 1550u);
    EXPECT_TRUE(r.ReportOptions.Has(rmgoRebuildAfterPageChanged));
    EXPECT_FALSE(r.ReportOptions.Has(rmgoDoubleFrame));
    EXPECT_EQ(r.ScaleMode().ScaleMode, rmsmFit);
    EXPECT_EQ(r.ScaleMode().ScaleFactor, 100);
    EXPECT_FALSE(r.ScaleMode().FitPageWidth);
    EXPECT_EQ(r.GridNumOptions().Text, "No");
    EXPECT_EQ(r.GridNumOptions().Number(), 7);
    EXPECT_EQ(r.MasterDataBandOptions().Height, -1);
    EXPECT_EQ(r.MasterDataBandOptions().ColumnWidth, 200);
    EXPECT_EQ(r.MasterDataBandOptions().ColumnGap, 20);
    EXPECT_EQ(r.MasterDataBandOptions().Columns, 1);
    EXPECT_TRUE(r.PageHeader().Caption().isEmpty());
    EXPECT_EQ(r.PageHeader().Height(), 0);
    EXPECT_EQ(r.PageHeader().Report(), &r);
    EXPECT_EQ(r.Groups().Owner(), &r);
    EXPECT_EQ(r.Groups().Count(), 0);
    EXPECT_EQ(r.GridFixedCols, 0);
    EXPECT_TRUE(r.ShowPrintDialog);
    EXPECT_TRUE(r.ShowProgress);
    EXPECT_EQ(r.InitialZoom, pzDefault);

    // Ten millimetres follow the resolution report coordinates are in.
    units::SetScreenDpi(120);
    EXPECT_EQ(RMTenMillimetres(), 47);
    EXPECT_EQ(TRMPageLayout().LeftMargin, 47);
    units::SetScreenDpi(units::kDefaultScreenDpi);
}

TEST(GridReportOptions, NegativeValuesLeaveTheOldOnes)
{
    TRMFormReport r;
    r.PageHeader().SetHeight(40);
    r.PageHeader().SetHeight(-5);
    EXPECT_EQ(r.PageHeader().Height(), 40);
    r.GridNumOptions().SetNumber(-1);
    EXPECT_EQ(r.GridNumOptions().Number(), 7);
    r.GridNumOptions().SetNumber(0);
    EXPECT_EQ(r.GridNumOptions().Number(), 0);
}

TEST(GridReportOptions, SettersCopyAndRefuseAnotherClass)
{
    TRMFormReport r;
    TRMPageHeaderFooter caption;
    caption.SetCaption({"{\\rtf1 ", "[Title]\\par }"});
    caption.SetHeight(60);
    r.SetPageHeader(caption);
    caption.SetCaption({"changed"});
    EXPECT_EQ(r.PageHeader().Caption(), (QStringList{"{\\rtf1 ", "[Title]\\par }"})) << "the report keeps its own copy";
    EXPECT_EQ(r.PageHeader().Height(), 60);
    EXPECT_EQ(r.PageHeader().Report(), &r) << "the copy stays the report's";

    TRMGridFontOptions font;
    font.UseCustomFontSize = true;
    font.Font = QFont(QStringLiteral("宋体"), 11);
    r.SetGridFontOptions(font);
    font.Font.setPointSize(20);
    EXPECT_EQ(r.GridFontOptions().Font.pointSize(), 11);
    EXPECT_TRUE(r.GridFontOptions().UseCustomFontSize);

    TRMGroupItems groups;
    groups.Add().GroupFieldName = QStringLiteral("f_Dwbm");
    TRMGroupItem& second = groups.Add();
    second.GroupFieldName = QStringLiteral("f_Zffsbm");
    second.FormNewPage = true;
    r.SetGroups(groups);
    ASSERT_EQ(r.Groups().Count(), 2);
    EXPECT_EQ(r.Groups()[0].GroupFieldName, "f_Dwbm");
    EXPECT_FALSE(r.Groups()[0].FormNewPage);
    EXPECT_EQ(r.Groups()[1].GroupFieldName, "f_Zffsbm");
    EXPECT_TRUE(r.Groups()[1].FormNewPage);
    EXPECT_EQ(r.Groups().Owner(), &r);

    struct Case {
        std::function<void()> assign;
        const char* message;
    };
    TRMScaleOptions scale;
    TRMPageLayout layout;
    TRMGroupItem item;
    const Case cases[] = {
        {[&] { r.SetPageLayout(scale); }, "Cannot assign a TRMScaleOptions to a TRMPageLayout"},
        {[&] { r.SetGroups(item); }, "Cannot assign a TRMGroupItem to a TRMGroupItems"},
        {[&] { r.SetPageFooter(layout); }, "Cannot assign a TRMPageLayout to a TRMPageHeaderFooter"},
    };
    for (const Case& c : cases) {
        try {
            c.assign();
            ADD_FAILURE() << c.message;
        } catch (const TRMConvertError& e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(c.message));
        }
    }
    EXPECT_EQ(r.PageLayout().LeftMargin, 38) << "a refused copy changes nothing";
}

TEST(GridReportOptions, ReferencesToComponentsThatGoAreCleared)
{
    QWidget form;
    ClientDataSet data;
    auto* named = new TRMFormDataSet(&form, QStringLiteral("cdsprint"), &data);
    auto* grid = new QWidget(&form);
    TRMFormReport r(&form);
    r.DataSet = named;
    r.PrintControl = grid;
    delete named;
    delete grid;
    EXPECT_EQ(r.DataSet, nullptr);
    EXPECT_EQ(r.PrintControl, nullptr);
}

class GridReportSettings : public ::testing::Test {
protected:
    std::unique_ptr<QSettings> Settings()
    {
        return std::make_unique<QSettings>(dir.filePath("report.ini"), QSettings::IniFormat);
    }
    QTemporaryDir dir;
};

TEST_F(GridReportSettings, EverythingComesBackAsItWasSaved)
{
    TRMFormReport saved;
    saved.ReportOptions = {rmgoStretch, rmgoWordWrap, rmgoGridLines, rmgoDoubleFrame, rmgoRebuildAfterPageChanged};
    saved.PageLayout().LeftMargin = 50;
    saved.PageLayout().pgOr = poLandscape;
    saved.PageLayout().PrinterName = QStringLiteral("Laser, 2nd floor");
    saved.PageLayout().DoublePass = true;
    saved.PageHeader().SetCaption({"{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 \\'ba\\'da\\'cc\\'e5;}}",
        "\\pard\\qc\\f0\\fs44 [Title]\\par", "}"});
    saved.PageHeader().SetHeight(70);
    saved.ColumnFooter().SetCaption({"打印日期: [Date], 操作员 [Oper]"});
    saved.ScaleMode().ScaleMode = rmsmAdjust;
    saved.ScaleMode().ScaleFactor = 80;
    saved.ScaleMode().CenterOnPageH = true;
    saved.MasterDataBandOptions().Height = 26;
    saved.MasterDataBandOptions().NewPageAfter = true;
    saved.GridNumOptions().Text = QStringLiteral("序号");
    saved.GridNumOptions().SetNumber(5);
    saved.GridFontOptions().UseCustomFontSize = true;
    saved.GridFontOptions().Font = QFont(QStringLiteral("宋体"), 11, QFont::Bold);
    saved.InitialZoom = pzPageWidth;
    saved.PreviewButtons = pbZoom | pbPrint | pbSaveToXLS;
    saved.ReportTitle = QStringLiteral("支付方式档案");
    saved.ShowPrintDialog = false;
    saved.ShowMasterData = true;
    saved.PageHeaderOnly1 = true;
    saved.AutoBooleanString = QStringLiteral("是,否");
    saved.GridFixedCols = 2;
    saved.Groups().Add().GroupFieldName = QStringLiteral("f_Dwbm");
    saved.Groups().Add().FormNewPage = true;
    {
        auto s = Settings();
        s->beginGroup(QStringLiteral("RMFormReport1"));
        saved.SaveSettings(*s);
        s->endGroup();
        s->sync();
        ASSERT_EQ(s->status(), QSettings::NoError);
    }
    TRMFormReport loaded;
    auto s = Settings();
    s->beginGroup(QStringLiteral("RMFormReport1"));
    EXPECT_TRUE(loaded.LoadSettings(*s).isEmpty());
    EXPECT_EQ(loaded.ReportOptions, saved.ReportOptions);
    EXPECT_EQ(loaded.PageLayout().LeftMargin, 50);
    EXPECT_EQ(loaded.PageLayout().TopMargin, 38);
    EXPECT_EQ(loaded.PageLayout().pgOr, poLandscape);
    EXPECT_EQ(loaded.PageLayout().PrinterName, "Laser, 2nd floor");
    EXPECT_TRUE(loaded.PageLayout().DoublePass);
    EXPECT_EQ(loaded.PageHeader().Caption(), saved.PageHeader().Caption());
    EXPECT_EQ(loaded.PageHeader().Height(), 70);
    EXPECT_EQ(loaded.ColumnFooter().Caption(), saved.ColumnFooter().Caption());
    EXPECT_TRUE(loaded.PageFooter().Caption().isEmpty());
    EXPECT_EQ(loaded.ScaleMode().ScaleMode, rmsmAdjust);
    EXPECT_EQ(loaded.ScaleMode().ScaleFactor, 80);
    EXPECT_TRUE(loaded.ScaleMode().CenterOnPageH);
    EXPECT_EQ(loaded.MasterDataBandOptions().Height, 26);
    EXPECT_TRUE(loaded.MasterDataBandOptions().NewPageAfter);
    EXPECT_EQ(loaded.GridNumOptions().Text, "序号");
    EXPECT_EQ(loaded.GridNumOptions().Number(), 5);
    EXPECT_TRUE(loaded.GridFontOptions().UseCustomFontSize);
    EXPECT_EQ(loaded.GridFontOptions().Font, saved.GridFontOptions().Font);
    EXPECT_EQ(loaded.InitialZoom, pzPageWidth);
    EXPECT_EQ(loaded.PreviewButtons, pbZoom | pbPrint | pbSaveToXLS);
    EXPECT_EQ(loaded.ReportTitle, "支付方式档案");
    EXPECT_FALSE(loaded.ShowPrintDialog);
    EXPECT_TRUE(loaded.ShowMasterData);
    EXPECT_TRUE(loaded.PageHeaderOnly1);
    EXPECT_EQ(loaded.AutoBooleanString, "是,否");
    EXPECT_EQ(loaded.GridFixedCols, 2);
    ASSERT_EQ(loaded.Groups().Count(), 2);
    EXPECT_EQ(loaded.Groups()[0].GroupFieldName, "f_Dwbm");
    EXPECT_TRUE(loaded.Groups()[1].FormNewPage);
}

TEST_F(GridReportSettings, KeysNotListedKeepTheirDefaultsAndUnreadableOnesAreNamed)
{
    {
        auto s = Settings();
        s->setValue(QStringLiteral("PageLayout/LeftMargin"), 38);
        s->setValue(QStringLiteral("PageLayout/TopMargin"), QStringLiteral("twenty"));
        s->setValue(QStringLiteral("PageHeader/Height"), -5);
        s->setValue(QStringLiteral("GridNumOptions/Number"), -1);
        s->setValue(QStringLiteral("ReportOptions"),
            QStringList{"rmgoStretch", "rmgoWordWrap", "rmgoGridLines", "rmgoDoubleFrame", "rmgoRebuildAfterPageChanged"});
        s->setValue(QStringLiteral("PreviewButtons"), QStringList{"pbZoom", "pbTeleport"});
        s->setValue(QStringLiteral("ScaleMode/ScaleMode"), QStringLiteral("rmsmShrink"));
        s->sync();
    }
    TRMFormReport r;
    r.PageHeader().SetHeight(12);
    auto s = Settings();
    const QStringList problems = r.LoadSettings(*s);
    EXPECT_EQ(r.PageLayout().LeftMargin, 38);
    EXPECT_EQ(r.PageLayout().TopMargin, 38) << "an unreadable value keeps the old one";
    EXPECT_EQ(r.PageLayout().RightMargin, 38);
    EXPECT_EQ(r.PageLayout().pgSize, 9);
    EXPECT_EQ(r.PageLayout().PrinterName, "默认打印机");
    EXPECT_EQ(r.PageHeader().Height(), 12) << "negative heights are ignored as by the setter";
    EXPECT_EQ(r.GridNumOptions().Number(), 7);
    EXPECT_EQ(r.ReportOptions.Bits(), (1u << 1) | (1u << 2) | (1u << 3) | (1u << 8) | (1u << 9));
    EXPECT_FALSE(r.ReportOptions.Has(rmgoDisableControls));
    EXPECT_EQ(r.PreviewButtons, kDefaultGridPreviewButtons);
    EXPECT_EQ(r.ScaleMode().ScaleMode, rmsmFit);
    EXPECT_EQ(r.ScaleMode().ScaleFactor, 100);
    EXPECT_EQ(r.GridFixedCols, 0);
    EXPECT_FALSE(r.PageHeaderOnly1);
    EXPECT_TRUE(r.ReportTitle.isEmpty());
    ASSERT_EQ(problems.size(), 3) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems.join('\n').contains("PageLayout/TopMargin"));
    EXPECT_TRUE(problems.join('\n').contains("PreviewButtons"));
    EXPECT_TRUE(problems.join('\n').contains("ScaleMode/ScaleMode"));
}

} // namespace
} // namespace pq
