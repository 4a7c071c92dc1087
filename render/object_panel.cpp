#include "render/object_panel.h"

#include <vector>

#include <QRgb>

#include <algorithm>
#include <cstdio>

#include "places/formatting.h"
#include "places/windows1252.h"
#include "render/chart_fonts.h"
#include "render/chart_text.h"
#include "skydata/constellations.h"

namespace skyvane::render {

namespace {

constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kBlack = qRgb(0, 0, 0);

// Catalogue and formatter texts are Windows-1252 bytes.
void Text(DrawContext& dc, int x, int y, QRgb color, const std::string& text)
{
    dc.SetTextColor(color);
    TextOutWindows1252(dc, x, y, text);
}

const skydata::StarRecord* StarAt(const skydata::SkyCatalogue& catalogue, int row)
{
    if (row < 0 || row >= skydata::kStarCapacity) return nullptr;
    return &catalogue.stars[static_cast<std::size_t>(row)];
}

const skydata::DeepSkyObject* DeepSkyAt(const skydata::SkyCatalogue& catalogue, int row)
{
    if (row < 0 || row >= skydata::kDeepSkyCapacity) return nullptr;
    return &catalogue.deepSky[static_cast<std::size_t>(row)];
}

// The right ascension and declination rows shared by every panel: a blue
// caption with the value a fixed distance to its right.
struct CoordinateRows {
    int x;
    int valueX;
    int raY;
    int decY;
};

void DrawCoordinates(DrawContext& dc, const CoordinateRows& rows, double ra, double dec)
{
    Text(dc, rows.x, rows.raY, kBlue, "RA");
    Text(dc, rows.valueX, rows.raY, kBlue, places::FormatAngle(ra, places::kAngleHours));
    Text(dc, rows.x, rows.decY, kBlue, "Dec");
    Text(dc, rows.valueX, rows.decY, kBlue, places::FormatAngle(dec, places::kAngleSignedDegrees));
}

// Offsets of the horizontal chart's panel lines from (x0, base).
constexpr int kPanelTextDx = 12;
constexpr int kPanelValueDx = 47;
constexpr int kPanelLineDy[7] = {232, 250, 268, 284, 302, 320, 338};

// The link button under either horizontal panel.
constexpr int kLinkTopDy = 360;
constexpr int kLinkBottomDy = 385;
constexpr int kLinkRightMargin = 12;
constexpr int kLinkTextDx = 50;
constexpr int kLinkTextDy = 365;
constexpr const char* kLinkText = "Click here for more online info !";

void DrawLinkButton(DrawContext& dc, int x0, int base, int width, skydata::IntRect& objectLinkRect)
{
    objectLinkRect = skydata::IntRect{x0 + kPanelTextDx, base + kLinkTopDy, width - kLinkRightMargin,
                                      base + kLinkBottomDy};
    dc.FillSolidRect(objectLinkRect.left, objectLinkRect.top, objectLinkRect.right,
                     objectLinkRect.bottom, kWhite);
    dc.SetBkColor(kWhite);
    Text(dc, x0 + kLinkTextDx, base + kLinkTextDy, kRed, kLinkText);
    dc.SetBkColor(kBlack);
}

}  // namespace

bool RectContains(const skydata::IntRect& rect, QPoint point)
{
    return point.x() >= rect.left && point.x() < rect.right && point.y() >= rect.top &&
           point.y() < rect.bottom;
}

PickResult PickObject(QPoint point, const skydata::SkyCatalogue& catalogue,
                      const skydata::CatalogueClickRects& clickRects,
                      const skydata::IntRect& objectLinkRect, ObjectSelection& selection)
{
    PickResult result;

    if (RectContains(objectLinkRect, point)) {
        // A star selection wins, though the two are never set together.
        std::string number;
        if (const auto* object = DeepSkyAt(catalogue, selection.selectedDeepSky)) {
            number = Printf("%d", static_cast<int>(object->infoPageId));
        }
        if (const auto* star = StarAt(catalogue, selection.selectedStar)) {
            number = Printf("%d", static_cast<int>(star->infoPageId));
        }
        if (!number.empty()) {
            result.pageAddress = catalogue.pagePrefix + number + catalogue.pageSuffix;
        }
    }

    // No early exit: the last hit is the one that stays selected.
    for (int row = 0; row < skydata::kStarCapacity; ++row) {
        if (RectContains(clickRects.stars[static_cast<std::size_t>(row)], point)) {
            selection.selectedStar = row;
            selection.selectedDeepSky = -1;
            selection.helpOverlay = false;
            selection.highlightedBody = -1;
            result.invalidate = true;
        }
    }
    for (int row = 0; row < skydata::kDeepSkyCapacity; ++row) {
        if (RectContains(clickRects.deepSky[static_cast<std::size_t>(row)], point)) {
            selection.selectedDeepSky = row;
            selection.selectedStar = -1;
            selection.helpOverlay = false;
            selection.highlightedBody = -1;
            result.invalidate = true;
        }
    }
    return result;
}

std::string StarDisplayName(const skydata::StarRecord& star)
{
    const bool blank = std::all_of(star.properName.begin(), star.properName.end(),
                                   [](char c) { return c == ' '; });
    if (blank) return star.designation;
    return star.designation + "  ( " + star.properName + " )";
}

std::string StarConstellationName(const skydata::SkyCatalogue& catalogue,
                                  const skydata::StarRecord& star)
{
    return skydata::ConstellationFullName(catalogue, skydata::StarConstellation(star));
}

void DrawStarPanelHorizontal(DrawContext& dc, int x0, int base, int width,
                             const skydata::SkyCatalogue& catalogue, int selectedStar,
                             skydata::IntRect& objectLinkRect)
{
    const skydata::StarRecord* star = StarAt(catalogue, selectedStar);
    if (star == nullptr) return;
    const int x = x0 + kPanelTextDx;
    const auto line = [base](int n) { return base + kPanelLineDy[n]; };

    Text(dc, x, line(0), kRed, "Star :" + StarDisplayName(*star));
    Text(dc, x, line(1), kWhite, StarConstellationName(catalogue, *star));
    DrawCoordinates(dc, {x, x0 + kPanelValueDx, line(2), line(3)}, star->ra, star->dec);
    Text(dc, x, line(4), kYellow, "Spectrum " + star->spectrum);
    Text(dc, x, line(5), kWhite, SaoLine(*star));
    Text(dc, x, line(6), kGreen, "Mag " + Printf("%0.2f", star->magnitude));
    if (star->hasInfoPage == 1) DrawLinkButton(dc, x0, base, width, objectLinkRect);
}

void DrawMessierPanelHorizontal(DrawContext& dc, int x0, int base, int width,
                                const skydata::SkyCatalogue& catalogue, int selectedDeepSky,
                                skydata::IntRect& objectLinkRect)
{
    const skydata::DeepSkyObject* object = DeepSkyAt(catalogue, selectedDeepSky);
    if (object == nullptr) return;
    const int x = x0 + kPanelTextDx;
    const auto line = [base](int n) { return base + kPanelLineDy[n]; };

    Text(dc, x, line(0), kRed,
         "Messier Object M" + Printf("%d", selectedDeepSky + 1) + "  " + object->name);
    Text(dc, x, line(1), kWhite, "NGC " + object->ngc);
    DrawCoordinates(dc, {x, x0 + kPanelValueDx, line(2), line(3)}, object->ra, object->dec);
    Text(dc, x, line(4), kGreen, "Dimension: " + object->dimension + " Arc minutes ");
    Text(dc, x, line(5), kGreen,
         "Distance: " + Printf("%0.0f", object->distance * 1000) + " light-years ");
    Text(dc, x, line(6), kYellow, "Mag " + Printf("%4.1f", object->magnitude));
    if (object->hasInfoPage == 1) DrawLinkButton(dc, x0, base, width, objectLinkRect);
}

std::string SaoLine(const skydata::StarRecord& star)
{
    if (star.sao <= 0) return "SAO";
    return "SAO " + Printf("%d", static_cast<int>(star.sao));
}

namespace {

struct PanelLine {
    int x;
    int y;
    QRgb color;
    std::string text;
};

// The geocentric panel's lines, or the hint alone.
std::vector<PanelLine> GeocentricPanelLines(const skydata::SkyCatalogue& catalogue,
                                            int selectedStar, bool selectedStarDrawn)
{
    constexpr int kHintX = 4;
    constexpr int kHintY = 4;
    constexpr int kTextX = 35;
    constexpr int kNameX = 32;
    constexpr int kValueX = 70;
    constexpr int kLineY[7] = {2, 20, 38, 54, 72, 90, 108};
    // On the black sky the catalogue's pure blue is hard to read; this
    // panel's coordinates take a lighter one.
    constexpr QRgb kLightBlue = qRgb(110, 150, 255);

    const skydata::StarRecord* star = StarAt(catalogue, selectedStar);
    if (!selectedStarDrawn || star == nullptr) {
        return {{kHintX, kHintY, kWhite, "Click Star for information"}};
    }
    // "Constallation" is how the chart has always spelled it.
    return {
        {kTextX, kLineY[0], kWhite, "Constallation: " + StarConstellationName(catalogue, *star)},
        {kNameX, kLineY[1], kRed, StarDisplayName(*star)},
        {kTextX, kLineY[2], kLightBlue, "RA"},
        {kValueX, kLineY[2], kLightBlue, places::FormatAngle(star->ra, places::kAngleHours)},
        {kTextX, kLineY[3], kLightBlue, "Dec"},
        {kValueX, kLineY[3], kLightBlue,
         places::FormatAngle(star->dec, places::kAngleSignedDegrees)},
        {kTextX, kLineY[4], kYellow, "Spectrum " + star->spectrum},
        {kTextX, kLineY[5], kWhite, SaoLine(*star)},
        {kTextX, kLineY[6], kGreen, "Mag " + Printf("%0.2f", star->magnitude)},
    };
}

}  // namespace

void DrawStarPanelGeocentric(DrawContext& dc, const skydata::SkyCatalogue& catalogue,
                             int selectedStar, bool selectedStarDrawn)
{
    for (const PanelLine& line : GeocentricPanelLines(catalogue, selectedStar, selectedStarDrawn))
        Text(dc, line.x, line.y, line.color, line.text);
}

skydata::IntRect StarPanelGeocentricBox(const DrawContext& dc,
                                        const skydata::SkyCatalogue& catalogue, int selectedStar,
                                        bool selectedStarDrawn)
{
    skydata::IntRect box{};
    bool first = true;
    for (const PanelLine& line : GeocentricPanelLines(catalogue, selectedStar, selectedStarDrawn)) {
        const QSize size = dc.TextExtent(places::FromWindows1252(line.text));
        const skydata::IntRect r{line.x, line.y, line.x + size.width(), line.y + size.height()};
        if (first) {
            box = r;
            first = false;
        } else {
            box = {std::min(box.left, r.left), std::min(box.top, r.top),
                   std::max(box.right, r.right), std::max(box.bottom, r.bottom)};
        }
    }
    return box;
}

}  // namespace skyvane::render
