// The demonstration form printed as a report, in process: each control's view at its place,
// the data grid's rows on the pages, the string grid alone, and a page drawn.
#include "report/tools/form_demo.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "tests/report/tools/tool_engine_test.h"
#include "widgets/db_grid.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

namespace pq {
namespace {

class FormDemo : public test::ToolEngineTest {
protected:
    struct Printed {
        QString Text;
        QRect Bounds;
        QString Class;
    };
    static QList<Printed> Views(TRMEMFPages& pages, int page)
    {
        QList<Printed> out;
        pages.ExportPage(page, [&](TRMView& v) {
            out.append({v.Memo.join(QString()), QRect(v.Left, v.Top, v.Width, v.Height), v.ClassName()});
        });
        return out;
    }
    static const Printed* Find(const QList<Printed>& views, const QString& text)
    {
        for (const Printed& p : views)
            if (p.Text == text)
                return &p;
        return nullptr;
    }
    // The texts of the printed line whose first view says first.
    static QStringList LineOf(const QList<Printed>& views, const QString& first)
    {
        const Printed* start = Find(views, first);
        QStringList line;
        if (!start)
            return line;
        for (const Printed& p : views)
            if (p.Bounds.top() == start->Bounds.top() && p.Class == start->Class)
                line << p.Text;
        return line;
    }

};

TEST_F(FormDemo, TheFormPrintsItsControlsAndTheDataGridsRowsLaidOutAsOnScreen)
{
    TRMFormDemo demo(80);
    TRMReport& report = demo.Prepare();
    TRMEMFPages& pages = RMPreparedPages(report);
    ASSERT_EQ(pages.Count(), 2) << "80 receipts do not fit one page";
    for (int p = 0; p < pages.Count(); ++p) {
        const QList<Printed> views = Views(pages, p);
        SCOPED_TRACE(p);
        // The form's controls on every page, in the order and places they have on the form.
        const Printed* title = Find(views, QStringLiteral("收款登记表"));
        const Printed* unit = Find(views, QStringLiteral("集团总部"));
        const Printed* oper = Find(views, QStringLiteral("张三"));
        ASSERT_TRUE(title && unit && oper);
        EXPECT_LT(title->Bounds.bottom(), unit->Bounds.top());
        EXPECT_EQ(unit->Bounds.top(), oper->Bounds.top()) << "side by side as on the form";
        EXPECT_LT(unit->Bounds.right(), oper->Bounds.left());
        EXPECT_EQ(oper->Bounds.left() - unit->Bounds.left(), 350 - 80);
        int boxes = 0;
        for (const Printed& v : views)
            boxes += v.Class == QLatin1String("TRMCheckBoxView");
        EXPECT_EQ(boxes, 1);
        EXPECT_EQ(LineOf(views, QStringLiteral("序号")), (QStringList{"序号", "单号", "支付方式", "金额", "备注"}));
        EXPECT_GT(Find(views, QStringLiteral("序号"))->Bounds.top(), unit->Bounds.bottom());
    }
    const QList<Printed> first = Views(pages, 0);
    EXPECT_EQ(LineOf(first, QStringLiteral("SK00001")), (QStringList{"1", "SK00001", "现金", "50.00", "预收款"}))
        << "the row number, then the fields; the amount in the field's display format";
    EXPECT_EQ(LineOf(first, QStringLiteral("SK00008")), (QStringList{"8", "SK00008", "微信支付", "1,009.75", ""}));
    const QList<Printed> last = Views(pages, 1);
    EXPECT_NE(Find(last, QStringLiteral("SK00080")), nullptr);
    EXPECT_NE(Find(last, QStringLiteral("80")), nullptr) << "the row number of the last record";
    // A form prints its first grid: the summary's texts are nowhere.
    for (int p = 0; p < pages.Count(); ++p)
        EXPECT_EQ(Find(Views(pages, p), QStringLiteral("金额合计")), nullptr);

    // Drawn: the page has ink where the grid is and the frame lines are black.
    QImage image(pages[0]->PageInfo.PageWidth, pages[0]->PageInfo.PageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        pages.Draw(0, &painter, image.rect());
    }
    if (const QByteArray dir = qgetenv("PQ_SHOT_DIR"); !dir.isEmpty())
        image.save(QString::fromLocal8Bit(dir) + QStringLiteral("/form_demo.png"));
    const Printed* cell = Find(first, QStringLiteral("SK00002"));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(image.pixelColor(cell->Bounds.left(), cell->Bounds.center().y()), QColor(Qt::black)) << "the cell's left frame";
    int ink = 0;
    for (int x = cell->Bounds.left() + 2; x < cell->Bounds.right() - 2; ++x)
        for (int y = cell->Bounds.top() + 2; y < cell->Bounds.bottom() - 2; ++y)
            ink += image.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_GT(ink, 20) << "the cell's text is drawn";
}

// The string grid printed alone: its title row and one printed line per summary row, each
// line right below the one above.
TEST_F(FormDemo, TheStringGridPrintsAloneWhenItIsThePrintControl)
{
    TRMFormDemo demo;
    TRMReport& report = demo.Prepare(QStringLiteral("sgSummary"));
    TRMEMFPages& pages = RMPreparedPages(report);
    ASSERT_EQ(pages.Count(), 1);
    const QList<Printed> views = Views(pages, 0);
    EXPECT_EQ(LineOf(views, QStringLiteral("支付方式")), (QStringList{"支付方式", "笔数", "金额合计"}));
    EXPECT_EQ(Find(views, QStringLiteral("集团总部")), nullptr) << "only the control asked for";
    QList<int> tops, bottoms;
    for (const char* type : {"现金", "支票", "银联卡", "微信支付", "支付宝", "汇票"}) {
        const Printed* p = Find(views, QString::fromUtf8(type));
        ASSERT_NE(p, nullptr) << type;
        tops << p->Bounds.top();
        bottoms << p->Bounds.top() + p->Bounds.height();
    }
    std::sort(tops.begin(), tops.end());
    std::sort(bottoms.begin(), bottoms.end());
    for (int i = 1; i < tops.size(); ++i)
        EXPECT_EQ(tops[i], bottoms[i - 1]) << "line " << i << " starts where the one above ends";

    EXPECT_THROW(demo.Prepare(QStringLiteral("nope")), std::runtime_error);
}

} // namespace
} // namespace pq
