// What the report engine was started with: the services its parts ask for while they
// prepare, lay out and draw reports. Only the engine's start-up (startup/rm_engine_startup.h)
// installs them; asking before it ran is a programming error and throws.
#pragma once

#include "report/engine/rm_progress.h"

#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>

class QTextDocument;

namespace pq {

class TRMMemoServices;
class TRMTextMeasurer;

// Bytes of page streams a prepared-pages store keeps in memory before it writes pages to
// its temporary file, unless told otherwise.
inline constexpr qint64 kDefaultPagesMemoryBudget = qint64(64) << 20;

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
    // What a prepared-pages store keeps in memory, and where its temporary file goes (empty:
    // the user's private folder).
    qint64 PagesMemoryBudget() const { return m_pagesMemoryBudget; }
    const QString& PagesFolder() const { return m_pagesFolder; }
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
    qint64 m_pagesMemoryBudget = kDefaultPagesMemoryBudget;
    QString m_pagesFolder;
    mutable std::shared_ptr<QTextDocument> m_richScratch;
};

inline const TRMEngineServices& RMEngineServices()
{
    return TRMEngineServices::Get();
}

} // namespace pq
