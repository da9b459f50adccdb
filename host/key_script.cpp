#include "host/key_script.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTimer>
#include <QWidget>

namespace pq {

namespace {

// The text a keyboard gives with the key: none with Ctrl or Alt, the character of a printable
// key, the control character of Return, Tab and Backspace.
QString KeyText(QKeyCombination k)
{
    if (k.keyboardModifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return {};
    switch (k.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return QStringLiteral("\r");
    case Qt::Key_Tab: return QStringLiteral("\t");
    case Qt::Key_Backspace: return QStringLiteral("\b");
    default: break;
    }
    const int key = k.key();
    if (key < Qt::Key_Space || key > Qt::Key_AsciiTilde)
        return {};
    const QChar ch(key);
    return (k.keyboardModifiers() & Qt::ShiftModifier) ? QString(ch) : QString(ch.toLower());
}

} // namespace

bool ParseKeyScript(const QString& text, QList<QKeyCombination>& keys, QString* error)
{
    keys.clear();
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QKeySequence seq = QKeySequence::fromString(part.trimmed(), QKeySequence::PortableText);
        if (seq.count() != 1 || seq[0].key() == Qt::Key_unknown || seq[0].key() == 0) {
            if (error)
                *error = QStringLiteral("\"%1\" is no key").arg(part.trimmed());
            return false;
        }
        keys.append(seq[0]);
    }
    return true;
}

KeyScript::KeyScript(QList<QKeyCombination> keys, QWidget* fallback, int intervalMs, QObject* parent)
    : QObject(parent), m_keys(std::move(keys)), m_fallback(fallback), m_interval(intervalMs)
{
}

void KeyScript::Start(std::function<void()> done)
{
    m_done = std::move(done);
    m_next = 0;
    QTimer::singleShot(m_interval, this, &KeyScript::PressNext);
}

QWidget* KeyScript::TopWindow() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_fallback;
}

void KeyScript::PressNext()
{
    if (m_next >= m_keys.size()) {
        if (m_done)
            m_done();
        return;
    }
    const QKeyCombination k = m_keys.at(m_next++);
    // A timer of its own for the next key: Qt does not fire a timer again while its slot
    // runs, and this one may run a modal window's event loop.
    QTimer::singleShot(m_interval, this, &KeyScript::PressNext);
    QWidget* window = TopWindow();
    if (!window)
        return;
    QPointer<QWidget> target = window->focusWidget() ? window->focusWidget() : window;
    const QString text = KeyText(k);
    // Sent, not posted: a key that opens a modal window returns only when it closes, and the
    // next key then reaches that window from inside its own event loop.
    QKeyEvent press(QEvent::KeyPress, k.key(), k.keyboardModifiers(), text);
    QCoreApplication::sendEvent(target, &press);
    if (target) {
        QKeyEvent release(QEvent::KeyRelease, k.key(), k.keyboardModifiers(), text);
        QCoreApplication::sendEvent(target, &release);
    }
}

} // namespace pq
