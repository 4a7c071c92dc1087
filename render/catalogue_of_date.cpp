#include "render/catalogue_of_date.h"

#include "render/sky_mapping.h"

#include <cmath>

#include "engine/units.h"

namespace skyvane::render {

namespace {

engine::UnitVector CatalogueDirection(std::int32_t raCode, std::int32_t decCode)
{
    return engine::UnitVectorOf(static_cast<double>(raCode) / kRaCodePerHour,
                                static_cast<double>(decCode) / kDecCodePerDegree);
}

}  // namespace

engine::UnitVector ApparentDirectionOfCodes(const engine::SkyState& state, std::int32_t raCode,
                                            std::int32_t decCode)
{
    // Through the batch form, so that one object and a whole catalogue
    // round alike.
    const engine::UnitVector c = CatalogueDirection(raCode, decCode);
    engine::UnitVector out;
    engine::ApparentDirections(state.frame, &c.x, &c.y, &c.z, 1, &out.x, &out.y, &out.z);
    return out;
}

bool CatalogueOfDate::PlaceNearBand(int i, double maxAbsDeclination,
                                    engine::Equatorial& place) const
{
    // The directions are of unit length, so z is the sine of the
    // declination: most of the sky outside the band is known from it alone.
    constexpr double kMargin = 0.01;  // degrees
    const double limit = std::sin(engine::DegToRad(maxAbsDeclination + kMargin));
    const engine::UnitVector v = Direction(i);
    if (!(std::fabs(v.z) < limit))
        return false;
    place = engine::EquatorialOf(v);
    return true;
}

void CarriedDirections::Resize(std::size_t rows)
{
    if (known_.size() < rows) {
        known_.resize(rows, 0);
        catalogueX_.resize(rows);
        catalogueY_.resize(rows);
        catalogueZ_.resize(rows);
    }
    x_.resize(rows);
    y_.resize(rows);
    z_.resize(rows);
}

void CarriedDirections::SetCatalogueDirection(std::size_t i, const engine::UnitVector& c)
{
    known_[i] = 1;
    catalogueX_[i] = c.x;
    catalogueY_[i] = c.y;
    catalogueZ_[i] = c.z;
}

void CarriedDirections::Carry(const engine::SkyState& state)
{
    engine::ApparentDirections(state.frame, catalogueX_.data(), catalogueY_.data(),
                               catalogueZ_.data(), Count(), x_.data(), y_.data(), z_.data());
}

void CatalogueOfDate::CarryStars(const engine::SkyState& state,
                                 const skydata::SkyCatalogue& catalogue, int count)
{
    const auto rows = static_cast<std::size_t>(count > 0 ? count : 0);
    if (raCode_.size() < rows) {
        raCode_.resize(rows);
        decCode_.resize(rows);
    }
    Resize(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        const skydata::StarRecord& star = catalogue.stars[i];
        const std::int32_t raCode = RaCode(star.ra);
        const std::int32_t decCode = DecCode(star.dec);
        if (!known_[i] || raCode_[i] != raCode || decCode_[i] != decCode) {
            raCode_[i] = raCode;
            decCode_[i] = decCode;
            SetCatalogueDirection(i, CatalogueDirection(raCode, decCode));
        }
    }
    Carry(state);
}

void ExactCatalogueOfDate::CarryStars(const engine::SkyState& state,
                                      const skydata::SkyCatalogue& catalogue, int count)
{
    const auto rows = static_cast<std::size_t>(count > 0 ? count : 0);
    if (ra_.size() < rows) {
        ra_.resize(rows);
        dec_.resize(rows);
    }
    Resize(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        const skydata::StarRecord& star = catalogue.stars[i];
        // A changed row (another catalogue loaded) is noticed by its place.
        if (!known_[i] || ra_[i] != star.ra || dec_[i] != star.dec) {
            ra_[i] = star.ra;
            dec_[i] = star.dec;
            SetCatalogueDirection(i, engine::UnitVectorOf(star.ra, star.dec));
        }
    }
    Carry(state);
}

}  // namespace skyvane::render
