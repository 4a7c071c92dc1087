// Night mode: one colour mapping that every pen, brush, text colour, filled
// box and copied picture of the drawing context passes through, so a chart
// drawn at the telescope keeps the observer's eyes adapted to the dark. The
// mapping keeps how bright a colour is and nothing else: black stays black,
// the brightest white becomes a dim red, and no green or blue light is left.
//
// The filter is chosen where a frame is painted (the window's paint, a
// picture drawn for the command line) by a scope; every drawing context
// made inside that scope, and so every chart, panel and page drawn through
// one, draws with it without knowing about it.
#pragma once

#include <QImage>
#include <QRgb>

#include <algorithm>

namespace skyvane::render {

enum class ColorFilter {
    kNone,   // colours as the charts choose them
    kNight,  // dim red on black
};

// The red of the brightest white in night mode: bright enough to read the
// tables, dim enough for dark-adapted eyes.
inline constexpr int kNightMaxRed = 160;

// How bright a colour looks, 0..255: the mean of its luminance and its
// strongest component. Luminance alone would leave the pure blues of the
// charts (the Earth, the figure lines) all but invisible; the strongest
// component alone would make the dark blue of a twilight sky as bright as
// a yellow label.
constexpr int NightLevel(QRgb color)
{
    const int r = qRed(color);
    const int g = qGreen(color);
    const int b = qBlue(color);
    const int luminance = (77 * r + 150 * g + 29 * b + 128) >> 8;
    const int strongest = std::max({r, g, b});
    return (luminance + strongest + 1) / 2;
}

// The night colour of `color`: its brightness as a red of at most
// kNightMaxRed; black stays black.
constexpr QRgb NightColor(QRgb color)
{
    return qRgb((NightLevel(color) * kNightMaxRed + 127) / 255, 0, 0);
}

constexpr QRgb FilteredColor(ColorFilter filter, QRgb color)
{
    return filter == ColorFilter::kNight ? NightColor(color) : color;
}

// A picture in night colours, with its device pixel ratio; a 32-bit RGB
// copy whatever the picture's format.
QImage NightPicture(const QImage& picture);
// A picture used as a mask for an AND copy: each pixel's brightness as a
// red at full scale, so white keeps what lies under it and black clears it
// as before, and the result has no green or blue.
QImage NightMask(const QImage& picture);

// The filter of the drawing contexts made on this thread now.
ColorFilter CurrentColorFilter();

// Makes `filter` the current one on this thread until the scope ends, then
// puts the previous one back.
class ScopedColorFilter {
public:
    explicit ScopedColorFilter(ColorFilter filter);
    ~ScopedColorFilter();

    ScopedColorFilter(const ScopedColorFilter&) = delete;
    ScopedColorFilter& operator=(const ScopedColorFilter&) = delete;

private:
    ColorFilter previous_;
};

}  // namespace skyvane::render
