#include "render/deep_sky_drawing.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>

#include "engine/apparent_place.h"
#include "engine/units.h"
#include "render/sky_mapping.h"

namespace skyvane::render {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;
constexpr QRgb kFaintGrey = qRgb(200, 200, 200);
constexpr QRgb kSelectionRing = qRgb(255, 0, 0);
// Symbols that do not show a true size: their half size in pixels.
constexpr int kSymbolReach = 4;
// Objects and stars are searched this far beyond the view's circle: the
// largest nebulae reach into the field from a centre outside it.
constexpr double kLargestReachDegrees = 1.5;
// NGC and IC objects show down to this much fainter than the stars: their
// magnitudes are those of their whole light, spread out.
constexpr double kObjectMagnitudeAllowance = 1.5;
// A deep star's dot is drawn when its centre is this close to the map.
constexpr int kDeepStarReach = 2;
// The largest object without a magnitude (the Hyades, over five degrees
// across) reaches this far into the field from a centre outside it.
constexpr double kLargestUnknownReachDegrees = 3.0;

int Px(double v) { return static_cast<int>(std::floor(v + 0.5)); }

// An ellipse of half axes a and b turned by `angle` (counter-clockwise on
// screen), as a closed polygon outline.
void RotatedEllipse(DrawContext& dc, int x, int y, double a, double b, double angle)
{
    constexpr int kSides = 36;
    std::array<QPoint, kSides> points;
    const double c = std::cos(angle), s = std::sin(angle);
    for (int k = 0; k < kSides; ++k) {
        const double t = 2 * kPi * k / kSides;
        const double u = a * std::cos(t), v = b * std::sin(t);
        points[static_cast<std::size_t>(k)] = QPoint(Px(x + u * c - v * s), Px(y - (u * s + v * c)));
    }
    dc.SetNullBrush();
    dc.Polygon(points.data(), kSides);
}

void DottedCircle(DrawContext& dc, int x, int y, int r, QRgb color)
{
    const int dots = std::max(8, static_cast<int>(2 * kPi * r / 3));
    for (int k = 0; k < dots; ++k) {
        const double t = 2 * kPi * k / dots;
        dc.SetPixel(Px(x + r * std::cos(t)), Px(y + r * std::sin(t)), color);
    }
}

bool IsGalaxy(skydata::DeepSkyType t)
{
    using T = skydata::DeepSkyType;
    return t == T::kGalaxy || t == T::kGalaxyPair || t == T::kGalaxyTriplet || t == T::kGalaxyGroup;
}

bool IsNebula(skydata::DeepSkyType t)
{
    using T = skydata::DeepSkyType;
    return t == T::kHiiRegion || t == T::kEmissionNebula || t == T::kNebula ||
           t == T::kReflectionNebula || t == T::kClusterNebula || t == T::kSupernovaRemnant ||
           t == T::kDarkNebula;
}

}  // namespace

QRgb DeepSymbolColor(skydata::DeepSkyType type)
{
    using T = skydata::DeepSkyType;
    if (IsGalaxy(type)) return kGalaxyPen;
    if (type == T::kOpenCluster || type == T::kGlobularCluster || type == T::kAssociation) return kClusterPen;
    if (IsNebula(type) || type == T::kPlanetaryNebula) return kNebulaPen;
    return kOtherDeepPen;
}

bool IsGalaxyType(skydata::DeepSkyType type) { return IsGalaxy(type); }

skydata::IntRect DrawDeepSkySymbol(DrawContext& dc, int x, int y, skydata::DeepSkyType type,
                                   double halfMajor, double halfMinor, double axisAngle,
                                   std::optional<QRgb> pen, int penWidth)
{
    using T = skydata::DeepSkyType;
    const QRgb color = pen.value_or(DeepSymbolColor(type));
    dc.SetPen(color, penWidth);
    dc.SetNullBrush();
    if (!(halfMajor > 0)) halfMajor = 0;
    if (!(halfMinor > 0)) halfMinor = halfMajor;
    const int r = std::max(kSymbolReach, Px(halfMajor));
    if (IsGalaxy(type)) {
        if (2 * halfMajor > kSmallestTrueOutline) {
            RotatedEllipse(dc, x, y, halfMajor, std::max(1.0, halfMinor), axisAngle);
            const int reach = Px(halfMajor);
            return {x - reach, y - reach, x + reach + 1, y + reach + 1};
        }
        RotatedEllipse(dc, x, y, kSymbolReach, kSymbolReach / 2.0, axisAngle);
        return {x - kSymbolReach, y - kSymbolReach, x + kSymbolReach + 1, y + kSymbolReach + 1};
    }
    switch (type) {
    case T::kOpenCluster:
    case T::kAssociation:
        DottedCircle(dc, x, y, r, color);
        break;
    case T::kGlobularCluster:
        dc.Ellipse(x - r, y - r, x + r + 1, y + r + 1);
        dc.Line(x - r, y, x + r + 1, y);
        dc.Line(x, y - r, x, y + r + 1);
        break;
    case T::kPlanetaryNebula: {
        const int core = std::max(2, r / 2);
        dc.Ellipse(x - core, y - core, x + core + 1, y + core + 1);
        dc.Line(x + core, y, x + r + 2, y);
        dc.Line(x - core, y, x - r - 2, y);
        dc.Line(x, y + core, x, y + r + 2);
        dc.Line(x, y - core, x, y - r - 2);
        break;
    }
    default:
        if (IsNebula(type)) {
            dc.Rectangle(x - r, y - r, x + r + 1, y + r + 1);
        } else {
            dc.Line(x - 2, y, x + 3, y);
            dc.Line(x, y - 2, x, y + 3);
            return {x - kSymbolReach, y - kSymbolReach, x + kSymbolReach + 1, y + kSymbolReach + 1};
        }
        break;
    }
    return {x - r, y - r, x + r + 1, y + r + 1};
}

double DeepSkyLimitingMagnitude(double fieldDegrees)
{
    constexpr double kWholeSky = 180;
    constexpr double kMagnitudesPerDecade = 2.5;
    if (!(fieldDegrees > 0)) return kWholeSkyLimitingMagnitude;
    return kWholeSkyLimitingMagnitude +
           kMagnitudesPerDecade * std::log10(std::max(1.0, kWholeSky / fieldDegrees));
}

double ScreenAxisAngle(const PlaceOnScreen& place, double raHours, double decDegrees,
                       double positionAngleDegrees)
{
    if (!std::isfinite(positionAngleDegrees)) return 0;
    // A step of a tenth of a degree along the position angle.
    constexpr double kStep = 0.1;
    const double pa = positionAngleDegrees * kRad;
    const double cosDec = std::max(1e-6, std::cos(decDegrees * kRad));
    const auto from = place(raHours, decDegrees);
    const auto to = place(raHours + kStep * std::sin(pa) / cosDec / 15.0,
                          std::clamp(decDegrees + kStep * std::cos(pa), -90.0, 90.0));
    if (!from || !to) return 0;
    return std::atan2(-(to->y - from->y), to->x - from->x);
}

std::optional<ScreenPoint> SkyOffset(const PlaceOnScreen& place, double raHours, double decDegrees,
                                     double northDegrees, double eastDegrees)
{
    const double cosDec = std::max(1e-6, std::cos(decDegrees * kRad));
    return place(raHours + eastDegrees / cosDec / 15.0,
                 std::clamp(decDegrees + northDegrees, -90.0, 90.0));
}

bool DrawSkyEllipse(DrawContext& dc, const PlaceOnScreen& place, double raHours, double decDegrees,
                    double majorArcmin, double minorArcmin, double positionAngleDegrees, QRgb color,
                    int penWidth)
{
    constexpr int kSides = 48;
    const double a = majorArcmin / 120.0, b = minorArcmin / 120.0;
    const double pa = (std::isfinite(positionAngleDegrees) ? positionAngleDegrees : 0) * kRad;
    std::array<QPoint, kSides> points;
    for (int k = 0; k < kSides; ++k) {
        const double t = 2 * kPi * k / kSides;
        const double along = a * std::cos(t), across = b * std::sin(t);
        // Along the major axis is the position angle's direction (north
        // through east); across is a right angle further on.
        const double north = along * std::cos(pa) - across * std::sin(pa);
        const double east = along * std::sin(pa) + across * std::cos(pa);
        const auto p = SkyOffset(place, raHours, decDegrees, north, east);
        if (!p) return false;
        points[static_cast<std::size_t>(k)] = QPoint(Px(p->x), Px(p->y));
    }
    dc.SetPen(color, penWidth);
    dc.SetNullBrush();
    dc.Polygon(points.data(), kSides);
    return true;
}

skydata::IntRect DrawDeepStar(DrawContext& dc, int x, int y, double magnitude, double gain, QRgb color)
{
    const int r = ZoomedStarRadius(magnitude, gain);
    if (r == 0) {
        dc.SetPixel(x, y, kFaintGrey);
        return {x - 2, y - 2, x + 2, y + 2};
    }
    dc.SetPen(color);
    dc.SetBrush(color);
    dc.Ellipse(x - r, y - r, x + r, y + r);
    return {x - r, y - r, x + r, y + r};
}

double UnknownMagnitudeMinArcmin(double pixelsPerDegree)
{
    constexpr double kArcminPerDegree = 60;
    if (!(pixelsPerDegree > 0)) return std::numeric_limits<double>::infinity();
    return kUnknownMagnitudeOutlinePixels / pixelsPerDegree * kArcminPerDegree;
}

namespace {

// One NGC or IC object of a zoomed view: its symbol, the selection ring,
// its click area and its label.
bool DrawZoomedObject(DrawContext& dc, const ChartView& view, const skydata::DeepSkyCatalogue& deep,
                      const PlaceOnScreen& place, std::uint32_t row, int selectedRow,
                      skydata::CatalogueClickRects& clickRects, ViewLabels& labels)
{
    const skydata::DeepObject& o = deep.objects[row];
    const auto at = place(o.raDeg / 15.0, o.decDeg);
    if (!at) return false;
    const double pixelsPerDegree = view.PixelsPerDegree();
    const double halfMajor = std::isnan(o.majorArcmin) ? 0 : o.majorArcmin / 120.0 * pixelsPerDegree;
    const double halfMinor = std::isnan(o.minorArcmin) ? halfMajor : o.minorArcmin / 120.0 * pixelsPerDegree;
    const int reach = std::max(kSymbolReach, Px(halfMajor)) + 2;
    if (!view.Shows(*at, reach)) return false;
    // The position angle gives the major axis's direction from north.
    const double angle = std::isnan(o.positionAngleDeg)
                             ? 0
                             : ScreenAxisAngle(place, o.raDeg / 15.0, o.decDeg, o.positionAngleDeg);
    const int x = Px(at->x), y = Px(at->y);
    // A galaxy large enough for its outline is drawn on the sky itself,
    // so the chart's own projection shapes and turns it.
    skydata::IntRect rect;
    if (IsGalaxy(o.type) && 2 * halfMajor > kSmallestTrueOutline &&
        DrawSkyEllipse(dc, place, o.raDeg / 15.0, o.decDeg, o.majorArcmin,
                       std::isnan(o.minorArcmin) ? o.majorArcmin : o.minorArcmin, o.positionAngleDeg,
                       DeepSymbolColor(o.type))) {
        const int r = Px(halfMajor);
        rect = {x - r, y - r, x + r + 1, y + r + 1};
    } else {
        rect = DrawDeepSkySymbol(dc, x, y, o.type, halfMajor, halfMinor, angle);
    }
    const int row32 = static_cast<int>(row);
    bool selectionDrawn = false;
    if (row32 == selectedRow) {
        dc.SetPen(kSelectionRing);
        dc.SetNullBrush();
        dc.Ellipse(rect.left - 3, rect.top - 3, rect.right + 3, rect.bottom + 3);
        selectionDrawn = true;
    }
    // The click area of a large outline is its middle.
    const skydata::IntRect click{x - kSymbolReach - 1, y - kSymbolReach - 1, x + kSymbolReach + 2,
                                 y + kSymbolReach + 2};
    clickRects.deep.push_back({click, 1, row32});
    labels.Reserve(click);
    QString label = QString::fromStdString(skydata::DeepSkyCatalogue::DisplayDesignation(o.designation));
    const double priority = std::isnan(o.magnitude) ? skydata::DeepSkyCatalogue::kUnknownObjectMagnitude
                                                    : o.magnitude;
    labels.Add(*at, std::min(reach, kSymbolReach + 2), label, DeepSymbolColor(o.type), priority);
    return selectionDrawn;
}

}  // namespace

DeclinationBand GeocentricStarBand(const ChartView& view, const engine::SkyState& state)
{
    // The map's rows are declinations of date, evenly spaced.
    const double longitude = view.Centre().longitude;
    const double y0 = view.ToScreen({longitude, 0}).y;
    const double perDegree = view.ToScreen({longitude, 1}).y - y0;
    if (!(std::fabs(perDegree) > 0) || !std::isfinite(perDegree)) return {};
    const ScreenArea area = view.Area();
    // A pixel more than a star's reach: rows are compared unrounded.
    const double a = (area.top - kDeepStarReach - 1 - y0) / perDegree;
    const double b = (area.bottom + kDeepStarReach + 1 - y0) / perDegree;
    // No place's declination moves further between J2000 and the date
    // than the pole turns, plus aberration's shift.
    const auto& m = state.frame.toDate.m;
    const engine::UnitVector& v = state.frame.earthVelocity;
    const double turn = std::acos(std::clamp(m[2][2], -1.0, 1.0)) / kRad +
                        2 * std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z) / kRad + 1e-6;
    return {std::max(-90.0, std::min(a, b) - turn), std::min(90.0, std::max(a, b) + turn)};
}

bool DrawZoomedDeepCatalogue(DrawContext& dc, const ChartView& view, const engine::SkyState& state,
                             const skydata::DeepSkyCatalogue& deep, const PlaceOnScreen& place,
                             const PlaceDirectionOnScreen& placeDirection,
                             const ObjectSelection& selection, skydata::CatalogueClickRects& clickRects,
                             ViewLabels& labels, std::optional<DeclinationBand> starBand)
{
    clickRects.deep.clear();
    if (view.WholeSky()) return false;
    // The cells hold J2000 places: the view's circle carried back to them.
    const SkyCircle sky = view.VisibleCatalogueSky(state);
    const skydata::SkyCone cone{sky.rightAscension * 15.0, sky.declination,
                                sky.radiusDegrees + kLargestReachDegrees};
    const double limit = DeepSkyLimitingMagnitude(view.FieldDegrees());
    const double gain = view.MagnitudeGain();
    bool selectionDrawn = false;

    const double objectLimit = limit + kObjectMagnitudeAllowance;
    deep.objectCells.Query(cone, objectLimit, [&](std::uint32_t row) {
        selectionDrawn |= DrawZoomedObject(dc, view, deep, place, row, selection.selectedNgcObject,
                                           clickRects, labels);
    });
    // Objects without a magnitude that the limit has not reached yet: the
    // large ones by their size on screen (UnknownMagnitudeMinArcmin).
    if (objectLimit < skydata::DeepSkyCatalogue::kUnknownObjectMagnitude) {
        const skydata::SkyCone wideCone{cone.raDeg, cone.decDeg,
                                        sky.radiusDegrees + kLargestUnknownReachDegrees};
        deep.QuerySizedUnknownMagnitude(
            wideCone, UnknownMagnitudeMinArcmin(view.PixelsPerDegree()), [&](std::uint32_t row) {
                selectionDrawn |= DrawZoomedObject(dc, view, deep, place, row,
                                                   selection.selectedNgcObject, clickRects, labels);
            });
    }

    // The band as the sine of declination: the z of a direction.
    const DeclinationBand band = starBand.value_or(DeclinationBand{});
    const double lowZ = band.low <= -90 ? -2.0 : std::sin(band.low * kRad);
    const double highZ = band.high >= 90 ? 2.0 : std::sin(band.high * kRad);
    // Placed first and drawn after: the pixels of thousands of dots are
    // mostly not in the cache, and asking for them while placing lets
    // their reads overlap instead of each dot waiting for its own.
    struct Placed {
        int x, y;
        float magnitude;
        std::uint32_t row;
    };
    thread_local std::vector<Placed> placed;
    placed.clear();
    deep.starCells.Query(cone, limit, [&](const skydata::SkyCells::Entry& star) {
        if (star.z < lowZ || star.z > highZ) return;
        const auto at = placeDirection(engine::UnitVector{star.x, star.y, star.z});
        if (!at || !view.Shows(*at, kDeepStarReach)) return;
        const int x = Px(at->x), y = Px(at->y);
        dc.Prefetch(x, y);
        placed.push_back({x, y, star.magnitude, star.index});
    });
    for (const Placed& star : placed) {
        const std::uint32_t row = star.row;
        const int x = star.x, y = star.y;
        const skydata::IntRect rect = DrawDeepStar(dc, x, y, star.magnitude, gain, qRgb(255, 255, 255));
        if (static_cast<int>(row) == selection.selectedDeepStar) {
            dc.SetPen(kSelectionRing);
            dc.SetNullBrush();
            dc.Ellipse(rect.left - 4, rect.top - 4, rect.right + 4, rect.bottom + 4);
            selectionDrawn = true;
        }
        clickRects.deep.push_back({rect, 0, static_cast<int>(row)});
        if (rect.right - rect.left > 4) labels.Reserve(rect);
    }
    return selectionDrawn;
}

void DrawMessierOutlines(DrawContext& dc, const ChartView& view,
                         const skydata::SkyCatalogue& catalogue,
                         const skydata::DeepSkyCatalogue& deep, const PlaceOnScreen& place,
                         std::vector<bool>& outlined)
{
    const int count = std::clamp(catalogue.deepSkyCount, 0, skydata::kDeepSkyCapacity);
    outlined.assign(static_cast<std::size_t>(count), false);
    if (view.WholeSky()) return;
    const double pixelsPerDegree = view.PixelsPerDegree();
    for (const skydata::MessierCrossName& m : deep.messierNames) {
        const int row = m.messier - 1;
        if (row < 0 || row >= count || std::isnan(m.majorArcmin) || outlined[static_cast<std::size_t>(row)])
            continue;
        const skydata::DeepSkyObject& object = catalogue.deepSky[static_cast<std::size_t>(row)];
        const double halfMajor = m.majorArcmin / 120.0 * pixelsPerDegree;
        // Only outlines larger than the marker say more than the marker.
        if (2 * halfMajor <= kSmallestTrueOutline) continue;
        const auto at = place(object.ra, object.dec);
        if (!at || !view.Shows(*at, Px(halfMajor) + 2)) continue;
        const double halfMinor = std::isnan(m.minorArcmin) ? halfMajor : m.minorArcmin / 120.0 * pixelsPerDegree;
        if (IsGalaxy(m.type)) {
            if (!DrawSkyEllipse(dc, place, object.ra, object.dec, m.majorArcmin,
                                std::isnan(m.minorArcmin) ? m.majorArcmin : m.minorArcmin,
                                m.positionAngleDeg, DeepSymbolColor(m.type)))
                continue;
        } else {
            DrawDeepSkySymbol(dc, Px(at->x), Px(at->y), m.type, halfMajor, halfMinor, 0);
        }
        outlined[static_cast<std::size_t>(row)] = true;
    }
}

// ---------------------------------------------------------------- Milky Way

namespace {
constexpr int kMilkyWayLevels = 5;
}  // namespace

QRgb MilkyWayColor(int level)
{
    // Faint blue-grey steps, dim enough that the faintest stars stay visible.
    constexpr std::array<QRgb, kMilkyWayLevels> kSteps{qRgb(16, 16, 26), qRgb(22, 22, 36), qRgb(29, 29, 46),
                                                       qRgb(36, 36, 56), qRgb(44, 44, 66)};
    return kSteps[static_cast<std::size_t>(std::clamp(level, 1, kMilkyWayLevels) - 1)];
}

namespace {

struct Edge {
    double x0, y0, x1, y1;  // y0 < y1
    int level;
};

void AddRing(std::vector<Edge>& edges, const std::vector<ScreenPoint>& ring, int level)
{
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const ScreenPoint& a = ring[i];
        const ScreenPoint& b = ring[(i + 1) % ring.size()];
        if (a.y == b.y || !std::isfinite(a.x) || !std::isfinite(b.x) || !std::isfinite(a.y) ||
            !std::isfinite(b.y))
            continue;
        edges.push_back(a.y < b.y ? Edge{a.x, a.y, b.x, b.y, level} : Edge{b.x, b.y, a.x, a.y, level});
    }
}

// An edge while it crosses the rows: where it crosses this one.
struct ActiveEdge {
    double x;
    double slope;  // columns per row
    const Edge* edge;
};

// Every level's edges filled in one pass down the rows. Each level alone
// fills alternately the pixels whose centres lie inside its outlines (a
// row's crossings paired from the left, an odd last one left out), and a
// brighter level covers a fainter one: so each pixel is written once, in
// the colour of the brightest level it lies inside, where drawing the
// levels one over the other wrote the bands' pixels up to five times.
// Edges join at the first row whose centre they reach, found by a count per
// row rather than a sort of all edges (thousands at the whole sky). The
// crossings keep their order from row to row, so they stay sorted by
// moving an edge only past the ones it crossed, or when it joins.
void FillEdges(DrawContext& dc, const std::vector<Edge>& edges, const ScreenArea& clip, const ScreenDisc& disc,
               QRgb (*color)(int level))
{
    if (edges.empty() || clip.bottom <= clip.top) return;
    const int rows = clip.bottom - clip.top;
    thread_local std::vector<std::uint32_t> rowStart, order, fill;
    rowStart.assign(static_cast<std::size_t>(rows) + 1, 0);
    const auto firstRow = [&](const Edge& e) {
        // The first row centre at or below y0, counted from the clip's top.
        const double from = std::ceil(e.y0 - 0.5) - clip.top;
        return from <= 0 ? 0 : (from >= rows ? rows : static_cast<int>(from));
    };
    for (const Edge& e : edges) ++rowStart[static_cast<std::size_t>(firstRow(e))];
    std::uint32_t sum = 0;
    for (std::uint32_t& count : rowStart) {
        const std::uint32_t here = count;
        count = sum;
        sum += here;
    }
    order.resize(edges.size());
    fill.assign(rowStart.begin(), rowStart.end());
    for (std::uint32_t i = 0; i < edges.size(); ++i)
        order[fill[static_cast<std::size_t>(firstRow(edges[i]))]++] = i;

    std::array<QRgb, kMilkyWayLevels + 1> colors{};
    for (int level = 1; level <= kMilkyWayLevels; ++level) colors[static_cast<std::size_t>(level)] = color(level);
    thread_local std::vector<ActiveEdge> active;
    thread_local std::vector<char> skipped;
    active.clear();
    for (int r = 0; r < rows; ++r) {
        const int row = clip.top + r;
        const double yc = row + 0.5;
        for (std::uint32_t k = rowStart[static_cast<std::size_t>(r)]; k < rowStart[static_cast<std::size_t>(r) + 1]; ++k) {
            const Edge& e = edges[order[k]];
            active.push_back({0, (e.x1 - e.x0) / (e.y1 - e.y0), &e});
        }
        // Edges that end above this row's centre leave; the rest move to it,
        // and the few that crossed another move back into order.
        std::size_t kept = 0;
        for (const ActiveEdge& a : active) {
            if (a.edge->y1 <= yc) continue;
            ActiveEdge moved = a;
            moved.x = a.edge->x0 + (yc - a.edge->y0) * a.slope;
            std::size_t at = kept++;
            for (; at > 0 && active[at - 1].x > moved.x; --at) active[at] = active[at - 1];
            active[at] = moved;
        }
        active.resize(kept);
        if (active.empty()) continue;
        double left = clip.left, right = clip.right;
        if (disc.radius > 0) {
            const double dy = yc - disc.cy;
            if (std::fabs(dy) >= disc.radius) continue;
            const double half = std::sqrt(disc.radius * disc.radius - dy * dy);
            left = std::max(left, disc.cx - half);
            right = std::min(right, disc.cx + half);
        }
        std::array<int, kMilkyWayLevels + 1> crossings{};
        for (const ActiveEdge& a : active) ++crossings[static_cast<std::size_t>(a.edge->level)];
        // A level crossed an odd number of times (an outline left open)
        // leaves its last crossing unpaired.
        skipped.assign(active.size(), 0);
        for (int level = 1; level <= kMilkyWayLevels; ++level) {
            if (crossings[static_cast<std::size_t>(level)] % 2 == 0) continue;
            for (std::size_t k = active.size(); k-- > 0;) {
                if (active[k].edge->level == level) {
                    skipped[k] = 1;
                    break;
                }
            }
        }
        // Across the row: a crossing's pixel boundary is the first pixel
        // whose centre lies at or right of it, within the row's bounds.
        unsigned inside = 0;
        int from = 0;
        for (std::size_t k = 0; k < active.size(); ++k) {
            if (skipped[k]) continue;
            const int at = static_cast<int>(std::ceil(std::clamp(active[k].x, left, right) - 0.5));
            if (inside != 0 && from < at) {
                const int brightest = std::bit_width(inside) - 1;
                dc.FillSolidRect(from, row, at, row + 1, colors[static_cast<std::size_t>(brightest)]);
            }
            inside ^= 1u << active[k].edge->level;
            from = at;
        }
    }
}

}  // namespace

void MilkyWayDirectionsOfDate(const engine::SkyState& state, const skydata::DeepSkyCatalogue& deep,
                              std::vector<engine::UnitVector>& out, std::span<const char> away)
{
    const std::size_t n = deep.milkyWayPoints.size() / 2;
    const double* x = deep.milkyWayX.data();
    const double* y = deep.milkyWayY.data();
    const double* z = deep.milkyWayZ.data();
    thread_local std::vector<double> ox, oy, oz, ux, uy, uz;
    if (deep.milkyWayX.size() != n || deep.milkyWayY.size() != n || deep.milkyWayZ.size() != n) {
        // A catalogue put together without its unit vectors.
        ux.resize(n), uy.resize(n), uz.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const engine::UnitVector v =
                engine::UnitVectorOf(deep.milkyWayPoints[2 * i] / 15.0, deep.milkyWayPoints[2 * i + 1]);
            ux[i] = v.x, uy[i] = v.y, uz[i] = v.z;
        }
        x = ux.data(), y = uy.data(), z = uz.data();
    }
    ox.resize(n), oy.resize(n), oz.resize(n);
    out.resize(n);
    const auto carry = [&](std::size_t first, std::size_t count) {
        engine::ApparentDirections(state.frame, x + first, y + first, z + first, static_cast<int>(count),
                                   ox.data() + first, oy.data() + first, oz.data() + first);
        for (std::size_t i = first; i < first + count; ++i) out[i] = {ox[i], oy[i], oz[i]};
    };
    if (away.empty()) {
        carry(0, n);
        return;
    }
    // A zoomed view leaves most outlines away: only the rest are carried,
    // outlines that follow one another in a single pass.
    std::size_t runFirst = 0, runEnd = 0;
    for (std::size_t r = 0; r < deep.milkyWay.size(); ++r) {
        const skydata::MilkyWayRing& ring = deep.milkyWay[r];
        if ((r < away.size() && away[r]) || !MilkyWayRingWithin(ring, n)) continue;
        if (ring.first != runEnd) {
            if (runEnd > runFirst) carry(runFirst, runEnd - runFirst);
            runFirst = ring.first;
        }
        runEnd = ring.first + ring.count;
    }
    if (runEnd > runFirst) carry(runFirst, runEnd - runFirst);
}

void DrawMilkyWay(DrawContext& dc, const skydata::DeepSkyCatalogue& deep,
                  const std::function<ScreenPoint(double raHours, double decDegrees)>& place,
                  const ScreenArea& clip, const ScreenDisc& disc, double wrapWidth,
                  QRgb (*color)(int level))
{
    const std::size_t n = deep.milkyWayPoints.size() / 2;
    std::vector<ScreenPoint> screen(n);
    for (std::size_t i = 0; i < n; ++i)
        screen[i] = place(deep.milkyWayPoints[2 * i] / 15.0, deep.milkyWayPoints[2 * i + 1]);
    DrawMilkyWayOnScreen(dc, deep, screen, wrapWidth > 0 ? place(0, 90).y : 0, clip, disc, wrapWidth, {},
                         color);
}

void MilkyWayOutlinesAway(const ChartView& view, const engine::SkyState& state,
                          const skydata::DeepSkyCatalogue& deep, std::vector<char>& away)
{
    away.assign(deep.milkyWay.size(), 0);
    if (deep.milkyWayCaps.size() != deep.milkyWay.size()) return;
    const ScreenArea clip = view.Area();
    const engine::UnitVector v = state.frame.earthVelocity;
    // Precession and nutation turn the sky as a whole; aberration moves each
    // point by up to the Earth's speed (in units of light's), so a circle's
    // radius grows by twice that at most. Generously more.
    const double growth = 3 * std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z) + 1e-7;
    // Screen positions from the circle's centre are exact to far less.
    constexpr double kMarginPixels = 1;
    const bool horizontal = view.Plane() == ChartPlane::kHorizontal;
    const ObserverTurn turn = ObserverTurn::Of(state);
    for (std::size_t r = 0; r < deep.milkyWay.size(); ++r) {
        const skydata::DeepSkyCatalogue::MilkyWayCap& cap = deep.milkyWayCaps[r];
        const double radius = (cap.radius + growth) / kRad;  // degrees
        const engine::UnitVector centre = engine::ApparentDirection(state.frame, {cap.x, cap.y, cap.z});
        if (horizontal) {
            // The zenith-centred plane stretches the sky across its radius
            // by z / sin z at z degrees from the zenith, more the farther
            // out; beyond 135 degrees points are pulled in, so circles that
            // reach out there are always placed.
            constexpr double kLargestRadius = 60;
            constexpr double kFarthestReach = 130;
            if (radius > kLargestRadius) continue;
            const engine::Horizontal h = HorizontalOfDirection(centre, turn);
            const double reach = 90 - h.altitude + radius;
            if (!(reach < kFarthestReach)) continue;
            const double z = reach * kRad;
            const double stretch = std::max(1.0, z / std::sin(z));
            const ScreenPoint s = view.ToScreen({h.azimuth, h.altitude});
            const double b = stretch * radius * view.PixelsPerDegree() + kMarginPixels;
            away[r] = s.y + b <= clip.top + 0.5 || s.y - b > clip.bottom - 0.5 || s.x + b < clip.left ||
                      s.x - b > clip.right;
        } else {
            // Declination is all the map's rows depend on; circles round a
            // pole are always placed (their outlines are closed over it).
            const double dec = std::asin(std::clamp(centre.z, -1.0, 1.0)) / kRad;
            const double high = dec + radius, low = dec - radius;
            constexpr double kNearPole = 89;
            if (high >= kNearPole || low <= -kNearPole) continue;
            const double longitude = view.Centre().longitude;
            const double top = view.ToScreen({longitude, high}).y - kMarginPixels;
            const double bottom = view.ToScreen({longitude, low}).y + kMarginPixels;
            away[r] = bottom <= clip.top + 0.5 || top > clip.bottom - 0.5;
        }
    }
}

void DrawMilkyWayOnScreen(DrawContext& dc, const skydata::DeepSkyCatalogue& deep,
                          std::span<const ScreenPoint> points, double northPoleY, const ScreenArea& clip,
                          const ScreenDisc& disc, double wrapWidth, std::span<const char> away,
                          QRgb (*color)(int level))
{
    // Points far below the horizon are pulled in to this distance from the
    // disc's centre: the horizontal plane's far side tears near the nadir.
    constexpr double kFarthest = 1.5;
    constexpr double kArcStep = 10 * kRad;
    const double far = kFarthest * disc.radius;
    // Only points near the far circle need its exact distance.
    const double nearFar2 = far * far * (1 - 1e-9);
    thread_local std::vector<Edge> edges;
    thread_local std::vector<ScreenPoint> ring, copy;
    edges.clear();
    for (std::size_t index = 0; index < deep.milkyWay.size(); ++index) {
        const skydata::MilkyWayRing& r = deep.milkyWay[index];
        const int level = r.level;
        if (level < 1 || level > kMilkyWayLevels || (index < away.size() && away[index])) continue;
        if (!MilkyWayRingWithin(r, points.size())) continue;
        ring.clear();
        double shift = 0;
        for (std::uint32_t k = 0; k < r.count; ++k) {
            ScreenPoint s = points[r.first + k];
            if (disc.radius > 0) {
                const double dx = s.x - disc.cx, dy = s.y - disc.cy;
                if (!(dx * dx + dy * dy <= nearFar2)) {
                    // Screen distances: far from overflowing a square.
                    const double d = std::sqrt(dx * dx + dy * dy);
                    if (d > far) {
                        s = {disc.cx + dx / d * far, disc.cy + dy / d * far};
                        // Along the far circle the short way from the last point.
                        if (!ring.empty()) {
                            const ScreenPoint& last = ring.back();
                            const double lx = last.x - disc.cx, ly = last.y - disc.cy;
                            const double a0 = engine::Arctangent2(ly, lx);
                            double step = engine::Arctangent2(dy, dx) - a0;
                            while (step > kPi) step -= 2 * kPi;
                            while (step < -kPi) step += 2 * kPi;
                            const bool lastFar = std::sqrt(lx * lx + ly * ly) >= far - 1e-6;
                            if (lastFar)
                                for (int m = 1, steps = static_cast<int>(std::fabs(step) / kArcStep); m <= steps; ++m)
                                    ring.push_back({disc.cx + far * std::cos(a0 + step * m / (steps + 1)),
                                                    disc.cy + far * std::sin(a0 + step * m / (steps + 1))});
                        }
                    }
                }
            }
            if (wrapWidth > 0 && !ring.empty()) {
                // Right ascension runs round: keep the outline continuous.
                s.x += shift;
                const double jump = s.x - ring.back().x;
                if (jump > wrapWidth / 2) shift -= wrapWidth, s.x -= wrapWidth;
                else if (jump < -wrapWidth / 2) shift += wrapWidth, s.x += wrapWidth;
            }
            ring.push_back(s);
        }
        if (wrapWidth > 0 && ring.size() > 2) {
            // The step back to the first point counts too: an outline
            // that goes round the whole sky ends a turn away from where
            // it began.
            ScreenPoint close{ring.front().x + shift, ring.front().y};
            const double jump = close.x - ring.back().x;
            if (jump > wrapWidth / 2) shift -= wrapWidth, close.x -= wrapWidth;
            else if (jump < -wrapWidth / 2) shift += wrapWidth, close.x += wrapWidth;
            if (std::fabs(shift) > wrapWidth / 2) {
                // It encloses a pole's side: closed over the north pole,
                // two such outlines bound the band between them.
                const ScreenPoint first = ring.front();
                ring.push_back(close);
                ring.push_back({close.x, northPoleY});
                ring.push_back({first.x, northPoleY});
            }
        }
        if (ring.empty()) continue;
        // An outline wholly above, below, left or right of the map adds
        // nothing to it: a closed outline crosses every row an even
        // number of times, so those crossings leave the alternate fill
        // inside the map as it is. (Only whole outlines: one with a
        // point off the plane has open edges.)
        double lo = ring.front().x, hi = lo, top = ring.front().y, bottom = top;
        bool finite = true;
        for (const ScreenPoint& p : ring) {
            finite = finite && std::isfinite(p.x) && std::isfinite(p.y);
            lo = std::min(lo, p.x), hi = std::max(hi, p.x);
            top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        }
        if (finite && (bottom <= clip.top + 0.5 || top > clip.bottom - 0.5)) continue;
        if (wrapWidth > 0) {
            // Copies a turn to either side where they reach the map.
            for (int turn = -2; turn <= 2; ++turn) {
                const double dx = turn * wrapWidth;
                if (hi + dx < clip.left || lo + dx > clip.right) continue;
                copy = ring;
                for (ScreenPoint& p : copy) p.x += dx;
                AddRing(edges, copy, level);
            }
        } else {
            if (finite && (hi < clip.left || lo > clip.right)) continue;
            AddRing(edges, ring, level);
        }
    }
    FillEdges(dc, edges, clip, disc, color);
}

}  // namespace skyvane::render
