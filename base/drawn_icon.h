// Tool-bar pictures drawn in code: a 16 x 16 icon painted once at 1x and once at 2x, so it
// stays sharp on high-density screens without image files.
#pragma once

#include <QIcon>

#include <functional>

class QPainter;

namespace pq {

// paint draws in 16 x 16 logical pixels.
QIcon DrawnIcon(const std::function<void(QPainter&)>& paint);

} // namespace pq
