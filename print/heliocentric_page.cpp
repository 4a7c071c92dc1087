// The heliocentric chart on paper: the solar system from above the Sun
// with every planet's orbit as a circle, and below it the table of the
// planets' heliocentric coordinates.
#include <QString>

#include <array>
#include <string>

#include "engine/body.h"
#include "places/formatting.h"
#include "print/page_labels.h"
#include "print/page_parts.h"
#include "print/page_table.h"
#include "print/print_charts.h"
#include "render/body_symbols.h"
#include "render/chart_text.h"
#include "render/offscreen_dc.h"
#include "render/sky_mapping.h"

#include <vector>

namespace skyvane::print {

namespace {

// Zoomed in this far the Sun is drawn large and named, and the inner
// planets are spread out enough to carry their names.
constexpr int kCloseZoom = 250;

struct Map {
    int left;
    int top;
    int reach;   // re: nothing is drawn whose distance from the Sun reaches past it
    int centre;  // u: the Sun stands at (u + left, u + top)
    int zoom;    // device pixels per AU

    // Whether something `radius` pixels from the Sun stays on the map.
    bool Holds(double radius) const { return render::TruncateToPixel(centre + radius) < reach; }
};

void DrawOrbits(render::DrawContext& dc, const PageGeometry& page, const Map& map,
                const engine::SkyState& state)
{
    constexpr QRgb kOrbitPen = qRgb(64, 64, 64);
    constexpr int kOrbitPenWidth = 3;
    dc.SetPen(kOrbitPen, PenWidth(page, kOrbitPenWidth));
    dc.SetBrush(kPageWhite);
    // Outermost first: each disc is filled white over the ones before.
    for (int body = engine::kNeptune; body >= engine::kSun; --body) {
        const double d = map.zoom * state.helioDistance[body];
        if (!map.Holds(d)) {
            continue;
        }
        const auto edge = [&](int origin, double offset) {
            return render::TruncateToPixel(map.centre + offset + origin);
        };
        dc.Ellipse(edge(map.left, -d), edge(map.top, -d), edge(map.left, d), edge(map.top, d));
    }
}

void DrawSunAndPlanets(render::DrawContext& dc, const PageGeometry& page, const Map& map,
                       const engine::SkyState& state, int mapBottom)
{
    constexpr double kCloseSunRadius = 9;
    constexpr double kBodyRadius = 4;
    constexpr double kNameDx = 12;
    constexpr double kNameDy = -9;
    const bool close = map.zoom >= kCloseZoom;
    const int sunX = map.centre + map.left;
    const int sunY = map.centre + map.top;
    const int outline = PenWidth(page, 1);
    const int sunRadius = Scaled(page, close ? kCloseSunRadius : kBodyRadius);
    const int bodyRadius = Scaled(page, kBodyRadius);
    // Names stay on the page above the table, clear of every disc.
    MapLabels labels(dc, {0, 0, render::TruncateToPixel(page.width), mapBottom});
    Disc(dc, sunX, sunY, sunRadius, render::BodyColor(engine::kSun), kPageBlack, outline);
    labels.ReserveDisc(sunX, sunY, sunRadius);
    struct Shown {
        int body;
        int x;
        int y;
    };
    std::vector<Shown> shown;
    for (int body = engine::kMercury; body <= engine::kNeptune; ++body) {
        const double distance = state.helioDistance[body];
        if (!map.Holds(map.zoom * distance)) {
            continue;
        }
        const render::PixelPoint offset =
            render::ProjectHeliocentric(state.helioLongitude[body], distance, map.zoom);
        const int x = sunX + offset.x;
        const int y = sunY + offset.y;
        Disc(dc, x, y, bodyRadius, render::BodyColor(body), kPageBlack, outline);
        labels.ReserveDisc(x, y, bodyRadius);
        shown.push_back({body, x, y});
    }
    const auto name = [&](int body, int x, int y, int radius) {
        labels.PlaceName(x, y, radius, x + Scaled(page, kNameDx), y + Scaled(page, kNameDy),
                         kBodyNameGrey, engine::BodyName(body));
    };
    if (close) {
        name(engine::kSun, sunX, sunY, sunRadius);
    }
    for (const Shown& s : shown) {
        if (close || s.body > engine::kMars) {
            name(s.body, s.x, s.y, bodyRadius);
        }
    }
}

void DrawPlanetTable(render::DrawContext& dc, const PageGeometry& page,
                     const engine::SkyState& state, int top)
{
    constexpr std::array<TableColumn, 4> kColumns{{
        {45, 45, "Planet"},
        {110, 110, "Longitude"},
        {200, 200, "Latitude"},
        {280, 300, "AU from Sun"},
    }};
    constexpr double kHeaderDy = 8;
    constexpr double kFirstRowDy = 30;
    constexpr double kRowStep = 15;
    PageTable table(kColumns);
    int n = 0;
    for (int body = engine::kMercury; body <= engine::kNeptune; ++body, ++n) {
        table.AddRow(RowColor(n),
                     {engine::BodyName(body),
                      places::FormatAngle(state.helioLongitude[body], places::kAngleUnsignedDegrees),
                      places::FormatAngle(state.helioLatitude[body], places::kAngleSignedDegrees),
                      render::HeliocentricDistanceText(state.helioDistance[body])});
    }
    table.Draw(dc, page, 0, top + Scaled(page, kHeaderDy),
               [&](int row) { return top + Scaled(page, kFirstRowDy + kRowStep * row); });
}

}  // namespace

bool PrintHeliocentricChart(render::DrawContext& dc, const PageMetrics& metrics,
                            const engine::SkyState& state, int zoom)
{
    const std::optional<PageGeometry> geometry = PageGeometryOf(metrics);
    if (!geometry) {
        return false;
    }
    const PageGeometry& page = *geometry;
    constexpr double kLeftMargin = 40;
    constexpr double kTopMargin = 80;
    constexpr double kSideMargins = 60;
    const int reach = render::TruncateToPixel(page.width - kSideMargins * page.scale);
    const Map map{Scaled(page, kLeftMargin), Scaled(page, kTopMargin), reach, reach / 2,
                  PrinterZoom(zoom, page.logPixelsX)};
    constexpr double kTitleSpaceInches = 0.5;
    constexpr double kTableGap = 10;
    const int tableTop = render::TruncateToPixel(page.width + kTitleSpaceInches * page.logPixelsY -
                                                 kTableGap * page.scale);

    constexpr int kTextPercent = 16;
    constexpr int kTextWeight = 700;
    constexpr int kTitlePercent = 28;
    constexpr int kTitleWeight = 0;
    const QFont previousFont =
        dc.SelectFont(PageFont("SansSerif", page, kTextPercent, kTextWeight));
    dc.SetBkColor(kPageWhite);
    // Labels cross lines and each other on paper; none may blank out another.
    dc.SetBkOpaque(false);

    DrawOrbits(dc, page, map, state);
    DrawSunAndPlanets(dc, page, map, state, tableTop);
    DrawPlanetTable(dc, page, state, tableTop);
    constexpr double kLogoX = 470;
    constexpr double kLogoDy = 75;
    DrawLogoAndFooter(dc, page, Scaled(page, kLogoX), tableTop + Scaled(page, kLogoDy),
                      page.centreX, tableTop);
    // Last, so the frame lies over any text that reaches it.
    constexpr double kTableRightEdge = 748;
    DrawTableFrame(dc, PortraitTableFrame(page, tableTop, kTableRightEdge));

    constexpr double kTitleY = 20;
    constexpr double kPlaceY = 48;
    dc.SelectFont(PageFont("Times New Roman", page, kTitlePercent, kTitleWeight));
    PageText(dc, map.left, Scaled(page, kTitleY), kPageBlack,
             "Heliocentric view for " +
                 places::FormatDateTime(state.shownYear, state.shownMonth, state.shownDay,
                                        state.shownHour, state.shownMinute, state.shownSecond,
                                        places::kDateMonthDayYear12h, state.dst));
    PageText(dc, map.left, Scaled(page, kPlaceY), kPageBlack,
             "Localtime in " + state.locationName);
    dc.SelectFont(previousFont);
    return true;
}

bool PrintHeliocentricChart(QPainter& printer, const PageMetrics& page, engine::SkyState state,
                            int zoom)
{
    render::COffscreenDC surface(printer, render::OutputKind::Printer);
    return PrintHeliocentricChart(surface.dc(), page, state, zoom);
}

}  // namespace skyvane::print
