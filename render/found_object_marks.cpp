#include "render/found_object_marks.h"

#include <algorithm>

#include "render/catalogue_of_date.h"
#include "render/geocentric_chart.h"
#include "render/horizontal_chart.h"
#include "render/sky_mapping.h"

namespace skyvane::render {

using skydata::ObjectKind;

bool ChartDrawsObject(ChartShown chart, const engine::SkyState& state,
                      const skydata::SkyCatalogue& catalogue,
                      const DisplayPreferences& preferences, skydata::ObjectRef object)
{
    const int starCount = std::clamp(catalogue.starCount, 0, skydata::kStarCapacity);
    const int messierCount = std::clamp(catalogue.deepSkyCount, 0, skydata::kDeepSkyCapacity);
    const double sunAltitude = state.altitude[engine::kSun];
    switch (object.kind) {
    case ObjectKind::kBody: {
        const int b = object.index;
        if (b < 0 || b >= engine::kBodyCount || b == engine::kEarth || b == engine::kPluto)
            return false;
        if (chart == ChartShown::kHorizontal) return state.altitude[b] > 0;
        if (chart == ChartShown::kGeocentric) return true;
        // The top view has the Sun in its middle and the planets in its
        // table; the Moon is not on it.
        if (chart == ChartShown::kHeliocentric) return b != engine::kMoon;
        return false;
    }
    case ObjectKind::kStar: {
        if (object.index < 0 || object.index >= starCount) return false;
        const skydata::StarRecord& star = catalogue.stars[static_cast<std::size_t>(object.index)];
        if (chart == ChartShown::kGeocentric)
            return GeocentricBandHolds(
                engine::EquatorialOf(ApparentDirectionOfCodes(state, RaCode(star.ra),
                                                              DecCode(star.dec)))
                    .declination);
        if (chart != ChartShown::kHorizontal) return false;
        // The placement's visibility depends on the altitude alone, not on
        // where the chart's disc lies.
        const StarPlacement p =
            ProjectStarHorizontal(state, RaCode(star.ra), DecCode(star.dec), 0, 0, 1, 1);
        return HorizontalShowsCatalogue(sunAltitude, preferences) && p.visible &&
               HorizontalStarLit(sunAltitude, star.magnitude, preferences);
    }
    case ObjectKind::kMessier: {
        if (object.index < 0 || object.index >= messierCount) return false;
        if (chart != ChartShown::kHorizontal) return false;  // the horizontal chart's alone
        const skydata::DeepSkyObject& m = catalogue.deepSky[static_cast<std::size_t>(object.index)];
        const StarPlacement p =
            ProjectStarHorizontal(state, RaCode(m.ra), DecCode(m.dec), 0, 0, 1, 1);
        return HorizontalShowsCatalogue(sunAltitude, preferences) &&
               HorizontalShowsDeepSky(sunAltitude, preferences) && p.visible;
    }
    }
    return false;
}

void DrawBodyRowFrame(DrawContext& dc, int left, int top, int right, int bottom)
{
    const std::optional<QRgb> pen = dc.Pen();
    const int width = dc.PenWidth();
    dc.SetPen(kBodyRowFrame);
    dc.Line(left, top, right, top);
    dc.Line(right, top, right, bottom);
    dc.Line(right, bottom, left, bottom);
    dc.Line(left, bottom, left, top);
    pen ? dc.SetPen(*pen, width) : dc.SetNullPen();
}

}  // namespace skyvane::render
