#include "places/time_entry.h"

#include <cctype>
#include <climits>
#include <cmath>

namespace skyvane::places {

EntryMode InitialEntryMode(int year)
{
    return year < kFirstPickerYear || year > kLastPickerYear ? EntryMode::FreeEntry
                                                             : EntryMode::Picker;
}

bool YearIsEnterable(int year)
{
    return year >= engine::kFirstYear && year <= engine::kLastYear;
}

int ReadEnteredNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Gathered as a negative number so that INT_MIN itself fits.
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 - (text[i] - '0');
        if (value < INT_MIN) return negative ? INT_MIN : INT_MAX;
    }
    if (negative) return static_cast<int>(value);
    return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}

TimeEntry FreeEntryInstant(const FreeEntryFields& fields, int dst)
{
    TimeEntry entry;
    entry.year = ReadEnteredNumber(fields.yearText);
    entry.month = fields.monthPosition + 1;
    entry.day = fields.dayPosition + 1;
    entry.hour = ReadEnteredNumber(fields.hourText);
    entry.minute = ReadEnteredNumber(fields.minuteText);
    entry.second = ReadEnteredNumber(fields.secondText);
    entry.dst = dst;
    return entry;
}

TimeEntry TimeEntryOf(const engine::SkyState& state)
{
    TimeEntry entry;
    entry.year = state.year;
    entry.month = state.month;
    entry.day = state.day;
    entry.hour = state.hour;
    entry.minute = state.minute;
    // Seconds are whole after every recompute; a NaN or a huge value from a
    // damaged state must not make the conversion undefined.
    const double second = std::trunc(state.second);
    entry.second = second >= INT_MIN && second <= INT_MAX ? static_cast<int>(second) : 0;
    entry.dst = state.dst;
    return entry;
}

void ApplyTimeEntry(engine::SkyState& state, const TimeEntry& entry,
                    const engine::SkyCalculator& calculator)
{
    state.year = entry.year;
    state.month = entry.month;
    state.day = entry.day;
    state.hour = entry.hour;
    state.minute = entry.minute;
    state.second = entry.second;
    state.dst = entry.dst;
    state.realTime = 0;
    calculator.ComputeSky(state);
    engine::FoldShownInstant(state);
}

}  // namespace skyvane::places
