// Heliocentric planet positions, their geocentric places and the Sun.
#include <array>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "engine/body.h"
#include "engine/planets.h"
#include "engine/series_tables.h"
#include "engine/sky.h"
#include "engine/transforms.h"

namespace skyvane::engine {
namespace {

void ExpectPlace(double l, double b, double r, double wantL, double wantB, double wantR,
                 double tolAngle, double tolR)
{
    EXPECT_NEAR(l, wantL, tolAngle);
    EXPECT_NEAR(b, wantB, tolAngle);
    EXPECT_NEAR(r, wantR, tolR);
}

// 1992-12-20 0h: Venus and the Earth, and Venus seen from the Earth
// (geometric, without light time).
TEST(PlanetPositionTest, VenusAndEarthOn1992December20)
{
    const double jd = 2448976.5;
    ExpectPlace(HeliocentricLongitude(kVenus, jd), HeliocentricLatitude(kVenus, jd),
                RadiusVector(kVenus, jd), 26.11428, -2.62070, 0.724603, 1e-5, 1e-6);
    const HeliocentricPosition e = HeliocentricPositionOf(kEarth, jd);
    const HeliocentricPosition v = HeliocentricPositionOf(kVenus, jd);
    ExpectPlace(e.longitude, e.latitude, e.radius, 88.35704, 0.00014, 0.983824, 1e-5, 1e-6);
    GeocentricPosition g = HeliocentricToGeocentric(e.longitude, e.latitude, e.radius, v.longitude,
                                                    v.latitude, v.radius);
    ExpectPlace(g.longitude, g.latitude, g.distance, -46.91711, -2.08473, 0.910845, 1e-5, 1e-6);
    // The same from the rounded published inputs, through the calculator.
    g = SkyCalculator::HeliocentricToGeocentric(88.35704, 0.00014, 0.983824, 26.11428, -2.62070,
                                                0.724603);
    ExpectPlace(g.longitude, g.latitude, g.distance, -46.91711, -2.08473, 0.910845, 5e-5, 2e-6);

    // A body at the Earth's own place is at the origin, atan2 of zeros.
    g = HeliocentricToGeocentric(e.longitude, e.latitude, e.radius, e.longitude, e.latitude,
                                 e.radius);
    EXPECT_TRUE(g.longitude == 0 && g.latitude == 0 && g.distance == 0)
        << g.longitude << " " << g.latitude << " " << g.distance;
}

// 1992-10-13 0h: the Earth and the Sun's apparent place.
TEST(SunPositionTest, Earth1992October13)
{
    const double jd = 2448908.5;
    ExpectPlace(HeliocentricLongitude(kEarth, jd), HeliocentricLatitude(kEarth, jd),
                RadiusVector(kEarth, jd), 19.907372, -0.000179, 0.99760775, 1e-6, 1e-8);
    EXPECT_NEAR(SunGeometricLongitude(jd), 199.907372, 1e-6);
    EXPECT_NEAR(SunGeometricLatitude(jd), 0.000179, 1e-6);
    EXPECT_NEAR(Fk5CorrectionLongitude(SunGeometricLongitude(jd), SunGeometricLatitude(jd), jd),
                -0.09033 / 3600, 1e-4 / 3600);
    EXPECT_NEAR(SunApparentLongitude(jd), 199.90606, 1e-5);
    EXPECT_NEAR(SunApparentLatitude(jd), 0.00017, 1e-5);
}

// Just after the March equinox the geometric longitude is a hair above 0;
// aberration outweighs any nutation, and the apparent value stays negative.
TEST(SunPositionTest, ApparentLongitudeIsNotReduced)
{
    double lo = 2451623.0;  // 2000-03-19 12h, before the equinox
    double hi = 2451624.5;  // 2000-03-21 0h, after it
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (SunGeometricLongitude(mid) > 180 ? lo : hi) = mid;
    }
    ASSERT_LT(SunGeometricLongitude(hi), 1e-4);
    EXPECT_LT(SunApparentLongitude(hi), 0.0);
    EXPECT_GT(SunApparentLongitude(hi), -0.011);
}

// The Earth's latitude comes from its two short series B0 and B1 alone, so
// it can never exceed their amplitudes: (538 + 15 |tau|) 1e-8 rad, at most
// 0.00037 degree at the ends of the accepted range.
TEST(PlanetPositionTest, EarthLatitudeStaysSmallOverTheAcceptedRange)
{
    const VsopCoordinate& b = kVsopPlanets[kEarth - kMercury].latitude;
    double largest = 0;
    for (double jd = -365; jd <= 5373484; jd += 3.7) {
        const double tau = (jd - 2451545.0) / 365250;
        double bound = 0;
        for (int k = 0; k < 2; ++k) {
            for (int i = 0; i < b.orders[k].count; ++i)
                bound += b.orders[k].terms[i].a * std::pow(std::fabs(tau), k);
        }
        bound = bound * 1e-8 * 57.29577951308232;
        const double latitude = std::fabs(HeliocentricLatitude(kEarth, jd));
        ASSERT_LE(latitude, bound * (1 + 1e-12)) << "JD " << jd;
        largest = std::fmax(largest, latitude);
    }
    EXPECT_LT(largest, 0.00037);
}

TEST(PlanetPositionTest, BodiesWithoutATheoryGiveZero)
{
    for (int body : {-1, int(kSun), int(kPluto), int(kMoon), 11, 1000}) {
        const HeliocentricPosition p = HeliocentricPositionOf(body, 2451545.0);
        EXPECT_TRUE(HeliocentricLongitude(body, 2451545.0) == 0 &&
                    HeliocentricLatitude(body, 2451545.0) == 0 &&
                    RadiusVector(body, 2451545.0) == 0 && p.longitude == 0 && p.latitude == 0 &&
                    p.radius == 0)
            << body;
    }
}

// Terms kept per series, L0..L5, B0..B5, R0..R5, Mercury to Neptune.
constexpr int kTermCounts[kVsopPlanetCount][3][kVsopMaxOrder] = {
    {{38, 16, 10, 8, 6, 1}, {14, 11, 9, 7, 2, 0}, {13, 8, 7, 5, 0, 0}},
    {{24, 12, 8, 3, 3, 1}, {9, 4, 4, 4, 1, 0}, {12, 3, 3, 1, 1, 0}},
    {{64, 34, 20, 7, 3, 1}, {5, 2, 0, 0, 0, 0}, {40, 10, 6, 2, 1, 0}},
    {{69, 46, 33, 12, 8, 2}, {16, 9, 7, 4, 3, 0}, {45, 27, 11, 6, 4, 0}},
    {{64, 61, 57, 39, 19, 5}, {26, 22, 14, 9, 6, 1}, {46, 43, 36, 28, 15, 7}},
    {{90, 79, 63, 48, 27, 12}, {34, 32, 29, 21, 12, 2}, {44, 38, 32, 28, 23, 18}},
    {{91, 57, 35, 18, 4, 0}, {28, 20, 11, 4, 1, 0}, {59, 35, 18, 10, 2, 0}},
    {{38, 18, 7, 4, 1, 0}, {17, 13, 6, 4, 1, 0}, {32, 15, 5, 1, 0, 0}},
};

TEST(SeriesTablesTest, TermCountsAndLeadingTerms)
{
    int total = 0;
    for (int p = 0; p < kVsopPlanetCount; ++p) {
        const VsopPlanet& planet = kVsopPlanets[p];
        const VsopCoordinate* coordinates[] = {&planet.longitude, &planet.latitude, &planet.radius};
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < kVsopMaxOrder; ++k) {
                const VsopSeries& s = coordinates[c]->orders[k];
                const std::string where =
                    std::string(BodyName(p + kMercury)) + " " + "LBR"[c] + std::to_string(k);
                EXPECT_EQ(s.count, kTermCounts[p][c][k]) << where;
                total += s.count;
            }
        }
    }
    EXPECT_EQ(total, 2430);
    EXPECT_EQ(kVsopTermCount, 2430);

    auto term = [](const VsopTerm& t) { return std::array{t.a, t.b, t.c}; };
    using T = std::array<double, 3>;
    const VsopPlanet& mercury = kVsopPlanets[0];
    const VsopPlanet& earth = kVsopPlanets[2];
    EXPECT_EQ(term(mercury.longitude.orders[0].terms[0]), (T{440250710, 0, 0}));
    EXPECT_EQ(term(mercury.longitude.orders[0].terms[1]),
              (T{40989415, 1.48302034, 26087.90314157}));
    EXPECT_EQ(term(earth.longitude.orders[0].terms[0]), (T{175347046, 0, 0}));
    EXPECT_EQ(term(earth.longitude.orders[0].terms[1]), (T{3341656, 4.6692568, 6283.07585}));
    EXPECT_EQ(term(earth.latitude.orders[0].terms[0]), (T{280, 3.199, 84334.662}));
    EXPECT_EQ(term(kVsopPlanets[7].radius.orders[0].terms[0]), (T{3007013206, 0, 0}));
}

}  // namespace
}  // namespace skyvane::engine
