// A drawing context with the pixel rules the charts are laid out by: boxes
// whose right and bottom edges are exclusive, one-pixel solid pens, lines
// that stop one pixel short of their end point, text drawn opaque with its
// top-left corner at the given point, and AND / OR picture copies.
//
// Every shape is broken into horizontal spans of whole pixels here rather
// than handed to QPainter's rasteriser, so the pixels are ours to decide
// and do not move between Qt versions. Spans go straight into the image's
// memory when the context draws on an image of its own, and through
// QPainter::fillRect otherwise (a printer), where strokes and small shapes
// also get a hairline inside them that keeps them in sight when the page is
// shown scaled down (a print preview). Text and picture copies always go
// through QPainter.
//
// Colours pass through the context's colour filter (night mode) on their
// way to the pixels; what the context reports back (Pen, Brush, TextColor,
// BkColor) is always what was asked for, so a caller that saves and puts
// back a pen gets the same pixels.
//
// Coordinates are logical pixels. An image with a device pixel ratio above
// 1 (a high-density screen) gets every shape rasterised at its own
// resolution: a logical pixel is a block of device pixels, but ellipses,
// lines and texts are drawn with device-pixel edges, and a one-pixel pen is
// one logical pixel wide.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>
#include <QRgb>

#include <cmath>
#include <optional>
#include <vector>

#include "render/color_filter.h"

namespace skyvane::render {

// One text drawn through the context, as tests and the picking code read
// it back: what, where (the top-left corner asked for), in which font and
// colours.
struct TextCall {
    QString text;
    QPoint position;
    QFont font;
    QRgb color = 0;
    QRgb background = 0;
    bool opaque = true;  // whether the cell was filled with `background`
};

class DrawContext {
public:
    // Draws through `painter`, whose device shows logical point `origin` at
    // its pixel (0, 0). When `pixels` is given it must be the painter's own
    // device, a 32-bit image; shapes are then written into it directly.
    DrawContext(QPainter& painter, QPoint origin, QImage* pixels);
    // Draws into `pixels`, a 32-bit image that `painter` is already active
    // on and already maps logical points onto: logical (x, y) is device
    // pixel (x, y) x the image's device pixel ratio + `deviceOffset`.
    // Shapes stay inside `deviceClip`, in device pixels.
    DrawContext(QPainter& painter, QImage& pixels, QPoint deviceOffset, QRect deviceClip);

    // The colour filter starts as the thread's current one (see
    // ScopedColorFilter); setting another applies to the pen, brush and
    // colours already chosen too.
    void SetColorFilter(ColorFilter filter);
    ColorFilter Filter() const { return filter_; }

    // Device pixels per logical pixel: the image's device pixel ratio, 1
    // without an image of our own.
    double Scale() const { return scale_; }

    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;

    // Pens are solid and one pixel wide unless given a width; "no pen"
    // leaves outlines undrawn. A wider pen is centred on the path: its
    // lines have round ends that include the end point, and an ellipse's
    // rim reaches half the width outside its box and half inside.
    void SetPen(QRgb color, int width = 1)
    {
        pen_ = color;
        penShown_ = Shown(color);
        penWidth_ = width > 1 ? width : 1;
    }
    void SetNullPen() { pen_.reset(); }
    std::optional<QRgb> Pen() const { return pen_; }
    int PenWidth() const { return penWidth_; }
    // Solid brushes fill shapes inside their outline; "no brush" leaves the
    // inside untouched.
    void SetBrush(QRgb color)
    {
        brush_ = color;
        brushShown_ = Shown(color);
    }
    void SetNullBrush() { brush_.reset(); }
    std::optional<QRgb> Brush() const { return brush_; }

    void SetTextColor(QRgb color)
    {
        textColor_ = color;
        textShown_ = Shown(color);
    }
    QRgb TextColor() const { return textColor_; }
    void SetBkColor(QRgb color)
    {
        background_ = color;
        backgroundShown_ = Shown(color);
    }
    QRgb BkColor() const { return background_; }
    // Opaque texts (the default) fill their cell with the background colour
    // first; transparent ones leave what is drawn under them.
    void SetBkOpaque(bool opaque) { opaqueText_ = opaque; }
    bool BkOpaque() const { return opaqueText_; }
    // Makes `font` current and returns the one it replaces.
    QFont SelectFont(const QFont& font);
    const QFont& Font() const { return font_; }

    void SetPixel(int x, int y, QRgb color);
    // Fills columns left..right-1 of rows top..bottom-1; no pen involved.
    void FillSolidRect(int left, int top, int right, int bottom, QRgb color);
    // Outline in the pen on the box's first and last rows and columns,
    // the rest in the brush. Covers left..right-1 and top..bottom-1.
    void Rectangle(int left, int top, int right, int bottom);
    // The ellipse inscribed in the same box, right and bottom exclusive.
    void Ellipse(int left, int top, int right, int bottom);

    // Lines in the pen from the current position; the end point itself is
    // not drawn and becomes the current position.
    void MoveTo(int x, int y) { current_ = QPoint(x, y); }
    void LineTo(int x, int y);
    void Line(int x0, int y0, int x1, int y1);
    // A hint that the pixels about (x, y) are drawn soon: on our own pixels
    // their cache lines are asked for now. Draws nothing.
    void Prefetch(int x, int y) const;
    void Polyline(const QPoint* points, int count);
    // A closed polygon: the pixels whose centres lie inside (alternate
    // filling, as overlapping parts cancel) in the brush, then its edges in
    // the pen.
    void Polygon(const QPoint* points, int count);

    // The text with the top-left corner of its cell (ascent plus descent
    // high, as wide as its advances) at (x, y); the cell is first filled
    // with the background colour unless the context draws texts
    // transparently.
    void TextOut(int x, int y, const QString& text);
    // Width and height of the cell TextOut fills for `text`.
    QSize TextExtent(const QString& text) const;

    // Combine `picture` with what is already drawn, pixel by pixel, with its
    // top-left corner at (x, y): AND keeps only what is lit in both, OR
    // adds the picture's light.
    void CopyAnd(int x, int y, const QImage& picture);
    void CopyOr(int x, int y, const QImage& picture);

    // From the next text on, keep a TextCall per TextOut until told to stop.
    // Its colours are the ones drawn, after the colour filter.
    void SetRecordText(bool on) { recordText_ = on; }
    const std::vector<TextCall>& RecordedText() const { return recorded_; }
    void ClearRecordedText() { recorded_.clear(); }

private:
    void FillBox(int left, int top, int right, int bottom, QRgb color);
    // A box of a pen's stroke: filled, and on a printer traced by a hairline.
    void StrokeBox(int left, int top, int right, int bottom, QRgb color);
    // On a printer, a hairline along the middle of `box`; nothing on an
    // image of our own.
    void Hairline(const QRect& box, QRgb color);
    // The painter's pen in `color`, for texts and hairlines.
    void UsePainterPen(QRgb color);
    // Device pixel columns x0..x1-1 of rows y0..y1-1 of the image, clipped.
    void FillDevice(int x0, int y0, int x1, int y1, QRgb color);
    void UsePixels(QImage& pixels);
    int DeviceX(int x) const { return ToDevice(x - origin_.x()) + deviceOffset_.x(); }
    int DeviceY(int y) const { return ToDevice(y - origin_.y()) + deviceOffset_.y(); }
    int ToDevice(int v) const
    {
        return scaled_ ? static_cast<int>(std::floor(v * scale_ + 0.5)) : v;
    }
    void ScaledEllipse(int left, int top, int right, int bottom);
    void ScaledLine(QPoint from, QPoint to);
    void ScaledPolygonFill(const QPoint* points, int count);
    void DrawLine(QPoint from, QPoint to);
    void DrawWideLine(QPoint from, QPoint to);
    void FillDisc(int left, int top, int diameter, QRgb color);
    void WideEllipse(int left, int top, int right, int bottom);
    void CopyWith(QPainter::CompositionMode mode, int x, int y, const QImage& picture);
    QRgb Shown(QRgb color) const { return FilteredColor(filter_, color); }

    QPainter& painter_;
    QPoint origin_;
    uchar* bits_ = nullptr;
    qsizetype stride_ = 0;
    bool streamingFills_ = false;  // see FillDevice
    QPoint deviceOffset_;
    // Device pixels shapes may write: columns clipLeft_..clipRight_-1 and
    // rows clipTop_..clipBottom_-1.
    int clipLeft_ = 0;
    int clipTop_ = 0;
    int clipRight_ = 0;
    int clipBottom_ = 0;
    double scale_ = 1;
    bool scaled_ = false;
    int unit_ = 1;  // device pixels across a one-pixel pen

    ColorFilter filter_;
    // The colours asked for, and the ones drawn after the filter.
    std::optional<QRgb> pen_;
    QRgb penShown_ = 0;
    int penWidth_ = 1;
    std::optional<QRgb> brush_;
    QRgb brushShown_ = 0;
    QRgb textColor_;
    QRgb textShown_ = 0;
    QRgb background_;
    QRgb backgroundShown_ = 0;
    bool opaqueText_ = true;
    const QFontMetrics& Metrics() const;
    // The width of a text in the current font, as the metrics give it.
    int TextWidth(const QString& text) const;

    QFont font_;
    mutable std::optional<QFontMetrics> metrics_;
    mutable QString widthsKey_;  // set with metrics_
    bool painterFontCurrent_ = false;
    std::optional<QRgb> painterPen_;
    QPoint current_;

    bool recordText_ = false;
    std::vector<TextCall> recorded_;
};

}  // namespace skyvane::render
