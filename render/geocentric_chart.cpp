#include "render/geocentric_chart.h"

#include <QRgb>
#include <QSize>
#include <QString>

#include <algorithm>
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
#include "render/chart_text.h"
#include "render/figure_lines.h"
#include "render/found_object_marks.h"
#include "render/label_placer.h"
#include "render/navigation_help.h"
#include "render/sky_mapping.h"
#include "render/star_marker.h"
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
        const std::int32_t first = catalogue.figures[static_cast<std::size_t>(row)].stars[0];
        const bool highlighted =
            !selectedConstellation.empty() && first >= 0 && first < skydata::kStarCapacity &&
            skydata::StarConstellation(catalogue.stars[static_cast<std::size_t>(first)]) ==
                selectedConstellation;
        dc.SetPen(highlighted ? kHighlightPen : kFigurePen);
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

void DrawBodies(DrawContext& dc, const engine::SkyState& state, int width, int height,
                int planetMode)
{
    // From the Moon down to the Sun, so the Sun ends up on top.
    for (auto it = kSkyChartBodies.rbegin(); it != kSkyChartBodies.rend(); ++it) {
        const int body = *it;
        const PixelPoint p =
            MapGeocentric(state.rightAscension[body], state.declination[body], width, height);
        DrawBodySymbol(dc, body, p.x, p.y, planetMode);
    }
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

void DrawGeocentricChart(DrawContext& dc, const engine::SkyState& state, int height, int width,
                         int timeControlMode, int stepUnit,
                         const skydata::SkyCatalogue& catalogue,
                         skydata::CatalogueClickRects& clickRects,
                         const DisplayPreferences& preferences, const ObjectSelection& selection)
{
    constexpr QRgb kGridPen = qRgb(20, 60, 20);
    constexpr QRgb kGridText = qRgb(40, 120, 40);

    const QFont previousFont = dc.SelectFont(ChartFont(ChartFontUse::ChartText));
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
        place.point = MapGeocentric(star.rightAscension, star.declination, width, height);
        place.seamSafe = GeocentricFigureMayJoin(star.rightAscension, star.declination);
    }
    const int selectedStar = selection.selectedStar;
    const std::string selectedConstellation = SelectedConstellation(catalogue, selectedStar);
    DrawFigures(dc, catalogue, places, selectedConstellation);
    const bool selectionDrawn =
        DrawStars(dc, catalogue, places, width, clickRects, preferences, selectedStar);
    DrawStarPanelGeocentric(dc, catalogue, selectedStar, selectionDrawn);

    DrawBodies(dc, state, width, height, preferences.planetMode);
    DrawBodyTable(dc, state, width, height, selection.highlightedBody);
    DrawCaption(dc, state, width, height);
    dc.SelectFont(previousFont);
}

void DrawGeocentricChart(QPainter& target, OutputKind output, engine::SkyState state, int height,
                         int width, [[maybe_unused]] int zoom,
                         [[maybe_unused]] skydata::IntRect& objectLinkRect, int timeControlMode,
                         int stepUnit, const skydata::SkyCatalogue& catalogue,
                         skydata::CatalogueClickRects& clickRects,
                         const DisplayPreferences& preferences, const ObjectSelection& selection)
{
    COffscreenDC surface(target, output);
    DrawGeocentricChart(surface.dc(), state, height, width, timeControlMode, stepUnit, catalogue,
                        clickRects, preferences, selection);
}

}  // namespace skyvane::render
