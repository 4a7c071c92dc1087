// The sky catalogue: stars, constellation names and stick figures, Messier
// objects and the address pattern of the online object pages, all read from
// the "stars.txt" entry of the data file. The program has no built-in
// catalogue; every table is empty until a data file has been read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace skyvane::skydata {

inline constexpr int kStarCapacity = 10000;
inline constexpr int kConstellationNameCapacity = 100;
inline constexpr int kFigureCapacity = 200;
inline constexpr int kDeepSkyCapacity = 111;
inline constexpr int kFigureLength = 20;

// Texts are kept as the file's bytes (Windows-1252), not re-encoded.
struct StarRecord {
    double dec = 0;        // degrees, north positive
    double ra = 0;         // decimal hours
    std::int32_t sao = 0;  // SAO number; figures name their stars by it
    double magnitude = 0;
    std::string spectrum;
    std::string properName;   // may be blank
    std::string designation;  // ends with the constellation's abbreviation
    std::int32_t infoPageId = 0;
    std::int32_t hasInfoPage = 0;  // 1 when the panel offers the page link
};

// A Messier object; row n holds M(n + 1).
struct DeepSkyObject {
    double dec = 0;  // degrees
    double ra = 0;   // decimal hours
    std::string ngc;
    std::string name;
    double magnitude = 0;
    std::string dimension;  // arc minutes, shown as written
    double distance = 0;    // thousands of light-years
    std::int32_t infoPageId = 0;
    std::int32_t hasInfoPage = 0;
};

// Three-letter abbreviation, one separator, full name: "And Andromeda".
using ConstellationName = std::string;

// One polyline of a stick figure over star rows; 0 means "no star" and
// breaks the line, so star row 0 can never be part of a figure.
struct ConstellationFigure {
    std::array<std::int32_t, kFigureLength> stars{};
};

// Fixed-capacity tables filled in file order. Rows beyond a count are
// default (empty) rows: some charts walk a fixed number of figure rows and
// the constellation list always shows 88 name rows, whatever the counts.
// About 1.5 MB: allocate it on the heap.
struct SkyCatalogue {
    std::array<StarRecord, kStarCapacity> stars;
    int starCount = 0;
    std::array<ConstellationName, kConstellationNameCapacity> constellationNames;
    int constellationNameCount = 0;
    std::array<ConstellationFigure, kFigureCapacity> figures;
    int figureCount = 0;
    std::array<DeepSkyObject, kDeepSkyCapacity> deepSky;
    int deepSkyCount = 0;

    // An object's page is prefix + decimal infoPageId + suffix.
    std::string pagePrefix;
    std::string pageSuffix;

    bool loaded = false;
};

// Reads a "stars.txt" text into `catalogue`. A catalogue is filled once per
// run: when `loaded` is already set this does nothing. Otherwise it sets
// `loaded` (even for an empty text), resets the star, name and deep-sky
// counts and appends the records in order. Records beyond a table's
// capacity are ignored. Figures resolve their SAO numbers against the
// stars read before them.
void ParseCatalogue(std::string_view text, SkyCatalogue& catalogue);

}  // namespace skyvane::skydata
