#pragma once
// The four ring glyphs of the menu bar.
#include <QIcon>
#include <array>

namespace vantorel {

// 0: large empty ring, 1: large ring with a filled centre, 2: small empty ring,
// 3: small ring with a filled centre dot. Black on a transparent ground, 16 x 16.
std::array<QIcon, 4> MakeRingGlyphs();

}  // namespace vantorel
