#include "plugin/get_form_one.h"

#include "base/gbk_text.h"
#include "base/guard.h"
#include "plugin/frm_base.h"
#include "plugin/plugin_context.h"
#include "plugin/plugin_window_factory.h"

#include <QByteArray>

namespace {

// Library unload: release the server and clear the context. Static destructors of a shared
// object run when it is unloaded.
// The process-wide values are built (empty) inside the hook's constructor, so that they
// outlive the hook.
struct UnloadHook {
    UnloadHook()
    {
        pq::Context();
        pq::ReleasePluginWindowValues();
    }
    ~UnloadHook()
    {
        pq::ReleasePluginWindowValues();
        pq::ClearPluginContext();
    }
} g_unloadHook;

} // namespace

extern "C" Q_DECL_EXPORT void GetFormOne(QWidget* hostApp, QObject* hostWindow, const unsigned char* operatorCode,
    QWidget* hostPanel, pq::IAppServer* server)
{
    using namespace pq;
    // Nothing may escape into the host's C caller.
    RunGuarded(hostApp, [&] {
        // 1. Copy the length-prefixed code.
        QByteArray code;
        if (operatorCode)
            code = QByteArray(reinterpret_cast<const char*>(operatorCode + 1), operatorCode[0]);
        // 2. Hold the server for the duration of the call.
        AppServerRef callRef(server);
        PluginContext& c = Context();
        c.HostAppHandle = hostApp;           // 3
        c.ApplicationHandle = nullptr;       // 4
        c.AppServer = AppServerRef(server);  // 5
        c.HostWindow = hostWindow;           // 6
        c.OperatorCode = FromGbk(code);      // 7
        // 8. The window, owned by the panel (it becomes the panel's child at once).
        TFrmBase* window = CreatePluginWindow(hostPanel);
        c.OpenWindow = window;
        // 10. PanelMain takes the panel's height, then its width.
        if (hostPanel) {
            window->PanelMain()->resize(window->PanelMain()->width(), hostPanel->height());
            window->PanelMain()->resize(hostPanel->width(), window->PanelMain()->height());
        }
        // 11. Show modelessly.
        window->show();
    });
}
