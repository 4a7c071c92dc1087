#include "render/color_filter.h"

namespace skyvane::render {

namespace {

thread_local ColorFilter currentFilter = ColorFilter::kNone;

template <class Map>
QImage MapPicture(const QImage& picture, Map map)
{
    QImage mapped = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < mapped.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(mapped.scanLine(y));
        for (int x = 0; x < mapped.width(); ++x)
            line[x] = map(line[x]);
    }
    mapped.setDevicePixelRatio(picture.devicePixelRatio());
    return mapped;
}

}  // namespace

QImage NightPicture(const QImage& picture)
{
    return MapPicture(picture, [](QRgb pixel) { return NightColor(pixel); });
}

QImage NightMask(const QImage& picture)
{
    return MapPicture(picture, [](QRgb pixel) { return qRgb(NightLevel(pixel), 0, 0); });
}

ColorFilter CurrentColorFilter()
{
    return currentFilter;
}

ScopedColorFilter::ScopedColorFilter(ColorFilter filter) : previous_(currentFilter)
{
    currentFilter = filter;
}

ScopedColorFilter::~ScopedColorFilter()
{
    currentFilter = previous_;
}

}  // namespace skyvane::render
