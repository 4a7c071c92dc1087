#include "render/offscreen_dc.h"

#include <QPaintDevice>

namespace skyvane::render {

namespace {

QRect ClipBoxOf(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    const QRect whole(0, 0, device->width(), device->height());
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

}  // namespace

COffscreenDC::COffscreenDC(QPainter& target, OutputKind kind)
    : target_(target), kind_(kind), clipBox_(ClipBoxOf(target))
{
    const QRgb background = target.background().color().rgb();
    if (kind_ == OutputKind::Printer) {
        target_.save();
        dc_.emplace(target_, QPoint(0, 0), nullptr);
    } else {
        KeptSurface& kept = ThreadSurface();
        if (!kept.inUse) {
            kept.inUse = usesKeptSurface_ = true;
            if (kept.image.size() != clipBox_.size())
                kept.image = QImage(clipBox_.size(), QImage::Format_RGB32);
            image_ = &kept.image;
        } else {
            image_ = &ownImage_.emplace(clipBox_.size(), QImage::Format_RGB32);
        }
        image_->fill(background);
        imagePainter_.begin(image_);
        dc_.emplace(imagePainter_, clipBox_.topLeft(), image_);
    }
    dc_->SetBkColor(background);
}

COffscreenDC::~COffscreenDC()
{
    dc_.reset();
    if (kind_ == OutputKind::Printer) {
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
