#include "render/chart_text.h"

#include <algorithm>

#include "engine/body.h"
#include "places/formatting.h"
#include "places/windows1252.h"
#include "render/chart_fonts.h"

namespace skyvane::render {

std::string GeocentricDistanceText(int body, double distance)
{
    constexpr double kKilometresPerMile = 1.609;
    constexpr double kFourDecimalsFrom = 10;  // AU
    if (body == engine::kMoon) {
        return Printf(" %0.0f MI", distance / kKilometresPerMile);
    }
    return Printf(distance >= kFourDecimalsFrom ? "%6.4f AU" : "%6.5f AU", distance);
}

ZodiacText ZodiacColumns(double raHours)
{
    constexpr std::size_t kDegreesFrom = 1;
    constexpr std::size_t kDegreesLength = 13;
    ZodiacText text;
    double degrees = 0;
    places::ZodiacSign(raHours, text.sign, degrees);
    const std::string full = places::FormatAngle(degrees, places::kAngleUnsignedDegrees);
    if (full.size() > kDegreesFrom) {
        text.degrees = full.substr(kDegreesFrom, kDegreesLength);
    }
    return text;
}

std::string HeliocentricDistanceText(double distance)
{
    constexpr double kFiveDecimalsFrom = 10;  // AU
    return Printf(distance >= kFiveDecimalsFrom ? "%0.5f" : "%0.6f", distance);
}

void TextOutWindows1252(DrawContext& dc, int x, int y, std::string_view text)
{
    TextOutString(dc, x, y, places::FromWindows1252(text));
}

void TextOutFitted(DrawContext& dc, int x, int y, const QString& text, int maxWidth)
{
    const int width = dc.TextExtent(text).width();
    if (width <= maxWidth || maxWidth <= 0) {
        TextOutString(dc, x, y, text);
        return;
    }
    constexpr int kNarrowest = 50;  // percent of the font's own width
    constexpr int kStep = 2;
    QFont narrow = dc.Font();
    int stretch = std::max(kNarrowest, 100 * maxWidth / width);
    const QFont previous = dc.SelectFont(narrow);
    for (;; stretch -= kStep) {
        narrow.setStretch(std::max(kNarrowest, stretch));
        dc.SelectFont(narrow);
        if (stretch <= kNarrowest || dc.TextExtent(text).width() <= maxWidth) break;
    }
    TextOutString(dc, x, y, text);
    dc.SelectFont(previous);
}

void TextOutWindows1252Fitted(DrawContext& dc, int x, int y, std::string_view text, int maxWidth)
{
    TextOutFitted(dc, x, y, places::FromWindows1252(text), maxWidth);
}

}  // namespace skyvane::render
