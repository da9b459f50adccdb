#include "host/plugin_host.h"

#include "base/gbk_text.h"
#include "plugin/plugin_messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace pq {

PluginHost::PluginHost(QWidget* hostApp, QWidget* panel, QObject* parent)
    : QObject(parent), m_hostApp(hostApp), m_panel(panel)
{
    if (panel)
        panel->installEventFilter(this);
}

PluginHost::~PluginHost() { Unload(); }

bool PluginHost::Load(const QString& libraryPath)
{
    Unload();
    m_library.setFileName(libraryPath);
    if (!m_library.load()) {
        m_error = m_library.errorString();
        return false;
    }
    m_getFormOne = reinterpret_cast<EntryFn>(m_library.resolve("GetFormOne"));
    if (!m_getFormOne) {
        m_error = m_library.errorString();
        m_library.unload();
        return false;
    }
    m_error.clear();
    return true;
}

QByteArray PluginHost::LengthPrefixedCode(const QString& code)
{
    const QByteArray bytes = ToGbk(CutToGbkBytes(code, 255));
    QByteArray out;
    out.append(static_cast<char>(static_cast<unsigned char>(bytes.size())));
    out.append(bytes);
    return out;
}

void PluginHost::Open(IAppServer* server, const QString& operatorCode)
{
    if (!m_getFormOne)
        return;
    const QByteArray code = LengthPrefixedCode(operatorCode);
    m_getFormOne(m_hostApp, this, reinterpret_cast<const unsigned char*>(code.constData()), m_panel.data(), server);
}

QWidget* PluginHost::PluginWindow() const
{
    if (!m_panel)
        return nullptr;
    // The panel's only other child is the host's own notice.
    for (QObject* child : m_panel->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && w->objectName() != QLatin1String("hostOverlay"))
            return w;
    }
    return nullptr;
}

void PluginHost::ClosePluginWindow()
{
    QWidget* w = PluginWindow();
    if (!w)
        return;
    QPointer<QWidget> guard(w);
    w->close();
    // The window frees itself once the close completes; make sure it is gone now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (guard)
        delete guard.data();
}

void PluginHost::Unload()
{
    // No window of the library may outlive its code.
    if (m_panel) {
        while (QWidget* w = PluginWindow())
            delete w;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_getFormOne = nullptr;
    if (m_library.isLoaded())
        m_library.unload();
}

void PluginHost::SendResize()
{
    if (QWidget* w = PluginWindow())
        SendPluginMessage(w, WM_PLUGIN_RESIZE, m_panel->height(), m_panel->width());
}

bool PluginHost::event(QEvent* e)
{
    if (e->type() == static_cast<QEvent::Type>(WM_PLUGIN_CLOSED)) {
        ++m_closedNotices;
        if (onPluginClosed)
            onPluginClosed();
        return true;
    }
    return QObject::event(e);
}

bool PluginHost::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_panel && e->type() == QEvent::Resize)
        SendResize();
    return QObject::eventFilter(watched, e);
}

} // namespace pq
