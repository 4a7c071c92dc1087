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
#include "engine/transforms.h"
#include "render/catalogue_of_date.h"
#include "render/chart_view.h"
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

    // The same through `view`: at the whole sky exactly the pixels above;
    // zoomed, from the catalogue's places themselves rather than their
    // whole-sky codes, which a narrow field would show as steps.
    // ViewPlaces()[i] then holds the unrounded screen point of star i.
    void Place(const engine::SkyState& state, const skydata::SkyCatalogue& catalogue, int count,
               const ChartView& view);
    const std::vector<ViewPlace>& ViewPlaces() const { return viewPlaces_; }

private:
    CatalogueOfDate ofDate_;
    ExactCatalogueOfDate exactOfDate_;
    std::vector<StarPlacement> placements_;
    std::vector<ViewPlace> viewPlaces_;
};

// Azimuth and altitude of a J2000 catalogue place (hours, degrees) for the
// instant and observer of `state`: carried to the apparent place of date,
// unrounded.
engine::Horizontal HorizontalPlaceOf(const engine::SkyState& state, double ra, double dec);
// The apparent direction of date of a J2000 catalogue place, unrounded.
engine::UnitVector ApparentDirectionOf(const engine::SkyState& state, double ra, double dec);
// An apparent direction of date on a horizontal chart's view, below the
// horizon too: where ToScreen puts its azimuth and altitude, with the
// azimuth's sine and cosine taken from the direction itself.
ScreenPoint HorizontalScreenOfDirection(const ChartView& view, const engine::UnitVector& direction,
                                        const ObserverTurn& turn);
// The apparent direction of date of a J2000 direction.
engine::UnitVector ApparentDirectionOfVector(const engine::SkyState& state, const engine::UnitVector& j2000);

}  // namespace skyvane::render
