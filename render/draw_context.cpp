#include "render/draw_context.h"

#include <QFontMetrics>
#include <QHash>
#include <QPen>
#include <QStaticText>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define SKYVANE_STREAMING_FILL 1
#endif

namespace skyvane::render {

namespace {

// On a surface this large (a 1080p window is 8 MB, a 4K one 33 MB) the
// wide rows are filled with streaming stores, which skip reading each cache
// line before overwriting it: with ordinary stores the background alone
// took 5.3 ms of a 4K frame against 1.5 ms streamed, and 1080p frames came
// out faster streamed in 11 of 12 bench cases. Small surfaces stay in the
// cache and keep ordinary stores, as do narrow fills (text cells, lines),
// which are drawn over at once.
constexpr qsizetype kStreamingSurfaceBytes = qsizetype{4} << 20;
constexpr int kStreamingRow = 256;

void FillRow(QRgb* begin, QRgb* end, QRgb pixel, bool streaming)
{
#ifdef SKYVANE_STREAMING_FILL
    if (streaming && end - begin >= kStreamingRow) {
        while ((reinterpret_cast<quintptr>(begin) & 15) != 0) *begin++ = pixel;
        const __m128i four = _mm_set1_epi32(static_cast<int>(pixel));
        for (; end - begin >= 4; begin += 4)
            _mm_stream_si128(reinterpret_cast<__m128i*>(begin), four);
    }
#else
    (void)streaming;
#endif
    std::fill(begin, end, pixel);
}

// Streamed stores reach memory in their own order; the fence puts them
// before anything written after the fill, for a reader on another core
// (the window system copying the frame to the screen).
void EndStreamingFill(int width, bool streaming)
{
#ifdef SKYVANE_STREAMING_FILL
    if (streaming && width >= kStreamingRow) _mm_sfence();
#else
    (void)width;
    (void)streaming;
#endif
}

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

// Bresenham's walk from `a` to `b`, stopping before the end point unless
// `throughEnd`; runs of pixels on one row (or column) go to `fill` as one
// box, `thickness` pixels across the path and starting `before` ahead of it.
template <class Fill>
void WalkLineRuns(QPoint a, QPoint b, bool throughEnd, int before, int thickness, Fill fill)
{
    const int dx = std::abs(b.x() - a.x());
    const int dy = std::abs(b.y() - a.y());
    const int sx = b.x() >= a.x() ? 1 : -1;
    const int sy = b.y() >= a.y() ? 1 : -1;
    int x = a.x();
    int y = a.y();
    if (dx >= dy) {
        const int steps = dx + (throughEnd ? 1 : 0);
        int error = dx / 2;
        int runStart = x;
        for (int i = 0; i < steps; ++i) {
            const int nextX = x + sx;
            error -= dy;
            const bool stepY = error < 0;
            if (stepY || i + 1 == steps) {
                fill(std::min(runStart, x), y - before, std::max(runStart, x) + 1,
                     y - before + thickness);
                runStart = nextX;
            }
            if (stepY) {
                y += sy;
                error += dx;
            }
            x = nextX;
        }
    } else {
        const int steps = dy + (throughEnd ? 1 : 0);
        int error = dy / 2;
        int runStart = y;
        for (int i = 0; i < steps; ++i) {
            const int nextY = y + sy;
            error -= dx;
            const bool stepX = error < 0;
            if (stepX || i + 1 == steps) {
                fill(x - before, std::min(runStart, y), x - before + thickness,
                     std::max(runStart, y) + 1);
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

// Fills a polygon by scanlines: pixel centres decide, as for the ellipse.
// Each row's runs between pairs of edge crossings go to `fill` as boxes.
template <class Fill>
void FillPolygonRows(const QPoint* points, int count, Fill fill)
{
    int top = points[0].y();
    int bottom = points[0].y();
    for (int i = 1; i < count; ++i) {
        top = std::min(top, points[i].y());
        bottom = std::max(bottom, points[i].y());
    }
    std::vector<double> crossings;
    for (int y = top; y < bottom; ++y) {
        const double centreY = y + 0.5;
        crossings.clear();
        for (int i = 0; i < count; ++i) {
            const QPoint a = points[i];
            const QPoint b = points[(i + 1) % count];
            if (a.y() == b.y()) {
                continue;
            }
            const double low = std::min(a.y(), b.y());
            const double high = std::max(a.y(), b.y());
            if (centreY < low || centreY >= high) {
                continue;
            }
            crossings.push_back(a.x() + (centreY - a.y()) * (b.x() - a.x()) / (b.y() - a.y()));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) {
            const int first = static_cast<int>(std::ceil(crossings[k] - 0.5));
            const int end = static_cast<int>(std::ceil(crossings[k + 1] - 0.5));
            fill(first, y, end, y + 1);
        }
    }
}

}  // namespace

DrawContext::DrawContext(QPainter& painter, QPoint origin, QImage* pixels)
    : painter_(painter),
      origin_(origin),
      filter_(CurrentColorFilter()),
      pen_(kDefaultPen),
      brush_(kDefaultBrush),
      textColor_(kDefaultTextColor),
      background_(kDefaultBackground),
      font_(painter.font())
{
    SetColorFilter(filter_);
    if (pixels != nullptr && pixels->depth() == 32) {
        UsePixels(*pixels);
    }
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.translate(-origin_);
}

DrawContext::DrawContext(QPainter& painter, QImage& pixels, QPoint deviceOffset, QRect deviceClip)
    : painter_(painter),
      filter_(CurrentColorFilter()),
      pen_(kDefaultPen),
      brush_(kDefaultBrush),
      textColor_(kDefaultTextColor),
      background_(kDefaultBackground),
      font_(painter.font())
{
    SetColorFilter(filter_);
    if (pixels.depth() == 32) {
        UsePixels(pixels);
        deviceOffset_ = deviceOffset;
        const QRect clip = deviceClip & QRect(0, 0, pixels.width(), pixels.height());
        clipLeft_ = clip.left();
        clipTop_ = clip.top();
        clipRight_ = clip.left() + clip.width();
        clipBottom_ = clip.top() + clip.height();
    }
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void DrawContext::SetColorFilter(ColorFilter filter)
{
    filter_ = filter;
    if (pen_) penShown_ = Shown(*pen_);
    if (brush_) brushShown_ = Shown(*brush_);
    textShown_ = Shown(textColor_);
    backgroundShown_ = Shown(background_);
}

void DrawContext::UsePixels(QImage& pixels)
{
    bits_ = pixels.bits();
    stride_ = pixels.bytesPerLine();
    streamingFills_ = pixels.sizeInBytes() >= kStreamingSurfaceBytes;
    clipRight_ = pixels.width();
    clipBottom_ = pixels.height();
    scale_ = pixels.devicePixelRatio();
    scaled_ = scale_ != 1;
    unit_ = std::max(1, static_cast<int>(std::lround(scale_)));
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
    if (!metrics_) {
        metrics_.emplace(font_, painter_.device());
        // What a width depends on: the font and the resolution the device
        // gives it.
        const QPaintDevice* device = painter_.device();
        widthsKey_ = font_.toString() + QLatin1Char('|') + QString::number(font_.kerning()) +
                     QLatin1Char('|') + QString::number(font_.hintingPreference()) + QLatin1Char('|') +
                     QString::number(device ? device->logicalDpiY() : 0);
    }
    return *metrics_;
}

namespace {

// Texts already measured and laid out, by font and resolution: a zoomed
// chart writes hundreds of names on every frame, nearly all of them the
// ones of the frame before, and shaping a text costs far more than finding
// it (shaping was a sixth of a zoomed frame). Kept per thread, bounded, and
// never referred to between calls, so clearing it is always safe.
constexpr qsizetype kMaxKeptFonts = 64;
constexpr qsizetype kMaxKeptTexts = 50000;

struct KeptText {
    int width = 0;
    std::optional<QStaticText> shaped;  // laid out at its first drawing
};

QHash<QString, QHash<QString, KeptText>>& KeptTexts()
{
    thread_local QHash<QString, QHash<QString, KeptText>> kept;
    return kept;
}

// The entry of `text` in the current font, measured on first use. Valid
// until the next call.
KeptText& KeptTextOf(const QString& fontKey, const QFontMetrics& metrics, const QString& text)
{
    auto& kept = KeptTexts();
    auto font = kept.find(fontKey);
    if (font == kept.end()) {
        if (kept.size() >= kMaxKeptFonts) kept.clear();
        font = kept.insert(fontKey, {});
    }
    const auto found = font->find(text);
    if (found != font->end()) return *found;
    if (font->size() >= kMaxKeptTexts) font->clear();
    return *font->insert(text, KeptText{metrics.horizontalAdvance(text), std::nullopt});
}

}  // namespace

int DrawContext::TextWidth(const QString& text) const
{
    const QFontMetrics& metrics = Metrics();
    return KeptTextOf(widthsKey_, metrics, text).width;
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
    FillDevice(DeviceX(left), DeviceY(top), DeviceX(right), DeviceY(bottom), color);
}

void DrawContext::StrokeBox(int left, int top, int right, int bottom, QRgb color)
{
    if (right <= left || bottom <= top) {
        return;
    }
    FillBox(left, top, right, bottom, color);
    Hairline(QRect(left, top, right - left, bottom - top), color);
}

// A page is drawn at the printer's resolution but not always shown at it:
// a print preview fitted to its window shows a 1200 dpi page some fifteen
// times smaller, and a stroke thinner than that (a grid line two pixels
// high) or a shape smaller (a faint star) then covers no pixel centre and
// is lost. So these also get a hairline through their middle, along their
// length: a view of any scale draws a hairline at least one pixel wide, and
// at the page's own resolution it lies inside the box and changes no pixel.
// Areas wider than the view's pixels need none: their rows, filled one
// against the next, cover every pixel centre inside them.
void DrawContext::Hairline(const QRect& box, QRgb color)
{
    if (bits_ != nullptr || box.isEmpty()) {
        return;
    }
    UsePainterPen(color);
    if (box.width() >= box.height()) {
        const int y = box.top() + box.height() / 2;
        painter_.drawLine(QPoint(box.left(), y), QPoint(box.right(), y));
    } else {
        const int x = box.left() + box.width() / 2;
        painter_.drawLine(QPoint(x, box.top()), QPoint(x, box.bottom()));
    }
}

void DrawContext::UsePainterPen(QRgb color)
{
    if (painterPen_ == color) return;
    // Width 0: a hairline, one pixel of whatever shows it.
    QPen pen(QColor(color), 0);
    pen.setCapStyle(Qt::SquareCap);
    painter_.setPen(pen);
    painterPen_ = color;
}

void DrawContext::FillDevice(int x0, int y0, int x1, int y1, QRgb color)
{
    x0 = std::max(x0, clipLeft_);
    x1 = std::min(x1, clipRight_);
    y0 = std::max(y0, clipTop_);
    y1 = std::min(y1, clipBottom_);
    if (x1 <= x0 || y1 <= y0) {
        return;
    }
    const QRgb pixel = color | 0xff000000u;
    for (int y = y0; y < y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bits_ + y * stride_);
        FillRow(line + x0, line + x1, pixel, streamingFills_);
    }
    EndStreamingFill(x1 - x0, streamingFills_);
}

void DrawContext::SetPixel(int x, int y, QRgb color)
{
    StrokeBox(x, y, x + 1, y + 1, Shown(color));
}

void DrawContext::FillSolidRect(int left, int top, int right, int bottom, QRgb color)
{
    FillBox(left, top, right, bottom, Shown(color));
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
        FillBox(left + 1, top + 1, right - 1, bottom - 1, brushShown_);
    }
    if (pen_) {
        StrokeBox(left, top, right, top + 1, penShown_);
        StrokeBox(left, bottom - 1, right, bottom, penShown_);
        StrokeBox(left, top + 1, left + 1, bottom - 1, penShown_);
        StrokeBox(right - 1, top + 1, right, bottom - 1, penShown_);
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
    if (scaled_) {
        ScaledEllipse(left, top, right, bottom);
        return;
    }
    if (pen_ && penWidth_ > 1) {
        WideEllipse(left, top, right, bottom);
        return;
    }
    // Rim and inside in one colour (every star marker): one span a row.
    if (pen_ && brush_ && *pen_ == *brush_) {
        for (int row = 0; row < height; ++row) {
            const Span here = EllipseRow(width, height, row);
            FillBox(left + here.begin, top + row, left + here.end, top + row + 1, penShown_);
        }
        if (bits_ == nullptr) {
            const Span middle = EllipseRow(width, height, height / 2);
            Hairline(QRect(left + middle.begin, top + height / 2, middle.end - middle.begin, 1),
                     penShown_);
        }
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
                StrokeBox(left + here.begin, y, left + innerBegin, y + 1, penShown_);
                StrokeBox(left + innerEnd, y, left + here.end, y + 1, penShown_);
            }
            if (brush_) {
                FillBox(left + innerBegin, y, left + innerEnd, y + 1, brushShown_);
            }
        } else if (pen_) {
            StrokeBox(left + here.begin, y, left + here.end, y + 1, penShown_);
        }
        above = here;
        here = below;
    }
}

// The rim of a wide pen is what lies between the ellipse of the box grown
// by half the pen and the one of the box shrunk by the other half.
void DrawContext::WideEllipse(int left, int top, int right, int bottom)
{
    const int before = penWidth_ / 2;
    const int after = penWidth_ - before;
    const QRect outer(QPoint(left - before, top - before), QPoint(right + before - 1, bottom + before - 1));
    const QRect inner(QPoint(left + after, top + after), QPoint(right - after - 1, bottom - after - 1));
    const bool hasInside = inner.width() > 0 && inner.height() > 0;
    // As for lines: a rim three pixels or more across holds one hairline
    // ellipse along its middle; thinner ones take one along each run.
    const bool tracedWhole = penWidth_ >= 3;
    const auto rimRun = [&](int begin, int y, int end) {
        if (tracedWhole) {
            FillBox(begin, y, end, y + 1, penShown_);
        } else {
            StrokeBox(begin, y, end, y + 1, penShown_);
        }
    };
    for (int row = 0; row < outer.height(); ++row) {
        const int y = outer.top() + row;
        const Span rim = EllipseRow(outer.width(), outer.height(), row);
        const int rimBegin = outer.left() + rim.begin;
        const int rimEnd = outer.left() + rim.end;
        const int innerRow = y - inner.top();
        Span hole{0, 0};
        if (hasInside && innerRow >= 0 && innerRow < inner.height()) {
            hole = EllipseRow(inner.width(), inner.height(), innerRow);
        }
        if (hole.end <= hole.begin) {
            rimRun(rimBegin, y, rimEnd);
            continue;
        }
        const int holeBegin = inner.left() + hole.begin;
        const int holeEnd = inner.left() + hole.end;
        rimRun(rimBegin, y, holeBegin);
        rimRun(holeEnd, y, rimEnd);
        if (brush_) {
            FillBox(holeBegin, y, holeEnd, y + 1, brushShown_);
        }
    }
    if (tracedWhole && bits_ == nullptr) {
        // Halfway between the rim's outer and inner edges.
        const double inset = (after - before) / 2.0;
        UsePainterPen(penShown_);
        painter_.setBrush(Qt::NoBrush);
        painter_.drawEllipse(QRectF(left + inset, top + inset, right - left - 2 * inset,
                                    bottom - top - 2 * inset));
    }
}

void DrawContext::FillDisc(int left, int top, int diameter, QRgb color)
{
    for (int row = 0; row < diameter; ++row) {
        const Span span = EllipseRow(diameter, diameter, row);
        FillBox(left + span.begin, top + row, left + span.end, top + row + 1, color);
    }
}

void DrawContext::DrawLine(QPoint from, QPoint to)
{
    if (!pen_) {
        return;
    }
    if (scaled_) {
        ScaledLine(from, to);
        return;
    }
    const QRgb color = penShown_;
    // A wide pen's band starts this far before the path and is penWidth_
    // pixels across it; a one-pixel pen's band is the path itself.
    const int thickness = penWidth_;
    const int before = thickness / 2;
    const bool wide = thickness > 1;
    // Wide pens go through the end point; a one-pixel pen stops before it.
    // A band two pixels or more across holds a hairline along its whole
    // middle, which strays less than a pixel from it; a one-pixel line
    // takes one along each run.
    const bool tracedWhole = wide;
    if (!wide && bits_ != nullptr) {
        // Straight into our pixels: a figure line's runs are often single
        // pixels, thousands a frame.
        const int dx = deviceOffset_.x() - origin_.x();
        const int dy = deviceOffset_.y() - origin_.y();
        const QRgb pixel = color | 0xff000000u;
        WalkLineRuns(from, to, false, 0, 1, [&](int x0, int y0, int x1, int y1) {
            x0 = std::max(x0 + dx, clipLeft_);
            x1 = std::min(x1 + dx, clipRight_);
            y0 = std::max(y0 + dy, clipTop_);
            y1 = std::min(y1 + dy, clipBottom_);
            for (int y = y0; y < y1; ++y) {
                auto* line = reinterpret_cast<QRgb*>(bits_ + y * stride_);
                for (int x = x0; x < x1; ++x) line[x] = pixel;
            }
        });
        return;
    }
    WalkLineRuns(from, to, wide, before, thickness, [&](int x0, int y0, int x1, int y1) {
        if (tracedWhole) {
            FillBox(x0, y0, x1, y1, color);
        } else {
            StrokeBox(x0, y0, x1, y1, color);
        }
    });
    if (tracedWhole && bits_ == nullptr) {
        // The band's middle lies half a pixel before the path when the
        // band is an even number of pixels across.
        const double across = (thickness - 1) / 2.0 - before;
        const bool alongX = std::abs(to.x() - from.x()) >= std::abs(to.y() - from.y());
        const QPointF shift = alongX ? QPointF(0, across) : QPointF(across, 0);
        UsePainterPen(color);
        painter_.drawLine(QPointF(from) + shift, QPointF(to) + shift);
    }
    if (wide) {
        // Round ends, so that lines meeting at a corner leave no notch.
        FillDisc(from.x() - before, from.y() - before, thickness, color);
        FillDisc(to.x() - before, to.y() - before, thickness, color);
    }
}

void DrawContext::Prefetch(int x, int y) const
{
    if (bits_ == nullptr) return;
    const int column = DeviceX(x);
    if (column < clipLeft_ || column >= clipRight_) return;
    // The row above, the row and the row below: a small dot's rows.
    for (int row = std::max(DeviceY(y) - 1, clipTop_); row <= std::min(DeviceY(y) + 1, clipBottom_ - 1); ++row)
        __builtin_prefetch(bits_ + row * stride_ + column * qsizetype{4}, 1);
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

void DrawContext::Polygon(const QPoint* points, int count)
{
    if (count < 2) {
        return;
    }
    if (brush_ && count >= 3 && scaled_) {
        ScaledPolygonFill(points, count);
    } else if (brush_ && count >= 3) {
        // On a printer, a small polygon stays in sight when the page is
        // shown small by a hairline along its middle row.
        std::optional<int> middle;
        if (bits_ == nullptr) {
            const auto [lowest, highest] = std::minmax_element(
                points, points + count, [](QPoint a, QPoint b) { return a.y() < b.y(); });
            middle = (lowest->y() + highest->y()) / 2;
        }
        FillPolygonRows(points, count, [&](int x0, int y0, int x1, int y1) {
            FillBox(x0, y0, x1, y1, brushShown_);
            if (y0 == middle) Hairline(QRect(x0, y0, x1 - x0, y1 - y0), brushShown_);
        });
    }
    for (int i = 0; i < count; ++i) {
        DrawLine(points[i], points[(i + 1) % count]);
    }
}

// ------------------------------------------------ high-density rasterising
//
// The same shapes at the image's own resolution. The box of a shape maps
// to device pixels edge by edge, so a shape covers the device pixels of the
// logical pixels it covers at 1x, with smoother edges inside.

// The rim is what lies between the ellipse of the box grown by the part of
// the pen outside the path and the one shrunk by the part inside; a
// one-pixel pen lies wholly inside the box, as at 1x.
void DrawContext::ScaledEllipse(int left, int top, int right, int bottom)
{
    const int boxLeft = DeviceX(left);
    const int boxTop = DeviceY(top);
    const int boxRight = DeviceX(right);
    const int boxBottom = DeviceY(bottom);
    const int outside = pen_ && penWidth_ > 1 ? (penWidth_ / 2) * unit_ : 0;
    const int inside = pen_ ? penWidth_ * unit_ - outside : 0;
    const int outerLeft = boxLeft - outside;
    const int outerTop = boxTop - outside;
    const int outerWidth = boxRight - boxLeft + 2 * outside;
    const int outerHeight = boxBottom - boxTop + 2 * outside;
    const int innerLeft = boxLeft + inside;
    const int innerTop = boxTop + inside;
    const int innerWidth = boxRight - boxLeft - 2 * inside;
    const int innerHeight = boxBottom - boxTop - 2 * inside;
    const bool oneColour = !pen_ || (brush_ && *pen_ == *brush_);
    if (oneColour) {
        if (!pen_ && !brush_) {
            return;
        }
        const QRgb colour = pen_ ? penShown_ : brushShown_;
        for (int row = 0; row < outerHeight; ++row) {
            const Span span = EllipseRow(outerWidth, outerHeight, row);
            FillDevice(outerLeft + span.begin, outerTop + row, outerLeft + span.end,
                       outerTop + row + 1, colour);
        }
        return;
    }
    const bool hasInside = innerWidth > 0 && innerHeight > 0;
    for (int row = 0; row < outerHeight; ++row) {
        const int y = outerTop + row;
        const Span rim = EllipseRow(outerWidth, outerHeight, row);
        const int rimBegin = outerLeft + rim.begin;
        const int rimEnd = outerLeft + rim.end;
        const int innerRow = y - innerTop;
        Span hole{0, 0};
        if (hasInside && innerRow >= 0 && innerRow < innerHeight) {
            hole = EllipseRow(innerWidth, innerHeight, innerRow);
        }
        if (hole.end <= hole.begin) {
            FillDevice(rimBegin, y, rimEnd, y + 1, penShown_);
            continue;
        }
        const int holeBegin = innerLeft + hole.begin;
        const int holeEnd = innerLeft + hole.end;
        FillDevice(rimBegin, y, holeBegin, y + 1, penShown_);
        FillDevice(holeEnd, y, rimEnd, y + 1, penShown_);
        if (brush_) {
            FillDevice(holeBegin, y, holeEnd, y + 1, brushShown_);
        }
    }
}

// A one-pixel pen is a band one logical pixel across, lying where the 1x
// line's pixels lie (right of and below the path) and stopping short of
// the end point; a wide pen is centred on the path with round ends.
void DrawContext::ScaledLine(QPoint from, QPoint to)
{
    const QRgb color = penShown_;
    const bool wide = penWidth_ > 1;
    const int thickness = penWidth_ * unit_;
    const int before = wide ? (penWidth_ / 2) * unit_ : 0;
    const QPoint a(DeviceX(from.x()), DeviceY(from.y()));
    const QPoint b(DeviceX(to.x()), DeviceY(to.y()));
    WalkLineRuns(a, b, wide, before, thickness, [&](int x0, int y0, int x1, int y1) {
        FillDevice(x0, y0, x1, y1, color);
    });
    if (wide) {
        for (const QPoint end : {a, b}) {
            for (int row = 0; row < thickness; ++row) {
                const Span span = EllipseRow(thickness, thickness, row);
                FillDevice(end.x() - before + span.begin, end.y() - before + row,
                           end.x() - before + span.end, end.y() - before + row + 1, color);
            }
        }
    }
}

void DrawContext::ScaledPolygonFill(const QPoint* points, int count)
{
    std::vector<QPoint> device(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        device[static_cast<std::size_t>(i)] = QPoint(DeviceX(points[i].x()), DeviceY(points[i].y()));
    }
    FillPolygonRows(device.data(), count, [&](int x0, int y0, int x1, int y1) {
        FillDevice(x0, y0, x1, y1, brushShown_);
    });
}

QSize DrawContext::TextExtent(const QString& text) const
{
    const QFontMetrics& metrics = Metrics();
    return QSize(TextWidth(text), metrics.ascent() + metrics.descent());
}

void DrawContext::TextOut(int x, int y, const QString& text)
{
    if (recordText_) {
        recorded_.push_back(
            TextCall{text, QPoint(x, y), font_, textShown_, backgroundShown_, opaqueText_});
    }
    const QFontMetrics& metrics = Metrics();
    KeptText& kept = KeptTextOf(widthsKey_, metrics, text);
    if (opaqueText_) {
        FillBox(x, y, x + kept.width, y + metrics.ascent() + metrics.descent(), backgroundShown_);
    }
    if (!painterFontCurrent_) {
        painter_.setFont(font_);
        painterFontCurrent_ = true;
    }
    UsePainterPen(textShown_);
    if (bits_ == nullptr || scaled_) {
        // A printer lays each text out for itself, and a kept layout drawn
        // through a scale places its glyphs a device pixel off now and then.
        painter_.drawText(QPoint(x, y + metrics.ascent()), text);
        return;
    }
    if (!kept.shaped) {
        kept.shaped.emplace(text);
        kept.shaped->setTextFormat(Qt::PlainText);
    }
    painter_.drawStaticText(QPoint(x, y), *kept.shaped);
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
    if (filter_ == ColorFilter::kNight) {
        CopyWith(QPainter::RasterOp_SourceAndDestination, x, y, NightMask(picture));
        return;
    }
    CopyWith(QPainter::RasterOp_SourceAndDestination, x, y, picture);
}

void DrawContext::CopyOr(int x, int y, const QImage& picture)
{
    // A bitwise OR of two dim reds can be a brighter red than either (96 |
    // 64 is 224): at night the picture's light is added as the brighter of
    // the two, which stays within the night reds.
    if (filter_ == ColorFilter::kNight) {
        CopyWith(QPainter::CompositionMode_Lighten, x, y, NightPicture(picture));
        return;
    }
    CopyWith(QPainter::RasterOp_SourceOrDestination, x, y, picture);
}

}  // namespace skyvane::render
