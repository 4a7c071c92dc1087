#include "places/location_ranges.h"

#include <cmath>
#include <cstddef>

namespace skyvane::places {

bool InRange(LocationField field, double value)
{
    switch (field) {
    case LocationField::kLongitude: return std::fabs(value) <= kMaxLongitudeMagnitude;
    case LocationField::kLatitude: return std::fabs(value) <= kMaxLatitudeMagnitude;
    case LocationField::kTimeZone: return value >= kMinTimeZone && value <= kMaxTimeZone;
    }
    return false;
}

std::optional<LocationFieldError> FirstOutOfRangeField(const LocationEditorSlots& working)
{
    const auto accepted = [](LocationField field, const std::string& text) {
        const std::optional<double> value = NumberFromText(text);
        return value.has_value() && InRange(field, *value);
    };
    for (std::size_t n = 0; n < working.size(); ++n) {
        const LocationEditorSlot& slot = working[n];
        const int index = static_cast<int>(n);
        // The side lists sign the angles; the texts are magnitudes.
        if (!accepted(LocationField::kLongitude, slot.longitudeText))
            return LocationFieldError{index, LocationField::kLongitude};
        if (!accepted(LocationField::kLatitude, slot.latitudeText))
            return LocationFieldError{index, LocationField::kLatitude};
        if (!accepted(LocationField::kTimeZone, slot.timeZoneText))
            return LocationFieldError{index, LocationField::kTimeZone};
    }
    return std::nullopt;
}

const char* OutOfRangeMessage(LocationField field)
{
    switch (field) {
    case LocationField::kLongitude: return "Longitude must be between 0 and 180 degrees";
    case LocationField::kLatitude: return "Latitude must be between 0 and 90 degrees";
    case LocationField::kTimeZone: return "Timezone must be between -12 and +14 hours to UT";
    }
    return "";
}

}  // namespace skyvane::places
