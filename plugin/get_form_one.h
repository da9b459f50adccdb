// The plug-in's one exported entry point.
#pragma once

#include <QtGlobal>

class QObject;
class QWidget;

namespace pq {
class IAppServer;
}

extern "C" {
// hostApp: the host's application window. hostWindow: notified with WM_PLUGIN_CLOSED.
// operatorCode: one length byte followed by that many GBK bytes. hostPanel: the panel that
// owns and shows the plug-in window. server: the application server.
Q_DECL_EXPORT void GetFormOne(QWidget* hostApp, QObject* hostWindow, const unsigned char* operatorCode,
    QWidget* hostPanel, pq::IAppServer* server);
using GetFormOneFn = void (*)(QWidget*, QObject*, const unsigned char*, QWidget*, pq::IAppServer*);
}
