#include "render/horizontal_placement.h"

#include "engine/units.h"

#include <cmath>

namespace skyvane::render {

void HorizontalStarPlacer::Place(const engine::SkyState& state,
                                 const skydata::SkyCatalogue& catalogue, int count, int cx, int cy,
                                 int radius, int orientation)
{
    ofDate_.CarryStars(state, catalogue, count);
    const int rows = ofDate_.Count();
    placements_.resize(static_cast<std::size_t>(rows));
    const ObserverTurn turn = ObserverTurn::Of(state);
    for (int i = 0; i < rows; ++i) {
        placements_[static_cast<std::size_t>(i)] =
            PlaceDirectionHorizontal(ofDate_.Direction(i), turn, cx, cy, radius, orientation);
    }
}

void HorizontalStarPlacer::Place(const engine::SkyState& state,
                                 const skydata::SkyCatalogue& catalogue, int count,
                                 const ChartView& view)
{
    // The whole sky places stars by their codes, as it always has; a
    // zoomed view by their places unrounded.
    const bool whole = view.WholeSky();
    int rows = 0;
    if (whole) {
        ofDate_.CarryStars(state, catalogue, count);
        rows = ofDate_.Count();
    } else {
        exactOfDate_.CarryStars(state, catalogue, count);
        rows = exactOfDate_.Count();
    }
    placements_.resize(static_cast<std::size_t>(rows));
    viewPlaces_.resize(static_cast<std::size_t>(rows));
    const ObserverTurn turn = ObserverTurn::Of(state);
    for (int i = 0; i < rows; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const engine::UnitVector direction =
            whole ? ofDate_.Direction(i) : exactOfDate_.Direction(i);
        StarPlacement& placement = placements_[k];
        ViewPlace& place = viewPlaces_[k];
        placement = StarPlacement{};
        place = ViewPlace{};
        const engine::Horizontal altitudeOnly = HorizontalOfDirection(direction, turn, false);
        placement.visible = place.visible = altitudeOnly.altitude > 0;
        if (!placement.visible) {
            continue;
        }
        const engine::Horizontal h = HorizontalOfDirection(direction, turn);
        if (whole) {
            const PixelPoint point = view.ToPixel({h.azimuth, h.altitude});
            placement.x = point.x;
            placement.y = point.y;
            place.at = {static_cast<double>(point.x), static_cast<double>(point.y)};
        } else {
            place.at = view.ToScreen({h.azimuth, h.altitude});
            placement.x = TruncateToPixel(std::floor(place.at.x + 0.5));
            placement.y = TruncateToPixel(std::floor(place.at.y + 0.5));
        }
    }
}

engine::UnitVector ApparentDirectionOfVector(const engine::SkyState& state, const engine::UnitVector& j2000)
{
    // Through the batch form, so that one object and a whole catalogue
    // round alike.
    engine::UnitVector out;
    engine::ApparentDirections(state.frame, &j2000.x, &j2000.y, &j2000.z, 1, &out.x, &out.y, &out.z);
    return out;
}

ScreenPoint HorizontalScreenOfDirection(const ChartView& view, const engine::UnitVector& direction,
                                        const ObserverTurn& turn)
{
    const LocalComponents local = LocalOf(direction, turn);
    // Components of a unit vector: no overflow for hypot to guard against.
    const double across = std::sqrt(local.south * local.south + local.west * local.west);
    const double altitude = engine::RadToDeg(engine::Arctangent2(local.up, across));
    // Straight up or down the azimuth is 0, as atan2 gives it.
    if (!(across > 0)) return view.HorizontalToScreen(0, 1, altitude);
    return view.HorizontalToScreen(local.west / across, local.south / across, altitude);
}

engine::UnitVector ApparentDirectionOf(const engine::SkyState& state, double ra, double dec)
{
    return ApparentDirectionOfVector(state, engine::UnitVectorOf(ra, dec));
}

engine::Horizontal HorizontalPlaceOf(const engine::SkyState& state, double ra, double dec)
{
    return HorizontalOfDirection(ApparentDirectionOf(state, ra, dec), ObserverTurn::Of(state));
}

}  // namespace skyvane::render
