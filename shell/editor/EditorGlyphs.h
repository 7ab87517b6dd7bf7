// The glyphs of the line toggles: one per alignment code (left, centre, right) and one per
// scroll-direction code (moves left, moves right, back and forth).
#pragma once

#include "engine/LineLayout.h"

#include <QIcon>

namespace orv {

QIcon AlignGlyph(TLineAlign align);
QIcon ScrollGlyph(TLineScroll scroll);

} // namespace orv
