// The demo host's main window: a panel that embeds the plug-in window, and a notice with a
// button to open it again once the plug-in reports that its window closed.
#pragma once

#include "host/plugin_host.h"

#include <QMainWindow>

class QLabel;
class QPushButton;

namespace pq {

class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    HostWindow(AppServerRef server, QString operatorCode, QWidget* parent = nullptr);
    ~HostWindow() override;

    bool LoadPlugin(const QString& path);
    void OpenPlugin();
    PluginHost* Host() const { return m_host; }
    QWidget* Panel() const { return m_panel; }

private:
    void ShowClosedNotice(bool visible);

    AppServerRef m_server;
    QString m_operatorCode;
    QWidget* m_panel;
    QWidget* m_overlay;
    PluginHost* m_host;
};

} // namespace pq
