// Body names on the printed maps: at every printer resolution and on real
// skies where bodies crowd, no name covers another name or a fixed label
// of the map, and none leaves the page.
#include <gtest/gtest.h>

#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "engine/body.h"
#include "engine/sky.h"
#include "print/print_charts.h"
#include "render/body_symbols.h"
#include "render/display_preferences.h"
#include "skydata/catalogue.h"
#include "page_canvas.h"
#include "tests/zurich_sky.h"

namespace skyvane::print {
namespace {

using test::kInk;
using test::kNameGrey;
using test::PageCanvas;

enum class Page { kHorizontal, kGeocentric, kHeliocentric };

struct Box {
    QString text;
    QRect rect;
};

// Thousand Oaks on instants whose skies crowd: Mars beside Jupiter and
// Jupiter low in the east (2026-12-07), the planets bunched in the evening
// sky (2040-09-08), and an ordinary night.
engine::SkyState Sky(int year, int month, int day, int hour)
{
    engine::SkyState state{};
    state.year = year;
    state.month = month;
    state.day = day;
    state.hour = hour;
    state.timeZone = -8;
    state.longitude = 118.82333333;
    state.latitude = 34.21388888;
    state.locationName = "Thousand Oaks";
    engine::SkyCalculator().ComputeSky(state);
    return state;
}

std::vector<Box> Labels(PageCanvas& page, QRgb color)
{
    std::vector<Box> boxes;
    for (const render::TextCall& call : page.dc().RecordedText()) {
        if ((call.color | 0xff000000u) != (color | 0xff000000u)) continue;
        page.dc().SelectFont(call.font);
        boxes.push_back({call.text, QRect(call.position, page.dc().TextExtent(call.text))});
    }
    return boxes;
}

TEST(PrintedMapLabelsTest, NamesNeverOverlapEachOtherOrTheMapsLabelsNorLeaveThePage)
{
    const auto catalogue = std::make_unique<skydata::SkyCatalogue>();
    const render::DisplayPreferences preferences;
    const std::vector<engine::SkyState> skies = {Sky(2026, 12, 7, 16), Sky(2026, 12, 7, 22),
                                                 Sky(2040, 9, 8, 20), Sky(2020, 12, 21, 18)};
    const QStringList domeLabels = {" 90 ", " 45 ", "North", "South", "East", "West"};
    int namesChecked = 0;
    for (const Page kind : {Page::kHorizontal, Page::kGeocentric, Page::kHeliocentric}) {
        for (const int dpi : {72, 150, 300, 600, 1200}) {
            for (std::size_t n = 0; n < skies.size(); ++n) {
                for (const int zoom : {30, 100, 210}) {
                    if (kind != Page::kHeliocentric && zoom != 30) continue;
                    SCOPED_TRACE(std::to_string(static_cast<int>(kind)) + " at " +
                                 std::to_string(dpi) + " dpi, sky " + std::to_string(n) +
                                 ", zoom " + std::to_string(zoom));
                    const bool landscape = kind == Page::kGeocentric;
                    const PageMetrics metrics{landscape ? 297 : 210, landscape ? 210 : 297, dpi,
                                              dpi};
                    PageCanvas page(8, 8);
                    const engine::SkyState& state = skies[n];
                    switch (kind) {
                    case Page::kHorizontal:
                        ASSERT_TRUE(PrintHorizontalChart(page.dc(), metrics, state, *catalogue,
                                                         preferences));
                        break;
                    case Page::kGeocentric:
                        ASSERT_TRUE(PrintGeocentricChart(page.dc(), metrics, state, *catalogue));
                        break;
                    case Page::kHeliocentric:
                        ASSERT_TRUE(PrintHeliocentricChart(page.dc(), metrics, state, zoom));
                        break;
                    }
                    const QRect sheet(0, 0, static_cast<int>(metrics.horzSizeMm / 25.4 * dpi),
                                      static_cast<int>(metrics.vertSizeMm / 25.4 * dpi));
                    const std::vector<Box> names = Labels(page, kNameGrey);
                    std::vector<Box> fixed;
                    if (kind == Page::kHorizontal)
                        for (const Box& b : Labels(page, kInk))
                            if (domeLabels.contains(b.text)) fixed.push_back(b);
                    for (std::size_t i = 0; i < names.size(); ++i) {
                        ++namesChecked;
                        EXPECT_TRUE(sheet.contains(names[i].rect)) << names[i].text.toStdString();
                        for (std::size_t j = i + 1; j < names.size(); ++j)
                            EXPECT_FALSE(names[i].rect.intersects(names[j].rect))
                                << names[i].text.toStdString() << " over "
                                << names[j].text.toStdString();
                        for (const Box& f : fixed)
                            EXPECT_FALSE(names[i].rect.intersects(f.rect))
                                << names[i].text.toStdString() << " over \""
                                << f.text.toStdString() << "\"";
                    }
                }
            }
        }
    }
    EXPECT_GT(namesChecked, 200);
}

// Where a body's usual sides are taken or cut by the frame its name goes
// to a free corner rather than being left out: Neptune at the map's right
// edge beside Saturn (Central Europe, 2026-12-07 22:00), Mars beside
// Jupiter, and Jupiter on Saturn (2020-12-21). Every body stands in the
// map's band on these nights. (In the 2040 bunch Saturn's disc is ringed by
// five others and no side of it is free.)
TEST(PrintedMapLabelsTest, EveryBodyOnTheGeocentricMapIsNamed)
{
    const auto catalogue = std::make_unique<skydata::SkyCatalogue>();
    engine::SkyState europe = ZurichDecemberEvening();
    engine::SkyCalculator().ComputeSky(europe);
    const std::vector<engine::SkyState> skies = {europe, Sky(2026, 12, 7, 22), Sky(2020, 12, 21, 18)};
    for (const int dpi : {72, 150, 300, 600, 1200}) {
        for (std::size_t n = 0; n < skies.size(); ++n) {
            SCOPED_TRACE(std::to_string(dpi) + " dpi, sky " + std::to_string(n));
            PageCanvas page(8, 8);
            ASSERT_TRUE(PrintGeocentricChart(page.dc(), {297, 210, dpi, dpi}, skies[n], *catalogue));
            QStringList named;
            for (const Box& b : Labels(page, kNameGrey)) named << b.text;
            for (const int body : render::kSkyChartBodies)
                EXPECT_TRUE(named.contains(QString::fromLatin1(engine::BodyName(body))))
                    << engine::BodyName(body) << " has no name; named: "
                    << named.join(", ").toStdString();
        }
    }
}

}  // namespace
}  // namespace skyvane::print
