// The geocentric chart on paper: the band of sky between declinations -45
// and +45 as a framed map with its grid, stars, figures and bodies, and
// below it the table of the bodies' positions, distances and zodiac signs.
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/body.h"
#include "places/formatting.h"
#include "print/page_labels.h"
#include "print/page_milky_way.h"
#include "print/page_parts.h"
#include "print/page_table.h"
#include "print/print_charts.h"
#include "render/body_symbols.h"
#include "render/catalogue_of_date.h"
#include "render/chart_text.h"
#include "render/figure_lines.h"
#include "render/geocentric_chart.h"
#include "render/offscreen_dc.h"
#include "render/sky_mapping.h"

namespace skyvane::print {

namespace {

// The map, in device pixels: positions come from the screen mapping for a
// window of width x height and are shifted by (left, top).
struct Map {
    int left;
    int top;
    int width;
    int height;      // the mapping's window height, table space included
    int tableSpace;  // what the mapping keeps below the map out of that height
    int bottom;      // mapped y of declination -45, before the shift

    render::PixelPoint At(double raHours, double decDegrees) const
    {
        const render::PixelPoint p =
            render::MapGeocentric(raHours, decDegrees, width, height, tableSpace);
        return {p.x + left, p.y + top};
    }
};

Map MapOf(const PageGeometry& page)
{
    constexpr double kLeftMargin = 40;
    constexpr double kTopMargin = 80;
    constexpr double kSideMargins = 60;
    constexpr double kHeightDivisor = 1.5;
    constexpr double kBandEdge = -45;
    // The screen keeps 200 pixels for its tables; on paper that is 200
    // device pixels at 600 dpi, so that the map keeps its proportions at
    // every resolution.
    Map map{Scaled(page, kLeftMargin),
            Scaled(page, kTopMargin),
            render::TruncateToPixel(page.width - kSideMargins * page.scale),
            render::TruncateToPixel(page.height / kHeightDivisor),
            DevicePixels(page, render::kGeocentricTableSpace),
            0};
    map.bottom = map.At(0, kBandEdge).y - map.top;
    return map;
}

// The Milky Way inside the map's frame, under the grid and the stars.
void DrawMapMilkyWay(render::DrawContext& dc, const Map& map, const engine::SkyState& state,
                     const skydata::DeepSkyCatalogue& deepSky)
{
    const render::ChartView view = render::ChartView::Geocentric(
        map.width, map.height, map.tableSpace, render::ViewAim::WholeSky());
    DrawPageMilkyWay(dc, deepSky, state, view,
                     {static_cast<double>(map.left), static_cast<double>(map.top)},
                     {map.left, map.top, map.left + map.width, map.top + map.bottom});
}

void DrawGrid(render::DrawContext& dc, const PageGeometry& page, const Map& map)
{
    constexpr QRgb kGridPen = qRgb(128, 128, 128);
    constexpr QRgb kGridText = qRgb(64, 64, 64);
    constexpr int kBandLimit = 45;
    constexpr int kDeclinationStep = 5;
    constexpr double kDeclinationLabelDx = -22;
    constexpr double kDeclinationLabelDy = -6;
    constexpr int kHours = 24;
    constexpr double kHourLabelDx = -23;
    constexpr double kHourLabelDy = -18;
    dc.SetPen(kGridPen, PenWidth(page, 1));
    for (int d = -kBandLimit; d <= kBandLimit; d += kDeclinationStep) {
        const int y = map.At(0, d).y;
        dc.Line(map.left, y, map.left + map.width, y);
        // The top and bottom lines are the frame's and need no label.
        if (d != -kBandLimit && d != kBandLimit) {
            PageText(dc, map.left + Scaled(page, kDeclinationLabelDx),
                     y + Scaled(page, kDeclinationLabelDy), kGridText,
                     render::Printf("%3d", d));
        }
    }
    // Each label stands over the middle of the hour column right of its line.
    const int halfColumn = map.width / (2 * kHours);
    for (int h = 0; h <= kHours; ++h) {
        const int x = map.At(h, 0).x;
        dc.Line(x, map.top, x, map.bottom + map.top);
        PageText(dc, x + halfColumn + Scaled(page, kHourLabelDx),
                 map.top + Scaled(page, kHourLabelDy), kGridText, render::Printf("%02dh", h));
    }
}

void DrawMapFrame(render::DrawContext& dc, const PageGeometry& page, const Map& map)
{
    constexpr int kFramePen = 6;
    const int right = map.left + map.width;
    const int bottom = map.bottom + map.top;
    const std::array<QPoint, 4> corners{{{map.left, map.top},
                                         {map.left, bottom},
                                         {right, bottom},
                                         {right, map.top}}};
    dc.SetPen(kPageBlack, PenWidth(page, kFramePen));
    dc.SetNullBrush();
    dc.Polygon(corners.data(), static_cast<int>(corners.size()));
}

void DrawCatalogue(render::DrawContext& dc, const PageGeometry& page, const Map& map,
                   const skydata::SkyCatalogue& catalogue, const engine::SkyState& state)
{
    constexpr QRgb kFigurePen = qRgb(0, 0, 255);
    constexpr int kFigurePenWidth = 2;
    const int starCount = std::clamp(catalogue.starCount, 0, skydata::kStarCapacity);
    const auto star = [&](std::int32_t row) -> const skydata::StarRecord& {
        return catalogue.stars[static_cast<std::size_t>(row)];
    };
    // Places of date, as on the screen's map.
    render::CatalogueOfDate ofDate;
    ofDate.CarryStars(state, catalogue, starCount);
    const auto place = [&](std::int32_t row) { return ofDate.Place(row); };
    dc.SetPen(kFigurePen, PenWidth(page, kFigurePenWidth));
    render::ForEachFigureSegment(
        catalogue, catalogue.figureCount, starCount, [](int) {},
        [&](std::int32_t row) {
            const engine::Equatorial p = place(row);
            return render::GeocentricFigureMayJoin(p.rightAscension, p.declination);
        },
        [&](std::int32_t a, std::int32_t b) {
            const render::PixelPoint from = map.At(place(a).rightAscension, place(a).declination);
            const render::PixelPoint to = map.At(place(b).rightAscension, place(b).declination);
            dc.Line(from.x, from.y, to.x, to.y);
        });
    for (int i = 0; i < starCount; ++i) {
        const engine::Equatorial ofDate = place(i);
        if (!render::GeocentricBandHolds(ofDate.declination)) {
            continue;
        }
        const render::PixelPoint p = map.At(ofDate.rightAscension, ofDate.declination);
        Disc(dc, p.x, p.y, PrintedStarRadius(star(i).magnitude, page.scale), kPageBlack,
             kPageBlack);
    }
}

void DrawBodies(render::DrawContext& dc, const PageGeometry& page, const Map& map,
                const engine::SkyState& state)
{
    constexpr double kBodyRadius = 4;
    constexpr double kSunRadius = 6;
    constexpr double kNameDx = 9;
    constexpr double kNameDy = -9;
    // Names stay inside the map's frame, clear of every disc and of each other.
    MapLabels labels(dc, {map.left, map.top, map.left + map.width, map.top + map.bottom});
    const auto radiusOf = [&](int body) {
        return Scaled(page, body == engine::kSun ? kSunRadius : kBodyRadius);
    };
    // From the Moon down to the Sun, so the Sun ends up on top.
    for (auto it = render::kSkyChartBodies.rbegin(); it != render::kSkyChartBodies.rend(); ++it) {
        const int body = *it;
        const render::PixelPoint p = map.At(state.rightAscension[body], state.declination[body]);
        Disc(dc, p.x, p.y, radiusOf(body), render::BodyColor(body), kPageBlack, PenWidth(page, 1));
        labels.ReserveDisc(p.x, p.y, radiusOf(body));
    }
    // The Sun's name first: it is placed where it has always stood.
    for (const int body : render::kSkyChartBodies) {
        const render::PixelPoint p = map.At(state.rightAscension[body], state.declination[body]);
        labels.PlaceName(p.x, p.y, radiusOf(body), p.x + Scaled(page, kNameDx),
                         p.y + Scaled(page, kNameDy), kBodyNameGrey, engine::BodyName(body));
    }
}

// Where the table's frame is divided: the footer sits right of it.
int TableDivider(const Map& map)
{
    constexpr double kDividerAt = 0.667;  // of the map's width
    return render::TruncateToPixel(map.width * kDividerAt);
}

// The table below the map from `top`.
void DrawBodyTable(render::DrawContext& dc, const PageGeometry& page, const Map& map,
                  const engine::SkyState& state, int top)
{
    constexpr std::array<TableColumn, 6> kColumns{{
        {15, 15, "Planet"},
        {100, 100, "Right Ascension"},
        {228, 215, "Declination"},
        {320, 320, "Distance"},
        {420, 420, "Horoscope Data"},
        {490, 490, ""},
    }};
    constexpr double kHeaderDy = 6;
    constexpr double kFirstRowDy = 23;
    constexpr double kRowStep = 15;
    PageTable table(kColumns);
    int n = 0;
    for (const int body : render::kSkyChartBodies) {
        const double ra = state.rightAscension[body];
        const render::ZodiacText zodiac = render::ZodiacColumns(ra);
        table.AddRow(RowColor(n++),
                     {engine::BodyName(body), places::FormatAngle(ra, places::kAngleHours),
                      places::FormatAngle(state.declination[body], places::kAngleSignedDegrees),
                      render::GeocentricDistanceText(body, state.geoDistance[body]),
                      std::string(zodiac.sign), std::string(zodiac.degrees)});
    }
    table.Draw(dc, page, map.left, top + Scaled(page, kHeaderDy),
               [&](int row) { return top + Scaled(page, kFirstRowDy + kRowStep * row); });
}

}  // namespace

bool PrintGeocentricChart(render::DrawContext& dc, const PageMetrics& metrics,
                          const engine::SkyState& state, const skydata::SkyCatalogue& catalogue,
                          const render::DisplayPreferences& preferences,
                          const skydata::DeepSkyCatalogue* deepSky)
{
    const std::optional<PageGeometry> geometry = PageGeometryOf(metrics);
    if (!geometry) {
        return false;
    }
    const PageGeometry& page = *geometry;
    const Map map = MapOf(page);
    constexpr int kTextPercent = 16;
    constexpr int kTextWeight = 700;
    constexpr int kTitlePercent = 28;
    constexpr int kTitleWeight = 600;
    const QFont previousFont =
        dc.SelectFont(PageFont("SansSerif", page, kTextPercent, kTextWeight));
    dc.SetBkColor(kPageWhite);
    // Labels cross lines and each other on paper; none may blank out another.
    dc.SetBkOpaque(false);

    if (PageShowsMilkyWay(false, state, preferences, deepSky)) {
        DrawMapMilkyWay(dc, map, state, *deepSky);
    }
    DrawGrid(dc, page, map);
    DrawCatalogue(dc, page, map, catalogue, state);
    DrawBodies(dc, page, map, state);
    // Over the names of bodies at the map's edges, so the frame stays whole.
    DrawMapFrame(dc, page, map);

    constexpr double kTableGap = 15;
    const int tableTop = map.bottom + Scaled(page, kTableGap) + map.top;
    DrawBodyTable(dc, page, map, state, tableTop);
    const int divider = TableDivider(map);
    constexpr double kLogoDx = 60;
    constexpr double kLogoDy = 75;
    DrawLogoAndFooter(dc, page, divider + Scaled(page, kLogoDx), tableTop + Scaled(page, kLogoDy),
                      divider, tableTop);
    // Last, so the frame lies over any text that reaches it.
    constexpr double kTableHeight = 178;
    constexpr int kTableFramePen = 6;
    DrawTableFrame(dc, {map.left, map.left + map.width, divider, tableTop,
                        tableTop + Scaled(page, kTableHeight), PenWidth(page, kTableFramePen)});

    constexpr double kTitleY = 20;
    dc.SelectFont(PageFont("Times New Roman", page, kTitlePercent, kTitleWeight));
    const std::string when =
        places::FormatDateTime(state.shownYear, state.shownMonth, state.shownDay,
                               state.shownHour, state.shownMinute, state.shownSecond,
                               places::kDateMonthDayYear12h, state.dst);
    PageText(dc, map.left, Scaled(page, kTitleY), kPageBlack,
             "Geocentric view for " + when + " (Localtime in " + state.locationName + ")");
    dc.SelectFont(previousFont);
    return true;
}

bool PrintGeocentricChart(QPainter& printer, const PageMetrics& page, engine::SkyState state,
                          const skydata::SkyCatalogue& catalogue,
                          const render::DisplayPreferences& preferences,
                          const skydata::DeepSkyCatalogue* deepSky)
{
    render::COffscreenDC surface(printer, render::OutputKind::Printer);
    return PrintGeocentricChart(surface.dc(), page, state, catalogue, preferences, deepSky);
}

}  // namespace skyvane::print
