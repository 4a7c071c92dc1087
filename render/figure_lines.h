// Walking the constellation stick figures, for every chart and page that
// draws them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "skydata/catalogue.h"
#include "skydata/constellations.h"

namespace skyvane::render {

// For each figure row 0 .. rowCount - 1 calls beginRow(row), then
// segment(a, b) for each pair of neighbouring entries a, b that are both
// star rows (above 0, which marks a gap, and below starCount) and both pass
// joinable(star row).
template <typename BeginRow, typename Joinable, typename Segment>
void ForEachFigureSegment(const skydata::SkyCatalogue& catalogue, int rowCount, int starCount,
                          BeginRow beginRow, Joinable joinable, Segment segment)
{
    const auto joins = [&](std::int32_t star) {
        return star > 0 && star < starCount && joinable(star);
    };
    const int rows = std::clamp(rowCount, 0, skydata::kFigureCapacity);
    for (int row = 0; row < rows; ++row) {
        beginRow(row);
        const auto& stars = catalogue.figures[static_cast<std::size_t>(row)].stars;
        for (std::size_t k = 0; k + 1 < stars.size(); ++k) {
            if (joins(stars[k]) && joins(stars[k + 1])) {
                segment(stars[k], stars[k + 1]);
            }
        }
    }
}

// Whether figure row `row` belongs to the constellation `abbreviation`: a
// figure is its first star's constellation's. Never for an empty one.
inline bool FigureInConstellation(const skydata::SkyCatalogue& catalogue, int row,
                                  std::string_view abbreviation)
{
    const std::int32_t first = catalogue.figures[static_cast<std::size_t>(row)].stars[0];
    return !abbreviation.empty() && first >= 0 && first < skydata::kStarCapacity &&
           skydata::StarConstellation(catalogue.stars[static_cast<std::size_t>(first)]) ==
               abbreviation;
}

}  // namespace skyvane::render
