#include "render/intro_screen.h"

#include <QImage>
#include <QRgb>

#include <algorithm>

#include "render/chart_fonts.h"
#include "render/offscreen_dc.h"
#include "skydata/pictures.h"

namespace skyvane::render {

namespace {

constexpr QRgb kBackground = qRgb(0, 0, 0);
constexpr QRgb kTextColor = qRgb(255, 255, 255);

constexpr int kCreditX = 240;
constexpr int kCreditBottomOffset = 19;  // from the window's bottom edge
// Starts 240 pixels in: it must end inside the window's restored width of
// 1024 pixels.
constexpr const char* kCreditText =
    "Skyvane planetarium by the Skyvane developers - "
    "http://skyvane.invalid - info@skyvane.invalid";

constexpr int kStatusRightOffset = 250;  // from the window's right edge
constexpr int kStatusY = 20;
constexpr const char* kLoadingText = "Loading ...";
constexpr const char* kContinueText = "Press any key to continue ...";

// The picture is laid out for 900 x 600 pixels and sits centred, 5 pixels
// below the exact centre.
constexpr int kPictureWidth = 900;
constexpr int kPictureHeight = 600;
constexpr int kPictureDropY = 5;

// Pictures larger than this are a broken data file, not an intro picture.
constexpr int kMaxPictureSide = 16384;

// The drawing context has no stretching copy of its own: stretch the picture
// the way the picture table draws it, onto black, and put it in place as a
// plain copy (clear the box, then OR the picture in).
void CopyPicture(DrawContext& dc, int x, int y, const skydata::PictureSlot& slot)
{
    const int width = slot.size.right;
    const int height = slot.size.bottom;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) return;
    QImage stretched(width, height, QImage::Format_RGB32);
    stretched.fill(kBackground);
    {
        QPainter painter(&stretched);
        if (!skydata::DrawPicture(painter, 0, 0, slot.picture, slot.size)) return;
    }
    dc.FillSolidRect(x, y, x + width, y + height, kBackground);
    dc.CopyOr(x, y, stretched);
}

}  // namespace

void DrawIntroScreen(QPainter& target, int height, int width, bool introFinished,
                     const skydata::SkyData& data)
{
    COffscreenDC surface(target, OutputKind::Window);
    DrawContext& dc = surface.dc();
    const QRect box = surface.ClipBox();
    dc.FillSolidRect(box.left(), box.top(), box.right() + 1, box.bottom() + 1, kBackground);
    dc.SetBkColor(kBackground);

    const QFont previousFont = dc.SelectFont(ChartFont(ChartFontUse::IntroText));
    dc.SetTextColor(kTextColor);
    TextOutString(dc, kCreditX, height - kCreditBottomOffset, QString::fromLatin1(kCreditText));
    TextOutString(dc, width - kStatusRightOffset, kStatusY,
                  QString::fromLatin1(introFinished ? kContinueText : kLoadingText));

    if (!data.introPictureName.empty()) {
        const int left = (width - kPictureWidth) / 2;
        const int top = (height - kPictureHeight) / 2 + kPictureDropY;
        // The search runs one slot past the pictures the load counted, and
        // never past the table.
        const int lastSlot = std::min(data.pictures.pictureCount + 1,
                                      static_cast<int>(data.pictures.pictureSlots.size()) - 1);
        for (int i = 0; i <= lastSlot; ++i) {
            const skydata::PictureSlot& slot = data.pictures.pictureSlots[static_cast<std::size_t>(i)];
            if (slot.name == data.introPictureName && !slot.picture.isNull()) {
                CopyPicture(dc, left, top, slot);
            }
        }
    }

    dc.SelectFont(previousFont);
}

}  // namespace skyvane::render
