// The horizontal chart on paper: the sky dome as a circle filling the
// page's width, its stars, figures, Messier objects and bodies, and below
// it the table of the bodies' azimuths and altitudes.
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/body.h"
#include "places/formatting.h"
#include "print/page_labels.h"
#include "print/page_milky_way.h"
#include "print/page_parts.h"
#include "print/page_table.h"
#include "print/print_charts.h"
#include "render/body_symbols.h"
#include "render/chart_fonts.h"
#include "render/figure_lines.h"
#include "render/horizontal_chart.h"
#include "render/horizontal_placement.h"
#include "render/offscreen_dc.h"
#include "render/sky_mapping.h"

namespace skyvane::print {

namespace {

constexpr QRgb kPaleRow = qRgb(128, 128, 128);

struct Dome {
    int cx;
    int cy;
    int radius;
    int bottom;  // yb: the reference line the table hangs from
};

// The dome fills the page's width below the title. Its radius is taken
// with the vertical resolution, its centre with the horizontal one.
Dome DomeOf(const PageGeometry& page)
{
    constexpr double kMillimetresPerInch = 25.4;
    constexpr double kTitleSpaceInches = 0.4;
    constexpr double kRimMargin = 15;
    constexpr double kTableGap = 10;
    const double drop = kTitleSpaceInches * page.logPixelsY;
    return {page.centreX, render::TruncateToPixel(page.width / 2 + drop),
            render::TruncateToPixel(page.horzSizeMm / kMillimetresPerInch * page.logPixelsY / 2 -
                                    kRimMargin * page.scale),
            render::TruncateToPixel(page.width + drop - kTableGap * page.scale)};
}

// The Milky Way inside the dome, under everything else on it.
void DrawDomeMilkyWay(render::DrawContext& dc, const PageGeometry& page, const Dome& dome,
                      const engine::SkyState& state, int orientation,
                      const skydata::DeepSkyCatalogue& deepSky)
{
    const int width = render::TruncateToPixel(page.width);
    const render::ChartView view =
        render::ChartView::Horizontal(width, render::TruncateToPixel(page.height), dome.cx,
                                      dome.cy, dome.radius, orientation, width,
                                      render::ViewAim::WholeSky());
    DrawPageMilkyWay(dc, deepSky, state, view, {0, 0},
                     {dome.cx - dome.radius, dome.cy - dome.radius, dome.cx + dome.radius + 1,
                      dome.cy + dome.radius + 1});
}

void DrawDomeOutline(render::DrawContext& dc, const PageGeometry& page, const Dome& dome)
{
    constexpr QRgb kDomeOutline = qRgb(255, 60, 20);
    dc.SetPen(kDomeOutline, PenWidth(page, 1));
    dc.SetNullBrush();
    dc.Ellipse(dome.cx - dome.radius, dome.cy - dome.radius, dome.cx + dome.radius,
               dome.cy + dome.radius);
}

// Stars, figures and Messier objects by the screen chart's rules, lengths
// multiplied by the page scale; stars sized by the printed magnitude table.
void DrawCatalogue(render::DrawContext& dc, const PageGeometry& page, const Dome& dome,
                   const engine::SkyState& state, int orientation,
                   const skydata::SkyCatalogue& catalogue,
                   const render::DisplayPreferences& preferences)
{
    const double sunAltitude = state.altitude[engine::kSun];
    if (!render::HorizontalShowsCatalogue(sunAltitude, preferences)) {
        return;
    }
    const int starCount = std::clamp(catalogue.starCount, 0, skydata::kStarCapacity);
    // A placer of its own: the screen's keeps the window's geometry.
    render::HorizontalStarPlacer placer;
    placer.Place(state, catalogue, starCount, dome.cx, dome.cy, dome.radius, orientation);
    const std::vector<render::StarPlacement>& stars = placer.Placements();

    if (preferences.showConstellations == 1) {
        constexpr QRgb kFigureBlue = qRgb(70, 70, 220);
        const int penWidth = std::max(1, Scaled(page, 1));
        dc.SetPen(kFigureBlue, penWidth);
        render::ForEachFigureSegment(
            catalogue, render::kHorizontalFigureRows, starCount, [](int) {},
            [&](std::int32_t star) { return stars[static_cast<std::size_t>(star)].visible; },
            [&](std::int32_t a, std::int32_t b) {
                const render::StarPlacement& from = stars[static_cast<std::size_t>(a)];
                const render::StarPlacement& to = stars[static_cast<std::size_t>(b)];
                dc.Line(from.x, from.y, to.x, to.y);
            });
    }

    if (render::HorizontalShowsDeepSky(sunAltitude, preferences)) {
        constexpr QRgb kMessierPen = qRgb(204, 87, 57);
        constexpr double kMarkerReach = 3;
        constexpr double kMarkerBottom = 2;  // one pixel shorter at the bottom, as on screen
        const int reach = Scaled(page, kMarkerReach);
        const int bottom = Scaled(page, kMarkerBottom);
        const int count = std::clamp(catalogue.deepSkyCount, 0, skydata::kDeepSkyCapacity);
        dc.SetPen(kMessierPen, std::max(1, Scaled(page, 1)));
        // A ring: the screen's black fill would print as a solid disc the
        // size of a bright star.
        dc.SetNullBrush();
        for (int i = 0; i < count; ++i) {
            const skydata::DeepSkyObject& object = catalogue.deepSky[static_cast<std::size_t>(i)];
            const render::StarPlacement p = render::ProjectStarHorizontal(
                state, render::RaCode(object.ra), render::DecCode(object.dec), dome.cx, dome.cy,
                dome.radius, orientation);
            if (p.visible) {
                dc.Ellipse(p.x - reach, p.y - reach, p.x + reach, p.y + bottom);
            }
        }
    }

    for (int i = 0; i < starCount; ++i) {
        const render::StarPlacement& p = stars[static_cast<std::size_t>(i)];
        const skydata::StarRecord& star = catalogue.stars[static_cast<std::size_t>(i)];
        if (!p.visible || !render::HorizontalStarLit(sunAltitude, star.magnitude, preferences) ||
            render::IsEmptyStarRow(star)) {
            continue;
        }
        Disc(dc, p.x, p.y, PrintedStarRadius(star.magnitude, page.scale), kPageBlack, kPageBlack);
    }
}

struct BodyOnDome {
    int body;
    int x;
    int y;
    int radius;
};

// The discs of the bodies above the horizon; each is kept clear of names.
std::vector<BodyOnDome> DrawBodiesOnDome(render::DrawContext& dc, const PageGeometry& page,
                                         const Dome& dome, const engine::SkyState& state,
                                         int orientation, MapLabels& labels)
{
    constexpr double kBodyRadius = 4;
    constexpr double kSunRadius = 6;
    std::vector<BodyOnDome> shown;
    for (const int body : render::kSkyChartBodies) {
        if (!(state.altitude[body] > 0)) {
            continue;
        }
        // The observer's (topocentric) place, as the chart and table show it.
        const render::StarPlacement p = render::ProjectOfDateHorizontal(
            state, render::RaCode(state.topocentricRightAscension[body]),
            render::DecCode(state.topocentricDeclination[body]), dome.cx, dome.cy, dome.radius,
            orientation);
        // Placed through the quantised catalogue position, a body just above
        // the horizon can land just below it: then it has no place.
        if (!p.visible) {
            continue;
        }
        const int radius = Scaled(page, body == engine::kSun ? kSunRadius : kBodyRadius);
        Disc(dc, p.x, p.y, radius, render::BodyColor(body), kPageBlack, PenWidth(page, 1));
        labels.ReserveDisc(p.x, p.y, radius);
        shown.push_back({body, p.x, p.y, radius});
    }
    return shown;
}

void DrawBodyNames(const PageGeometry& page, const std::vector<BodyOnDome>& shown,
                   MapLabels& labels)
{
    constexpr double kNameDx = 9;
    constexpr double kNameDy = -9;
    for (const BodyOnDome& b : shown) {
        labels.PlaceName(b.x, b.y, b.radius, b.x + Scaled(page, kNameDx),
                         b.y + Scaled(page, kNameDy), kBodyNameGrey, engine::BodyName(b.body));
    }
}

void DrawDomeLabels(render::DrawContext& dc, const PageGeometry& page, const Dome& dome,
                    int orientation, MapLabels& labels)
{
    const auto at = [&](int x, int y, const char* text) {
        PageText(dc, x, y, kPageBlack, text);
        labels.ReserveText(x, y, QString::fromLatin1(text));
    };
    const int labelY = dome.cy - Scaled(page, 8);
    const int half = dome.radius / 2;
    at(dome.cx - Scaled(page, 12), labelY, " 90 ");
    at(dome.cx - half - Scaled(page, 12), labelY, " 45 ");
    at(dome.cx + half - Scaled(page, 12), labelY, " 45 ");
    at(dome.cx - Scaled(page, 18), dome.cy - dome.radius + Scaled(page, 5), "North");
    at(dome.cx - Scaled(page, 18), dome.cy + dome.radius - Scaled(page, 22), "South");
    const bool westLeft = orientation == render::kWestLeftEastRight;
    const int sideY = dome.cy - Scaled(page, 18);
    at(dome.cx - dome.radius + Scaled(page, 10), sideY, westLeft ? "West" : "East");
    at(dome.cx + dome.radius - Scaled(page, 45), sideY, westLeft ? "East" : "West");
}

void DrawBodyTable(render::DrawContext& dc, const PageGeometry& page, const Dome& dome,
                   const engine::SkyState& state, const render::DisplayPreferences& preferences)
{
    constexpr double kNameX = 45;
    constexpr double kAzimuthX = 140;
    constexpr double kAltitudeX = 260;
    constexpr double kHeaderDy = 5;
    // The first row sits 90 device pixels (at 600 dpi) lower than the
    // scaled gap alone, clear of the header.
    constexpr double kFirstRowDy = 10;
    constexpr int kFirstRowDevicePixels = 90;
    constexpr double kRowStep = 15;

    constexpr std::array<TableColumn, 3> kColumns{{
        {kNameX, kNameX, "Planet"},
        {kAzimuthX, kAzimuthX, "Azimuth"},
        {kAltitudeX, kAltitudeX, "Altitude"},
    }};
    PageTable table(kColumns);
    // By day only the Sun's row reads as up: the others cannot be seen.
    const bool daylight = state.altitude[engine::kSun] > 0;
    for (const int body : render::kSkyChartBodies) {
        const bool up = state.altitude[body] > 0 && (!daylight || body == engine::kSun);
        table.AddRow(up ? kPageBlack : kPaleRow,
                     {engine::BodyName(body),
                      places::FormatAngle(render::ShownAzimuth(state.azimuth[body],
                                                               preferences.northAtZero),
                                          places::kAngleUnsignedDegrees),
                      places::FormatAngle(state.altitude[body], places::kAngleSignedDegrees)});
    }
    const int rowStep = Scaled(page, kRowStep);
    const int firstRowY =
        dome.bottom + Scaled(page, kFirstRowDy) + DevicePixels(page, kFirstRowDevicePixels);
    table.Draw(dc, page, 0, dome.bottom + Scaled(page, kHeaderDy),
               [&](int row) { return firstRowY + rowStep * row; });
}

}  // namespace

bool PrintHorizontalChart(render::DrawContext& dc, const PageMetrics& metrics,
                          const engine::SkyState& state, const skydata::SkyCatalogue& catalogue,
                          const render::DisplayPreferences& preferences,
                          const skydata::DeepSkyCatalogue* deepSky)
{
    const std::optional<PageGeometry> geometry = PageGeometryOf(metrics);
    if (!geometry) {
        return false;
    }
    const PageGeometry& page = *geometry;
    const Dome dome = DomeOf(page);
    const int orientation = render::HorizontalOrientation(preferences);
    constexpr int kTitlePercent = 28;
    constexpr int kTitleWeight = 600;
    constexpr int kLabelPercent = 16;
    constexpr int kLabelWeight = 700;
    constexpr double kTableRightEdge = 740;
    const QFont previousFont = dc.SelectFont(PageFont("Arial", page, kLabelPercent, kLabelWeight));
    dc.SetBkColor(kPageWhite);
    // Labels cross lines and each other on paper; none may blank out another.
    dc.SetBkOpaque(false);

    if (PageShowsMilkyWay(true, state, preferences, deepSky)) {
        DrawDomeMilkyWay(dc, page, dome, state, orientation, *deepSky);
    }
    DrawDomeOutline(dc, page, dome);
    DrawCatalogue(dc, page, dome, state, orientation, catalogue, preferences);
    // The bodies' names go last on the dome, around its fixed labels.
    MapLabels labels(dc, {0, 0, render::TruncateToPixel(page.width), dome.bottom});
    const std::vector<BodyOnDome> shown =
        DrawBodiesOnDome(dc, page, dome, state, orientation, labels);
    DrawDomeLabels(dc, page, dome, orientation, labels);
    DrawBodyNames(page, shown, labels);
    DrawBodyTable(dc, page, dome, state, preferences);
    constexpr double kLogoX = 470;
    constexpr double kLogoDy = 75;
    DrawLogoAndFooter(dc, page, Scaled(page, kLogoX), dome.bottom + Scaled(page, kLogoDy),
                      page.centreX, dome.bottom);
    // Last, so the frame lies over any text that reaches it.
    DrawTableFrame(dc, PortraitTableFrame(page, dome.bottom, kTableRightEdge));

    constexpr double kTitleX = 30;
    constexpr double kDateX = 450;
    constexpr double kTitleY = 26;
    dc.SelectFont(PageFont("Times New Roman", page, kTitlePercent, kTitleWeight));
    PageText(dc, Scaled(page, kTitleX), Scaled(page, kTitleY), kPageBlack,
             std::string_view(state.locationName));
    PageText(dc, Scaled(page, kDateX), Scaled(page, kTitleY), kPageBlack,
             places::FormatDateTime(state.shownYear, state.shownMonth, state.shownDay,
                                    state.shownHour, state.shownMinute, state.shownSecond,
                                    places::kDateMonthDayYear12h, state.dst));
    dc.SelectFont(previousFont);
    return true;
}

bool PrintHorizontalChart(QPainter& printer, const PageMetrics& page, engine::SkyState state,
                          const skydata::SkyCatalogue& catalogue,
                          const render::DisplayPreferences& preferences,
                          const skydata::DeepSkyCatalogue* deepSky)
{
    render::COffscreenDC surface(printer, render::OutputKind::Printer);
    return PrintHorizontalChart(surface.dc(), page, state, catalogue, preferences, deepSky);
}

}  // namespace skyvane::print
