// The eight 16 × 16 tool-bar images of the payment-type window, drawn here so they stay
// sharp at any device pixel ratio: 0 add, 1 insert, 2 delete, 3 preview, 4 print,
// 5 refresh, 6 exit, 7 help.
#pragma once

#include <QIcon>

namespace pq {
QIcon PaymentTypeGlyph(int index);
}
