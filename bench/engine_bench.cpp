// Speed of the astronomy engine: one scene, and its parts.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/apparent_place.h"
#include "engine/moon.h"
#include "engine/planets.h"
#include "engine/sky.h"
#include "engine/transforms.h"

namespace {

using namespace skyvane::engine;

// Instants a day and a bit apart so no branch or cache sees the same input
// twice in a row.
double NextJulianDay(double& jd)
{
    jd += 1.0123;
    if (jd > 2470000)
        jd = 2440000;
    return jd;
}

void BM_ComputeSky(benchmark::State& st)
{
    SkyCalculator calculator;
    SkyState sky{};
    sky.year = 2006;
    sky.month = 6;
    sky.day = 21;
    sky.hour = 12;
    sky.timeZone = -5;
    sky.dst = 1;
    sky.longitude = 74.006;
    sky.latitude = 40.714;
    for (auto _ : st) {
        // As an animation tick does: step, compute, fold the shown instant back.
        sky.second += 240;
        calculator.ComputeSky(sky);
        FoldShownInstant(sky);
        benchmark::DoNotOptimize(sky.altitude);
    }
}
BENCHMARK(BM_ComputeSky);

void BM_PlanetPosition(benchmark::State& st)
{
    const int body = static_cast<int>(st.range(0));
    st.SetLabel(BodyName(body));
    double jd = 2451545;
    for (auto _ : st)
        benchmark::DoNotOptimize(HeliocentricPositionOf(body, NextJulianDay(jd)));
}
BENCHMARK(BM_PlanetPosition)->DenseRange(kMercury, kNeptune);

void BM_Moon(benchmark::State& st)
{
    double jd = 2451545;
    for (auto _ : st)
        benchmark::DoNotOptimize(MoonPositionAt(NextJulianDay(jd), 0));
}
BENCHMARK(BM_Moon);

void BM_Nutation(benchmark::State& st)
{
    double jd = 2451545;
    for (auto _ : st)
        benchmark::DoNotOptimize(NutationAt(NextJulianDay(jd)));
}
BENCHMARK(BM_Nutation);

}  // namespace

namespace {

// The frame of one instant: long-term precession, nutation matrix and the
// Earth's velocity for aberration.
void BM_ApparentPlaceFrame(benchmark::State& st)
{
    double jd = 2451545;
    for (auto _ : st)
        benchmark::DoNotOptimize(ApparentPlaceFrameAt(NextJulianDay(jd)));
}
BENCHMARK(BM_ApparentPlaceFrame);

// The whole catalogue (9,110 stars and 110 Messier objects) carried from
// J2000 to the apparent place of a new instant, frame included.
void BM_CarryCatalogue(benchmark::State& st)
{
    constexpr int kObjects = 9220;
    std::vector<double> x(kObjects), y(kObjects), z(kObjects);
    for (int i = 0; i < kObjects; ++i) {
        const UnitVector u = UnitVectorOf(i * 24.0 / kObjects, -89.9 + i * 179.8 / kObjects);
        x[i] = u.x, y[i] = u.y, z[i] = u.z;
    }
    std::vector<double> ox(kObjects), oy(kObjects), oz(kObjects);
    double jd = 2451545;
    for (auto _ : st) {
        const ApparentPlaceFrame frame = ApparentPlaceFrameAt(NextJulianDay(jd));
        ApparentDirections(frame, x.data(), y.data(), z.data(), kObjects, ox.data(), oy.data(),
                           oz.data());
        benchmark::DoNotOptimize(ox.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CarryCatalogue);

// One J2000 place to its apparent place with the frame at hand, as a deep
// sky view carries each object it shows.
void BM_ApparentPlaceOfOneObject(benchmark::State& st)
{
    const ApparentPlaceFrame frame = ApparentPlaceFrameAt(2461382.5);
    double ra = 0;
    for (auto _ : st) {
        ra = ra > 23.9 ? 0 : ra + 0.0137;
        benchmark::DoNotOptimize(ApparentPlace(frame, ra, 41.27));
    }
}
BENCHMARK(BM_ApparentPlaceOfOneObject);

}  // namespace
