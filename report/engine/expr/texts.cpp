#include "report/engine/expr/texts.h"

#include "report/engine/expr/expr_error.h"

#include "resources/rm_locale.h"

namespace pq {

QString ExceptionText(const std::exception& e)
{
    if (const auto* ee = dynamic_cast<const ExprError*>(&e))
        return ee->text();
    return QString::fromUtf8(e.what());
}

QString ComposeEvaluationError(const QString& reportName, const QString& viewName, const QString& detail)
{
    QString text = RMLoadStr(47200);
    if (!viewName.isEmpty())
        text += QLatin1Char('\n') + RMLoadStr(47202) + viewName;
    text += QLatin1Char('\n') + RMLoadStr(47201) + reportName;
    if (!detail.isEmpty())
        text += QLatin1Char('\n') + detail;
    return text;
}

} // namespace pq
