#include "engine/rise_set.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/apparent_place.h"
#include "engine/body.h"
#include "engine/delta_t.h"
#include "engine/sky.h"
#include "engine/moon.h"
#include "engine/planets.h"
#include "engine/transforms.h"
#include "engine/units.h"

namespace skyvane::engine {
namespace {

// Hour angle gained per day by a fixed point of the sky, degrees.
constexpr double kSiderealRate = 360.98564736629;

// An event is found when the last correction is below this (about 0.1 s).
constexpr double kConvergedDays = 1.0e-6;
constexpr int kMaxIterations = 16;

// The search of the altitude halves a crossing until it is known to a second.
constexpr double kSecondDays = 1.0 / 86400;

double Wrap180(double degrees)
{
    return degrees - 360 * std::round(degrees / 360);
}

double Wrap360(double degrees)
{
    const double r = degrees - 360 * std::floor(degrees / 360);
    return r >= 360 ? 0 : r;
}

enum class Event { kRise, kTransit, kSet, kLowerTransit };

// What the iteration needs at one instant.
struct Sample {
    double hourAngle;    // degrees, not reduced
    double declination;  // degrees
};

class Observer {
public:
    Observer(const RiseSetTarget& target, double longitude, double latitude, double altitude)
        : target_(target),
          longitude_(longitude),
          sinLatitude_(std::sin(DegToRad(latitude))),
          cosLatitude_(std::cos(DegToRad(latitude))),
          sinAltitude_(std::sin(DegToRad(altitude)))
    {
    }

    Sample At(double jd) const
    {
        const SkyPlace p = SkyPlaceOf(target_, jd);
        return {HoursToDeg(HourAngle(p.siderealTime, longitude_, p.rightAscension)), p.declination};
    }

    // The cosine of the hour angle at which an object at `declination`
    // stands at the standard altitude; beyond +-1 when it never does.
    double CosineOfSemiDiurnalArc(double declination) const
    {
        const double d = DegToRad(declination);
        const double denominator = cosLatitude_ * std::cos(d);
        const double numerator = sinAltitude_ - sinLatitude_ * std::sin(d);
        if (denominator == 0) return numerator > 0 ? 2 : -2;  // at a pole
        return numerator / denominator;
    }

    // The object's altitude above the standard altitude, as a sine
    // difference (same sign as the difference of the angles).
    double AboveStandard(const Sample& s) const
    {
        const double d = DegToRad(s.declination);
        return sinLatitude_ * std::sin(d) +
               cosLatitude_ * std::cos(d) * std::cos(DegToRad(s.hourAngle)) - sinAltitude_;
    }

    // The hour angle of `event` for an object at `declination`, degrees;
    // `exists` is false for a rising or setting the object does not have
    // at that declination (the arc is then taken as 0 or 180 degrees).
    double EventHourAngle(Event event, double declination, bool& exists) const
    {
        exists = true;
        if (event == Event::kTransit) return 0;
        if (event == Event::kLowerTransit) return 180;
        const double c = CosineOfSemiDiurnalArc(declination);
        exists = c >= -1 && c <= 1;
        const double arc = RadToDeg(std::acos(std::clamp(c, -1.0, 1.0)));
        return event == Event::kRise ? -arc : arc;
    }

    const RiseSetTarget& Target() const { return target_; }

private:
    RiseSetTarget target_;
    double longitude_;
    double sinLatitude_;
    double cosLatitude_;
    double sinAltitude_;
};

struct Found {
    double jd;
    bool exists;
};

// Newton's iteration on the hour angle from `guess`, the rate of the hour
// angle taken from the last two steps once there are two (the Moon's is
// some 13 degrees a day slower than a star's).
Found Refine(const Observer& observer, Event event, double guess)
{
    double t = guess;
    double rate = kSiderealRate;
    double previousT = 0;
    double previousGap = 0;
    bool exists = true;
    for (int k = 0; k < kMaxIterations; ++k) {
        const Sample s = observer.At(t);
        const double goal = observer.EventHourAngle(event, s.declination, exists);
        const double gap = Wrap180(goal - s.hourAngle);
        if (k > 0 && t != previousT) {
            const double measured = (previousGap - gap) / (t - previousT);
            if (measured > 0.5 * kSiderealRate && measured < 1.5 * kSiderealRate) rate = measured;
        }
        const double step = gap / rate;
        previousT = t;
        previousGap = gap;
        t += step;
        if (!std::isfinite(t)) return {guess, false};
        if (std::fabs(step) < kConvergedDays) break;
    }
    return {t, exists};
}

// The first `event` at or after `dayStart`, if it comes before the day ends.
Found FirstEvent(const Observer& observer, Event event, double dayStart)
{
    const double dayEnd = dayStart + 1;
    const Sample s = observer.At(dayStart);
    bool exists = true;
    const double ahead = Wrap360(observer.EventHourAngle(event, s.declination, exists) - s.hourAngle);
    Found found = Refine(observer, event, dayStart + ahead / kSiderealRate);
    // The iteration may settle on the event just before the day; the next
    // one is a turn of the hour angle later.
    if (found.jd < dayStart) found = Refine(observer, event, found.jd + 360 / kSiderealRate);
    if (found.jd < dayStart || found.jd >= dayEnd) return {found.jd, false};
    return found;
}

// Where a body's declination carries it across the limit of rising during
// the day, the hour angle of rising does not exist all day long; the
// altitude itself is searched instead. Between an upper and a lower
// culmination the altitude only falls or only rises, so each stretch
// between the day's ends and its culminations holds at most one crossing,
// which is halved down to a second.
void ScanAltitude(const Observer& observer, double dayStart, RiseTransitSet& result)
{
    const double dayEnd = dayStart + 1;
    std::vector<double> stops{dayStart};
    for (const Event culmination : {Event::kTransit, Event::kLowerTransit}) {
        Found f = FirstEvent(observer, culmination, dayStart);
        for (int k = 0; k < 3 && f.exists; ++k) {
            stops.push_back(f.jd);
            const double next = Refine(observer, culmination, f.jd + 360 / kSiderealRate).jd;
            f = {next, next > f.jd && next < dayEnd};
        }
    }
    stops.push_back(dayEnd);
    std::sort(stops.begin(), stops.end());

    double f0 = observer.AboveStandard(observer.At(stops[0]));
    const double first = f0;
    for (std::size_t i = 1; i < stops.size() && !(result.rise && result.set); ++i) {
        const double t0 = stops[i - 1];
        const double t1 = stops[i];
        const double f1 = observer.AboveStandard(observer.At(t1));
        const bool rising = f0 < 0 && f1 >= 0;
        const bool setting = f0 >= 0 && f1 < 0;
        if ((rising && !result.rise) || (setting && !result.set)) {
            double lo = t0;
            double hi = t1;
            while (hi - lo > kSecondDays) {
                const double mid = 0.5 * (lo + hi);
                const bool midAbove = observer.AboveStandard(observer.At(mid)) >= 0;
                (midAbove == rising ? hi : lo) = mid;
            }
            const double when = 0.5 * (lo + hi);
            if (when < dayEnd) (rising ? result.rise : result.set) = when;
        }
        f0 = f1;
    }
    if (!result.rise && !result.set)
        result.state = first >= 0 ? RiseSetState::kAlwaysAbove : RiseSetState::kNeverRises;
}

}  // namespace

double StandardAltitude(int body)
{
    if (body == kSun) return kSunStandardAltitude;
    if (body == kMoon) return kMoonStandardAltitude;
    return kStarStandardAltitude;
}

SkyPlace BodySkyPlace(int body, double jd)
{
    // The scene's own computation, so that rising and setting agree with
    // what the charts and tables show at every instant.
    SkyState state{};
    SkyCalculator().ComputeSkyAt(state, jd);
    return {state.rightAscension[body], state.declination[body], state.siderealTime};
}

SkyPlace SkyPlaceOf(const RiseSetTarget& target, double jd)
{
    if (target.body >= 0) return BodySkyPlace(target.body, jd);
    const double tt = TerrestrialJulianDay(jd);
    const Nutation nutation = NutationAt(tt);
    const double meanObliquity = MeanObliquity(tt);
    const Equatorial place = ApparentPlace(ApparentPlaceFrameAt(tt, meanObliquity, nutation),
                                           target.rightAscension, target.declination);
    return {place.rightAscension, place.declination,
            GreenwichApparentSiderealTime(jd, meanObliquity, nutation)};
}

RiseTransitSet FindRiseTransitSet(const RiseSetTarget& target, double dayStart, double longitude,
                                  double latitude, double standardAltitude)
{
    RiseTransitSet result;
    if (!std::isfinite(dayStart) || !std::isfinite(longitude) || !std::isfinite(latitude) ||
        !std::isfinite(standardAltitude))
        return result;
    const Observer observer(target, longitude, latitude, standardAltitude);

    if (const Found transit = FirstEvent(observer, Event::kTransit, dayStart); transit.exists)
        result.transit = transit.jd;

    // A fixed point either rises and sets every sidereal day, which always
    // falls within a civil day, or never does.
    if (target.body < 0) {
        const double c = observer.CosineOfSemiDiurnalArc(observer.At(dayStart).declination);
        if (c < -1) {
            result.state = RiseSetState::kAlwaysAbove;
            return result;
        }
        if (c > 1) {
            result.state = RiseSetState::kNeverRises;
            return result;
        }
    }

    const Found rise = FirstEvent(observer, Event::kRise, dayStart);
    const Found set = FirstEvent(observer, Event::kSet, dayStart);
    if (rise.exists) result.rise = rise.jd;
    if (set.exists) result.set = set.jd;

    // A body whose declination carries it past the limit of rising (the Sun
    // or the Moon near the polar circles) may have no hour-angle event in
    // one cycle and still cross the horizon: search the altitude instead.
    const auto limitCrossed = [&](double jd) {
        const double c = observer.CosineOfSemiDiurnalArc(observer.At(jd).declination);
        return c < -1 || c > 1;
    };
    if (target.body >= 0 && (limitCrossed(dayStart) || limitCrossed(dayStart + 1) ||
                             (!result.rise && !result.set))) {
        result.rise.reset();
        result.set.reset();
        result.state = RiseSetState::kNormal;
        ScanAltitude(observer, dayStart, result);
    }
    return result;
}

double LocalDayStart(double jd, double offsetHours)
{
    const double local = jd + offsetHours / 24;
    const double midnight = std::floor(local - 0.5) + 0.5;
    return midnight - offsetHours / 24;
}

}  // namespace skyvane::engine
