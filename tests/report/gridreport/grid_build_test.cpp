// Building a report from a form's controls: the walk, the build lists, the bands of each
// design page, and the report prepared, previewed and printed from them. The printers here
// are the test's own, so the builder is seen apart from any real control printer.
#include "report/gridreport/rm_control_printers.h"
#include "report/gridreport/rm_grid_report.h"

#include "grid_test_engine.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/preview/printer/page_setting.h"
#include "report/preview/printer/printer.h"
#include "report/preview/surface/rm_preview.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>


namespace pq {
namespace {

// A label only these tests print with their own printer, so the library's label printer and
// the tests of it do not meet this one.
class TestLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
};

// A label: one memo with its text, above the data (or, after a grid, below it).
class TestLabelPrinter : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view) override
    {
        auto* label = qobject_cast<QLabel*>(control);
        auto* memo = static_cast<TRMMemoView*>(r.Report()->CreateObject(page, gtMemo));
        memo->SetBounds(r.OriginX + control->x(), r.OriginY + control->y(), control->width(), control->height());
        memo->Memo = {label ? label->text() : QString()};
        (r.GridPrinted ? r.ColumnFooterObjects : r.HeaderObjects) << memo;
        view = memo;
    }
};

// An edit bound to a field: its memo is the data row.
class TestFieldPrinter : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view) override
    {
        auto* memo = static_cast<TRMMemoView*>(r.Report()->CreateObject(page, gtMemo));
        memo->SetBounds(r.OriginX + control->x(), r.OriginY + control->y(), control->width(), control->height());
        memo->Memo = {QStringLiteral("[RMDialogForm.%1.\"%2\"]").arg(r.ReportDataSet()->Name(), control->property("field").toString())};
        r.MasterObjects << memo;
        r.GridPrinted = true;
        r.GridTop = r.OriginY + control->y();
        r.GridHeight = control->height();
        view = memo;
    }
};

int Bottom(const TRMView* v) { return v->Top + v->Height; }

int NonBandViews(const TRMPage& page)
{
    int n = 0;
    for (const auto& o : page.Objects)
        n += dynamic_cast<TRMBandView*>(o.get()) ? 0 : 1;
    return n;
}

class TestFieldEdit : public QLineEdit {
    Q_OBJECT
};

class GridBuild : public ::testing::Test, protected test::GridTestEngine {
protected:
    static void SetUpTestSuite()
    {
        RMRegisterControlPrinter(TestLabel::staticMetaObject, TRMControlPrinterClass::Of<TestLabelPrinter>("TestLabelPrinter"));
        RMRegisterControlPrinter(TestFieldEdit::staticMetaObject, TRMControlPrinterClass::Of<TestFieldPrinter>("TestFieldPrinter"));
    }
    void SetUp() override
    {
        Start();
        form.setObjectName(QStringLiteral("frmTest"));
        form.resize(600, 400);
        panel = new QWidget(&form);
        panel->setGeometry(20, 30, 560, 300);
    }
    void TearDown() override
    {
        delete report;
        Stop();
    }
    QLabel* Label(const QString& text, int x, int y, QWidget* parent = nullptr)
    {
        auto* l = new TestLabel(text, parent ? parent : panel);
        l->setGeometry(x, y, 120, 20);
        return l;
    }
    TRMFormReport& Make()
    {
        report = new TRMFormReport(&form);
        report->PrintControl = panel;
        return *report;
    }
    static QList<TRMBandView*> Bands(const TRMPage& page)
    {
        QList<TRMBandView*> out;
        for (const auto& o : page.Objects)
            if (auto* b = dynamic_cast<TRMBandView*>(o.get()))
                out << b;
        return out;
    }
    static TRMBandView* Band(const TRMPage& page, int type)
    {
        for (TRMBandView* b : Bands(page))
            if (b->BandType() == type)
                return b;
        return nullptr;
    }

    QWidget form;
    QWidget* panel = nullptr;
    TRMFormReport* report = nullptr;
};

TEST_F(GridBuild, ContentExtentAndTheWalkOverTheControls)
{
    TRMFormReport& r = Make();
    // No children: the client size.
    ASSERT_TRUE(r.BuildReport());
    EXPECT_EQ(r.ContentWidths, QStringList{"560"});

    Label("top", 10, 20);
    QLabel* bottom = Label("bottom", 390, 300);
    bottom->resize(120, 20);
    auto* inner = new QWidget(panel);
    inner->setGeometry(100, 100, 200, 100);
    Label("inner", 5, 6, inner);
    ASSERT_TRUE(r.BuildReport());
    EXPECT_EQ(r.ContentWidths, QStringList{"500"}) << "from x 10 to 510";
    EXPECT_EQ(r.ContentHeight, 300) << "from y 20 to 320";

    // The views: the labels inside the print control, the inner one at the offset of its
    // parent, everything shifted by the 38-pixel margins at the end.
    TRMPage& page = *r.Report()->Pages[0];
    QStringList texts;
    for (const auto& o : page.Objects)
        if (auto* m = dynamic_cast<TRMMemoView*>(o.get()); m && !dynamic_cast<TRMBandView*>(o.get()))
            texts << m->Memo.value(0);
    EXPECT_EQ(texts, (QStringList{"top", "inner", "bottom"})) << "children walked by top, then left";
    for (const auto& o : page.Objects) {
        auto* m = dynamic_cast<TRMMemoView*>(o.get());
        if (m && m->Memo.value(0) == "inner") {
            EXPECT_EQ(m->Left, 38 + 105);
            EXPECT_GE(m->Top, 38 + 106);
        }
    }
}

TEST_F(GridBuild, OnPrintObjectCanDrawItselfOrChooseThePrinter)
{
    TRMFormReport& r = Make();
    Label("plain", 10, 10);
    auto* box = new QWidget(panel);
    box->setObjectName("box");
    box->setGeometry(10, 50, 200, 100);
    Label("in box", 5, 5, box);
    int created = 0;
    r.OnAfterCreateObject = [&](QWidget*, TRMView* v) { created += v != nullptr; };

    // Owner-drawn: the box gets no views and its children are not walked.
    r.OnPrintObject = [](TRMFormReport&, TRMPage*, QWidget* c, QString&, bool& ownerDraw) {
        ownerDraw = c->objectName() == "box";
    };
    ASSERT_TRUE(r.BuildReport());
    EXPECT_EQ(NonBandViews(*r.Report()->Pages[0]), 1) << "the plain label only";
    EXPECT_EQ(created, 1);

    // A printer named by the handler: the box is printed and its children still walked.
    created = 0;
    r.OnPrintObject = [](TRMFormReport&, TRMPage*, QWidget* c, QString& printerClass, bool&) {
        if (c->objectName() == "box")
            printerClass = QStringLiteral("TestLabelPrinter");
    };
    ASSERT_TRUE(r.BuildReport());
    EXPECT_EQ(created, 3);
}

TEST_F(GridBuild, BandsOfADesignPageAndTheMargins)
{
    TRMFormReport& r = Make();
    r.PageHeader().SetCaption({"{\\rtf1\\ansi \\qc\\fs40 [Title]\\par}"});
    r.ColumnFooter().SetCaption({"{\\rtf1\\ansi Printed [Date]\\par}"});
    r.PageFooter().SetCaption({"{\\rtf1\\ansi Page [Page#]\\par}"});
    Label("Heading", 10, 10);
    auto* edit = new TestFieldEdit;
    edit->setParent(panel);
    edit->setProperty("field", "name");
    edit->setGeometry(10, 60, 200, 24);
    Label("Below", 10, 100);
    ASSERT_TRUE(r.BuildReport());
    TRMReport& rep = *r.Report();
    ASSERT_EQ(rep.Pages.Count(), 1);
    const TRMPage& page = *rep.Pages[0];
    TRMBandView* title = Band(page, btReportTitle);
    TRMBandView* data = Band(page, btMasterData);
    TRMBandView* columnFooter = Band(page, btColumnFooter);
    TRMBandView* pageFooter = Band(page, btPageFooter);
    ASSERT_TRUE(title && data && columnFooter && pageFooter);
    EXPECT_TRUE(title->Visible);
    EXPECT_FALSE(columnFooter->Visible);
    EXPECT_FALSE(pageFooter->Visible);
    EXPECT_EQ(data->DataSource(), "RMDialogForm." + r.ReportDataSet()->Name());
    EXPECT_EQ(r.ReportDataSet()->Name(), "RMGridDataSet1");
    EXPECT_TRUE(data->Stretched());
    EXPECT_EQ(r.DataBandNames, QStringList{data->Name});
    // Every band and view moved by the margins.
    EXPECT_EQ(title->Left, 38);
    EXPECT_EQ(title->Top, 38);
    EXPECT_GT(data->Top, Bottom(title));
    EXPECT_GE(columnFooter->Top, data->Top + data->Height);
    EXPECT_GT(pageFooter->Top, columnFooter->Top);
    // The rich captions sit in their bands across the printable width.
    int captions = 0;
    for (const auto& o : page.Objects)
        if (o->ClassName() == "TRMRichView") {
            ++captions;
            EXPECT_EQ(o->BandAlign, baWidth);
            EXPECT_FALSE(o->HasFlag(flTextOnly));
        }
    EXPECT_EQ(captions, 3);

    // With PageHeaderOnly1 the header is a page header and the footers show.
    r.PageHeaderOnly1 = true;
    ASSERT_TRUE(r.BuildReport());
    const TRMPage& again = *rep.Pages[0];
    ASSERT_NE(Band(again, btPageHeader), nullptr);
    EXPECT_EQ(Band(again, btReportTitle), nullptr);
    EXPECT_TRUE(Band(again, btColumnFooter)->Visible);
    EXPECT_TRUE(Band(again, btPageFooter)->Visible);
}

TEST_F(GridBuild, AFormOfControlsPrintsOncePerRecordOfItsDataSet)
{
    ClientDataSet rows;
    rows.CreateTextFields({{"code", 10}, {"name", 20}});
    for (const char* n : {"现金", "支票", "银行转账"})
        rows.AppendRecord({QStringLiteral("0"), QString::fromUtf8(n)});
    auto* named = new TRMFormDataSet(&form, QStringLiteral("cdsmain"), &rows);
    auto* field = new TestLabel(panel);
    field->setGeometry(10, 10, 200, 20);
    TRMFormReport& r = Make();
    r.DataSet = named;
    r.ShowProgress = false;
    r.ShowPrintDialog = false;
    // A label printer that prints the field of the current record.
    r.OnAfterCreateObject = [](QWidget*, TRMView* v) {
        static_cast<TRMMemoView*>(v)->Memo = {QStringLiteral("[frmTest.cdsmain.\"name\"]")};
    };
    ASSERT_TRUE(r.PrintReport());
    EXPECT_TRUE(r.HasMasterData) << "the label moved to the data row";
    EXPECT_EQ(backend->CountCalls("StartPage"), 1);
    TRMEMFPages& pages = RMPreparedPages(*r.Report());
    ASSERT_EQ(pages.Count(), 1);
    QStringList printed;
    pages.ExportPage(0, [&](TRMView& v) {
        if (auto* m = dynamic_cast<TRMMemoView*>(&v))
            printed << m->Memo1.join(QString());
    });
    EXPECT_EQ(printed, (QStringList{"现金", "支票", "银行转账"}));
}

TEST_F(GridBuild, ThePageSetupOfThePreviewRebuildsFromTheNewLayout)
{
    TRMFormReport& r = Make();
    Label("x", 0, 0);
    ASSERT_TRUE(r.BuildReport());
    ASSERT_TRUE(r.Report()->AfterPageSetup) << "rmgoRebuildAfterPageChanged is on by default";
    TRMPageSetting s;
    s.SetTitle(QStringLiteral("新标题"));
    s.SetOrientation(1);
    s.SetMarginLeft(20);
    s.SetMarginTop(5);
    s.SetMarginRight(10);
    s.SetMarginBottom(10);
    s.SetColumnGap(2.5);
    s.SetBin(7);
    r.Report()->AfterPageSetup(s);
    const TRMPageLayout& l = r.PageLayout();
    EXPECT_EQ(l.Title, "新标题");
    EXPECT_EQ(l.pgOr, poLandscape);
    EXPECT_EQ(l.Width, 2970);
    EXPECT_EQ(l.Height, 2100);
    EXPECT_EQ(l.LeftMargin, 76);
    EXPECT_EQ(l.TopMargin, 19);
    EXPECT_EQ(l.ColumnSpace, 9);
    EXPECT_EQ(l.pgBin, 7);
    // The rebuild took the new paper and margins.
    const TRMPage& page = *r.Report()->Pages[0];
    EXPECT_EQ(page.Orientation, poLandscape);
    EXPECT_EQ(page.LeftMargin, TRMPage::MarginThousandths(76));
    EXPECT_EQ(r.Report()->ReportInfo.Title, "新标题");

    r.ReportOptions.Set(rmgoRebuildAfterPageChanged, false);
    ASSERT_TRUE(r.BuildReport());
    EXPECT_FALSE(r.Report()->AfterPageSetup);
}

TEST_F(GridBuild, WithoutAPrintControlNothingIsBuiltAndTwoReportsNameTheirDataSets)
{
    TRMFormReport& r = Make();
    r.PrintControl = nullptr;
    EXPECT_FALSE(r.BuildReport());
    EXPECT_FALSE(r.ShowReport());
    TRMFormReport other(&form);
    EXPECT_EQ(r.ReportDataSet()->Name(), "RMGridDataSet1");
    EXPECT_EQ(other.ReportDataSet()->Name(), "RMGridDataSet2");
    EXPECT_EQ(r.ReportDataSet()->parent(), other.ReportDataSet()->parent());
}

TEST_F(GridBuild, ShowReportOpensTheReportInAPreviewOnTheForm)
{
    TRMFormReport& r = Make();
    Label("Shown", 10, 10);
    TRMPreview preview(&form);
    r.Preview = &preview;
    r.ShowProgress = false;
    ASSERT_TRUE(r.ShowReport());
    EXPECT_EQ(preview.PageCount(), 1);
    EXPECT_EQ(preview.Report(), r.Report());
}

} // namespace
} // namespace pq

#include "grid_build_test.moc"
