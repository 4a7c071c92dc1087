// The place of a near body seen from the observer, against the difference
// of the two position vectors worked out here, and the form for many
// bodies at once (whose sines come from the series kernel, another build
// on every processor) against the form for one.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

#include "engine/apparent_place.h"
#include "engine/light_time.h"

namespace skyvane::engine {
namespace {

constexpr double kDegree = 0.017453292519943295;
constexpr double kArcsecond = 1.0 / 3600;

// Degrees between two places (hours, degrees).
double Separation(const Equatorial& a, const Equatorial& b)
{
    const UnitVector u = UnitVectorOf(a.rightAscension, a.declination);
    const UnitVector v = UnitVectorOf(b.rightAscension, b.declination);
    const double cx = u.y * v.z - u.z * v.y, cy = u.z * v.x - u.x * v.z, cz = u.x * v.y - u.y * v.x;
    return std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), u.x * v.x + u.y * v.y + u.z * v.z) / kDegree;
}

// The body's geocentric vector less the observer's, both in Earth radii in
// the equator of date: the observer stands at sidereal time ra + hour angle.
Equatorial ByVectors(const Equatorial& geocentric, double earthRadii, double hourAngle,
                     const GeocentricObserver& observer)
{
    const UnitVector body = UnitVectorOf(geocentric.rightAscension, geocentric.declination);
    const double sidereal = (geocentric.rightAscension + hourAngle) * 15 * kDegree;
    return EquatorialOf({earthRadii * body.x - observer.rhoCosLatitude * std::cos(sidereal),
                         earthRadii * body.y - observer.rhoCosLatitude * std::sin(sidereal),
                         earthRadii * body.z - observer.rhoSinLatitude});
}

struct Sight {
    double ra, dec, earthRadii, hourAngle, latitude;
    double tolerance;  // degrees
};

// The Moon (56 to 64 Earth radii) wherever the function may be asked,
// poles and the 0h seam included; the nearest planets (a quarter of an
// astronomical unit and more) where planets go, whose parallax is taken to
// first order; what is farther than the Moon never comes closer than that.
constexpr double kMoonTolerance = 1e-6 * kArcsecond;
constexpr double kPlanetTolerance = 0.01 * kArcsecond;
constexpr double kAu = 23454.8;  // Earth radii
const std::vector<Sight> kSights = {
    {0, 0, 60, 0, 0, kMoonTolerance},
    {6, 20, 56, 4, 47.4, kMoonTolerance},
    {12, -28.5, 63.8, -5.9, -33.9, kMoonTolerance},
    {23.9999, 10, 57, -3, 51.5, kMoonTolerance},    // pushed past 24h
    {0.0001, -10, 57, 3, 51.5, kMoonTolerance},     // pushed below 0h
    {3, 89.9999, 60, 6, 78.2, kMoonTolerance},      // at the pole
    {15, -89.99, 60, -11.9, -77.8, kMoonTolerance},
    {2, 89.5, 60, 0, 45, kMoonTolerance},           // carried over the pole
    {14, -89.9, 58, 0.3, -60, kMoonTolerance},
    {9, 45, 60, 12, 90, kMoonTolerance},            // observer at a pole
    {21, -45, 60, 0.5, -90, kMoonTolerance},
    {18, 5, 62, 6, 0, kMoonTolerance},              // on the horizon
    {4.5, 24, 0.27 * kAu, 3, 40, kPlanetTolerance},  // Venus at its nearest
    {13, -27, 0.37 * kAu, -4, -45, kPlanetTolerance},
    {20, -25, 0.52 * kAu, 5.5, 64.8, kPlanetTolerance},
    {7, 23, 4 * kAu, -6, 10, kPlanetTolerance},
    {0, 0, 30 * kAu, 2, 0, kPlanetTolerance},
};

TEST(TopocentricTest, AgreesWithTheDifferenceOfTheVectors)
{
    double worstMoon = 0, worstPlanet = 0;
    for (const Sight& s : kSights) {
        SCOPED_TRACE(::testing::Message() << s.ra << "h " << s.dec << " at " << s.earthRadii
                                          << " radii, H " << s.hourAngle << " lat " << s.latitude);
        const GeocentricObserver observer = ObserverAt(s.latitude);
        const Equatorial geocentric{s.ra, s.dec};
        const Equatorial ours = TopocentricPlace(geocentric, s.earthRadii, s.hourAngle, observer);
        const Equatorial reference = ByVectors(geocentric, s.earthRadii, s.hourAngle, observer);
        EXPECT_GE(ours.rightAscension, 0);
        EXPECT_LT(ours.rightAscension, 24);
        EXPECT_LE(std::fabs(ours.declination), 90);
        const double off = Separation(ours, reference);
        EXPECT_LE(off, s.tolerance);
        double& worst = s.earthRadii < 100 ? worstMoon : worstPlanet;
        worst = std::max(worst, off);
    }
    std::printf("[   INFO   ] topocentric: Moon within %.2g\", planets within %.2g\"\n", worstMoon * 3600,
                worstPlanet * 3600);
    // Nothing to shift: a body at the centre, inside the Earth or at no
    // finite distance stays where it is.
    const Equatorial place{5, 5};
    for (const double radii : {0.0, 0.5, 1.0, HUGE_VAL, std::nan("")}) {
        const Equatorial same = TopocentricPlace(place, radii, 3, ObserverAt(45));
        EXPECT_EQ(same.rightAscension, place.rightAscension) << radii;
        EXPECT_EQ(same.declination, place.declination) << radii;
    }
}

TEST(TopocentricTest, ManyAtOnceAgreeWithOneAtATime)
{
    for (const double latitude : {-90.0, -33.9, 0.0, 51.5, 78.2, 90.0}) {
        const GeocentricObserver observer = ObserverAt(latitude);
        std::vector<Equatorial> geocentric, batch(kSights.size());
        std::vector<double> radii, hourAngle;
        for (const Sight& s : kSights) {
            geocentric.push_back({s.ra, s.dec});
            radii.push_back(s.earthRadii);
            hourAngle.push_back(s.hourAngle);
        }
        // The kernel takes up to 16 a call.
        for (std::size_t first = 0; first < kSights.size(); first += 16) {
            const int count = static_cast<int>(std::min<std::size_t>(16, kSights.size() - first));
            TopocentricPlaces(&geocentric[first], &radii[first], &hourAngle[first], count, observer,
                              &batch[first]);
        }
        for (std::size_t i = 0; i < kSights.size(); ++i) {
            const Equatorial one = TopocentricPlace(geocentric[i], radii[i], hourAngle[i], observer);
            EXPECT_LE(Separation(batch[i], one), 1e-6 * kArcsecond) << "latitude " << latitude << " row " << i;
            EXPECT_LT(batch[i].rightAscension, 24) << i;
            EXPECT_GE(batch[i].rightAscension, 0) << i;
        }
    }
}

}  // namespace
}  // namespace skyvane::engine
