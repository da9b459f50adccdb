// The faces the layouts name ("宋体", "Arial", ...) mapped onto installed fonts, so text
// measures and draws the same on every machine that has the packaged fonts.
#pragma once

namespace pq {
// Registers the substitutions with QFont; safe to call more than once.
void RegisterFontSubstitutions();
} // namespace pq
