// Speed of the charts: one frame each, drawn as the window draws it (an
// off-screen surface copied in one piece), with the full catalogue at a
// dark sky so that every star above the horizon is drawn.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <cstdlib>
#include <memory>
#include <string>

#include "engine/sky.h"
#include "render/color_filter.h"
#include "render/geocentric_chart.h"
#include "render/heliocentric_chart.h"
#include "render/horizontal_chart.h"
#include "render/horizontal_placement.h"
#include "skydata/click_rects.h"
#include "skydata/data_file.h"
#include "skydata/deep_sky.h"
#include "skydata/sky_data.h"

namespace {

using namespace skyvane;

struct Scene {
    std::shared_ptr<const skydata::SkyData> data;
    engine::SkyState sky{};
    std::unique_ptr<skydata::CatalogueClickRects> clickRects =
        std::make_unique<skydata::CatalogueClickRects>();
    render::DisplayPreferences preferences;
    render::ObjectSelection selection;
};

// Zurich on 2026-12-07 at 22:00: the Sun some 60 degrees below the horizon.
const Scene& DarkSky()
{
    static const Scene scene = [] {
        Scene s;
        skydata::SkyDataStore store;
        std::vector<unsigned char> bytes;
        if (!skydata::ReadDataFile(SKYVANE_DATAS_BIN, bytes) || !store.Load(bytes))
            std::abort();
        s.data = store.Current();
        s.sky.year = 2026;
        s.sky.month = 12;
        s.sky.day = 7;
        s.sky.hour = 22;
        s.sky.timeZone = 1;
        s.sky.longitude = -8.5;
        s.sky.latitude = 47.32;
        engine::SkyCalculator().ComputeSky(s.sky);
        return s;
    }();
    return scene;
}

enum Chart { kHorizontal, kGeocentric, kHeliocentric };

void BM_Chart(benchmark::State& st)
{
    const Scene& scene = DarkSky();
    const auto chart = static_cast<Chart>(st.range(0));
    const int width = static_cast<int>(st.range(1));
    const int height = static_cast<int>(st.range(2));
    // Device pixels per pixel: 2 is a high-density screen of a window this
    // size in its own pixels.
    const int ratio = static_cast<int>(st.range(3));
    QImage window(width * ratio, height * ratio, QImage::Format_RGB32);
    window.setDevicePixelRatio(ratio);
    skydata::IntRect link{};
    for (auto _ : st) {
        QPainter painter(&window);
        painter.setBackground(QColor(0, 0, 0));
        switch (chart) {
        case kHorizontal:
            render::DrawHorizontalChart(painter, render::OutputKind::Window, scene.sky, height,
                                        width, 210, link, 0, 0, *scene.data->catalogue,
                                        *scene.clickRects, scene.preferences, scene.selection);
            break;
        case kGeocentric:
            render::DrawGeocentricChart(painter, render::OutputKind::Window, scene.sky, height,
                                        width, 210, link, 0, 0, *scene.data->catalogue,
                                        *scene.clickRects, scene.preferences, scene.selection);
            break;
        case kHeliocentric:
            render::DrawHeliocentricChart(painter, render::OutputKind::Window, scene.sky, height,
                                          width, 210, link, 0, 0, scene.preferences);
            break;
        }
        painter.end();
        benchmark::DoNotOptimize(window.constBits());
    }
    static const char* const kNames[] = {"horizontal", "geocentric", "heliocentric"};
    st.SetLabel(kNames[chart]);
}

void ChartSizes(benchmark::internal::Benchmark* b)
{
    for (int chart : {kHorizontal, kGeocentric, kHeliocentric}) {
        b->Args({chart, 1280, 800, 1});
        b->Args({chart, 1920, 1080, 1});
        b->Args({chart, 3840, 2160, 1});
        b->Args({chart, 1920, 1080, 2});
    }
    b->ArgNames({"chart", "width", "height", "ratio"});
    b->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_Chart)->Apply(ChartSizes);

// The same frames in night mode, at the window's common size.
void BM_NightChart(benchmark::State& st)
{
    const render::ScopedColorFilter night(render::ColorFilter::kNight);
    BM_Chart(st);
}
void NightChartSizes(benchmark::internal::Benchmark* b)
{
    for (int chart : {kHorizontal, kGeocentric, kHeliocentric})
        b->Args({chart, 1920, 1080, 1});
    b->ArgNames({"chart", "width", "height", "ratio"});
    b->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_NightChart)->Apply(NightChartSizes);


// The same frame as the sky window paints it: a widget's paint event into
// the window system's back buffer (here a picture of the window's pixels,
// `ratio` device pixels per pixel).
class ChartWidget : public QWidget {
public:
    ChartWidget(Chart chart, int width, int height,
                render::ViewAim aim = render::ViewAim::WholeSky(),
                const skydata::DeepSkyCatalogue* deep = nullptr, bool milkyWay = false)
        : chart_(chart), aim_(aim), deep_(deep)
    {
        preferences_ = DarkSky().preferences;
        preferences_.showMilkyWay = milkyWay ? 1 : 0;
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        resize(width, height);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const Scene& scene = DarkSky();
        QPainter painter(this);
        painter.setBackground(QColor(0, 0, 0));
        const int w = width();
        const int h = height();
        switch (chart_) {
        case kHorizontal:
            render::DrawHorizontalChart(painter, render::OutputKind::Window, scene.sky, h, w, 210,
                                        link_, 0, 0, *scene.data->catalogue, *scene.clickRects,
                                        preferences_, scene.selection, aim_, deep_);
            break;
        case kGeocentric:
            render::DrawGeocentricChart(painter, render::OutputKind::Window, scene.sky, h, w, 210,
                                        link_, 0, 0, *scene.data->catalogue, *scene.clickRects,
                                        preferences_, scene.selection, aim_, deep_);
            break;
        case kHeliocentric:
            render::DrawHeliocentricChart(painter, render::OutputKind::Window, scene.sky, h, w,
                                          210, link_, 0, 0, preferences_);
            break;
        }
    }

private:
    Chart chart_;
    render::ViewAim aim_;
    const skydata::DeepSkyCatalogue* deep_;
    render::DisplayPreferences preferences_;
    skydata::IntRect link_{};
};

// The deep-sky file the build packs.
const skydata::DeepSkyCatalogue& DeepSky()
{
    static const std::shared_ptr<const skydata::DeepSkyCatalogue> deep = [] {
        std::string why;
        auto d = skydata::LoadDeepSkyFile(SKYVANE_DEEPSKY_BIN, why);
        if (!d) std::abort();
        return d;
    }();
    return *deep;
}

void BM_WindowChart(benchmark::State& st)
{
    const auto chart = static_cast<Chart>(st.range(0));
    const int width = static_cast<int>(st.range(1));
    const int height = static_cast<int>(st.range(2));
    const int ratio = static_cast<int>(st.range(3));
    ChartWidget widget(chart, width, height);
    QImage backBuffer(width * ratio, height * ratio, QImage::Format_RGB32);
    backBuffer.setDevicePixelRatio(ratio);
    for (auto _ : st) {
        widget.render(&backBuffer, QPoint(), QRegion(), QWidget::RenderFlags());
        benchmark::DoNotOptimize(backBuffer.constBits());
    }
    static const char* const kNames[] = {"horizontal", "geocentric", "heliocentric"};
    st.SetLabel(kNames[chart]);
}
BENCHMARK(BM_WindowChart)->Apply(ChartSizes);

// A zoomed chart on the window's path, centred on Orion's belt (Alnilam)
// with the field range(1) degrees across, 0 for the whole sky; range(4) 1
// draws the deep sky too (Hipparcos stars, NGC and IC objects), 2 the deep
// sky and the Milky Way's bands behind it.
void BM_WindowZoomedChart(benchmark::State& st)
{
    const Scene& scene = DarkSky();
    const auto chart = static_cast<Chart>(st.range(0));
    const double field = static_cast<double>(st.range(1));
    const int width = static_cast<int>(st.range(2));
    const int height = static_cast<int>(st.range(3));
    constexpr double kAlnilamRa = 5.603556;
    constexpr double kAlnilamDec = -1.201944;
    render::ViewAim aim = render::ViewAim::WholeSky();
    if (field > 0) {
        const engine::Horizontal up = render::HorizontalPlaceOf(scene.sky, kAlnilamRa, kAlnilamDec);
        aim = render::ViewAim::At(chart == kHorizontal
                                      ? render::SkyPoint{up.azimuth, up.altitude}
                                      : render::SkyPoint{kAlnilamRa, kAlnilamDec},
                                  field);
    }
    ChartWidget widget(chart, width, height, aim, st.range(4) != 0 ? &DeepSky() : nullptr,
                       st.range(4) == 2);
    QImage backBuffer(width, height, QImage::Format_RGB32);
    for (auto _ : st) {
        widget.render(&backBuffer, QPoint(), QRegion(), QWidget::RenderFlags());
        benchmark::DoNotOptimize(backBuffer.constBits());
    }
    static const char* const kNames[] = {"horizontal", "geocentric", "heliocentric"};
    st.SetLabel(kNames[chart]);
}
BENCHMARK(BM_WindowZoomedChart)
    ->ArgNames({"chart", "field", "width", "height", "deep"})
    ->ArgsProduct({{kHorizontal, kGeocentric}, {0, 30, 5, 1}, {1920}, {1080}, {0, 1, 2}})
    ->ArgsProduct({{kHorizontal, kGeocentric}, {0, 30, 5, 1}, {3840}, {2160}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
