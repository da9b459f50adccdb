// Pictures drawn in code: an icon painted once at 1x and once at 2x, so it
// stays sharp on high-density screens without image files.
#pragma once

#include <QIcon>

#include <functional>

class QPainter;

namespace pq {

// paint draws in size logical pixels (16 x 16 unless said).
QIcon DrawnIcon(const std::function<void(QPainter&)>& paint, QSize size = QSize(16, 16));

} // namespace pq
