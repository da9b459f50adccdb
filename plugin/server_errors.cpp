#include "plugin/server_errors.h"

#include "base/message_box.h"

namespace pq {

void ShowServerError(QWidget* owner, const Variant& errorData, const QString& prefix, QString& messageText)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    if (!prefix.isEmpty())
        text = prefix + crlf;
    try {
        for (int i = errorData.lowBound(); i <= errorData.highBound(); ++i)
            text += errorData.at(i).toText() + crlf;
    } catch (const VariantError&) {
        text += QStringLiteral("未知错误！") + crlf;
    }
    text.chop(2);
    messageText = text;
    if (owner)
        ShowErrorBox(owner, text);
}

QString ShowServerError(QWidget* owner, const Variant& errorData, const QString& prefix)
{
    QString text;
    ShowServerError(owner, errorData, prefix, text);
    return text;
}

QString ZeroPadNumber(int width, long long value)
{
    const QString s = QString::number(value);
    if (width <= s.size())
        return s;
    const int target = width <= 20 ? width : 20;
    if (target <= s.size())
        return s;
    return QString(target - s.size(), QLatin1Char('0')) + s;
}

} // namespace pq
