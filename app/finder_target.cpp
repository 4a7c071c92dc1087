#include "app/finder_target.h"

#include <cmath>
#include <regex>

#include "engine/rise_set.h"

namespace skyvane::app {

namespace {

// "12", "-5.5", "5:35", "-05:23:28.5": a value in its unit (hours or degrees).
std::optional<double> ParseSexagesimal(const std::string& text)
{
    static const std::regex kValue(
        R"(^\s*([+-]?)(\d{1,3}(?:\.\d+)?)(?::(\d{1,2}(?:\.\d+)?)(?::(\d{1,2}(?:\.\d+)?))?)?\s*$)");
    std::smatch m;
    if (!std::regex_match(text, m, kValue)) {
        return std::nullopt;
    }
    constexpr double kPerUnit = 60;
    double value = std::stod(m[2]);
    if (m[3].matched) {
        value += std::stod(m[3]) / kPerUnit;
    }
    if (m[4].matched) {
        value += std::stod(m[4]) / (kPerUnit * kPerUnit);
    }
    return m[1] == "-" ? -value : value;
}

}  // namespace

std::optional<std::pair<double, double>> ParseCoordinatePair(const std::string& text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos) {
        return std::nullopt;
    }
    const auto first = ParseSexagesimal(text.substr(0, comma));
    const auto second = ParseSexagesimal(text.substr(comma + 1));
    if (!first || !second) {
        return std::nullopt;
    }
    return std::make_pair(*first, *second);
}

render::SkyPoint ChartPointOf(const skydata::FoundObject& found, bool horizontal)
{
    if (horizontal) {
        return {found.azimuth, found.altitude};
    }
    return {found.rightAscension, found.declination};
}

std::string BelowHorizonText(const skydata::FoundObject& found, const engine::SkyState& state)
{
    const engine::RiseTransitSet& today = found.riseTransitSet;
    std::optional<double> rise;
    if (today.rise && *today.rise > found.jd) {
        rise = today.rise;
    } else if (today.state != engine::RiseSetState::kNeverRises) {
        // Risen and set already today: tomorrow's rising.
        const bool body = found.object.kind == skydata::ObjectKind::kBody;
        const engine::RiseSetTarget target =
            body ? engine::RiseSetTarget::Body(found.object.index)
                 : engine::RiseSetTarget::Star(found.rightAscension, found.declination);
        const double standard = body ? engine::StandardAltitude(found.object.index)
                                     : engine::kStarStandardAltitude;
        const engine::RiseTransitSet tomorrow = engine::FindRiseTransitSet(
            target, found.dayStart + 1, state.longitude, state.latitude, standard);
        rise = tomorrow.rise;
    }
    std::string text = found.name + " is below the horizon";
    if (rise) {
        constexpr std::size_t kDateAndMinutes = 16;
        text += "; it rises at " +
                skydata::LocalCivilTimeText(*rise, found.civilOffsetHours).substr(0, kDateAndMinutes) +
                " local time";
    } else if (today.state == engine::RiseSetState::kNeverRises) {
        text += "; it does not rise on this day";
    }
    return text + ".";
}

std::optional<render::SkyPoint> FinderCentre(const std::string& target, bool horizontal,
                                             const skydata::SkyData& data,
                                             const engine::SkyState& state, std::string& error)
{
    constexpr double kRightAngle = 90;
    constexpr double kHalfTurn = 180;
    constexpr double kFullTurn = 360;
    constexpr double kHoursPerTurn = 24;
    if (const auto pair = ParseCoordinatePair(target)) {
        const double a = pair->first;
        const double b = pair->second;
        if (b < -kRightAngle || b > kRightAngle) {
            error = "--center: " + target + ": the second coordinate is beyond -90..90 degrees";
            return std::nullopt;
        }
        if (!horizontal) {
            if (a < 0 || a >= kHoursPerTurn) {
                error = "--center: " + target + ": right ascension is 0 to 24 hours";
                return std::nullopt;
            }
            return render::SkyPoint{a, b};
        }
        if (a < 0 || a >= kFullTurn) {
            error = "--center: " + target + ": azimuth is 0 to 360 degrees";
            return std::nullopt;
        }
        if (b < 0) {
            error = "--center: " + target + " is below the horizon.";
            return std::nullopt;
        }
        // From the north through the east, as typed, to the chart's own
        // count from the south towards the west.
        return render::SkyPoint{std::fmod(a + kHalfTurn, kFullTurn), b};
    }
    const std::optional<skydata::ObjectRef> object = data.names->Find(target);
    if (!object) {
        error = "--center: no object is called \"" + target + "\"";
        const auto closest = data.names->Closest(target, 3);
        for (std::size_t i = 0; i < closest.size(); ++i) {
            error += (i == 0 ? " (closest: " : ", ") + closest[i].name;
        }
        if (!closest.empty()) error += ")";
        return std::nullopt;
    }
    const skydata::FoundObject found =
        skydata::DescribeFoundObject(*data.catalogue, *object, state, data.deepSky.get());
    if (found.name.empty()) {
        error = "--center: " + target + " has no place on the charts";
        return std::nullopt;
    }
    if (horizontal && !(found.altitude > 0)) {
        error = BelowHorizonText(found, state);
        return std::nullopt;
    }
    return ChartPointOf(found, horizontal);
}

}  // namespace skyvane::app
