// The tables under the printed maps at every printer resolution: the
// columns of each row keep a gap however wide the font draws, and the
// table stays left of the footer beside it.
#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <map>
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

namespace skyvane::print {
namespace {

using test::PageCanvas;

enum class Page { kHorizontal, kGeocentric, kHeliocentric };

engine::SkyState Sky(int year, int month, int day, int hour, double longitude, double latitude,
                     int timeZone)
{
    engine::SkyState state{};
    state.year = year;
    state.month = month;
    state.day = day;
    state.hour = hour;
    state.timeZone = timeZone;
    state.longitude = longitude;
    state.latitude = latitude;
    engine::SkyCalculator().ComputeSky(state);
    return state;
}

struct Cell {
    QString text;
    int left;
    int right;
};

// The table's rows: the texts sharing a line whose leftmost one is
// "Planet" or a body's name, each sorted left to right.
std::vector<std::vector<Cell>> TableRows(PageCanvas& page)
{
    QStringList starters{QStringLiteral("Planet")};
    for (int body = engine::kSun; body <= engine::kMoon; ++body)
        starters << QString::fromLatin1(engine::BodyName(body));
    std::map<int, std::vector<Cell>> lines;
    for (const render::TextCall& call : page.dc().RecordedText()) {
        // The footer's lines may share a row's line.
        if (call.text.contains(QStringLiteral("Vemox")) || call.text.contains(QStringLiteral("free copy")))
            continue;
        page.dc().SelectFont(call.font);
        const int width = page.dc().TextExtent(call.text).width();
        lines[call.position.y()].push_back({call.text, call.position.x(), call.position.x() + width});
    }
    std::vector<std::vector<Cell>> rows;
    for (auto& [y, cells] : lines) {
        std::sort(cells.begin(), cells.end(),
                  [](const Cell& a, const Cell& b) { return a.left < b.left; });
        if (cells.size() >= 3 && starters.contains(cells.front().text)) rows.push_back(cells);
    }
    return rows;
}

TEST(PrintedTableTest, ColumnsKeepAGapAndStayLeftOfTheFooterAtEveryResolution)
{
    const auto catalogue = std::make_unique<skydata::SkyCatalogue>();
    const render::DisplayPreferences preferences;
    // Central Europe and Thousand Oaks: the walkthrough's night, wide
    // negative latitudes and declinations, the Moon far (6 digits of miles).
    const std::vector<engine::SkyState> skies = {Sky(2026, 12, 7, 22, -8.5, 47.32, 1),
                                                 Sky(2040, 9, 8, 20, 118.82, 34.21, -8),
                                                 Sky(2031, 3, 2, 3, 118.82, 34.21, -8)};
    int rowsChecked = 0;
    for (const Page kind : {Page::kHorizontal, Page::kGeocentric, Page::kHeliocentric}) {
        for (const int dpi : {72, 96, 150, 300, 360, 600, 720, 1200, 2400}) {
            for (std::size_t n = 0; n < skies.size(); ++n) {
                SCOPED_TRACE("page " + std::to_string(static_cast<int>(kind)) + " at " +
                             std::to_string(dpi) + " dpi, sky " + std::to_string(n));
                const bool landscape = kind == Page::kGeocentric;
                const PageMetrics metrics{landscape ? 297 : 210, landscape ? 210 : 297, dpi, dpi};
                PageCanvas page(8, 8);
                switch (kind) {
                case Page::kHorizontal:
                    ASSERT_TRUE(PrintHorizontalChart(page.dc(), metrics, skies[n], *catalogue,
                                                     preferences));
                    break;
                case Page::kGeocentric:
                    ASSERT_TRUE(PrintGeocentricChart(page.dc(), metrics, skies[n], *catalogue));
                    break;
                case Page::kHeliocentric:
                    ASSERT_TRUE(PrintHeliocentricChart(page.dc(), metrics, skies[n], 100));
                    break;
                }
                const auto footer = std::find_if(
                    page.dc().RecordedText().begin(), page.dc().RecordedText().end(),
                    [](const render::TextCall& c) { return c.text.startsWith("This page was printed"); });
                ASSERT_NE(footer, page.dc().RecordedText().end());
                // A gap the eye sees: a fifth of the line's height (about a
                // space in these fonts), and never under two device pixels.
                const std::vector<std::vector<Cell>> rows = TableRows(page);
                EXPECT_EQ(rows.size(), kind == Page::kHeliocentric ? 9u : 10u);
                for (const std::vector<Cell>& row : rows) {
                    ++rowsChecked;
                    page.dc().SelectFont(footer->font);
                    const int lineHeight = page.dc().TextExtent(QStringLiteral("X")).height();
                    const int gap = std::max(2, lineHeight / 5);
                    for (std::size_t i = 0; i + 1 < row.size(); ++i)
                        EXPECT_GE(row[i + 1].left - row[i].right, gap)
                            << row[i].text.toStdString() << "|" << row[i + 1].text.toStdString();
                    EXPECT_LT(row.back().right, footer->position.x()) << row.back().text.toStdString();
                }
            }
        }
    }
    EXPECT_GT(rowsChecked, 600);
}

}  // namespace
}  // namespace skyvane::print
