#include "render/label_placer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace skyvane::render {
namespace {

using Rect = LabelPlacer::Rect;

TEST(LabelPlacer, RefusesOverlapsAndTheFrameEdge)
{
    LabelPlacer placer({0, 0, 100, 50});
    EXPECT_EQ(placer.Place({{10, 10, 40, 20}}), 0);
    // Touching edges are not an overlap (right and bottom are exclusive).
    EXPECT_EQ(placer.Place({{40, 10, 60, 20}}), 0);
    // Overlaps the first, then leaves the frame, then fits: the third wins.
    EXPECT_EQ(placer.Place({{30, 15, 50, 25}, {90, 30, 101, 40}, {60, 30, 100, 50}}), 2);
    EXPECT_EQ(placer.Place({{0, 0, 11, 11}}), -1);
    EXPECT_EQ(placer.Placed().size(), 3u);
}

TEST(LabelPlacer, ReservedAreasBlockLabels)
{
    LabelPlacer placer({0, 0, 200, 200});
    placer.Reserve({50, 50, 60, 60});
    EXPECT_FALSE(placer.Fits({55, 55, 80, 65}));
    EXPECT_TRUE(placer.Fits({60, 55, 80, 65}));
}

TEST(LabelPlacer, CandidatesAroundASymbolFallBackToTheOtherSides)
{
    enum Side { kRight, kLeft, kAbove, kBelow, kAboveRight, kAboveLeft, kBelowRight, kBelowLeft, kNone = -1 };
    // A 20 by 10 label for a symbol of radius 3 in a 100 by 100 frame, with
    // the labels of neighbours already placed.
    struct Case {
        const char* what;
        int x, y;
        std::vector<Rect> taken;
        int side;
    };
    const Case cases[] = {
        {"open sky", 50, 50, {}, kRight},
        {"at the right edge", 95, 50, {}, kLeft},
        {"a neighbour's name on the right", 50, 50, {{55, 40, 90, 60}}, kLeft},
        {"at the right edge, a neighbour's name on the left", 95, 50, {{40, 45, 90, 55}}, kAboveLeft},
        {"in the top right corner, a name on the left", 95, 5, {{40, 0, 90, 10}}, kBelowLeft},
        {"in the top left corner, a name on the right", 4, 5, {{10, 0, 60, 10}}, kBelowRight},
        {"near the bottom edge, names right and left", 50, 90, {{55, 86, 90, 100}, {10, 86, 45, 100}},
         kAbove},
        {"hemmed in on every side", 50, 50, {{0, 0, 100, 46}, {0, 54, 100, 100}, {0, 0, 47, 100},
                                             {53, 0, 100, 100}}, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LabelPlacer placer({0, 0, 100, 100});
        for (const Rect& r : c.taken) placer.Reserve(r);
        const auto candidates = LabelCandidatesAround(c.x, c.y, 3, 20, 10);
        const int chosen = placer.Place(candidates);
        EXPECT_EQ(chosen, c.side);
        if (chosen < 0) continue;
        const Rect& placed = placer.Placed().back();
        EXPECT_EQ(placed.right - placed.left, 20);
        EXPECT_EQ(placed.bottom - placed.top, 10);
        // Beside its symbol: never over it, and touching its reach.
        const Rect symbol{c.x - 3, c.y - 3, c.x + 4, c.y + 4};
        EXPECT_TRUE(placed.right <= symbol.left || placed.left >= symbol.right ||
                    placed.bottom <= symbol.top || placed.top >= symbol.bottom);
        EXPECT_LE(std::max({placed.left - c.x, c.x - placed.right, placed.top - c.y, c.y - placed.bottom}), 6);
    }
}

}  // namespace
}  // namespace skyvane::render
