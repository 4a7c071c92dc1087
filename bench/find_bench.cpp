// Speed of finding by name: building the name index of the full catalogue,
// one lookup with its completion list as the dialog asks for it on each key,
// and the rise, transit and set of one object.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/body.h"
#include "engine/calendar.h"
#include "engine/rise_set.h"
#include "skydata/data_file.h"
#include "skydata/name_index.h"
#include "skydata/sky_data.h"
#include "bench/real_catalogue.h"

namespace {

using namespace skyvane;

void BM_NameIndexBuild(benchmark::State& st)
{
    const skydata::SkyCatalogue& catalogue = RealCatalogue();
    std::size_t names = 0;
    for (auto _ : st) {
        const skydata::NameIndex index(catalogue);
        names = index.size();
        benchmark::DoNotOptimize(names);
    }
    st.counters["names"] = static_cast<double>(names);
}
BENCHMARK(BM_NameIndexBuild)->Unit(benchmark::kMillisecond);

// What the dialog does for each key: the whole name looked up, and the
// list of completions of it.
void BM_NameLookupWithCompletion(benchmark::State& st)
{
    const skydata::NameIndex index(RealCatalogue());
    const std::vector<std::string> typed = {"Sirius", "alf CMa", "M 31", "HR 2491", "Jupiter",
                                            "bet",    "Alpha Or", "58 Ori", "sao 1", "Zuben"};
    std::vector<skydata::NameMatch> completions;
    std::size_t i = 0;
    for (auto _ : st) {
        const std::string& name = typed[i++ % typed.size()];
        benchmark::DoNotOptimize(index.Find(name));
        index.Complete(name, 12, completions);
        benchmark::DoNotOptimize(completions.data());
    }
}
BENCHMARK(BM_NameLookupWithCompletion)->Unit(benchmark::kMicrosecond);

// Zurich, the civil day of 2026-12-07.
void BM_RiseTransitSet(benchmark::State& st)
{
    const int which = static_cast<int>(st.range(0));
    const engine::RiseSetTarget target = which < 0 ? engine::RiseSetTarget::Star(6.7525, -16.7161)
                                                   : engine::RiseSetTarget::Body(which);
    const double altitude =
        which < 0 ? engine::kStarStandardAltitude : engine::StandardAltitude(which);
    const double dayStart = engine::JulianDay(2026, 12, 7, 1) - 1.0 / 24;
    for (auto _ : st) {
        const engine::RiseTransitSet r =
            engine::FindRiseTransitSet(target, dayStart, -8.5, 47.32, altitude);
        benchmark::DoNotOptimize(r);
    }
    st.SetLabel(which < 0 ? "Sirius" : engine::BodyName(which));
}
BENCHMARK(BM_RiseTransitSet)
    ->Arg(-1)
    ->Arg(engine::kSun)
    ->Arg(engine::kMoon)
    ->Arg(engine::kMercury)
    ->Arg(engine::kJupiter)
    ->Arg(engine::kNeptune)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
