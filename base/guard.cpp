#include "base/guard.h"

#include "base/message_box.h"

#include <QPointer>
#include <QWidget>

#include <stdexcept>

namespace pq {

void ShowCurrentException(QWidget* owner) noexcept
{
    QString text;
    try {
        throw;
    } catch (const SilentAbort&) {
        return;
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("未知错误！");
    }
    try {
        ShowErrorBox(owner, text);
    } catch (...) {
        // Nothing more can be done from inside a handler; never let it escape.
    }
}

} // namespace pq
