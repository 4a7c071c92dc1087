// Moving the shown instant with the keyboard: single steps, animation,
// following the clock, step sizes and speeds, the heliocentric scale, the
// horizontal chart's location digits and its help panel.
//
// This is the sky window's key handling without the window: it changes the
// navigation fields and the instant and says which timers to start and stop
// and whether to recompute and redraw. The window carries that out.
#pragma once

#include <array>

#include "engine/sky.h"

namespace skyvane::app {

// What the window shows.
inline constexpr int kViewIntro = 0;
inline constexpr int kViewHeliocentric = 1;
inline constexpr int kViewGeocentric = 2;
inline constexpr int kViewHorizontal = 3;

// Window timers by their ids.
inline constexpr int kClockTimer = 101;
inline constexpr int kHelioAnimationTimer = 103;
inline constexpr int kHorizonAnimationTimer = 105;
inline constexpr int kGeoAnimationTimer = 106;
inline constexpr int kUsageSecondsTimer = 107;
inline constexpr int kUsageSaveTimer = 108;
inline constexpr int kIntroTimer = 109;
inline constexpr int kStartupTimer = 111;

inline constexpr int kClockPeriodMs = 1000;
inline constexpr int kAnimationPeriodMs = 5;
inline constexpr int kUsageSecondsPeriodMs = 1000;
inline constexpr int kUsageSavePeriodMs = 180025;
inline constexpr int kIntroPeriodMs = 500;
inline constexpr int kStartupDelayMs = 50;

// Step units of the unit cycle ("TIMECONTROL" = 1).
inline constexpr int kStepUnitDay = 0;
inline constexpr int kStepUnitSiderealDay = 1;
inline constexpr int kStepUnitMonth = 2;
inline constexpr int kStepUnitYear = 3;

inline constexpr int kMinHeliocentricZoom = 10;
inline constexpr int kMaxHeliocentricZoom = 300;

// The keys the charts know; everything else is kOther.
enum class NavigationKey {
    kOther,
    kN,
    kEnter,
    kB,
    kF,
    kLeft,
    kRight,
    kUp,
    kDown,
    kKeypadPlus,
    kKeypadMinus,
    kF1,
    kHome,   // the sky charts' whole sky
    kDigit,  // main keyboard or numeric keypad; the value travels beside it
};

// Each chart keeps its own step, speed, direction and animation, so that
// switching charts keeps each chart's settings.
struct ChartNavigation {
    int heliocentricZoom = 210;
    double heliocentricStepHours = 72.0;
    double horizontalStepSeconds = 240.0;
    double geocentricStepSeconds = 86400.0;
    // Set when an animation starts.
    double heliocentricDirection = 1.0;
    double geocentricDirection = 1.0;
    double horizontalDirection = 1.0;
    double heliocentricSpeedHours = 10.0;
    double horizontalSpeedSeconds = 240.0;
    double geocentricSpeedSeconds = 3600.0;
    int heliocentricAnimating = 0;
    int horizontalAnimating = 0;
    int geocentricAnimating = 0;
    int timeControl = 0;  // "TIMECONTROL"
    int stepUnit = kStepUnitDay;
    int realTime = 1;  // following the computer clock
};

// What the window does after a key.
struct KeyOutcome {
    bool recompute = false;
    bool redraw = false;
    bool toggleHelpOverlay = false;
    int locationSlot = -1;  // a digit key chose this slot
    // Timers to start and to kill, by id; 0 marks an unused place.
    std::array<int, 2> startTimers{};
    std::array<int, 3> stopTimers{};

    bool Starts(int timer) const;
    bool Stops(int timer) const;
};

// One key-down message in chart `viewMode` (1 to 3). `repeatCount` is the
// message's repeat count: the arrows and the keypad keys act only on a
// message that carries exactly one press, so holding a key does not race
// through time. `digit` is the digit of a kDigit key; `lastUsedLocation`
// the highest slot a digit may choose.
KeyOutcome HandleChartKey(int viewMode, NavigationKey key, int digit, int repeatCount,
                          int lastUsedLocation, ChartNavigation& navigation,
                          engine::SkyState& instant);

// One manual step of chart `viewMode` in `direction` (+1 or -1), by the
// time control: the chart's step size in seconds, one unit of the cycle,
// or one year. Months and years move their own field; 31 January plus a
// month becomes 31 February, which the scene computation carries into
// March.
void StepInstant(int viewMode, double direction, const ChartNavigation& navigation,
                 engine::SkyState& instant);

// One tick of chart `viewMode`'s animation timer: the speed in the
// direction, added to the seconds.
void AnimateInstant(int viewMode, const ChartNavigation& navigation, engine::SkyState& instant);

// After a computed animation tick: an animation that has reached the end
// of the range it runs towards stops there (its flag is cleared and true
// returned, and the window stops its timer). The instant itself was
// stopped on the end by the scene computation.
bool StopAnimationAtRangeEnd(int viewMode, ChartNavigation& navigation,
                             const engine::SkyState& instant);

// The animation timer of chart `viewMode`, 0 for the intro screen.
int AnimationTimerOf(int viewMode);

}  // namespace skyvane::app
