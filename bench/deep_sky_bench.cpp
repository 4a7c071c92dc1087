// The deep sky: reading the deep-sky file (time and memory), the name
// index built with it, lookups of the new kinds of name, and the sky-cell
// queries a zoomed frame makes at each field.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "skydata/data_file.h"
#include "skydata/deep_sky.h"
#include "skydata/name_index.h"
#include "skydata/sky_data.h"
#include "bench/real_catalogue.h"

namespace {

using namespace skyvane;

const std::vector<unsigned char>& DeepSkyBytes()
{
    static const std::vector<unsigned char> bytes = [] {
        std::ifstream in(SKYVANE_DEEPSKY_BIN, std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

std::shared_ptr<const skydata::DeepSkyCatalogue> DeepSky()
{
    static const auto deep = [] {
        std::string why;
        auto d = skydata::ReadDeepSky(DeepSkyBytes(), why);
        if (!d) std::abort();
        return d;
    }();
    return deep;
}

// From the file on disk to a catalogue with its sky cells and lookups.
void BM_DeepSkyLoad(benchmark::State& st)
{
    std::size_t bytes = 0;
    for (auto _ : st) {
        std::string why;
        const auto deep = skydata::LoadDeepSkyFile(SKYVANE_DEEPSKY_BIN, why);
        if (!deep) std::abort();
        bytes = deep->MemoryBytes();
    }
    st.counters["MB"] = static_cast<double>(bytes) / (1 << 20);
    st.counters["fileMB"] = static_cast<double>(DeepSkyBytes().size()) / (1 << 20);
}
BENCHMARK(BM_DeepSkyLoad)->Unit(benchmark::kMillisecond);

void BM_NameIndexBuildWithDeepSky(benchmark::State& st)
{
    const auto deep = DeepSky();
    std::size_t names = 0;
    for (auto _ : st) {
        const skydata::NameIndex index(RealCatalogue(), deep);
        names = index.size();
        benchmark::DoNotOptimize(names);
    }
    st.counters["names"] = static_cast<double>(names);
}
BENCHMARK(BM_NameIndexBuildWithDeepSky)->Unit(benchmark::kMillisecond);

void BM_DeepNameLookup(benchmark::State& st)
{
    const skydata::NameIndex index(RealCatalogue(), DeepSky());
    const std::vector<std::string> typed = {"NGC 7000", "IC 434",   "HIP 32349", "North America Nebula",
                                            "ngc224",   "NGC 5194A", "HIP 1",    "Double Cluster"};
    std::size_t i = 0;
    for (auto _ : st) benchmark::DoNotOptimize(index.Find(typed[i++ % typed.size()]));
}
BENCHMARK(BM_DeepNameLookup)->Unit(benchmark::kMicrosecond);

// A frame's query: stars and objects in the field down to its limiting
// magnitude. Arguments: field in degrees, limiting magnitude x 10.
void BM_SkyCellQuery(benchmark::State& st)
{
    const auto deep = DeepSky();
    const double field = static_cast<double>(st.range(0));
    const double limit = static_cast<double>(st.range(1)) / 10;
    // The Double Cluster: a crowded Milky Way field.
    const skydata::SkyCone cone{35.2, 57.1, field / 2};
    std::size_t found = 0;
    for (auto _ : st) {
        found = 0;
        deep->starCells.Query(cone, limit, [&](std::uint32_t) { ++found; });
        deep->objectCells.Query(cone, limit, [&](std::uint32_t) { ++found; });
        benchmark::DoNotOptimize(found);
    }
    st.counters["objects"] = static_cast<double>(found);
}
BENCHMARK(BM_SkyCellQuery)
    ->Args({360, 65})
    ->Args({30, 85})
    ->Args({5, 105})
    ->Args({1, 120})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
