#include "engine/units.h"

#include <cmath>
#include <limits>

namespace skyvane::engine {

double DmsToDeg(double d, double m, double s, int positive)
{
    return positive != 0 ? d + m / 60 + s / 3600 : -d - m / 60 - s / 3600;
}

namespace {

// Values up to this many turns outside the range step one turn at a time,
// which keeps the exact rounding every caller has always seen for ordinary
// angles. Beyond it stepping would take too long (or, past 2^53 turns,
// never end), and the remainder is taken exactly instead.
constexpr double kMaxSteppedTurns = 64;

// x - k * turn for whole k, exact: below 2^50 the product k * turn is an
// integer that fits a double and the difference is a multiple of x's last
// place; above, fmod does the same more slowly.
double ExactRemainder(double x, double turn)
{
    if (std::fabs(x) >= 0x1p50)
        return std::fmod(x, turn);
    return x - std::floor(x / turn) * turn;
}

double ReduceToTurn(double x, double turn)
{
    if (!std::isfinite(x))
        return std::numeric_limits<double>::quiet_NaN();
    if (std::fabs(x) > kMaxSteppedTurns * turn) {
        double r = ExactRemainder(x, turn);
        if (r < 0)
            r += turn;
        else if (r == 0 && x > 0)
            r = turn;  // stepping down from a positive multiple stops at one turn
        return r + 0.0;  // no negative zero
    }
    while (x < 0)
        x += turn;
    while (x > turn)
        x -= turn;
    return x;
}

}  // namespace

double Reduce360(double x) { return ReduceToTurn(x, 360); }
double Reduce24(double x) { return ReduceToTurn(x, 24); }

}  // namespace skyvane::engine
