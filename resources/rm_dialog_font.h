// The font the report library's dialogs are set in: the string table's dialog font ("宋体",
// 9 points, through the host's texts when it supplies them).
#pragma once

#include <QFont>

namespace pq {

QFont RMDialogFont();

} // namespace pq
