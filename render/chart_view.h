// The view through which a sky chart is seen: a centre on the sky and a
// field. The chart plane is the chart's own projection, exactly as the
// whole-sky chart draws it (the horizontal chart's zenith-centred disc, the
// geocentric chart's right ascension / declination rectangle); the view
// then magnifies that plane about its centre. At the whole-sky view the
// transform is the identity and every object lands on the pixel the chart
// has always given it.
//
// Every object a chart draws goes through one ChartView: stars, figures,
// deep-sky marks, bodies, labels and the grid. A catalogue that keeps its
// objects in sky cells asks VisibleSky() for the part of the sky in view
// and LimitingMagnitude() for how faint to go.
#pragma once

#include <optional>

#include "engine/sky.h"
#include "render/sky_mapping.h"

namespace skyvane::render {

// Which chart plane a view looks at, and what its sky coordinates are:
// azimuth (degrees from the south towards the west) and altitude (degrees)
// for the horizontal chart; right ascension (hours) and declination
// (degrees) for the geocentric chart.
enum class ChartPlane { kHorizontal, kGeocentric };

struct SkyPoint {
    double longitude = 0;  // azimuth in degrees, or right ascension in hours
    double latitude = 0;   // altitude or declination, degrees
};

// What the sky window keeps per chart, independent of the window's size:
// the whole sky, or a centre and the field across the chart's shorter side.
struct ViewAim {
    bool wholeSky = true;
    SkyPoint centre;
    double fieldDegrees = 0;

    static ViewAim WholeSky() { return {}; }
    static ViewAim At(SkyPoint centre, double fieldDegrees) { return {false, centre, fieldDegrees}; }
};

// A circle on the sky in right ascension (hours) and declination
// (degrees) with its radius in degrees: everything in view lies inside.
struct SkyCircle {
    double rightAscension = 0;
    double declination = 0;
    double radiusDegrees = 180;
};

// A point on screen before it is cut to whole pixels.
struct ScreenPoint {
    double x = 0;
    double y = 0;
};

// Where an object lands this frame: whether the chart shows it at all
// (above the horizon), and its screen point.
struct ViewPlace {
    bool visible = false;
    ScreenPoint at;
};

// A rectangle of screen pixels, right and bottom exclusive.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Contains(double x, double y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Field limits: the narrowest field a view zooms to, and the largest a
// finder chart may ask for.
inline constexpr double kNarrowestFieldDegrees = 1.0;
inline constexpr double kWidestFieldDegrees = 180.0;
// A second search for the same object zooms to this field.
inline constexpr double kFinderFieldDegrees = 10.0;
// The faintest magnitude a whole-sky view shows; narrower fields go deeper.
inline constexpr double kWholeSkyLimitingMagnitude = 6.5;

// The faintest magnitude worth drawing in a field of `fieldDegrees`: the
// whole sky's limit, and two magnitudes deeper for every tenfold narrower
// field, as a telescope's narrower field shows fainter stars.
double LimitingMagnitudeForField(double fieldDegrees);

class ChartView {
public:
    // The horizontal chart of a window `height` x `width`: the disc centred
    // at (cx, cy) with horizon radius `radius`, as the chart lays it out,
    // `orientation` as ProjectHorizontal takes it. A zoomed view fills the
    // area left of the panel (`panelLeft`) and has its centre in the middle
    // of the picture.
    static ChartView Horizontal(int width, int height, int cx, int cy, int radius, int orientation,
                                int panelLeft, const ViewAim& aim);
    // The geocentric chart of a window `width` x `height` with `tableSpace`
    // rows kept below the map. A zoomed view sees the whole sphere
    // (declinations -90 to +90, right ascension wrapping round).
    static ChartView Geocentric(int width, int height, int tableSpace, const ViewAim& aim);

    // A zoomed view drawn into `area` (a printed page's map), its centre in
    // the area's middle, the field across the area's shorter side. The
    // geocentric plane is drawn with equal scales here, as paper has no
    // window shape to fill. A whole-sky aim gives a whole-sky view of the
    // window-sized plane instead: pages draw the whole sky themselves.
    static ChartView InArea(ChartPlane plane, ScreenArea area, int orientation,
                            const ViewAim& aim);

    ChartPlane Plane() const { return plane_; }
    bool WholeSky() const { return wholeSky_; }
    // Screen pixels per chart-plane pixel: 1 for the whole sky.
    double Zoom() const { return zoom_; }
    // The field across the chart's shorter side, in degrees.
    double FieldDegrees() const;
    SkyPoint Centre() const { return centre_; }
    // Where the map is drawn on screen.
    ScreenArea Area() const { return area_; }
    // Where the view's centre is on screen.
    ScreenPoint CentreOnScreen() const;
    // Screen pixels per degree of declination or altitude at the centre.
    double PixelsPerDegree() const;
    // Screen pixels per degree of arc at a sky point, across (x) and down
    // (y): the geocentric plane stretches right ascension by the secant of
    // the declination.
    ScreenPoint ScaleAt(SkyPoint sky) const;
    // The aim that gives this view again.
    ViewAim Aim() const;

    // The faintest magnitude to draw in this view, and how many magnitudes
    // deeper than the whole sky that is (0 at the whole sky): star dots grow
    // by this much as the view narrows.
    double LimitingMagnitude() const;
    double MagnitudeGain() const;

    // Everything on screen lies within this circle on the sky. The
    // horizontal chart needs the observer's sidereal time and latitude to
    // turn its centre into right ascension and declination.
    // The circle is in right ascension and declination of date (what the
    // charts plot).
    SkyCircle VisibleSky(const engine::SkyState& state) const;
    // The same circle in the catalogue's J2000 places, for asking a
    // catalogue kept in sky cells which cells are in view.
    SkyCircle VisibleCatalogueSky(const engine::SkyState& state) const;

    // Sky position (of the chart's kind) to screen. At the whole-sky view
    // this is the chart's own mapping to the pixel (through the catalogue
    // codes for the geocentric chart, as the chart has always placed them).
    PixelPoint ToPixel(SkyPoint sky) const;
    // The same before rounding, for lines cut at the area's edge.
    ScreenPoint ToScreen(SkyPoint sky) const;
    // ToScreen on the horizontal chart of an azimuth given by its sine and
    // cosine, as a direction's components give them: the many points of an
    // outline need no azimuth angle and no turning it back into a sine.
    ScreenPoint HorizontalToScreen(double sinAzimuth, double cosAzimuth, double altitude) const;
    // The sky position at a screen point (the inverse of ToScreen); empty
    // where no sky is (outside the horizontal chart's horizon reach, or
    // outside the geocentric map).
    std::optional<SkyPoint> SkyAt(double x, double y) const;

    // Whether a point on screen is worth drawing: inside the area with a
    // margin of `reach` pixels around it.
    bool Shows(const ScreenPoint& p, int reach) const;
    // Whether a line may join two screen points of this view: not across
    // the far side of the sphere, where the geocentric plane is cut.
    bool Joins(const ScreenPoint& a, const ScreenPoint& b) const;
    // Cuts the segment a-b to the area; false when nothing of it is inside.
    bool ClipSegment(ScreenPoint& a, ScreenPoint& b) const;

    // New aims for the mouse and keys. A field that reaches the whole sky
    // gives the whole sky; fields narrower than the narrowest stop there.
    // The sky under `x`, `y` stays under it while the field changes by
    // `factor` (above 1 zooms in).
    ViewAim ZoomedAbout(double x, double y, double factor) const;
    // The sky moved by (dx, dy) screen pixels, as a drag moves it.
    ViewAim PannedBy(double dx, double dy) const;
    // Centred on the sky at a screen point; the whole sky zooms in one
    // step so the centring shows.
    ViewAim CentredAt(double x, double y) const;

private:
    ScreenPoint PlaneOf(SkyPoint sky) const;
    SkyPoint SkyOfPlane(double px, double py) const;
    ScreenPoint PlaneToScreen(ScreenPoint plane) const;
    ScreenPoint ScreenToPlane(double x, double y) const;
    ViewAim AimForPlaneCentre(double px, double py, double zoom) const;
    double ZoomForField(double fieldDegrees) const;
    double FieldForZoom(double zoom) const;
    // Zooms up to this one are the whole sky.
    double WholeSkyZoom() const;
    // The plane centre kept on the sky the chart shows.
    void KeepCentreOnSky(double& px, double& py) const;

    ChartPlane plane_ = ChartPlane::kHorizontal;
    bool wholeSky_ = true;
    double zoom_ = 1;
    SkyPoint centre_;
    ScreenPoint planeCentre_;  // the centre on the chart plane
    ScreenPoint anchor_;       // where the plane centre is drawn
    ScreenArea area_;
    // Horizontal plane: disc centre, radius, orientation.
    int cx_ = 0;
    int cy_ = 0;
    int radius_ = 0;
    int orientation_ = -1;
    // Geocentric plane: window width and map height.
    int width_ = 0;
    int height_ = 0;
    int mapHeight_ = 0;
    // Whole-sky pixels per degree along the plane's vertical axis, and the
    // shorter side of the area in pixels.
    double planePixelsPerDegree_ = 1;
    double shorterSide_ = 1;
};

}  // namespace skyvane::render
