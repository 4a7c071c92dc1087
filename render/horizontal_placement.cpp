#include "render/horizontal_placement.h"

namespace skyvane::render {

void HorizontalStarPlacer::Place(const engine::SkyState& state,
                                 const skydata::SkyCatalogue& catalogue, int count, int cx, int cy,
                                 int radius, int orientation)
{
    ofDate_.CarryStars(state, catalogue, count);
    const int rows = ofDate_.Count();
    placements_.resize(static_cast<std::size_t>(rows));
    const ObserverTurn turn = ObserverTurn::Of(state);
    for (int i = 0; i < rows; ++i) {
        placements_[static_cast<std::size_t>(i)] =
            PlaceDirectionHorizontal(ofDate_.Direction(i), turn, cx, cy, radius, orientation);
    }
}

}  // namespace skyvane::render
