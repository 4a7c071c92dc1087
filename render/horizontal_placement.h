// Places every catalogue star on the horizontal chart once per frame.
//
// A star's declination never changes, so the sine, cosine and tangent of it
// are kept from frame to frame and only the hour angle's part is worked out
// again. The arithmetic is the single-star placement's, step for step, so
// every star lands on exactly the pixel ProjectStarHorizontal gives it.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/sky.h"
#include "engine/transforms.h"
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
    // What a star's catalogue position fixes, with the codes it came from
    // so that a different catalogue at the same rows is noticed.
    struct FixedPart {
        bool known = false;
        std::int32_t raCode = 0;
        std::int32_t decCode = 0;
        double ra = 0;  // hours
        double sinDec = 0;
        double cosDec = 0;
        double tanDec = 0;
        // The same from the unrounded place, for zoomed views.
        double exactRa = 0;
        double exactSinDec = 0;
        double exactCosDec = 0;
        double exactTanDec = 0;
    };
    void Refresh(FixedPart& fixed, const skydata::StarRecord& star, std::int32_t raCode,
                 std::int32_t decCode);
    std::vector<FixedPart> fixed_;
    std::vector<StarPlacement> placements_;
    std::vector<ViewPlace> viewPlaces_;
};

// Azimuth and altitude of a catalogue place (hours, degrees) for the
// instant and observer of `state`, unrounded.
engine::Horizontal HorizontalPlaceOf(const engine::SkyState& state, double ra, double dec);

}  // namespace skyvane::render
