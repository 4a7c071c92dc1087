// The solar-system bodies as the charts show them: a colour and an 8 x 8
// glyph per body, drawn big, small or as a dot.
#pragma once

#include <QRgb>

#include <array>

#include "engine/body.h"
#include "render/draw_context.h"

namespace skyvane::render {

inline constexpr int kGlyphSize = 8;

// The bodies the sky charts show, in table order: every one but the Earth,
// where we stand, and Pluto, which is never computed.
inline constexpr std::array<int, 9> kSkyChartBodies{
    engine::kSun,    engine::kMercury, engine::kVenus,   engine::kMars, engine::kJupiter,
    engine::kSaturn, engine::kUranus,  engine::kNeptune, engine::kMoon};

// Colour of body `body` (a BodyId); black for any other index.
QRgb BodyColor(int body);

// One glyph per body, row by row from the top, left column first; 1 marks a
// set cell.
using BodyGlyph = std::array<int, kGlyphSize * kGlyphSize>;
extern const std::array<BodyGlyph, engine::kBodyCount> BodySymbols;

// Draws body `body` at (x, y) in its colour. `mode` is a planet display mode
// (see display_preferences.h): big puts each set cell as a 2 x 2 block, the
// glyph covering 16 x 16 pixels from (x - 9, y - 9); small puts each set
// cell as one pixel from (x - 4, y - 4); dots fill a 6 x 6 ellipse from
// (x - 3, y - 3) and leave its pen and brush selected. Other bodies and
// modes draw nothing. On a high-density surface (more than one device pixel
// per pixel) big and small symbols are the bodies' astronomical signs drawn
// at the surface's own resolution in the same boxes, when a font has them.
void DrawBodySymbol(DrawContext& dc, int body, int x, int y, int mode);

}  // namespace skyvane::render
