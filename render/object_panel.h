// Picking a star or Messier object with the mouse, and the panels that show
// the selected object's catalogue data (with a button that opens its web
// page when the catalogue has one).
#pragma once

#include <QPoint>

#include <optional>
#include <string>
#include <string_view>

#include "render/draw_context.h"
#include "skydata/catalogue.h"
#include "skydata/click_rects.h"
#include "skydata/int_rect.h"

namespace skyvane::render {

// The view's selection: rows of the star and Messier tables, -1 for none.
// At most one of the two is set. `helpOverlay` is the F1 help that hides
// the panel; every new selection clears it. `highlightedBody` is a body
// (BodyId) found by name, whose table row the charts frame; -1 for none.
struct ObjectSelection {
    int selectedStar = -1;
    int selectedDeepSky = -1;
    bool helpOverlay = false;
    int highlightedBody = -1;

    friend bool operator==(const ObjectSelection&, const ObjectSelection&) = default;
};

// Usage-report code of a click on the panel's page link.
inline constexpr int kObjectLinkClickCode = 997;

struct PickResult {
    // The address the link button leads to when the click hit the button
    // and something is selected: page prefix + infoPageId + page suffix.
    // The view opens it and sends the usage report kObjectLinkClickCode.
    std::optional<std::string> pageAddress;
    // A star or Messier object was hit and the selection changed; the view
    // redraws.
    bool invalidate = false;
};

// Whether `point` lies in `rect`, left and top inclusive, right and bottom
// exclusive.
bool RectContains(const skydata::IntRect& rect, QPoint point);

// What a left click at `point` does: first the link button
// (`objectLinkRect`) of the current selection, then every star rectangle and
// then every Messier rectangle in row order. Later hits win, so of
// overlapping objects the highest star row wins and any Messier object wins
// over a star. A click that hits nothing leaves `selection` unchanged.
PickResult PickObject(QPoint point, const skydata::SkyCatalogue& catalogue,
                      const skydata::CatalogueClickRects& clickRects,
                      const skydata::IntRect& objectLinkRect, ObjectSelection& selection);

// Star name as the panels show it: the designation followed by
// "  ( proper name )" when the proper name is not blank. Windows-1252 bytes.
std::string StarDisplayName(const skydata::StarRecord& star);

// The horizontal chart's panel of star row `selectedStar`, drawn with the
// chart's current font, its lines from (x0 + 12, base + 232) down.
// When the star has a web page
// the link button is drawn up to `width` - 12 and its rectangle stored in
// `objectLinkRect`, which is left alone otherwise. Rows outside the table
// draw nothing.
void DrawStarPanelHorizontal(DrawContext& dc, int x0, int base, int width,
                             const skydata::SkyCatalogue& catalogue, int selectedStar,
                             skydata::IntRect& objectLinkRect);

// The same for Messier row `selectedDeepSky` (row 0 is M1).
void DrawMessierPanelHorizontal(DrawContext& dc, int x0, int base, int width,
                                const skydata::SkyCatalogue& catalogue, int selectedDeepSky,
                                skydata::IntRect& objectLinkRect);

// The geocentric chart's panel in the window's top-left corner: the data of
// star row `selectedStar` when `selectedStarDrawn` (the chart drew that star
// in this frame), otherwise the hint "Click Star for information".
void DrawStarPanelGeocentric(DrawContext& dc, const skydata::SkyCatalogue& catalogue,
                             int selectedStar, bool selectedStarDrawn);
// The box those texts fill in the current font, so that the chart keeps its
// grid labels out from under it.
skydata::IntRect StarPanelGeocentricBox(const DrawContext& dc,
                                        const skydata::SkyCatalogue& catalogue, int selectedStar,
                                        bool selectedStarDrawn);

// The constellation line of both panels: the full name of the constellation
// the star's designation ends with. The catalogue's designations carry the
// constellation the IAU boundaries give, so a star that belongs to no
// figure is named too, as the find command names it.
std::string StarConstellationName(const skydata::SkyCatalogue& catalogue,
                                  const skydata::StarRecord& star);

// The panels' SAO line: "SAO " and the number, or "SAO" alone for a star
// the catalogue gives no number (some components of double stars).
std::string SaoLine(const skydata::StarRecord& star);

}  // namespace skyvane::render
