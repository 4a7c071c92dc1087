// The look of the window's own controls in night mode: menus, the menu bar,
// dialogs, message boxes and file choosers in dark reds, from the same
// colour mapping the charts are drawn through, so nothing on the screen is
// brighter or bluer than the charts.
#pragma once

#include <QPalette>

namespace skyvane::app {

// Dark red surfaces with dim red text; no role has green or blue.
QPalette NightPalette();

// Gives the whole application the night palette, or puts back the palette
// it had before night mode first came on. Switching off when night mode
// was never on changes nothing.
void ApplyNightPalette(bool on);

}  // namespace skyvane::app
