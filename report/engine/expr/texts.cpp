#include "report/engine/expr/texts.h"

#include "report/engine/expr/expr_error.h"

#ifdef PQ_EXPR_HAVE_RESOURCES
#include "resources/rm_locale.h"
#endif

namespace pq {

QString ExceptionText(const std::exception& e)
{
    if (const auto* ee = dynamic_cast<const ExprError*>(&e))
        return ee->text();
    return QString::fromUtf8(e.what());
}

QString ExprText(int id)
{
#ifdef PQ_EXPR_HAVE_RESOURCES
    const QString s = RMLoadStr(id);
    if (!s.isEmpty())
        return s;
#endif
    switch (id) {
    case 47200: return QStringLiteral("计算时发生错误");
    case 47201: return QStringLiteral("报表:");
    case 47202: return QStringLiteral("对象:");
    case 47206: return QStringLiteral("错误");
    default: return QString();
    }
}

QString ComposeEvaluationError(const QString& reportName, const QString& viewName, const QString& detail)
{
    QString text = ExprText(47200);
    if (!viewName.isEmpty())
        text += QLatin1Char('\n') + ExprText(47202) + viewName;
    text += QLatin1Char('\n') + ExprText(47201) + reportName;
    if (!detail.isEmpty())
        text += QLatin1Char('\n') + detail;
    return text;
}

} // namespace pq
