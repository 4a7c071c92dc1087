// Speed of the astronomy engine: one scene, and its parts.
#include <benchmark/benchmark.h>

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
