// Constant term tables of the truncated theories the engine evaluates:
// abridged VSOP87D for the eight major planets, the IAU 1980 nutation
// series and the lunar longitude/distance and latitude series.
//
// The values live in series_tables.cpp, which tools/generate_series_tables.py
// writes from the published tables; do not edit that file by hand.
#pragma once

namespace skyvane::engine {

// One VSOP87 term: A * cos(B + C * tau).
// A in 1e-8 rad (L, B) or 1e-8 AU (R), B in rad, C in rad per Julian millennium.
struct VsopTerm {
    double a;
    double b;
    double c;
};

// A series of one order (L0, L1, ...): a view into the term array.
struct VsopSeries {
    const VsopTerm* terms;
    int count;
};

constexpr int kVsopMaxOrder = 6;  // orders 0..5
constexpr int kVsopPlanetCount = 8;  // Mercury..Neptune, in that order

// Series of one coordinate of one planet; absent orders have count 0.
struct VsopCoordinate {
    VsopSeries orders[kVsopMaxOrder];
};

struct VsopPlanet {
    VsopCoordinate longitude;  // L
    VsopCoordinate latitude;   // B
    VsopCoordinate radius;     // R
};

// Index 0 Mercury, 1 Venus, 2 Earth, 3 Mars, 4 Jupiter, 5 Saturn,
// 6 Uranus, 7 Neptune.
extern const VsopPlanet kVsopPlanets[kVsopPlanetCount];
constexpr int kVsopTermCount = 2430;

// One row of the nutation series (coefficients in units of 0.0001").
struct NutationRow {
    int d, m, mPrime, f, omega;  // multipliers of the fundamental arguments
    int s;                       // sine coefficient of delta psi
    double sRate;                // its rate per Julian century
    int c;                       // cosine coefficient of delta epsilon
    double cRate;                // its rate per Julian century
};
constexpr int kNutationRowCount = 63;
extern const NutationRow kNutationRows[kNutationRowCount];

// Lunar longitude and distance: sigmaL in 1e-6 degree, sigmaR in 1e-3 km.
// A coefficient of 0 is a term the published table leaves empty.
struct MoonLongitudeDistanceRow {
    double d, m, mPrime, f;
    double sigmaL;
    double sigmaR;
};
constexpr int kMoonLongitudeDistanceRowCount = 60;
extern const MoonLongitudeDistanceRow kMoonLongitudeDistanceRows[kMoonLongitudeDistanceRowCount];

// Lunar latitude: sigmaB in 1e-6 degree.
struct MoonLatitudeRow {
    double d, m, mPrime, f;
    double sigmaB;
};
constexpr int kMoonLatitudeRowCount = 60;
extern const MoonLatitudeRow kMoonLatitudeRows[kMoonLatitudeRowCount];

}  // namespace skyvane::engine
