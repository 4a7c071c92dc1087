#include "render/chart_view.h"

#include <algorithm>
#include <cmath>

#include "engine/apparent_place.h"
#include "engine/transforms.h"

namespace skyvane::render {

namespace {

// The charts convert degrees with this divisor; the zoomed plane keeps it
// so that it meets the whole-sky chart exactly.
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kHoursPerTurn = 24;
constexpr double kDegreesPerTurn = 360;
constexpr double kRightAngle = 90;
constexpr double kDegreesPerHour = 15;

// The whole-sky field of each chart: the horizontal disc spans horizon to
// horizon, the geocentric map the band from -45 to +45.
constexpr double kHorizontalWholeField = 180;
constexpr double kGeocentricWholeField = 90;
// The field whose limiting magnitude is the whole sky's.
constexpr double kLimitReferenceField = 90;
constexpr double kMagnitudesPerDecade = 2;
// A double click on the whole sky zooms in this much as it centres.
constexpr double kCentringZoom = 2;
// Zooms this close to 1 are the whole sky.
constexpr double kWholeSkyZoom = 1 + 1e-9;

double Wrap(double value, double turn)
{
    if (!std::isfinite(value)) {
        return 0;
    }
    double wrapped = std::fmod(value, turn);
    if (wrapped < 0) {
        wrapped += turn;
    }
    return wrapped >= turn ? 0 : wrapped;
}

int RoundToPixel(double value)
{
    return TruncateToPixel(std::floor(value + 0.5));
}

}  // namespace

double LimitingMagnitudeForField(double fieldDegrees)
{
    if (!(fieldDegrees > 0)) {
        return kWholeSkyLimitingMagnitude;
    }
    const double ratio = std::max(1.0, kLimitReferenceField / fieldDegrees);
    return kWholeSkyLimitingMagnitude + kMagnitudesPerDecade * std::log10(ratio);
}

ChartView ChartView::Horizontal(int width, int height, int cx, int cy, int radius,
                                int orientation, int panelLeft, const ViewAim& aim)
{
    ChartView view;
    view.plane_ = ChartPlane::kHorizontal;
    view.cx_ = cx;
    view.cy_ = cy;
    view.radius_ = std::max(radius, 1);
    view.orientation_ = orientation;
    view.width_ = width;
    view.height_ = height;
    view.area_ = {0, 0, std::max(panelLeft, 1), std::max(height, 1)};
    view.planePixelsPerDegree_ = view.radius_ / kRightAngle;
    view.shorterSide_ = std::min(view.area_.right, view.area_.bottom);
    view.planeCentre_ = {static_cast<double>(cx), static_cast<double>(cy)};
    view.anchor_ = view.planeCentre_;
    view.centre_ = {0, kRightAngle};
    const double zoom = aim.wholeSky ? 1 : view.ZoomForField(aim.fieldDegrees);
    if (!(zoom > view.WholeSkyZoom())) {
        return view;
    }
    view.wholeSky_ = false;
    view.zoom_ = std::min(zoom, view.ZoomForField(kNarrowestFieldDegrees));
    // A zoomed chart is centred in the picture, as long as that leaves the
    // centre well inside the map.
    constexpr int kCentreMargin = 50;
    const double middle = width / 2;
    view.anchor_ = {middle < panelLeft - kCentreMargin ? middle : panelLeft / 2,
                    static_cast<double>(height / 2)};
    ScreenPoint centre = view.PlaneOf(aim.centre);
    view.KeepCentreOnSky(centre.x, centre.y);
    view.planeCentre_ = centre;
    view.centre_ = view.SkyOfPlane(centre.x, centre.y);
    return view;
}

ChartView ChartView::Geocentric(int width, int height, int tableSpace, const ViewAim& aim)
{
    ChartView view;
    view.plane_ = ChartPlane::kGeocentric;
    view.width_ = std::max(width, 1);
    view.height_ = height;
    view.mapHeight_ = std::max(height - tableSpace, 1);
    view.area_ = {0, 0, view.width_, view.mapHeight_};
    view.planePixelsPerDegree_ = view.mapHeight_ / kGeocentricWholeField;
    view.shorterSide_ = std::min(view.area_.right, view.area_.bottom);
    view.centre_ = {kHoursPerTurn / 2, 0};
    view.planeCentre_ = view.PlaneOf(view.centre_);
    view.anchor_ = view.planeCentre_;
    const double zoom = aim.wholeSky ? 1 : view.ZoomForField(aim.fieldDegrees);
    if (!(zoom > view.WholeSkyZoom())) {
        return view;
    }
    view.wholeSky_ = false;
    view.zoom_ = std::min(zoom, view.ZoomForField(kNarrowestFieldDegrees));
    ScreenPoint centre = view.PlaneOf(aim.centre);
    view.KeepCentreOnSky(centre.x, centre.y);
    view.planeCentre_ = centre;
    view.centre_ = view.SkyOfPlane(centre.x, centre.y);
    return view;
}

ChartView ChartView::InArea(ChartPlane plane, ScreenArea area, int orientation,
                            const ViewAim& aim)
{
    const int side = std::max(1, std::min(area.right - area.left, area.bottom - area.top));
    ChartView view = plane == ChartPlane::kHorizontal
                         ? Horizontal(side, side, side / 2, side / 2, side / 2, orientation, side, aim)
                         : Geocentric(4 * side, side, 0, aim);
    if (view.wholeSky_) {
        return view;
    }
    // Only the area and the anchor move: the plane's own origin does not
    // show in the transform.
    view.area_ = area;
    view.shorterSide_ = side;
    view.anchor_ = {(area.left + area.right) / 2.0, (area.top + area.bottom) / 2.0};
    return view;
}

double ChartView::ZoomForField(double fieldDegrees) const
{
    if (!(fieldDegrees > 0)) {
        return 1;
    }
    return shorterSide_ / (planePixelsPerDegree_ * fieldDegrees);
}

double ChartView::WholeSkyZoom() const
{
    // A field as wide as the chart's whole sky is the whole sky.
    const double whole =
        plane_ == ChartPlane::kHorizontal ? kHorizontalWholeField : kGeocentricWholeField;
    return std::max(kWholeSkyZoom, ZoomForField(whole) + 1e-9);
}

double ChartView::FieldForZoom(double zoom) const
{
    return shorterSide_ / (planePixelsPerDegree_ * zoom);
}

double ChartView::FieldDegrees() const
{
    if (wholeSky_) {
        return plane_ == ChartPlane::kHorizontal ? kHorizontalWholeField : kGeocentricWholeField;
    }
    return FieldForZoom(zoom_);
}

ScreenPoint ChartView::CentreOnScreen() const
{
    return anchor_;
}

double ChartView::PixelsPerDegree() const
{
    return planePixelsPerDegree_ * zoom_;
}

ScreenPoint ChartView::ScaleAt(SkyPoint sky) const
{
    const double down = PixelsPerDegree();
    if (plane_ == ChartPlane::kHorizontal) {
        return {down, down};
    }
    constexpr double kNearPole = 0.02;
    const double secant = 1 / std::max(std::cos(sky.latitude / kDegreesPerRadian), kNearPole);
    return {width_ / (kHoursPerTurn * kDegreesPerHour) * zoom_ * secant, down};
}

ViewAim ChartView::Aim() const
{
    return wholeSky_ ? ViewAim::WholeSky() : ViewAim::At(centre_, FieldDegrees());
}

double ChartView::LimitingMagnitude() const
{
    return wholeSky_ ? kWholeSkyLimitingMagnitude : LimitingMagnitudeForField(FieldDegrees());
}

double ChartView::MagnitudeGain() const
{
    return LimitingMagnitude() - kWholeSkyLimitingMagnitude;
}

ScreenPoint ChartView::HorizontalToScreen(double sinAzimuth, double cosAzimuth, double altitude) const
{
    // The plane's angle is (azimuth + 180 degrees) x orientation, and the
    // orientation is +1 or -1: its sine is -orientation x sin(azimuth),
    // its cosine -cos(azimuth).
    const double rho = (kRightAngle - altitude) * (radius_ / kRightAngle);
    return PlaneToScreen({cx_ - orientation_ * sinAzimuth * rho, cy_ + cosAzimuth * rho});
}

ScreenPoint ChartView::PlaneOf(SkyPoint sky) const
{
    if (plane_ == ChartPlane::kHorizontal) {
        const double theta = (sky.longitude + 180) * orientation_ / kDegreesPerRadian;
        const double rho = (kRightAngle - sky.latitude) * (radius_ / kRightAngle);
        return {cx_ + std::sin(theta) * rho, cy_ - std::cos(theta) * rho};
    }
    // Right ascension runs from 24 h at the left edge to 0 h at the right.
    return {-sky.longitude * width_ / kHoursPerTurn + width_,
            -mapHeight_ * sky.latitude / kGeocentricWholeField + mapHeight_ / 2};
}

SkyPoint ChartView::SkyOfPlane(double px, double py) const
{
    if (plane_ == ChartPlane::kHorizontal) {
        const double dx = px - cx_;
        const double dy = cy_ - py;
        const double rho = std::hypot(dx, dy);
        const double altitude = kRightAngle - rho * kRightAngle / radius_;
        double azimuth = 0;
        if (rho > 0) {
            azimuth = std::atan2(dx, dy) * kDegreesPerRadian / orientation_ - 180;
        }
        return {Wrap(azimuth, kDegreesPerTurn), altitude};
    }
    return {Wrap((width_ - px) * kHoursPerTurn / width_, kHoursPerTurn),
            (mapHeight_ / 2 - py) * kGeocentricWholeField / mapHeight_};
}

ScreenPoint ChartView::PlaneToScreen(ScreenPoint plane) const
{
    double dx = plane.x - planeCentre_.x;
    if (plane_ == ChartPlane::kGeocentric && !wholeSky_) {
        // The sphere closes round in right ascension: the copy nearest the
        // centre is the one in view.
        dx -= width_ * std::round(dx / width_);
    }
    return {anchor_.x + dx * zoom_, anchor_.y + (plane.y - planeCentre_.y) * zoom_};
}

ScreenPoint ChartView::ScreenToPlane(double x, double y) const
{
    return {planeCentre_.x + (x - anchor_.x) / zoom_, planeCentre_.y + (y - anchor_.y) / zoom_};
}

void ChartView::KeepCentreOnSky(double& px, double& py) const
{
    if (plane_ == ChartPlane::kHorizontal) {
        // No further out than the horizon.
        const double dx = px - cx_;
        const double dy = py - cy_;
        const double rho = std::hypot(dx, dy);
        if (rho > radius_) {
            px = cx_ + dx * radius_ / rho;
            py = cy_ + dy * radius_ / rho;
        }
        return;
    }
    const double north = PlaneOf({0, kRightAngle}).y;
    const double south = PlaneOf({0, -kRightAngle}).y;
    py = std::clamp(py, north, south);
    px = Wrap(px, width_);
}

ScreenPoint ChartView::ToScreen(SkyPoint sky) const
{
    return PlaneToScreen(PlaneOf(sky));
}

PixelPoint ChartView::ToPixel(SkyPoint sky) const
{
    if (wholeSky_) {
        if (plane_ == ChartPlane::kHorizontal) {
            return ProjectHorizontal(cx_, cy_, radius_, sky.longitude, sky.latitude, orientation_);
        }
        return MapGeocentric(sky.longitude, sky.latitude, width_, height_, height_ - mapHeight_);
    }
    const ScreenPoint p = ToScreen(sky);
    return {RoundToPixel(p.x), RoundToPixel(p.y)};
}

std::optional<SkyPoint> ChartView::SkyAt(double x, double y) const
{
    if (!area_.Contains(x, y) && !wholeSky_) {
        return std::nullopt;
    }
    const ScreenPoint plane = ScreenToPlane(x, y);
    const SkyPoint sky = SkyOfPlane(plane.x, plane.y);
    if (plane_ == ChartPlane::kHorizontal) {
        if (sky.latitude < 0) {
            return std::nullopt;
        }
        return sky;
    }
    const double limit = wholeSky_ ? kGeocentricWholeField / 2 : kRightAngle;
    if (sky.latitude < -limit || sky.latitude > limit) {
        return std::nullopt;
    }
    return sky;
}

bool ChartView::Shows(const ScreenPoint& p, int reach) const
{
    if (wholeSky_) {
        return true;
    }
    return p.x >= area_.left - reach && p.x < area_.right + reach && p.y >= area_.top - reach &&
           p.y < area_.bottom + reach;
}

bool ChartView::Joins(const ScreenPoint& a, const ScreenPoint& b) const
{
    if (plane_ != ChartPlane::kGeocentric || wholeSky_) {
        return true;
    }
    // Each point is the copy nearest the centre; two on either side of the
    // cut opposite the centre are half a turn apart or more.
    return std::fabs(a.x - b.x) < width_ * zoom_ / 2;
}

bool ChartView::ClipSegment(ScreenPoint& a, ScreenPoint& b) const
{
    if (wholeSky_) {
        return true;
    }
    // Liang-Barsky against the area grown by a pixel, so lines that leave
    // the map end just outside it.
    const double left = area_.left - 1;
    const double right = area_.right + 1;
    const double top = area_.top - 1;
    const double bottom = area_.bottom + 1;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double t0 = 0;
    double t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - left, right - a.x, a.y - top, bottom - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    const ScreenPoint from = a;
    a = {from.x + t0 * dx, from.y + t0 * dy};
    b = {from.x + t1 * dx, from.y + t1 * dy};
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y);
}

ViewAim ChartView::AimForPlaneCentre(double px, double py, double zoom) const
{
    KeepCentreOnSky(px, py);
    return ViewAim::At(SkyOfPlane(px, py), FieldForZoom(zoom));
}

ViewAim ChartView::ZoomedAbout(double x, double y, double factor) const
{
    if (!(factor > 0) || !std::isfinite(x) || !std::isfinite(y)) {
        return Aim();
    }
    const double zoom = std::min(zoom_ * factor, ZoomForField(kNarrowestFieldDegrees));
    if (!(zoom > WholeSkyZoom())) {
        return ViewAim::WholeSky();
    }
    // Where the zoomed view puts its centre: build it once to learn that.
    const ScreenPoint under = ScreenToPlane(x, y);
    ChartView zoomed = *this;
    if (wholeSky_) {
        zoomed = plane_ == ChartPlane::kHorizontal
                     ? Horizontal(width_, height_, cx_, cy_, radius_, orientation_, area_.right,
                                  ViewAim::At({0, kRightAngle}, FieldForZoom(zoom)))
                     : Geocentric(width_, height_, height_ - mapHeight_,
                                  ViewAim::At(centre_, FieldForZoom(zoom)));
    }
    const ScreenPoint anchor = zoomed.anchor_;
    return AimForPlaneCentre(under.x - (x - anchor.x) / zoom, under.y - (y - anchor.y) / zoom,
                             zoom);
}

ViewAim ChartView::PannedBy(double dx, double dy) const
{
    if (wholeSky_ || !std::isfinite(dx) || !std::isfinite(dy)) {
        return Aim();
    }
    return AimForPlaneCentre(planeCentre_.x - dx / zoom_, planeCentre_.y - dy / zoom_, zoom_);
}

ViewAim ChartView::CentredAt(double x, double y) const
{
    if (!std::isfinite(x) || !std::isfinite(y)) {
        return Aim();
    }
    const ScreenPoint plane = ScreenToPlane(x, y);
    return AimForPlaneCentre(plane.x, plane.y, wholeSky_ ? kCentringZoom : zoom_);
}

SkyCircle ChartView::VisibleCatalogueSky(const engine::SkyState& state) const
{
    SkyCircle circle = VisibleSky(state);
    const engine::Equatorial j2000 =
        engine::CataloguePlace(state.frame, circle.rightAscension, circle.declination);
    circle.rightAscension = j2000.rightAscension;
    circle.declination = j2000.declination;
    return circle;
}

SkyCircle ChartView::VisibleSky(const engine::SkyState& state) const
{
    SkyCircle circle;
    double radius = 0;
    if (wholeSky_) {
        radius = plane_ == ChartPlane::kHorizontal ? kRightAngle : 180;
    } else {
        // The horizontal plane never shrinks a distance (its radial scale is
        // true and its tangential scale grows outwards), and the geocentric
        // one shrinks right ascension by the cosine of the declination at
        // most: plane distances bound the sky's.
        const double sx = plane_ == ChartPlane::kHorizontal
                              ? planePixelsPerDegree_
                              : width_ / (kHoursPerTurn * kDegreesPerHour);
        const double sy = planePixelsPerDegree_;
        const double corners[4][2] = {{static_cast<double>(area_.left), static_cast<double>(area_.top)},
                                      {static_cast<double>(area_.right), static_cast<double>(area_.top)},
                                      {static_cast<double>(area_.left), static_cast<double>(area_.bottom)},
                                      {static_cast<double>(area_.right), static_cast<double>(area_.bottom)}};
        for (const auto& corner : corners) {
            const double dx = (corner[0] - anchor_.x) / (zoom_ * sx);
            const double dy = (corner[1] - anchor_.y) / (zoom_ * sy);
            radius = std::max(radius, std::hypot(dx, dy));
        }
    }
    circle.radiusDegrees = std::min(radius * (1 + 1e-6), 180.0);

    if (plane_ == ChartPlane::kGeocentric) {
        circle.rightAscension = centre_.longitude;
        circle.declination = centre_.latitude;
        return circle;
    }
    // Azimuth from the south towards the west and altitude to hour angle
    // and declination.
    const double a = centre_.longitude / kDegreesPerRadian;
    const double h = centre_.latitude / kDegreesPerRadian;
    const double phi = state.latitude / kDegreesPerRadian;
    const double sinDec = std::sin(phi) * std::sin(h) - std::cos(phi) * std::cos(h) * std::cos(a);
    const double hourAngle = std::atan2(std::sin(a) * std::cos(h),
                                        std::cos(a) * std::cos(h) * std::sin(phi) +
                                            std::sin(h) * std::cos(phi)) *
                             kDegreesPerRadian / kDegreesPerHour;
    circle.declination = std::asin(std::clamp(sinDec, -1.0, 1.0)) * kDegreesPerRadian;
    circle.rightAscension =
        Wrap(engine::HourAngle(state.siderealTime, state.longitude, 0) - hourAngle, kHoursPerTurn);
    return circle;
}

}  // namespace skyvane::render
