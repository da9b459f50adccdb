// The report engine's one start-up. A program makes one TRMEngineStartup, once, after its
// application object and before it prepares, lays out, draws or prints a report; the engine
// runs until the object goes. Without it every part of the engine refuses to work
// (TRMEngineNotStarted) rather than give a different report.
#pragma once

#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_progress.h"
#include "report/preview/printer/printer_backend.h"

#include <memory>

namespace pq {

class TRMMemoServices;
class TRMTextMeasurer;

struct TRMEngineOptions {
    // Progress windows of preparations: a factory of the caller's own; when empty, the Qt
    // dialog (in a widget application) if ProgressWindows is on, else none.
    TRMProgressFactory Progress;
    bool ProgressWindows = true;
    // The printer layer's backend; nullptr for CUPS through Qt.
    std::unique_ptr<TRMPrinterBackend> PrinterBackend;
    // Pages take their size in pixels from their paper alone and no printer is asked, so
    // files come out the same on every machine.
    bool PagesFromPaper = false;
    // The measurer memo layout wraps with; nullptr for Qt's metrics.
    const TRMTextMeasurer* Measurer = nullptr;
    // What memos measured or drawn outside a preparation's own calls evaluate through;
    // nullptr for the resolver of the current report.
    TRMMemoServices* MemoServices = nullptr;
    // Bytes of page streams a prepared-pages store keeps in memory; beyond them pages go to
    // a private temporary file in PagesFolder (empty: "prepared-pages" in the user's private
    // folder). Page files left by a process that died are removed at the start-up.
    qint64 PagesMemoryBudget = kDefaultPagesMemoryBudget;
    QString PagesFolder;

    // What a program with no screen and nobody at the keyboard needs: no progress
    // windows, a printer backend without printers, pages from their paper.
    static TRMEngineOptions Headless();
};

class TRMEngineStartup {
public:
    // Registers the font substitutions, starts the printer layer and installs the engine's
    // services. A second start-up while one lives throws std::logic_error.
    explicit TRMEngineStartup(TRMEngineOptions options = {});
    ~TRMEngineStartup();
    TRMEngineStartup(const TRMEngineStartup&) = delete;
    TRMEngineStartup& operator=(const TRMEngineStartup&) = delete;
};

} // namespace pq
