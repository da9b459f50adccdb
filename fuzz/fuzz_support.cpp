#include "fuzz/fuzz_support.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/preview/printer/fake_backend.h"
#include "report/preview/printer/printer.h"

#include <QGuiApplication>

#include <memory>

namespace pq {

void FuzzInit()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
    SetPrinterBackend(std::make_unique<TRMFakePrinterBackend>());
    TRMEMFPages::SetPageInfoProvider(&TRMEMFPages::PaperPageInfo);
}

} // namespace pq
