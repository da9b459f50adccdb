#include "plugin/plugin_context.h"

#include "plugin/frm_base.h"
#include "plugin/plugin_messages.h"

#include <QCoreApplication>

namespace pq {

PluginContext& Context()
{
    static PluginContext context;
    return context;
}

QWidget* ApplicationWindow() { return Context().ApplicationHandle.data(); }
IAppServer* AppServer() { return Context().AppServer.get(); }

void ClearPluginContext()
{
    PluginContext& c = Context();
    c.AppServer.reset();
    c.OperatorCode.clear();
    c.HostWindow = nullptr;
    c.HostAppHandle = nullptr;
    c.ApplicationHandle = nullptr;
    c.OpenWindow = nullptr;
}

bool SendPluginMessage(QObject* receiver, int message, qintptr wParam, qintptr lParam)
{
    if (!receiver)
        return false;
    PluginMessageEvent event(message, wParam, lParam);
    return QCoreApplication::sendEvent(receiver, &event);
}

} // namespace pq
