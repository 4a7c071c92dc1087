// The engine sums its series with a vectorised polynomial cosine. These
// tests hold it to plain evaluation: every term on its own with std::cos or
// std::sin straight from the constant tables, summed in table order.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/body.h"
#include "engine/moon.h"
#include "engine/planets.h"
#include "engine/series_tables.h"
#include "engine/transforms.h"
#include "engine/trig_kernels.h"

namespace skyvane::engine {
namespace {

constexpr double kRadToDeg = 57.29577951308232;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kUnit = 0x1p-53;  // unit roundoff of a double

double Wrap360(long double x)
{
    const long double r = std::fmod(x, 360.0L);
    return static_cast<double>(r < 0 ? r + 360 : r);
}

// J2000, both ends of the accepted range (JD -365, 4714 BC January 1 0h, to
// JD 5373484, AD 9999 December 31 12h) and 240 instants between them at
// uneven times of day.
std::vector<double> Instants()
{
    std::vector<double> jds = {2451545.0, -365.0, 5373484.0};
    for (int i = 0; i < 240; ++i)
        jds.push_back(-365.0 + 5373849.0 * i / 240 + std::fmod(i * 0.618034, 1.0));
    return jds;
}

// S0 + S1 tau + ... + S5 tau^5 in units of 1e-8 rad or AU, in long double
// so that the reference's own rounding stays well below the engine's.
long double ReferenceVsop(const VsopCoordinate& coordinate, double tau)
{
    long double total = 0;
    long double power = 1;
    for (const VsopSeries& series : coordinate.orders) {
        long double sum = 0;
        for (int i = 0; i < series.count; ++i) {
            const VsopTerm& t = series.terms[i];
            sum +=
                t.a * std::cos(static_cast<long double>(t.b) + static_cast<long double>(t.c) * tau);
        }
        total += sum * power;
        power *= tau;
    }
    return total;
}

// What any double evaluation must lose to rounding, in the series' units:
// B + C tau rounds to an ulp of itself, the cosine adds a few ulps and a sum
// of n terms up to n more, each weighted by |A tau^k|. Far from J2000 this
// dominates: Mercury's longitude runs to 1e7 degrees before reduction, where
// one ulp is already 2e-9 degree.
double RoundingBudget(const VsopCoordinate& coordinate, double tau)
{
    double budget = 0;
    double power = 1;
    for (const VsopSeries& series : coordinate.orders) {
        for (int i = 0; i < series.count; ++i) {
            const VsopTerm& t = series.terms[i];
            budget += std::fabs(t.a) * power *
                      (std::fabs(t.b) + 2 * std::fabs(t.c * tau) + series.count + 8);
        }
        power *= std::fabs(tau);
    }
    return budget * kUnit;
}

// Longitude and latitude within 1e-9 degree and radius within 1e-12 AU; more
// than five centuries from J2000 plus the rounding budget above.
TEST(SeriesAccuracyTest, PlanetsMatchTermByTermEvaluation)
{
    for (int body = kMercury; body <= kNeptune; ++body) {
        const VsopPlanet& planet = kVsopPlanets[body - kMercury];
        for (double jd : Instants()) {
            const double tau = (jd - 2451545.0) / 365250;
            const bool nearJ2000 = std::fabs(tau) <= 0.5;
            auto allowed = [&](double bound, const VsopCoordinate& c, double scale,
                               long double value) {
                return nearJ2000 ? bound
                                 : bound + RoundingBudget(c, tau) * scale +
                                       4 * kUnit * static_cast<double>(std::fabs(value));
            };
            const long double l = ReferenceVsop(planet.longitude, tau) / 1e8L * kRadToDeg;
            const double b =
                static_cast<double>(ReferenceVsop(planet.latitude, tau) / 1e8L * kRadToDeg);
            const double r = static_cast<double>(ReferenceVsop(planet.radius, tau) / 1e8L);
            const std::string where = std::string(BodyName(body)) + " at JD " + std::to_string(jd);
            const double longitude = HeliocentricLongitude(body, jd);
            EXPECT_TRUE(longitude >= 0 && longitude <= 360) << where;
            EXPECT_LE(std::fabs(std::remainder(longitude - Wrap360(l), 360)),
                      allowed(1e-9, planet.longitude, 1e-8 * kRadToDeg, l))
                << where;
            EXPECT_LE(std::fabs(HeliocentricLatitude(body, jd) - b),
                      allowed(1e-9, planet.latitude, 1e-8 * kRadToDeg, b))
                << where;
            EXPECT_LE(std::fabs(RadiusVector(body, jd) - r), allowed(1e-12, planet.radius, 1e-8, r))
                << where;
        }
    }
}

// Nutation in longitude and obliquity, arc seconds.
std::pair<double, double> ReferenceNutation(double jd)
{
    const double t = (jd - 2451545.0) / 36525;
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double d = Wrap360(297.85036 + 445267.111480 * t - 0.0019142 * t2 + t3 / 189474);
    const double m = Wrap360(357.52772 + 35999.050340 * t - 0.0001603 * t2 - t3 / 300000);
    const double mp = Wrap360(134.96298 + 477198.867398 * t + 0.0086972 * t2 + t3 / 56250);
    const double f = Wrap360(93.27191 + 483202.017538 * t - 0.0036825 * t2 + t3 / 327270);
    const double om = Wrap360(125.04452 - 1934.136261 * t + 0.0020708 * t2 + t3 / 450000);
    double psi = 0, eps = 0;
    for (const NutationRow& row : kNutationRows) {
        const double arg =
            (row.d * d + row.m * m + row.mPrime * mp + row.f * f + row.omega * om) * kDegToRad;
        psi += (row.s + row.sRate * t) * std::sin(arg) * 0.0001;
        eps += (row.c + row.cRate * t) * std::cos(arg) * 0.0001;
    }
    return {psi, eps};
}

TEST(SeriesAccuracyTest, NutationMatchesTermByTermEvaluation)
{
    for (double jd : Instants()) {
        const auto [psi, eps] = ReferenceNutation(jd);
        EXPECT_NEAR(NutationInLongitude(jd), psi, 1e-9) << "JD " << jd;
        EXPECT_NEAR(NutationInObliquity(jd), eps, 1e-9) << "JD " << jd;
    }
}

// The Moon's sums. The fundamental arguments come from the engine's own
// functions, which moon_test.cpp checks against the worked example: at the
// range ends they reach 3e7 degrees before reduction, and rounding them any
// other way would move the sums by more than the tolerance, which is about
// the series alone.
MoonSums ReferenceMoon(double jd)
{
    const double t = (jd - 2451545.0) / 36525;
    const double lp = MoonMeanLongitude(jd) * kDegToRad;
    const double d = MoonMeanElongation(jd), m = SunMeanAnomaly(jd);
    const double mp = MoonMeanAnomaly(jd), f = MoonArgumentOfLatitude(jd);
    const double e = 1 - 0.002516 * t - 0.0000074 * t * t;
    auto weight = [e](double mm) {
        return std::fabs(mm) == 1 ? e : std::fabs(mm) == 2 ? e * e : 1;
    };
    auto argument = [&](const auto& row) {
        return (row.d * d + row.m * m + row.mPrime * mp + row.f * f) * kDegToRad;
    };
    MoonSums out{0, 0, 0};
    for (const MoonLongitudeDistanceRow& row : kMoonLongitudeDistanceRows) {
        out.longitude += row.sigmaL * weight(row.m) * std::sin(argument(row));
        out.distance += row.sigmaR * weight(row.m) * std::cos(argument(row));
    }
    for (const MoonLatitudeRow& row : kMoonLatitudeRows)
        out.latitude += row.sigmaB * weight(row.m) * std::sin(argument(row));
    const double a1 = (119.75 + 131.849 * t) * kDegToRad;
    const double a2 = (53.09 + 479264.290 * t) * kDegToRad;
    const double a3 = (313.45 + 481266.484 * t) * kDegToRad;
    const double mpr = mp * kDegToRad, fr = f * kDegToRad;
    out.longitude += 3958 * std::sin(a1) + 1962 * std::sin(lp - fr) + 318 * std::sin(a2);
    out.latitude += -2235 * std::sin(lp) + 382 * std::sin(a3) + 175 * std::sin(a1 - fr) +
                    175 * std::sin(a1 + fr) + 127 * std::sin(lp - mpr) - 115 * std::sin(lp + mpr);
    return out;
}

// Within 1e-6 of the tables' units (1e-6 degree, 1e-3 km).
TEST(SeriesAccuracyTest, MoonMatchesTermByTermEvaluation)
{
    for (double jd : Instants()) {
        const MoonSums ref = ReferenceMoon(jd);
        const MoonSums sums = MoonPeriodicSums(jd);
        EXPECT_NEAR(sums.longitude, ref.longitude, 1e-6) << "JD " << jd;
        EXPECT_NEAR(sums.latitude, ref.latitude, 1e-6) << "JD " << jd;
        EXPECT_NEAR(sums.distance, ref.distance, 1e-6) << "JD " << jd;
        EXPECT_NEAR(MoonLatitude(jd), ref.latitude / 1e6, 1e-12) << "JD " << jd;
        EXPECT_NEAR(MoonDistance(jd), 385000.56 + ref.distance / 1000, 1e-9) << "JD " << jd;
    }
}

// Largest absolute error of sin and cos allowed for |x| below a limit in
// radians. Reducing by pi split in three parts keeps the reduced argument
// exact to an ulp of pi/2 up to 2e6 rad, so the error barely grows with |x|.
constexpr std::pair<double, double> kKernelBounds[] = {{10, 6e-16}, {1e3, 8e-16}, {2e6, 1e-15}};

// sin x and cos x from the C library after reducing x by whole turns in
// extended precision with 2 pi in three parts (the first two of 32 bits, so
// k times them is exact for the |k| < 2^19 here). Some C libraries, MinGW's
// among them, lose the last digits of sin and cos themselves for arguments
// in the millions; on a small argument they are all good to the last place.
std::pair<double, double> ReferenceSinCos(double x)
{
    constexpr long double kTwoPi1 = 0x1.921fb544p+2L;
    constexpr long double kTwoPi2 = 0x1.0b4611a6p-32L;
    constexpr long double kTwoPi3 = 8.0890649951838025261645770e-21L;
    const long double k = std::nearbyint(x / (2 * std::numbers::pi));
    const long double r = ((static_cast<long double>(x) - k * kTwoPi1) - k * kTwoPi2) - k * kTwoPi3;
    return {static_cast<double>(std::sin(r)), static_cast<double>(std::cos(r))};
}

TEST(TrigKernelTest, SinCosArraysMatchesTheCLibrary)
{
    std::mt19937_64 rng(2024);
    auto uniform = [&rng](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    for (const auto& [limit, bound] : kKernelBounds) {
        std::vector<double> x(4096), s(x.size()), c(x.size());
        for (size_t i = 0; i < x.size(); ++i) {
            x[i] = uniform(-limit, limit);
            // Every eighth argument sits right by a multiple of pi/2.
            if (i % 8 == 0)
                x[i] = std::nearbyint(x[i] / (std::numbers::pi / 2)) * (std::numbers::pi / 2) +
                       uniform(-1e-9, 1e-9);
        }
        x[0] = 0;
        x[1] = -0.0;
        SinCosArrays(x.data(), s.data(), c.data(), static_cast<int>(x.size()));
        for (size_t i = 0; i < x.size(); ++i) {
            const auto [sine, cosine] = ReferenceSinCos(x[i]);
            EXPECT_NEAR(s[i], sine, bound) << "x = " << x[i];
            EXPECT_NEAR(c[i], cosine, bound) << "x = " << x[i];
        }
    }
}

// Against an exact-argument reference each term may err by the bound above
// plus the rounding of B + C tau to a double (an ulp of it, fused or not),
// and the sum of n terms by n ulps more.
TEST(TrigKernelTest, SumCosineSeriesMatchesPlainSum)
{
    std::mt19937_64 rng(2025);
    auto uniform = [&rng](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    for (const auto& [limit, bound] : kKernelBounds) {
        for (int count : {0, 4, 8, 64, 256}) {
            std::vector<double> a(count), b(count), c(count);
            for (int trial = 0; trial < 50; ++trial) {
                const double tau = uniform(-6.8, 6.8);
                long double plain = 0;
                double allowed = 0;
                for (int i = 0; i < count; ++i) {
                    a[i] = uniform(-1e3, 1e3);
                    b[i] = uniform(0, 6.3);
                    c[i] = uniform(0, (limit - 6.3) / 6.8);
                    const long double x = b[i] + static_cast<long double>(c[i]) * tau;
                    plain += a[i] * std::cos(x);
                    allowed +=
                        std::fabs(a[i]) *
                        (bound + 2 * kUnit * std::fabs(static_cast<double>(x)) + count * kUnit);
                }
                EXPECT_LE(std::fabs(SumCosineSeries(a.data(), b.data(), c.data(), count, tau) -
                                    static_cast<double>(plain)),
                          allowed)
                    << count << " terms up to " << limit << " rad, tau " << tau;
            }
        }
    }
    // Zero padding terms add nothing, and a constant term comes out exact.
    const double a[4] = {2.5, 0, 0, 0}, b[4] = {0, 1, 2, 3}, c[4] = {0, 5, 6, 7};
    EXPECT_EQ(SumCosineSeries(a, b, c, 4, 3.7), 2.5);
}

}  // namespace
}  // namespace skyvane::engine

namespace skyvane::engine {
namespace {

// Where the build carries more than one variant of the kernels (the
// function-pointer choice on Windows), each one this processor can run is
// held to the same references, not only the one the processor gets.
TEST(TrigKernelTest, EveryVariantThisProcessorRunsMatchesTheReferences)
{
    const std::vector<std::string> variants = SeriesKernelVariants();
    ASSERT_FALSE(variants.empty());
    RecordProperty("kernels", variants.front());
    // Shown by make test-cross: which build of the kernels each target ran.
    std::string shown;
    for (const std::string& name : variants) shown += (shown.empty() ? "" : ", ") + name;
    std::printf("[   INFO   ] series kernels: %s\n", shown.c_str());
    for (const std::string& name : variants) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(UseSeriesKernelVariant(name));
        std::mt19937_64 rng(7);
        std::vector<double> x(1024), s(x.size()), c(x.size());
        for (double& v : x) v = std::uniform_real_distribution<double>(-2e6, 2e6)(rng);
        SinCosArrays(x.data(), s.data(), c.data(), static_cast<int>(x.size()));
        for (size_t i = 0; i < x.size(); ++i) {
            const auto [sine, cosine] = ReferenceSinCos(x[i]);
            ASSERT_NEAR(s[i], sine, 1e-15) << "x = " << x[i];
            ASSERT_NEAR(c[i], cosine, 1e-15) << "x = " << x[i];
        }
        // A short series against the plain sum of its terms.
        std::vector<double> a(64), b(64), rate(64);
        for (size_t i = 0; i < a.size(); ++i) {
            a[i] = std::uniform_real_distribution<double>(-1e5, 1e5)(rng);
            b[i] = std::uniform_real_distribution<double>(0, 6.3)(rng);
            rate[i] = std::uniform_real_distribution<double>(0, 1e4)(rng);
        }
        const double tau = 0.734;
        long double plain = 0;
        for (size_t i = 0; i < a.size(); ++i)
            plain += a[i] * std::cos(static_cast<long double>(b[i]) + static_cast<long double>(rate[i]) * tau);
        EXPECT_NEAR(SumCosineSeries(a.data(), b.data(), rate.data(), 64, tau), static_cast<double>(plain), 1e-6);
    }
    // Back to the processor's own choice, and nothing unknown is taken.
    EXPECT_TRUE(UseSeriesKernelVariant(variants.front()));
    EXPECT_FALSE(UseSeriesKernelVariant("no such kernels"));
    EXPECT_EQ(SeriesKernelVariants(), variants);
}

}  // namespace
}  // namespace skyvane::engine
