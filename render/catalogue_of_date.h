// The catalogue's J2000 places carried to the apparent place of the
// instant a chart shows.
//
// Catalogue positions reach the charts as whole steps (RaCode, DecCode);
// the J2000 direction of each step pair is kept from frame to frame, and
// every frame carries all of them to the date in one pass over the state's
// frame (precession, nutation, aberration). What a frame then needs of an
// object is its apparent direction of date, or its right ascension and
// declination of date for the maps that plot those.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/apparent_place.h"
#include "engine/sky.h"
#include "skydata/catalogue.h"

namespace skyvane::render {

// The apparent direction of date, for the state's instant, of a catalogue
// position given as J2000 codes.
engine::UnitVector ApparentDirectionOfCodes(const engine::SkyState& state, std::int32_t raCode,
                                            std::int32_t decCode);

// Rows of J2000 directions carried to the date together: each row's
// catalogue direction is kept until the row changes, and every instant
// turns all of them in one pass.
class CarriedDirections {
public:
    int Count() const { return static_cast<int>(x_.size()); }
    engine::UnitVector Direction(int i) const
    {
        const auto k = static_cast<std::size_t>(i);
        return {x_[k], y_[k], z_[k]};
    }
    // Right ascension (hours) and declination (degrees) of date of row i.
    engine::Equatorial Place(int i) const { return engine::EquatorialOf(Direction(i)); }

protected:
    // Room for `rows` rows; rows not seen before are marked unknown.
    void Resize(std::size_t rows);
    void SetCatalogueDirection(std::size_t i, const engine::UnitVector& c);
    // Carries every row to the instant of `state`.
    void Carry(const engine::SkyState& state);

    std::vector<char> known_;

private:
    std::vector<double> catalogueX_, catalogueY_, catalogueZ_;
    std::vector<double> x_, y_, z_;
};

class CatalogueOfDate : public CarriedDirections {
public:
    // Carries stars 0 .. count - 1 of `catalogue` to the instant of `state`.
    // Direction(i) is the same, bit for bit, as ApparentDirectionOfCodes
    // gives for the row's codes.
    void CarryStars(const engine::SkyState& state, const skydata::SkyCatalogue& catalogue,
                    int count);

    // The place of row i for a map of the band of declinations within
    // `maxAbsDeclination` degrees of the equator: false, and no place
    // worked out, for a row well outside it; rows near its edges come back
    // with their place for the map's own test.
    bool PlaceNearBand(int i, double maxAbsDeclination, engine::Equatorial& place) const;

private:
    std::vector<std::int32_t> raCode_;
    std::vector<std::int32_t> decCode_;
};

// The same for the catalogue's places as they are, not cut to whole codes:
// what a zoomed chart draws, where a code's step would show.
class ExactCatalogueOfDate : public CarriedDirections {
public:
    void CarryStars(const engine::SkyState& state, const skydata::SkyCatalogue& catalogue,
                    int count);

private:
    std::vector<double> ra_, dec_;
};

}  // namespace skyvane::render
