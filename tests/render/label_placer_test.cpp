#include "render/label_placer.h"

#include <gtest/gtest.h>

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
    LabelPlacer placer({0, 0, 100, 100});
    // A symbol at the right edge: its right-hand label would leave the
    // frame, so the label goes to the left of it.
    const auto candidates = LabelCandidatesAround(95, 50, 3, 20, 10);
    ASSERT_EQ(placer.Place(candidates), 1);
    const Rect& placed = placer.Placed().back();
    EXPECT_LE(placed.right, 95 - 3);
    EXPECT_EQ(placed.bottom - placed.top, 10);
}

}  // namespace
}  // namespace skyvane::render
