// The charts' tables and key help at every window size and density: no text
// runs into another or past the window's edge.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <memory>
#include <string>
#include <vector>

#include "engine/sky.h"
#include "render/display_preferences.h"
#include "render/draw_context.h"
#include "render/geocentric_chart.h"
#include "render/heliocentric_chart.h"
#include "render/horizontal_chart.h"
#include "skydata/catalogue.h"
#include "skydata/click_rects.h"

namespace skyvane::render {
namespace {

enum class Chart { kHorizontal, kGeocentric, kHeliocentric };

struct Box {
    QString text;
    QRect rect;
};

TEST(ChartCrowdingTest, PanelTextsNeitherOverlapNorLeaveTheWindow)
{
    // Neptune, Mercury and wide angles in the table; an animation's help.
    engine::SkyState state{};
    state.year = 2026;
    state.month = 12;
    state.day = 7;
    state.hour = 16;
    state.minute = 40;
    state.timeZone = -8;
    state.longitude = 118.82333333;
    state.latitude = 34.21388888;
    engine::SkyCalculator().ComputeSky(state);
    const auto catalogue = std::make_unique<skydata::SkyCatalogue>();
    const DisplayPreferences preferences;
    const struct {
        int width, height;
    } sizes[] = {{1018, 690}, {1280, 990}, {1920, 1042}, {3840, 2110}};
    for (const Chart chart : {Chart::kHorizontal, Chart::kGeocentric, Chart::kHeliocentric}) {
        for (const auto& size : sizes) {
            for (const int ratio : {1, 2}) {
                if (ratio == 2 && size.width > 2000) continue;
                SCOPED_TRACE(std::to_string(static_cast<int>(chart)) + " " +
                             std::to_string(size.width) + "x" + std::to_string(size.height) +
                             " at " + std::to_string(ratio) + "x");
                QImage image(size.width * ratio, size.height * ratio, QImage::Format_RGB32);
                image.setDevicePixelRatio(ratio);
                image.fill(Qt::black);
                QPainter painter(&image);
                DrawContext dc(painter, QPoint(0, 0), &image);
                dc.SetBkColor(qRgb(0, 0, 0));
                dc.SetRecordText(true);
                skydata::IntRect link{};
                auto clicks = std::make_unique<skydata::CatalogueClickRects>();
                switch (chart) {
                case Chart::kHorizontal:
                    DrawHorizontalChart(dc, state, size.height, size.width, link, 0, 0,
                                        *catalogue, *clicks, preferences, ObjectSelection{});
                    break;
                case Chart::kGeocentric:
                    DrawGeocentricChart(dc, state, size.height, size.width, 0, 0,
                                        *catalogue, *clicks, preferences, ObjectSelection{});
                    break;
                case Chart::kHeliocentric:
                    DrawHeliocentricChart(dc, state, size.height, size.width, 210, 0, 0,
                                          preferences);
                    break;
                }
                std::vector<Box> boxes;
                for (const TextCall& call : dc.RecordedText()) {
                    if (call.text.trimmed().isEmpty()) continue;
                    const QFont previous = dc.SelectFont(call.font);
                    boxes.push_back({call.text, QRect(call.position, dc.TextExtent(call.text))});
                    dc.SelectFont(previous);
                }
                ASSERT_GT(boxes.size(), 20u);
                for (std::size_t i = 0; i < boxes.size(); ++i) {
                    EXPECT_LE(boxes[i].rect.right(), size.width - 1) << boxes[i].text.toStdString();
                    for (std::size_t j = i + 1; j < boxes.size(); ++j)
                        EXPECT_FALSE(boxes[i].rect.intersects(boxes[j].rect))
                            << boxes[i].text.toStdString() << " | " << boxes[j].text.toStdString();
                }
            }
        }
    }
}

}  // namespace
}  // namespace skyvane::render
