// What a host application does with the payment-type plug-in: load the library, resolve
// GetFormOne, call it with its context, relay panel resizes, hear the close notice, and
// unload the library once no plug-in window is left.
#pragma once

#include "plugin/app_server.h"

#include <QLibrary>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace pq {

class PluginHost : public QObject {
    Q_OBJECT
public:
    // hostApp: the application window; panel: where the plug-in window is embedded.
    PluginHost(QWidget* hostApp, QWidget* panel, QObject* parent = nullptr);
    ~PluginHost() override;

    // Loads the library (false with ErrorString() when it cannot be loaded or has no
    // GetFormOne).
    bool Load(const QString& libraryPath);
    bool IsLoaded() const { return m_getFormOne != nullptr; }
    QString ErrorString() const { return m_error; }

    // Opens the plug-in window in the panel. The operator code is passed as GBK bytes,
    // at most 255 of them.
    void Open(IAppServer* server, const QString& operatorCode);
    // The plug-in window inside the panel, if one is open.
    QWidget* PluginWindow() const;
    // Closes any open plug-in window (as Esc would), or destroys it if it will not close.
    void ClosePluginWindow();
    // Destroys any window and unloads the library.
    void Unload();

    int ClosedNotices() const { return m_closedNotices; }
    // Called when the plug-in reports that its window closed.
    std::function<void()> onPluginClosed;

    // Builds the length-prefixed GBK operator code the entry call takes.
    static QByteArray LengthPrefixedCode(const QString& code);

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void SendResize();

    QWidget* m_hostApp;
    QPointer<QWidget> m_panel;
    QLibrary m_library;
    using EntryFn = void (*)(QWidget*, QObject*, const unsigned char*, QWidget*, IAppServer*);
    EntryFn m_getFormOne = nullptr;
    QString m_error;
    int m_closedNotices = 0;
};

} // namespace pq
