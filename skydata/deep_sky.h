// The deep-sky catalogue: Hipparcos stars beyond the main catalogue, NGC
// and IC objects, and the Milky Way outlines, read from the deep-sky file
// "deepsky.bin" (format in skydata/deep_sky_format.h and the README).
//
// The file is untrusted like datas.bin: header, sizes, checksum and every
// record are checked before anything is used, and a file that fails any
// check yields no catalogue at all (the charts then draw as they do
// without one). A catalogue never changes once read.
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "skydata/sky_cells.h"

namespace skyvane::skydata {

inline constexpr char kDeepSkyFileName[] = "deepsky.bin";
// Far above what our file needs (about 3 MB), far below what would hurt.
inline constexpr std::size_t kMaxDeepSkyFileBytes = 12'000'000;

enum class DeepSkyType : std::uint8_t {
    kStar, kDoubleStar, kAssociation, kOpenCluster, kGlobularCluster, kClusterNebula,
    kGalaxy, kGalaxyPair, kGalaxyTriplet, kGalaxyGroup, kPlanetaryNebula, kHiiRegion,
    kDarkNebula, kEmissionNebula, kNebula, kReflectionNebula, kSupernovaRemnant, kNova,
    kOther,
};
inline constexpr int kDeepSkyTypeCount = 19;

// "Galaxy", "Open cluster", ... as the information panel shows it.
std::string_view DeepSkyTypeName(DeepSkyType type);

struct DeepStar {
    float raDeg;
    float decDeg;
    float magnitude;
    float bv;  // NaN when unknown
    std::uint32_t hip;
    std::uint8_t constellation;  // row of DeepSkyCatalogue::constellations
};

struct DeepObject {
    float raDeg;
    float decDeg;
    float majorArcmin;  // NaN when unknown
    float minorArcmin;  // NaN when unknown
    float positionAngleDeg;  // from north through east; NaN when unknown
    float magnitude;    // NaN when unknown
    DeepSkyType type;
    std::uint8_t constellation;  // kUnknownConstellation when unknown
    std::string_view designation;  // "NGC0224", "IC0434", "C014" (into the pool)
    std::string_view commonNames;  // "," between names, may be empty
};

// A row of the OpenNGC table that we do not draw because the main
// catalogue's Messier object is that object: it lends its names.
struct MessierCrossName {
    int messier;  // 1 .. 110
    std::string_view designation;
    std::string_view commonNames;
    // Its shape, for an outline at the true angle: as DeepObject has them.
    float majorArcmin;
    float minorArcmin;
    float positionAngleDeg;
    DeepSkyType type;
};

// A designation that OpenNGC lists as a duplicate, and what it stands for.
struct DeepSkyAlias {
    std::string_view alias;
    int object = -1;   // row of objects, or -1
    int messier = 0;   // or a Messier number
};

struct MilkyWayRing {
    int level;  // 1 faintest .. 5 brightest
    std::uint32_t first;  // into milkyWayPoints
    std::uint32_t count;
};

// A catalogue designation taken apart: "NGC 224", "ngc0224", "IC 434",
// "NGC 5194A", "IC 80 NED01".
struct CatalogueDesignation {
    enum class Catalogue : std::uint8_t { kNgc, kIc, kHip };
    Catalogue catalogue;
    std::uint32_t number;
    std::string suffix;  // folded: lower-case letters and digits
};
// From a folded name (FoldName): "ngc224", "ic0434", "hip32349", "ngc5194a".
std::optional<CatalogueDesignation> ParseCatalogueDesignation(std::string_view folded);

class DeepSkyCatalogue {
public:
    std::vector<std::string> constellations;  // three-letter abbreviations
    std::vector<DeepStar> stars;              // by Hipparcos number
    std::vector<DeepObject> objects;
    std::vector<MessierCrossName> messierNames;
    std::vector<DeepSkyAlias> aliases;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> hipToHr;  // sorted by HIP
    std::vector<MilkyWayRing> milkyWay;
    std::vector<float> milkyWayPoints;  // RA, Dec pairs
    // The same points as J2000 unit vectors (engine::UnitVectorOf of each
    // place in hours and degrees), in columns: a chart carries them all to
    // the date on every frame.
    std::vector<double> milkyWayX, milkyWayY, milkyWayZ;
    // Each outline's bounding circle on the sky, in the order of milkyWay:
    // its J2000 centre as a unit vector and the angle in radians from there
    // to the outline's farthest point. A chart skips the outlines whose
    // circle lies wholly beside its map without placing their points.
    struct MilkyWayCap {
        double x = 0, y = 0, z = 1;
        double radius = 3.14159265358979323846;
    };
    std::vector<MilkyWayCap> milkyWayCaps;
    SkyCells starCells;
    SkyCells objectCells;  // objects without a magnitude sort as kUnknownObjectMagnitude

    // Objects without a magnitude are shown from this limit on.
    static constexpr float kUnknownObjectMagnitude = 13.0f;

    // The objects without a magnitude that have a size, largest first:
    // calls visit(row) for each within `cone` whose major axis is at least
    // `minMajorArcmin`. What a wide field can show of them is decided by
    // their size alone, so the largest are read first and the walk stops
    // at the first one too small.
    template <typename Visit>
    void QuerySizedUnknownMagnitude(const SkyCone& cone, double minMajorArcmin, Visit&& visit) const;
    // The same, collected; `out` is cleared first.
    void QuerySizedUnknownMagnitude(const SkyCone& cone, double minMajorArcmin,
                                    std::vector<std::uint32_t>& out) const
    {
        out.clear();
        QuerySizedUnknownMagnitude(cone, minMajorArcmin, [&](std::uint32_t i) { out.push_back(i); });
    }

    // The row of the star with that Hipparcos number, or -1.
    int StarByHip(std::uint32_t hip) const;
    // The HR number of the main-catalogue star with that Hipparcos number, or 0.
    std::uint32_t HrOfHip(std::uint32_t hip) const;

    // What a designation stands for: an object row, or a Messier number
    // (Messier objects are the main catalogue's). A letter suffix that no
    // object carries falls back to the object of the bare number.
    struct Found {
        int object = -1;
        int messier = 0;
    };
    Found FindDesignation(const CatalogueDesignation& designation) const;

    // "NGC 224", "IC 434", "C 14": the designation as people write it.
    static std::string DisplayDesignation(std::string_view designation);
    std::string_view ConstellationOf(std::uint8_t row) const;

    std::size_t MemoryBytes() const;

    // Keeps the file's string pool alive for the string views.
    std::string strings;

private:
    friend std::shared_ptr<const DeepSkyCatalogue> ReadDeepSky(std::span<const unsigned char>,
                                                               std::string&);
    void BuildLookups();
    void SortDesignations();
    struct Key {
        std::uint8_t catalogue;  // 0 NGC, 1 IC
        std::uint32_t number;
        std::string suffix;
        int object;
        int messier;
    };
    std::vector<Key> designations_;  // sorted
    std::vector<std::uint32_t> starsByHip_;  // rows sorted by HIP number
    // Objects without a magnitude but with a major axis, largest first,
    // with their unit vectors for the cone test.
    struct SizedUnknown {
        float majorArcmin;
        float x, y, z;
        std::uint32_t row;
    };
    std::vector<SizedUnknown> sizedUnknown_;
};

template <typename Visit>
void DeepSkyCatalogue::QuerySizedUnknownMagnitude(const SkyCone& cone, double minMajorArcmin,
                                                  Visit&& visit) const
{
    if (!std::isfinite(cone.raDeg) || !std::isfinite(cone.decDeg) || !(cone.radiusDeg >= 0) ||
        std::isnan(minMajorArcmin))
        return;
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const double cx = std::cos(cone.decDeg * kRad) * std::cos(cone.raDeg * kRad);
    const double cy = std::cos(cone.decDeg * kRad) * std::sin(cone.raDeg * kRad);
    const double cz = std::sin(cone.decDeg * kRad);
    // As the sky cells measure it: the chord, with single precision's slack.
    constexpr double kSlackDeg = 1e-5;
    const double chord = 2 * std::sin(std::fmin(180.0, cone.radiusDeg + kSlackDeg) * kRad / 2);
    const double maxChord2 = cone.radiusDeg >= 180.0 ? 5.0 : chord * chord;
    for (const SizedUnknown& e : sizedUnknown_) {
        if (e.majorArcmin < minMajorArcmin) break;
        const double dx = e.x - cx, dy = e.y - cy, dz = e.z - cz;
        if (dx * dx + dy * dy + dz * dz <= maxChord2) visit(e.row);
    }
}

// Reads a deep-sky file. Null, with `why` saying which check failed, when
// the file cannot be used.
std::shared_ptr<const DeepSkyCatalogue> ReadDeepSky(std::span<const unsigned char> file,
                                                    std::string& why);

// Reads the file at `path`; null with `why` set when it is missing,
// unreadable, too large or damaged.
std::shared_ptr<const DeepSkyCatalogue> LoadDeepSkyFile(const std::filesystem::path& path,
                                                        std::string& why);

}  // namespace skyvane::skydata
