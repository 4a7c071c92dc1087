#include "render/horizontal_placement.h"

#include <cmath>

#include "engine/transforms.h"
#include "engine/units.h"

namespace skyvane::render {

namespace {

// Rounding can carry the sine of an altitude a hair past 1 at the zenith.
double ClampedAsin(double x)
{
    return std::asin(x > 1 ? 1 : (x < -1 ? -1 : x));
}

}  // namespace

void HorizontalStarPlacer::Place(const engine::SkyState& state,
                                 const skydata::SkyCatalogue& catalogue, int count, int cx, int cy,
                                 int radius, int orientation)
{
    const auto rows = static_cast<std::size_t>(count > 0 ? count : 0);
    if (fixed_.size() < rows) {
        fixed_.resize(rows);
    }
    placements_.resize(rows);

    // Each step below is the one the single-star placement takes, in the
    // same order, so the doubles come out bit for bit the same.
    const engine::AngleTrig latitude = engine::AngleTrig::OfDegrees(state.latitude);
    constexpr double kFullTurn = 360;
    for (std::size_t i = 0; i < rows; ++i) {
        const skydata::StarRecord& star = catalogue.stars[i];
        const std::int32_t raCode = RaCode(star.ra);
        const std::int32_t decCode = DecCode(star.dec);
        FixedPart& fixed = fixed_[i];
        if (!fixed.known || fixed.raCode != raCode || fixed.decCode != decCode) {
            Refresh(fixed, star, raCode, decCode);
        }

        const double hourAngle = engine::HourAngle(state.siderealTime, state.longitude, fixed.ra);
        const double h = engine::HoursToRad(hourAngle);
        const double sinH = std::sin(h);
        const double cosH = std::cos(h);
        const double altitude = engine::RadToDeg(
            ClampedAsin(latitude.sin * fixed.sinDec + latitude.cos * fixed.cosDec * cosH));
        StarPlacement& placement = placements_[i];
        placement = StarPlacement{};
        placement.visible = altitude > 0;
        if (!placement.visible) {
            continue;
        }
        double azimuth =
            engine::RadToDeg(std::atan2(sinH, cosH * latitude.sin - fixed.tanDec * latitude.cos));
        if (azimuth < 0) {
            azimuth += kFullTurn;
        }
        if (azimuth >= kFullTurn) {
            azimuth -= kFullTurn;
        }
        const PixelPoint point = ProjectHorizontal(cx, cy, radius, azimuth, altitude, orientation);
        placement.x = point.x;
        placement.y = point.y;
    }
}

void HorizontalStarPlacer::Refresh(FixedPart& fixed, const skydata::StarRecord& star,
                                   std::int32_t raCode, std::int32_t decCode)
{
    const double dec = static_cast<double>(decCode) / kDecCodePerDegree;
    const double d = engine::DegToRad(dec);
    fixed.known = true;
    fixed.raCode = raCode;
    fixed.decCode = decCode;
    fixed.ra = static_cast<double>(raCode) / kRaCodePerHour;
    fixed.sinDec = std::sin(d);
    fixed.cosDec = std::cos(d);
    fixed.tanDec = std::tan(d);
    const double exact = engine::DegToRad(star.dec);
    fixed.exactRa = star.ra;
    fixed.exactSinDec = std::sin(exact);
    fixed.exactCosDec = std::cos(exact);
    fixed.exactTanDec = std::tan(exact);
}

void HorizontalStarPlacer::Place(const engine::SkyState& state,
                                 const skydata::SkyCatalogue& catalogue, int count,
                                 const ChartView& view)
{
    const auto rows = static_cast<std::size_t>(count > 0 ? count : 0);
    viewPlaces_.resize(rows);
    if (fixed_.size() < rows) {
        fixed_.resize(rows);
    }
    placements_.resize(rows);
    const engine::AngleTrig latitude = engine::AngleTrig::OfDegrees(state.latitude);
    constexpr double kFullTurn = 360;
    for (std::size_t i = 0; i < rows; ++i) {
        const skydata::StarRecord& star = catalogue.stars[i];
        const std::int32_t raCode = RaCode(star.ra);
        const std::int32_t decCode = DecCode(star.dec);
        FixedPart& fixed = fixed_[i];
        if (!fixed.known || fixed.raCode != raCode || fixed.decCode != decCode ||
            fixed.exactRa != star.ra) {
            Refresh(fixed, star, raCode, decCode);
        }
        // The whole sky places stars by their codes, as it always has.
        const bool whole = view.WholeSky();
        const double ra = whole ? fixed.ra : fixed.exactRa;
        const double sinDec = whole ? fixed.sinDec : fixed.exactSinDec;
        const double cosDec = whole ? fixed.cosDec : fixed.exactCosDec;
        const double tanDec = whole ? fixed.tanDec : fixed.exactTanDec;
        const double hourAngle = engine::HourAngle(state.siderealTime, state.longitude, ra);
        const double h = engine::HoursToRad(hourAngle);
        const double sinH = std::sin(h);
        const double cosH = std::cos(h);
        const double altitude =
            engine::RadToDeg(ClampedAsin(latitude.sin * sinDec + latitude.cos * cosDec * cosH));
        StarPlacement& placement = placements_[i];
        ViewPlace& place = viewPlaces_[i];
        placement = StarPlacement{};
        place = ViewPlace{};
        placement.visible = altitude > 0;
        place.visible = placement.visible;
        if (!placement.visible) {
            continue;
        }
        double azimuth =
            engine::RadToDeg(std::atan2(sinH, cosH * latitude.sin - tanDec * latitude.cos));
        if (azimuth < 0) {
            azimuth += kFullTurn;
        }
        if (azimuth >= kFullTurn) {
            azimuth -= kFullTurn;
        }
        if (whole) {
            const PixelPoint point = view.ToPixel({azimuth, altitude});
            placement.x = point.x;
            placement.y = point.y;
            place.at = {static_cast<double>(point.x), static_cast<double>(point.y)};
        } else {
            place.at = view.ToScreen({azimuth, altitude});
            placement.x = TruncateToPixel(std::floor(place.at.x + 0.5));
            placement.y = TruncateToPixel(std::floor(place.at.y + 0.5));
        }
    }
}

engine::Horizontal HorizontalPlaceOf(const engine::SkyState& state, double ra, double dec)
{
    return engine::EquatorialToHorizontal(
        engine::HourAngle(state.siderealTime, state.longitude, ra), dec, state.latitude);
}

}  // namespace skyvane::render
