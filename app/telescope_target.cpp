#include "app/telescope_target.h"

#include <cstdio>

namespace skyvane::app {

TelescopeTarget TargetOf(const skydata::SkyCatalogue& catalogue, skydata::ObjectRef object,
                         const std::string& name, const engine::SkyState& sky,
                         const skydata::DeepSkyCatalogue* deepSky)
{
    TelescopeTarget target;
    target.name = name;
    const auto index = static_cast<std::size_t>(object.index);
    engine::Equatorial ofDate{};
    switch (object.kind) {
    case skydata::ObjectKind::kStar:
        ofDate = engine::ApparentPlaceOf(sky, catalogue.stars[index].ra, catalogue.stars[index].dec);
        break;
    case skydata::ObjectKind::kMessier:
        ofDate = engine::ApparentPlaceOf(sky, catalogue.deepSky[index].ra,
                                         catalogue.deepSky[index].dec);
        break;
    case skydata::ObjectKind::kBody:
        // The Moon stands up to a degree elsewhere for the observer than
        // for the Earth's centre; a telescope looks from the observer.
        target.place = {sky.topocentricRightAscension[index], sky.topocentricDeclination[index]};
        target.azimuth = sky.azimuth[index];
        target.altitude = sky.altitude[index];
        return target;
    case skydata::ObjectKind::kHipStar:
    case skydata::ObjectKind::kNgcObject: {
        // The deep catalogue's places go through the same carrying to the
        // date as every object the charts draw.
        const skydata::FoundObject found = skydata::DescribeFoundObject(catalogue, object, sky, deepSky);
        if (found.name.empty()) {
            // Without the deep-sky file there is no place to send: refused
            // as a target out of sight rather than sent to 0h, 0 degrees.
            target.altitude = -90;
            return target;
        }
        ofDate = {found.rightAscension, found.declination};
        break;
    }
    }
    target.place = {ofDate.rightAscension, ofDate.declination};
    const engine::Horizontal horizontal = engine::HorizontalPlaceOf(sky, ofDate);
    target.azimuth = horizontal.azimuth;
    target.altitude = horizontal.altitude;
    return target;
}

engine::Horizontal HorizontalOfPointing(const engine::SkyState& sky,
                                        const telescope::PlaceOfDate& pointing)
{
    return engine::HorizontalPlaceOf(sky, {pointing.rightAscension, pointing.declination});
}

std::string BelowHorizonRefusal(const TelescopeTarget& target)
{
    char altitude[32];
    std::snprintf(altitude, sizeof altitude, "%+.1f", target.altitude);
    return target.name + " is below the horizon (altitude " + altitude +
           " degrees); the telescope is not sent there";
}

}  // namespace skyvane::app
