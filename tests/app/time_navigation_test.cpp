// The key rules of the three charts: steps, animation, pace limits, the
// heliocentric scale, the location digits and the help key.
#include <array>

#include <gtest/gtest.h>

#include "app/preferences.h"
#include "app/time_navigation.h"

namespace skyvane::app {
namespace {

constexpr int kLastSlot = 4;

engine::SkyState InstantOf(int year, int month, int day, int hour, int minute, double second)
{
    engine::SkyState s;
    s.year = year;
    s.month = month;
    s.day = day;
    s.hour = hour;
    s.minute = minute;
    s.second = second;
    return s;
}

KeyOutcome Press(int viewMode, NavigationKey key, ChartNavigation& nav, engine::SkyState& sky,
                 int repeat = 1, int digit = 0)
{
    return HandleChartKey(viewMode, key, digit, repeat, kLastSlot, nav, sky);
}

TEST(ManualStepTest, StepSizeAddsEachChartsOwnStepInSeconds)
{
    ChartNavigation nav;
    struct Case {
        int view;
        double seconds;
    };
    for (const Case c : {Case{kViewHeliocentric, 72.0 * 3600}, Case{kViewGeocentric, 86400.0},
                         Case{kViewHorizontal, 240.0}}) {
        engine::SkyState sky = InstantOf(2026, 12, 7, 22, 0, 10);
        nav.realTime = 1;
        const KeyOutcome right = Press(c.view, NavigationKey::kRight, nav, sky);
        EXPECT_DOUBLE_EQ(sky.second, 10 + c.seconds) << c.view;
        EXPECT_TRUE(right.recompute && right.redraw);
        EXPECT_EQ(nav.realTime, 0);
        EXPECT_EQ(sky.realTime, 0);
        EXPECT_TRUE(right.Stops(kClockTimer));
        EXPECT_TRUE(right.Stops(AnimationTimerOf(c.view)));
        Press(c.view, NavigationKey::kLeft, nav, sky);
        Press(c.view, NavigationKey::kLeft, nav, sky);
        EXPECT_DOUBLE_EQ(sky.second, 10 - c.seconds) << c.view;
    }
}

TEST(ManualStepTest, UnitCycleMovesOnlyTheUnitsField)
{
    ChartNavigation nav;
    nav.timeControl = kTimeControlUnitCycle;
    engine::SkyState sky = InstantOf(2027, 1, 31, 12, 0, 0);

    nav.stepUnit = kStepUnitMonth;
    Press(kViewHorizontal, NavigationKey::kRight, nav, sky);
    // 31 February: the scene computation makes a real date of it.
    EXPECT_EQ(sky.month, 2);
    EXPECT_EQ(sky.day, 31);
    engine::SkyCalculator().ComputeSky(sky);
    engine::FoldShownInstant(sky);
    EXPECT_EQ(sky.month, 3);
    EXPECT_EQ(sky.day, 3);

    nav.stepUnit = kStepUnitYear;
    Press(kViewGeocentric, NavigationKey::kLeft, nav, sky);
    EXPECT_EQ(sky.year, 2026);
    nav.stepUnit = kStepUnitSiderealDay;
    const double before = sky.second;
    Press(kViewHeliocentric, NavigationKey::kRight, nav, sky);
    EXPECT_DOUBLE_EQ(sky.second, before + 86164.0);
    nav.stepUnit = kStepUnitDay;
    Press(kViewHeliocentric, NavigationKey::kLeft, nav, sky);
    EXPECT_DOUBLE_EQ(sky.second, before + 86164.0 - 86400.0);
}

TEST(ManualStepTest, FixedYearStepsOneYearAndArrowsUpDownDoNothingAtRest)
{
    ChartNavigation nav;
    nav.timeControl = kTimeControlFixedYear;
    for (int view : {kViewHeliocentric, kViewGeocentric, kViewHorizontal}) {
        engine::SkyState sky = InstantOf(2026, 12, 7, 22, 0, 0);
        Press(view, NavigationKey::kRight, nav, sky);
        EXPECT_EQ(sky.year, 2027);
        EXPECT_DOUBLE_EQ(sky.second, 0.0);
        const ChartNavigation before = nav;
        const KeyOutcome up = Press(view, NavigationKey::kUp, nav, sky);
        Press(view, NavigationKey::kDown, nav, sky);
        EXPECT_FALSE(up.redraw);
        EXPECT_EQ(nav.heliocentricStepHours, before.heliocentricStepHours);
        EXPECT_EQ(nav.geocentricStepSeconds, before.geocentricStepSeconds);
        EXPECT_EQ(nav.horizontalStepSeconds, before.horizontalStepSeconds);
        EXPECT_EQ(nav.stepUnit, before.stepUnit);
    }
}

TEST(ManualStepTest, AKeyHeldInOneMessageDoesNotStepOrChangePace)
{
    ChartNavigation nav;
    engine::SkyState sky = InstantOf(2026, 12, 7, 22, 0, 0);
    for (NavigationKey key : {NavigationKey::kRight, NavigationKey::kLeft, NavigationKey::kUp,
                              NavigationKey::kDown, NavigationKey::kKeypadPlus,
                              NavigationKey::kKeypadMinus}) {
        const KeyOutcome held = Press(kViewHeliocentric, key, nav, sky, 2);
        EXPECT_FALSE(held.recompute || held.redraw);
    }
    EXPECT_DOUBLE_EQ(sky.second, 0.0);
    EXPECT_EQ(nav.heliocentricStepHours, 72.0);
    EXPECT_EQ(nav.heliocentricZoom, 210);
    // The other keys do not care how often they repeat.
    Press(kViewHeliocentric, NavigationKey::kF, nav, sky, 3);
    EXPECT_EQ(nav.heliocentricAnimating, 1);
}

TEST(AnimationTest, BackAndForwardStartTheChartsTimerAndLeaveTheClock)
{
    ChartNavigation nav;
    engine::SkyState sky;
    const KeyOutcome back = Press(kViewGeocentric, NavigationKey::kB, nav, sky);
    EXPECT_TRUE(back.Starts(kGeoAnimationTimer));
    EXPECT_TRUE(back.Stops(kClockTimer));
    EXPECT_FALSE(back.Stops(kGeoAnimationTimer));
    EXPECT_EQ(nav.geocentricDirection, -1.0);
    EXPECT_EQ(nav.geocentricAnimating, 1);
    EXPECT_FALSE(back.recompute);

    AnimateInstant(kViewGeocentric, nav, sky);
    EXPECT_DOUBLE_EQ(sky.second, -3600.0);
    nav.heliocentricDirection = 1.0;
    AnimateInstant(kViewHeliocentric, nav, sky);
    EXPECT_DOUBLE_EQ(sky.second, -3600.0 + 10.0 * 3600.0);

    const KeyOutcome stop = Press(kViewGeocentric, NavigationKey::kEnter, nav, sky);
    EXPECT_EQ(nav.geocentricAnimating, 0);
    EXPECT_TRUE(stop.Stops(kGeoAnimationTimer));
    EXPECT_FALSE(stop.redraw);
}

// A key or tick, then the recompute the window does after it.
void Recomputed(engine::SkyState& sky)
{
    engine::SkyCalculator().ComputeSky(sky);
    engine::FoldShownInstant(sky);
}

TEST(RangeEndTest, YearStepsPastAnEndStopOnItsFirstOrLastInstant)
{
    for (int control : {kTimeControlFixedYear, kTimeControlUnitCycle}) {
        ChartNavigation nav;
        nav.timeControl = control;
        nav.stepUnit = kStepUnitYear;
        engine::SkyState sky = InstantOf(9998, 6, 15, 12, 0, 0);
        Press(kViewGeocentric, NavigationKey::kRight, nav, sky);
        Recomputed(sky);
        EXPECT_EQ(sky.year, 9999);
        EXPECT_EQ(sky.month, 6);
        Press(kViewGeocentric, NavigationKey::kRight, nav, sky);
        Recomputed(sky);
        EXPECT_EQ((std::array{sky.year, sky.month, sky.day, sky.hour, sky.minute}),
                  (std::array{9999, 12, 31, 23, 59}));
        EXPECT_EQ(sky.second, 59.0);

        sky = InstantOf(-4713, 6, 15, 12, 0, 0);
        Press(kViewGeocentric, NavigationKey::kLeft, nav, sky);
        Recomputed(sky);
        EXPECT_EQ((std::array{sky.year, sky.month, sky.day, sky.hour, sky.minute}),
                  (std::array{-4713, 1, 1, 0, 0}));
        EXPECT_EQ(sky.second, 0.0);
    }
}

TEST(RangeEndTest, AnimationStopsOnTheEndItRunsTowards)
{
    ChartNavigation nav;
    engine::SkyState sky = InstantOf(9999, 12, 31, 20, 0, 0);
    Press(kViewHorizontal, NavigationKey::kF, nav, sky);
    nav.horizontalSpeedSeconds = 3600;
    int ticks = 0;
    while (nav.horizontalAnimating && ticks < 10) {
        AnimateInstant(kViewHorizontal, nav, sky);
        Recomputed(sky);
        StopAnimationAtRangeEnd(kViewHorizontal, nav, sky);
        ++ticks;
    }
    // 21, 22, 23 o'clock, then the last second, where it stops.
    EXPECT_EQ(ticks, 4);
    EXPECT_EQ(nav.horizontalAnimating, 0);
    EXPECT_EQ((std::array{sky.year, sky.month, sky.day, sky.hour, sky.minute}),
              (std::array{9999, 12, 31, 23, 59}));

    // At the end, an animation running away from it goes on; one running
    // into it stops at once.
    Press(kViewHorizontal, NavigationKey::kB, nav, sky);
    AnimateInstant(kViewHorizontal, nav, sky);
    Recomputed(sky);
    EXPECT_FALSE(StopAnimationAtRangeEnd(kViewHorizontal, nav, sky));
    EXPECT_EQ(nav.horizontalAnimating, 1);

    engine::SkyState first = InstantOf(-4713, 1, 1, 0, 0, 0);
    Press(kViewHeliocentric, NavigationKey::kB, nav, first);
    AnimateInstant(kViewHeliocentric, nav, first);
    Recomputed(first);
    EXPECT_TRUE(StopAnimationAtRangeEnd(kViewHeliocentric, nav, first));
    EXPECT_EQ(nav.heliocentricAnimating, 0);
    EXPECT_EQ(nav.horizontalAnimating, 1);  // each chart its own
}

TEST(AnimationTest, NowFollowsTheClockAndStopsOnlyThisChartsAnimation)
{
    ChartNavigation nav;
    nav.realTime = 0;
    nav.heliocentricAnimating = 1;
    nav.horizontalAnimating = 1;
    engine::SkyState sky;
    const KeyOutcome now = Press(kViewHorizontal, NavigationKey::kN, nav, sky);
    EXPECT_EQ(nav.realTime, 1);
    EXPECT_EQ(sky.realTime, 1);
    EXPECT_TRUE(now.Starts(kClockTimer));
    EXPECT_FALSE(now.Stops(kClockTimer));
    EXPECT_TRUE(now.Stops(kHorizonAnimationTimer));
    EXPECT_EQ(nav.horizontalAnimating, 0);
    EXPECT_EQ(nav.heliocentricAnimating, 1);
    EXPECT_TRUE(now.recompute && now.redraw);
}

TEST(PaceTest, HeliocentricStepAndSpeedFallBackPastTheirLimit)
{
    ChartNavigation nav;
    engine::SkyState sky;
    nav.heliocentricStepHours = 250.0;
    Press(kViewHeliocentric, NavigationKey::kUp, nav, sky);
    EXPECT_EQ(nav.heliocentricStepHours, 180.0);
    Press(kViewHeliocentric, NavigationKey::kDown, nav, sky);
    EXPECT_DOUBLE_EQ(nav.heliocentricStepHours, 120.0);

    nav.heliocentricAnimating = 1;
    nav.heliocentricSpeedHours = 250.0;
    Press(kViewHeliocentric, NavigationKey::kUp, nav, sky);
    EXPECT_EQ(nav.heliocentricSpeedHours, 240.0);
    EXPECT_DOUBLE_EQ(nav.heliocentricStepHours, 120.0);
}

TEST(PaceTest, GeocentricAndHorizontalStopGrowingAtTheirLimit)
{
    ChartNavigation nav;
    engine::SkyState sky;
    nav.geocentricStepSeconds = 150000.0;
    Press(kViewGeocentric, NavigationKey::kUp, nav, sky);
    EXPECT_DOUBLE_EQ(nav.geocentricStepSeconds, 225000.0);
    Press(kViewGeocentric, NavigationKey::kUp, nav, sky);
    EXPECT_DOUBLE_EQ(nav.geocentricStepSeconds, 225000.0);

    nav.horizontalStepSeconds = 19000.0;
    Press(kViewHorizontal, NavigationKey::kUp, nav, sky);
    Press(kViewHorizontal, NavigationKey::kUp, nav, sky);
    EXPECT_DOUBLE_EQ(nav.horizontalStepSeconds, 28500.0);
    // Dividing has no lower limit.
    for (int i = 0; i < 60; ++i) Press(kViewHorizontal, NavigationKey::kDown, nav, sky);
    EXPECT_GT(nav.horizontalStepSeconds, 0.0);
    EXPECT_LT(nav.horizontalStepSeconds, 1e-6);

    nav.geocentricAnimating = 1;
    nav.geocentricSpeedSeconds = 172800.0;
    Press(kViewGeocentric, NavigationKey::kUp, nav, sky);
    EXPECT_DOUBLE_EQ(nav.geocentricSpeedSeconds, 172800.0);
}

TEST(PaceTest, AnimatedHorizontalChartChangesSpeedOnlyInStepSizeMode)
{
    engine::SkyState sky;
    for (int mode : {kTimeControlUnitCycle, kTimeControlFixedYear}) {
        ChartNavigation nav;
        nav.timeControl = mode;
        nav.horizontalAnimating = 1;
        Press(kViewHorizontal, NavigationKey::kUp, nav, sky);
        Press(kViewHorizontal, NavigationKey::kDown, nav, sky);
        EXPECT_EQ(nav.horizontalSpeedSeconds, 240.0);
        EXPECT_EQ(nav.stepUnit, kStepUnitDay);
        // The other charts change their speed in every mode.
        nav.geocentricAnimating = 1;
        Press(kViewGeocentric, NavigationKey::kDown, nav, sky);
        EXPECT_DOUBLE_EQ(nav.geocentricSpeedSeconds, 2400.0);
    }
    ChartNavigation nav;
    nav.horizontalAnimating = 1;
    Press(kViewHorizontal, NavigationKey::kUp, nav, sky);
    EXPECT_DOUBLE_EQ(nav.horizontalSpeedSeconds, 360.0);
    EXPECT_EQ(nav.horizontalStepSeconds, 240.0);
}

TEST(PaceTest, UnitCycleWrapsBothWaysAndRedraws)
{
    ChartNavigation nav;
    nav.timeControl = kTimeControlUnitCycle;
    engine::SkyState sky;
    nav.stepUnit = kStepUnitYear;
    EXPECT_TRUE(Press(kViewGeocentric, NavigationKey::kUp, nav, sky).redraw);
    EXPECT_EQ(nav.stepUnit, kStepUnitDay);
    EXPECT_TRUE(Press(kViewHorizontal, NavigationKey::kDown, nav, sky).redraw);
    EXPECT_EQ(nav.stepUnit, kStepUnitYear);
    Press(kViewHeliocentric, NavigationKey::kDown, nav, sky);
    EXPECT_EQ(nav.stepUnit, kStepUnitMonth);
}

TEST(ZoomTest, TruncatesBeforeClampingAndWorksOnlyInTheHeliocentricChart)
{
    ChartNavigation nav;
    engine::SkyState sky;
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(Press(kViewHeliocentric, NavigationKey::kKeypadPlus, nav, sky).redraw);
        seen.push_back(nav.heliocentricZoom);
    }
    EXPECT_EQ(seen, (std::vector<int>{231, 254, 279, 300, 300}));
    nav.heliocentricZoom = 210;
    Press(kViewHeliocentric, NavigationKey::kKeypadMinus, nav, sky);
    EXPECT_EQ(nav.heliocentricZoom, 190);
    nav.heliocentricZoom = 10;
    Press(kViewHeliocentric, NavigationKey::kKeypadMinus, nav, sky);
    EXPECT_EQ(nav.heliocentricZoom, 10);

    nav.heliocentricZoom = 210;
    for (int view : {kViewGeocentric, kViewHorizontal}) {
        EXPECT_FALSE(Press(view, NavigationKey::kKeypadPlus, nav, sky).redraw);
        EXPECT_EQ(nav.heliocentricZoom, 210);
    }
}

TEST(HorizontalOnlyKeysTest, DigitsChooseOnlySlotsInUse)
{
    ChartNavigation nav;
    engine::SkyState sky;
    const KeyOutcome slot4 = Press(kViewHorizontal, NavigationKey::kDigit, nav, sky, 1, 4);
    EXPECT_EQ(slot4.locationSlot, 4);
    EXPECT_TRUE(slot4.recompute && slot4.redraw);
    const KeyOutcome slot5 = Press(kViewHorizontal, NavigationKey::kDigit, nav, sky, 1, 5);
    EXPECT_EQ(slot5.locationSlot, -1);
    EXPECT_FALSE(slot5.recompute || slot5.redraw);
    EXPECT_EQ(Press(kViewGeocentric, NavigationKey::kDigit, nav, sky, 1, 1).locationSlot, -1);
    EXPECT_EQ(Press(kViewHeliocentric, NavigationKey::kDigit, nav, sky, 1, 1).locationSlot, -1);
}

TEST(HorizontalOnlyKeysTest, F1TogglesTheHelpAndRedrawsWithoutRecomputing)
{
    ChartNavigation nav;
    engine::SkyState sky;
    const KeyOutcome help = Press(kViewHorizontal, NavigationKey::kF1, nav, sky);
    EXPECT_TRUE(help.toggleHelpOverlay);
    EXPECT_TRUE(help.redraw);
    EXPECT_FALSE(help.recompute);
    for (int view : {kViewGeocentric, kViewHeliocentric}) {
        const KeyOutcome other = Press(view, NavigationKey::kF1, nav, sky);
        EXPECT_FALSE(other.toggleHelpOverlay || other.redraw) << view;
    }
}

}  // namespace
}  // namespace skyvane::app
