// The small keyboard drawing in a chart's panel that shows which keys step
// and animate time.
#pragma once

#include <QString>

#include <string>

#include "render/draw_context.h"

namespace skyvane::render {

// Which chart the overlay belongs to; other values draw nothing.
inline constexpr int kNavigationHelpHeliocentric = 1;
inline constexpr int kNavigationHelpHorizontal = 3;
inline constexpr int kNavigationHelpGeocentric = 4;

// Contents of a key cap.
inline constexpr int kKeyCapLabel = 0;
inline constexpr int kKeyCapRightArrow = 1;
inline constexpr int kKeyCapLeftArrow = 2;
inline constexpr int kKeyCapUpArrow = 3;
inline constexpr int kKeyCapDownArrow = 4;

// What the heading says about the time step for a time-control mode
// (0 step size, 1 unit cycle, 2 fixed year) and step unit (0 day, 1
// sidereal day, 2 month, 3 year): ": 1 Day per Step" and so on, empty
// where the mode or unit has nothing to say.
std::string NavigationStepText(int timeControlMode, int stepUnit);

// A key cap of `width` x `height` pixels with its top-left at (x, y): an
// outline with the corners cut by 3 pixels in the current pen, holding
// `label` (kind kKeyCapLabel) in the current text colour or an arrow.
void DrawKeyCap(DrawContext& dc, int x, int y, int height, int width, int kind,
                const QString& label);

// The whole overlay of chart `type` with its origin at (a, b), in the font,
// pen and text background the chart selected. Labels that would reach
// `rightEdge` (the window's width; 0 for no limit) are drawn narrower so
// that they end inside the window.
void DrawNavigationHelp(DrawContext& dc, int type, int a, int b, int timeControlMode,
                        int stepUnit, int rightEdge = 0);

}  // namespace skyvane::render
