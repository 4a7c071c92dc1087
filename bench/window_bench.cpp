// The animation's pace in the real window: the sky window maximised on a
// 1920 x 1080 screen (the off-screen platform), animating the horizontal
// chart. The animation timer fires every 5 ms, so 200 ticks a second is the
// most there can be; every tick moves the time on, recomputes and redraws.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "app/main_frame.h"
#include "app/preferences.h"
#include "online/data_file_update.h"
#include "platform/profile_store.h"
#include "platform/url_opener.h"
#include "skydata/sky_data.h"

namespace {

using namespace skyvane;

constexpr int kAnimationMs = 3000;

void RunEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// range(0): the chart (0 horizontal, 1 geocentric); range(1): the field in
// degrees, 0 for the whole sky, centred on the horizontal chart half way up
// the southern sky and on the geocentric chart on Orion's belt; range(2) 1
// turns the Milky Way on. The deep-sky file is in the run folder, so every
// zoomed frame draws the deep sky.
void BM_WindowAnimation(benchmark::State& st)
{
    const bool horizontal = st.range(0) == 0;
    const double field = static_cast<double>(st.range(1));
    for (auto _ : st) {
        st.PauseTiming();
        platform::WriteProfileInt(app::kPreferencesSection, "MILKYWAY", static_cast<int>(st.range(2)));
        app::CMainFrame frame;
        frame.showMaximized();
        app::CSkyvaneView& view = frame.View();
        view.OnInitialUpdate();
        // The charts are offered once the intro has run its two seconds.
        QElapsedTimer waited;
        waited.start();
        while (!view.IntroDone() && waited.elapsed() < 10000) RunEventLoopFor(50);
        const int mode = horizontal ? app::kViewHorizontal : app::kViewGeocentric;
        view.OnCommand(horizontal ? app::kCommandHorizontal : app::kCommandGeocentric);
        if (field > 0) {
            const render::SkyPoint centre = horizontal ? render::SkyPoint{20, 45}
                                                       : render::SkyPoint{5.6, -1.2};
            view.SetChartAim(mode, render::ViewAim::At(centre, field));
        }
        view.OnKeyDown(app::NavigationKey::kF, 0, 1);
        RunEventLoopFor(200);  // the first frames at the new size
        st.ResumeTiming();

        const int before = view.RedrawRequests();
        QElapsedTimer clock;
        clock.start();
        RunEventLoopFor(kAnimationMs);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        const int ticks = view.RedrawRequests() - before;
        st.SetIterationTime(seconds);
        st.counters["ticks_per_s"] = ticks / seconds;
        st.counters["view_w"] = view.width();
        st.counters["view_h"] = view.height();
        const auto data = skydata::CurrentSkyData();
        st.counters["deep_sky"] = data && data->deepSky ? 1 : 0;
        st.counters["milky_way"] = view.Preferences().showMilkyWay;
        view.OnKeyDown(app::NavigationKey::kEnter, 0, 1);
        frame.hide();
    }
}
BENCHMARK(BM_WindowAnimation)
    ->ArgNames({"geocentric", "field", "milkyway"})
    ->ArgsProduct({{0, 1}, {0, 30, 5, 1}, {0, 1}})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// A run folder of its own: our data file, a settings file that is not the
// user's, and a vendor host that refuses at once.
std::string PrepareRunFolder()
{
    std::string folder =
        (std::filesystem::temp_directory_path() / "skyvane-window-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) std::abort();
    std::filesystem::copy_file(SKYVANE_DATAS_BIN, std::filesystem::path(folder) / "datas.bin");
    std::filesystem::copy_file(SKYVANE_DEEPSKY_BIN, std::filesystem::path(folder) / "deepsky.bin");
    std::filesystem::current_path(folder);
    online::SetDataFilePath(std::filesystem::path(folder) / "datas.bin");
    platform::UseProfileFile(folder + "/settings.ini");
    platform::SetUrlOpener([](const std::string&) { return true; });
    setenv("SKYVANE_HOST", "127.0.0.1:1", 1);
    // One 1920 x 1080 screen.
    const std::string screen = folder + "/screen.json";
    std::ofstream(screen) << R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920,
        "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).c_str(), 1);
    return folder;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = PrepareRunFolder();
    int status = 0;
    {
        QApplication application(argc, argv);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    std::error_code ignored;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
    std::filesystem::remove_all(folder, ignored);
    return status;
}
