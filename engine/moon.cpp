#include "engine/moon.h"

#include <cmath>

#include "engine/calendar.h"
#include "engine/series_tables.h"
#include "engine/transforms.h"
#include "engine/trig_kernels.h"
#include "engine/units.h"

namespace skyvane::engine {

double MoonMeanLongitude(double jd)
{
    const double t = JulianCenturies(jd);
    return Reduce360(218.3164477 + 481267.88123421 * t - 0.0015786 * t * t +
                     t * t * t / 538841 - t * t * t * t / 65194000);
}

double MoonMeanElongation(double jd)
{
    const double t = JulianCenturies(jd);
    return Reduce360(297.8501921 + 445267.1114034 * t - 0.0018819 * t * t +
                     t * t * t / 545868 - t * t * t * t / 113065000);
}

double SunMeanAnomaly(double jd)
{
    const double t = JulianCenturies(jd);
    return Reduce360(357.5291092 + 35999.0502909 * t - 0.0001536 * t * t +
                     t * t * t / 24490000);
}

double MoonMeanAnomaly(double jd)
{
    const double t = JulianCenturies(jd);
    return Reduce360(134.9633964 + 477198.8675055 * t + 0.0087414 * t * t +
                     t * t * t / 69699 - t * t * t * t / 14712000);
}

double MoonArgumentOfLatitude(double jd)
{
    const double t = JulianCenturies(jd);
    return Reduce360(93.2720950 + 483202.0175233 * t - 0.0036539 * t * t -
                     t * t * t / 3526000 + t * t * t * t / 863310000);
}

double EccentricityFactor(double jd)
{
    const double t = JulianCenturies(jd);
    return 1 - 0.002516 * t - 0.0000074 * t * t;
}

namespace {

// Both tables as columns of doubles: the longitude/distance rows first, then
// the latitude rows, padded for the kernel. Built once.
constexpr int kLd = kMoonLongitudeDistanceRowCount;
constexpr int kRows = kLd + kMoonLatitudeRowCount;
constexpr int kPadded = PaddedCount(kRows);

struct MoonColumns {
    double d[kPadded], m[kPadded], mPrime[kPadded], f[kPadded];
    // sigma l (longitude rows) or sigma b (latitude rows), and sigma r.
    double sine[kPadded], cosine[kPadded];
    // Terms with the Sun's mean anomaly once in their argument shrink with
    // the Earth's orbital eccentricity by E, twice by E squared: the power
    // of E per row, looked up rather than branched on in the sums.
    int ePower[kPadded];

    MoonColumns() : d{}, m{}, mPrime{}, f{}, sine{}, cosine{}, ePower{}
    {
        for (int i = 0; i < kRows; ++i) {
            const bool ld = i < kLd;
            const MoonLongitudeDistanceRow& a = kMoonLongitudeDistanceRows[ld ? i : 0];
            const MoonLatitudeRow& b = kMoonLatitudeRows[ld ? 0 : i - kLd];
            d[i] = ld ? a.d : b.d;
            m[i] = ld ? a.m : b.m;
            mPrime[i] = ld ? a.mPrime : b.mPrime;
            f[i] = ld ? a.f : b.f;
            sine[i] = ld ? a.sigmaL : b.sigmaB;
            cosine[i] = ld ? a.sigmaR : 0;
            const double power = std::fabs(m[i]);
            ePower[i] = power == 1 ? 1 : (power == 2 ? 2 : 0);
        }
    }
};

const MoonColumns& Columns()
{
    static const MoonColumns columns;
    return columns;
}

}  // namespace

MoonSums MoonPeriodicSums(double jd)
{
    const double t = JulianCenturies(jd);
    const double lp = MoonMeanLongitude(jd);
    const double d = MoonMeanElongation(jd);
    const double m = SunMeanAnomaly(jd);
    const double mp = MoonMeanAnomaly(jd);
    const double f = MoonArgumentOfLatitude(jd);
    const double e = EccentricityFactor(jd);
    const double a1 = Reduce360(119.75 + 131.849 * t);
    const double a2 = Reduce360(53.09 + 479264.290 * t);
    const double a3 = Reduce360(313.45 + 481266.484 * t);

    const MoonColumns& col = Columns();
    double arg[kPadded];
    for (int i = 0; i < kPadded; ++i)
        arg[i] = DegToRad(col.d[i] * d + col.m[i] * m + col.mPrime[i] * mp + col.f[i] * f);
    double sinArg[kPadded];
    double cosArg[kPadded];
    SinCosArrays(arg, sinArg, cosArg, kPadded);

    const double ePowers[3] = {1, e, e * e};
    MoonSums sums{0, 0, 0};
    for (int i = 0; i < kLd; ++i) {
        const double w = ePowers[col.ePower[i]];
        sums.longitude += col.sine[i] * w * sinArg[i];
        sums.distance += col.cosine[i] * w * cosArg[i];
    }
    for (int i = kLd; i < kRows; ++i)
        sums.latitude += col.sine[i] * ePowers[col.ePower[i]] * sinArg[i];

    // Additive terms: Venus (A1), Jupiter (A2) and the Earth's flattening.
    auto sinDeg = [](double x) { return std::sin(DegToRad(x)); };
    sums.longitude += 3958 * sinDeg(a1) + 1962 * sinDeg(lp - f) + 318 * sinDeg(a2);
    sums.latitude += -2235 * sinDeg(lp) + 382 * sinDeg(a3) + 175 * sinDeg(a1 - f) +
                     175 * sinDeg(a1 + f) + 127 * sinDeg(lp - mp) - 115 * sinDeg(lp + mp);
    return sums;
}

MoonPosition MoonPositionAt(double jd, double nutationLongitude)
{
    const MoonSums sums = MoonPeriodicSums(jd);
    return {Reduce360(MoonMeanLongitude(jd) + sums.longitude / 1e6 + nutationLongitude / 3600),
            sums.latitude / 1e6, 385000.56 + sums.distance / 1000};
}

double MoonLongitude(double jd) { return MoonPositionAt(jd, NutationInLongitude(jd)).longitude; }

double MoonLatitude(double jd) { return MoonPeriodicSums(jd).latitude / 1e6; }

double MoonDistance(double jd) { return 385000.56 + MoonPeriodicSums(jd).distance / 1000; }

}  // namespace skyvane::engine
