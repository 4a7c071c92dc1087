#include "places/locations.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <string_view>

#include "platform/profile_store.h"
#include "places/location_ranges.h"
#include "places/windows1252.h"

namespace skyvane::places {
namespace {

using engine::kLocationsInUse;
using engine::LocationTable;

struct DefaultLocation {
    const char* name;  // Windows-1252
    double longitude;
    double latitude;
    double timeZone;
    int dst;
};

using DefaultList = std::array<DefaultLocation, kLocationsInUse>;

// The lists are kept as our users have always had them, daylight saving at
// the North Pole included, except where a place was plainly wrong: Sydney
// keeps Australian Eastern Standard Time (+10) and London lies at 0.1275
// degrees west. Tables already stored keep what they hold.
constexpr DefaultList kNorthAmerica = {{
    {"Thousand Oaks, CA, USA", 118.82333333, 34.21388888, -8.0, 0},
    {"New York, NY, USA", 74.006, 40.714, -5.0, 0},
    {"Zurich, Switzerland", -8.5, 47.32, 1.0, 0},
    {"Sydney, Australia", -151.22, -33.9, 10.0, 0},
    {"North Pole", 0.0, 90.0, 0.0, 0},
}};

constexpr DefaultList kGermanSpeaking = {{
    {"Berlin, Deutschland ", -13.4, 52.517, 1.0, 0},
    {"Hamburg, Deutschland", -10.0, 53.55, 1.0, 0},
    {"M\xfcnchen, Deutschland", -11.583, 48.15, 1.0, 0},
    {"Thousand Oaks, California, USA", 118.82333333, 34.21388888, -8.0, 0},
    {"North Pole", 0.0, 90.0, 0.0, 0},
}};

constexpr DefaultList kEverywhereElse = {{
    {"Thousand Oaks, California, USA", 118.82333333, 34.21388888, -8.0, 0},
    {"Zurich, Switzerland", -8.23, 47.3, 1.0, 0},
    {"London, United Kingdom", 0.1275, 51.5, 0.0, 0},
    {"Sydney, Australia", -151.22, -33.9, 10.0, 0},
    {"North Pole", 0.0, 90.0, 0.0, 1},
}};

const DefaultList& DefaultListFor(const std::string& countryCode)
{
    if (countryCode == "US" || countryCode == "CA") return kNorthAmerica;
    if (countryCode == "DE" || countryCode == "CH" || countryCode == "AT") return kGermanSpeaking;
    return kEverywhereElse;
}

std::string Key(const char* stem, int slot) { return stem + std::to_string(slot); }

// printf's "%0.Nf" in the C locale. The program runs under the user's
// locale, where printf would write a decimal comma that no reader here
// understands.
std::string Fixed(double value, int decimals)
{
    char buffer[400];  // enough for any double with a few decimals
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

// The store keeps Unicode text; our names are Windows-1252.
void WriteText(const std::string& key, const std::string& windows1252)
{
    platform::WriteProfileString(kLocationSection, key, Windows1252ToUtf8(windows1252));
}

std::string ReadText(const std::string& key)
{
    return Utf8ToWindows1252(platform::GetProfileString(kLocationSection, key));
}

// Where the version check leaves the country the first-run list came from.
constexpr char kInstalledSection[] = "Installed";
constexpr char kCountryKey[] = "Country";

void MarkSaved() { platform::WriteProfileInt(kLocationSection, "datasaved", 1); }

}  // namespace

std::string LocationsPageUrl(const std::string& hostText)
{
    return "http://" + hostText + kLocationsPagePath;
}

void FillDefaultLocations(LocationTable& table, const std::string& countryCode)
{
    const DefaultList& list = DefaultListFor(countryCode);
    for (int n = 0; n < kLocationsInUse; ++n) {
        const DefaultLocation& d = list[static_cast<std::size_t>(n)];
        table.entries[static_cast<std::size_t>(n)] = {d.name, d.longitude, d.latitude, d.timeZone, d.dst};
    }
}

void SaveLocations(const LocationTable& table)
{
    for (int n = 0; n < kLocationsInUse; ++n) {
        const engine::Location& location = table.entries[static_cast<std::size_t>(n)];
        WriteText(Key("location", n), location.name);
        WriteText(Key("longitude", n), Fixed(location.longitude, 4));
        WriteText(Key("latitude", n), Fixed(location.latitude, 4));
        WriteText(Key("timezone", n), Fixed(location.timeZone, 1));
        platform::WriteProfileInt(kLocationSection, Key("DLS", n), location.dst);
    }
    MarkSaved();
}

void LoadLocations(LocationTable& table)
{
    // The list this installation started from; the version check stores
    // the country before the first table is written.
    const DefaultList& firstRun =
        DefaultListFor(platform::GetProfileString(kInstalledSection, kCountryKey));
    const auto number = [](const std::string& key, LocationField field, double firstRunValue) {
        const std::optional<double> value = NumberFromText(ReadText(key));
        return value.has_value() && InRange(field, *value) ? *value : firstRunValue;
    };
    for (int n = 0; n < kLocationsInUse; ++n) {
        engine::Location& location = table.entries[static_cast<std::size_t>(n)];
        const DefaultLocation& d = firstRun[static_cast<std::size_t>(n)];
        location.name = ReadText(Key("location", n));
        location.longitude = number(Key("longitude", n), LocationField::kLongitude, d.longitude);
        location.latitude = number(Key("latitude", n), LocationField::kLatitude, d.latitude);
        location.timeZone = number(Key("timezone", n), LocationField::kTimeZone, d.timeZone);
        location.dst = platform::GetProfileInt(kLocationSection, Key("DLS", n));
    }
}

bool LocationsSaved() { return platform::GetProfileInt(kLocationSection, "datasaved") != 0; }

LocationTable StartUpLocations(const std::string& countryCode)
{
    LocationTable table;
    if (!LocationsSaved()) {
        FillDefaultLocations(table, countryCode);
        SaveLocations(table);
    }
    LoadLocations(table);
    return table;
}

bool ApplyCurrentLocation(const LocationTable& table, int slot, engine::SkyState& state)
{
    if (slot < 0 || slot >= kLocationsInUse) return false;
    const engine::Location& location = table.entries[static_cast<std::size_t>(slot)];
    state.longitude = location.longitude;
    state.latitude = location.latitude;
    state.locationName = location.name;
    state.timeZone = location.timeZone;
    state.dst = location.dst;
    return true;
}

double TextToDouble(const std::string& text)
{
    std::string_view rest(text);
    while (!rest.empty() && (rest.front() == ' ' || (rest.front() >= '\t' && rest.front() <= '\r')))
        rest.remove_prefix(1);
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    // A second sign ("--8.5") is not a number.
    if (rest.empty() || rest.front() == '+' || rest.front() == '-') return 0;
    double value = 0;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), value,
                                        std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(value)) return 0;
    return negative ? -value : value;
}

std::optional<double> NumberFromText(const std::string& text)
{
    std::string_view rest(text);
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!rest.empty() && blank(rest.front())) rest.remove_prefix(1);
    while (!rest.empty() && blank(rest.back())) rest.remove_suffix(1);
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    if (rest.empty() || rest.front() == '+' || rest.front() == '-') return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), value,
                                        std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != rest.data() + rest.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

LocationEditorSlots EditorSlotsFromTable(const LocationTable& table)
{
    // The edit controls show magnitudes; the side lists carry the sign.
    const auto magnitude = [](double value) {
        std::string text = Fixed(value, 5);
        std::erase(text, '-');
        return text;
    };
    LocationEditorSlots working;
    for (int n = 0; n < kLocationsInUse; ++n) {
        const engine::Location& location = table.entries[static_cast<std::size_t>(n)];
        LocationEditorSlot& slot = working[static_cast<std::size_t>(n)];
        slot.name = location.name;
        slot.longitudeText = magnitude(location.longitude);
        slot.longitudeSide = location.longitude >= 0 ? kSideWest : kSideEast;
        slot.latitudeText = magnitude(location.latitude);
        slot.latitudeSide = location.latitude < 0 ? kSideSouth : kSideNorth;
        slot.timeZoneText = Fixed(location.timeZone, 1);
        slot.dst = location.dst;
    }
    return working;
}

void SaveEditedLocations(const LocationEditorSlots& working)
{
    // Only the side lists sign the angles: "-8.5" typed with East must not
    // become "--8.5000", which would read back as 0 and move the place.
    const auto signedText = [](const std::string& magnitudeText, bool negative) {
        const std::string digits = Fixed(std::fabs(TextToDouble(magnitudeText)), 4);
        return negative ? "-" + digits : digits;
    };
    for (int n = 0; n < kLocationsInUse; ++n) {
        const LocationEditorSlot& slot = working[static_cast<std::size_t>(n)];
        WriteText(Key("location", n), slot.name);
        WriteText(Key("longitude", n), signedText(slot.longitudeText, slot.longitudeSide == kSideEast));
        WriteText(Key("latitude", n), signedText(slot.latitudeText, slot.latitudeSide == kSideSouth));
        WriteText(Key("timezone", n), slot.timeZoneText);
        platform::WriteProfileInt(kLocationSection, Key("DLS", n), slot.dst);
    }
    MarkSaved();
}

}  // namespace skyvane::places
