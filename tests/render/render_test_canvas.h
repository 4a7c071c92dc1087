// A black 32-bit image with a drawing context on it, for pixel probes.
#pragma once

#include <QImage>
#include <QPainter>

#include <optional>

#include "render/draw_context.h"

namespace skyvane::render::test {

inline constexpr QRgb kCanvasBlack = qRgb(0, 0, 0);

class Canvas {
public:
    explicit Canvas(int width = 200, int height = 120, QRgb fill = kCanvasBlack)
        : image_(width, height, QImage::Format_RGB32)
    {
        image_.fill(fill);
        painter_.begin(&image_);
        dc_.emplace(painter_, QPoint(0, 0), &image_);
    }
    DrawContext& dc() { return *dc_; }
    QRgb At(int x, int y) const { return image_.pixel(x, y) | 0xff000000u; }

private:
    QImage image_;
    QPainter painter_;
    std::optional<DrawContext> dc_;
};

}  // namespace skyvane::render::test
