#include "render/zoomed_sky.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "places/windows1252.h"
#include "render/chart_fonts.h"
#include "render/figure_lines.h"
#include "render/star_marker.h"
#include "skydata/constellations.h"

namespace skyvane::render {

namespace {

constexpr QRgb kStarLabelColor = qRgb(170, 170, 225);
constexpr QRgb kDeepSkyPen = qRgb(204, 87, 57);
constexpr QRgb kScaleColor = qRgb(200, 200, 200);

int RoundToPixel(double value)
{
    return TruncateToPixel(std::floor(value + 0.5));
}

// Greek letters as catalogue designations abbreviate them.
struct GreekLetter {
    const char* abbreviation;
    char16_t letter;
};
constexpr std::array<GreekLetter, 24> kGreek{{
    {"Alp", u'α'}, {"Bet", u'β'}, {"Gam", u'γ'}, {"Del", u'δ'}, {"Eps", u'ε'}, {"Zet", u'ζ'},
    {"Eta", u'η'}, {"The", u'θ'}, {"Iot", u'ι'}, {"Kap", u'κ'}, {"Lam", u'λ'}, {"Mu", u'μ'},
    {"Nu", u'ν'},  {"Xi", u'ξ'},  {"Omi", u'ο'}, {"Pi", u'π'},  {"Rho", u'ρ'}, {"Sig", u'σ'},
    {"Tau", u'τ'}, {"Ups", u'υ'}, {"Phi", u'φ'}, {"Chi", u'χ'}, {"Psi", u'ψ'}, {"Ome", u'ω'},
}};

constexpr std::array<char16_t, 10> kSuperscriptDigits{
    {u'⁰', u'¹', u'²', u'³', u'⁴', u'⁵', u'⁶', u'⁷', u'⁸', u'⁹'}};

QString GreekToken(std::string_view token)
{
    for (const GreekLetter& g : kGreek) {
        const std::size_t n = std::strlen(g.abbreviation);
        if (token.size() < n || token.substr(0, n) != g.abbreviation) {
            continue;
        }
        const std::string_view rest = token.substr(n);
        if (!std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        QString text(QChar(g.letter));
        for (const char c : rest) {
            text += QChar(kSuperscriptDigits[static_cast<std::size_t>(c - '0')]);
        }
        return text;
    }
    return {};
}

}  // namespace

int ZoomedStarRadius(double magnitude, double gain)
{
    // The whole-sky classes (grey pixel from 4.9, then 1, 2, 3 pixels from
    // 3.0, 2.0 and the brightest), one pixel more for every magnitude
    // brighter than 1, up to a dot that still leaves room for its name.
    constexpr double kFaint = 4.9;
    constexpr double kClassTwo = 3.0;
    constexpr double kClassThree = 2.0;
    constexpr double kGrowFrom = 1.0;
    constexpr int kLargest = 8;
    const double m = magnitude - std::max(gain, 0.0);
    if (!(m < kFaint)) {
        return 0;
    }
    if (m >= kClassTwo) {
        return 1;
    }
    if (m >= kClassThree) {
        return 2;
    }
    if (m >= kGrowFrom) {
        return 3;
    }
    return std::min(kLargest, 3 + static_cast<int>(std::ceil(kGrowFrom - m)));
}

QString BayerLetter(std::string_view designation)
{
    // The last word is the constellation ("Tau" is Taurus there, not tau).
    const std::size_t last = designation.find_last_of(' ');
    if (last == std::string_view::npos) {
        return {};
    }
    designation = designation.substr(0, last);
    std::size_t start = 0;
    while (start < designation.size()) {
        std::size_t end = designation.find(' ', start);
        if (end == std::string_view::npos) {
            end = designation.size();
        }
        const QString letter = GreekToken(designation.substr(start, end - start));
        if (!letter.isEmpty()) {
            return letter;
        }
        start = end + 1;
    }
    return {};
}

QString StarLabel(const skydata::StarRecord& star)
{
    const QString name = places::FromWindows1252(star.properName).trimmed();
    if (!name.isEmpty()) {
        return name;
    }
    return BayerLetter(star.designation);
}

double DimensionArcMinutes(std::string_view dimension)
{
    const std::string text(dimension);
    const double size = std::atof(text.c_str());
    return std::isfinite(size) && size > 0 ? size : 0;
}

const QFont& ViewLabelFont()
{
    static const QFont font = MakeChartFont(QStringLiteral("SansSerif"), 15, 400);
    return font;
}

// ------------------------------------------------------------------ labels

ViewLabels::ViewLabels(const ChartView& view)
    : placer_({view.Area().left, view.Area().top, view.Area().right, view.Area().bottom})
{
}

void ViewLabels::Add(ScreenPoint at, int reach, QString text, QRgb color, double priority)
{
    if (text.isEmpty()) {
        return;
    }
    pending_.push_back(
        {RoundToPixel(at.x), RoundToPixel(at.y), reach, std::move(text), color, priority});
}

int ViewLabels::Draw(DrawContext& dc)
{
    std::stable_sort(pending_.begin(), pending_.end(),
                     [](const Pending& a, const Pending& b) { return a.priority < b.priority; });
    const QFont previous = dc.SelectFont(ViewLabelFont());
    const bool opaque = dc.BkOpaque();
    dc.SetBkOpaque(false);
    int drawn = 0;
    constexpr int kGap = 2;
    // Components of a double star share a letter: it is written once.
    constexpr int kSameNameReach = 40;
    std::vector<const Pending*> written;
    for (const Pending& label : pending_) {
        const bool repeated = std::any_of(written.begin(), written.end(), [&](const Pending* w) {
            return w->text == label.text && std::abs(w->x - label.x) < kSameNameReach &&
                   std::abs(w->y - label.y) < kSameNameReach;
        });
        if (repeated) {
            continue;
        }
        const QSize size = dc.TextExtent(label.text);
        const std::vector<LabelPlacer::Rect> candidates = LabelCandidatesAround(
            label.x, label.y, label.reach + kGap, size.width(), size.height());
        const int chosen = placer_.Place(candidates);
        if (chosen < 0) {
            continue;
        }
        const LabelPlacer::Rect& box = candidates[static_cast<std::size_t>(chosen)];
        dc.SetTextColor(label.color);
        dc.TextOut(box.left, box.top, label.text);
        written.push_back(&label);
        ++drawn;
    }
    dc.SetBkOpaque(opaque);
    dc.SelectFont(previous);
    pending_.clear();
    return drawn;
}

// ------------------------------------------------------------ sky and lines

void FillZoomedHorizon(DrawContext& dc, const ChartView& view, QRgb skyColor, QRgb rimColor)
{
    const ScreenArea area = view.Area();
    // The surface starts black, as the night sky is: only a brighter sky
    // needs filling.
    const bool fill = skyColor != qRgb(0, 0, 0);
    // The horizon is a circle on the plane: round the zenith, through the
    // north point.
    const ScreenPoint zenith = view.ToScreen({0, 90});
    const ScreenPoint north = view.ToScreen({180, 0});
    const double radius = std::hypot(north.x - zenith.x, north.y - zenith.y);
    for (int y = area.top; fill && y < area.bottom; ++y) {
        const double dy = y + 0.5 - zenith.y;
        if (std::fabs(dy) > radius) {
            continue;
        }
        const double half = std::sqrt(radius * radius - dy * dy);
        const double first = std::ceil(std::max<double>(zenith.x - half - 0.5, area.left));
        const double end = std::floor(std::min<double>(zenith.x + half + 0.5, area.right));
        if (end > first) {
            dc.FillSolidRect(static_cast<int>(first), y, static_cast<int>(end), y + 1, skyColor);
        }
    }
    dc.SetPen(rimColor);
    constexpr int kRimSteps = 1440;
    ScreenPoint previous = view.ToScreen({0, 0});
    for (int i = 1; i <= kRimSteps; ++i) {
        const ScreenPoint next = view.ToScreen({i * 360.0 / kRimSteps, 0});
        DrawViewLine(dc, view, previous, next);
        previous = next;
    }
}

void DrawViewLine(DrawContext& dc, const ChartView& view, ScreenPoint a, ScreenPoint b)
{
    if (!view.Joins(a, b) || !view.ClipSegment(a, b)) {
        return;
    }
    dc.Line(RoundToPixel(a.x), RoundToPixel(a.y), RoundToPixel(b.x), RoundToPixel(b.y));
}

void DrawZoomedFigures(DrawContext& dc, const ChartView& view,
                       const skydata::SkyCatalogue& catalogue, int rowCount,
                       const std::vector<ViewPlace>& stars, std::string_view selectedConstellation,
                       QRgb pen, QRgb highlightPen)
{
    const auto beginRow = [&](int row) {
        dc.SetPen(FigureInConstellation(catalogue, row, selectedConstellation) ? highlightPen : pen);
    };
    const auto visible = [&](std::int32_t star) {
        return stars[static_cast<std::size_t>(star)].visible;
    };
    const auto line = [&](std::int32_t a, std::int32_t b) {
        DrawViewLine(dc, view, stars[static_cast<std::size_t>(a)].at,
                     stars[static_cast<std::size_t>(b)].at);
    };
    ForEachFigureSegment(catalogue, rowCount, static_cast<int>(stars.size()), beginRow, visible,
                         line);
}

// ------------------------------------------------------------------ objects

bool DrawZoomedStars(DrawContext& dc, const ChartView& view,
                     const skydata::SkyCatalogue& catalogue, const std::vector<ViewPlace>& stars,
                     const ZoomedStarStyle& style, int selectedStar,
                     skydata::CatalogueClickRects& clickRects, ViewLabels& labels)
{
    constexpr int kRingMargin = 3;
    constexpr QRgb kRingColor = qRgb(255, 0, 0);
    constexpr QRgb kPlainStar = qRgb(255, 255, 255);
    constexpr int kLargestReach = 8 + kRingMargin;
    const double gain = view.MagnitudeGain();
    constexpr double kNamesBelowLimit = 2.5;
    const double labelLimit = view.LimitingMagnitude() - kNamesBelowLimit;
    bool selectionDrawn = false;
    for (std::size_t i = 0; i < stars.size(); ++i) {
        const ViewPlace& place = stars[i];
        const skydata::StarRecord& star = catalogue.stars[i];
        const bool lit = !style.twilightRule || style.starsAlways ||
                         StarVisibleInTwilight(style.sunAltitude, star.magnitude);
        // Records at exactly 0 h or 0 degrees are empty rows, never stars.
        const bool empty = star.ra == 0 || star.dec == 0;
        if (!place.visible || !lit || empty || !view.Shows(place.at, kLargestReach)) {
            clickRects.stars[i] = {};
            continue;
        }
        const int x = RoundToPixel(place.at.x);
        const int y = RoundToPixel(place.at.y);
        const int radius = ZoomedStarRadius(star.magnitude, gain);
        if (static_cast<int>(i) == selectedStar) {
            const int reach = radius + kRingMargin;
            const auto pen = dc.Pen();
            const auto brush = dc.Brush();
            dc.SetPen(kRingColor);
            dc.SetBrush(kRingColor);
            dc.Ellipse(x - reach, y - reach, x + reach, y + reach);
            pen ? dc.SetPen(*pen) : dc.SetNullPen();
            brush ? dc.SetBrush(*brush) : dc.SetNullBrush();
            selectionDrawn = true;
        }
        const QRgb color = style.spectral ? SpectralColor(star.spectrum) : kPlainStar;
        const skydata::IntRect box = DrawStarMarker(dc, x, y, radius, color);
        clickRects.stars[i] = box;
        if (radius >= 2) {
            labels.Reserve(box);
        }
        // Brighter stars claim their room first; a wide field names only
        // the brightest, a narrow one nearly all it shows.
        if (star.magnitude < labelLimit) {
            labels.Add(place.at, std::max(radius, 1), StarLabel(star), kStarLabelColor,
                       star.magnitude);
        }
    }
    return selectionDrawn;
}

bool DrawZoomedDeepSky(DrawContext& dc, const ChartView& view,
                       const skydata::SkyCatalogue& catalogue,
                       const std::vector<ViewPlace>& objects, int selectedDeepSky,
                       skydata::CatalogueClickRects& clickRects, ViewLabels& labels,
                       const std::vector<bool>* outlined)
{
    constexpr int kRingReach = 6;
    constexpr QRgb kRingPen = qRgb(255, 0, 0);
    constexpr QRgb kRingFill = qRgb(255, 255, 255);
    constexpr int kMarkerReach = 3;
    constexpr int kMarkerBottom = 2;
    constexpr QRgb kMarkerFill = qRgb(0, 0, 0);
    // Messier objects take their room before any star's name.
    constexpr double kBeforeStars = -100;
    bool selectionDrawn = false;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const ViewPlace& place = objects[i];
        const skydata::DeepSkyObject& object = catalogue.deepSky[i];
        const double arcMinutes = DimensionArcMinutes(object.dimension);
        const ScreenPoint perDegree = view.ScaleAt({object.ra, object.dec});
        const int halfWidth = RoundToPixel(arcMinutes / 60 * perDegree.x / 2);
        const int halfHeight = RoundToPixel(arcMinutes / 60 * perDegree.y / 2);
        const int reach = std::max({kRingReach, halfWidth, halfHeight});
        if (!place.visible || !view.Shows(place.at, reach)) {
            clickRects.deepSky[i] = {};
            continue;
        }
        const int x = RoundToPixel(place.at.x);
        const int y = RoundToPixel(place.at.y);
        const bool hasOutline = outlined && i < outlined->size() && (*outlined)[i];
        if (!hasOutline && (halfWidth > kMarkerReach || halfHeight > kMarkerReach)) {
            dc.SetPen(kDeepSkyPen);
            dc.SetNullBrush();
            dc.Ellipse(x - halfWidth, y - halfHeight, x + halfWidth, y + halfHeight);
        }
        if (static_cast<int>(i) == selectedDeepSky) {
            dc.SetPen(kRingPen);
            dc.SetBrush(kRingFill);
            dc.Ellipse(x - kRingReach, y - kRingReach, x + kRingReach, y + kRingReach);
            selectionDrawn = true;
        }
        dc.SetPen(kDeepSkyPen);
        dc.SetBrush(kMarkerFill);
        dc.Ellipse(x - kMarkerReach, y - kMarkerReach, x + kMarkerReach, y + kMarkerBottom);
        clickRects.deepSky[i] = {x - kMarkerReach, y - kMarkerReach, x + kMarkerReach,
                                 y + kMarkerReach};
        labels.Reserve(clickRects.deepSky[i]);
        labels.Add(place.at, kMarkerReach, QStringLiteral("M%1").arg(i + 1), kDeepSkyPen,
                   kBeforeStars + object.magnitude);
    }
    return selectionDrawn;
}

// ------------------------------------------------------------------- scale

QString ScaleText(double degrees)
{
    constexpr double kMinutesPerDegree = 60;
    if (degrees >= 1) {
        const bool whole = std::fabs(degrees - std::round(degrees)) < 1e-9;
        return QString::number(degrees, 'f', whole ? 0 : 1) + QChar(0x00B0);
    }
    const double minutes = degrees * kMinutesPerDegree;
    if (minutes >= 1) {
        return QString::number(std::round(minutes)) + QChar(0x2032);
    }
    return QString::number(std::round(minutes * kMinutesPerDegree)) + QChar(0x2033);
}

double ScaleBarDegrees(double pixelsPerDegree, double maxPixels)
{
    constexpr std::array<double, 14> kRound{{60, 30, 20, 10, 5, 2, 1, 30.0 / 60, 20.0 / 60,
                                             10.0 / 60, 5.0 / 60, 2.0 / 60, 1.0 / 60, 0.5 / 60}};
    for (const double degrees : kRound) {
        if (degrees * pixelsPerDegree <= maxPixels) {
            return degrees;
        }
    }
    return kRound.back();
}

LabelPlacer::Rect DrawFieldScale(DrawContext& dc, const ChartView& view)
{
    constexpr int kMargin = 12;
    constexpr int kMaxBar = 160;
    constexpr int kTick = 4;
    const ScreenArea area = view.Area();
    const double perDegree = view.PixelsPerDegree();
    const double barDegrees = ScaleBarDegrees(perDegree, kMaxBar);
    const int bar = std::max(1, RoundToPixel(barDegrees * perDegree));

    const QFont previous = dc.SelectFont(ViewLabelFont());
    const QString field = QStringLiteral("Field ") + ScaleText(view.FieldDegrees());
    const QString length = ScaleText(barDegrees);
    const QSize fieldSize = dc.TextExtent(field);
    const QSize lengthSize = dc.TextExtent(length);
    const int right = area.right - kMargin;
    const int barY = area.bottom - kMargin - fieldSize.height() - kTick;
    const int left = right - std::max(bar, fieldSize.width());

    dc.SetPen(kScaleColor);
    dc.Line(right - bar, barY, right + 1, barY);
    dc.Line(right - bar, barY - kTick, right - bar, barY + kTick + 1);
    dc.Line(right, barY - kTick, right, barY + kTick + 1);
    const bool opaque = dc.BkOpaque();
    dc.SetBkOpaque(false);
    dc.SetTextColor(kScaleColor);
    dc.TextOut(right - bar / 2 - lengthSize.width() / 2, barY - kTick - lengthSize.height(),
               length);
    dc.TextOut(right - fieldSize.width(), barY + kTick + 1, field);
    dc.SetBkOpaque(opaque);
    dc.SelectFont(previous);
    return {left - 2, barY - kTick - lengthSize.height() - 2, area.right,
            barY + kTick + 1 + fieldSize.height() + 2};
}

}  // namespace skyvane::render
