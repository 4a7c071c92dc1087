#include "places/location_ranges.h"

#include <cmath>
#include <cstddef>

namespace skyvane::places {

std::optional<LocationFieldError> FirstOutOfRangeField(const LocationEditorSlots& working)
{
    for (std::size_t n = 0; n < working.size(); ++n) {
        const LocationEditorSlot& slot = working[n];
        const int index = static_cast<int>(n);
        // The side lists sign the angles; the texts are magnitudes.
        if (std::fabs(TextToDouble(slot.longitudeText)) > kMaxLongitudeMagnitude)
            return LocationFieldError{index, LocationField::kLongitude};
        if (std::fabs(TextToDouble(slot.latitudeText)) > kMaxLatitudeMagnitude)
            return LocationFieldError{index, LocationField::kLatitude};
        const double zone = TextToDouble(slot.timeZoneText);
        if (zone < kMinTimeZone || zone > kMaxTimeZone)
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
