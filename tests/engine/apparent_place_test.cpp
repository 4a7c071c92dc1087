// The sky of date against PyEphem (tools/apparent_place_reference.py wrote
// the reference file): catalogue stars carried from J2000 over six
// millennia, the Moon seen from the observer, the Sun and planets as
// apparent places, the Burgos eclipse; Delta T against the model's table;
// the frame's own invariants.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/apparent_place.h"
#include "engine/body.h"
#include "engine/calendar.h"
#include "engine/delta_t.h"
#include "engine/light_time.h"
#include "engine/sky.h"
#include "engine/units.h"
#include "reference_csv.h"

namespace skyvane::engine {
namespace {

constexpr double kDegree = 0.017453292519943295;
constexpr double kArcsecond = 1.0 / 3600;

struct Reference {
    std::string kind, name;
    double ra2000 = 0, dec2000 = 0, jd = 0, longitude = 0, latitude = 0;
    double geoRa = 0, geoDec = 0, topoRa = 0, topoDec = 0, azimuth = 0, altitude = 0;
    int line = 0;
};

std::vector<Reference> ReadReference()
{
    std::vector<Reference> rows;
    ForEachReferenceRow(SKYVANE_APPARENT_PLACE_REFERENCE, 13,
                        [&](const std::vector<std::string>& f, int line) {
        Reference r;
        r.kind = f[0];
        r.name = f[1];
        double* numbers[] = {&r.ra2000, &r.dec2000, &r.jd,     &r.longitude, &r.latitude,
                             &r.geoRa,  &r.geoDec,  &r.topoRa, &r.topoDec,   &r.azimuth,
                             &r.altitude};
        for (int i = 0; i < 11; ++i) *numbers[i] = std::stod(f[2 + i]);
        r.line = line;
        rows.push_back(r);
    });
    EXPECT_GT(rows.size(), 400u);
    return rows;
}

// Angle between two places (hours or degrees of longitude, degrees), degrees.
double Separation(double longitude1, double latitude1, double longitude2, double latitude2)
{
    const UnitVector a = UnitVectorOf(longitude1 / 15, latitude1);
    const UnitVector b = UnitVectorOf(longitude2 / 15, latitude2);
    const double cx = a.y * b.z - a.z * b.y, cy = a.z * b.x - a.x * b.z,
                 cz = a.x * b.y - a.y * b.x;
    return std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), a.x * b.x + a.y * b.y + a.z * b.z) /
           kDegree;
}

SkyState SceneAt(const Reference& r)
{
    SkyState s{};
    s.longitude = r.longitude;
    s.latitude = r.latitude;
    SkyCalculator().ComputeSkyAt(s, r.jd);
    return s;
}

// Our azimuth counts from the south towards the west, PyEphem's from the
// north towards the east.
double HorizontalOff(const SkyState& s, int body, const Reference& r)
{
    return Separation(s.azimuth[body] + 180, s.altitude[body], r.azimuth, r.altitude);
}

TEST(ApparentPlaceTest, StarsAgreeWithPyEphemOverSixMillennia)
{
    struct Range {
        double firstYear, endYear, tolerance;
        double worst = 0;
        int count = 0;
    };
    // A 1-degree field on a 1080-pixel window puts 18 pixels in an arc
    // minute: ten arc seconds is three pixels there.
    Range ranges[] = {{1900, 2100, 10 * kArcsecond},
                      {1000, 3000, 60 * kArcsecond},
                      {-999, 1000, 300 * kArcsecond}};
    for (const Reference& r : ReadReference()) {
        if (r.kind != "star") continue;
        const double year = DecimalYear(r.jd);
        // The narrowest range that holds the year decides.
        Range* range = nullptr;
        for (Range& candidate : ranges)
            if (year >= candidate.firstYear && year < candidate.endYear + 1) {
                range = &candidate;
                break;
            }
        ASSERT_NE(range, nullptr) << "line " << r.line;
        const SkyState s = SceneAt(r);
        const Equatorial ours = ApparentPlaceOf(s, r.ra2000, r.dec2000);
        const double off = Separation(ours.rightAscension * 15, ours.declination, r.geoRa * 15,
                                      r.geoDec);
        EXPECT_LE(off, range->tolerance) << r.name << " line " << r.line << " year " << year;
        // Where the observer sees it: the same place through sidereal time.
        const Horizontal h = HorizontalPlaceOf(s, ours);
        const double offHorizontal =
            Separation(h.azimuth + 180, h.altitude, r.azimuth, r.altitude);
        EXPECT_LE(offHorizontal, range->tolerance) << r.name << " line " << r.line;
        range->worst = std::max({range->worst, off, offHorizontal});
        ++range->count;
    }
    for (const Range& range : ranges) {
        EXPECT_GE(range.count, 50);
        std::printf("[   INFO   ] stars %.0f..%.0f: %d places, worst %.2f arcsec\n",
                    range.firstYear, range.endYear, range.count, range.worst * 3600);
    }
}

TEST(ApparentPlaceTest, BodiesAgreeWithPyEphem)
{
    // The Moon as seen from the observer within 30"; the Sun and planets
    // as apparent places within what the abridged series allow.
    std::map<int, double> tolerance = {{kMoon, 30 * kArcsecond}, {kSun, 5 * kArcsecond},
                                       {kMercury, 10 * kArcsecond}, {kVenus, 10 * kArcsecond},
                                       {kMars, 10 * kArcsecond}, {kJupiter, 10 * kArcsecond},
                                       {kSaturn, 10 * kArcsecond}, {kUranus, 10 * kArcsecond},
                                       {kNeptune, 10 * kArcsecond}};
    std::map<int, double> worst;
    for (const Reference& r : ReadReference()) {
        if (r.kind != "body") continue;
        const int body = std::stoi(r.name);
        const SkyState s = SceneAt(r);
        const double geocentric = Separation(s.rightAscension[body] * 15, s.declination[body],
                                             r.geoRa * 15, r.geoDec);
        const double topocentric =
            Separation(s.topocentricRightAscension[body] * 15, s.topocentricDeclination[body],
                       r.topoRa * 15, r.topoDec);
        const double horizontal = HorizontalOff(s, body, r);
        const double off = std::max({geocentric, topocentric, horizontal});
        EXPECT_LE(off, tolerance[body]) << BodyName(body) << " line " << r.line << ": geo "
                                        << geocentric * 3600 << "\", topo " << topocentric * 3600
                                        << "\", alt/az " << horizontal * 3600 << "\"";
        worst[body] = std::max(worst[body], off);
    }
    for (const auto& [body, off] : worst)
        std::printf("[   INFO   ] %s: worst %.2f arcsec\n", BodyName(body), off * 3600);
    EXPECT_EQ(worst.size(), tolerance.size());
}

// The total eclipse of 2026-08-12 from Burgos at 18:29 UT: the Moon's
// parallax (nearly a degree) puts it over the Sun.
TEST(ApparentPlaceTest, BurgosEclipse)
{
    std::map<int, Reference> reference;
    for (const Reference& r : ReadReference())
        if (r.kind == "burgos") reference[std::stoi(r.name)] = r;
    ASSERT_EQ(reference.size(), 2u);
    const SkyState s = SceneAt(reference[kSun]);
    const double theirs = Separation(reference[kSun].topoRa * 15, reference[kSun].topoDec,
                                     reference[kMoon].topoRa * 15, reference[kMoon].topoDec);
    const double ours =
        Separation(s.topocentricRightAscension[kSun] * 15, s.topocentricDeclination[kSun],
                   s.topocentricRightAscension[kMoon] * 15, s.topocentricDeclination[kMoon]);
    EXPECT_NEAR(ours, theirs, 30 * kArcsecond);
    const double onChart =
        Separation(s.azimuth[kSun], s.altitude[kSun], s.azimuth[kMoon], s.altitude[kMoon]);
    EXPECT_NEAR(onChart, theirs, 30 * kArcsecond);
    // From the Earth's centre they stand almost a degree apart.
    EXPECT_GT(Separation(s.rightAscension[kSun] * 15, s.declination[kSun],
                         s.rightAscension[kMoon] * 15, s.declination[kMoon]),
              0.9);
    std::printf("[   INFO   ] Burgos: Sun-Moon %.1f\" (PyEphem %.1f\")\n", ours * 3600,
                theirs * 3600);
}

TEST(DeltaTTest, ModelMatchesItsPublishedTable)
{
    // Year, Delta T (s) and its standard error from the table the
    // polynomials were fitted to; measured values since 1955.
    struct Row {
        double year, seconds, error;
    };
    constexpr Row kTable[] = {
        {-500, 17190, 430}, {-400, 15530, 390}, {-300, 14080, 360}, {-200, 12790, 330},
        {-100, 11640, 290}, {0, 10580, 260},    {100, 9600, 240},   {200, 8640, 210},
        {300, 7680, 180},   {400, 6700, 160},   {500, 5710, 140},   {600, 4740, 120},
        {700, 3810, 100},   {800, 2960, 80},    {900, 2200, 70},    {1000, 1570, 55},
        {1100, 1090, 40},   {1200, 740, 30},    {1300, 490, 20},    {1400, 320, 20},
        {1500, 200, 20},    {1600, 120, 20},    {1700, 9, 5},       {1750, 13, 2},
        {1800, 14, 1},      {1850, 7, 1},       {1900, -3, 1},      {1950, 29, 0.5},
        {1955, 31.1, 0.5},  {1960, 33.2, 0.5},  {1965, 35.7, 0.5},  {1970, 40.2, 0.5},
        {1975, 45.5, 0.5},  {1980, 50.5, 0.5},  {1985, 54.3, 0.5},  {1990, 56.9, 0.5},
        {1995, 60.8, 0.5},  {2000, 63.8, 0.5},  {2005, 64.7, 0.5},
    };
    for (const Row& row : kTable)
        EXPECT_NEAR(DeltaTSeconds(row.year), row.seconds, row.error) << row.year;
    // The pieces meet: no jump of more than a second or a thousandth where
    // one polynomial hands over to the next.
    for (double join : {-500.0, 500.0, 1600.0, 1700.0, 1800.0, 1860.0, 1900.0, 1920.0, 1941.0,
                        1961.0, 1986.0, 2005.0, 2050.0, 2150.0}) {
        const double before = DeltaTSeconds(join - 1e-9);
        const double after = DeltaTSeconds(join);
        EXPECT_NEAR(before, after, std::max(1.0, 1e-3 * std::fabs(after))) << join;
    }
    // Far outside the polynomials, the long-term parabola, finite at the
    // ends of the program's range; not a number stays not a number.
    EXPECT_NEAR(DeltaTSeconds(-4713), -20 + 32 * 65.33 * 65.33, 1);
    EXPECT_TRUE(std::isfinite(DeltaTSeconds(9999)));
    EXPECT_TRUE(std::isnan(DeltaTSeconds(std::nan(""))));
    // The scene's instant on both scales.
    SkyState s{};
    SkyCalculator().ComputeSkyAt(s, kJ2000);
    EXPECT_NEAR(s.deltaT, 63.8, 0.5);
    EXPECT_DOUBLE_EQ(s.terrestrialJulianDay, kJ2000 + s.deltaT / 86400);
}

TEST(ApparentPlaceFrameTest, RotationCarriesForwardAndBack)
{
    for (double jd : {kJ2000, 2461382.5, 625673.5, -365.5, 5373484.5}) {
        const ApparentPlaceFrame frame = ApparentPlaceFrameAt(jd);
        const RotationMatrix& m = frame.toDate;
        // A rotation: orthonormal rows.
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                const double dot =
                    m.m[i][0] * m.m[j][0] + m.m[i][1] * m.m[j][1] + m.m[i][2] * m.m[j][2];
                EXPECT_NEAR(dot, i == j ? 1 : 0, 1e-12) << jd;
            }
        // Aberration is never more than 21" in size.
        const UnitVector& v = frame.earthVelocity;
        EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z) / kDegree * 3600, 20.5, 0.5);
        // The inverse takes the apparent place back to the catalogue's.
        for (const auto& [ra, dec] : {std::pair{0.0, 0.0}, {6.75, -16.7}, {2.53, 89.26},
                                      {21.15, -88.96}, {13.42, 54.9}}) {
            const Equatorial apparent = ApparentPlace(frame, ra, dec);
            const Equatorial back = CataloguePlace(frame, apparent.rightAscension,
                                                   apparent.declination);
            EXPECT_LT(Separation(back.rightAscension * 15, back.declination, ra * 15, dec),
                      0.01 * kArcsecond)
                << jd << " " << ra << " " << dec;
        }
    }
    // At J2000 only nutation and aberration remain: under a minute of arc.
    const Equatorial now = ApparentPlace(ApparentPlaceFrameAt(kJ2000), 6.75, -16.7);
    EXPECT_LT(Separation(now.rightAscension * 15, now.declination, 6.75 * 15, -16.7),
              60 * kArcsecond);
}

TEST(ApparentPlaceFrameTest, BatchCarriesLikeOnePlace)
{
    const ApparentPlaceFrame frame = ApparentPlaceFrameAt(1000000.5);
    std::vector<double> x, y, z;
    std::vector<Equatorial> places;
    for (int i = 0; i < 37; ++i) {
        const double ra = i * 0.65, dec = -89.5 + i * 4.97;
        const UnitVector u = UnitVectorOf(ra, dec);
        x.push_back(u.x), y.push_back(u.y), z.push_back(u.z);
        places.push_back(ApparentPlace(frame, ra, dec));
    }
    std::vector<double> ox(x.size()), oy(x.size()), oz(x.size());
    ApparentDirections(frame, x.data(), y.data(), z.data(), static_cast<int>(x.size()),
                       ox.data(), oy.data(), oz.data());
    for (std::size_t i = 0; i < x.size(); ++i) {
        const Equatorial batch = EquatorialOf({ox[i], oy[i], oz[i]});
        EXPECT_LT(Separation(batch.rightAscension * 15, batch.declination,
                             places[i].rightAscension * 15, places[i].declination),
                  1e-6 * kArcsecond)
            << i;
        EXPECT_NEAR(ox[i] * ox[i] + oy[i] * oy[i] + oz[i] * oz[i], 1, 1e-14);
    }
}

// Units in the last place between two doubles of the same sign.
double UlpsApart(double a, double b)
{
    if (a == b) return 0;
    return std::fabs(a - b) / std::max(std::nextafter(std::fabs(b), INFINITY) - std::fabs(b), 1e-300);
}

TEST(ArctangentTest, AgreesWithTheLibraryToTheLastPlacesEverywhere)
{
    // Every octant and the reduction's seams, from both sides.
    const double seams[] = {0.66, 2.41421356237309504880, 1.0};
    std::vector<std::pair<double, double>> cases{{1, 1e-300}, {1e-300, 1}, {1, 1e300}, {1e300, 1},
                                                 {3e-9, 7}, {0.5, 0.5}};
    for (double seam : seams)
        for (double t : {std::nextafter(seam, 0.0), seam, std::nextafter(seam, 10.0)}) cases.push_back({t, 1});
    // And an even spread of directions round the circle.
    constexpr int kSteps = 200000;
    for (int k = 0; k < kSteps; ++k) {
        const double a = 360 * kDegree * (k + 0.37) / kSteps;
        cases.push_back({std::sin(a), std::cos(a)});
    }
    double worst = 0;
    for (auto [y0, x0] : cases)
        for (double sy : {1.0, -1.0})
            for (double sx : {1.0, -1.0}) {
                const double y = sy * y0, x = sx * x0;
                const double ulps = UlpsApart(Arctangent2(y, x), std::atan2(y, x));
                worst = std::max(worst, ulps);
                ASSERT_LE(ulps, 2) << y << ", " << x;
            }
    EXPECT_GT(worst, 0);  // the sweep reached values the two round apart

    // What the library defines at the edges is passed on.
    const double inf = INFINITY;
    for (auto [y, x] : std::vector<std::pair<double, double>>{
             {0.0, 0.0}, {-0.0, -1.0}, {0.0, -1.0}, {1, 0.0}, {-1, -0.0}, {inf, 1}, {1, -inf}, {inf, inf}})
        EXPECT_EQ(Arctangent2(y, x), std::atan2(y, x)) << y << ", " << x;
    EXPECT_TRUE(std::isnan(Arctangent2(NAN, 1)));
    EXPECT_TRUE(std::isnan(Arctangent2(1, NAN)));
}

}  // namespace
}  // namespace skyvane::engine
