// Decoding and drawing the data file's pictures, and the picture table.
#include <limits>

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "skydata/pictures.h"
#include "test_files.h"

namespace skyvane::skydata {
namespace {

using namespace testing;

struct HimetricCase {
    int himetric;
    int pixels;
};

class HimetricTest : public ::testing::TestWithParam<HimetricCase> {};

TEST_P(HimetricTest, NinetySixPixelsPerInchRoundedToNearest)
{
    EXPECT_EQ(HimetricToPixels(GetParam().himetric), GetParam().pixels);
}

// 2540 hundredths of a millimetre are one inch.
INSTANTIATE_TEST_SUITE_P(Cases, HimetricTest,
                         ::testing::Values(HimetricCase{2646, 100}, HimetricCase{2540, 96}, HimetricCase{0, 0},
                                           HimetricCase{13, 0}, HimetricCase{14, 1},  // 0.49 and 0.53 pixels
                                           HimetricCase{2659, 100}, HimetricCase{2660, 101},
                                           HimetricCase{23813, 900}, HimetricCase{-2646, -100}));

struct DecodeCase {
    std::string name;
    Bytes bytes;
    int width;  // of the decoded picture
    int height;
    IntRect size;  // as shown
};

class DecodePictureTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodePictureTest, SizeRectangleAtNinetySixDpi)
{
    QImage picture;
    IntRect size;
    ASSERT_TRUE(DecodePicture(GetParam().bytes, picture, size));
    EXPECT_EQ(picture.width(), GetParam().width);
    EXPECT_EQ(picture.height(), GetParam().height);
    EXPECT_EQ(size, GetParam().size);
}

constexpr std::int32_t k96Dpi = 3780;  // pixels per metre
constexpr std::int32_t k72Dpi = 2835;

INSTANTIATE_TEST_SUITE_P(
    Formats, DecodePictureTest,
    ::testing::Values(
        DecodeCase{"Gif", MakeGif(100, 50, 0xFF0000), 100, 50, {0, 0, 100, 50}},
        DecodeCase{"BmpWithoutResolution", MakeBmp(37, 21, 0x00FF00), 37, 21, {0, 0, 37, 21}},
        // 100 pixels at 3780 per metre are 2646 hundredths of a millimetre.
        DecodeCase{"BmpAt96Dpi", MakeBmp(100, 50, 0x00FF00, k96Dpi, k96Dpi), 100, 50, {0, 0, 100, 50}},
        // 72 by 36 pixels at 72 dpi are one by half an inch.
        DecodeCase{"BmpAt72Dpi", MakeBmp(72, 36, 0x00FF00, k72Dpi, k72Dpi), 72, 36, {0, 0, 96, 48}},
        DecodeCase{"BmpWithOneResolution", MakeBmp(72, 36, 0x00FF00, k72Dpi, 0), 72, 36, {0, 0, 96, 36}},
        DecodeCase{"BmpWithNegativeResolution", MakeBmp(72, 36, 0x00FF00, -k72Dpi, -1), 72, 36, {0, 0, 72, 36}}),
    [](const auto& info) { return info.param.name; });

Bytes Truncated(Bytes bytes, std::size_t length)
{
    bytes.resize(length);
    return bytes;
}

Bytes Png()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(data.begin(), data.end());
}

class UndecodablePictureTest : public ::testing::TestWithParam<Bytes> {};

TEST_P(UndecodablePictureTest, LeavesNoPictureAndTheSizeUnchanged)
{
    QImage picture(2, 2, QImage::Format_RGB32);
    IntRect size = {1, 2, 3, 4};
    EXPECT_FALSE(DecodePicture(GetParam(), picture, size));
    EXPECT_TRUE(picture.isNull());
    EXPECT_EQ(size, (IntRect{1, 2, 3, 4}));
}

// Only BMP and GIF are pictures here, even where the library reads more.
INSTANTIATE_TEST_SUITE_P(Damaged, UndecodablePictureTest,
                         ::testing::Values(Bytes{}, ToBytes("BM"), ToBytes("GIF89a"), ToBytes("not a picture"),
                                           Truncated(MakeBmp(8, 8, 0xFFFFFF), 30),
                                           Truncated(MakeGif(8, 8, 0xFFFFFF), 12), Png()));

class DrawPictureTest : public ::testing::Test {
protected:
    DrawPictureTest() : target(40, 40, QImage::Format_RGB32) { target.fill(Qt::black); }

    QColor At(int x, int y) const { return QColor(target.pixel(x, y)); }

    QImage target;
    QImage red = [] {
        QImage image(10, 10, QImage::Format_RGB32);
        image.fill(Qt::red);
        return image;
    }();
};

TEST_F(DrawPictureTest, TopLeftCornerAtThePoint)
{
    QPainter painter(&target);
    EXPECT_TRUE(DrawPicture(painter, 5, 7, red, {0, 0, 10, 10}));
    painter.end();
    EXPECT_EQ(At(5, 7), QColor(Qt::red));
    EXPECT_EQ(At(14, 16), QColor(Qt::red));
    EXPECT_EQ(At(4, 7), QColor(Qt::black));
    EXPECT_EQ(At(5, 6), QColor(Qt::black));
    EXPECT_EQ(At(15, 16), QColor(Qt::black));
    EXPECT_EQ(At(14, 17), QColor(Qt::black));
}

TEST_F(DrawPictureTest, StretchedToTheSizeRectangle)
{
    QPainter painter(&target);
    EXPECT_TRUE(DrawPicture(painter, 0, 0, red, {0, 0, 25, 5}));
    painter.end();
    EXPECT_EQ(At(24, 4), QColor(Qt::red));
    EXPECT_EQ(At(25, 4), QColor(Qt::black));
    EXPECT_EQ(At(24, 5), QColor(Qt::black));
}

TEST_F(DrawPictureTest, NegativeExtentIsNormalisedAndDrawnUpright)
{
    QImage twoTone(10, 10, QImage::Format_RGB32);
    twoTone.fill(Qt::red);
    for (int x = 0; x < 10; ++x) twoTone.setPixel(x, 0, qRgb(0, 0, 255));  // blue top row
    QPainter painter(&target);
    EXPECT_TRUE(DrawPicture(painter, 30, 30, twoTone, {0, 0, -10, -10}));
    painter.end();
    EXPECT_EQ(At(20, 20), QColor(Qt::blue));
    EXPECT_EQ(At(29, 29), QColor(Qt::red));
    EXPECT_EQ(At(30, 30), QColor(Qt::black));
}

TEST_F(DrawPictureTest, NothingToDrawReportsFailure)
{
    QPainter painter(&target);
    EXPECT_FALSE(DrawPicture(painter, 0, 0, QImage(), {0, 0, 10, 10}));
    painter.end();
    EXPECT_EQ(At(0, 0), QColor(Qt::black));
    QPainter inactive;
    EXPECT_FALSE(DrawPicture(inactive, 0, 0, red, {0, 0, 10, 10}));
}

TEST_F(DrawPictureTest, ExtentBeyondTheIntegerRangeIsRefused)
{
    QPainter painter(&target);
    EXPECT_FALSE(DrawPicture(painter, 10, 0, red, {0, 0, std::numeric_limits<std::int32_t>::max(), 10}));
    EXPECT_FALSE(DrawPicture(painter, -10, 0, red, {0, 0, std::numeric_limits<std::int32_t>::min(), 10}));
}

TEST(BuildPictureTableTest, DamagedPictureStillTakesItsSlot)
{
    DecodedDataFile file;
    file.slotNames[1] = "NOFILENAME";
    file.slotNames[2] = "broken.bmp";
    file.slotNames[3] = "fine.gif";
    file.pictures.push_back({2, "broken.bmp", ToBytes("BM broken")});
    file.pictures.push_back({3, "fine.gif", MakeGif(100, 50, 0xFF0000)});

    const PictureTable table = BuildPictureTable(file);
    EXPECT_EQ(table.pictureCount, 2);
    EXPECT_EQ(table.pictureSlots[1].name, "NOFILENAME");
    EXPECT_EQ(table.pictureSlots[1].present, 0);
    const PictureSlot& broken = table.pictureSlots[2];
    EXPECT_EQ(broken.name, "broken.bmp");
    EXPECT_EQ(broken.present, 1);
    EXPECT_TRUE(broken.picture.isNull());
    EXPECT_EQ(broken.size, IntRect{});
    const PictureSlot& fine = table.pictureSlots[3];
    EXPECT_EQ(fine.name, "fine.gif");
    EXPECT_EQ(fine.present, 1);
    EXPECT_FALSE(fine.picture.isNull());
    EXPECT_EQ(fine.size, (IntRect{0, 0, 100, 50}));
}

TEST(BuildPictureTableTest, ReleaseDropsThePicturesOfPresentSlots)
{
    DecodedDataFile file;
    file.slotNames[1] = "a.gif";
    file.pictures.push_back({1, "a.gif", MakeGif(3, 3, 0xFF0000)});
    PictureTable table = BuildPictureTable(file);
    ASSERT_FALSE(table.pictureSlots[1].picture.isNull());
    ReleasePictures(table);
    EXPECT_TRUE(table.pictureSlots[1].picture.isNull());
}

// A small data file must not inflate into gigabytes of pictures: sizes are
// read from the headers, and a picture too large on a side, or past what the
// table may hold, is left undecoded like a damaged one.
TEST(PictureLimitsTest, APictureLargerThan4096OnASideIsNotDecoded)
{
    for (const auto& [width, height] : {std::pair{5600, 5600}, std::pair{4097, 16}, std::pair{16, 4097}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        for (const Bytes& bytes : {MakeTinyGif(width, height), MakeRle8Bmp(width, height, 0x00FF00)}) {
            QImage picture;
            IntRect size{1, 2, 3, 4};
            EXPECT_FALSE(DecodePicture(bytes, picture, size));
            EXPECT_TRUE(picture.isNull());
            EXPECT_EQ(size, (IntRect{1, 2, 3, 4}));
        }
    }
    // The limit itself still decodes.
    QImage picture;
    IntRect size;
    ASSERT_TRUE(DecodePicture(MakeRle8Bmp(4096, 4096, 0x00FF00), picture, size));
    EXPECT_EQ(size, (IntRect{0, 0, 4096, 4096}));
}

TEST(PictureLimitsTest, TwelveHugeSingleColourGifsTakeTheirSlotsWithoutPictures)
{
    DecodedDataFile file;
    for (int i = 1; i <= 12; ++i) {
        const std::string name = "flood" + std::to_string(i) + ".gif";
        file.slotNames[i] = name;
        file.pictures.push_back({i, name, MakeTinyGif(5600, 5600)});
    }
    file.slotNames[13] = "intro.gif";
    file.pictures.push_back({13, "intro.gif", MakeGif(100, 50, 0xFF0000)});

    const PictureTable table = BuildPictureTable(file);
    EXPECT_EQ(table.pictureCount, 13);
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(table.pictureSlots[i].present, 1) << i;
        EXPECT_EQ(table.pictureSlots[i].name, "flood" + std::to_string(i) + ".gif");
        EXPECT_TRUE(table.pictureSlots[i].picture.isNull()) << i;
    }
    EXPECT_EQ(table.pictureSlots[13].size, (IntRect{0, 0, 100, 50}));
}

TEST(PictureLimitsTest, PicturesPastTheTableBudgetAreLeftUndecodedInDirectoryOrder)
{
    // 4096 x 4096 at 8 bits a pixel: 16 MiB each, so four fill 64 MiB.
    DecodedDataFile file;
    for (int i = 1; i <= 5; ++i) {
        const std::string name = "sky" + std::to_string(i) + ".bmp";
        file.slotNames[i] = name;
        file.pictures.push_back({i, name, MakeRle8Bmp(4096, 4096, 0x0000FF)});
    }
    file.slotNames[6] = "small.gif";
    file.pictures.push_back({6, "small.gif", MakeGif(4, 4, 0xFF0000)});

    const PictureTable table = BuildPictureTable(file);
    EXPECT_EQ(table.pictureCount, 6);
    std::int64_t decodedBytes = 0;
    for (int i = 1; i <= 4; ++i) {
        ASSERT_FALSE(table.pictureSlots[i].picture.isNull()) << i;
        decodedBytes += table.pictureSlots[i].picture.sizeInBytes();
    }
    EXPECT_LE(decodedBytes, kMaxPictureTableBytes);
    EXPECT_TRUE(table.pictureSlots[5].picture.isNull());
    EXPECT_EQ(table.pictureSlots[5].present, 1);
    // Nothing is left for even a small one once the budget is spent.
    EXPECT_TRUE(table.pictureSlots[6].picture.isNull());
}

}  // namespace
}  // namespace skyvane::skydata
