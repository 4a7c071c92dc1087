// A white page image the size of a printed page with a drawing context on
// it, for pixel probes and recorded texts.
#pragma once

#include <QImage>
#include <QPainter>
#include <QString>

#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "print/page_metrics.h"
#include "render/draw_context.h"

namespace skyvane::print::test {

inline constexpr QRgb kPaper = qRgb(255, 255, 255);
inline constexpr QRgb kInk = qRgb(0, 0, 0);
// Body names on the maps; every other table row.
inline constexpr QRgb kNameGrey = qRgb(32, 32, 32);
inline constexpr QRgb kDarkRow = qRgb(64, 64, 64);

class PageCanvas {
public:
    explicit PageCanvas(const PageMetrics& page)
        : PageCanvas(SideOf(page.horzSizeMm, page.logPixelsX),
                     SideOf(page.vertSizeMm, page.logPixelsY))
    {
    }
    // An image of width x height whose pixel (0, 0) shows page point
    // `origin`, for pages that reach outside their own sheet.
    PageCanvas(int width, int height, QPoint origin = QPoint(0, 0))
        : image_(width, height, QImage::Format_RGB32), origin_(origin)
    {
        image_.fill(kPaper);
        painter_.begin(&image_);
        dc_.emplace(painter_, origin, &image_);
        dc_->SetRecordText(true);
    }

    render::DrawContext& dc() { return *dc_; }
    const QImage& Image() const { return image_; }
    // The pixel at page point (x, y); paper outside the image.
    QRgb At(int x, int y) const
    {
        const QPoint p = QPoint(x, y) - origin_;
        if (!image_.rect().contains(p)) {
            return kPaper | 0xff000000u;
        }
        return image_.pixel(p) | 0xff000000u;
    }
    // The first and last page x of row y, from x0 to x1, in `color`;
    // nothing when the row has none.
    std::optional<std::pair<int, int>> RunInRow(int y, int x0, int x1, QRgb color) const
    {
        const Walk walk = Along(QPoint(x0, y), QPoint(1, 0), x1 - x0 + 1, color);
        return walk.count > 0 ? std::optional(std::make_pair(walk.first.x(), walk.last.x()))
                              : std::nullopt;
    }
    std::optional<std::pair<int, int>> RunInColumn(int x, int y0, int y1, QRgb color) const
    {
        const Walk walk = Along(QPoint(x, y0), QPoint(0, 1), y1 - y0 + 1, color);
        return walk.count > 0 ? std::optional(std::make_pair(walk.first.y(), walk.last.y()))
                              : std::nullopt;
    }

    // How many pixels of row y from x0 to x1 (inclusive) are `color`.
    int CountInRow(int y, int x0, int x1, QRgb color) const
    {
        return Along(QPoint(x0, y), QPoint(1, 0), x1 - x0 + 1, color).count;
    }
    int CountInColumn(int x, int y0, int y1, QRgb color) const
    {
        return Along(QPoint(x, y0), QPoint(0, 1), y1 - y0 + 1, color).count;
    }
    bool AllPaper() const
    {
        for (int y = 0; y < image_.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
            for (int x = 0; x < image_.width(); ++x) {
                if ((line[x] | 0xff000000u) != (kPaper | 0xff000000u)) {
                    return false;
                }
            }
        }
        return true;
    }

    // The recorded text call for `text`, if the page drew it.
    std::optional<render::TextCall> Text(const QString& text) const
    {
        for (const render::TextCall& call : dc_->RecordedText()) {
            if (call.text == text) {
                return call;
            }
        }
        return std::nullopt;
    }
    // The same, drawn with its left edge at page x `x`.
    std::optional<render::TextCall> TextAt(const QString& text, int x) const
    {
        for (const render::TextCall& call : dc_->RecordedText()) {
            if (call.text == text && call.position.x() == x) {
                return call;
            }
        }
        return std::nullopt;
    }
    const std::vector<render::TextCall>& Texts() const { return dc_->RecordedText(); }

private:
    // The pixels of `color` among `steps` points from `from` on by `step`.
    struct Walk {
        int count = 0;
        QPoint first;
        QPoint last;
    };
    Walk Along(QPoint from, QPoint step, int steps, QRgb color) const
    {
        Walk walk;
        for (int i = 0; i < steps; ++i) {
            const QPoint p = from + step * i;
            if (At(p.x(), p.y()) == (color | 0xff000000u)) {
                walk.first = walk.count == 0 ? p : walk.first;
                walk.last = p;
                ++walk.count;
            }
        }
        return walk;
    }

    static int SideOf(int millimetres, int dotsPerInch)
    {
        return static_cast<int>(std::ceil(millimetres / 25.4 * dotsPerInch));
    }

    QImage image_;
    QPoint origin_;
    QPainter painter_;
    std::optional<render::DrawContext> dc_;
};

// Device pixels of `screenPixels` at scale s, cut toward zero.
inline int Scaled(double s, double screenPixels)
{
    return static_cast<int>(screenPixels * s);
}

}  // namespace skyvane::print::test
