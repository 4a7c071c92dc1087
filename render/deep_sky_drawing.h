// The deep sky on the sky charts: Hipparcos stars and NGC and IC objects in
// a zoomed view (the whole-sky chart stays as it has always been), each
// object type with its chart symbol, and the Milky Way as faint bands
// behind the stars. Every object goes to the screen through the chart's own
// view, so it lands where the chart puts its stars.
#pragma once

#include <QRgb>
#include <QString>

#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "engine/apparent_place.h"
#include "engine/sky.h"
#include "render/chart_view.h"
#include "render/draw_context.h"
#include "render/object_panel.h"
#include "render/zoomed_sky.h"
#include "skydata/click_rects.h"
#include "skydata/deep_sky.h"

namespace skyvane::render {

// Where a J2000 place (right ascension in hours, declination in degrees)
// is on screen this frame; empty where the chart does not show it (below
// the horizon).
using PlaceOnScreen = std::function<std::optional<ScreenPoint>(double raHours, double decDegrees)>;
// The same for a J2000 direction: what the sky cells hold of each star, so
// the thousands of stars of a wide field are placed without a look into
// the star rows or a conversion from angles.
using PlaceDirectionOnScreen = std::function<std::optional<ScreenPoint>(const engine::UnitVector& j2000)>;

// Colours of the deep sky.
inline constexpr QRgb kGalaxyPen = qRgb(255, 120, 120);
inline constexpr QRgb kClusterPen = qRgb(255, 255, 120);
inline constexpr QRgb kNebulaPen = qRgb(120, 255, 120);
inline constexpr QRgb kOtherDeepPen = qRgb(190, 190, 190);
QRgb DeepSymbolColor(skydata::DeepSkyType type);

// A galaxy shorter than this (pixels across) is drawn as a small fixed
// ellipse: its outline would be a smudge.
inline constexpr int kSmallestTrueOutline = 6;

// The symbol of an object of `type` at (x, y): half its major and minor
// axis in pixels (0 when unknown), and the screen direction of its major
// axis (radians, counter-clockwise from the screen's +x axis with y
// pointing down, as atan2(-dy, dx) gives it). Galaxies: an ellipse at true
// size and angle when larger than kSmallestTrueOutline; open clusters: a
// dotted circle; globular clusters: a circle with a cross; planetary
// nebulae: a circle with four rays; bright, emission and reflection nebulae
// and clusters with nebulosity: a square; others: a small cross. Returns
// the rectangle that answers clicks on it.
// `pen` replaces the type's colour (black on paper) and `penWidth` the
// one-pixel pen.
skydata::IntRect DrawDeepSkySymbol(DrawContext& dc, int x, int y, skydata::DeepSkyType type,
                                   double halfMajor, double halfMinor, double axisAngle,
                                   std::optional<QRgb> pen = std::nullopt, int penWidth = 1);

// A galaxy's outline drawn on the sky: the ellipse of its axes (arc
// minutes) at its position angle, every point through `place`, so the
// chart's projection shapes and turns it. False, drawing nothing, when a
// point of it is off the chart.
bool DrawSkyEllipse(DrawContext& dc, const PlaceOnScreen& place, double raHours, double decDegrees,
                    double majorArcmin, double minorArcmin, double positionAngleDegrees, QRgb color,
                    int penWidth = 1);

// Whether OpenNGC's type is one of the galaxies (single, pairs, groups).
bool IsGalaxyType(skydata::DeepSkyType type);

// The screen direction of a position angle (degrees from north through
// east) at a J2000 place, as `place` maps the sky; 0 when the place or its
// neighbour is not on screen.
double ScreenAxisAngle(const PlaceOnScreen& place, double raHours, double decDegrees,
                       double positionAngleDegrees);

// How faint the deep sky goes in a field `fieldDegrees` across: 6.5 for
// the whole sky, two and a half magnitudes deeper for every tenfold
// narrower field (about 12 at 1 degree, where Hipparcos ends).
double DeepSkyLimitingMagnitude(double fieldDegrees);

// An object of unknown magnitude is drawn once its major axis spans this
// many pixels, whatever the field. OpenNGC gives no magnitude to many of
// the largest nebulae and clusters (the Hyades, the Witch Head, the
// Rosette's parts, the Horsehead), yet they are among the most conspicuous
// things in a wide field; guessing a magnitude from a size says nothing
// about how bright a nebula is, but its size on screen is exact, and at a
// dozen pixels the object is drawn at its true size, larger than any fixed
// symbol, so it shows something a marker could not. Objects with neither a
// magnitude nor a size (mostly stars and double stars) have nothing to go
// by: they wait until the field reaches kUnknownObjectMagnitude, as before.
inline constexpr double kUnknownMagnitudeOutlinePixels = 12;
// The smallest major axis (arc minutes) of an object of unknown magnitude
// that a view of `pixelsPerDegree` shows; infinite for a senseless scale.
double UnknownMagnitudeMinArcmin(double pixelsPerDegree);

// A Hipparcos star's dot: the chart's size rule for a star `gain`
// magnitudes brighter (ZoomedStarRadius), grey when it falls in the faint
// class, else `color`. Returns its click rectangle.
skydata::IntRect DrawDeepStar(DrawContext& dc, int x, int y, double magnitude, double gain, QRgb color);

// The outlines of the main catalogue's Messier objects at the true size and
// angle the deep-sky file gives them (the Andromeda galaxy's long ellipse
// at 35 degrees), in a zoomed view; `outlined` says which rows got one.
void DrawMessierOutlines(DrawContext& dc, const ChartView& view,
                         const skydata::SkyCatalogue& catalogue,
                         const skydata::DeepSkyCatalogue& deep, const PlaceOnScreen& place,
                         std::vector<bool>& outlined);

// Draws the deep sky that a zoomed `view` shows (nothing at the whole sky):
// the Hipparcos stars and NGC and IC objects within its visible sky down to
// its limiting magnitude, their labels through `labels`, the selection ring,
// and their click rectangles in `clickRects.deep` (replaced); objects go
// through `place`, stars through `placeDirection`. Returns whether the
// selected deep object was drawn.
// `starBand`, when given, is a band of J2000 declinations (degrees) outside
// which no star can reach the map: stars beyond it are not placed.
struct DeclinationBand {
    double low = -90;
    double high = 90;
};
bool DrawZoomedDeepCatalogue(DrawContext& dc, const ChartView& view, const engine::SkyState& state,
                             const skydata::DeepSkyCatalogue& deep, const PlaceOnScreen& place,
                             const PlaceDirectionOnScreen& placeDirection,
                             const ObjectSelection& selection, skydata::CatalogueClickRects& clickRects,
                             ViewLabels& labels, std::optional<DeclinationBand> starBand = std::nullopt);

// The J2000 declinations whose stars a zoomed geocentric `view` can show,
// as DrawZoomedDeepCatalogue takes them: the map's rows widened by how far
// the date's equator has turned from J2000's and by aberration.
DeclinationBand GeocentricStarBand(const ChartView& view, const engine::SkyState& state);

// The Milky Way's five steps as bands, faintest first, each filled where an
// odd number of its outlines enclose a pixel, within `clip` and, when
// `disc` has a radius, within that circle (the horizontal chart's horizon).
// `place` must map every point, below the horizon too (beyond the rim).
// `color` gives each step's colour (1 faintest to 5): the screen's dim
// steps on black unless told otherwise.
struct ScreenDisc {
    double cx = 0;
    double cy = 0;
    double radius = 0;
};
// The band colours on screen, faintest step first.
QRgb MilkyWayColor(int level);
void DrawMilkyWay(DrawContext& dc, const skydata::DeepSkyCatalogue& deep,
                  const std::function<ScreenPoint(double raHours, double decDegrees)>& place,
                  const ScreenArea& clip, const ScreenDisc& disc, double wrapWidth,
                  QRgb (*color)(int level) = MilkyWayColor);
// The same with every outline point already on screen, in the order of
// deep.milkyWayPoints, and the screen row of the north pole (where an
// outline round the whole sky is closed when `wrapWidth` is set).
// Outlines whose entry in `away` is set are left out, their points unread.
void DrawMilkyWayOnScreen(DrawContext& dc, const skydata::DeepSkyCatalogue& deep,
                          std::span<const ScreenPoint> points, double northPoleY, const ScreenArea& clip,
                          const ScreenDisc& disc, double wrapWidth, std::span<const char> away = {},
                          QRgb (*color)(int level) = MilkyWayColor);
// Which outlines lie wholly above, below or (on the horizontal chart)
// beside the map of `view`, judged from their bounding circles carried to
// the date, before any of their points is placed: one flag per outline in
// `away`. Only outlines that DrawMilkyWayOnScreen leaves out once placed
// are flagged, so a chart that skips them draws the same pixels.
void MilkyWayOutlinesAway(const ChartView& view, const engine::SkyState& state,
                          const skydata::DeepSkyCatalogue& deep, std::vector<char>& away);
// The apparent directions of date of the outline points, in one pass over
// each outline: the same directions a chart gets for each place alone.
// Outlines marked in `away` (MilkyWayOutlinesAway) are not carried; their
// points' entries are left as they were.
void MilkyWayDirectionsOfDate(const engine::SkyState& state, const skydata::DeepSkyCatalogue& deep,
                              std::vector<engine::UnitVector>& out, std::span<const char> away = {});
// Whether an outline's points all lie among the first `pointCount`: a
// damaged file's outline that reaches past them is left out everywhere.
inline bool MilkyWayRingWithin(const skydata::MilkyWayRing& ring, std::size_t pointCount)
{
    return ring.first <= pointCount && ring.count <= pointCount - ring.first;
}

// The outline points a chart's view can show, carried to the date and put
// on screen by place(direction of date), ready for DrawMilkyWayOnScreen
// with `away`: outlines wholly beside the view are flagged there and
// neither carried nor placed, their entries of `points` left as they were.
template <typename Place>
void PlaceMilkyWayOutlines(const ChartView& view, const engine::SkyState& state,
                           const skydata::DeepSkyCatalogue& deep, std::vector<char>& away,
                           std::vector<ScreenPoint>& points, Place&& place)
{
    thread_local std::vector<engine::UnitVector> directions;
    MilkyWayOutlinesAway(view, state, deep, away);
    MilkyWayDirectionsOfDate(state, deep, directions, away);
    points.resize(directions.size());
    for (std::size_t r = 0; r < deep.milkyWay.size(); ++r) {
        const skydata::MilkyWayRing& ring = deep.milkyWay[r];
        if (away[r] || !MilkyWayRingWithin(ring, points.size())) continue;
        for (std::size_t i = ring.first; i < ring.first + ring.count; ++i) points[i] = place(directions[i]);
    }
}

}  // namespace skyvane::render
