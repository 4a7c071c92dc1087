#pragma once

#include <cstdint>

namespace skyvane::skydata {

// A rectangle as the charts and the picture table keep it: left and top
// inclusive, right and bottom exclusive, 32-bit integers.
struct IntRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    friend bool operator==(const IntRect&, const IntRect&) = default;
};

}  // namespace skyvane::skydata
