#include "page_setup_test_support.h"

#include "../printer/test_support.h"

#include "base/units.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace pq::test {

std::unique_ptr<TRMPrintContext> ThrowingBackend::CreateContext(
    const QString& device, const TRMDevMode& devMode, bool forPrinting)
{
    if (ThrowOnContext)
        throw TRMPrinterError(QStringLiteral("打印机驱动程序出错"));
    return TRMScriptedPrinterBackend::CreateContext(device, devMode, forPrinting);
}

double LaserUnprintableMm()
{
    return kLaserOffset / units::kMmToInch / 600;
}

PageSetupMachine::PageSetupMachine()
{
    auto backend = std::make_unique<ThrowingBackend>();
    InstallLaser(*backend);
    TRMScriptedDevice& laser = backend->Devices[QStringLiteral("Laser")];
    laser.Caps.OffsetLeft = kLaserOffset;
    laser.Caps.OffsetTop = kLaserOffset;
    TRMScriptedDevice plotter;
    plotter.PaperNames = {QStringLiteral("Letter"), QStringLiteral("A3"), QStringLiteral("Custom")};
    plotter.PaperIds = {1, 8, 256};
    plotter.PaperSizes = {{2159, 2794}, {2970, 4200}, {0, 0}};
    plotter.BinNames = {QStringLiteral("Roll")};
    plotter.Bins = {15};
    backend->Printers << QStringLiteral("Plotter");
    backend->Devices[QStringLiteral("Plotter")] = plotter;
    m_backend = backend.get();

    TRMEngineOptions options = TRMEngineOptions::Headless();
    options.PrinterBackend = std::move(backend);
    m_engine.emplace(std::move(options));
}

PageSetupMachine::~PageSetupMachine() = default;

void Shot(QWidget& widget, const QString& name)
{
    const QString dir = qEnvironmentVariable("PQ_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget.grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

} // namespace pq::test
