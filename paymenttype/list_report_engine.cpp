#include "paymenttype/list_report_engine.h"

#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/startup/rm_engine_startup.h"

#include <memory>

namespace pq {

namespace {

std::unique_ptr<TRMEngineStartup>& OwnEngine()
{
    static std::unique_ptr<TRMEngineStartup> engine;
    return engine;
}

} // namespace

void UseListReportEngine()
{
    if (TRMEngineServices::Started())
        return;
    // The desktop defaults: progress windows, CUPS through Qt, pages from the printer.
    OwnEngine() = std::make_unique<TRMEngineStartup>();
}

void ReleaseListReportEngine()
{
    if (!OwnEngine())
        return;
    // The hidden form and the reports on it hold code of this library; they go first.
    RMFreeGlobals();
    OwnEngine().reset();
}

} // namespace pq
