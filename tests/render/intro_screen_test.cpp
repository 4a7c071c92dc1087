#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <string>

#include "render/chart_fonts.h"
#include "render/intro_screen.h"

namespace skyvane::render {
namespace {

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);

// A picture whose every pixel tells where in the picture it lies.
QImage CoordinatePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y, qRgb(x % 256, y % 256, 200));
        }
    }
    return picture;
}

QImage SolidPicture(int width, int height, QRgb color)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(color);
    return picture;
}

void PutPicture(skydata::SkyData& data, int slot, const std::string& name, const QImage& picture)
{
    skydata::PictureSlot& s = data.pictures.pictureSlots[static_cast<std::size_t>(slot)];
    s.name = name;
    s.picture = picture;
    s.size = {0, 0, picture.width(), picture.height()};
    s.present = 1;
}

// The window: an image painted through a painter whose own background is
// not black, as a widget's may be.
class Window {
public:
    Window(int width, int height) : image_(width, height, QImage::Format_RGB32)
    {
        image_.fill(qRgb(90, 90, 90));
    }
    void Draw(bool finished, const skydata::SkyData& data)
    {
        QPainter painter(&image_);
        painter.setBackground(QColor(255, 255, 255));
        DrawIntroScreen(painter, image_.height(), image_.width(), finished, data);
    }
    QRgb At(int x, int y) const { return image_.pixel(x, y) | 0xff000000u; }
    bool AnyLit(int left, int top, int right, int bottom) const
    {
        for (int y = std::max(top, 0); y < std::min(bottom, image_.height()); ++y) {
            for (int x = std::max(left, 0); x < std::min(right, image_.width()); ++x) {
                if (At(x, y) != kBlack) return true;
            }
        }
        return false;
    }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }

private:
    QImage image_;
};

QSize IntroTextSize(const char* text)
{
    const QFontMetrics metrics(ChartFont(ChartFontUse::IntroText));
    return {metrics.horizontalAdvance(QString::fromLatin1(text)), metrics.ascent() + metrics.descent()};
}

// The window opens at 1024 pixels wide: the credit line, maker, web site
// and contact address, ends inside it with room to spare.
TEST(IntroScreenTest, CreditLineFitsTheRestoredWindow)
{
    skydata::SkyData data;
    for (const int width : {1024, 1280}) {
        Window window(width, 750);
        window.Draw(false, data);
        const int creditY = window.Height() - 19;
        EXPECT_TRUE(window.AnyLit(240, creditY, 600, window.Height()));
        EXPECT_FALSE(window.AnyLit(width - 16, creditY, width, window.Height())) << width;
    }
}

TEST(IntroScreenTest, BeforeLoadingOnlyCreditAndLoadingShow)
{
    Window window(1000, 700);
    window.Draw(false, skydata::SkyData{});
    const int statusX = window.Width() - 250;
    const QSize loading = IntroTextSize("Loading ...");
    const QSize pressKey = IntroTextSize("Press any key to continue ...");

    EXPECT_TRUE(window.AnyLit(statusX, 20, statusX + loading.width(), 20 + loading.height()));
    // Nothing where the longer invitation would continue.
    EXPECT_FALSE(window.AnyLit(statusX + loading.width() + 2, 0, window.Width(), 60));
    EXPECT_FALSE(window.AnyLit(0, 0, statusX, 60));

    // The credit line starts at x = 240, 19 pixels above the bottom edge.
    const int creditY = window.Height() - 19;
    EXPECT_TRUE(window.AnyLit(240, creditY, window.Width(), window.Height()));
    EXPECT_FALSE(window.AnyLit(0, creditY, 240, window.Height()));
    // Everything else is black, the window's own grey and white included.
    EXPECT_FALSE(window.AnyLit(0, 60, window.Width(), creditY));
    EXPECT_GT(pressKey.width(), loading.width() + 10);
}

TEST(IntroScreenTest, FinishedIntroInvitesAKeyPress)
{
    Window window(1000, 700);
    window.Draw(true, skydata::SkyData{});
    const int statusX = window.Width() - 250;
    const QSize loading = IntroTextSize("Loading ...");
    const QSize pressKey = IntroTextSize("Press any key to continue ...");
    EXPECT_TRUE(window.AnyLit(statusX + loading.width() + 2, 20, statusX + pressKey.width(),
                              20 + pressKey.height()));
}

TEST(IntroScreenTest, PictureSitsCentredFivePixelsLow)
{
    skydata::SkyData data;
    data.introPictureName = "intro.bmp";
    data.pictures.pictureCount = 1;
    PutPicture(data, 0, "intro.bmp", SolidPicture(900, 600, kRed));
    Window window(1000, 700);
    window.Draw(true, data);

    const int left = 50;
    const int top = 55;
    EXPECT_EQ(window.At(left, top), kRed);
    EXPECT_EQ(window.At(left + 899, top + 599), kRed);
    EXPECT_EQ(window.At(left - 1, top), kBlack);
    EXPECT_EQ(window.At(left, top - 1), kBlack);
    EXPECT_EQ(window.At(left + 900, top + 599), kBlack);
    EXPECT_EQ(window.At(left + 899, top + 600), kBlack);
}

TEST(IntroScreenTest, SmallWindowClipsThePictureAtLeftAndTop)
{
    skydata::SkyData data;
    data.introPictureName = "intro";
    data.pictures.pictureCount = 1;
    PutPicture(data, 0, "intro", CoordinatePicture(900, 600));

    Window small(800, 500);  // origin (-50, -45)
    small.Draw(false, data);
    EXPECT_EQ(small.At(0, 0), qRgb(50, 45, 200));
    EXPECT_EQ(small.At(100, 100), qRgb(150, 145, 200));

    // One pixel short of the picture: the halves truncate toward zero, so
    // the origin is (0, 5), not (-1, 4).
    Window narrow(899, 599);
    narrow.Draw(false, data);
    EXPECT_EQ(narrow.At(0, 5), qRgb(0, 0, 200));
    EXPECT_EQ(narrow.At(0, 4), kBlack);
}

TEST(IntroScreenTest, PictureIsDrawnAtItsStoredSize)
{
    skydata::SkyData data;
    data.introPictureName = "intro";
    data.pictures.pictureCount = 1;
    PutPicture(data, 0, "intro", SolidPicture(900, 600, kRed));
    data.pictures.pictureSlots[0].size = {0, 0, 450, 300};
    Window window(1000, 700);
    window.Draw(false, data);
    EXPECT_EQ(window.At(50 + 449, 55 + 299), kRed);
    EXPECT_EQ(window.At(50 + 450, 55 + 100), kBlack);
    EXPECT_EQ(window.At(50 + 100, 55 + 300), kBlack);
}

TEST(IntroScreenTest, SearchEndsOneSlotPastThePictureCount)
{
    for (const auto& [slot, count, shown] :
         {std::tuple{2, 1, true}, {3, 1, false}, {4, 1, false}, {4, 3, true}, {14, 13, true},
          {14, 40, true}}) {
        SCOPED_TRACE(testing::Message() << "slot " << slot << " count " << count);
        skydata::SkyData data;
        data.introPictureName = "intro";
        data.pictures.pictureCount = count;
        PutPicture(data, slot, "intro", SolidPicture(900, 600, kRed));
        Window window(1000, 700);
        window.Draw(true, data);
        EXPECT_EQ(window.At(500, 300), shown ? kRed : kBlack);
    }
}

TEST(IntroScreenTest, EveryMatchingSlotIsDrawnInOrder)
{
    skydata::SkyData data;
    data.introPictureName = "intro";
    data.pictures.pictureCount = 3;
    PutPicture(data, 0, "intro", SolidPicture(900, 600, kRed));
    PutPicture(data, 1, "other", SolidPicture(900, 600, qRgb(0, 0, 255)));
    PutPicture(data, 2, "intro", SolidPicture(100, 100, kGreen));
    Window window(1000, 700);
    window.Draw(true, data);
    EXPECT_EQ(window.At(60, 60), kGreen);
    EXPECT_EQ(window.At(500, 300), kRed);
}

TEST(IntroScreenTest, MissingPictureLeavesTheScreenBlack)
{
    skydata::SkyData unnamed;
    PutPicture(unnamed, 0, "", SolidPicture(900, 600, kRed));  // empty name matches nothing
    skydata::SkyData mismatch;
    mismatch.introPictureName = "intro";
    PutPicture(mismatch, 0, "Intro", SolidPicture(900, 600, kRed));
    skydata::SkyData undecoded;
    undecoded.introPictureName = "intro";
    undecoded.pictures.pictureSlots[0].name = "intro";
    undecoded.pictures.pictureSlots[0].present = 1;
    undecoded.pictures.pictureSlots[0].size = {0, 0, 900, 600};

    for (const skydata::SkyData* data : {&unnamed, &mismatch, &undecoded}) {
        Window window(1000, 700);
        window.Draw(true, *data);
        EXPECT_FALSE(window.AnyLit(0, 60, 1000, 680));
    }
}

}  // namespace
}  // namespace skyvane::render
