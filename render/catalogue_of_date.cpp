#include "render/catalogue_of_date.h"

#include "render/sky_mapping.h"

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

void CatalogueOfDate::CarryStars(const engine::SkyState& state,
                                 const skydata::SkyCatalogue& catalogue, int count)
{
    const auto rows = static_cast<std::size_t>(count > 0 ? count : 0);
    if (known_.size() < rows) {
        raCode_.resize(rows);
        decCode_.resize(rows);
        known_.resize(rows, 0);
        catalogueX_.resize(rows);
        catalogueY_.resize(rows);
        catalogueZ_.resize(rows);
    }
    x_.resize(rows);
    y_.resize(rows);
    z_.resize(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        const skydata::StarRecord& star = catalogue.stars[i];
        const std::int32_t raCode = RaCode(star.ra);
        const std::int32_t decCode = DecCode(star.dec);
        if (!known_[i] || raCode_[i] != raCode || decCode_[i] != decCode) {
            const engine::UnitVector c = CatalogueDirection(raCode, decCode);
            known_[i] = 1;
            raCode_[i] = raCode;
            decCode_[i] = decCode;
            catalogueX_[i] = c.x;
            catalogueY_[i] = c.y;
            catalogueZ_[i] = c.z;
        }
    }
    engine::ApparentDirections(state.frame, catalogueX_.data(), catalogueY_.data(),
                               catalogueZ_.data(), static_cast<int>(rows), x_.data(), y_.data(),
                               z_.data());
}

void ExactCatalogueOfDate::CarryStars(const engine::SkyState& state,
                                      const skydata::SkyCatalogue& catalogue, int count)
{
    const auto rows = static_cast<std::size_t>(count > 0 ? count : 0);
    if (known_.size() < rows) {
        ra_.resize(rows);
        dec_.resize(rows);
        known_.resize(rows, 0);
        catalogueX_.resize(rows);
        catalogueY_.resize(rows);
        catalogueZ_.resize(rows);
    }
    x_.resize(rows);
    y_.resize(rows);
    z_.resize(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        const skydata::StarRecord& star = catalogue.stars[i];
        // A changed row (another catalogue loaded) is noticed by its place.
        if (!known_[i] || ra_[i] != star.ra || dec_[i] != star.dec) {
            const engine::UnitVector c = engine::UnitVectorOf(star.ra, star.dec);
            known_[i] = 1;
            ra_[i] = star.ra;
            dec_[i] = star.dec;
            catalogueX_[i] = c.x;
            catalogueY_[i] = c.y;
            catalogueZ_[i] = c.z;
        }
    }
    engine::ApparentDirections(state.frame, catalogueX_.data(), catalogueY_.data(),
                               catalogueZ_.data(), static_cast<int>(rows), x_.data(), y_.data(),
                               z_.data());
}

}  // namespace skyvane::render
