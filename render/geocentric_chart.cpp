#include "render/geocentric_chart.h"

#include "render/telescope_reticle.h"

#include <QRgb>
#include <QSize>
#include <QString>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/body.h"
#include "places/formatting.h"
#include "places/windows1252.h"
#include "render/body_symbols.h"
#include "render/catalogue_of_date.h"
#include "render/chart_fonts.h"
#include "render/deep_sky_drawing.h"
#include "render/chart_text.h"
#include "render/figure_lines.h"
#include "render/found_object_marks.h"
#include "render/label_placer.h"
#include "render/navigation_help.h"
#include "render/sky_mapping.h"
#include "render/star_marker.h"
#include "render/zoomed_sky.h"
#include "skydata/constellations.h"

namespace skyvane::render {

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kRed = qRgb(255, 0, 0);

// Rows below the map kept for the tables.
constexpr int kTableSpace = 200;

// The band the map shows.
constexpr double kBandLimitDegrees = 45;

// Formatter and catalogue texts are Windows-1252 bytes.
void Text(DrawContext& dc, int x, int y, std::string_view text)
{
    TextOutWindows1252(dc, x, y, text);
}

void DrawDeclinationGrid(DrawContext& dc, int width, int height, const skydata::IntRect& panel)
{
    constexpr int kStepDegrees = 5;
    constexpr int kLabelX = 13;
    constexpr int kSouthLabelX = 5;  // room for the minus sign
    constexpr int kSouthLabelFrom = -5;
    constexpr int kLabelRaise = 8;
    constexpr int kTopLabelDrop = 6;  // keeps "45" inside the window
    const int top = static_cast<int>(kBandLimitDegrees);
    for (int d = -top; d <= top; d += kStepDegrees) {
        const int y = MapGeocentric(0, d, width, height).y;
        dc.Line(0, y, width, y);
        // The bottom line is the map's edge and needs no label.
        if (d == -top) {
            continue;
        }
        const int x = d < kSouthLabelFrom ? kSouthLabelX : kLabelX;
        const int labelY = y - kLabelRaise + (d == top ? kTopLabelDrop : 0);
        const std::string label = Printf("%2d", d);
        // A label the selection panel would cover is left out rather than
        // shown half under it.
        const QSize size = dc.TextExtent(QString::fromLatin1(label.c_str()));
        LabelPlacer placer({0, 0, width, height});
        placer.Reserve(panel);
        if (placer.Place({{x, labelY, x + size.width(), labelY + size.height()}}) < 0) {
            continue;
        }
        Text(dc, x, labelY, label);
    }
}

void DrawRightAscensionGrid(DrawContext& dc, int width, int height)
{
    constexpr int kHours = 24;
    constexpr int kLabelShift = 9;
    constexpr int kLabelDrop = 5;
    const int equatorY = MapGeocentric(0, 0, width, height).y;
    const int bottomY = MapGeocentric(0, -kBandLimitDegrees, width, height).y;
    // Each label sits in the middle of the hour column right of its line.
    const int halfColumn = width / (2 * kHours);
    for (int h = 0; h < kHours; ++h) {
        const int x = MapGeocentric(h, 0, width, height).x;
        dc.Line(x, 0, x, bottomY);
        // 0 h's line is the window's right edge: its column and label lie
        // outside the window.
        const std::string label = Printf("%02d", h);
        const int labelX = x + halfColumn - kLabelShift;
        if (labelX + dc.TextExtent(QString::fromLatin1(label.c_str())).width() > width) continue;
        Text(dc, labelX, equatorY + kLabelDrop, label);
    }
}

void DrawTableFrame(DrawContext& dc, int width, int height, int timeControlMode, int stepUnit)
{
    constexpr int kPanelWidth = 310;
    constexpr int kHelpRaise = 224;
    constexpr int kCaptionRuleFromBottom = 170;
    const int panelX = width - kPanelWidth;
    const int tableTop = height - kTableSpace;
    dc.SetPen(kWhite);
    DrawNavigationHelp(dc, kNavigationHelpGeocentric, panelX, height - kHelpRaise,
                       timeControlMode, stepUnit, width);
    dc.Line(0, tableTop, width, tableTop);
    dc.Line(panelX, tableTop, panelX, height);
    dc.Line(width, height - kCaptionRuleFromBottom, panelX, height - kCaptionRuleFromBottom);

    struct Header {
        int x;
        const char* text;
    };
    constexpr std::array<Header, 5> kHeaders{{
        {50, "Planet"},
        {107, "Right Ascension"},
        {225, "Declination"},
        {320, "Distance"},
        {430, "Horoscope Data"},
    }};
    constexpr int kHeaderFromBottom = 193;
    dc.SetTextColor(kWhite);
    for (const Header& header : kHeaders) {
        Text(dc, header.x, height - kHeaderFromBottom, header.text);
    }
}

// Where each star lands this frame, and whether it may be drawn or joined.
struct StarPlace {
    PixelPoint point;
    bool inBand = false;
    bool seamSafe = false;  // in the band and clear of the 0 h seam
};

// The selected star's constellation abbreviation when the star belongs to
// a figure, else empty. Zero entries of a figure are gaps, not star row 0.
std::string SelectedConstellation(const skydata::SkyCatalogue& catalogue, int selectedStar)
{
    if (selectedStar <= 0 || selectedStar >= catalogue.starCount) {
        return {};
    }
    bool inFigure = false;
    for (int row = 0; row < catalogue.figureCount && !inFigure; ++row) {
        for (const std::int32_t index : catalogue.figures[static_cast<std::size_t>(row)].stars) {
            if (index == selectedStar) {
                inFigure = true;
                break;
            }
        }
    }
    if (!inFigure) {
        return {};
    }
    std::string abbreviation;
    for (const char c : skydata::StarConstellation(
             catalogue.stars[static_cast<std::size_t>(selectedStar)])) {
        if (c != ' ') {
            abbreviation.push_back(c);
        }
    }
    return abbreviation;
}

void DrawFigures(DrawContext& dc, const skydata::SkyCatalogue& catalogue,
                 const std::vector<StarPlace>& places, std::string_view selectedConstellation)
{
    constexpr QRgb kFigurePen = qRgb(70, 70, 255);
    constexpr QRgb kHighlightPen = kRed;
    const auto beginRow = [&](int row) {
        dc.SetPen(FigureInConstellation(catalogue, row, selectedConstellation) ? kHighlightPen : kFigurePen);
    };
    const auto seamSafe = [&](std::int32_t star) {
        return places[static_cast<std::size_t>(star)].seamSafe;
    };
    const auto line = [&](std::int32_t a, std::int32_t b) {
        const PixelPoint from = places[static_cast<std::size_t>(a)].point;
        const PixelPoint to = places[static_cast<std::size_t>(b)].point;
        dc.Line(from.x, from.y, to.x, to.y);
    };
    ForEachFigureSegment(catalogue, catalogue.figureCount, static_cast<int>(places.size()),
                         beginRow, seamSafe, line);
}

// Draws the stars of the band and returns whether the selected one was
// among them.
bool DrawStars(DrawContext& dc, const skydata::SkyCatalogue& catalogue,
               const std::vector<StarPlace>& places, int width,
               skydata::CatalogueClickRects& clickRects, const DisplayPreferences& preferences,
               int selectedStar)
{
    constexpr int kSelectionMargin = 3;
    constexpr QRgb kSelectionFill = kRed;
    const bool spectral = preferences.starColor == kStarsSpectral;
    bool selectionDrawn = false;
    dc.SetPen(kWhite);
    for (std::size_t i = 0; i < places.size(); ++i) {
        const StarPlace& place = places[i];
        if (!place.inBand) {
            continue;
        }
        const skydata::StarRecord& star = catalogue.stars[i];
        const int s = StarSizeClass(star.magnitude, width);
        const int x = place.point.x;
        const int y = place.point.y;
        if (static_cast<int>(i) == selectedStar) {
            const auto brush = dc.Brush();
            dc.SetBrush(kSelectionFill);
            const int reach = s + kSelectionMargin;
            dc.Ellipse(x - reach, y - reach, x + reach, y + reach);
            brush ? dc.SetBrush(*brush) : dc.SetNullBrush();
            selectionDrawn = true;
        }
        const QRgb color = spectral ? SpectralColor(star.spectrum) : kWhite;
        clickRects.stars[i] = DrawStarMarker(dc, x, y, s, color);
    }
    return selectionDrawn;
}

void DrawBodies(DrawContext& dc, const ChartView& view, const engine::SkyState& state,
                int planetMode)
{
    constexpr int kSymbolReach = 9;
    // From the Moon down to the Sun, so the Sun ends up on top.
    for (auto it = kSkyChartBodies.rbegin(); it != kSkyChartBodies.rend(); ++it) {
        const int body = *it;
        const SkyPoint sky{state.rightAscension[body], state.declination[body]};
        if (!view.Shows(view.ToScreen(sky), kSymbolReach)) {
            continue;
        }
        const PixelPoint p = view.ToPixel(sky);
        DrawBodySymbol(dc, body, p.x, p.y, planetMode);
    }
}

// ------------------------------------------------------------- zoomed map

// The step between grid lines: the smallest round step that leaves at
// least `minPixels` between lines.
double GridStep(const double* steps, std::size_t count, double pixelsPerUnit, double minPixels)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (steps[i] * pixelsPerUnit >= minPixels) {
            return steps[i];
        }
    }
    return steps[count - 1];
}

std::string RightAscensionLabel(double hours, double step)
{
    constexpr double kMinutesPerHour = 60;
    const long totalSeconds = std::lround(hours * kMinutesPerHour * kMinutesPerHour);
    const long wrapped = ((totalSeconds % 86400) + 86400) % 86400;
    const long h = wrapped / 3600;
    const long m = wrapped / 60 % 60;
    const long sec = wrapped % 60;
    if (step >= 1) return Printf("%02ldh", h);
    if (step >= 1 / kMinutesPerHour) return Printf("%02ldh%02ldm", h, m);
    return Printf("%02ldh%02ldm%02lds", h, m, sec);
}

std::string DeclinationLabel(double degrees, double step)
{
    constexpr double kMinutesPerDegree = 60;
    const long totalMinutes = std::lround(std::fabs(degrees) * kMinutesPerDegree);
    const char* sign = degrees < -1e-9 ? "-" : "+";
    if (step >= 1) return Printf("%s%ld", sign, totalMinutes / 60);
    return Printf("%s%ld:%02ld", sign, totalMinutes / 60, totalMinutes % 60);
}

void DrawZoomedGrid(DrawContext& dc, const ChartView& view)
{
    constexpr QRgb kGridPen = qRgb(20, 60, 20);
    constexpr QRgb kGridText = qRgb(40, 120, 40);
    constexpr double kHourSteps[] = {1.0 / 240, 1.0 / 120, 1.0 / 60, 2.0 / 60, 5.0 / 60,
                                     10.0 / 60, 20.0 / 60, 0.5,      1,        2};
    constexpr double kDegreeSteps[] = {1.0 / 60,  2.0 / 60, 5.0 / 60, 10.0 / 60,
                                       20.0 / 60, 0.5,      1,        2,
                                       5,         10,       15};
    constexpr double kMinSpacing = 90;
    const ScreenArea area = view.Area();
    const SkyPoint centre = view.Centre();
    const ScreenPoint middle = view.CentreOnScreen();
    const double pixelsPerHour = view.ScaleAt({0, 0}).x * 15;
    const double pixelsPerDegree = view.PixelsPerDegree();
    const double hourStep = GridStep(kHourSteps, std::size(kHourSteps), pixelsPerHour, kMinSpacing);
    const double degreeStep =
        GridStep(kDegreeSteps, std::size(kDegreeSteps), pixelsPerDegree, kMinSpacing);
    dc.SetPen(kGridPen);
    dc.SetTextColor(kGridText);
    constexpr int kLabelInset = 4;
    constexpr int kLabelRise = 20;
    // Right ascension grows to the left.
    const double leftHours = centre.longitude + (middle.x - area.left) / pixelsPerHour;
    const double rightHours = centre.longitude - (area.right - middle.x) / pixelsPerHour;
    for (double k = std::floor(rightHours / hourStep); k <= std::ceil(leftHours / hourStep); ++k) {
        const double hours = k * hourStep;
        const ScreenPoint top = view.ToScreen({hours, centre.latitude});
        const int x = TruncateToPixel(std::floor(top.x + 0.5));
        if (x < area.left || x >= area.right) continue;
        dc.Line(x, area.top, x, area.bottom);
        // The lower right corner holds the field's scale.
        constexpr int kScaleCorner = 200;
        if (x < area.right - kScaleCorner) {
            Text(dc, x + kLabelInset, area.bottom - kLabelRise, RightAscensionLabel(hours, hourStep));
        }
    }
    const double topDegrees = std::min(90.0, centre.latitude + (middle.y - area.top) / pixelsPerDegree);
    const double bottomDegrees =
        std::max(-90.0, centre.latitude - (area.bottom - middle.y) / pixelsPerDegree);
    for (double k = std::ceil(bottomDegrees / degreeStep); k * degreeStep <= topDegrees; ++k) {
        const double degrees = k * degreeStep;
        const int y = TruncateToPixel(std::floor(view.ToScreen({centre.longitude, degrees}).y + 0.5));
        if (y < area.top || y >= area.bottom) continue;
        dc.Line(area.left, y, area.right, y);
        Text(dc, kLabelInset, y + 2, DeclinationLabel(degrees, degreeStep));
    }
}

// A J2000 catalogue place (hours, degrees) on the map, carried to its
// apparent place of date as the map carries its stars.
ScreenPoint ScreenOfDate(const ChartView& view, const engine::SkyState& state, double ra, double dec)
{
    const engine::Equatorial ofDate = engine::ApparentPlaceOf(state, ra, dec);
    return view.ToScreen({ofDate.rightAscension, ofDate.declination});
}

// The Milky Way on the map: right ascension runs round, so outlines are
// kept continuous and drawn a turn to either side where they reach the map.
void DrawGeocentricMilkyWay(DrawContext& dc, const ChartView& view, const engine::SkyState& state,
                            const skydata::DeepSkyCatalogue& deep)
{
    const SkyPoint centre = view.Centre();
    const double halfTurn = std::fabs(view.ToScreen({centre.longitude + 6, 0}).x -
                                      view.ToScreen({centre.longitude - 6, 0}).x);
    ScreenArea clip = view.Area();
    // The outline points in one pass, each exactly as ScreenOfDate places
    // it. Outlines wholly above or below a zoomed view are not placed at all.
    thread_local std::vector<ScreenPoint> points;
    thread_local std::vector<char> away;
    PlaceMilkyWayOutlines(view, state, deep, away, points, [&view](const engine::UnitVector& direction) {
        const engine::Equatorial ofDate = engine::EquatorialOf(direction);
        return view.ToScreen({ofDate.rightAscension, ofDate.declination});
    });
    DrawMilkyWayOnScreen(dc, deep, points, ScreenOfDate(view, state, 0, 90).y, clip, ScreenDisc{},
                         2 * halfTurn, away);
}

// Returns whether the selected star was drawn.
bool DrawZoomedMap(DrawContext& dc, const ChartView& view, const engine::SkyState& state,
                   const skydata::SkyCatalogue& catalogue,
                   skydata::CatalogueClickRects& clickRects, const DisplayPreferences& preferences,
                   const ObjectSelection& selection, std::string_view selectedConstellation,
                   const skydata::DeepSkyCatalogue* deep, bool& deepSelectionDrawn)
{
    if (deep && preferences.showMilkyWay != 0) DrawGeocentricMilkyWay(dc, view, state, *deep);
    DrawZoomedGrid(dc, view);
    const int starCount = std::clamp(catalogue.starCount, 0, skydata::kStarCapacity);
    // Right ascension and declination of date, from the places unrounded.
    thread_local ExactCatalogueOfDate ofDate;
    ofDate.CarryStars(state, catalogue, starCount);
    std::vector<ViewPlace> stars(static_cast<std::size_t>(starCount));
    for (int i = 0; i < starCount; ++i) {
        const engine::Equatorial star = ofDate.Place(i);
        ViewPlace& place = stars[static_cast<std::size_t>(i)];
        place.visible = true;
        place.at = view.ToScreen({star.rightAscension, star.declination});
    }
    const int deepSkyCount = std::clamp(catalogue.deepSkyCount, 0, skydata::kDeepSkyCapacity);
    std::vector<ViewPlace> deepSky(static_cast<std::size_t>(deepSkyCount));
    for (int i = 0; i < deepSkyCount; ++i) {
        const skydata::DeepSkyObject& object = catalogue.deepSky[static_cast<std::size_t>(i)];
        const engine::Equatorial ofDate = engine::ApparentPlaceOf(state, object.ra, object.dec);
        deepSky[static_cast<std::size_t>(i)] = {
            true, view.ToScreen({ofDate.rightAscension, ofDate.declination})};
    }
    ViewLabels labels(view);
    // The star panel in the upper left stays readable.
    constexpr skydata::IntRect kPanelCorner{0, 0, 330, 130};
    labels.Reserve(kPanelCorner);
    DrawZoomedFigures(dc, view, catalogue, catalogue.figureCount, stars, selectedConstellation,
                      qRgb(70, 70, 255), kRed);
    bool selectionDrawn = false;
    const PlaceOnScreen place = [&](double ra, double dec) -> std::optional<ScreenPoint> {
        return ScreenOfDate(view, state, ra, dec);
    };
    const PlaceDirectionOnScreen placeDirection =
        [&](const engine::UnitVector& j2000) -> std::optional<ScreenPoint> {
        const engine::Equatorial ofDate =
            engine::EquatorialOf(engine::ApparentDirection(state.frame, j2000));
        return view.ToScreen({ofDate.rightAscension, ofDate.declination});
    };
    std::vector<bool> outlined;
    if (deep) DrawMessierOutlines(dc, view, catalogue, *deep, place, outlined);
    DrawZoomedDeepSky(dc, view, catalogue, deepSky, selection.selectedDeepSky, clickRects, labels,
                      &outlined);
    if (deep) {
        deepSelectionDrawn =
            DrawZoomedDeepCatalogue(dc, view, state, *deep, place, placeDirection, selection,
                                    clickRects, labels,
                                    GeocentricStarBand(view, state));
    }
    ZoomedStarStyle style;
    style.spectral = preferences.starColor == kStarsSpectral;
    selectionDrawn = DrawZoomedStars(dc, view, catalogue, stars, style, selection.selectedStar,
                                     clickRects, labels);
    DrawBodies(dc, view, state, preferences.planetMode);
    labels.Reserve(DrawFieldScale(dc, view));
    labels.Draw(dc);
    return selectionDrawn;
}

void DrawBodyTable(DrawContext& dc, const engine::SkyState& state, int width, int height,
                   int highlightedBody)
{
    constexpr int kFirstRowFromBottom = 173;
    constexpr int kRowHeight = 17;
    constexpr int kNameX = 50;
    constexpr int kSymbolDrop = 8;
    constexpr int kRightAscensionX = 110;
    constexpr int kDeclinationX = 215;
    constexpr int kDistanceX = 320;
    constexpr int kSignX = 430;
    constexpr int kSignDegreesX = 500;
    // Rows alternate so the eye can follow a line across the table.
    struct RowStyle {
        QRgb values;
        int symbolX;
    };
    constexpr std::array<RowStyle, 2> kRowStyles{{{kWhite, 15}, {kYellow, 35}}};

    int n = 0;
    for (const int body : kSkyChartBodies) {
        const RowStyle& style = kRowStyles[static_cast<std::size_t>(n % 2)];
        const int y = height - kFirstRowFromBottom + kRowHeight * n;
        const double ra = state.rightAscension[body];

        if (body == highlightedBody) {
            // Inside the table's frame: from the left edge to the help's rule.
            constexpr int kFrameLeft = 2;
            constexpr int kFrameRightFromEdge = 313;
            DrawBodyRowFrame(dc, kFrameLeft, y - 1, width - kFrameRightFromEdge, y + kRowHeight - 1);
        }
        dc.SetTextColor(BodyColor(body));
        Text(dc, kNameX, y, engine::BodyName(body));
        DrawBodySymbol(dc, body, style.symbolX, y + kSymbolDrop, kPlanetModeBigSymbols);

        dc.SetTextColor(style.values);
        Text(dc, kRightAscensionX, y, places::FormatAngle(ra, places::kAngleHours));
        Text(dc, kDeclinationX, y,
             places::FormatAngle(state.declination[body], places::kAngleSignedDegrees));
        Text(dc, kDistanceX, y, GeocentricDistanceText(body, state.geoDistance[body]));

        const ZodiacText zodiac = ZodiacColumns(ra);
        Text(dc, kSignX, y, zodiac.sign);
        Text(dc, kSignDegreesX, y, zodiac.degrees);
        ++n;
    }
}

void DrawCaption(DrawContext& dc, const engine::SkyState& state, int width, int height)
{
    constexpr int kCaptionFromRight = 275;
    constexpr int kCaptionFromBottom = 196;
    dc.SelectFont(ChartFont(ChartFontUse::GeocentricCaption));
    dc.SetTextColor(kYellow);
    Text(dc, width - kCaptionFromRight, height - kCaptionFromBottom,
         places::FormatDateTime(state.shownYear, state.shownMonth, state.shownDay,
                                state.shownHour, state.shownMinute, state.shownSecond,
                                places::kDateMonthDayYear12h, state.dst));
}

}  // namespace

bool GeocentricBandHolds(double declinationDegrees)
{
    return declinationDegrees > -kBandLimitDegrees && declinationDegrees < kBandLimitDegrees;
}

bool GeocentricFigureMayJoin(double rightAscension, double declination)
{
    // Right ascensions a figure line may join without running across the
    // 0 h seam.
    constexpr double kSeamSafeFirstHour = 1.0;
    constexpr double kSeamSafeLastHour = 23.5;
    return GeocentricBandHolds(declination) && rightAscension > kSeamSafeFirstHour &&
           rightAscension < kSeamSafeLastHour;
}

ChartView GeocentricChartView(int height, int width, const ViewAim& aim)
{
    return ChartView::Geocentric(width, height, kTableSpace, aim);
}

void DrawGeocentricChart(DrawContext& dc, const engine::SkyState& state, int height, int width,
                         int timeControlMode, int stepUnit,
                         const skydata::SkyCatalogue& catalogue,
                         skydata::CatalogueClickRects& clickRects,
                         const DisplayPreferences& preferences, const ObjectSelection& selection,
                         const ViewAim& aim, const skydata::DeepSkyCatalogue* deepSky)
{
    constexpr QRgb kGridPen = qRgb(20, 60, 20);
    constexpr QRgb kGridText = qRgb(40, 120, 40);

    const ChartView view = GeocentricChartView(height, width, aim);
    const QFont previousFont = dc.SelectFont(ChartFont(ChartFontUse::ChartText));
    // Only a zoomed frame draws the deep sky; nothing older answers clicks.
    clickRects.deep.clear();
    if (!view.WholeSky()) {
        const int selectedStar = selection.selectedStar;
        const std::string selectedConstellation = SelectedConstellation(catalogue, selectedStar);
        bool deepSelectionDrawn = false;
        const bool selectionDrawn =
            DrawZoomedMap(dc, view, state, catalogue, clickRects, preferences, selection,
                          selectedConstellation, deepSky, deepSelectionDrawn);
        // What spilled past the map's edge goes under the tables.
        dc.FillSolidRect(0, height - kTableSpace, width, height, qRgb(0, 0, 0));
        DrawTableFrame(dc, width, height, timeControlMode, stepUnit);
        dc.SelectFont(ChartFont(ChartFontUse::ChartText));
        if (!deepSelectionDrawn || !DrawDeepSkyPanelGeocentric(dc, deepSky, catalogue, selection))
            DrawStarPanelGeocentric(dc, catalogue, selectedStar, selectionDrawn);
        DrawBodyTable(dc, state, width, height, selection.highlightedBody);
        DrawCaption(dc, state, width, height);
        dc.SelectFont(previousFont);
        return;
    }
    if (deepSky && preferences.showMilkyWay != 0) DrawGeocentricMilkyWay(dc, view, state, *deepSky);
    dc.SetPen(kGridPen);
    dc.SetTextColor(kGridText);
    // The panel in the corner is known before the grid: its labels keep
    // out from under it. Whether the selected star is drawn is settled by
    // the stars below; the panel's larger box counts for a selection.
    const skydata::IntRect panelBox = StarPanelGeocentricBox(
        dc, catalogue, selection.selectedStar,
        selection.selectedStar >= 0 && selection.selectedStar < catalogue.starCount);
    DrawDeclinationGrid(dc, width, height, panelBox);
    DrawRightAscensionGrid(dc, width, height);
    DrawTableFrame(dc, width, height, timeControlMode, stepUnit);

    const int starCount = std::clamp(catalogue.starCount, 0, skydata::kStarCapacity);
    // The map is of right ascension and declination of date, like the
    // bodies on it: every star carried from its J2000 place.
    thread_local CatalogueOfDate ofDate;
    ofDate.CarryStars(state, catalogue, starCount);
    std::vector<StarPlace> places(static_cast<std::size_t>(starCount));
    for (int i = 0; i < starCount; ++i) {
        engine::Equatorial star{};
        StarPlace& place = places[static_cast<std::size_t>(i)];
        // Stars outside the band are neither drawn nor joined: no position.
        place.inBand = ofDate.PlaceNearBand(i, kBandLimitDegrees, star) &&
                       GeocentricBandHolds(star.declination);
        if (!place.inBand) {
            continue;
        }
        place.point = view.ToPixel({star.rightAscension, star.declination});
        place.seamSafe = GeocentricFigureMayJoin(star.rightAscension, star.declination);
    }
    const int selectedStar = selection.selectedStar;
    const std::string selectedConstellation = SelectedConstellation(catalogue, selectedStar);
    DrawFigures(dc, catalogue, places, selectedConstellation);
    const bool selectionDrawn =
        DrawStars(dc, catalogue, places, width, clickRects, preferences, selectedStar);
    DrawStarPanelGeocentric(dc, catalogue, selectedStar, selectionDrawn);

    DrawBodies(dc, view, state, preferences.planetMode);
    if (selection.telescope) {
        const auto at = TelescopeReticleAt(view, state, *selection.telescope);
        if (at && (view.WholeSky() || view.Shows(ScreenPoint{double(at->x), double(at->y)}, 0)))
            DrawTelescopeReticle(dc, *at);
    }
    DrawBodyTable(dc, state, width, height, selection.highlightedBody);
    DrawCaption(dc, state, width, height);
    dc.SelectFont(previousFont);
}

void DrawGeocentricChart(QPainter& target, OutputKind output, engine::SkyState state, int height,
                         int width, [[maybe_unused]] int zoom,
                         [[maybe_unused]] skydata::IntRect& objectLinkRect, int timeControlMode,
                         int stepUnit, const skydata::SkyCatalogue& catalogue,
                         skydata::CatalogueClickRects& clickRects,
                         const DisplayPreferences& preferences, const ObjectSelection& selection,
                         const ViewAim& aim, const skydata::DeepSkyCatalogue* deepSky)
{
    COffscreenDC surface(target, output);
    DrawGeocentricChart(surface.dc(), state, height, width, timeControlMode, stepUnit, catalogue,
                        clickRects, preferences, selection, aim, deepSky);
}

}  // namespace skyvane::render
