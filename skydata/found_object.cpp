#include "skydata/found_object.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/calendar.h"
#include "engine/transforms.h"

namespace skyvane::skydata {

FoundObject DescribeFoundObject(const SkyCatalogue& catalogue, ObjectRef object,
                                const engine::SkyState& sky)
{
    FoundObject found{};
    found.catalogueRightAscension = std::nan("");
    found.catalogueDeclination = std::nan("");
    found.object = object;
    found.name = ObjectName(catalogue, object);
    found.jd = engine::SkyCalculator::JulianDayOf(sky);
    found.civilOffsetHours = sky.timeZone + sky.dst;
    found.dayStart = engine::LocalDayStart(found.jd, found.civilOffsetHours);

    const bool known =
        object.index >= 0 &&
        (object.kind == ObjectKind::kBody
             ? object.index < engine::kBodyCount && object.index != engine::kEarth &&
                   object.index != engine::kPluto
             : object.index < (object.kind == ObjectKind::kStar
                                   ? std::min(catalogue.starCount, kStarCapacity)
                                   : std::min(catalogue.deepSkyCount, kDeepSkyCapacity)));
    if (!known) return found;

    engine::RiseSetTarget target;
    double standardAltitude = engine::kStarStandardAltitude;
    if (object.kind == ObjectKind::kBody) {
        const auto b = static_cast<std::size_t>(object.index);
        found.rightAscension = sky.rightAscension[b];
        found.declination = sky.declination[b];
        found.topocentricRightAscension = sky.topocentricRightAscension[b];
        found.topocentricDeclination = sky.topocentricDeclination[b];
        found.azimuth = sky.azimuth[b];
        found.altitude = sky.altitude[b];
        target = engine::RiseSetTarget::Body(object.index);
        standardAltitude = engine::StandardAltitude(object.index);
    } else {
        if (object.kind == ObjectKind::kStar) {
            const StarRecord& star = catalogue.stars[static_cast<std::size_t>(object.index)];
            found.catalogueRightAscension = star.ra;
            found.catalogueDeclination = star.dec;
        } else {
            const DeepSkyObject& m = catalogue.deepSky[static_cast<std::size_t>(object.index)];
            found.catalogueRightAscension = m.ra;
            found.catalogueDeclination = m.dec;
        }
        // The charts' rule for every catalogue object: carried to the date.
        const engine::Equatorial ofDate = engine::ApparentPlaceOf(
            sky, found.catalogueRightAscension, found.catalogueDeclination);
        found.rightAscension = found.topocentricRightAscension = ofDate.rightAscension;
        found.declination = found.topocentricDeclination = ofDate.declination;
        const engine::Horizontal h = engine::HorizontalPlaceOf(sky, ofDate);
        found.azimuth = h.azimuth;
        found.altitude = h.altitude;
        target = engine::RiseSetTarget::Star(found.catalogueRightAscension,
                                             found.catalogueDeclination);
    }
    found.riseTransitSet = engine::FindRiseTransitSet(target, found.dayStart, sky.longitude,
                                                      sky.latitude, standardAltitude);
    return found;
}

std::string LocalCivilTimeText(double jd, double civilOffsetHours)
{
    if (!std::isfinite(jd) || !std::isfinite(civilOffsetHours)) return {};
    const double local = jd + civilOffsetHours / 24;
    double midnight = std::floor(local - 0.5) + 0.5;
    double seconds = std::round((local - midnight) * 86400);
    if (seconds >= 86400) {
        midnight += 1;
        seconds -= 86400;
    }
    engine::CalendarDate date;
    date.jd = midnight;
    const engine::DateFields d = date.Split();
    const int s = static_cast<int>(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%s%04d-%02d-%02d %02d:%02d:%02d", d.year < 0 ? "-" : "",
                  std::abs(d.year), d.month, d.day, s / 3600, s / 60 % 60, s % 60);
    return text;
}

const char* RiseSetStateName(engine::RiseSetState state)
{
    switch (state) {
    case engine::RiseSetState::kAlwaysAbove: return "alwaysAbove";
    case engine::RiseSetState::kNeverRises: return "neverRises";
    case engine::RiseSetState::kNormal: break;
    }
    return "normal";
}

}  // namespace skyvane::skydata
