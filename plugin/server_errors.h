// Turning a failed server call's error array into one message, and the zero-padding used by
// the grid's automatic numbering of new codes.
#pragma once

#include "base/variant.h"

#include <QString>

class QWidget;

namespace pq {

// Joins the error strings of errorData, each followed by CR LF, after prefix + CR LF when
// prefix is not empty, then drops the final two characters. Data that is no array, or an
// element without a text form, ends the list with "未知错误！". With an owner the text is
// shown in an error box (even when empty); without one it is only composed.
void ShowServerError(QWidget* owner, const Variant& errorData, const QString& prefix, QString& messageText);
QString ShowServerError(QWidget* owner, const Variant& errorData, const QString& prefix = QString());

// The decimal text of value, zero-filled on the left to width characters, never filled
// beyond 20 characters in total.
QString ZeroPadNumber(int width, long long value);

} // namespace pq
