#include "engine/transforms.h"

#include <cmath>

#include "engine/calendar.h"
#include "engine/series_tables.h"
#include "engine/trig_kernels.h"
#include "engine/units.h"

namespace skyvane::engine {

namespace {

// Rounding can carry the sine of an angle a hair past 1 near the poles;
// asin would then give NaN instead of 90 degrees.
double ClampedAsin(double x) { return std::asin(x > 1 ? 1 : (x < -1 ? -1 : x)); }

}  // namespace

double MeanObliquity(double jd)
{
    const double u = TenThousandYears(jd);
    // Coefficients of u^0 .. u^10 in arc seconds.
    static constexpr double kArcsec[] = {0,       -4680.93, -1.55, 1999.25, -51.38, -249.67,
                                         -39.05,  7.12,     27.87, 5.79,    2.45};
    double epsilon = DmsToDeg(23, 26, 21.448, 1);
    double power = 1;
    for (int i = 1; i < 11; ++i) {
        power *= u;
        epsilon += DmsToDeg(0, 0, kArcsec[i], 1) * power;
    }
    return epsilon;
}

namespace {

// The nutation rows as columns of doubles, so the arguments and sums run
// over plain arrays the compiler can vectorise; built once.
constexpr int kNutationPadded = PaddedCount(kNutationRowCount);

struct NutationColumns {
    double d[kNutationPadded], m[kNutationPadded], mPrime[kNutationPadded],
        f[kNutationPadded], omega[kNutationPadded];
    double s[kNutationPadded], sRate[kNutationPadded], c[kNutationPadded],
        cRate[kNutationPadded];

    NutationColumns() : d{}, m{}, mPrime{}, f{}, omega{}, s{}, sRate{}, c{}, cRate{}
    {
        for (int i = 0; i < kNutationRowCount; ++i) {
            const NutationRow& row = kNutationRows[i];
            d[i] = row.d;
            m[i] = row.m;
            mPrime[i] = row.mPrime;
            f[i] = row.f;
            omega[i] = row.omega;
            s[i] = row.s;
            sRate[i] = row.sRate;
            c[i] = row.c;
            cRate[i] = row.cRate;
        }
    }
};

const NutationColumns& Columns()
{
    static const NutationColumns columns;
    return columns;
}

}  // namespace

Nutation NutationAt(double jd)
{
    const double t = JulianCenturies(jd);
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double d = Reduce360(297.85036 + 445267.111480 * t - 0.0019142 * t2 + t3 / 189474);
    const double m = Reduce360(357.52772 + 35999.050340 * t - 0.0001603 * t2 - t3 / 300000);
    const double mp = Reduce360(134.96298 + 477198.867398 * t + 0.0086972 * t2 + t3 / 56250);
    const double f = Reduce360(93.27191 + 483202.017538 * t - 0.0036825 * t2 + t3 / 327270);
    const double om = Reduce360(125.04452 - 1934.136261 * t + 0.0020708 * t2 + t3 / 450000);

    const NutationColumns& col = Columns();
    double arg[kNutationPadded];
    for (int i = 0; i < kNutationPadded; ++i)
        arg[i] = DegToRad(col.d[i] * d + col.m[i] * m + col.mPrime[i] * mp + col.f[i] * f +
                          col.omega[i] * om);
    double sinArg[kNutationPadded];
    double cosArg[kNutationPadded];
    SinCosArrays(arg, sinArg, cosArg, kNutationPadded);

    // Padding rows have zero coefficients and add nothing.
    Nutation out{0, 0};
    for (int i = 0; i < kNutationPadded; ++i) {
        out.longitude += (col.s[i] + col.sRate[i] * t) * sinArg[i] * 0.0001;
        out.obliquity += (col.c[i] + col.cRate[i] * t) * cosArg[i] * 0.0001;
    }
    return out;
}

double NutationInLongitude(double jd) { return NutationAt(jd).longitude; }
double NutationInObliquity(double jd) { return NutationAt(jd).obliquity; }

double TrueObliquity(double meanObliquity, const Nutation& nutation)
{
    return meanObliquity + nutation.obliquity / 3600;
}

double TrueObliquity(double jd) { return TrueObliquity(MeanObliquity(jd), NutationAt(jd)); }

double GreenwichApparentSiderealTime(double jd, double meanObliquity, const Nutation& nutation)
{
    // The equation of the equinoxes, delta psi * cos(epsilon), from arc
    // seconds into hours of time.
    const double epsilon = DegToRad(meanObliquity + nutation.obliquity / 3600);
    return Reduce24(GreenwichMeanSiderealTime(jd) + nutation.longitude * std::cos(epsilon) / 54000);
}

double GreenwichApparentSiderealTime(double jd)
{
    return GreenwichApparentSiderealTime(jd, MeanObliquity(jd), NutationAt(jd));
}

AngleTrig AngleTrig::OfDegrees(double degrees)
{
    const double r = DegToRad(degrees);
    return {std::sin(r), std::cos(r)};
}

namespace {

// The conversions proper, from the sines and cosines of their angles; the
// single and the batch forms below differ only in where those come from.
Equatorial EquatorialFromTrig(const AngleTrig& l, const AngleTrig& b, double tanB,
                              const AngleTrig& obliquity)
{
    double ra = RadToHours(std::atan2(l.sin * obliquity.cos - tanB * obliquity.sin, l.cos));
    if (ra < 0)
        ra += 24;
    // -1e-17 h comes back as exactly 24 after the addition; keep the range.
    if (ra >= 24)
        ra -= 24;
    const double dec = RadToDeg(ClampedAsin(b.sin * obliquity.cos + b.cos * obliquity.sin * l.sin));
    return {ra, dec};
}

Horizontal HorizontalFromTrig(const AngleTrig& h, const AngleTrig& d, double tanD,
                              const AngleTrig& latitude)
{
    double az = RadToDeg(std::atan2(h.sin, h.cos * latitude.sin - tanD * latitude.cos));
    if (az < 0)
        az += 360;
    if (az >= 360)
        az -= 360;
    const double alt = RadToDeg(ClampedAsin(latitude.sin * d.sin + latitude.cos * d.cos * h.cos));
    return {az, alt};
}

AngleTrig OfRadians(double r) { return {std::sin(r), std::cos(r)}; }

// Sines and cosines of two angles per item, radians, through the series
// kernel: first[i] and second[i] for i < count.
constexpr int kMaxBatch = 16;

struct BatchTrig {
    double sinArg[2 * kMaxBatch];
    double cosArg[2 * kMaxBatch];
    int count;

    BatchTrig(const double* first, const double* second, int n) : count(n)
    {
        double arg[2 * kMaxBatch] = {};
        for (int i = 0; i < n; ++i) {
            arg[i] = first[i];
            arg[kMaxBatch + i] = second[i];
        }
        SinCosArrays(arg, sinArg, cosArg, 2 * kMaxBatch);
    }
    AngleTrig First(int i) const { return {sinArg[i], cosArg[i]}; }
    AngleTrig Second(int i) const { return {sinArg[kMaxBatch + i], cosArg[kMaxBatch + i]}; }
};

}  // namespace

Equatorial EclipticToEquatorial(double longitude, double latitude, double obliquity)
{
    const double b = DegToRad(latitude);
    return EquatorialFromTrig(OfRadians(DegToRad(longitude)), OfRadians(b), std::tan(b),
                              AngleTrig::OfDegrees(obliquity));
}

Horizontal EquatorialToHorizontal(double hourAngle, double declination, double latitude)
{
    const double d = DegToRad(declination);
    return HorizontalFromTrig(OfRadians(HoursToRad(hourAngle)), OfRadians(d), std::tan(d),
                              AngleTrig::OfDegrees(latitude));
}

namespace {

// Runs `convert` over `count` items in batches, handing it the sines and
// cosines of the two angles of each item (the first's unit turned into
// radians by `firstToRad`, the second in degrees) and the second's tangent.
template <typename Result, typename Convert>
void ConvertInBatches(const double* first, double (*firstToRad)(double), const double* second,
                      int count, Result* out, Convert convert)
{
    for (int start = 0; start < count; start += kMaxBatch) {
        const int n = count - start < kMaxBatch ? count - start : kMaxBatch;
        double a[kMaxBatch];
        double b[kMaxBatch];
        for (int i = 0; i < n; ++i) {
            a[i] = firstToRad(first[start + i]);
            b[i] = DegToRad(second[start + i]);
        }
        const BatchTrig trig(a, b, n);
        for (int i = 0; i < n; ++i) {
            const AngleTrig bt = trig.Second(i);
            out[start + i] = convert(trig.First(i), bt, bt.sin / bt.cos);
        }
    }
}

}  // namespace

void EclipticToEquatorial(const double* longitude, const double* latitude, int count,
                          const AngleTrig& obliquity, Equatorial* out)
{
    ConvertInBatches(longitude, DegToRad, latitude, count, out,
                     [&](const AngleTrig& l, const AngleTrig& b, double tanB) {
                         return EquatorialFromTrig(l, b, tanB, obliquity);
                     });
}

void EquatorialToHorizontal(const double* hourAngle, const double* declination, int count,
                            const AngleTrig& latitude, Horizontal* out)
{
    ConvertInBatches(hourAngle, HoursToRad, declination, count, out,
                     [&](const AngleTrig& h, const AngleTrig& d, double tanD) {
                         return HorizontalFromTrig(h, d, tanD, latitude);
                     });
}

double HourAngle(double siderealTime, double longitude, double ra)
{
    return siderealTime - longitude / 15 - ra;
}

}  // namespace skyvane::engine
