#include "render/telescope_reticle.h"

#include "render/geocentric_chart.h"

namespace skyvane::render {

std::optional<PixelPoint> TelescopeReticleAt(const ChartView& view, const engine::SkyState& state,
                                             const TelescopeMark& mark)
{
    switch (view.Plane()) {
    case ChartPlane::kHorizontal: {
        const engine::Horizontal h =
            engine::HorizontalPlaceOf(state, {mark.rightAscension, mark.declination});
        if (!(h.altitude > 0)) return std::nullopt;
        return view.ToPixel({h.azimuth, h.altitude});
    }
    case ChartPlane::kGeocentric:
        if (view.WholeSky() && !GeocentricBandHolds(mark.declination)) return std::nullopt;
        return view.ToPixel({mark.rightAscension, mark.declination});
    }
    return std::nullopt;
}

void DrawTelescopeReticle(DrawContext& dc, PixelPoint at)
{
    dc.SetPen(kTelescopeReticle);
    dc.SetNullBrush();
    dc.Ellipse(at.x - kReticleRadius, at.y - kReticleRadius, at.x + kReticleRadius + 1,
               at.y + kReticleRadius + 1);
    dc.Line(at.x - kReticleArm, at.y, at.x + kReticleArm + 1, at.y);
    dc.Line(at.x, at.y - kReticleArm, at.x, at.y + kReticleArm + 1);
}

}  // namespace skyvane::render
