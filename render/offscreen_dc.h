// The surface every chart draws into. For a window it is an image the size
// of the target's clip box, filled with the target's background colour and
// copied to the target in one piece when the surface goes away, so a chart
// redrawn on every animation tick never shows half a frame. When the target
// is a widget whose painter writes into the window system's back buffer,
// which reaches the screen in one piece after the paint anyway, the surface
// is that back buffer itself. For a printer it draws straight onto the
// printer's painter.
//
// The image has the target's device pixel ratio: on a high-density screen
// the chart is drawn at the screen's resolution in the same logical
// coordinates.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

#include <optional>

#include "render/draw_context.h"

namespace skyvane::render {

enum class OutputKind { Window, Printer };

class COffscreenDC {
public:
    // `target` stays active and unchanged (apart from the final copy) for
    // the surface's lifetime.
    COffscreenDC(QPainter& target, OutputKind kind);
    ~COffscreenDC();

    COffscreenDC(const COffscreenDC&) = delete;
    COffscreenDC& operator=(const COffscreenDC&) = delete;

    DrawContext& dc() { return *dc_; }
    bool Buffered() const { return kind_ == OutputKind::Window; }
    // Whether the frame is drawn straight into the target's own image (a
    // window's back buffer or a picture) rather than into a copy of ours.
    bool Direct() const { return direct_; }
    // The target's area the surface covers, in the target's coordinates.
    QRect ClipBox() const { return clipBox_; }

private:
    QPainter& target_;
    OutputKind kind_;
    QRect clipBox_;
    QImage* image_ = nullptr;  // the thread's kept surface, or ownImage_
    std::optional<QImage> ownImage_;
    bool usesKeptSurface_ = false;
    bool direct_ = false;  // drawing straight into the target's own image
    QPainter imagePainter_;
    std::optional<DrawContext> dc_;
};

}  // namespace skyvane::render
