// The message an evaluation error is reported with.
#pragma once

#include <QString>

namespace pq {

// "计算时发生错误", then "对象:" and the view's name when a view is current, then "报表:"
// and the report's name, then the error's own text; one per line.
QString ComposeEvaluationError(const QString& reportName, const QString& viewName, const QString& detail);

} // namespace pq
