#include "print/page_milky_way.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "engine/body.h"
#include "render/deep_sky_drawing.h"
#include "render/horizontal_chart.h"
#include "render/horizontal_placement.h"

namespace skyvane::print {

QRgb PaperMilkyWayColor(int level)
{
    // Toner greys: the brightest step still lighter than a quarter tone,
    // so black stars, the grey grid and blue figures read through it.
    constexpr std::array<QRgb, 5> kSteps{qRgb(243, 243, 243), qRgb(235, 235, 235),
                                         qRgb(227, 227, 227), qRgb(219, 219, 219),
                                         qRgb(211, 211, 211)};
    return kSteps[static_cast<std::size_t>(std::clamp(level, 1, 5) - 1)];
}

bool PageShowsMilkyWay(bool horizontal, const engine::SkyState& state,
                       const render::DisplayPreferences& preferences,
                       const skydata::DeepSkyCatalogue* deepSky)
{
    if (deepSky == nullptr || preferences.showMilkyWay == 0) return false;
    if (!horizontal) return true;
    return preferences.noStars == 0 &&
           render::HorizontalShowsCatalogue(state.altitude[engine::kSun], preferences);
}

void DrawPageMilkyWay(render::DrawContext& dc, const skydata::DeepSkyCatalogue& deepSky,
                      const engine::SkyState& state, const render::ChartView& view,
                      render::ScreenPoint shift, const render::ScreenArea& clip)
{
    const auto onPage = [&](render::SkyPoint sky) {
        const render::ScreenPoint p = view.ToScreen(sky);
        return render::ScreenPoint{p.x + shift.x, p.y + shift.y};
    };
    if (view.Plane() == render::ChartPlane::kHorizontal) {
        // Outline points below the horizon go beyond the rim; the fill
        // stops at it.
        const render::ScreenPoint zenith = onPage({0, 90});
        const render::ScreenPoint rim = onPage({0, 0});
        const render::ScreenDisc horizon{zenith.x, zenith.y,
                                         std::hypot(rim.x - zenith.x, rim.y - zenith.y)};
        render::DrawMilkyWay(
            dc, deepSky,
            [&](double ra, double dec) {
                const engine::Horizontal h = render::HorizontalPlaceOf(state, ra, dec);
                return onPage({h.azimuth, h.altitude});
            },
            clip, horizon, 0, PaperMilkyWayColor);
        return;
    }
    // Twelve hours of right ascension either side of the centre: one turn.
    constexpr double kQuarterTurnHours = 6;
    const render::SkyPoint centre = view.Centre();
    const double turn = 2 * std::fabs(onPage({centre.longitude + kQuarterTurnHours, 0}).x -
                                      onPage({centre.longitude - kQuarterTurnHours, 0}).x);
    render::DrawMilkyWay(
        dc, deepSky,
        [&](double ra, double dec) {
            const engine::Equatorial ofDate = engine::ApparentPlaceOf(state, ra, dec);
            return onPage({ofDate.rightAscension, ofDate.declination});
        },
        clip, render::ScreenDisc{}, turn, PaperMilkyWayColor);
}

}  // namespace skyvane::print
