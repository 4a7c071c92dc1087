// Names beside the bodies on a printed map. Each goes through the shared
// placement step: where the chart has always put it when that is free,
// else on another side of its disc, else nowhere. No name covers another
// name, a disc or a fixed label of the map, and none leaves the map's frame
// (where the frame or the page's edge would cut it, "Neptu").
#pragma once

#include <QRgb>
#include <QString>

#include <string_view>

#include "render/draw_context.h"
#include "render/label_placer.h"
#include "skydata/int_rect.h"

namespace skyvane::print {

class MapLabels {
public:
    MapLabels(render::DrawContext& dc, skydata::IntRect frame);

    // A body's disc: no name may cover it.
    void ReserveDisc(int x, int y, int radius);
    // A fixed text of the map with its top-left corner at (x, y), drawn by
    // the caller: no name may cover it.
    void ReserveText(int x, int y, const QString& text);

    // Draws `name` (Windows-1252) in `color` for the disc of `radius` at
    // (x, y): at (preferredX, preferredY) when that is free, else beside the
    // disc. False when the name has no free place and is left out.
    bool PlaceName(int x, int y, int radius, int preferredX, int preferredY, QRgb color,
                   std::string_view name);

    const render::LabelPlacer& Placer() const { return placer_; }

private:
    render::DrawContext& dc_;
    render::LabelPlacer placer_;
};

}  // namespace skyvane::print
