#include "report/engine/rm_engine_state.h"

#include "report/engine/expr/variables.h"
#include "report/engine/rm_view.h"

#include "resources/rm_locale.h"
#include "resources/rm_strings.h"

#include "base/units.h"

#include <QApplication>
#include <QWidget>

namespace pq {

// ---- state and current objects ----

// One of each per thread: a thread that draws prepared pages for output while the
// user-interface thread prepares the next ones has a state and current objects of its own.
// Both are plain values (no destructor), so a plug-in holding this code can still be unloaded.
namespace {
thread_local TRMEngineState t_state;
thread_local TRMCurrent t_current;
thread_local bool t_outputThread = false;
} // namespace

TRMEngineState& RMEngineState()
{
    return t_state;
}

TRMCurrent& RMCurrent()
{
    return t_current;
}

void RMSetOutputThread(bool on)
{
    t_outputThread = on;
}

bool RMIsOutputThread()
{
    return t_outputThread;
}

TRMCurrentScope::TRMCurrentScope(TRMReport* report, TRMPage* page, TRMBand* band, TRMView* view)
    : m_saved(RMCurrent())
{
    TRMCurrent& c = RMCurrent();
    c.CurReport = report;
    c.CurPage = page;
    c.CurBand = band;
    c.CurView = view;
}

TRMCurrentScope::~TRMCurrentScope()
{
    RMCurrent() = m_saved;
}

TRMCurrentBandScope::TRMCurrentBandScope(TRMBand* band, TRMView* view)
    : m_band(RMCurrent().CurBand), m_view(RMCurrent().CurView)
{
    RMCurrent().CurBand = band;
    RMCurrent().CurView = view;
}

TRMCurrentBandScope::~TRMCurrentBandScope()
{
    RMCurrent().CurBand = m_band;
    RMCurrent().CurView = m_view;
}

namespace {

int& CreationCounter()
{
    static int counter = 0;
    return counter;
}

} // namespace

void RMAssignCreationID(TRMView& view)
{
    const TRMEngineState& st = RMEngineState();
    if (RMCurrent().CurReport && !st.Preparing && !st.Previewing && !st.Printing)
        view.ID = ++CreationCounter();
}

int RMLastCreationID()
{
    return CreationCounter();
}

void RMSetLastCreationID(int id)
{
    CreationCounter() = id;
}

void RMForgetView(const TRMView* view)
{
    TRMCurrent& c = RMCurrent();
    if (c.CurView == view)
        c.CurView = nullptr;
    // Only preparation hooks views, on its own thread; views an output thread builds from
    // prepared pages are never in the list.
    if (!t_outputThread)
        std::erase(RMGlobals().HookList, view);
}

void RMForgetBand(const TRMBand* band)
{
    if (RMCurrent().CurBand == band)
        RMCurrent().CurBand = nullptr;
}

void RMForgetPage(const TRMPage* page)
{
    if (RMCurrent().CurPage == page)
        RMCurrent().CurPage = nullptr;
}

void RMForgetReport(const TRMReport* report)
{
    if (RMCurrent().CurReport == report)
        RMCurrent() = TRMCurrent{};
}

// ---- constants ----

void RMRegisterConstants(const std::vector<std::pair<QString, int>>& constants)
{
    TRMVariables& list = RMConstants();
    for (const auto& [name, value] : constants)
        if (!list.Exists(name))
            list.SetVariable(name, Variant::FromInt(value));
}

void RMRegisterCalcMemoConstants()
{
    // Once: every later calculated memo (one an output thread reads back among them) only
    // looks.
    if (!RMConstants().Exists(QStringLiteral("rmdcUser")))
        RMAddCalcMemoConstants();
}

// ---- globals object ----

TRMGlobals::TRMGlobals()
    : m_measure(8, 8, QImage::Format_RGB32)
{
    ScreenPixelsX = units::ScreenDpi();
    ScreenPixelsY = units::ScreenDpi();
    const TRMLocale& loc = RMLocale();
    DefaultCharset = loc.LoadInt(res::kDefaultCharset, 134);
    for (int i = 0; i < kBandTypeCount; ++i)
        BandNames.append(loc.LoadStr(res::kBandNamesFirst + i));
    for (int i = 0; i < 4; ++i)
        BooleanFormats.append(loc.LoadStr(res::kBooleanFormatsFirst + i));
    for (int i = 0; i < 7; ++i)
        DateFormats.append(loc.LoadStr(res::kDateFormatsFirst + i));
    for (int i = 0; i < 4; ++i)
        TimeFormats.append(loc.LoadStr(res::kTimeFormatsFirst + i));
    m_measure.fill(Qt::white);
}

TRMGlobals::~TRMGlobals() = default;

QWidget* TRMGlobals::DialogForm()
{
    // Widgets need a QApplication; a QGuiApplication (or none) gives no dialog form.
    if (!m_dialogForm && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        m_dialogForm = std::make_unique<QWidget>();
        m_dialogForm->setObjectName(QStringLiteral("RMDialogForm"));
        m_dialogForm->setGeometry(-100, -100, 10, 10);
    }
    return m_dialogForm.get();
}

namespace {

std::unique_ptr<TRMGlobals>& GlobalsHolder()
{
    static std::unique_ptr<TRMGlobals> holder;
    return holder;
}

} // namespace

TRMGlobals& RMGlobals()
{
    auto& g = GlobalsHolder();
    if (!g)
        g = std::make_unique<TRMGlobals>();
    return *g;
}

void RMFreeGlobals()
{
    GlobalsHolder().reset();
}

QWidget* RMDialogForm()
{
    return RMGlobals().DialogForm();
}

} // namespace pq
