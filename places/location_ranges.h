// The ranges the location editor accepts before it writes anything: a
// longitude or latitude off the globe, or a time zone no country uses,
// would make every computed position meaningless.
#pragma once

#include <optional>

#include "places/locations.h"

namespace skyvane::places {

enum class LocationField { kLongitude, kLatitude, kTimeZone };

inline constexpr double kMaxLongitudeMagnitude = 180;
inline constexpr double kMaxLatitudeMagnitude = 90;
inline constexpr double kMinTimeZone = -12;
inline constexpr double kMaxTimeZone = 14;

struct LocationFieldError {
    int slot;
    LocationField field;
};

// True when `value` lies in the field's range. The angles are checked by
// magnitude: the editor's texts are unsigned and the store's are signed.
bool InRange(LocationField field, double value);

// The first slot and field (longitude, latitude, time zone, in that order
// within a slot) whose text is not a number (NumberFromText) or whose value
// lies outside its range, or nothing. An empty field is not a number: saving
// it as 0 would move the place to Greenwich or the equator without a word.
std::optional<LocationFieldError> FirstOutOfRangeField(const LocationEditorSlots& working);

// The message box text naming the field and its range.
const char* OutOfRangeMessage(LocationField field);

}  // namespace skyvane::places
