// The engine the grid-report tests run: no progress windows, pages sized from their paper,
// and the scripted laser as the machine's one printer.
#pragma once

#include "../preview/printer/test_support.h"
#include "report/engine/startup/rm_engine_startup.h"

#include <memory>
#include <optional>

namespace pq::test {

struct GridTestEngine {
    TRMScriptedPrinterBackend* backend = nullptr;
    std::optional<TRMEngineStartup> engine;

    void Start()
    {
        auto scripted = std::make_unique<TRMScriptedPrinterBackend>();
        backend = scripted.get();
        InstallLaser(*backend);
        TRMEngineOptions options;
        options.ProgressWindows = false;
        options.PrinterBackend = std::move(scripted);
        options.PagesFromPaper = true;
        engine.emplace(std::move(options));
    }
    void Stop() { engine.reset(); }
};

} // namespace pq::test
