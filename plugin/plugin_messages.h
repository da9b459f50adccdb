// Messages between the host and the plug-in window. They keep their historical numbers,
// which fall inside Qt's user event range, and are delivered synchronously with
// QCoreApplication::sendEvent.
#pragma once

#include <QEvent>

namespace pq {

inline constexpr int WM_PLUGIN_RESIZE = 1026; // host → plug-in window: wParam height, lParam width
inline constexpr int WM_PLUGIN_CLOSED = 1028; // plug-in → host window: the plug-in window is closing

class PluginMessageEvent : public QEvent {
public:
    PluginMessageEvent(int message, qintptr wParam, qintptr lParam)
        : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam), m_lParam(lParam)
    {
    }
    int message() const { return static_cast<int>(type()); }
    qintptr wParam() const { return m_wParam; }
    qintptr lParam() const { return m_lParam; }

private:
    qintptr m_wParam;
    qintptr m_lParam;
};

// Sends a message and returns once the receiver has handled it.
bool SendPluginMessage(QObject* receiver, int message, qintptr wParam = 0, qintptr lParam = 0);

} // namespace pq
