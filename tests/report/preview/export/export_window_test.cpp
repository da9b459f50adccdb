// The preview's exports through its buttons, on real widgets, headless: the filter
// registry and the export operation, save to spreadsheet with its options and save dialog,
// the save dialog's registered formats, and the data export of the grid's data file.
#include "report/preview/export/rm_data_export.h"
#include "report/preview/export/rm_export_commands.h"
#include "report/preview/export/rm_export_filter.h"
#include "report/preview/export/rm_xlsx_filter.h"

#include "export_test_support.h"

#include "base/file_io.h"
#include "base/message_box.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/engine/startup/rm_engine_startup.h"
#include "report/preview/window/rm_preview_form.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>

namespace pq {
namespace {

using test::Answer;
using test::ChooseFile;

class ExportWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TRMEngineServices::Started())
            engine.emplace(TRMEngineOptions::Headless());
        ASSERT_TRUE(dir.isValid());
        TRMPreviewForm::SetSettingsFile(dir.filePath("settings.ini"));
        qputenv("XDG_CACHE_HOME", dir.filePath("cache").toLocal8Bit());
    }
    void TearDown() override
    {
        if (form)
            form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TRMPreviewForm::SetSettingsFile(QString());
        qunsetenv("XDG_CACHE_HOME");
    }

    // Two pages of a framed two-column list.
    TRMPreviewForm& Open(int buttons)
    {
        report = std::make_unique<TRMReport>();
        report->ModalPreview = false;
        report->PreviewButtons = buttons;
        TRMPage* design = report->Pages.Add(9, 2100, 2970, poPortrait, -1);
        auto* pages = new TRMEMFPages(report.get());
        for (int p = 0; p < 2; ++p) {
            pages->AddPage(*design);
            for (int r = 0; r < 3; ++r) {
                const QString cells[] = {QStringLiteral("%1").arg(p * 3 + r + 1, 3, 10, QLatin1Char('0')),
                    QStringLiteral("支付方式%1").arg(p * 3 + r + 1)};
                for (int c = 0; c < 2; ++c) {
                    TRMMemoView m;
                    m.SetBounds(50 + c * 100, 100 + r * 30, 100, 30);
                    m.Memo1 = QStringList{cells[c]};
                    for (TRMFrameLine* f : m.Frames())
                        f->Visible = true;
                    pages->AppendView(p, m);
                }
            }
        }
        form = new TRMPreviewForm;
        form->resize(800, 600);
        form->ShowFor(report.get());
        QApplication::processEvents();
        return *form;
    }

    QByteArray Read(const QString& name)
    {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::optional<TRMEngineStartup> engine;
    QTemporaryDir dir;
    MessageBoxRecorder boxes;
    std::unique_ptr<TRMReport> report;
    QPointer<TRMPreviewForm> form;
    QObject scope; // the dialogs' answers that never came end with the test
};

// A filter that notes what the export operation hands it.
class RecordingFilter : public TRMExportFilter {
public:
    QStringList calls;
    bool answer = true;
    bool ShowOptions(QWidget*) override
    {
        calls << "options";
        return answer;
    }
    bool BeginDoc(QString*) override
    {
        calls << "begin " + QFileInfo(FileName).fileName();
        return true;
    }
    void BeginPage(int index, const TRMEMFPage&) override { calls << QStringLiteral("page %1").arg(index); }
    void Data(TRMView& view) override { calls << "view " + view.Memo1.value(0); }
    void EndPage(int index) override { calls << QStringLiteral("end page %1").arg(index); }
    bool EndDoc(QString*) override
    {
        calls << "end";
        return true;
    }
};

TEST_F(ExportWindowTest, TheRegistryStartsWithTheWorkbookFilterAndTheExportHandsEveryView)
{
    const std::vector<TRMExportFilterEntry> filters = RMExportFilters();
    ASSERT_FALSE(filters.empty());
    EXPECT_TRUE(filters.front().Spreadsheet);
    EXPECT_EQ(filters.front().DialogFilter(), "Excel 工作簿 (*.xlsx)");
    EXPECT_EQ(filters.front().Extension(), ".xlsx");
    EXPECT_NE(dynamic_cast<TRMXLSXExportFilter*>(RMSpreadsheetFilter().Filter), nullptr);

    Open(pbSave);
    auto* recording = static_cast<RecordingFilter*>(
        RMRegisterExportFilter(std::make_unique<RecordingFilter>(), "Recorded", "*.rec", false));
    EXPECT_EQ(RMExportFilterFor("Recorded (*.rec)").Filter, recording);
    ASSERT_TRUE(RMExportPages(*form->Preview()->Pages(), *recording, dir.filePath("x.rec"), form));
    EXPECT_EQ(recording->calls.mid(0, 4), (QStringList{"options", "begin x.rec", "page 0", "view 001"}));
    EXPECT_EQ(recording->calls.filter("view ").size(), 12);
    EXPECT_EQ(recording->calls.last(), "end");
    EXPECT_TRUE(recording->calls.contains("end page 1"));

    recording->calls.clear();
    recording->answer = false; // the options dialog cancelled: nothing is exported
    EXPECT_FALSE(RMExportPages(*form->Preview()->Pages(), *recording, dir.filePath("y.rec"), form));
    EXPECT_EQ(recording->calls, QStringList{"options"});
    RMUnregisterExportFilter(recording);
    EXPECT_EQ(RMExportFilterFor("Recorded (*.rec)").Filter, nullptr);
}

TEST_F(ExportWindowTest, SaveToSpreadsheetAsksTheOptionsThenTheFileAndWritesAWorkbook)
{
    TRMPreviewForm& f = Open(pbSaveToXLS | pbExit);
    bool options = false, file = false;
    Answer<TRMXLSXExportForm>(&scope, [](TRMXLSXExportForm& d) {
        EXPECT_TRUE(d.SheetPerPage()->isChecked()) << "one sheet per page by default";
        if (const char* shots = std::getenv("PQ_SHOT_DIR"))
            d.grab().save(QString::fromLocal8Bit(shots) + "/xlsx-options-dialog.png");
        QTest::mouseClick(d.OneSheet(), Qt::LeftButton);
        d.accept();
    }, &options);
    const QString target = dir.filePath("list"); // no extension: the mask's is added
    Answer<QFileDialog>(&scope, [&](QFileDialog& d) {
        EXPECT_EQ(d.nameFilters(), QStringList{"Excel 工作簿 (*.xlsx)"});
        ChooseFile(d, target);
    }, &file);
    f.Item("btnSaveToXLS")->trigger();
    EXPECT_TRUE(options);
    EXPECT_TRUE(file);
    const QByteArray book = Read(target + ".xlsx");
    EXPECT_TRUE(book.startsWith("PK")) << "a zip package";
    EXPECT_FALSE(static_cast<TRMXLSXExportFilter*>(RMSpreadsheetFilter().Filter)->OneSheetPerPage)
        << "the filter keeps the choice";
    EXPECT_TRUE(boxes.shown.isEmpty());
    static_cast<TRMXLSXExportFilter*>(RMSpreadsheetFilter().Filter)->OneSheetPerPage = true;
}

TEST_F(ExportWindowTest, CancellingTheOptionsOrTheFileWritesNothing)
{
    TRMPreviewForm& f = Open(pbSaveToXLS);
    Answer<TRMXLSXExportForm>(&scope, [](TRMXLSXExportForm& d) { d.reject(); }, nullptr);
    f.Item("btnSaveToXLS")->trigger();
    Answer<TRMXLSXExportForm>(&scope, [](TRMXLSXExportForm& d) { d.accept(); }, nullptr);
    Answer<QFileDialog>(&scope, [](QFileDialog& d) { d.reject(); }, nullptr);
    f.Item("btnSaveToXLS")->trigger();
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.xlsx"}).isEmpty());
}

TEST_F(ExportWindowTest, TheSaveDialogOffersTheRegisteredFormats)
{
    TRMPreviewForm& f = Open(pbSave);
    bool options = false;
    const QString target = dir.filePath("saved.xlsx");
    Answer<QFileDialog>(&scope, [&](QFileDialog& d) {
        EXPECT_EQ(d.nameFilters(), (QStringList{"Report 文件 (*.rmp)", "Excel 工作簿 (*.xlsx)"}));
        EXPECT_EQ(d.selectedNameFilter(), "Report 文件 (*.rmp)");
        d.selectNameFilter("Excel 工作簿 (*.xlsx)");
        Answer<TRMXLSXExportForm>(&scope, [](TRMXLSXExportForm& o) { o.accept(); }, &options);
        ChooseFile(d, target);
    }, nullptr);
    QTest::keyClick(f.focusWidget() ? f.focusWidget() : &f, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(options) << "a registered format shows its options first";
    EXPECT_TRUE(Read(target).startsWith("PK"));

    // The prepared-report format as before.
    const QString rmp = dir.filePath("saved.rmp");
    Answer<QFileDialog>(&scope, [&](QFileDialog& d) { ChooseFile(d, rmp); }, nullptr);
    QTest::keyClick(f.focusWidget() ? f.focusWidget() : &f, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Read(rmp).contains("Pagequill Prepared Report File"));
}

TEST_F(ExportWindowTest, AWorkbookThatCannotBeWrittenSaysWhyAndKeepsTheOldFile)
{
    TRMPreviewForm& f = Open(pbSaveToXLS);
    const QString blocked = dir.filePath("plain-file");
    ASSERT_TRUE(WriteFileWhole(blocked, QByteArray("x")));
    const TRMExportFilterEntry entry = RMSpreadsheetFilter();
    EXPECT_FALSE(RMPreviewExport(*f.Preview(), entry, blocked + "/book.xlsx", &f, false));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].caption, "错误");
    EXPECT_TRUE(boxes.shown[0].text.contains("book.xlsx")) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(Read(blocked), "x");
}

// ---- the data export ----

struct DataExportCase {
    const char* name;
    const char* dataFile;  // nullptr: no data file
    const char* typed;     // the path box; %1 is the test folder
    bool written;
    const char* message;   // a part of the box's text; "" for none
};

class DataExportCases : public ExportWindowTest, public ::testing::WithParamInterface<DataExportCase> {};

TEST_P(DataExportCases, ThePathBoxAndTheMessages)
{
    const DataExportCase& c = GetParam();
    const QByteArray data = c.dataFile ? QByteArray(c.dataFile) : QByteArray();
    if (c.dataFile) {
        ASSERT_TRUE(WriteFileWhole(RMGridExportFileName(), data));
    }
    ASSERT_TRUE(WriteFileWhole(dir.filePath("old.csv"), QByteArray("old")));
    ASSERT_TRUE(QDir(dir.path()).mkpath("folder.csv"));
    TRMPreviewForm& f = Open(pbSuperExp | pbExit);
    EXPECT_TRUE(f.Item("btnSuperExp")->isVisible());
    bool seen = false;
    const QString typed = QString::fromUtf8(c.typed).replace("%1", dir.path());
    Answer<TRM_SuperExp>(&scope, [&](TRM_SuperExp& d) {
        EXPECT_EQ(d.windowTitle(), "数据转换");
        EXPECT_EQ(d.size(), QSize(398, 210));
        EXPECT_FALSE(d.Note()->isEnabled());
        EXPECT_TRUE(d.Note()->toPlainText().startsWith("按照原始数据来源"));
        QTest::keyClicks(d.PathBox(), typed);
        if (const char* shots = std::getenv("PQ_SHOT_DIR"))
            d.grab().save(QString::fromLocal8Bit(shots) + "/data-export-dialog.png");
        QTest::mouseClick(d.OkButton(), Qt::LeftButton);
    }, &seen);
    f.Item("btnSuperExp")->trigger();
    ASSERT_TRUE(seen);
    const QString target = typed.trimmed();
    if (c.written) {
        EXPECT_TRUE(boxes.shown.isEmpty()) << "success is silent";
        EXPECT_EQ(Read(target), data) << "byte for byte";
    } else {
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].caption, "转换失败");
        EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Error);
        EXPECT_TRUE(boxes.shown[0].text.contains(QString::fromUtf8(c.message))) << boxes.shown[0].text.toStdString();
        EXPECT_EQ(Read(dir.filePath("old.csv")), "old") << "a file there is kept";
    }
}

const char kData[] = "编码,名称\r\n 01, 现金\r\n 02, 支票\r\n";

INSTANTIATE_TEST_SUITE_P(Cases, DataExportCases,
    ::testing::Values(
        DataExportCase{"Copied", kData, "%1/out.csv", true, ""},
        DataExportCase{"BlanksAroundThePathAreDropped", kData, "   %1/blank.csv  ", true, ""},
        DataExportCase{"AnEarlierFileIsReplaced", kData, "%1/old.csv", true, ""},
        DataExportCase{"AnEmptyPath", kData, "   ", false, "目标路径非法。"},
        DataExportCase{"NoDataFile", nullptr, "%1/out.csv", false, "不存在"},
        DataExportCase{"AnEmptyDataFile", "", "%1/out.csv", false, "是空的"},
        DataExportCase{"ATargetThatIsAFolder", kData, "%1/folder.csv", false,
            "错误原因1：目标文件属性不可以为只读。\r\n错误原因2：转换的源文件来原非数据集，\r\n                    请用普通的导出功能。\r\n"
            "错误原因3：源文件数据集记录数为空。\r\n错误原因3：目标路径输入格式非法。"},
        DataExportCase{"APathIntoNoFolder", kData, "%1/no/such/folder/out.csv", false, "错误原因1"}),
    [](const ::testing::TestParamInfo<DataExportCase>& info) { return std::string(info.param.name); });

TEST_F(ExportWindowTest, DataExportTwiceOverwritesAndTheBrowseButtonFillsThePath)
{
    ASSERT_TRUE(WriteFileWhole(RMGridExportFileName(), QByteArray("first\r\n")));
    TRMPreviewForm& f = Open(pbSuperExp);
    const QString target = dir.filePath("chosen.CSV");
    Answer<TRM_SuperExp>(&scope, [&](TRM_SuperExp& d) {
        QTest::keyClicks(d.PathBox(), dir.filePath("start.CSV"));
        Answer<QFileDialog>(&scope, [&](QFileDialog& fd) {
            EXPECT_EQ(fd.nameFilters(), QStringList{"excel file(*.CSV)"});
            EXPECT_EQ(fd.defaultSuffix(), "CSV");
            EXPECT_EQ(fd.selectedFiles().value(0), dir.filePath("start.CSV")) << "starts with the box's text";
            ChooseFile(fd, target);
        }, nullptr);
        QTest::mouseClick(d.BrowseButton(), Qt::LeftButton);
        EXPECT_EQ(d.PathBox()->text(), target);
        QTest::mouseClick(d.OkButton(), Qt::LeftButton);
    }, nullptr);
    f.Item("btnSuperExp")->trigger();
    EXPECT_EQ(Read(target), "first\r\n");

    ASSERT_TRUE(WriteFileWhole(RMGridExportFileName(), QByteArray("second\r\n")));
    Answer<TRM_SuperExp>(&scope, [&](TRM_SuperExp& d) {
        QTest::keyClicks(d.PathBox(), target);
        QTest::keyClick(d.PathBox(), Qt::Key_Return); // OK is the default button
    }, nullptr);
    f.Item("btnSuperExp")->trigger();
    EXPECT_EQ(Read(target), "second\r\n") << "the second export replaces the first";
    EXPECT_TRUE(boxes.shown.isEmpty());

    // Cancel ends the command.
    ASSERT_TRUE(WriteFileWhole(RMGridExportFileName(), QByteArray("third\r\n")));
    Answer<TRM_SuperExp>(&scope, [&](TRM_SuperExp& d) {
        QTest::keyClicks(d.PathBox(), target);
        QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
    }, nullptr);
    f.Item("btnSuperExp")->trigger();
    EXPECT_EQ(Read(target), "second\r\n");
}

TEST_F(ExportWindowTest, PagesLoadedFromAFileHaveNoDataToExport)
{
    ASSERT_TRUE(WriteFileWhole(RMGridExportFileName(), QByteArray("data\r\n")));
    TRMPreviewForm& f = Open(pbSuperExp | pbSave | pbLoad);
    const QString rmp = dir.filePath("pages.rmp");
    ASSERT_TRUE(f.SaveTo(rmp));
    f.OpenFiles({rmp});
    ASSERT_TRUE(f.Preview()->LoadedFromFile());
    bool seen = false;
    Answer<TRM_SuperExp>(&scope, [](TRM_SuperExp& d) { d.reject(); }, &seen);
    f.Item("btnSuperExp")->trigger();
    EXPECT_FALSE(seen) << "the dialog does not open";
}

} // namespace
} // namespace pq
