#include "render/offscreen_dc.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <optional>

namespace skyvane::render {

namespace {

// The target's size in logical pixels: a widget measures itself so, an
// image or a pixmap in its own pixels.
QSize LogicalSizeOf(const QPaintDevice& device)
{
    const int type = device.devType();
    const double ratio = device.devicePixelRatio();
    if ((type == QInternal::Image || type == QInternal::Pixmap) && ratio > 0 && ratio != 1) {
        return QSize(static_cast<int>(std::ceil(device.width() / ratio)),
                     static_cast<int>(std::ceil(device.height() / ratio)));
    }
    return QSize(device.width(), device.height());
}

QRect ClipBoxOf(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    const QRect whole(QPoint(0, 0), LogicalSizeOf(*device));
    if (!painter.hasClipping()) {
        return whole;
    }
    return painter.clipBoundingRect().toAlignedRect() & whole;
}

// One window surface per thread is kept from frame to frame: allocating a
// fresh window-sized image for every animation tick costs more than drawing
// the heliocentric chart itself. A second surface alive at the same time on
// the same thread gets an image of its own.
struct KeptSurface {
    QImage image;
    bool inUse = false;
};

KeptSurface& ThreadSurface()
{
    thread_local KeptSurface surface;
    return surface;
}

// A window's painter writes into the window system's back buffer, an image
// that is itself copied to the screen in one piece once the paint is over:
// drawing straight into it shows no half frame either, and saves copying
// the whole frame once more. That is done when the back buffer is a 32-bit
// image nobody else shares, reached through a whole-pixel scale and
// offset, and clipped (if at all) to one rectangle. Other targets (a
// picture being drawn) get the copy.
struct DirectTarget {
    QImage* image = nullptr;
    QPoint offset;
    QRect clip;
};

std::optional<DirectTarget> DirectTargetOf(QPainter& painter, const QRect& clipBox)
{
    if (painter.device() == nullptr || painter.device()->devType() != QInternal::Widget)
        return std::nullopt;
    QPaintEngine* engine = painter.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster) return std::nullopt;
    QPaintDevice* device = engine->paintDevice();
    if (device == nullptr || device->devType() != QInternal::Image) return std::nullopt;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) ||
        !image->isDetached())
        return std::nullopt;
    const QTransform t = painter.deviceTransform();
    const double ratio = image->devicePixelRatio();
    if (t.type() > QTransform::TxScale || t.m11() != ratio || t.m22() != ratio ||
        ratio != std::floor(ratio) || t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()))
        return std::nullopt;
    if (painter.hasClipping() && painter.clipRegion().rectCount() > 1) return std::nullopt;
    QRect clip = t.mapRect(clipBox) & image->rect();
    const QRegion system = engine->systemClip();
    if (!system.isEmpty()) {
        if (system.rectCount() > 1) return std::nullopt;
        clip &= system.boundingRect();
    }
    return DirectTarget{image, QPoint(static_cast<int>(t.dx()), static_cast<int>(t.dy())), clip};
}

}  // namespace

COffscreenDC::COffscreenDC(QPainter& target, OutputKind kind)
    : target_(target), kind_(kind), clipBox_(ClipBoxOf(target))
{
    const QRgb background = target.background().color().rgb();
    const std::optional<DirectTarget> direct =
        kind_ == OutputKind::Window ? DirectTargetOf(target, clipBox_) : std::nullopt;
    if (kind_ == OutputKind::Printer) {
        target_.save();
        dc_.emplace(target_, QPoint(0, 0), nullptr);
    } else if (direct) {
        direct_ = true;
        target_.save();
        dc_.emplace(target_, *direct->image, direct->offset, direct->clip);
    } else {
        // Drawn at the target's own resolution: on a high-density screen
        // the texts, lines and markers are sharp, not a doubled 1x picture.
        const double ratio = std::max(1.0, target.device()->devicePixelRatio());
        const QSize pixels(static_cast<int>(std::ceil(clipBox_.width() * ratio)),
                           static_cast<int>(std::ceil(clipBox_.height() * ratio)));
        KeptSurface& kept = ThreadSurface();
        if (!kept.inUse) {
            kept.inUse = usesKeptSurface_ = true;
            if (kept.image.size() != pixels)
                kept.image = QImage(pixels, QImage::Format_RGB32);
            image_ = &kept.image;
        } else {
            image_ = &ownImage_.emplace(pixels, QImage::Format_RGB32);
        }
        image_->setDevicePixelRatio(ratio);
        imagePainter_.begin(image_);
        dc_.emplace(imagePainter_, clipBox_.topLeft(), image_);
    }
    // Through the context, so in its colour filter (night mode's red).
    if (kind_ == OutputKind::Window)
        dc_->FillSolidRect(clipBox_.left(), clipBox_.top(), clipBox_.left() + clipBox_.width(),
                           clipBox_.top() + clipBox_.height(), background);
    dc_->SetBkColor(background);
}

COffscreenDC::~COffscreenDC()
{
    dc_.reset();
    if (kind_ == OutputKind::Printer || direct_) {
        target_.restore();
        return;
    }
    imagePainter_.end();
    target_.save();
    target_.setCompositionMode(QPainter::CompositionMode_Source);
    target_.drawImage(clipBox_.topLeft(), *image_);
    target_.restore();
    if (usesKeptSurface_)
        ThreadSurface().inUse = false;
}

}  // namespace skyvane::render
