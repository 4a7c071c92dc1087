#include "engine/apparent_place.h"

#include <cmath>

#include "engine/calendar.h"
#include "engine/trig_kernels.h"
#include "engine/units.h"

namespace skyvane::engine {

namespace {

constexpr double kArcsecondToRadian = 4.848136811095359935899141e-6;
constexpr double kTwoPi = 6.283185307179586476925287;

UnitVector Cross(const UnitVector& a, const UnitVector& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

UnitVector Normalised(const UnitVector& v)
{
    const double n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return n > 0 ? UnitVector{v.x / n, v.y / n, v.z / n} : UnitVector{0, 0, 1};
}

// The long-term precession model's pole motions: polynomials in centuries
// since 2000 (arc seconds per power) and periodic terms (period in
// centuries, then the cosine and sine amplitudes, arc seconds).
struct PolePolynomial {
    double first[4];
    double second[4];
};
struct PoleTerm {
    double period;
    double cosFirst;
    double cosSecond;
    double sinFirst;
    double sinSecond;
};

// The equator pole's X and Y.
constexpr PolePolynomial kEquatorPolynomial = {
    {5453.282155, 0.4252841, -0.00037173, -0.000000152},
    {-73750.930350, -0.7675452, -0.00018725, 0.000000231}};
constexpr PoleTerm kEquatorTerms[] = {
    {256.75, -819.940624, 75004.344875, 81491.287984, 1558.515853},
    {708.15, -8444.676815, 624.033993, 787.163481, 7774.939698},
    {274.20, 2600.009459, 1251.136893, 1251.296102, -2219.534038},
    {241.45, 2755.175630, -1102.212834, -1257.950837, -2523.969396},
    {2309.00, -167.659835, -2660.664980, -2966.799730, 247.850422},
    {492.20, 871.855056, 699.291817, 639.744522, -846.485643},
    {396.10, 44.769698, 153.167220, 131.600209, -1393.124055},
    {288.90, -512.313065, -950.865637, -445.040117, 368.526116},
    {231.10, -819.415595, 499.754645, 584.522874, 749.045012},
    {1610.00, -538.071099, -145.188210, -89.756563, 444.704518},
    {620.00, -189.793622, 558.116553, 524.429630, 235.934465},
    {157.87, -402.922932, -23.923029, -13.549067, 374.049623},
    {220.30, 179.516345, -165.405086, -210.157124, -171.330180},
    {1200.00, -9.814756, 9.344131, -44.919798, -22.899655},
};
constexpr int kEquatorTermCount = sizeof kEquatorTerms / sizeof kEquatorTerms[0];

// The ecliptic pole's P and Q.
constexpr PolePolynomial kEclipticPolynomial = {
    {5851.607687, -0.1189000, -0.00028913, 0.000000101},
    {-1600.886300, 1.1689818, -0.00000020, -0.000000437}};
constexpr PoleTerm kEclipticTerms[] = {
    {708.15, -5486.751211, -684.661560, 667.666730, -5523.863691},
    {2309.00, -17.127623, 2446.283880, -2354.886252, -549.747450},
    {1620.00, -617.517403, 399.671049, -428.152441, -310.998056},
    {492.20, 413.442940, -356.652376, 376.202861, 421.535876},
    {1183.00, 78.614193, -186.387003, 184.778874, -36.776172},
    {622.00, -180.732815, -316.800070, 335.321713, -145.278396},
    {882.00, -87.676083, 198.296701, -185.138669, -34.744450},
    {547.00, 46.140315, 101.135679, -120.972830, 22.885731},
};
constexpr int kEclipticTermCount = sizeof kEclipticTerms / sizeof kEclipticTerms[0];

// Obliquity of J2000 that the ecliptic pole is referred to, arc seconds.
constexpr double kJ2000Obliquity = 84381.406;

double CenturiesOfEpoch(double terrestrialJulianDay)
{
    // Julian epoch 2000 + days / 365.25, in centuries since 2000.
    return (terrestrialJulianDay - kJ2000) / 36525;
}

// Both sums (first, second) of a pole's motion at t centuries, radians; the
// sines and cosines come from `sinArg`, `cosArg` at `offset`.
template <int N>
void PoleSums(const PolePolynomial& poly, const PoleTerm (&terms)[N], const double* sinArg,
              const double* cosArg, double t, double& first, double& second)
{
    first = 0;
    second = 0;
    for (int i = 0; i < N; ++i) {
        first += cosArg[i] * terms[i].cosFirst + sinArg[i] * terms[i].sinFirst;
        second += cosArg[i] * terms[i].cosSecond + sinArg[i] * terms[i].sinSecond;
    }
    double power = 1;
    for (int i = 0; i < 4; ++i) {
        first += poly.first[i] * power;
        second += poly.second[i] * power;
        power *= t;
    }
    first *= kArcsecondToRadian;
    second *= kArcsecondToRadian;
}

// The arguments of both poles' periodic terms in one array padded for the
// series kernel: equator terms first, then the ecliptic's.
constexpr int kPoleArgCount = PaddedCount(kEquatorTermCount + kEclipticTermCount);

struct PoleTrig {
    double sinArg[kPoleArgCount];
    double cosArg[kPoleArgCount];

    explicit PoleTrig(double t)
    {
        double arg[kPoleArgCount] = {};
        const double w = kTwoPi * t;
        for (int i = 0; i < kEquatorTermCount; ++i)
            arg[i] = w / kEquatorTerms[i].period;
        for (int i = 0; i < kEclipticTermCount; ++i)
            arg[kEquatorTermCount + i] = w / kEclipticTerms[i].period;
        SinCosArrays(arg, sinArg, cosArg, kPoleArgCount);
    }
};

UnitVector EquatorPole(const PoleTrig& trig, double t)
{
    double x = 0;
    double y = 0;
    PoleSums(kEquatorPolynomial, kEquatorTerms, trig.sinArg, trig.cosArg, t, x, y);
    const double w = 1 - x * x - y * y;
    return {x, y, w < 0 ? 0 : std::sqrt(w)};
}

UnitVector EclipticPole(const PoleTrig& trig, double t)
{
    double p = 0;
    double q = 0;
    PoleSums(kEclipticPolynomial, kEclipticTerms, trig.sinArg + kEquatorTermCount,
             trig.cosArg + kEquatorTermCount, t, p, q);
    double w = 1 - p * p - q * q;
    w = w < 0 ? 0 : std::sqrt(w);
    static const double s = std::sin(kJ2000Obliquity * kArcsecondToRadian);
    static const double c = std::cos(kJ2000Obliquity * kArcsecondToRadian);
    return {p, -q * c - w * s, -q * s + w * c};
}

RotationMatrix PrecessionFromPoles(const UnitVector& equator, const UnitVector& ecliptic)
{
    // The equinox is where the two planes meet; the rows of the matrix are
    // the equinox, the direction 90 degrees east of it on the equator, and
    // the pole of the equator.
    const UnitVector equinox = Normalised(Cross(equator, ecliptic));
    const UnitVector middle = Cross(equator, equinox);
    RotationMatrix r;
    r.m[0][0] = equinox.x, r.m[0][1] = equinox.y, r.m[0][2] = equinox.z;
    r.m[1][0] = middle.x, r.m[1][1] = middle.y, r.m[1][2] = middle.z;
    r.m[2][0] = equator.x, r.m[2][1] = equator.y, r.m[2][2] = equator.z;
    return r;
}

// The Earth's orbital velocity over the speed of light in the ecliptic and
// equinox of date, from the Sun's geometric longitude and the orbit's
// eccentricity and perihelion: accurate to a few hundredths of an arc
// second in the aberration, which needs nothing finer.
UnitVector EarthVelocityOverLight(double terrestrialJulianDay)
{
    const double t = JulianCenturies(terrestrialJulianDay);
    const double meanLongitude = 280.46646 + 36000.76983 * t + 0.0003032 * t * t;
    const double meanAnomaly = DegToRad(357.52911 + 35999.05029 * t - 0.0001537 * t * t);
    const double centre = (1.914602 - 0.004817 * t - 0.000014 * t * t) * std::sin(meanAnomaly) +
                          (0.019993 - 0.000101 * t) * std::sin(2 * meanAnomaly) +
                          0.000289 * std::sin(3 * meanAnomaly);
    const double sun = DegToRad(meanLongitude + centre);
    const double e = 0.016708634 - 0.000042037 * t - 0.0000001267 * t * t;
    const double perihelion = DegToRad(102.93735 + 1.71946 * t + 0.00046 * t * t);
    // The constant of aberration, radians.
    constexpr double kAberration = 20.49552 * kArcsecondToRadian;
    // The Earth moves towards the longitude of the Sun minus 90 degrees.
    return {kAberration * (std::sin(sun) - e * std::sin(perihelion)),
            kAberration * (-std::cos(sun) + e * std::cos(perihelion)), 0};
}

// p + v - (p.v) p adds to the unit vector p a part w perpendicular to it,
// so its length is sqrt(1 + w.w) with w.w = v.v - (p.v)^2, about 1e-8: the
// factor 1 - w.w / 2 brings it back to unit length far below a rounding.
UnitVector Aberrated(const UnitVector& p, const UnitVector& v)
{
    const double pv = p.x * v.x + p.y * v.y + p.z * v.z;
    const double k = 1 - 0.5 * (v.x * v.x + v.y * v.y + v.z * v.z - pv * pv);
    return {k * (p.x + v.x - pv * p.x), k * (p.y + v.y - pv * p.y), k * (p.z + v.z - pv * p.z)};
}

}  // namespace

UnitVector UnitVectorOf(double rightAscensionHours, double declinationDegrees)
{
    const double a = HoursToRad(rightAscensionHours);
    const double d = DegToRad(declinationDegrees);
    const double cd = std::cos(d);
    return {cd * std::cos(a), cd * std::sin(a), std::sin(d)};
}

Equatorial EquatorialOf(const UnitVector& v)
{
    double ra = RadToHours(Arctangent2(v.y, v.x));
    if (ra < 0)
        ra += 24;
    if (ra >= 24)
        ra -= 24;
    // atan2 rather than asin: exact near the poles, whatever the length.
    return {ra, RadToDeg(Arctangent2(v.z, std::sqrt(v.x * v.x + v.y * v.y)))};
}

UnitVector RotationMatrix::Apply(const UnitVector& v) const
{
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

UnitVector RotationMatrix::ApplyInverse(const UnitVector& v) const
{
    return {m[0][0] * v.x + m[1][0] * v.y + m[2][0] * v.z,
            m[0][1] * v.x + m[1][1] * v.y + m[2][1] * v.z,
            m[0][2] * v.x + m[1][2] * v.y + m[2][2] * v.z};
}

RotationMatrix operator*(const RotationMatrix& a, const RotationMatrix& b)
{
    RotationMatrix r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}

UnitVector LongTermEquatorPole(double terrestrialJulianDay)
{
    const double t = CenturiesOfEpoch(terrestrialJulianDay);
    return EquatorPole(PoleTrig(t), t);
}

UnitVector LongTermEclipticPole(double terrestrialJulianDay)
{
    const double t = CenturiesOfEpoch(terrestrialJulianDay);
    return EclipticPole(PoleTrig(t), t);
}

RotationMatrix PrecessionMatrix(double terrestrialJulianDay)
{
    const double t = CenturiesOfEpoch(terrestrialJulianDay);
    const PoleTrig trig(t);
    return PrecessionFromPoles(EquatorPole(trig, t), EclipticPole(trig, t));
}

RotationMatrix NutationMatrix(double meanObliquity, const Nutation& nutation)
{
    // Rx(-(eps + d eps)) Rz(-d psi) Rx(eps), multiplied out. Nutation is
    // below 20 arc seconds (1e-4 rad), so its sine and cosine are the first
    // terms of their series to far below a rounding (the next is 2e-13).
    const double mean = DegToRad(meanObliquity);
    const double se = std::sin(mean);
    const double ce = std::cos(mean);
    const double de = nutation.obliquity * kArcsecondToRadian;
    const double dp = nutation.longitude * kArcsecondToRadian;
    const double sde = de - de * de * de / 6, cde = 1 - de * de / 2;
    const double sp = dp - dp * dp * dp / 6, cp = 1 - dp * dp / 2;
    // The true obliquity from the mean one and its small change.
    const double st = se * cde + ce * sde;
    const double ct = ce * cde - se * sde;
    RotationMatrix r;
    r.m[0][0] = cp;
    r.m[0][1] = -sp * ce;
    r.m[0][2] = -sp * se;
    r.m[1][0] = sp * ct;
    r.m[1][1] = cp * ct * ce + st * se;
    r.m[1][2] = cp * ct * se - st * ce;
    r.m[2][0] = sp * st;
    r.m[2][1] = cp * st * ce - ct * se;
    r.m[2][2] = cp * st * se + ct * ce;
    return r;
}

namespace {

// The Earth's velocity over light from the ecliptic and equinox of date
// into the true equator of date.
UnitVector EquatorialVelocity(const UnitVector& ecliptic, double meanObliquity,
                              const Nutation& nutation)
{
    const double epsilon = DegToRad(meanObliquity + nutation.obliquity / 3600);
    const double s = std::sin(epsilon);
    const double c = std::cos(epsilon);
    return {ecliptic.x, ecliptic.y * c - ecliptic.z * s, ecliptic.y * s + ecliptic.z * c};
}

}  // namespace

ApparentPlaceFrame ApparentPlaceFrameAt(double terrestrialJulianDay, double meanObliquity,
                                        const Nutation& nutation,
                                        const UnitVector& earthVelocityOverLight)
{
    ApparentPlaceFrame frame;
    frame.terrestrialJulianDay = terrestrialJulianDay;
    frame.toDate = NutationMatrix(meanObliquity, nutation) * PrecessionMatrix(terrestrialJulianDay);
    frame.earthVelocity = EquatorialVelocity(earthVelocityOverLight, meanObliquity, nutation);
    return frame;
}

ApparentPlaceFrame ApparentPlaceFrameAt(double terrestrialJulianDay, double meanObliquity,
                                        const Nutation& nutation)
{
    return ApparentPlaceFrameAt(terrestrialJulianDay, meanObliquity, nutation,
                                EarthVelocityOverLight(terrestrialJulianDay));
}

ApparentPlaceFrame ApparentPlaceFrameAt(double terrestrialJulianDay)
{
    return ApparentPlaceFrameAt(terrestrialJulianDay, MeanObliquity(terrestrialJulianDay),
                                NutationAt(terrestrialJulianDay));
}

UnitVector ApparentDirection(const ApparentPlaceFrame& frame, const UnitVector& catalogue)
{
    return Aberrated(frame.toDate.Apply(catalogue), frame.earthVelocity);
}

Equatorial ApparentPlace(const ApparentPlaceFrame& frame, double rightAscensionHours,
                         double declinationDegrees)
{
    return EquatorialOf(
        ApparentDirection(frame, UnitVectorOf(rightAscensionHours, declinationDegrees)));
}

Equatorial CataloguePlace(const ApparentPlaceFrame& frame, double rightAscensionHours,
                          double declinationDegrees)
{
    const UnitVector apparent = UnitVectorOf(rightAscensionHours, declinationDegrees);
    const UnitVector& v = frame.earthVelocity;
    const UnitVector mean = Aberrated(apparent, {-v.x, -v.y, -v.z});
    return EquatorialOf(frame.toDate.ApplyInverse(mean));
}

// The catalogue loop is the one place where wide vectors pay; where the
// loader picks among builds at load time, there are two.
#if defined(__x86_64__) && defined(__ELF__) && defined(__GLIBC__)
__attribute__((target_clones("arch=x86-64-v3", "default")))
#endif
void ApparentDirections(const ApparentPlaceFrame& frame, const double* __restrict x,
                        const double* __restrict y, const double* __restrict z, int count,
                        double* __restrict outX, double* __restrict outY,
                        double* __restrict outZ)
{
    const auto& m = frame.toDate.m;
    const double m00 = m[0][0], m01 = m[0][1], m02 = m[0][2];
    const double m10 = m[1][0], m11 = m[1][1], m12 = m[1][2];
    const double m20 = m[2][0], m21 = m[2][1], m22 = m[2][2];
    const double vx = frame.earthVelocity.x, vy = frame.earthVelocity.y,
                 vz = frame.earthVelocity.z;
    const double vv = vx * vx + vy * vy + vz * vz;
    // Aberrated(), written out so the loop vectorises.
    for (int i = 0; i < count; ++i) {
        const double px = m00 * x[i] + m01 * y[i] + m02 * z[i];
        const double py = m10 * x[i] + m11 * y[i] + m12 * z[i];
        const double pz = m20 * x[i] + m21 * y[i] + m22 * z[i];
        const double pv = px * vx + py * vy + pz * vz;
        const double k = 1 - 0.5 * (vv - pv * pv);
        outX[i] = k * (px + vx - pv * px);
        outY[i] = k * (py + vy - pv * py);
        outZ[i] = k * (pz + vz - pv * pz);
    }
}

}  // namespace skyvane::engine
