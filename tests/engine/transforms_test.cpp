// Obliquity, nutation, apparent sidereal time and the coordinate conversions.
#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "engine/calendar.h"
#include "engine/series_tables.h"
#include "engine/transforms.h"

namespace skyvane::engine {
namespace {

constexpr double kArcsec = 1.0 / 3600;
constexpr double kTimeSecond = 1.0 / 3600;  // one second of time, in hours

double Dms(double d, double m, double s) { return d + m / 60 + s / 3600; }

// 1987-04-10 0h, the classic worked instant for nutation and sidereal time.
TEST(NutationTest, WorkedInstants)
{
    EXPECT_NEAR(MeanObliquity(kJ2000), Dms(23, 26, 21.448), 1e-12);
    EXPECT_NEAR(MeanObliquity(kJ2000), 23.4392911, 1e-7);

    const double jd = 2446895.5;
    EXPECT_NEAR(NutationInLongitude(jd), -3.788, 5e-4);
    EXPECT_NEAR(NutationInObliquity(jd), 9.443, 5e-4);
    EXPECT_NEAR(MeanObliquity(jd), Dms(23, 26, 27.407), 5e-4 * kArcsec);
    EXPECT_NEAR(TrueObliquity(jd), Dms(23, 26, 36.850), 1e-3 * kArcsec);
    EXPECT_NEAR(GreenwichApparentSiderealTime(jd), Dms(13, 10, 46.1351), 1e-3 * kTimeSecond);
    const Nutation both = NutationAt(jd);
    EXPECT_EQ(both.longitude, NutationInLongitude(jd));
    EXPECT_EQ(both.obliquity, NutationInObliquity(jd));
}

TEST(NutationTest, TableRowsInPublishedOrder)
{
    auto expectRow = [](int index, std::array<int, 5> multipliers, int s, double sRate, int c,
                        double cRate) {
        const NutationRow& row = kNutationRows[index];
        EXPECT_EQ((std::array<int, 5>{row.d, row.m, row.mPrime, row.f, row.omega}), multipliers)
            << "row " << index;
        EXPECT_EQ(row.s, s) << "row " << index;
        EXPECT_EQ(row.sRate, sRate) << "row " << index;
        EXPECT_EQ(row.c, c) << "row " << index;
        EXPECT_EQ(row.cRate, cRate) << "row " << index;
    };
    EXPECT_EQ(kNutationRowCount, 63);
    expectRow(0, {0, 0, 0, 0, 1}, -171996, -174.2, 92025, 8.9);
    expectRow(1, {-2, 0, 0, 2, 2}, -13187, -1.6, 5736, -3.1);
    expectRow(62, {2, -1, 0, 2, 2}, -3, 0, 0, 0);
}

void ExpectEquatorial(const Equatorial& eq, double ra, double dec, double tol)
{
    EXPECT_NEAR(eq.rightAscension, ra, tol / 15);
    EXPECT_NEAR(eq.declination, dec, tol);
}

void ExpectHorizontal(const Horizontal& hz, double azimuth, double altitude, double tol)
{
    EXPECT_NEAR(hz.azimuth, azimuth, tol);
    EXPECT_NEAR(hz.altitude, altitude, tol);
}

TEST(EclipticToEquatorialTest, KnownPlacesAndRange)
{
    const double eps = 23.4392911;
    ExpectEquatorial(EclipticToEquatorial(0, 0, eps), 0, 0, 1e-12);
    ExpectEquatorial(EclipticToEquatorial(90, 0, eps), 6, eps, 1e-12);
    ExpectEquatorial(EclipticToEquatorial(270, 0, eps), 18, -eps, 1e-12);
    // Pollux: lambda 113.215630, beta 6.684170 -> alpha 116.328942, delta 28.026183.
    ExpectEquatorial(EclipticToEquatorial(113.215630, 6.684170, eps), 116.328942 / 15, 28.026183,
                     1e-6);

    EXPECT_NEAR(EclipticToEquatorial(-0.0015, 0, 0).rightAscension, 23.9999, 1e-9);
    // A hair below zero must not come back as 24.
    for (double lambda : {-1e-13, -1e-15, -1e-300, -0.0}) {
        const double ra = EclipticToEquatorial(lambda, 0, 23.44).rightAscension;
        EXPECT_GE(ra, 0) << lambda;
        EXPECT_LT(ra, 24) << lambda;
    }
}

TEST(EquatorialToHorizontalTest, KnownPlacesAndRange)
{
    // On the meridian south of the zenith: due south, h = 90 - phi + delta;
    // north of it: due north.
    ExpectHorizontal(EquatorialToHorizontal(0, 10, 50), 0, 50, 1e-12);
    ExpectHorizontal(EquatorialToHorizontal(0, 60, 40), 180, 70, 1e-12);
    // Six hours from the meridian on the equator: setting due west, rising east.
    ExpectHorizontal(EquatorialToHorizontal(6, 0, 40), 90, 0, 1e-12);
    ExpectHorizontal(EquatorialToHorizontal(-6, 0, 40), 270, 0, 1e-12);
    // Venus from Washington: H 64.352133 deg, delta -6.719892, phi 38 55 17
    // -> A 68.0337 from the south, h 15.1249.
    ExpectHorizontal(EquatorialToHorizontal(64.352133 / 15, -6.719892, Dms(38, 55, 17)), 68.0337,
                     15.1249, 1e-4);

    // At the pole the azimuth follows the hour angle directly.
    EXPECT_NEAR(EquatorialToHorizontal(-0.001 / 15, 0, 90).azimuth, 359.999, 1e-9);
    for (double h : {-1e-13, -1e-16, -1e-300}) {
        const double az = EquatorialToHorizontal(h, 0, 90).azimuth;
        EXPECT_GE(az, 0) << h;
        EXPECT_LT(az, 360) << h;
    }
}

TEST(TransformsTest, PolesAndZenithStayFinite)
{
    const double eps = 23.44;
    for (double lambda : {0.0, 37.0, 90.0, 200.0, 359.0}) {
        ExpectEquatorial(EclipticToEquatorial(lambda, 90, eps), 18, 90 - eps, 1e-9);
        ExpectEquatorial(EclipticToEquatorial(lambda, -90, eps), 6, eps - 90, 1e-9);
    }
    for (double h : {0.0, 3.0, 13.7, -5.0}) {
        ExpectHorizontal(EquatorialToHorizontal(h, 90, 40), 180, 40, 1e-9);
        const Horizontal south = EquatorialToHorizontal(h, -90, 40);
        EXPECT_LT(std::fabs(std::remainder(south.azimuth, 360)), 1e-9) << h;
        EXPECT_NEAR(south.altitude, -40, 1e-9) << h;
        for (double phi : {90.0, -90.0}) {
            for (double dec : {90.0, -90.0, 12.0}) {
                const Horizontal hz = EquatorialToHorizontal(h, dec, phi);
                EXPECT_TRUE(std::isfinite(hz.azimuth)) << h << " " << dec << " " << phi;
                EXPECT_NEAR(hz.altitude, phi > 0 ? dec : -dec, 1e-6) << h << " " << dec;
            }
        }
    }
    // In the zenith sin^2 + cos^2 often rounds a hair above 1, which must
    // not push asin out of its domain; likewise at the celestial pole.
    for (int i = -8999; i <= 8999; ++i) {
        const double phi = i * 0.01;
        ASSERT_NEAR(EquatorialToHorizontal(0, phi, phi).altitude, 90, 1e-5) << phi;
        if (i > 0 && i <= 4500) {
            ASSERT_NEAR(EclipticToEquatorial(90, 90 - phi, phi).declination, 90, 1e-5) << phi;
        }
    }
}

}  // namespace
}  // namespace skyvane::engine
