// Constellations exist only through the catalogue: a star's constellation is
// written at the end of its designation, name rows map abbreviations to full
// names, and figure rows belong to the constellation of their first star.
#pragma once

#include <string>
#include <string_view>

#include "skydata/catalogue.h"

namespace skyvane::skydata {

// The last three characters of the star's designation; empty when the
// designation is shorter than that.
std::string_view StarConstellation(const StarRecord& star);

// The full name for a three-letter abbreviation (the name row's text from
// its fifth character on), or an empty string. Any other length never
// matches. When several rows match, the last one wins.
std::string ConstellationFullName(const SkyCatalogue& catalogue, std::string_view abbreviation);

// The star the constellation search selects for the name row at
// `listIndex` (the row the user picked in the list).
struct ConstellationChoice {
    int selectedStar = 0;  // star row; 0 when the constellation has no star
    bool redraw = false;   // the chart needs drawing again
};

// The first star of the constellation whose designation contains "Alp"
// anywhere, or else its last star. The selection starts at row 0, and the
// sky is redrawn only when a later row was chosen.
ConstellationChoice ChooseConstellationStar(const SkyCatalogue& catalogue, int listIndex);

}  // namespace skyvane::skydata
