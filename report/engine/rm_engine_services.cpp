#include "report/engine/rm_engine_services.h"

#include <QTextDocument>

namespace pq {

TRMEngineNotStarted::TRMEngineNotStarted()
    : std::logic_error("the report engine is used before it was started: a program makes one "
                       "pq::TRMEngineStartup before it prepares, lays out, draws or prints reports")
{
}

std::unique_ptr<TRMProgress> TRMEngineServices::CreateProgress(TRMReport& report) const
{
    return m_progress ? m_progress(report) : nullptr;
}

QTextDocument& TRMEngineServices::RichScratch() const
{
    if (!m_richScratch)
        m_richScratch = std::make_shared<QTextDocument>();
    return *m_richScratch;
}

std::optional<TRMEngineServices>& TRMEngineServices::Slot()
{
    static std::optional<TRMEngineServices> slot;
    return slot;
}

const TRMEngineServices& TRMEngineServices::Get()
{
    const auto& slot = Slot();
    if (!slot)
        throw TRMEngineNotStarted();
    return *slot;
}

bool TRMEngineServices::Started()
{
    return Slot().has_value();
}

} // namespace pq
