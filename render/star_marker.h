// Catalogue stars on the sky charts: a marker sized by magnitude and
// coloured by spectral class, and the rectangle that answers clicks on it.
#pragma once

#include <QRgb>

#include <string_view>

#include "render/draw_context.h"
#include "skydata/int_rect.h"

namespace skyvane::render {

// Marker size class 0..3 for a star of visual magnitude `magnitude` on a
// window `windowWidth` pixels wide. Class 0 is a grey pixel, classes 1..3 a
// disc of that radius; windows narrower than 1200 pixels show the brightest
// stars one class smaller.
int StarSizeClass(double magnitude, int windowWidth);

// The star's colour in spectral mode, from the first character of its
// spectrum text; white for anything not in the table, an empty text included.
QRgb SpectralColor(std::string_view spectrum);

// Draws a star of size class `sizeClass` at (x, y) and returns the
// rectangle (left, top, right, bottom) that clicks on it hit. Class 0
// ignores `color`.
skydata::IntRect DrawStarMarker(DrawContext& dc, int x, int y, int sizeClass, QRgb color);

}  // namespace skyvane::render
