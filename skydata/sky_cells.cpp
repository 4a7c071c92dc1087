#include "skydata/sky_cells.h"

#include <algorithm>
#include <numeric>

namespace skyvane::skydata {
namespace {
constexpr double kRad = 3.14159265358979323846 / 180.0;
constexpr int kBands = static_cast<int>(180.0 / SkyCells::kBandDeg);
}  // namespace

int SkyCells::BandOf(double decDeg)
{
    // Clamped after the division so that NaN-free infinities stay in range.
    const double b = std::floor((decDeg + 90.0) / kBandDeg);
    return static_cast<int>(std::fmax(-1.0, std::fmin(static_cast<double>(kBands), b)));
}

int SkyCells::CellOf(double raDeg, double decDeg) const
{
    const int band = std::clamp(BandOf(decDeg), 0, kBands - 1);
    const int n = CellsInBand(band);
    double ra = std::fmod(raDeg, 360.0);
    if (ra < 0) ra += 360.0;
    const int c = std::min(n - 1, static_cast<int>(ra / (360.0 / n)));
    return static_cast<int>(bandFirstCell_[band]) + c;
}

SkyCells::SkyCells(std::span<const float> raDeg, std::span<const float> decDeg,
                   std::span<const float> magnitude)
{
    bandFirstCell_.resize(kBands + 1);
    std::uint32_t cells = 0;
    for (int band = 0; band < kBands; ++band) {
        bandFirstCell_[band] = cells;
        // As many cells as a band of this width holds at its widest.
        const double low = -90.0 + band * kBandDeg;
        const double widest = std::fmin(std::fabs(low), std::fabs(low + kBandDeg));
        const double circle = 360.0 * std::cos((low < 0 && low + kBandDeg > 0 ? 0.0 : widest) * kRad);
        cells += static_cast<std::uint32_t>(std::max(1.0, std::ceil(circle / kBandDeg)));
    }
    bandFirstCell_[kBands] = cells;

    const std::size_t count = std::min({raDeg.size(), decDeg.size(), magnitude.size()});
    std::vector<std::uint32_t> cellOf(count);
    cellStart_.assign(cells + 1, 0);
    for (std::size_t i = 0; i < count; ++i) {
        cellOf[i] = static_cast<std::uint32_t>(CellOf(raDeg[i], decDeg[i]));
        ++cellStart_[cellOf[i] + 1];
    }
    std::partial_sum(cellStart_.begin(), cellStart_.end(), cellStart_.begin());
    entries_.resize(count);
    std::vector<std::uint32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        const double ra = raDeg[i] * kRad;
        const double dec = decDeg[i] * kRad;
        entries_[fill[cellOf[i]]++] = Entry{static_cast<float>(std::cos(dec) * std::cos(ra)),
                                            static_cast<float>(std::cos(dec) * std::sin(ra)),
                                            static_cast<float>(std::sin(dec)), magnitude[i],
                                            static_cast<std::uint32_t>(i)};
    }
    for (std::uint32_t c = 0; c < cells; ++c)
        std::sort(entries_.begin() + cellStart_[c], entries_.begin() + cellStart_[c + 1],
                  [](const Entry& a, const Entry& b) {
                      return a.magnitude != b.magnitude ? a.magnitude < b.magnitude
                                                        : a.index < b.index;
                  });
}

}  // namespace skyvane::skydata
