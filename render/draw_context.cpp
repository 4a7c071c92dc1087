#include "render/draw_context.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace skyvane::render {

namespace {

// What a fresh device context starts with before anyone selects anything.
constexpr QRgb kDefaultPen = qRgb(0, 0, 0);
constexpr QRgb kDefaultBrush = qRgb(255, 255, 255);
constexpr QRgb kDefaultTextColor = qRgb(0, 0, 0);
constexpr QRgb kDefaultBackground = qRgb(255, 255, 255);

// First and one-past-last column of the pixels of row `row` (0 = top) that
// lie inside the ellipse inscribed in a width x height box, measured from the
// box's left edge. A pixel belongs to the ellipse when its centre does, the
// boundary included; rows are symmetric about the box's middle.
struct Span {
    int begin;
    int end;
};
Span EllipseRow(int width, int height, int row)
{
    const double a = width / 2.0;
    const double b = height / 2.0;
    const double dy = (row + 0.5 - b) / b;
    const double q = 1.0 - dy * dy;
    if (q < 0) {
        return {0, 0};
    }
    // Tolerance so that centres exactly on the curve count as inside
    // whatever the rounding of the square root.
    constexpr double kOnCurve = 1e-9;
    const double half = a * std::sqrt(q);
    const int first = std::max(0, static_cast<int>(std::ceil(a - half - 0.5 - kOnCurve)));
    const int end = width - first;
    return first < end ? Span{first, end} : Span{0, 0};
}

}  // namespace

DrawContext::DrawContext(QPainter& painter, QPoint origin, QImage* pixels)
    : painter_(painter),
      origin_(origin),
      pen_(kDefaultPen),
      brush_(kDefaultBrush),
      textColor_(kDefaultTextColor),
      background_(kDefaultBackground),
      font_(painter.font())
{
    if (pixels != nullptr && pixels->depth() == 32) {
        bits_ = pixels->bits();
        stride_ = pixels->bytesPerLine();
        deviceWidth_ = pixels->width();
        deviceHeight_ = pixels->height();
    }
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.translate(-origin_);
}

QFont DrawContext::SelectFont(const QFont& font)
{
    QFont previous = font_;
    font_ = font;
    metrics_.reset();
    painterFontCurrent_ = false;
    return previous;
}

// Text is drawn dozens of times a frame with few font changes: the metrics
// and the painter's font are set up once per font, not once per text.
const QFontMetrics& DrawContext::Metrics() const
{
    if (!metrics_)
        metrics_.emplace(font_, painter_.device());
    return *metrics_;
}

void DrawContext::FillBox(int left, int top, int right, int bottom, QRgb color)
{
    if (right <= left || bottom <= top) {
        return;
    }
    if (bits_ == nullptr) {
        painter_.fillRect(QRect(left, top, right - left, bottom - top), QColor(color));
        return;
    }
    const int x0 = std::max(left - origin_.x(), 0);
    const int x1 = std::min(right - origin_.x(), deviceWidth_);
    const int y0 = std::max(top - origin_.y(), 0);
    const int y1 = std::min(bottom - origin_.y(), deviceHeight_);
    if (x1 <= x0 || y1 <= y0) {
        return;
    }
    const QRgb pixel = color | 0xff000000u;
    for (int y = y0; y < y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bits_ + y * stride_);
        std::fill(line + x0, line + x1, pixel);
    }
}

void DrawContext::SetPixel(int x, int y, QRgb color)
{
    FillBox(x, y, x + 1, y + 1, color);
}

void DrawContext::FillSolidRect(int left, int top, int right, int bottom, QRgb color)
{
    FillBox(left, top, right, bottom, color);
}

void DrawContext::Rectangle(int left, int top, int right, int bottom)
{
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
    if (right <= left || bottom <= top) {
        return;
    }
    if (brush_) {
        FillBox(left + 1, top + 1, right - 1, bottom - 1, *brush_);
    }
    if (pen_) {
        FillBox(left, top, right, top + 1, *pen_);
        FillBox(left, bottom - 1, right, bottom, *pen_);
        FillBox(left, top + 1, left + 1, bottom - 1, *pen_);
        FillBox(right - 1, top + 1, right, bottom - 1, *pen_);
    }
}

void DrawContext::Ellipse(int left, int top, int right, int bottom)
{
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
    const int width = right - left;
    const int height = bottom - top;
    if (width <= 0 || height <= 0) {
        return;
    }
    // A pixel is outline when one of its four neighbours lies outside the
    // ellipse, which gives a one-pixel, eight-connected rim.
    Span above{0, 0};
    Span here = EllipseRow(width, height, 0);
    for (int row = 0; row < height; ++row) {
        const Span below = row + 1 < height ? EllipseRow(width, height, row + 1) : Span{0, 0};
        const int y = top + row;
        int innerBegin = std::max({here.begin + 1, above.begin, below.begin});
        int innerEnd = std::min({here.end - 1, above.end, below.end});
        if (row == 0 || row + 1 == height) {
            innerEnd = innerBegin;
        }
        if (innerEnd > innerBegin) {
            if (pen_) {
                FillBox(left + here.begin, y, left + innerBegin, y + 1, *pen_);
                FillBox(left + innerEnd, y, left + here.end, y + 1, *pen_);
            }
            if (brush_) {
                FillBox(left + innerBegin, y, left + innerEnd, y + 1, *brush_);
            }
        } else if (pen_) {
            FillBox(left + here.begin, y, left + here.end, y + 1, *pen_);
        }
        above = here;
        here = below;
    }
}

void DrawContext::DrawLine(QPoint from, QPoint to)
{
    if (!pen_) {
        return;
    }
    const QRgb color = *pen_;
    const int dx = std::abs(to.x() - from.x());
    const int dy = std::abs(to.y() - from.y());
    const int sx = to.x() >= from.x() ? 1 : -1;
    const int sy = to.y() >= from.y() ? 1 : -1;
    int x = from.x();
    int y = from.y();
    // Bresenham's walk, stopping before the end point; runs of pixels on
    // one row (or column) are filled as one box.
    if (dx >= dy) {
        int error = dx / 2;
        int runStart = x;
        for (int i = 0; i < dx; ++i) {
            const int nextX = x + sx;
            error -= dy;
            const bool stepY = error < 0;
            if (stepY || i + 1 == dx) {
                FillBox(std::min(runStart, x), y, std::max(runStart, x) + 1, y + 1, color);
                runStart = nextX;
            }
            if (stepY) {
                y += sy;
                error += dx;
            }
            x = nextX;
        }
    } else {
        int error = dy / 2;
        int runStart = y;
        for (int i = 0; i < dy; ++i) {
            const int nextY = y + sy;
            error -= dx;
            const bool stepX = error < 0;
            if (stepX || i + 1 == dy) {
                FillBox(x, std::min(runStart, y), x + 1, std::max(runStart, y) + 1, color);
                runStart = nextY;
            }
            if (stepX) {
                x += sx;
                error += dy;
            }
            y = nextY;
        }
    }
}

void DrawContext::LineTo(int x, int y)
{
    const QPoint to(x, y);
    DrawLine(current_, to);
    current_ = to;
}

void DrawContext::Line(int x0, int y0, int x1, int y1)
{
    MoveTo(x0, y0);
    LineTo(x1, y1);
}

void DrawContext::Polyline(const QPoint* points, int count)
{
    for (int i = 0; i + 1 < count; ++i) {
        DrawLine(points[i], points[i + 1]);
    }
}

QSize DrawContext::TextExtent(const QString& text) const
{
    const QFontMetrics& metrics = Metrics();
    return QSize(metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent());
}

void DrawContext::TextOut(int x, int y, const QString& text)
{
    if (recordText_) {
        recorded_.push_back(TextCall{text, QPoint(x, y), font_, textColor_, background_});
    }
    const QFontMetrics& metrics = Metrics();
    const QSize cell(metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent());
    FillBox(x, y, x + cell.width(), y + cell.height(), background_);
    if (!painterFontCurrent_) {
        painter_.setFont(font_);
        painterFontCurrent_ = true;
    }
    if (painterTextColor_ != textColor_) {
        painter_.setPen(QColor(textColor_));
        painterTextColor_ = textColor_;
    }
    painter_.drawText(QPoint(x, y + metrics.ascent()), text);
}

void DrawContext::CopyWith(QPainter::CompositionMode mode, int x, int y, const QImage& picture)
{
    // The raster operations work on 32-bit pixels; an opaque 32-bit copy
    // of an 8-bit picture combines channel by channel as a blit would.
    const QImage source = picture.format() == QImage::Format_RGB32
                              ? picture
                              : picture.convertToFormat(QImage::Format_RGB32);
    const QPainter::CompositionMode previous = painter_.compositionMode();
    painter_.setCompositionMode(mode);
    painter_.drawImage(QPoint(x, y), source);
    painter_.setCompositionMode(previous);
}

void DrawContext::CopyAnd(int x, int y, const QImage& picture)
{
    CopyWith(QPainter::RasterOp_SourceAndDestination, x, y, picture);
}

void DrawContext::CopyOr(int x, int y, const QImage& picture)
{
    CopyWith(QPainter::RasterOp_SourceOrDestination, x, y, picture);
}

}  // namespace skyvane::render
