#include "render/horizontal_chart.h"

#include "render/telescope_reticle.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/body.h"
#include "places/formatting.h"
#include "places/windows1252.h"
#include "render/body_symbols.h"
#include "render/chart_fonts.h"
#include "render/deep_sky_drawing.h"
#include "render/figure_lines.h"
#include "render/found_object_marks.h"
#include "render/horizontal_placement.h"
#include "render/navigation_help.h"
#include "render/sky_mapping.h"
#include "render/star_marker.h"
#include "render/zoomed_sky.h"
#include "skydata/constellations.h"

// Resources compiled into a static library are only registered when
// something refers to their initialiser; this is that reference. The macro
// must be used outside any namespace.
static void RegisterChartResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace skyvane::render {

namespace {

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);

void Text(DrawContext& dc, int x, int y, QRgb color, const QString& text)
{
    dc.SetTextColor(color);
    TextOutString(dc, x, y, text);
}

// Catalogue, place and formatter texts are Windows-1252 bytes.
void Text(DrawContext& dc, int x, int y, QRgb color, std::string_view text)
{
    Text(dc, x, y, color, places::FromWindows1252(text));
}

// Where everything sits for a window of a given size. Integer divisions cut
// toward zero; for an even height the disc touches rows 1 and H - 1 and
// starts 13 pixels from the left edge. A window less than about 310 pixels
// wider than it is tall (maximised on a 1024 x 768 screen, a portrait
// screen) has no room for a disc that tall left of the panel: the disc
// shrinks to the room there, keeps its left margin and sits in the middle
// of the height, so that its rim, its stars and the compass letters stay
// out of the panel's texts.
struct ChartLayout {
    int cx;
    int cy;
    int radius;
    int x0;  // left edge of the panel
    int height;
    int width;
};

ChartLayout LayoutFor(int height, int width)
{
    constexpr int kPanelWidth = 300;
    // The least room between the disc's rim and the panel's edge.
    constexpr int kPanelGap = 2;
    const int r0 = (height - 20) / 2;
    ChartLayout layout{r0 + 22, r0 + 10, height / 2 - 1, width - kPanelWidth, height, width};
    const int margin = layout.cx - layout.radius;
    if (layout.cx + layout.radius > layout.x0 - kPanelGap) {
        layout.radius = std::max(1, (layout.x0 - kPanelGap - margin) / 2);
        layout.cx = margin + layout.radius;
    }
    return layout;
}

// ---------------------------------------------------------------- sky disc

// Black once the Sun is 12 degrees down, brightening through blue to its
// full day colour at sunrise.
QRgb SkyDiscColor(double sunAltitude)
{
    constexpr double kDarkAltitude = -12;
    constexpr double kStepsPerDegree = 12;
    constexpr int kDayBlue = 144;
    const int v = std::clamp(TruncateToPixel((sunAltitude - kDarkAltitude) * kStepsPerDegree), 0,
                             kDayBlue);
    return qRgb(v / 4, v / 4, v);
}

void DrawSkyDisc(DrawContext& dc, const ChartLayout& layout, double sunAltitude)
{
    dc.SetPen(kWhite);
    // The surface starts black, as the night sky is: only a brighter sky
    // needs filling (a 4K disc is 15 MB of pixels).
    const QRgb sky = SkyDiscColor(sunAltitude);
    if (sky == kBlack)
        dc.SetNullBrush();
    else
        dc.SetBrush(sky);
    dc.Ellipse(layout.cx - layout.radius, layout.cy - layout.radius, layout.cx + layout.radius,
               layout.cy + layout.radius);
}

// ------------------------------------------------------ catalogue objects

// Where each star lands in this frame. Kept between frames: a frame
// allocates nothing per star and reuses what the declinations fix.
HorizontalStarPlacer& StarPlacer()
{
    thread_local HorizontalStarPlacer placer;
    return placer;
}

struct CatalogueResult {
    std::string selectedConstellation;  // empty unless the selected star is in a figure
    bool selectionOnScreen = false;
};

bool StarInAnyFigure(const skydata::SkyCatalogue& catalogue, int star)
{
    // 0 marks an empty place in a figure, never star row 0.
    if (star <= 0) {
        return false;
    }
    for (const skydata::ConstellationFigure& figure : catalogue.figures) {
        for (const std::int32_t entry : figure.stars) {
            if (entry == star) {
                return true;
            }
        }
    }
    return false;
}

// The selected star's constellation as the figures are matched against it:
// the designation's last three characters with any blanks removed.
std::string ConstellationOfSelection(const skydata::StarRecord& star)
{
    std::string abbreviation;
    for (const char c : skydata::StarConstellation(star)) {
        if (c != ' ') {
            abbreviation += c;
        }
    }
    return abbreviation;
}

void DrawFigures(DrawContext& dc, const skydata::SkyCatalogue& catalogue,
                 const std::vector<StarPlacement>& stars, int starCount,
                 std::string_view selectedConstellation)
{
    constexpr QRgb kFigureBlue = qRgb(70, 70, 220);
    constexpr QRgb kHighlightRed = qRgb(255, 0, 0);
    const auto beginRow = [&](int row) {
        dc.SetPen(FigureInConstellation(catalogue, row, selectedConstellation) ? kHighlightRed : kFigureBlue);
    };
    const auto visible = [&](std::int32_t star) {
        return stars[static_cast<std::size_t>(star)].visible;
    };
    const auto line = [&](std::int32_t a, std::int32_t b) {
        const StarPlacement& from = stars[static_cast<std::size_t>(a)];
        const StarPlacement& to = stars[static_cast<std::size_t>(b)];
        dc.Line(from.x, from.y, to.x, to.y);
    };
    ForEachFigureSegment(catalogue, kHorizontalFigureRows, starCount, beginRow, visible, line);
}

// Returns whether the selected object was drawn.
bool DrawMessierObjects(DrawContext& dc, const StarPlacement* placements, int count,
                        int selectedDeepSky, skydata::CatalogueClickRects& clickRects)
{
    constexpr int kRingReach = 6;
    constexpr QRgb kRingPen = qRgb(255, 0, 0);
    constexpr QRgb kRingFill = qRgb(255, 255, 255);
    constexpr int kMarkerReach = 3;
    // The marker is one pixel shorter at the bottom than its click box.
    constexpr int kMarkerBottom = 2;
    constexpr QRgb kMarkerPen = qRgb(204, 87, 57);
    constexpr QRgb kMarkerFill = qRgb(0, 0, 0);
    bool selectionDrawn = false;
    for (int i = 0; i < count; ++i) {
        const StarPlacement& p = placements[i];
        if (!p.visible) {
            continue;
        }
        if (i == selectedDeepSky) {
            dc.SetPen(kRingPen);
            dc.SetBrush(kRingFill);
            dc.Ellipse(p.x - kRingReach, p.y - kRingReach, p.x + kRingReach, p.y + kRingReach);
            selectionDrawn = true;
        }
        dc.SetPen(kMarkerPen);
        dc.SetBrush(kMarkerFill);
        dc.Ellipse(p.x - kMarkerReach, p.y - kMarkerReach, p.x + kMarkerReach, p.y + kMarkerBottom);
        clickRects.deepSky[static_cast<std::size_t>(i)] = {
            p.x - kMarkerReach, p.y - kMarkerReach, p.x + kMarkerReach, p.y + kMarkerReach};
    }
    return selectionDrawn;
}

// Returns whether the selected star was drawn.
bool DrawStars(DrawContext& dc, const skydata::SkyCatalogue& catalogue,
               const std::vector<StarPlacement>& placements, int starCount, double sunAltitude,
               int width, const DisplayPreferences& preferences, int selectedStar,
               skydata::CatalogueClickRects& clickRects)
{
    constexpr int kRingMargin = 3;
    constexpr QRgb kRingColor = qRgb(255, 0, 0);
    constexpr QRgb kPlainStar = qRgb(255, 255, 255);
    const bool spectral = preferences.starColor == kStarsSpectral;
    bool selectionDrawn = false;
    for (int i = 0; i < starCount; ++i) {
        const StarPlacement& p = placements[static_cast<std::size_t>(i)];
        if (!p.visible) {
            continue;
        }
        const skydata::StarRecord& star = catalogue.stars[static_cast<std::size_t>(i)];
        if (!HorizontalStarLit(sunAltitude, star.magnitude, preferences)) {
            continue;
        }
        const int sizeClass = StarSizeClass(star.magnitude, width);
        if (i == selectedStar) {
            const int reach = sizeClass + kRingMargin;
            dc.SetPen(kRingColor);
            dc.SetBrush(kRingColor);
            dc.Ellipse(p.x - reach, p.y - reach, p.x + reach, p.y + reach);
            selectionDrawn = true;
        }
        if (IsEmptyStarRow(star)) {
            continue;
        }
        const QRgb color = spectral ? SpectralColor(star.spectrum) : kPlainStar;
        clickRects.stars[static_cast<std::size_t>(i)] =
            DrawStarMarker(dc, p.x, p.y, sizeClass, color);
    }
    return selectionDrawn;
}

// A J2000 catalogue place (hours, degrees) on the chart seen through
// `view`, carried to the date: the whole sky takes the catalogue codes, as
// the chart always has; a zoomed view the place itself.
// An apparent direction of date on the view: hidden below the horizon.
ViewPlace PlaceDirectionOnView(const ChartView& view, const engine::UnitVector& direction,
                               const ObserverTurn& turn)
{
    ViewPlace place;
    place.visible = HorizontalOfDirection(direction, turn, false).altitude > 0;
    if (!place.visible) {
        return place;
    }
    const engine::Horizontal horizontal = HorizontalOfDirection(direction, turn);
    if (view.WholeSky()) {
        const PixelPoint p = view.ToPixel({horizontal.azimuth, horizontal.altitude});
        place.at = {static_cast<double>(p.x), static_cast<double>(p.y)};
    } else {
        place.at = view.ToScreen({horizontal.azimuth, horizontal.altitude});
    }
    return place;
}

ViewPlace PlaceOnView(const ChartView& view, const engine::SkyState& state, double ra, double dec)
{
    const engine::UnitVector direction = view.WholeSky()
                                             ? ApparentDirectionOfCodes(state, RaCode(ra), DecCode(dec))
                                             : ApparentDirectionOf(state, ra, dec);
    return PlaceDirectionOnView(view, direction, ObserverTurn::Of(state));
}

// The Milky Way inside the horizon: every outline point goes through the
// chart's own plane, those below the horizon beyond its rim.
void DrawHorizontalMilkyWay(DrawContext& dc, const ChartView& view, const engine::SkyState& state,
                            const skydata::DeepSkyCatalogue& deep)
{
    const ScreenPoint zenith = view.ToScreen({0, 90});
    const ScreenPoint rim = view.ToScreen({0, 0});
    const ScreenDisc disc{zenith.x, zenith.y, std::hypot(rim.x - zenith.x, rim.y - zenith.y)};
    // The outline points in one pass, each where HorizontalPlaceOf places
    // it. Outlines wholly beside a zoomed view are not placed at all.
    thread_local std::vector<ScreenPoint> points;
    thread_local std::vector<char> away;
    const ObserverTurn turn = ObserverTurn::Of(state);
    PlaceMilkyWayOutlines(view, state, deep, away, points,
                          [&view, &turn](const engine::UnitVector& direction) {
                              return HorizontalScreenOfDirection(view, direction, turn);
                          });
    DrawMilkyWayOnScreen(dc, deep, points, 0, view.Area(), disc, 0, away);
}

std::string SelectedConstellationOf(const skydata::SkyCatalogue& catalogue, int starCount,
                                    const ObjectSelection& selection)
{
    if (selection.selectedStar >= 0 && selection.selectedStar < starCount &&
        StarInAnyFigure(catalogue, selection.selectedStar)) {
        return ConstellationOfSelection(
            catalogue.stars[static_cast<std::size_t>(selection.selectedStar)]);
    }
    return {};
}

// The catalogue of a zoomed chart: the same objects under the same rules,
// sized and named for the field.
CatalogueResult DrawZoomedCatalogue(DrawContext& dc, const ChartView& view,
                                    const engine::SkyState& state,
                                    const skydata::SkyCatalogue& catalogue,
                                    const DisplayPreferences& preferences,
                                    const ObjectSelection& selection,
                                    skydata::CatalogueClickRects& clickRects, ViewLabels& labels,
                                    const skydata::DeepSkyCatalogue* deep)
{
    CatalogueResult result;
    const double sunAltitude = state.altitude[engine::kSun];
    if (!HorizontalShowsCatalogue(sunAltitude, preferences)) {
        return result;
    }
    const int starCount = std::clamp(catalogue.starCount, 0, skydata::kStarCapacity);
    result.selectedConstellation = SelectedConstellationOf(catalogue, starCount, selection);

    HorizontalStarPlacer& placer = StarPlacer();
    placer.Place(state, catalogue, starCount, view);
    const std::vector<ViewPlace>& stars = placer.ViewPlaces();
    const int deepSkyCount = std::clamp(catalogue.deepSkyCount, 0, skydata::kDeepSkyCapacity);
    std::vector<ViewPlace> deepSky(static_cast<std::size_t>(deepSkyCount));
    for (int i = 0; i < deepSkyCount; ++i) {
        const skydata::DeepSkyObject& object = catalogue.deepSky[static_cast<std::size_t>(i)];
        deepSky[static_cast<std::size_t>(i)] = PlaceOnView(view, state, object.ra, object.dec);
    }

    if (preferences.showConstellations == 1) {
        DrawZoomedFigures(dc, view, catalogue, kHorizontalFigureRows, stars,
                          result.selectedConstellation, qRgb(70, 70, 220), qRgb(255, 0, 0));
    }
    const PlaceOnScreen place = [&](double ra, double dec) -> std::optional<ScreenPoint> {
        const ViewPlace p = PlaceOnView(view, state, ra, dec);
        return p.visible ? std::optional<ScreenPoint>(p.at) : std::nullopt;
    };
    const ObserverTurn turn = ObserverTurn::Of(state);
    const PlaceDirectionOnScreen placeDirection =
        [&](const engine::UnitVector& j2000) -> std::optional<ScreenPoint> {
        const ViewPlace p = PlaceDirectionOnView(view, ApparentDirectionOfVector(state, j2000), turn);
        return p.visible ? std::optional<ScreenPoint>(p.at) : std::nullopt;
    };
    if (HorizontalShowsDeepSky(sunAltitude, preferences)) {
        std::vector<bool> outlined;
        if (deep) DrawMessierOutlines(dc, view, catalogue, *deep, place, outlined);
        result.selectionOnScreen |= DrawZoomedDeepSky(dc, view, catalogue, deepSky,
                                                      selection.selectedDeepSky, clickRects,
                                                      labels, &outlined);
    }
    if (deep && preferences.noStars == 0) {
        result.selectionOnScreen |=
            DrawZoomedDeepCatalogue(dc, view, state, *deep, place, placeDirection, selection,
                                    clickRects, labels);
    }
    ZoomedStarStyle style;
    style.spectral = preferences.starColor == kStarsSpectral;
    style.sunAltitude = sunAltitude;
    style.twilightRule = true;
    style.starsAlways = preferences.starsVisibleMode == kStarsAlways;
    result.selectionOnScreen |= DrawZoomedStars(dc, view, catalogue, stars, style,
                                                selection.selectedStar, clickRects, labels);
    return result;
}

CatalogueResult DrawCatalogueObjects(DrawContext& dc, const ChartLayout& layout,
                                     const ChartView& view, const engine::SkyState& state,
                                     const skydata::SkyCatalogue& catalogue,
                                     const DisplayPreferences& preferences,
                                     const ObjectSelection& selection,
                                     skydata::CatalogueClickRects& clickRects)
{
    CatalogueResult result;
    const double sunAltitude = state.altitude[engine::kSun];
    if (!HorizontalShowsCatalogue(sunAltitude, preferences)) {
        return result;
    }

    const int starCount = std::clamp(catalogue.starCount, 0, skydata::kStarCapacity);
    result.selectedConstellation = SelectedConstellationOf(catalogue, starCount, selection);

    // Each object is placed once; the figure lines reuse the placements.
    HorizontalStarPlacer& placer = StarPlacer();
    placer.Place(state, catalogue, starCount, view);
    const std::vector<StarPlacement>& stars = placer.Placements();
    const int deepSkyCount = std::clamp(catalogue.deepSkyCount, 0, skydata::kDeepSkyCapacity);
    StarPlacement deepSky[skydata::kDeepSkyCapacity];
    for (int i = 0; i < deepSkyCount; ++i) {
        const skydata::DeepSkyObject& object = catalogue.deepSky[static_cast<std::size_t>(i)];
        const ViewPlace place = PlaceOnView(view, state, object.ra, object.dec);
        deepSky[i] = {place.visible, static_cast<int>(place.at.x), static_cast<int>(place.at.y)};
    }

    if (preferences.showConstellations == 1) {
        DrawFigures(dc, catalogue, stars, starCount, result.selectedConstellation);
    }
    if (HorizontalShowsDeepSky(sunAltitude, preferences)) {
        result.selectionOnScreen |= DrawMessierObjects(dc, deepSky, deepSkyCount,
                                                       selection.selectedDeepSky, clickRects);
    }
    result.selectionOnScreen |= DrawStars(dc, catalogue, stars, starCount, sunAltitude,
                                          layout.width, preferences, selection.selectedStar,
                                          clickRects);
    return result;
}

// ------------------------------------------------------------------ panel

void DrawPanelFrame(DrawContext& dc, const ChartLayout& layout)
{
    constexpr QRgb kFrameGrey = qRgb(200, 200, 200);
    constexpr int kRuleRows[] = {58, 274, 372, 520};
    dc.SetPen(kFrameGrey);
    dc.Line(layout.x0, 0, layout.x0, layout.height);
    for (const int y : kRuleRows) {
        dc.Line(layout.x0, y, layout.width, y);
    }
}

void DrawCaption(DrawContext& dc, const ChartLayout& layout, const engine::SkyState& state)
{
    constexpr int kCaptionDx = 11;
    constexpr int kDateY = 7;
    constexpr int kPlaceY = 30;
    const QFont tableFont = dc.SelectFont(ChartFont(ChartFontUse::HorizontalCaption));
    Text(dc, layout.x0 + kCaptionDx, kDateY, kYellow,
         places::FormatDateTime(state.shownYear, state.shownMonth, state.shownDay,
                                state.shownHour, state.shownMinute, state.shownSecond,
                                places::kDateMonthDayYear12h, state.dst));
    Text(dc, layout.x0 + kCaptionDx, kPlaceY, kYellow, state.locationName + " ");
    dc.SelectFont(tableFont);
}

// Draws the bodies on the disc and their table rows; returns the row
// position below the table.
int DrawBodies(DrawContext& dc, const ChartLayout& layout, const ChartView& view,
               const engine::SkyState& state, const DisplayPreferences& preferences,
               int highlightedBody)
{
    constexpr int kFirstRowY = 90;
    constexpr int kRowStep = 21;
    constexpr int kSymbolDx = 20;
    constexpr int kNameDx = 35;
    constexpr int kAzimuthDx = 100;
    constexpr int kAltitudeDx = 200;
    constexpr int kTextRaise = 6;  // texts sit this much above the symbol's row
    constexpr QRgb kBelowHorizon = qRgb(210, 210, 230);

    int y = kFirstRowY;
    for (const int body : kSkyChartBodies) {
        const double azimuth = state.azimuth[body];
        const double altitude = state.altitude[body];
        const bool up = altitude > 0;
        if (up) {
            // A zoomed map leaves out what falls off it; the panel is
            // drawn over the rest.
            constexpr int kSymbolReach = 9;
            if (view.Shows(view.ToScreen({azimuth, altitude}), kSymbolReach)) {
                const PixelPoint at = view.ToPixel({azimuth, altitude});
                DrawBodySymbol(dc, body, at.x, at.y, preferences.planetMode);
            }
        }
        if (body == highlightedBody) {
            constexpr int kFrameInset = 3;
            constexpr int kFrameAbove = 10;
            DrawBodyRowFrame(dc, layout.x0 + kFrameInset, y - kFrameAbove,
                             layout.width - kFrameInset, y - kFrameAbove + kRowStep);
        }
        DrawBodySymbol(dc, body, layout.x0 + kSymbolDx, y, kPlanetModeBigSymbols);
        Text(dc, layout.x0 + kNameDx, y - kTextRaise, BodyColor(body),
             QString::fromLatin1(engine::BodyName(body)));
        const QRgb color = up ? kYellow : kBelowHorizon;
        Text(dc, layout.x0 + kAzimuthDx, y - kTextRaise, color,
             places::FormatAngle(ShownAzimuth(azimuth, preferences.northAtZero),
                                 places::kAngleUnsignedDegrees));
        Text(dc, layout.x0 + kAltitudeDx, y - kTextRaise, color,
             places::FormatAngle(altitude, places::kAngleSignedDegrees));
        y += kRowStep;
    }
    return y;
}

void DrawTableHeader(DrawContext& dc, const ChartLayout& layout)
{
    constexpr int kHeaderDx = 35;
    constexpr int kHeaderY = 64;
    Text(dc, layout.x0 + kHeaderDx, kHeaderY, kWhite,
         QStringLiteral("Planet         Azimuth              Altitude"));
}

void DrawStoredLocations(DrawContext& dc, const ChartLayout& layout, const engine::SkyState& state,
                         int y)
{
    constexpr int kNumberDx = 11;
    constexpr int kNameDx = 30;
    constexpr int kFirstDy = 5;
    constexpr int kLineStep = 17;
    constexpr QRgb kNameColor = qRgb(128, 128, 255);
    // The slots the digit keys pick; the rest of the table is never used.
    const int lastUsed = std::min(engine::kLocationsInUse, engine::kLocationSlots) - 1;
    for (int k = 0; k <= lastUsed; ++k) {
        const int lineY = y + kFirstDy + kLineStep * k;
        Text(dc, layout.x0 + kNumberDx, lineY, kWhite, QString::number(k));
        Text(dc, layout.x0 + kNameDx, lineY, kNameColor,
             std::string_view(state.locations.entries[static_cast<std::size_t>(k)].name));
    }
}

void DrawMoonPhase(DrawContext& dc, const ChartLayout& layout, const engine::SkyState& state,
                   int y)
{
    constexpr int kPictureDx = 100;
    constexpr int kPictureDy = 109;
    constexpr int kLabelDx = 12;
    constexpr int kLabelDy = 101;
    const double phase =
        MoonPhase(state.rightAscension[engine::kMoon], state.rightAscension[engine::kSun]);
    DrawMoonWithShadow(dc, layout.x0 + kPictureDx, y + kPictureDy, phase);
    Text(dc, layout.x0 + kLabelDx, y + kLabelDy, kWhite, QStringLiteral("Moon phase"));
}

void DrawStatusLine(DrawContext& dc, bool selectionShown)
{
    constexpr int kStatusX = 5;
    constexpr int kStatusY = 5;
    Text(dc, kStatusX, kStatusY, kWhite,
         selectionShown ? QStringLiteral("F1 for Navigation help")
                        : QStringLiteral("Click Star for more information"));
}

void DrawLowerPanel(DrawContext& dc, const ChartLayout& layout, int y, bool selectionShown,
                    int timeControlMode, int stepUnit, const skydata::SkyCatalogue& catalogue,
                    const ObjectSelection& selection, skydata::IntRect& objectLinkRect,
                    const skydata::DeepSkyCatalogue* deep)
{
    if (!selectionShown) {
        constexpr int kHelpDx = -7;
        constexpr int kHelpDy = 191;
        dc.SetPen(kWhite);
        DrawNavigationHelp(dc, kNavigationHelpHorizontal, layout.x0 + kHelpDx, y + kHelpDy,
                           timeControlMode, stepUnit, layout.width);
        return;
    }
    constexpr int kPanelDy = 23;
    const int base = y + kPanelDy;
    if (selection.selectedStar != -1) {
        DrawStarPanelHorizontal(dc, layout.x0, base, layout.width, catalogue,
                                selection.selectedStar, objectLinkRect);
    }
    if (selection.selectedDeepSky != -1) {
        DrawMessierPanelHorizontal(dc, layout.x0, base, layout.width, catalogue,
                                   selection.selectedDeepSky, objectLinkRect);
    }
    DrawDeepSkyPanelHorizontal(dc, layout.x0, base, deep, catalogue, selection);
}

void DrawCompass(DrawContext& dc, const ChartLayout& layout, int orientation)
{
    constexpr QRgb kCompassGreen = qRgb(0, 220, 0);
    // Offsets from the rim, fitted to the letters' widths.
    constexpr int kLeftLetterDx = 2;
    constexpr int kRightEastDx = -10;
    constexpr int kRightWestDx = -16;
    constexpr int kSideLetterDy = -8;
    constexpr int kTopBottomDx = -4;
    constexpr int kNorthDy = 2;
    constexpr int kSouthDy = -18;
    const int leftX = layout.cx + kLeftLetterDx - layout.radius;
    const int sideY = layout.cy + kSideLetterDy;
    if (orientation == kWestLeftEastRight) {
        Text(dc, leftX, sideY, kCompassGreen, QStringLiteral("W"));
        Text(dc, layout.cx + kRightEastDx + layout.radius, sideY, kCompassGreen,
             QStringLiteral("E"));
    } else {
        Text(dc, leftX, sideY, kCompassGreen, QStringLiteral("E"));
        Text(dc, layout.cx + kRightWestDx + layout.radius, sideY, kCompassGreen,
             QStringLiteral("W"));
    }
    Text(dc, layout.cx + kTopBottomDx, layout.cy + kNorthDy - layout.radius, kCompassGreen,
         QStringLiteral("N"));
    Text(dc, layout.cx + kTopBottomDx, layout.cy + kSouthDy + layout.radius, kCompassGreen,
         QStringLiteral("S"));
}

// A zoomed map names the points of the horizon where they are in view.
void DrawZoomedCompass(DrawContext& dc, const ChartView& view)
{
    constexpr QRgb kCompassGreen = qRgb(0, 220, 0);
    struct Point {
        double azimuth;
        const char* letter;
    };
    constexpr Point kPoints[] = {{0, "S"}, {90, "W"}, {180, "N"}, {270, "E"}};
    const ScreenPoint zenith = view.ToScreen({0, 90});
    constexpr int kInside = 14;  // the letter sits this far inside the rim
    const ScreenArea area = view.Area();
    for (const Point& p : kPoints) {
        const ScreenPoint rim = view.ToScreen({p.azimuth, 0});
        const double dx = zenith.x - rim.x;
        const double dy = zenith.y - rim.y;
        const double length = std::hypot(dx, dy);
        if (!(length > 0)) {
            continue;
        }
        const int x = TruncateToPixel(rim.x + dx / length * kInside) - 4;
        const int y = TruncateToPixel(rim.y + dy / length * kInside) - 8;
        if (x < area.left || y < area.top || x + 16 > area.right || y + 18 > area.bottom) {
            continue;
        }
        Text(dc, x, y, kCompassGreen, QString::fromLatin1(p.letter));
    }
}

void DrawCredit(DrawContext& dc, const ChartLayout& layout)
{
    constexpr QRgb kCreditGrey = qRgb(128, 128, 128);
    constexpr int kCreditX = 4;
    constexpr int kCreditBottomOffset = 18;
    // Short enough to end well left of the "S" under the disc.
    Text(dc, kCreditX, layout.height - kCreditBottomOffset, kCreditGrey,
         QStringLiteral("Skyvane, by the Skyvane developers"));
}

// ------------------------------------------------------------- Moon picture

constexpr int kMoonPictureSize = 120;

// Blackens row `row` of `picture` from column 0 for `left` pixels and, when
// `right` is inside the picture's nominal width, from column `right` to its
// end. Parts outside the picture are cut off: the last row of the shadow
// falls one row below the picture.
void BlackenRow(QImage& picture, int row, int left, int right, int nominalWidth)
{
    if (row < 0 || row >= picture.height()) {
        return;
    }
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(row));
    const int width = picture.width();
    const QRgb black = kBlack | 0xff000000u;
    std::fill(line, line + std::clamp(left, 0, width), black);
    if (right < nominalWidth) {
        std::fill(line + std::clamp(right, 0, width), line + width, black);
    }
}

// The Moon picture at `scale` device pixels per pixel, smoothly enlarged so
// that its rim is drawn at the screen's resolution.
const QImage& MoonPictureAt(double scale)
{
    const QImage& picture = MoonPicture();
    if (scale == 1 || picture.isNull()) {
        return picture;
    }
    thread_local QImage enlarged;
    const int side = static_cast<int>(std::lround(kMoonPictureSize * scale));
    if (enlarged.width() != side || enlarged.devicePixelRatio() != scale) {
        enlarged = picture.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
        enlarged.setDevicePixelRatio(scale);
    }
    return enlarged;
}

}  // namespace

int HorizontalOrientation(const DisplayPreferences& preferences)
{
    return preferences.eastWestSign == kWestLeftEastRight ? kWestLeftEastRight
                                                          : kEastLeftWestRight;
}

// Stars come out in nautical twilight; the faint deep-sky objects only once
// it is fully dark.
bool HorizontalShowsCatalogue(double sunAltitude, const DisplayPreferences& preferences)
{
    constexpr double kStarsFromAltitude = -2;
    return preferences.noStars == 0 &&
           (sunAltitude < kStarsFromAltitude || preferences.starsVisibleMode == kStarsAlways);
}

bool HorizontalShowsDeepSky(double sunAltitude, const DisplayPreferences& preferences)
{
    constexpr double kDeepSkyFromAltitude = -15;
    return sunAltitude < kDeepSkyFromAltitude || preferences.starsVisibleMode == kStarsAlways;
}

bool HorizontalStarLit(double sunAltitude, double magnitude, const DisplayPreferences& preferences)
{
    return preferences.starsVisibleMode == kStarsAlways ||
           StarVisibleInTwilight(sunAltitude, magnitude);
}

bool IsEmptyStarRow(const skydata::StarRecord& star)
{
    return star.ra == 0 || star.dec == 0;
}

double ShownAzimuth(double azimuth, bool northAtZero)
{
    constexpr double kHalfTurn = 180;
    constexpr double kFullTurn = 360;
    if (!northAtZero) {
        return azimuth;
    }
    const double fromNorth = azimuth + kHalfTurn;
    return fromNorth > kFullTurn ? fromNorth - kFullTurn : fromNorth;
}

double MoonPhase(double moonRightAscension, double sunRightAscension)
{
    constexpr double kDegreesPerHour = 15;
    constexpr double kFullTurn = 360;
    double elongation = (moonRightAscension - sunRightAscension) * kDegreesPerHour + kFullTurn;
    if (elongation > kFullTurn) {
        elongation -= kFullTurn;
    }
    return elongation / kFullTurn;
}

const QImage& MoonPicture()
{
    static const QImage picture = [] {
        RegisterChartResources();
        // Bitmap resource 139 of the program: our own full-Moon picture.
        QImage loaded(QStringLiteral(":/bitmaps/139"), "BMP");
        return loaded.isNull() ? loaded : loaded.convertToFormat(QImage::Format_RGB32);
    }();
    return picture;
}

void DrawMoonWithShadow(DrawContext& dc, int x, int y, double phase)
{
    // On a high-density screen the picture and its shadow are worked out
    // at the screen's resolution; every length below grows with it.
    const double scale = dc.Scale();
    const QImage& picture = MoonPictureAt(scale);
    if (picture.isNull()) {
        return;
    }
    // The AND copy clears what lies under the picture's black; the OR copy
    // then adds the picture with its unlit part blackened.
    dc.CopyAnd(x, y, picture);

    // The working copy is kept between frames.
    thread_local QImage shadowed;
    if (shadowed.size() != picture.size() || shadowed.format() != picture.format()) {
        shadowed = QImage(picture.size(), picture.format());
    }
    shadowed.setDevicePixelRatio(picture.devicePixelRatio());
    for (int row = 0; row < picture.height(); ++row) {
        std::memcpy(shadowed.scanLine(row), picture.constScanLine(row),
                    static_cast<std::size_t>(picture.bytesPerLine()));
    }

    // Row by row over a circle a pixel wider than the disc: the terminator
    // is half an ellipse whose width follows the phase.
    const double shadowRadius = 61.0 * scale;
    const int centre = static_cast<int>(std::lround(60 * scale));
    const int nominalWidth = static_cast<int>(std::lround(kMoonPictureSize * scale));
    constexpr double kTwoPi = 6.283185308;
    constexpr double kFull = 0.5;
    const double k = std::cos(phase * kTwoPi);
    for (int c = 0; c <= centre; ++c) {
        const double f = std::cos(std::asin(c / shadowRadius)) * shadowRadius;
        int left;
        int right;
        if (phase >= kFull) {
            left = TruncateToPixel(centre - f);
            right = TruncateToPixel(centre - f * k);
        } else {
            right = TruncateToPixel(centre + f);
            left = TruncateToPixel(centre + f * k);
        }
        // The shadow may start one pixel left of the picture; on a
        // high-density screen that pixel is `scale` device pixels wide, and
        // a row cut off at -1 left one bright line across the dark Moon.
        if (left >= -static_cast<int>(std::lround(scale))) {
            BlackenRow(shadowed, centre + c, left, right, nominalWidth);
            if (c > 0) {
                BlackenRow(shadowed, centre - c, left, right, nominalWidth);
            }
        }
    }
    dc.CopyOr(x, y, shadowed);
}

ChartView HorizontalChartView(int height, int width, const DisplayPreferences& preferences,
                              const ViewAim& aim)
{
    const ChartLayout layout = LayoutFor(height, width);
    return ChartView::Horizontal(width, height, layout.cx, layout.cy, layout.radius,
                                 HorizontalOrientation(preferences), layout.x0, aim);
}

void DrawHorizontalChart(DrawContext& dc, const engine::SkyState& state, int height, int width,
                         skydata::IntRect& objectLinkRect, int timeControlMode, int stepUnit,
                         const skydata::SkyCatalogue& catalogue,
                         skydata::CatalogueClickRects& clickRects,
                         const DisplayPreferences& preferences, const ObjectSelection& selection,
                         const ViewAim& aim, const skydata::DeepSkyCatalogue* deepSky)
{
    const ChartLayout layout = LayoutFor(height, width);
    const ChartView view = HorizontalChartView(height, width, preferences, aim);
    const QFont previousFont = dc.SelectFont(ChartFont(ChartFontUse::ChartText));
    // Only a zoomed frame draws the deep sky; nothing older answers clicks.
    clickRects.deep.clear();
    const bool milkyWay = deepSky && preferences.showMilkyWay != 0 && preferences.noStars == 0 &&
                          HorizontalShowsCatalogue(state.altitude[engine::kSun], preferences);

    CatalogueResult objects;
    if (view.WholeSky()) {
        DrawSkyDisc(dc, layout, state.altitude[engine::kSun]);
        if (milkyWay) DrawHorizontalMilkyWay(dc, view, state, *deepSky);
        objects = DrawCatalogueObjects(dc, layout, view, state, catalogue, preferences, selection,
                                       clickRects);
    } else {
        FillZoomedHorizon(dc, view, SkyDiscColor(state.altitude[engine::kSun]), kWhite);
        if (milkyWay) DrawHorizontalMilkyWay(dc, view, state, *deepSky);
        ViewLabels labels(view);
        // The status line stays readable.
        constexpr skydata::IntRect kStatusLine{0, 0, 300, 26};
        labels.Reserve(kStatusLine);
        objects = DrawZoomedCatalogue(dc, view, state, catalogue, preferences, selection,
                                      clickRects, labels, deepSky);
        DrawZoomedCompass(dc, view);
        labels.Reserve(DrawFieldScale(dc, view));
        labels.Draw(dc);
        // What spilled past the map's edge goes under the panel.
        dc.FillSolidRect(layout.x0, 0, width, height, kBlack);
    }
    if (selection.telescope) {
        const auto at = TelescopeReticleAt(view, state, *selection.telescope);
        if (at && (view.WholeSky() || view.Shows(ScreenPoint{double(at->x), double(at->y)}, 0)))
            DrawTelescopeReticle(dc, *at);
    }

    dc.SetBkColor(kBlack);
    DrawPanelFrame(dc, layout);
    DrawCaption(dc, layout, state);
    const int y = DrawBodies(dc, layout, view, state, preferences, selection.highlightedBody);
    DrawTableHeader(dc, layout);
    DrawStoredLocations(dc, layout, state, y);
    DrawMoonPhase(dc, layout, state, y);

    // With the help asked for, the selection counts as not on screen.
    const bool selectionShown = objects.selectionOnScreen && !selection.helpOverlay;
    DrawStatusLine(dc, selectionShown);
    DrawLowerPanel(dc, layout, y, selectionShown, timeControlMode, stepUnit, catalogue, selection,
                   objectLinkRect, deepSky);
    if (view.WholeSky()) {
        DrawCompass(dc, layout, HorizontalOrientation(preferences));
    }
    DrawCredit(dc, layout);

    dc.SelectFont(previousFont);
}

void DrawHorizontalChart(QPainter& target, OutputKind output, engine::SkyState state, int height,
                         int width, int /*zoom*/, skydata::IntRect& objectLinkRect,
                         int timeControlMode, int stepUnit,
                         const skydata::SkyCatalogue& catalogue,
                         skydata::CatalogueClickRects& clickRects,
                         const DisplayPreferences& preferences, const ObjectSelection& selection,
                         const ViewAim& aim, const skydata::DeepSkyCatalogue* deepSky)
{
    COffscreenDC surface(target, output);
    DrawHorizontalChart(surface.dc(), state, height, width, objectLinkRect, timeControlMode,
                        stepUnit, catalogue, clickRects, preferences, selection, aim, deepSky);
}

}  // namespace skyvane::render
