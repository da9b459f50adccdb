// What the report engine was started with: the services its parts ask for while they
// prepare, lay out and draw reports. Only the engine's start-up (startup/rm_engine_startup.h)
// installs them; asking before it ran is a programming error and throws.
#pragma once

#include "report/engine/rm_progress.h"

#include <memory>
#include <optional>
#include <stdexcept>

class QTextDocument;

namespace pq {

class TRMMemoServices;
class TRMTextMeasurer;

// Thrown when a part of the engine is used before the engine's start-up.
class TRMEngineNotStarted : public std::logic_error {
public:
    TRMEngineNotStarted();
};

class TRMEngineServices {
public:
    // The services of the started engine; throws TRMEngineNotStarted before the start-up.
    static const TRMEngineServices& Get();
    static bool Started();

    // Expressions, scripts and blank-row mode for memos outside a preparation's own calls.
    TRMMemoServices& MemoServices() const { return *m_memoServices; }
    // The measurer memo layout wraps with.
    const TRMTextMeasurer& Measurer() const { return *m_measurer; }
    // Makes the progress window of a preparation; nullptr when none is shown.
    std::unique_ptr<TRMProgress> CreateProgress(TRMReport& report) const;
    // Pages take their size from their paper alone, without asking a printer.
    bool PagesFromPaper() const { return m_pagesFromPaper; }
    // The hidden document every rich-text view expands and measures its text in: made on
    // first use, freed when the engine stops.
    QTextDocument& RichScratch() const;

private:
    friend class TRMEngineStartup;
    static std::optional<TRMEngineServices>& Slot();

    TRMMemoServices* m_memoServices = nullptr;
    const TRMTextMeasurer* m_measurer = nullptr;
    TRMProgressFactory m_progress;
    bool m_pagesFromPaper = false;
    mutable std::shared_ptr<QTextDocument> m_richScratch;
};

inline const TRMEngineServices& RMEngineServices()
{
    return TRMEngineServices::Get();
}

} // namespace pq
