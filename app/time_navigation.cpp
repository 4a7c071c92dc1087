#include "app/time_navigation.h"

#include <algorithm>

#include "app/preferences.h"

namespace skyvane::app {
namespace {

constexpr double kSecondsPerHour = 3600.0;
constexpr double kDaySeconds = 86400.0;
// A sidereal day to the whole second, so stepping keeps whole seconds.
constexpr double kSiderealDaySeconds = 86164.0;
constexpr double kSpeedFactor = 1.5;
constexpr double kZoomFactor = 1.1;
constexpr int kStepUnitCount = 4;

// Growth limits: the heliocentric values fall back once they pass their
// limit, the others simply stop growing.
constexpr double kHeliocentricLimitHours = 300.0;
constexpr double kHeliocentricStepFallbackHours = 180.0;
constexpr double kHeliocentricSpeedFallbackHours = 240.0;
constexpr double kGeocentricGrowthLimitSeconds = 172800.0;
constexpr double kHorizontalGrowthLimitSeconds = 20000.0;

// One chart's fields, in its own unit (hours for the heliocentric chart).
struct ChartFields {
    double ChartNavigation::*step;
    double ChartNavigation::*speed;
    double ChartNavigation::*direction;
    int ChartNavigation::*animating;
    double secondsPerUnit;
    int animationTimer;
};

const ChartFields* FieldsOf(int viewMode)
{
    static constexpr ChartFields kHeliocentric{
        &ChartNavigation::heliocentricStepHours, &ChartNavigation::heliocentricSpeedHours,
        &ChartNavigation::heliocentricDirection, &ChartNavigation::heliocentricAnimating,
        kSecondsPerHour, kHelioAnimationTimer};
    static constexpr ChartFields kGeocentric{
        &ChartNavigation::geocentricStepSeconds, &ChartNavigation::geocentricSpeedSeconds,
        &ChartNavigation::geocentricDirection, &ChartNavigation::geocentricAnimating, 1.0,
        kGeoAnimationTimer};
    static constexpr ChartFields kHorizontal{
        &ChartNavigation::horizontalStepSeconds, &ChartNavigation::horizontalSpeedSeconds,
        &ChartNavigation::horizontalDirection, &ChartNavigation::horizontalAnimating, 1.0,
        kHorizonAnimationTimer};
    switch (viewMode) {
    case kViewHeliocentric: return &kHeliocentric;
    case kViewGeocentric: return &kGeocentric;
    case kViewHorizontal: return &kHorizontal;
    default: return nullptr;
    }
}

void Add(std::array<int, 2>& timers, int timer)
{
    for (int& slot : timers)
        if (slot == 0) {
            slot = timer;
            return;
        }
}

void Add(std::array<int, 3>& timers, int timer)
{
    for (int& slot : timers)
        if (slot == 0) {
            slot = timer;
            return;
        }
}

// Up in the unit cycle: the next unit, Year wrapping to Day.
void CycleUnit(ChartNavigation& navigation, int by)
{
    navigation.stepUnit = ((navigation.stepUnit + by) % kStepUnitCount + kStepUnitCount) %
                          kStepUnitCount;
}

// Up or Down: the step size, the speed or the unit, by the chart's rules.
void ChangePace(int viewMode, bool faster, ChartNavigation& navigation, KeyOutcome& outcome)
{
    const ChartFields& chart = *FieldsOf(viewMode);
    double& step = navigation.*chart.step;
    double& speed = navigation.*chart.speed;
    const bool animating = navigation.*chart.animating != 0;
    const int mode = navigation.timeControl;

    auto changeUnit = [&] {
        CycleUnit(navigation, faster ? 1 : -1);
        outcome.redraw = true;
    };

    if (viewMode == kViewHorizontal) {
        // The horizontal chart changes its speed only in the step-size mode.
        if (mode == kTimeControlStepSize) {
            double& value = animating ? speed : step;
            if (!faster)
                value /= kSpeedFactor;
            else if (value < kHorizontalGrowthLimitSeconds)
                value *= kSpeedFactor;
        } else if (mode == kTimeControlUnitCycle && !animating) {
            changeUnit();
        }
        return;
    }

    if (animating) {
        if (!faster) {
            speed /= kSpeedFactor;
        } else if (viewMode == kViewHeliocentric) {
            speed *= kSpeedFactor;
            if (speed > kHeliocentricLimitHours)
                speed = kHeliocentricSpeedFallbackHours;
        } else if (speed < kGeocentricGrowthLimitSeconds) {
            speed *= kSpeedFactor;
        }
        return;
    }
    if (mode == kTimeControlStepSize) {
        if (!faster) {
            step /= kSpeedFactor;
        } else if (viewMode == kViewHeliocentric) {
            step *= kSpeedFactor;
            if (step > kHeliocentricLimitHours)
                step = kHeliocentricStepFallbackHours;
        } else if (step < kGeocentricGrowthLimitSeconds) {
            step *= kSpeedFactor;
        }
    } else if (mode == kTimeControlUnitCycle) {
        changeUnit();
    }
}

int ClampZoom(int zoom)
{
    return std::clamp(zoom, kMinHeliocentricZoom, kMaxHeliocentricZoom);
}

}  // namespace

bool KeyOutcome::Starts(int timer) const
{
    return std::find(startTimers.begin(), startTimers.end(), timer) != startTimers.end();
}

bool KeyOutcome::Stops(int timer) const
{
    return std::find(stopTimers.begin(), stopTimers.end(), timer) != stopTimers.end();
}

int AnimationTimerOf(int viewMode)
{
    const ChartFields* chart = FieldsOf(viewMode);
    return chart ? chart->animationTimer : 0;
}

namespace {

// A year step past an end of the range stops on that end's first or last
// instant, as a step in seconds does: clamping the year alone would keep
// the day of the year and look as if the step had gone nowhere.
void SaturateYearStep(engine::SkyState& instant)
{
    if (instant.year < engine::kFirstYear) {
        instant.year = engine::kFirstYear;
        instant.month = 1;
        instant.day = 1;
        instant.hour = 0;
        instant.minute = 0;
        instant.second = 0;
    } else if (instant.year > engine::kLastYear) {
        instant.year = engine::kLastYear;
        instant.month = 12;
        instant.day = 31;
        instant.hour = 23;
        instant.minute = 59;
        instant.second = 59;
    }
}

}  // namespace

void StepInstant(int viewMode, double direction, const ChartNavigation& navigation,
                 engine::SkyState& instant)
{
    const ChartFields* chart = FieldsOf(viewMode);
    if (!chart) return;
    const int sign = direction < 0 ? -1 : 1;
    switch (navigation.timeControl) {
    case kTimeControlStepSize:
        instant.second += direction * (navigation.*chart->step) * chart->secondsPerUnit;
        break;
    case kTimeControlUnitCycle:
        switch (navigation.stepUnit) {
        case kStepUnitDay: instant.second += direction * kDaySeconds; break;
        case kStepUnitSiderealDay: instant.second += direction * kSiderealDaySeconds; break;
        case kStepUnitMonth: instant.month += sign; break;
        case kStepUnitYear:
            instant.year += sign;
            SaturateYearStep(instant);
            break;
        default: break;
        }
        break;
    case kTimeControlFixedYear:
        instant.year += sign;
        SaturateYearStep(instant);
        break;
    default:
        // A time control written by hand outside its range steps nothing.
        break;
    }
}

void AnimateInstant(int viewMode, const ChartNavigation& navigation, engine::SkyState& instant)
{
    const ChartFields* chart = FieldsOf(viewMode);
    if (!chart) return;
    instant.second +=
        (navigation.*chart->speed) * (navigation.*chart->direction) * chart->secondsPerUnit;
}

bool StopAnimationAtRangeEnd(int viewMode, ChartNavigation& navigation,
                             const engine::SkyState& instant)
{
    const ChartFields* chart = FieldsOf(viewMode);
    if (!chart) return false;
    const double direction = navigation.*chart->direction;
    const engine::RangeEnd end = engine::ShownRangeEnd(instant);
    const bool atEnd = (direction > 0 && end == engine::RangeEnd::kLast) ||
                       (direction < 0 && end == engine::RangeEnd::kFirst);
    if (!atEnd) return false;
    navigation.*chart->animating = 0;
    return true;
}

KeyOutcome HandleChartKey(int viewMode, NavigationKey key, int digit, int repeatCount,
                          int lastUsedLocation, ChartNavigation& navigation,
                          engine::SkyState& instant)
{
    KeyOutcome outcome;
    const ChartFields* chart = FieldsOf(viewMode);
    if (!chart) return outcome;
    int& animating = navigation.*chart->animating;
    const bool single = repeatCount == 1;

    auto step = [&](double direction) {
        StepInstant(viewMode, direction, navigation, instant);
        navigation.realTime = 0;
        animating = 0;
        outcome.recompute = outcome.redraw = true;
    };
    auto animate = [&](double direction) {
        navigation.*chart->direction = direction;
        navigation.realTime = 0;
        animating = 1;
        Add(outcome.startTimers, chart->animationTimer);
    };

    switch (key) {
    case NavigationKey::kN:
        navigation.realTime = 1;
        Add(outcome.startTimers, kClockTimer);
        animating = 0;
        outcome.recompute = outcome.redraw = true;
        break;
    case NavigationKey::kEnter:
        animating = 0;
        navigation.realTime = 0;
        break;
    case NavigationKey::kB: animate(-1.0); break;
    case NavigationKey::kF: animate(1.0); break;
    case NavigationKey::kRight:
        if (single) step(1.0);
        break;
    case NavigationKey::kLeft:
        if (single) step(-1.0);
        break;
    case NavigationKey::kUp:
        if (single) ChangePace(viewMode, true, navigation, outcome);
        break;
    case NavigationKey::kDown:
        if (single) ChangePace(viewMode, false, navigation, outcome);
        break;
    case NavigationKey::kKeypadPlus:
    case NavigationKey::kKeypadMinus:
        if (single && viewMode == kViewHeliocentric) {
            // Truncated before clamping: 210 → 231 → 254 → 279 → 300.
            const double zoom = navigation.heliocentricZoom;
            navigation.heliocentricZoom = ClampZoom(static_cast<int>(
                key == NavigationKey::kKeypadPlus ? zoom * kZoomFactor : zoom / kZoomFactor));
            outcome.redraw = true;
        }
        break;
    case NavigationKey::kF1:
        // Shown at once: with time stopped nothing else would redraw the
        // chart, and the key would seem to do nothing.
        if (viewMode == kViewHorizontal) outcome.toggleHelpOverlay = outcome.redraw = true;
        break;
    case NavigationKey::kDigit:
        if (viewMode == kViewHorizontal && digit >= 0 && digit <= lastUsedLocation) {
            outcome.locationSlot = digit;
            outcome.recompute = outcome.redraw = true;
        }
        break;
    case NavigationKey::kOther:
        break;
    }

    instant.realTime = navigation.realTime;
    if (navigation.realTime == 0) Add(outcome.stopTimers, kClockTimer);
    if (animating == 0) Add(outcome.stopTimers, chart->animationTimer);
    return outcome;
}

}  // namespace skyvane::app
