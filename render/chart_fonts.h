// The fonts the charts and the intro screen write with, and the one text
// call they all use.
#pragma once

#include <QFont>
#include <QString>

#include "render/draw_context.h"

namespace skyvane::render {

enum class ChartFontUse {
    HorizontalCaption,    // date and location above the horizontal chart's panel
    ChartText,            // tables and labels of all three charts
    HeliocentricCaption,  // date of the heliocentric chart
    GeocentricCaption,    // date of the geocentric chart
    IntroText,            // texts of the intro screen
};

// A font given the way the charts were laid out: a face name, the height of
// the character cell (ascent plus descent) in pixels and a weight on the
// 100..900 scale, 0 meaning the face's normal weight. Pixel sizes in Qt
// measure the em square, which is smaller than the cell, so the largest
// pixel size whose cell fits `cellHeight` is chosen. Glyphs are drawn
// without antialiasing.
QFont MakeChartFont(const QString& face, int cellHeight, int weight);

// The font for `use`, made once and kept.
const QFont& ChartFont(ChartFontUse use);

// Draws `text` with its top-left corner at (x, y) in the context's current
// font, text colour and background colour.
void TextOutString(DrawContext& dc, int x, int y, const QString& text);

}  // namespace skyvane::render
