#include "render/star_marker.h"

#include <array>

namespace skyvane::render {

int StarSizeClass(double magnitude, int windowWidth)
{
    // Later rules override earlier ones.
    int sizeClass = 0;
    if (magnitude >= 3.0 && magnitude < 4.9) {
        sizeClass = 1;
    }
    if (magnitude >= 2.0 && magnitude < 3.0) {
        sizeClass = 2;
    }
    if (magnitude > -5.0 && magnitude < 2.0) {
        sizeClass = 3;
    }
    constexpr int kNarrowWindow = 1200;
    if (sizeClass == 3 && windowWidth < kNarrowWindow) {
        sizeClass = 2;
    }
    return sizeClass;
}

QRgb SpectralColor(std::string_view spectrum)
{
    struct SpectralEntry {
        char type;
        QRgb color;
    };
    static constexpr std::array<SpectralEntry, 7> kSpectralColors{{
        {'B', qRgb(128, 128, 255)},
        {'A', qRgb(146, 255, 208)},
        {'F', qRgb(255, 255, 170)},
        {'G', qRgb(255, 255, 0)},
        {'K', qRgb(255, 225, 60)},
        {'M', qRgb(246, 116, 52)},
        {'O', qRgb(212, 52, 246)},
    }};
    constexpr QRgb kWhite = qRgb(255, 255, 255);
    if (spectrum.empty()) {
        return kWhite;
    }
    for (const SpectralEntry& entry : kSpectralColors) {
        if (entry.type == spectrum.front()) {
            return entry.color;
        }
    }
    return kWhite;
}

skydata::IntRect DrawStarMarker(DrawContext& dc, int x, int y, int sizeClass, QRgb color)
{
    if (sizeClass <= 0) {
        // The faintest stars are all the same grey, whatever their class;
        // their click box is larger than the pixel so they can be hit.
        constexpr QRgb kFaintStarGrey = qRgb(200, 200, 200);
        constexpr int kFaintClickReach = 2;
        dc.SetPixel(x, y, kFaintStarGrey);
        return {x - kFaintClickReach, y - kFaintClickReach, x + kFaintClickReach,
                y + kFaintClickReach};
    }
    // The marker's pen and brush are its own; the caller's come back after.
    const auto pen = dc.Pen();
    const auto brush = dc.Brush();
    dc.SetPen(color);
    dc.SetBrush(color);
    dc.Ellipse(x - sizeClass, y - sizeClass, x + sizeClass, y + sizeClass);
    pen ? dc.SetPen(*pen) : dc.SetNullPen();
    brush ? dc.SetBrush(*brush) : dc.SetNullBrush();
    return {x - sizeClass, y - sizeClass, x + sizeClass, y + sizeClass};
}

}  // namespace skyvane::render
