// Places every catalogue star on the horizontal chart once per frame.
//
// The catalogue's J2000 places are carried to the apparent place of the
// instant in one pass (CatalogueOfDate); each is then turned to the
// observer's horizon. The arithmetic is the single-star placement's, step
// for step, so every star lands on exactly the pixel ProjectStarHorizontal
// gives it.
#pragma once

#include <vector>

#include "engine/sky.h"
#include "render/catalogue_of_date.h"
#include "render/sky_mapping.h"
#include "skydata/catalogue.h"

namespace skyvane::render {

class HorizontalStarPlacer {
public:
    // Places stars 0 .. count - 1 of `catalogue` for the instant and
    // observer of `state` on a chart centred at (cx, cy) with horizon
    // `radius`; Placements()[i] is then what ProjectStarHorizontal gives
    // for star i.
    void Place(const engine::SkyState& state, const skydata::SkyCatalogue& catalogue, int count,
               int cx, int cy, int radius, int orientation);

    const std::vector<StarPlacement>& Placements() const { return placements_; }

private:
    CatalogueOfDate ofDate_;
    std::vector<StarPlacement> placements_;
};

}  // namespace skyvane::render
