// Keys typed into the demo host for unattended runs: "Ctrl+P,Return" presses Ctrl+P, then
// Return, a little apart, each into the control that has the focus in the window on top (a
// message box or preview the previous key opened, else the host window), as the keyboard
// would deliver them.
#pragma once

#include <QKeyCombination>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace pq {

// Keys as QKeySequence names them, separated by commas; false with error for a name that
// is no key.
bool ParseKeyScript(const QString& text, QList<QKeyCombination>& keys, QString* error);

class KeyScript : public QObject {
    Q_OBJECT
public:
    // Keys go to fallback's focus when no window is on top of it.
    KeyScript(QList<QKeyCombination> keys, QWidget* fallback, int intervalMs, QObject* parent = nullptr);
    // Starts after the first interval; done runs one interval after the last key.
    void Start(std::function<void()> done);
    // The window keys go to now.
    QWidget* TopWindow() const;

private:
    void PressNext();

    QList<QKeyCombination> m_keys;
    QPointer<QWidget> m_fallback;
    int m_interval;
    std::function<void()> m_done;
    int m_next = 0;
};

} // namespace pq
