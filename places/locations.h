// The observer's places: the table of named locations kept in the settings
// store (section "Location"), the first-run lists chosen by country code,
// and the working data of the location editor.
//
// Names are single-byte Windows-1252 in memory, like every text the charts
// draw; the store holds them as Unicode text so that "München" survives a
// round trip on every platform.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "engine/sky.h"

namespace skyvane::places {

inline constexpr char kLocationSection[] = "Location";

// The page of city coordinates on the vendor web host, opened by the
// editor's links button.
inline constexpr char kLocationsPagePath[] = "/locations/LOC_ALLCOUNTRIES.php";

// "http://" + host text (name, with ":port" when not 80) + the page path.
std::string LocationsPageUrl(const std::string& hostText);

// Fills slots 0 .. kLocationsInUse-1 from the list for `countryCode`
// (compared exactly, case-sensitively): "US"/"CA", "DE"/"CH"/"AT", or
// anything else. Slots beyond those in use are left alone.
void FillDefaultLocations(engine::LocationTable& table, const std::string& countryCode);

// Writes the slots in use with four decimals for the angles and one for the
// time zone, then marks the table as saved ("datasaved" = 1).
void SaveLocations(const engine::LocationTable& table);

// Reads the slots in use. Missing names read as empty. A longitude,
// latitude or time zone that is missing, not a number (NumberFromText) or
// outside its range keeps the slot's first-run value for the country in
// "Installed"/"Country": a hand-edited store must not bring a place off the
// globe into the engine.
void LoadLocations(engine::LocationTable& table);

// True once a table has been written ("datasaved" not 0).
bool LocationsSaved();

// The table at start-up: on the first run the defaults for `countryCode`
// are written first; either way the table is what the store holds, so the
// program always runs on exactly what it will find next time.
engine::LocationTable StartUpLocations(const std::string& countryCode);

// Copies slot `slot` into the observer fields of `state` (longitude,
// latitude, name, time zone, and the flag into the instant's dst). A slot
// outside those in use leaves `state` unchanged and returns false.
bool ApplyCurrentLocation(const engine::LocationTable& table, int slot, engine::SkyState& state);

// Leading-number conversion of the stored and typed texts: leading blanks
// and a sign are allowed and anything after the number is ignored. Text
// that does not start with a number, and numbers too large for a double,
// "inf" and "nan", read as 0.
double TextToDouble(const std::string& text);

// The whole text as one number: blanks around it and one sign allowed,
// nothing else ("12abc", "8,5", "", "nan" and "1e999" are not numbers).
std::optional<double> NumberFromText(const std::string& text);

// Side list entries of the editor.
inline constexpr int kSideEast = 0;
inline constexpr int kSideWest = 1;
inline constexpr int kSideNorth = 0;
inline constexpr int kSideSouth = 1;

// One slot as the editor holds it: the texts of its edit controls and the
// selected entries of its lists.
struct LocationEditorSlot {
    std::string name;           // Windows-1252
    std::string longitudeText;  // magnitude, five decimals when filled from the table
    int longitudeSide = kSideWest;
    std::string latitudeText;
    int latitudeSide = kSideNorth;
    std::string timeZoneText;
    int dst = 0;

    friend bool operator==(const LocationEditorSlot&, const LocationEditorSlot&) = default;
};

using LocationEditorSlots = std::array<LocationEditorSlot, engine::kLocationsInUse>;

// The editor's starting data for the slots in use: magnitudes with five
// decimals and the side lists (a longitude of 0 shows as West, a latitude
// of 0 as North), the time zone with one decimal.
LocationEditorSlots EditorSlotsFromTable(const engine::LocationTable& table);

// "Save and Exit": writes every slot, the angles with four decimals signed
// by their side lists and the time zone exactly as typed, then marks the
// table as saved. The sign comes from the side list alone: a magnitude
// typed with its own minus sign counts by its absolute value.
void SaveEditedLocations(const LocationEditorSlots& working);

}  // namespace skyvane::places
