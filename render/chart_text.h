// Text helpers the charts and panels share.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include <QString>

#include "render/draw_context.h"

namespace skyvane::render {

// printf into a string. Ordinary chart texts fit the small buffer; absurd
// values (a catalogue distance of 1e300) get all the room they need.
template <typename... Args>
std::string Printf(const char* format, Args... args)
{
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    if (n < 0)
        return {};
    if (static_cast<std::size_t>(n) < sizeof buffer)
        return std::string(buffer, static_cast<std::size_t>(n));
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, args...);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

// Column texts of the body tables, shared by the charts and their printed
// pages.

// A geocentric distance: the Moon's in whole miles from kilometres, the
// others in AU with one decimal fewer from 10 AU on, so the column keeps
// its width.
std::string GeocentricDistanceText(int body, double distance);

// The zodiac sign of a right ascension in hours and the degrees within it,
// without the leading zero of their three-digit field.
struct ZodiacText {
    std::string sign;
    std::string degrees;
};
ZodiacText ZodiacColumns(double raHours);

// A distance from the Sun in AU, one decimal fewer from 10 AU on.
std::string HeliocentricDistanceText(double distance);

// Draws catalogue and formatter texts, which are Windows-1252 bytes.
void TextOutWindows1252(DrawContext& dc, int x, int y, std::string_view text);

// Draws `text` at (x, y) no wider than `maxWidth` pixels: a text that would
// run into the next column or off the window is drawn in a narrower cut of
// the current font (down to half its width) instead. Texts that fit are
// drawn exactly as TextOut draws them.
void TextOutFitted(DrawContext& dc, int x, int y, const QString& text, int maxWidth);
void TextOutWindows1252Fitted(DrawContext& dc, int x, int y, std::string_view text, int maxWidth);

}  // namespace skyvane::render
