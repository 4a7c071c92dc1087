// The rules of entering a date and time by hand: which way of entry a
// dialog opens with, how typed text becomes numbers, which years are
// accepted, and how an entered instant becomes the shown one.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine/sky.h"

namespace skyvane::places {

// An instant as the time dialog takes and returns it: local civil time,
// whole seconds, year in astronomical numbering (negative for BC),
// month 1 to 12, day 1 to 31, daylight-saving flag 0 or 1.
struct TimeEntry {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int dst = 0;

    friend bool operator==(const TimeEntry&, const TimeEntry&) = default;
};

// The two ways of entry. The system pickers are offered only for years
// well inside the range every platform's time type handles; any other
// year is typed.
enum class EntryMode { Picker = 0, FreeEntry = 1 };

inline constexpr int kFirstPickerYear = 1971;
inline constexpr int kLastPickerYear = 2029;

EntryMode InitialEntryMode(int year);

// The years the calendar and the theories are computed for.
bool YearIsEnterable(int year);

inline constexpr char kYearRangeMessage[] = "Year must be between 4713 BC and 9999 AD";

// Longest texts the free-entry fields take: a year such as "-4713" or
// "10000", two digits for the others.
inline constexpr int kYearTextLength = 5;
inline constexpr int kTimeFieldTextLength = 2;

inline constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
inline constexpr int kDaysInList = 31;

// A typed number the way C's atoi reads it: leading blanks, an optional
// sign, then digits up to the first other character. Text that does not
// start like a number reads as 0. Values beyond the int range stop at its
// ends.
int ReadEnteredNumber(std::string_view text);

// What the free-entry fields hold: the texts as typed and the positions
// selected in the month list (0 for January) and the day list (0 for 1).
struct FreeEntryFields {
    std::string yearText;
    int monthPosition = 0;
    int dayPosition = 0;
    std::string hourText;
    std::string minuteText;
    std::string secondText;
};

// The instant the free-entry fields describe. Only the year is checked
// later (YearIsEnterable); hours, minutes and seconds are taken as typed
// and an impossible date such as 31 February is left to the scene
// computation to carry into the next month.
TimeEntry FreeEntryInstant(const FreeEntryFields& fields, int dst);

// The instant and flag the time dialog is opened with; the seconds are cut
// to a whole number.
TimeEntry TimeEntryOf(const engine::SkyState& state);

// Makes `entry` the instant of `state`, computes the sky for it and folds
// the normalised instant back, so that 31 February shows as a day of March.
// An entered instant no longer follows the computer clock: realTime is
// cleared, otherwise the computation would take the typed fields verbatim
// (31 February would stay, a date before 1582 would be read as Gregorian)
// and the next recompute would jump back to the clock. The sky window
// clears its own copy of the flag as well.
void ApplyTimeEntry(engine::SkyState& state, const TimeEntry& entry,
                    const engine::SkyCalculator& calculator);

}  // namespace skyvane::places
