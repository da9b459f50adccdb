// The machine the page setup tests run on: the engine started headless over a scripted
// printer backend with a laser printer (an unprintable border of 99 device pixels at 600 dpi,
// 4.19 mm) and a plotter that has no A4; screenshots of dialogs on request.
#pragma once

#include "report/engine/startup/rm_engine_startup.h"
#include "report/preview/printer/scripted_backend.h"

#include <QString>

#include <optional>

class QWidget;

namespace pq::test {

// A backend whose contexts can be made to fail as a broken driver would: by throwing.
class ThrowingBackend : public TRMScriptedPrinterBackend {
public:
    bool ThrowOnContext = false;
    std::unique_ptr<TRMPrintContext> CreateContext(
        const QString& device, const TRMDevMode& devMode, bool forPrinting) override;
};

inline constexpr int kLaserOffset = 99; // device pixels at 600 dpi
// The laser's unprintable border in millimetres.
double LaserUnprintableMm();

// List entries: 0 the default printer (the laser), 1 the virtual printer, 2 the laser, 3 the
// plotter.
inline constexpr int kDefaultEntry = 0;
inline constexpr int kVirtualEntry = 1;
inline constexpr int kLaserEntry = 2;
inline constexpr int kPlotterEntry = 3;

class PageSetupMachine {
public:
    PageSetupMachine();
    ~PageSetupMachine();
    ThrowingBackend& Backend() { return *m_backend; }

private:
    ThrowingBackend* m_backend = nullptr; // owned by the printer layer
    std::optional<TRMEngineStartup> m_engine;
};

// Saves widget as PNG under $PQ_SHOT_DIR (only when that is set).
void Shot(QWidget& widget, const QString& name);

} // namespace pq::test
