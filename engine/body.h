// Index of a solar-system body in every per-body table and array.
#pragma once

namespace skyvane::engine {

enum BodyId : int {
    kSun = 0,
    kMercury = 1,
    kVenus = 2,
    kEarth = 3,
    kMars = 4,
    kJupiter = 5,
    kSaturn = 6,
    kUranus = 7,
    kNeptune = 8,
    kPluto = 9,  // named, never computed
    kMoon = 10,
};

constexpr int kBodyCount = 11;

// "Sun", "Mercury", ... "Moon", indexed by BodyId; "" outside 0..10.
const char* BodyName(int body);

}  // namespace skyvane::engine
