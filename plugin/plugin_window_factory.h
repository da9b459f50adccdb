// Creates the plug-in's window inside the host's panel (creation handler included).
// Defined by the library that provides the window.
#pragma once

class QWidget;

namespace pq {
class TFrmBase;
TFrmBase* CreatePluginWindow(QWidget* hostPanel);
// Library unload: clears what the window keeps process-wide.
void ReleasePluginWindowValues();
} // namespace pq
