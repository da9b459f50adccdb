// Every view class draws its background and frame through the same code: the same box
// gives the same pixels whatever the class, and the report's rules for printing fills and
// frames hold for all of them.
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_view_factory.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace pq;

namespace {

constexpr std::uint32_t kRed = 0x0000FF;

// A view of each class with nothing of its own to show: an empty memo, an unchecked check
// box, a region, a sub-report placeholder, a picture without picture, rich text.
std::vector<std::unique_ptr<TRMView>> BoxViews()
{
    std::vector<std::unique_ptr<TRMView>> views;
    views.push_back(std::make_unique<TRMMemoView>());
    views.push_back(std::make_unique<TRMCheckBoxView>());
    views.push_back(std::make_unique<TRMRegionView>());
    views.push_back(std::make_unique<TRMSubReportView>());
    views.push_back(std::make_unique<TRMPictureView>());
    views.push_back(std::make_unique<TRMRichView>());
    for (auto& v : views) {
        v->SetBounds(10, 8, 60, 30);
        v->FillColor = kRed;
        v->SetFrameTyp(frLeft | frTop | frRight | frBottom);
        v->BottomFrame.Width = 3;
        v->BottomFrame.Style = psSolid | kFrameDoubleBit;
        v->LeftFrame.Color = 0x00FF00;
    }
    return views;
}

QImage Draw(TRMView& view)
{
    QImage image(90, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.Draw(&painter);
    return image;
}

int RedPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == QColor(255, 0, 0) ? 1 : 0;
    return n;
}

// The engine state of a report being printed, for the scope of the object.
class PrintingReport {
public:
    explicit PrintingReport(bool printBackColor, bool preprintedForms = false)
        : m_saved(RMEngineState()), m_scope(&m_report)
    {
        m_report.PrintBackColor = printBackColor;
        m_report.PrintTaoda = preprintedForms;
        RMEngineState().Printing = true;
    }
    ~PrintingReport() { RMEngineState() = m_saved; }

private:
    TRMEngineState m_saved;
    TRMReport m_report;
    TRMCurrentScope m_scope;
};

} // namespace

TEST(ViewDrawing, EveryClassDrawsTheSameBackgroundAndFrame)
{
    const auto views = BoxViews();
    const QImage memo = Draw(*views.front());
    ASSERT_GT(RedPixels(memo), 1000);
    for (size_t i = 1; i < views.size(); ++i) {
        SCOPED_TRACE(views[i]->ClassName().toStdString());
        EXPECT_EQ(Draw(*views[i]), memo);
    }
}

TEST(ViewDrawing, PrintingLeavesFillsOutUnlessTheReportPrintsBackColours)
{
    struct Case {
        const char* name;
        bool printing;
        bool printBackColor;
        bool filled;
    };
    const Case cases[] = {
        {"on screen", false, false, true},
        {"printed without back colours", true, false, false},
        {"printed with back colours", true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<PrintingReport> printing;
        if (c.printing)
            printing.emplace(c.printBackColor);
        for (auto& view : BoxViews()) {
            SCOPED_TRACE(view->ClassName().toStdString());
            EXPECT_EQ(RedPixels(Draw(*view)) > 0, c.filled);
        }
    }
}

TEST(ViewDrawing, OnPreprintedFormsOnlyViewsWithPrintFrameShowTheirFrame)
{
    const PrintingReport printing(true, true);
    for (auto& view : BoxViews()) {
        SCOPED_TRACE(view->ClassName().toStdString());
        view->FillColor = kNoColor;
        const QImage without = Draw(*view);
        view->SetFlag(flPrintFrame, true);
        const QImage with = Draw(*view);
        EXPECT_EQ(without.pixelColor(10, 20), QColor(Qt::white));
        EXPECT_EQ(with.pixelColor(10, 20), QColor(0, 255, 0));
    }
}
