// What the host hands over in the entry call, kept for the life of the loaded library.
// One plug-in window at a time: a second entry call replaces these values.
#pragma once

#include "plugin/app_server.h"

#include <QPointer>
#include <QString>

class QObject;
class QWidget;

namespace pq {

class TFrmBase;

struct PluginContext {
    QPointer<QWidget> HostAppHandle;   // the host's application window; owns the plug-in's boxes
    QPointer<QObject> HostWindow;      // receives WM_PLUGIN_CLOSED
    QString OperatorCode;              // employee code of the signed-in operator
    AppServerRef AppServer;            // held from the entry call until unload
    QPointer<TFrmBase> OpenWindow;     // the plug-in's one open window
    // The application handle the plug-in has adopted (set by the base window's creation).
    QPointer<QWidget> ApplicationHandle;
};

PluginContext& Context();

// The owner of boxes that belong to the application window.
QWidget* ApplicationWindow();
IAppServer* AppServer();

// Library unload: releases the server and clears every value.
void ClearPluginContext();

} // namespace pq
