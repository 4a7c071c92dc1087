// What a zoomed chart draws beyond the whole-sky chart's own rules: stars
// sized for the field, figure lines cut at the map's edge, deep-sky objects
// at their true size, star and object names wherever they fit, and the
// field's scale in a corner. Both sky charts use these pieces through their
// ChartView, so every object goes the same way from the sky to the screen.
#pragma once

#include <QFont>
#include <QRgb>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

#include "render/chart_view.h"
#include "render/draw_context.h"
#include "render/label_placer.h"
#include "skydata/catalogue.h"
#include "skydata/click_rects.h"

namespace skyvane::render {

// Radius in pixels of a star's dot in a zoomed view: the whole-sky classes
// for a star `gain` magnitudes brighter, growing on past them for the
// brightest stars of a narrow field. 0 is the faint stars' grey pixel.
int ZoomedStarRadius(double magnitude, double gain);

// The Bayer letter of a designation ("34 Del Ori" gives "δ", "1 Pi3 Ori"
// "π³"), or an empty text.
QString BayerLetter(std::string_view designation);
// The label a star gets in a zoomed view: its proper name, else its Bayer
// letter, else nothing.
QString StarLabel(const skydata::StarRecord& star);

// An object's apparent size in arc minutes from the catalogue's dimension
// text ("66x60" gives 66); 0 when the text holds no size.
double DimensionArcMinutes(std::string_view dimension);

// The names drawn in a zoomed view, brightest first, none over another or
// over a bright star's dot.
class ViewLabels {
public:
    explicit ViewLabels(const ChartView& view);
    // Areas no label may cover: a dot, a panel text.
    void Reserve(const LabelPlacer::Rect& area) { placer_.Reserve(area); }
    // A label for the object of half size `reach` at `at`, placed in order
    // of `priority` (lower first) when Draw runs.
    void Add(ScreenPoint at, int reach, QString text, QRgb color, double priority);
    // Places and draws them; returns how many were drawn.
    int Draw(DrawContext& dc);

private:
    struct Pending {
        int x;
        int y;
        int reach;
        QString text;
        QRgb color;
        double priority;
    };
    LabelPlacer placer_;
    std::vector<Pending> pending_;
};

// The sky's colour filled inside the horizon of a zoomed horizontal view,
// with the horizon drawn in `rimColor`; outside it the surface stays as it
// is (black, as every chart starts).
void FillZoomedHorizon(DrawContext& dc, const ChartView& view, QRgb skyColor, QRgb rimColor);

// A line between two screen points, cut at the map's edge.
void DrawViewLine(DrawContext& dc, const ChartView& view, ScreenPoint a, ScreenPoint b);

// The stick figures between the visible stars of `stars`, in `pen`, the
// selected constellation's in `highlightPen`.
void DrawZoomedFigures(DrawContext& dc, const ChartView& view,
                       const skydata::SkyCatalogue& catalogue, int rowCount,
                       const std::vector<ViewPlace>& stars, std::string_view selectedConstellation,
                       QRgb pen, QRgb highlightPen);

// How a zoomed view draws its stars.
struct ZoomedStarStyle {
    bool spectral = false;
    double sunAltitude = -90;  // for the twilight rule of the horizontal chart
    bool twilightRule = false;
    bool starsAlways = false;
};

// Draws the visible stars that the view shows, sized for its field, ringed
// when selected, and writes their click rectangles; stars out of view get
// an empty one, so nothing off the map answers a click. Named stars go to
// `labels`. Returns whether the selected star was drawn.
bool DrawZoomedStars(DrawContext& dc, const ChartView& view,
                     const skydata::SkyCatalogue& catalogue, const std::vector<ViewPlace>& stars,
                     const ZoomedStarStyle& style, int selectedStar,
                     skydata::CatalogueClickRects& clickRects, ViewLabels& labels);

// The Messier objects: their marker, their outline at their true size where
// that is larger, the selection ring, click rectangles as for the stars, and
// "M n" labels. Returns whether the selected object was drawn.
// Rows whose entry in `outlined` is true already have their outline (the
// deep-sky file's shape at its true angle) and get only the marker.
bool DrawZoomedDeepSky(DrawContext& dc, const ChartView& view,
                       const skydata::SkyCatalogue& catalogue,
                       const std::vector<ViewPlace>& objects, int selectedDeepSky,
                       skydata::CatalogueClickRects& clickRects, ViewLabels& labels,
                       const std::vector<bool>* outlined = nullptr);

// The field across the map and a scale bar of a round angle, in the map's
// lower right corner. Returns the area it covers.
LabelPlacer::Rect DrawFieldScale(DrawContext& dc, const ChartView& view);

// "5.0°", "30′", "20″": an angle as the scale shows it.
QString ScaleText(double degrees);

// The length of the scale bar for a view: the largest round angle that
// takes no more than `maxPixels`.
double ScaleBarDegrees(double pixelsPerDegree, double maxPixels);

// The font of names and the scale on a zoomed chart.
const QFont& ViewLabelFont();

}  // namespace skyvane::render
