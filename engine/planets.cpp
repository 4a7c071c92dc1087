#include "engine/planets.h"

#include <cmath>

#include "engine/body.h"
#include "engine/calendar.h"
#include "engine/series_tables.h"
#include "engine/transforms.h"
#include "engine/trig_kernels.h"
#include "engine/units.h"

namespace skyvane::engine {

namespace {

// The VSOP terms rearranged for the vector kernel: A, B and C each in one
// array, every series padded with zero terms to a multiple of the kernel
// width. Built once from the constant tables.
constexpr int kSeriesCount = kVsopPlanetCount * 3 * kVsopMaxOrder;
constexpr int kPackedCapacity = kVsopTermCount + kSeriesCount * (kKernelWidth - 1);

// One coordinate of one planet: its series of orders 0..5 lie one after
// another from `offset`; order k ends at offset + ends[k] (an absent order
// is an empty stretch).
struct PackedCoordinate {
    int offset;
    int ends[kVsopMaxOrder];
};

struct PackedTables {
    double a[kPackedCapacity];
    double b[kPackedCapacity];
    double c[kPackedCapacity];
    PackedCoordinate coordinates[kVsopPlanetCount][3];
};

const VsopCoordinate& Coordinate(const VsopPlanet& planet, int coordinate)
{
    return coordinate == 0 ? planet.longitude : (coordinate == 1 ? planet.latitude : planet.radius);
}

PackedTables Pack()
{
    PackedTables packed{};
    int used = 0;
    for (int p = 0; p < kVsopPlanetCount; ++p) {
        for (int coordinate = 0; coordinate < 3; ++coordinate) {
            PackedCoordinate& out = packed.coordinates[p][coordinate];
            out.offset = used;
            for (int order = 0; order < kVsopMaxOrder; ++order) {
                const VsopSeries& s = Coordinate(kVsopPlanets[p], coordinate).orders[order];
                for (int i = 0; i < s.count; ++i) {
                    packed.a[used + i] = s.terms[i].a;
                    packed.b[used + i] = s.terms[i].b;
                    packed.c[used + i] = s.terms[i].c;
                }
                used += PaddedCount(s.count);
                out.ends[order] = used - out.offset;
            }
        }
    }
    return packed;
}

// A function-local static so that callers from other static initialisers
// never see the tables before they are filled.
const PackedTables& Packed()
{
    static const PackedTables packed = Pack();
    return packed;
}

bool HasTheory(int body) { return body >= kMercury && body <= kNeptune; }

// S = S0 + S1 tau + ... + S5 tau^5, in units of 1e-8 rad or AU.
double SumCoordinate(int body, int coordinate, double tau)
{
    const PackedTables& packed = Packed();
    const PackedCoordinate& pc = packed.coordinates[body - kMercury][coordinate];
    double sums[kVsopMaxOrder];
    SumCosineSeriesRuns(packed.a + pc.offset, packed.b + pc.offset, packed.c + pc.offset,
                        pc.ends, kVsopMaxOrder, tau, sums);
    double total = 0;
    double power = 1;
    for (int order = 0; order < kVsopMaxOrder; ++order) {
        total += sums[order] * power;
        power *= tau;
    }
    return total;
}

double LongitudeFromSum(double s) { return Reduce360(RadToDeg(s / 1e8)); }
double LatitudeFromSum(double s) { return RadToDeg(s / 1e8); }
double RadiusFromSum(double s) { return s / 1e8; }

// The Sun's mean aberration, 20.4898" at one AU.
constexpr double kAberrationArcsec = 20.4898;

}  // namespace

double HeliocentricLongitude(int body, double jd)
{
    return HasTheory(body) ? LongitudeFromSum(SumCoordinate(body, 0, JulianMillennia(jd))) : 0;
}

double HeliocentricLatitude(int body, double jd)
{
    return HasTheory(body) ? LatitudeFromSum(SumCoordinate(body, 1, JulianMillennia(jd))) : 0;
}

double RadiusVector(int body, double jd)
{
    return HasTheory(body) ? RadiusFromSum(SumCoordinate(body, 2, JulianMillennia(jd))) : 0;
}

HeliocentricPosition HeliocentricPositionOf(int body, double jd)
{
    if (!HasTheory(body))
        return {0, 0, 0};
    const double tau = JulianMillennia(jd);
    return {LongitudeFromSum(SumCoordinate(body, 0, tau)),
            LatitudeFromSum(SumCoordinate(body, 1, tau)),
            RadiusFromSum(SumCoordinate(body, 2, tau))};
}

EclipticVector EclipticVector::Of(const HeliocentricPosition& p)
{
    const double l = DegToRad(p.longitude);
    const double b = DegToRad(p.latitude);
    return {p.radius * std::cos(b) * std::cos(l), p.radius * std::cos(b) * std::sin(l),
            p.radius * std::sin(b)};
}

void EclipticVectors(const HeliocentricPosition* positions, int count, EclipticVector* out)
{
    constexpr int kPadded = PaddedCount(2 * kVsopPlanetCount);
    double arg[kPadded] = {};
    const int n = count < kVsopPlanetCount ? count : kVsopPlanetCount;
    for (int i = 0; i < n; ++i) {
        arg[2 * i] = DegToRad(positions[i].longitude);
        arg[2 * i + 1] = DegToRad(positions[i].latitude);
    }
    double sinArg[kPadded];
    double cosArg[kPadded];
    SinCosArrays(arg, sinArg, cosArg, kPadded);
    for (int i = 0; i < n; ++i) {
        const double r = positions[i].radius;
        const double cosB = cosArg[2 * i + 1];
        out[i] = {r * cosB * cosArg[2 * i], r * cosB * sinArg[2 * i], r * sinArg[2 * i + 1]};
    }
}

GeocentricPosition GeocentricFromVectors(const EclipticVector& body, const EclipticVector& earth)
{
    const double x = body.x - earth.x;
    const double y = body.y - earth.y;
    const double z = body.z - earth.z;
    return {RadToDeg(std::atan2(y, x)), RadToDeg(std::atan2(z, std::sqrt(x * x + y * y))),
            std::sqrt(x * x + y * y + z * z)};
}

GeocentricPosition HeliocentricToGeocentric(double l0, double b0, double r0, double l, double b,
                                            double r)
{
    return GeocentricFromVectors(EclipticVector::Of({l, b, r}), EclipticVector::Of({l0, b0, r0}));
}

double SunGeometricLongitude(double jd)
{
    return Reduce360(HeliocentricLongitude(kEarth, jd) + 180);
}

double SunGeometricLatitude(double jd) { return -HeliocentricLatitude(kEarth, jd); }

namespace {

double Fk5Lambda(double longitude, double jd)
{
    const double t = JulianCenturies(jd);
    return DegToRad(longitude - 1.397 * t - 0.00031 * t * t);
}

}  // namespace

double Fk5CorrectionLongitude(double longitude, double latitude, double jd)
{
    const double lp = Fk5Lambda(longitude, jd);
    return DmsToDeg(0, 0,
                    -0.09033 + 0.03916 * (std::cos(lp) + std::sin(lp)) *
                                   std::tan(DegToRad(latitude)),
                    1);
}

double Fk5CorrectionLatitude(double longitude, double jd)
{
    const double lp = Fk5Lambda(longitude, jd);
    return DmsToDeg(0, 0, 0.03916 * (std::cos(lp) - std::sin(lp)), 1);
}

double SunApparentLongitude(const HeliocentricPosition& earth, double nutationLongitude, double jd)
{
    const double lambda = Reduce360(earth.longitude + 180);
    const double beta = -earth.latitude;
    return (lambda + Fk5CorrectionLongitude(lambda, beta, jd)) + nutationLongitude / 3600 -
           kAberrationArcsec / earth.radius / 3600;
}

double SunApparentLatitude(const HeliocentricPosition& earth, double jd)
{
    const double lambda = Reduce360(earth.longitude + 180);
    return -earth.latitude + Fk5CorrectionLatitude(lambda, jd);
}

double SunApparentLongitude(double jd)
{
    return SunApparentLongitude(HeliocentricPositionOf(kEarth, jd), NutationInLongitude(jd), jd);
}

double SunApparentLatitude(double jd)
{
    return SunApparentLatitude(HeliocentricPositionOf(kEarth, jd), jd);
}

}  // namespace skyvane::engine
