// Where the horizontal chart drew each star and Messier object, for the
// click handling to find what lies under the mouse.
#pragma once

#include <array>
#include <vector>

#include "skydata/catalogue.h"
#include "skydata/int_rect.h"

namespace skyvane::skydata {

// Row n belongs to catalogue row n. These rectangles are written by the
// chart while it draws and read by the click handling, both on the
// user-interface thread, so they live there and not in the published
// catalogue: a published catalogue is never written again, which is what
// lets a worker thread swap in a new one while the chart draws.
// A Hipparcos star (kind 0) or NGC/IC object (kind 1) of the deep-sky
// catalogue drawn in the last frame.
struct DeepSkyClick {
    IntRect rect;
    int kind = 0;
    int row = -1;
};

struct CatalogueClickRects {
    std::array<IntRect, kStarCapacity> stars{};
    std::array<IntRect, kDeepSkyCapacity> deepSky{};
    // Only what the last zoomed frame drew: the deep sky is too large for a
    // rectangle per row.
    std::vector<DeepSkyClick> deep;
};

}  // namespace skyvane::skydata
