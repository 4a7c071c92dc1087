// A finder chart on paper: the sky round one target at a given field, the
// same plane as the chart on screen magnified about the target, in black on
// white with the brighter stars named, the field and a scale, and a title
// naming the place and the time.
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/body.h"
#include "places/formatting.h"
#include "places/windows1252.h"
#include "print/page_milky_way.h"
#include "print/page_parts.h"
#include "print/print_charts.h"
#include "render/body_symbols.h"
#include "render/deep_sky_drawing.h"
#include "render/figure_lines.h"
#include "render/horizontal_chart.h"
#include "render/horizontal_placement.h"
#include "render/label_placer.h"
#include "render/offscreen_dc.h"
#include "render/zoomed_sky.h"
#include "skydata/constellations.h"

namespace skyvane::print {

namespace {

constexpr QRgb kFigureBlue = qRgb(70, 70, 220);
constexpr QRgb kMessierPen = qRgb(204, 87, 57);
constexpr QRgb kFrameGrey = qRgb(96, 96, 96);

int Round(double value)
{
    return render::TruncateToPixel(std::floor(value + 0.5));
}

struct PagePlace {
    render::ViewPlace place;
    int index;
};

// Where every catalogue object lands on the page's map: J2000 places
// carried to the date, as the charts draw them.
std::vector<render::ViewPlace> PlaceStars(const render::ChartView& view,
                                          const engine::SkyState& state,
                                          const skydata::SkyCatalogue& catalogue)
{
    const int count = std::clamp(catalogue.starCount, 0, skydata::kStarCapacity);
    std::vector<render::ViewPlace> places(static_cast<std::size_t>(count));
    const bool horizontal = view.Plane() == render::ChartPlane::kHorizontal;
    for (int i = 0; i < count; ++i) {
        const skydata::StarRecord& star = catalogue.stars[static_cast<std::size_t>(i)];
        render::ViewPlace& place = places[static_cast<std::size_t>(i)];
        if (star.ra == 0 || star.dec == 0) {
            continue;  // an empty row, never a star
        }
        if (horizontal) {
            const engine::Horizontal h = render::HorizontalPlaceOf(state, star.ra, star.dec);
            place.visible = h.altitude > 0;
            place.at = view.ToScreen({h.azimuth, h.altitude});
        } else {
            const engine::Equatorial ofDate = engine::ApparentPlaceOf(state, star.ra, star.dec);
            place.visible = true;
            place.at = view.ToScreen({ofDate.rightAscension, ofDate.declination});
        }
    }
    return places;
}

render::ViewPlace PlaceObject(const render::ChartView& view, const engine::SkyState& state,
                              double ra, double dec)
{
    if (view.Plane() == render::ChartPlane::kGeocentric) {
        const engine::Equatorial ofDate = engine::ApparentPlaceOf(state, ra, dec);
        return {true, view.ToScreen({ofDate.rightAscension, ofDate.declination})};
    }
    const engine::Horizontal h = render::HorizontalPlaceOf(state, ra, dec);
    return {h.altitude > 0, view.ToScreen({h.azimuth, h.altitude})};
}

void Line(render::DrawContext& dc, const render::ChartView& view, render::ScreenPoint a,
          render::ScreenPoint b)
{
    if (view.Joins(a, b) && view.ClipSegment(a, b)) {
        dc.Line(Round(a.x), Round(a.y), Round(b.x), Round(b.y));
    }
}

void DrawMap(render::DrawContext& dc, const PageGeometry& page, const render::ChartView& view,
             const engine::SkyState& state, const skydata::SkyCatalogue& catalogue,
             const render::DisplayPreferences& preferences, const skydata::DeepSkyCatalogue* deep)
{
    const render::ScreenArea area = view.Area();
    const std::vector<render::ViewPlace> stars = PlaceStars(view, state, catalogue);
    const bool horizontal = view.Plane() == render::ChartPlane::kHorizontal;

    if (PageShowsMilkyWay(horizontal, state, preferences, deep)) {
        DrawPageMilkyWay(dc, *deep, state, view, {0, 0}, area);
    }
    if (preferences.showConstellations == 1 || !horizontal) {
        dc.SetPen(kFigureBlue, std::max(1, Scaled(page, 1)));
        render::ForEachFigureSegment(
            catalogue, horizontal ? render::kHorizontalFigureRows : catalogue.figureCount,
            static_cast<int>(stars.size()), [](int) {},
            [&](std::int32_t s) { return stars[static_cast<std::size_t>(s)].visible; },
            [&](std::int32_t a, std::int32_t b) {
                Line(dc, view, stars[static_cast<std::size_t>(a)].at,
                     stars[static_cast<std::size_t>(b)].at);
            });
    }
    if (horizontal) {
        // The horizon, where it crosses the map.
        dc.SetPen(kPageBlack, PenWidth(page, 4));
        constexpr int kRimSteps = 1440;
        render::ScreenPoint previous = view.ToScreen({0, 0});
        for (int i = 1; i <= kRimSteps; ++i) {
            const render::ScreenPoint next = view.ToScreen({i * 360.0 / kRimSteps, 0});
            Line(dc, view, previous, next);
            previous = next;
        }
    }

    render::LabelPlacer labels({area.left, area.top, area.right, area.bottom});
    struct Name {
        int x;
        int y;
        int reach;
        QString text;
        double priority;
    };
    std::vector<Name> names;
    const double gain = view.MagnitudeGain();
    const double nameLimit = view.LimitingMagnitude() - 2.5;
    for (std::size_t i = 0; i < stars.size(); ++i) {
        const render::ViewPlace& p = stars[i];
        if (!p.visible || !view.Shows(p.at, 0)) continue;
        const skydata::StarRecord& star = catalogue.stars[i];
        const int radius =
            std::max(Scaled(page, render::ZoomedStarRadius(star.magnitude, gain)), Scaled(page, 0.6));
        const int x = Round(p.at.x);
        const int y = Round(p.at.y);
        Disc(dc, x, y, std::max(radius, 1), kPageBlack, kPageBlack);
        if (radius >= Scaled(page, 2)) labels.Reserve({x - radius, y - radius, x + radius, y + radius});
        if (star.magnitude < nameLimit)
            names.push_back({x, y, radius, render::StarLabel(star), star.magnitude});
    }
    const int deepSky = std::clamp(catalogue.deepSkyCount, 0, skydata::kDeepSkyCapacity);
    dc.SetPen(kMessierPen, std::max(1, Scaled(page, 1)));
    dc.SetNullBrush();
    for (int i = 0; i < deepSky; ++i) {
        const skydata::DeepSkyObject& object = catalogue.deepSky[static_cast<std::size_t>(i)];
        const render::ViewPlace p = PlaceObject(view, state, object.ra, object.dec);
        if (!p.visible || !view.Shows(p.at, 0)) continue;
        const render::ScreenPoint perDegree = view.ScaleAt({object.ra, object.dec});
        const double minutes = render::DimensionArcMinutes(object.dimension);
        const int marker = Scaled(page, 3);
        const int halfWidth = std::max(marker, Round(minutes / 60 * perDegree.x / 2));
        const int halfHeight = std::max(marker, Round(minutes / 60 * perDegree.y / 2));
        const int x = Round(p.at.x);
        const int y = Round(p.at.y);
        dc.Ellipse(x - halfWidth, y - halfHeight, x + halfWidth, y + halfHeight);
        names.push_back({x, y, marker, QStringLiteral("M%1").arg(i + 1), -100 + object.magnitude});
    }
    if (deep && preferences.noStars == 0) {
        // The deep sky as the zoomed chart on screen shows it, in black.
        const render::PlaceOnScreen place = [&](double ra, double dec) -> std::optional<render::ScreenPoint> {
            const render::ViewPlace p = PlaceObject(view, state, ra, dec);
            return p.visible ? std::optional<render::ScreenPoint>(p.at) : std::nullopt;
        };
        const render::SkyCircle sky = view.VisibleCatalogueSky(state);
        const double limit = render::DeepSkyLimitingMagnitude(view.FieldDegrees());
        constexpr double kLargestReachDegrees = 1.5;
        constexpr double kObjectAllowance = 1.5;
        const skydata::SkyCone cone{sky.rightAscension * 15, sky.declination,
                                    sky.radiusDegrees + kLargestReachDegrees};
        const int penWidth = std::max(1, Scaled(page, 1));
        const int marker = Scaled(page, 4);
        const auto drawObject = [&](std::uint32_t row) {
            const skydata::DeepObject& o = deep->objects[row];
            const auto at = place(o.raDeg / 15, o.decDeg);
            if (!at || !view.Shows(*at, 0)) return;
            const double halfMajor =
                std::isnan(o.majorArcmin) ? 0 : o.majorArcmin / 120 * view.PixelsPerDegree();
            const double halfMinor =
                std::isnan(o.minorArcmin) ? halfMajor : o.minorArcmin / 120 * view.PixelsPerDegree();
            const int x = Round(at->x);
            const int y = Round(at->y);
            const bool outline =
                render::IsGalaxyType(o.type) && halfMajor > marker &&
                render::DrawSkyEllipse(dc, place, o.raDeg / 15, o.decDeg, o.majorArcmin,
                                       std::isnan(o.minorArcmin) ? o.majorArcmin : o.minorArcmin,
                                       o.positionAngleDeg, kPageBlack, penWidth);
            if (!outline) {
                const double scale = halfMajor > marker ? 1.0 : marker / std::max(halfMajor, 1.0);
                render::DrawDeepSkySymbol(
                    dc, x, y, o.type, std::max(halfMajor, static_cast<double>(marker)),
                    std::max(halfMinor * scale, marker / 2.0),
                    render::ScreenAxisAngle(place, o.raDeg / 15, o.decDeg, o.positionAngleDeg),
                    kPageBlack, penWidth);
            }
            names.push_back({x, y, marker,
                             QString::fromStdString(skydata::DeepSkyCatalogue::DisplayDesignation(o.designation)),
                             std::isnan(o.magnitude) ? 20.0 : o.magnitude});
        };
        deep->objectCells.Query(cone, limit + kObjectAllowance, drawObject);
        // The large objects without a magnitude, by their size as the
        // screen's chart takes it (its pixels, not the page's).
        if (limit + kObjectAllowance < skydata::DeepSkyCatalogue::kUnknownObjectMagnitude) {
            constexpr double kLargestUnknownReachDegrees = 3.0;
            const double pagePerScreen = std::max(1, Scaled(page, render::kUnknownMagnitudeOutlinePixels)) /
                                         render::kUnknownMagnitudeOutlinePixels;
            deep->QuerySizedUnknownMagnitude(
                {cone.raDeg, cone.decDeg, sky.radiusDegrees + kLargestUnknownReachDegrees},
                render::UnknownMagnitudeMinArcmin(view.PixelsPerDegree() / pagePerScreen), drawObject);
        }
        deep->starCells.Query(cone, limit, [&](std::uint32_t row) {
            const skydata::DeepStar& s = deep->stars[row];
            const auto at = place(s.raDeg / 15, s.decDeg);
            if (!at || !view.Shows(*at, 0)) return;
            const int radius =
                std::max(Scaled(page, render::ZoomedStarRadius(s.magnitude, gain)), Scaled(page, 0.6));
            Disc(dc, Round(at->x), Round(at->y), std::max(radius, 1), kPageBlack, kPageBlack);
        });
    }
    for (const int body : render::kSkyChartBodies) {
        const render::ViewPlace p =
            horizontal ? render::ViewPlace{state.altitude[body] > 0,
                                           view.ToScreen({state.azimuth[body], state.altitude[body]})}
                       : render::ViewPlace{true, view.ToScreen({state.rightAscension[body],
                                                                state.declination[body]})};
        if (!p.visible || !view.Shows(p.at, 0)) continue;
        const int x = Round(p.at.x);
        const int y = Round(p.at.y);
        Disc(dc, x, y, Scaled(page, 4), render::BodyColor(body), kPageBlack, PenWidth(page, 1));
        names.push_back({x, y, Scaled(page, 4), QString::fromLatin1(engine::BodyName(body)), -200});
    }

    std::stable_sort(names.begin(), names.end(),
                     [](const Name& a, const Name& b) { return a.priority < b.priority; });
    for (const Name& name : names) {
        if (name.text.isEmpty()) continue;
        const QSize size = dc.TextExtent(name.text);
        const auto candidates = render::LabelCandidatesAround(name.x, name.y, name.reach + Scaled(page, 2),
                                                              size.width(), size.height());
        const int chosen = labels.Place(candidates);
        if (chosen < 0) continue;
        const auto& box = candidates[static_cast<std::size_t>(chosen)];
        PageText(dc, box.left, box.top, kPageBlack, name.text);
    }

    // The frame, the field and a scale bar of a round angle below the map.
    dc.SetPen(kFrameGrey, PenWidth(page, 4));
    dc.SetNullBrush();
    dc.Rectangle(area.left, area.top, area.right, area.bottom);
    const double perDegree = view.PixelsPerDegree();
    const double barDegrees = render::ScaleBarDegrees(perDegree, (area.right - area.left) / 5.0);
    const int bar = Round(barDegrees * perDegree);
    const int y = area.bottom + Scaled(page, 14);
    dc.SetPen(kPageBlack, PenWidth(page, 6));
    dc.Line(area.right - bar, y, area.right, y);
    PageText(dc, area.right - bar, y + Scaled(page, 4), kPageBlack,
             render::ScaleText(barDegrees));
    PageText(dc, area.left, y - Scaled(page, 6), kPageBlack,
             QStringLiteral("Field ") + render::ScaleText(view.FieldDegrees()) +
                 QStringLiteral(" across, centre ") +
                 (horizontal ? places::FromWindows1252(places::FormatAngle(
                                   render::ShownAzimuth(view.Centre().longitude, true),
                                   places::kAngleUnsignedDegrees)) +
                                   QStringLiteral(" azimuth, ") +
                                   places::FromWindows1252(places::FormatAngle(
                                       view.Centre().latitude, places::kAngleSignedDegrees)) +
                                   QStringLiteral(" altitude")
                             : places::FromWindows1252(places::FormatAngle(
                                   view.Centre().longitude, places::kAngleHours)) +
                                   QStringLiteral(", ") +
                                   places::FromWindows1252(places::FormatAngle(
                                       view.Centre().latitude, places::kAngleSignedDegrees))));
}

// The title over the map from `left` to `right`: the place from the left
// edge, the date from the middle, or further right when the place needs
// the room (at most flush with the right edge). A place longer still is
// cut short with an ellipsis, so the two never run together.
void DrawTitle(render::DrawContext& dc, int left, int right, int y, const QString& place,
               const QString& date)
{
    const int gap = dc.TextExtent(QStringLiteral("  ")).width();
    const int dateWidth = dc.TextExtent(date).width();
    const int dateX = std::max(left + (right - left) / 2,
                               std::min(left + dc.TextExtent(place).width() + gap, right - dateWidth));
    const int room = dateX - gap - left;
    QString shown = place;
    if (dc.TextExtent(shown).width() > room) {
        const QString ellipsis(QChar(0x2026));
        while (!shown.isEmpty() && dc.TextExtent(shown + ellipsis).width() > room)
            shown.chop(1);
        shown = shown.trimmed();
        shown.remove(QRegularExpression(QStringLiteral("[,;:\\s]+$")));
        shown = dc.TextExtent(shown + ellipsis).width() <= room ? shown + ellipsis : QString();
    }
    if (!shown.isEmpty()) PageText(dc, left, y, kPageBlack, shown);
    PageText(dc, dateX, y, kPageBlack, date);
}

}  // namespace

bool PrintFinderChart(render::DrawContext& dc, const PageMetrics& metrics, bool horizontal,
                      const engine::SkyState& state, const skydata::SkyCatalogue& catalogue,
                      const render::DisplayPreferences& preferences, const render::ViewAim& aim,
                      const skydata::DeepSkyCatalogue* deepSky)
{
    const std::optional<PageGeometry> geometry = PageGeometryOf(metrics);
    if (!geometry) {
        return false;
    }
    const PageGeometry& page = *geometry;
    constexpr double kMargin = 30;
    constexpr double kTitleSpace = 70;
    constexpr double kFooterSpace = 90;
    const int margin = Scaled(page, kMargin);
    const int top = Scaled(page, kTitleSpace);
    const int side = std::max(1, std::min(render::TruncateToPixel(page.width) - 2 * margin,
                                          render::TruncateToPixel(page.height) - top -
                                              Scaled(page, kFooterSpace)));
    const int left = (render::TruncateToPixel(page.width) - side) / 2;
    const render::ChartView view = render::ChartView::InArea(
        horizontal ? render::ChartPlane::kHorizontal : render::ChartPlane::kGeocentric,
        {left, top, left + side, top + side}, render::HorizontalOrientation(preferences), aim);

    constexpr int kTitlePercent = 28;
    constexpr int kTitleWeight = 600;
    constexpr int kLabelPercent = 14;
    constexpr int kLabelWeight = 400;
    const QFont previousFont = dc.SelectFont(PageFont("Arial", page, kLabelPercent, kLabelWeight));
    dc.SetBkColor(kPageWhite);
    dc.SetBkOpaque(false);
    if (!view.WholeSky()) {
        DrawMap(dc, page, view, state, catalogue, preferences, deepSky);
    }
    dc.SelectFont(PageFont("Times New Roman", page, kTitlePercent, kTitleWeight));
    DrawTitle(dc, left, left + side, Scaled(page, 20),
              places::FromWindows1252(state.locationName),
              places::FromWindows1252(places::FormatDateTime(
                  state.shownYear, state.shownMonth, state.shownDay, state.shownHour,
                  state.shownMinute, state.shownSecond, places::kDateMonthDayYear12h, state.dst)));
    dc.SelectFont(previousFont);
    return true;
}

bool PrintFinderChart(QPainter& printer, const PageMetrics& page, bool horizontal,
                      engine::SkyState state, const skydata::SkyCatalogue& catalogue,
                      const render::DisplayPreferences& preferences, const render::ViewAim& aim,
                      const skydata::DeepSkyCatalogue* deepSky)
{
    render::COffscreenDC surface(printer, render::OutputKind::Printer);
    return PrintFinderChart(surface.dc(), page, horizontal, state, catalogue, preferences, aim,
                            deepSky);
}

}  // namespace skyvane::print
