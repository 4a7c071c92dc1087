// The rules behind the time dialog: which way of entry it opens with, which
// years it accepts, how typed fields become an instant, and what entering
// an instant does to the sky state.
#include <climits>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/sky.h"
#include "places/time_entry.h"

namespace skyvane::places {
namespace {

TEST(TimeEntryRules, PickersOnlyForYearsFrom1971To2029)
{
    EXPECT_EQ(InitialEntryMode(1970), EntryMode::FreeEntry);
    EXPECT_EQ(InitialEntryMode(1971), EntryMode::Picker);
    EXPECT_EQ(InitialEntryMode(2029), EntryMode::Picker);
    EXPECT_EQ(InitialEntryMode(2030), EntryMode::FreeEntry);
    EXPECT_EQ(InitialEntryMode(-3167), EntryMode::FreeEntry);
}

TEST(TimeEntryRules, YearsFrom4713BcTo9999AdAreAccepted)
{
    EXPECT_TRUE(YearIsEnterable(-4713));
    EXPECT_FALSE(YearIsEnterable(-4714));
    EXPECT_TRUE(YearIsEnterable(9999));
    EXPECT_FALSE(YearIsEnterable(10000));
    EXPECT_TRUE(YearIsEnterable(0));
    EXPECT_FALSE(YearIsEnterable(INT_MIN));
    EXPECT_EQ(std::string(kYearRangeMessage), "Year must be between 4713 BC and 9999 AD");
}

TEST(TimeEntryRules, TypedNumbersReadLikeAtoi)
{
    EXPECT_EQ(ReadEnteredNumber("-3167"), -3167);
    EXPECT_EQ(ReadEnteredNumber("2006"), 2006);
    EXPECT_EQ(ReadEnteredNumber("+5"), 5);
    EXPECT_EQ(ReadEnteredNumber("  7"), 7);
    EXPECT_EQ(ReadEnteredNumber("12x"), 12);
    EXPECT_EQ(ReadEnteredNumber("x12"), 0);
    EXPECT_EQ(ReadEnteredNumber(""), 0);
    EXPECT_EQ(ReadEnteredNumber("-"), 0);
    EXPECT_EQ(ReadEnteredNumber("- 3167"), 0);
    EXPECT_EQ(ReadEnteredNumber("--3"), 0);
    EXPECT_EQ(ReadEnteredNumber("2147483647"), INT_MAX);
    EXPECT_EQ(ReadEnteredNumber("-2147483648"), INT_MIN);
    EXPECT_EQ(ReadEnteredNumber("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ReadEnteredNumber("-99999999999999999999"), INT_MIN);
}

TEST(TimeEntryRules, FreeEntryTakesListPositionsAndTypedTexts)
{
    const FreeEntryFields typed{.yearText = "-3167",
                                .monthPosition = 2,
                                .dayPosition = 14,
                                .hourText = "5",
                                .minuteText = "xx",
                                .secondText = "07"};
    EXPECT_EQ(FreeEntryInstant(typed, 1), (TimeEntry{-3167, 3, 15, 5, 0, 7, 1}));

    // No range check on the time fields: the computation carries them.
    const FreeEntryFields fields{.yearText = "10000",
                                 .monthPosition = 0,
                                 .dayPosition = 30,
                                 .hourText = "99",
                                 .minuteText = "-5",
                                 .secondText = ""};
    EXPECT_EQ(FreeEntryInstant(fields, 0), (TimeEntry{10000, 1, 31, 99, -5, 0, 0}));
}

TEST(TimeEntryRules, TheDialogIsHandedWholeSeconds)
{
    engine::SkyState state;
    state.year = 2006;
    state.month = 6;
    state.day = 21;
    state.hour = 12;
    state.minute = 34;
    state.second = 56.9;
    state.dst = 1;
    EXPECT_EQ(TimeEntryOf(state), (TimeEntry{2006, 6, 21, 12, 34, 56, 1}));

    state.second = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(TimeEntryOf(state).second, 0);
    state.second = 1e300;
    EXPECT_EQ(TimeEntryOf(state).second, 0);
}

class ApplyTimeEntryTest : public testing::Test {
protected:
    engine::SkyState state_;
    engine::SkyCalculator calculator_;
};

TEST_F(ApplyTimeEntryTest, AnImpossibleDateIsCarriedIntoARealOne)
{
    ApplyTimeEntry(state_, {2006, 2, 31, 10, 0, 0, 0}, calculator_);
    EXPECT_EQ(state_.year, 2006);
    EXPECT_EQ(state_.month, 3);
    EXPECT_EQ(state_.day, 3);
    EXPECT_EQ(state_.hour, 10);
    EXPECT_EQ(state_.shownMonth, 3);
    EXPECT_EQ(state_.shownDay, 3);

    ApplyTimeEntry(state_, {2006, 6, 21, 25, 0, 90, 0}, calculator_);
    EXPECT_EQ(state_.day, 22);
    EXPECT_EQ(state_.hour, 1);
    EXPECT_EQ(state_.minute, 1);
    // Shown seconds are cut, so 30 may come back as 29.
    EXPECT_LE(std::fabs(state_.second - 30), 1.0);
}

TEST_F(ApplyTimeEntryTest, ComputesTheSkyOfTheEnteredInstant)
{
    // 1992-10-13 0h UT: the Sun at 13h 13m 30.8s, -7.7839 degrees.
    ApplyTimeEntry(state_, {1992, 10, 13, 0, 0, 0, 0}, calculator_);
    EXPECT_NEAR(state_.rightAscension[engine::kSun], 13 + 13 / 60.0 + 30.8 / 3600, 1e-4);
    EXPECT_NEAR(state_.declination[engine::kSun], -7.7839, 1e-3);
    EXPECT_NEAR(state_.obliquity, 23.44014, 1e-4);
}

TEST_F(ApplyTimeEntryTest, TheDaylightSavingFlagMovesUniversalTime)
{
    state_.timeZone = -5;
    ApplyTimeEntry(state_, {2006, 6, 21, 12, 0, 0, 1}, calculator_);
    EXPECT_EQ(state_.dst, 1);
    EXPECT_EQ(state_.hour, 12);
    EXPECT_NEAR(engine::SkyCalculator::JulianDayOf(state_), 2453908.0 + 4.0 / 24, 1e-6);

    ApplyTimeEntry(state_, {2006, 6, 21, 12, 0, 0, 0}, calculator_);
    EXPECT_EQ(state_.dst, 0);
    EXPECT_NEAR(engine::SkyCalculator::JulianDayOf(state_), 2453908.0 + 5.0 / 24, 1e-6);
}

TEST_F(ApplyTimeEntryTest, AnEnteredInstantStopsFollowingTheClock)
{
    // Following the clock the computation would take the fields as they
    // stand: 31 February would stay and 1550 would be read as Gregorian.
    state_.realTime = 1;
    ApplyTimeEntry(state_, {2006, 2, 31, 10, 0, 0, 0}, calculator_);
    EXPECT_EQ(state_.realTime, 0);
    EXPECT_EQ(state_.month, 3);
    EXPECT_EQ(state_.day, 3);

    state_.realTime = 1;
    ApplyTimeEntry(state_, {1550, 6, 1, 0, 0, 0, 0}, calculator_);
    EXPECT_EQ(state_.year, 1550);
    EXPECT_EQ(state_.month, 6);
    EXPECT_EQ(state_.day, 1);
    EXPECT_DOUBLE_EQ(engine::SkyCalculator::JulianDayOf(state_), 2287346.5);
}

TEST_F(ApplyTimeEntryTest, TheEndsOfTheRangeStay)
{
    ApplyTimeEntry(state_, {-4713, 1, 1, 12, 0, 0, 0}, calculator_);
    EXPECT_EQ(state_.year, -4713);
    EXPECT_EQ(state_.month, 1);
    EXPECT_EQ(state_.day, 1);
    ApplyTimeEntry(state_, {9999, 12, 31, 12, 0, 0, 0}, calculator_);
    EXPECT_EQ(state_.year, 9999);
    EXPECT_EQ(state_.month, 12);
    EXPECT_EQ(state_.day, 31);
}

TEST_F(ApplyTimeEntryTest, TypedTimesThatCarryPastAnEndStopOnIt)
{
    // Hours and seconds are taken as typed; carried over an end of the
    // range they stop on its first or last instant, not in another year.
    const auto instant = [this] {
        return TimeEntry{state_.year, state_.month, state_.day, state_.hour, state_.minute,
                         static_cast<int>(state_.second), state_.dst};
    };
    ApplyTimeEntry(state_, {9999, 12, 31, 23, 59, 99, 0}, calculator_);
    EXPECT_EQ(instant(), (TimeEntry{9999, 12, 31, 23, 59, 59, 0}));
    ApplyTimeEntry(state_, {9999, 12, 31, 99, 0, 0, 1}, calculator_);
    EXPECT_EQ(instant(), (TimeEntry{9999, 12, 31, 23, 59, 59, 1}));
    ApplyTimeEntry(state_, {-4713, 1, 1, -1, 0, 0, 0}, calculator_);
    EXPECT_EQ(instant(), (TimeEntry{-4713, 1, 1, 0, 0, 0, 0}));
    ApplyTimeEntry(state_, {-4713, 1, 1, 0, -9, 0, 0}, calculator_);
    EXPECT_EQ(instant(), (TimeEntry{-4713, 1, 1, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace skyvane::places
