// Sky cells: a fixed grid of declination bands, each cut into right
// ascension cells of about the same area, holding indexes of catalogue
// objects. Each cell lists its objects brightest first, so a query for a
// field down to a limiting magnitude reads only the cells the field touches
// and stops in each at the first object too faint: a frame costs what is
// in view, not what is in the catalogue.
//
// Positions are J2000 right ascension and declination in degrees.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

namespace skyvane::skydata {

// A circle on the sky: the field a chart shows, or a search area.
struct SkyCone {
    double raDeg = 0;
    double decDeg = 0;
    double radiusDeg = 180;  // 180 or more: the whole sky
};

class SkyCells {
public:
    // Height of one declination band; the cells of a band are about as wide
    // on the sky as the band is high.
    static constexpr double kBandDeg = 2.0;

    SkyCells() = default;
    // `ra`, `dec`, `magnitude` are parallel arrays; object i is their row i.
    SkyCells(std::span<const float> raDeg, std::span<const float> decDeg,
             std::span<const float> magnitude);

    // Calls visit(index) for every object within `cone` no fainter than
    // `limitingMagnitude`, cell by cell, brightest first within a cell.
    template <typename Visit>
    void Query(const SkyCone& cone, double limitingMagnitude, Visit&& visit) const;

    // The same, collected; `out` is cleared first.
    void Query(const SkyCone& cone, double limitingMagnitude, std::vector<std::uint32_t>& out) const
    {
        out.clear();
        Query(cone, limitingMagnitude, [&](std::uint32_t i) { out.push_back(i); });
    }

    // What a cell holds of each object: its direction and magnitude, so a
    // query can hand them over without a look into the catalogue's rows,
    // which lie in another order. A visit that takes `const Entry&` gets
    // the entry; one that takes an index gets the index.
    struct Entry {
        float x, y, z;  // unit vector
        float magnitude;
        std::uint32_t index;
    };

    std::size_t size() const { return entries_.size(); }
    std::size_t cellCount() const { return cellStart_.empty() ? 0 : cellStart_.size() - 1; }
    std::size_t MemoryBytes() const
    {
        return entries_.capacity() * sizeof(Entry) + cellStart_.capacity() * sizeof(std::uint32_t) +
               bandFirstCell_.capacity() * sizeof(std::uint32_t);
    }

private:
    static int BandOf(double decDeg);
    int CellsInBand(int band) const { return static_cast<int>(bandFirstCell_[band + 1] - bandFirstCell_[band]); }
    int CellOf(double raDeg, double decDeg) const;

    template <typename Visit>
    void VisitCell(std::uint32_t cell, double cx, double cy, double cz, double maxChord2,
                   double limitingMagnitude, Visit& visit) const;

    std::vector<std::uint32_t> bandFirstCell_;  // per band, and one past the last
    std::vector<std::uint32_t> cellStart_;      // per cell into entries_, and one past
    std::vector<Entry> entries_;
};

// ------------------------------------------------------------------ inline

template <typename Visit>
void SkyCells::VisitCell(std::uint32_t cell, double cx, double cy, double cz, double maxChord2,
                         double limitingMagnitude, Visit& visit) const
{
    for (std::uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
        const Entry& e = entries_[k];
        if (e.magnitude > limitingMagnitude) break;
        // The chord, not the dot product: single precision vectors are not
        // quite of unit length, which a dot product near 1 cannot tell from
        // an arc minute's distance.
        const double dx = e.x - cx, dy = e.y - cy, dz = e.z - cz;
        if (dx * dx + dy * dy + dz * dz > maxChord2) continue;
        if constexpr (std::is_invocable_v<Visit&, const Entry&>)
            visit(e);
        else
            visit(e.index);
    }
}

template <typename Visit>
void SkyCells::Query(const SkyCone& cone, double limitingMagnitude, Visit&& visit) const
{
    if (entries_.empty() || !std::isfinite(cone.raDeg) || !std::isfinite(cone.decDeg) ||
        !(cone.radiusDeg >= 0) || std::isnan(limitingMagnitude))
        return;
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const double dec = std::fmax(-90.0, std::fmin(90.0, cone.decDeg));
    const double radius = std::fmin(cone.radiusDeg, 180.0);
    const double cx = std::cos(dec * kRad) * std::cos(cone.raDeg * kRad);
    const double cy = std::cos(dec * kRad) * std::sin(cone.raDeg * kRad);
    const double cz = std::sin(dec * kRad);
    // Positions are single precision (a few thousandths of an arc second):
    // that much slack at the rim.
    constexpr double kSlackDeg = 1e-5;
    const double chord = 2 * std::sin(std::fmin(180.0, radius + kSlackDeg) * kRad / 2);
    const double maxChord2 = radius >= 180.0 ? 5.0 : chord * chord;
    const int bands = static_cast<int>(bandFirstCell_.size()) - 1;
    const int firstBand = BandOf(dec - radius);
    const int lastBand = BandOf(dec + radius);
    // Half the right ascension span of the cone, at any declination it
    // covers; the whole circle when it holds a pole.
    const bool allRa = std::fabs(dec) + radius >= 90.0;
    const double halfSpan =
        allRa ? 180.0 : std::asin(std::fmin(1.0, std::sin(radius * kRad) / std::cos(dec * kRad))) / kRad;
    for (int band = std::max(firstBand, 0); band <= std::min(lastBand, bands - 1); ++band) {
        const int n = CellsInBand(band);
        const std::uint32_t first = bandFirstCell_[band];
        const double cellWidth = 360.0 / n;
        if (allRa || 2 * halfSpan + 2 * cellWidth >= 360.0) {
            for (int c = 0; c < n; ++c)
                VisitCell(first + c, cx, cy, cz, maxChord2, limitingMagnitude, visit);
            continue;
        }
        double from = std::fmod(cone.raDeg - halfSpan, 360.0);
        if (from < 0) from += 360.0;
        const int start = std::min(n - 1, static_cast<int>(from / cellWidth));
        const int count = static_cast<int>(std::ceil((2 * halfSpan) / cellWidth)) + 2;
        for (int k = 0; k < std::min(count, n); ++k)
            VisitCell(first + (start + k) % n, cx, cy, cz, maxChord2, limitingMagnitude, visit);
    }
}

}  // namespace skyvane::skydata
