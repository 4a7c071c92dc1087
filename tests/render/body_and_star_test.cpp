#include <gtest/gtest.h>

#include <QFontInfo>

#include <cstdint>
#include <ostream>

#include "render/body_symbols.h"
#include "render/chart_fonts.h"
#include "render/display_preferences.h"
#include "render/star_marker.h"
#include "render_test_canvas.h"

namespace skyvane::render {
namespace {

using test::Canvas;
using test::kCanvasBlack;

// Glyph rows written out independently of the drawing code's table, most
// significant bit leftmost.
struct GlyphCase {
    int body;
    QRgb color;
    std::uint8_t rows[8];
};
const GlyphCase kGlyphCases[] = {
    {0, qRgb(255, 255, 0), {0x3C, 0x42, 0x81, 0x99, 0x99, 0x81, 0x42, 0x3C}},
    {4, qRgb(200, 40, 40), {0x00, 0x1E, 0x0E, 0x1A, 0x78, 0xCC, 0xCC, 0x78}},
    {6, qRgb(255, 255, 128), {0xE0, 0x40, 0x58, 0x64, 0x44, 0x48, 0x4A, 0x44}},
    {10, qRgb(255, 255, 255), {0x70, 0x28, 0x14, 0x14, 0x14, 0x14, 0x28, 0x70}},
};

void PrintTo(const GlyphCase& glyph, std::ostream* os)
{
    *os << "body " << glyph.body;
}

bool CellSet(const GlyphCase& glyph, int row, int column)
{
    return ((glyph.rows[row] >> (7 - column)) & 1) != 0;
}

class BodyGlyphTest : public ::testing::TestWithParam<GlyphCase> {};

TEST_P(BodyGlyphTest, SmallModePutsEachCellOnOnePixelFromFourUpAndLeft)
{
    const GlyphCase& glyph = GetParam();
    Canvas canvas;
    const int x = 50;
    const int y = 40;
    DrawBodySymbol(canvas.dc(), glyph.body, x, y, kPlanetModeSmallSymbols);
    // The 8 x 8 glyph and a one-pixel frame around it that must stay clear.
    for (int i = -1; i <= 8; ++i) {
        for (int j = -1; j <= 8; ++j) {
            const bool inside = i >= 0 && i < 8 && j >= 0 && j < 8;
            const QRgb expected =
                inside && CellSet(glyph, i, j) ? glyph.color : kCanvasBlack;
            EXPECT_EQ(canvas.At(x - 4 + j, y - 4 + i), expected) << "row " << i << " col " << j;
        }
    }
}

TEST_P(BodyGlyphTest, BigModePutsEachCellOnATwoByTwoBlockFromNineUpAndLeft)
{
    const GlyphCase& glyph = GetParam();
    Canvas canvas;
    const int x = 60;
    const int y = 50;
    DrawBodySymbol(canvas.dc(), glyph.body, x, y, kPlanetModeBigSymbols);
    for (int py = y - 10; py <= y + 7; ++py) {
        for (int px = x - 10; px <= x + 7; ++px) {
            const int i = (py - (y - 9));
            const int j = (px - (x - 9));
            const bool inside = i >= 0 && i < 16 && j >= 0 && j < 16;
            const QRgb expected =
                inside && CellSet(glyph, i / 2, j / 2) ? glyph.color : kCanvasBlack;
            EXPECT_EQ(canvas.At(px, py), expected) << px << "," << py;
        }
    }
}

TEST_P(BodyGlyphTest, DotModeIsASixPixelDiscInTheBodyColour)
{
    const GlyphCase& glyph = GetParam();
    Canvas canvas;
    const int x = 30;
    const int y = 30;
    DrawBodySymbol(canvas.dc(), glyph.body, x, y, kPlanetModeDots);
    EXPECT_EQ(canvas.At(x, y), glyph.color);
    EXPECT_EQ(canvas.At(x - 3, y), glyph.color);
    EXPECT_EQ(canvas.At(x, y - 3), glyph.color);
    EXPECT_EQ(canvas.At(x + 2, y), glyph.color);
    EXPECT_EQ(canvas.At(x, y + 2), glyph.color);
    EXPECT_EQ(canvas.At(x + 3, y), kCanvasBlack);  // box ends at x + 3, exclusive
    EXPECT_EQ(canvas.At(x, y + 3), kCanvasBlack);
    EXPECT_EQ(canvas.At(x - 3, y - 3), kCanvasBlack);  // a disc, not a square
    // The dot's pen and brush stay selected afterwards.
    EXPECT_EQ(canvas.dc().Pen(), glyph.color);
    EXPECT_EQ(canvas.dc().Brush(), glyph.color);
}

INSTANTIATE_TEST_SUITE_P(SunMarsSaturnMoon, BodyGlyphTest, ::testing::ValuesIn(kGlyphCases));

TEST(BodyTables, ColoursOfTheBodiesAndBlackOutsideTheTable)
{
    EXPECT_EQ(BodyColor(1), qRgb(255, 0, 0));
    EXPECT_EQ(BodyColor(2), qRgb(0, 255, 0));
    EXPECT_EQ(BodyColor(3), qRgb(0, 0, 255));
    EXPECT_EQ(BodyColor(5), qRgb(255, 160, 80));
    EXPECT_EQ(BodyColor(7), qRgb(160, 120, 120));
    EXPECT_EQ(BodyColor(8), qRgb(128, 128, 255));
    EXPECT_EQ(BodyColor(9), qRgb(20, 20, 200));
    EXPECT_EQ(BodyColor(11), qRgb(0, 0, 0));
    EXPECT_EQ(BodyColor(-1), qRgb(0, 0, 0));
}

TEST(BodyTables, JupiterGlyphRowsAsCells)
{
    // 32 = ..XX..X. and 7F = .XXXXXXX
    const BodyGlyph& jupiter = BodySymbols[5];
    const int row0[8] = {0, 0, 1, 1, 0, 0, 1, 0};
    const int row5[8] = {0, 1, 1, 1, 1, 1, 1, 1};
    for (int j = 0; j < 8; ++j) {
        EXPECT_EQ(jupiter[j], row0[j]) << j;
        EXPECT_EQ(jupiter[5 * 8 + j], row5[j]) << j;
    }
}

TEST(BodyTables, UnknownBodyOrModeDrawsNothing)
{
    Canvas canvas(40, 40);
    DrawBodySymbol(canvas.dc(), 11, 20, 20, kPlanetModeBigSymbols);
    DrawBodySymbol(canvas.dc(), 0, 20, 20, 3);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            ASSERT_EQ(canvas.At(x, y), kCanvasBlack) << x << "," << y;
        }
    }
}

// Star size classes from the magnitude, later rules overriding earlier ones.
TEST(StarSizeClass, BoundariesOfEachClass)
{
    constexpr int kWide = 1200;
    EXPECT_EQ(StarSizeClass(4.9, kWide), 0);
    EXPECT_EQ(StarSizeClass(7.5, kWide), 0);
    EXPECT_EQ(StarSizeClass(4.89, kWide), 1);
    EXPECT_EQ(StarSizeClass(3.0, kWide), 1);
    EXPECT_EQ(StarSizeClass(2.99, kWide), 2);
    EXPECT_EQ(StarSizeClass(2.0, kWide), 2);
    EXPECT_EQ(StarSizeClass(1.99, kWide), 3);
    EXPECT_EQ(StarSizeClass(-1.46, kWide), 3);
    EXPECT_EQ(StarSizeClass(-4.99, kWide), 3);
    EXPECT_EQ(StarSizeClass(-5.0, kWide), 0);
}

TEST(StarSizeClass, NarrowWindowsShowTheBrightestOneClassSmaller)
{
    EXPECT_EQ(StarSizeClass(1.99, 1199), 2);
    EXPECT_EQ(StarSizeClass(-1.46, 800), 2);
    EXPECT_EQ(StarSizeClass(2.5, 800), 2);
    EXPECT_EQ(StarSizeClass(3.5, 800), 1);
}

TEST(SpectralColor, FirstCharacterPicksTheColour)
{
    EXPECT_EQ(SpectralColor("B8"), qRgb(128, 128, 255));
    EXPECT_EQ(SpectralColor("A0V"), qRgb(146, 255, 208));
    EXPECT_EQ(SpectralColor("F5IV"), qRgb(255, 255, 170));
    EXPECT_EQ(SpectralColor("G2V"), qRgb(255, 255, 0));
    EXPECT_EQ(SpectralColor("K0III"), qRgb(255, 225, 60));
    EXPECT_EQ(SpectralColor("M2Iab"), qRgb(246, 116, 52));
    EXPECT_EQ(SpectralColor("O9"), qRgb(212, 52, 246));
}

TEST(SpectralColor, AnythingElseIsWhite)
{
    const QRgb white = qRgb(255, 255, 255);
    EXPECT_EQ(SpectralColor(""), white);
    EXPECT_EQ(SpectralColor(" G2"), white);
    EXPECT_EQ(SpectralColor("g2"), white);
    EXPECT_EQ(SpectralColor("WC8"), white);
}

TEST(StarMarker, FaintStarIsOneGreyPixelWhateverItsColour)
{
    Canvas canvas;
    const skydata::IntRect click = DrawStarMarker(canvas.dc(), 20, 30, 0, qRgb(0, 0, 255));
    EXPECT_EQ(canvas.At(20, 30), qRgb(200, 200, 200));
    EXPECT_EQ(canvas.At(21, 30), kCanvasBlack);
    EXPECT_EQ(canvas.At(19, 30), kCanvasBlack);
    EXPECT_EQ(canvas.At(20, 29), kCanvasBlack);
    EXPECT_EQ(canvas.At(20, 31), kCanvasBlack);
    EXPECT_EQ(click, (skydata::IntRect{18, 28, 22, 32}));
}

TEST(StarMarker, ClassOneIsATwoPixelSquareUpAndLeftOfThePosition)
{
    Canvas canvas;
    const QRgb yellow = SpectralColor("G2V");
    const skydata::IntRect click = DrawStarMarker(canvas.dc(), 40, 40, 1, yellow);
    EXPECT_EQ(canvas.At(39, 39), yellow);
    EXPECT_EQ(canvas.At(40, 40), yellow);
    EXPECT_EQ(canvas.At(41, 40), kCanvasBlack);
    EXPECT_EQ(canvas.At(40, 41), kCanvasBlack);
    EXPECT_EQ(canvas.At(38, 40), kCanvasBlack);
    EXPECT_EQ(click, (skydata::IntRect{39, 39, 41, 41}));
}

TEST(StarMarker, ClassesTwoAndThreeAreDiscsOfThatRadius)
{
    for (int sizeClass = 2; sizeClass <= 3; ++sizeClass) {
        Canvas canvas;
        const QRgb blue = SpectralColor("B1");
        const int x = 50;
        const int y = 50;
        const skydata::IntRect click = DrawStarMarker(canvas.dc(), x, y, sizeClass, blue);
        EXPECT_EQ(canvas.At(x, y), blue) << sizeClass;
        EXPECT_EQ(canvas.At(x - sizeClass, y), blue) << sizeClass;
        EXPECT_EQ(canvas.At(x, y - sizeClass), blue) << sizeClass;
        EXPECT_EQ(canvas.At(x + sizeClass - 1, y), blue) << sizeClass;
        EXPECT_EQ(canvas.At(x + sizeClass, y), kCanvasBlack) << sizeClass;
        EXPECT_EQ(canvas.At(x, y + sizeClass), kCanvasBlack) << sizeClass;
        EXPECT_EQ(canvas.At(x - sizeClass, y - sizeClass), kCanvasBlack) << sizeClass;
        EXPECT_EQ(click, (skydata::IntRect{x - sizeClass, y - sizeClass, x + sizeClass,
                                           y + sizeClass}));
    }
}

TEST(StarMarker, CallersPenAndBrushComeBack)
{
    Canvas canvas;
    canvas.dc().SetPen(qRgb(1, 2, 3));
    canvas.dc().SetNullBrush();
    DrawStarMarker(canvas.dc(), 10, 10, 3, qRgb(255, 255, 255));
    EXPECT_EQ(canvas.dc().Pen(), qRgb(1, 2, 3));
    EXPECT_FALSE(canvas.dc().Brush().has_value());
}

// The font table resolves through fontconfig to the metric-compatible faces.
TEST(ChartFonts, FacesCellHeightsAndWeights)
{
    struct Case {
        ChartFontUse use;
        int cellHeight;
        bool bold;
    };
    const Case cases[] = {
        {ChartFontUse::HorizontalCaption, 24, false}, {ChartFontUse::ChartText, 16, true},
        {ChartFontUse::HeliocentricCaption, 28, false}, {ChartFontUse::GeocentricCaption, 24, false},
        {ChartFontUse::IntroText, 17, false},
    };
    for (const Case& c : cases) {
        const QFont& font = ChartFont(c.use);
        const QFontMetrics metrics(font);
        EXPECT_LE(metrics.ascent() + metrics.descent(), c.cellHeight) << c.cellHeight;
        EXPECT_GE(metrics.ascent() + metrics.descent(), c.cellHeight - 2) << c.cellHeight;
        EXPECT_EQ(font.bold(), c.bold) << c.cellHeight;
        EXPECT_EQ(font.styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);
    }
    EXPECT_EQ(QFontInfo(ChartFont(ChartFontUse::HorizontalCaption)).family(),
              QStringLiteral("Liberation Serif"));
    EXPECT_EQ(QFontInfo(ChartFont(ChartFontUse::IntroText)).family(),
              QStringLiteral("Liberation Sans"));
}

TEST(DisplayPreferences, DefaultRecordHoldsTheFirstRunValues)
{
    const DisplayPreferences firstRun;
    EXPECT_EQ(firstRun.eastWestSign, 1);  // west left, east right
    EXPECT_TRUE(firstRun.northAtZero);
    EXPECT_EQ(firstRun.planetMode, 1);  // small symbols
    EXPECT_EQ(firstRun.showConstellations, 1);
    EXPECT_EQ(firstRun.starsVisibleMode, 0);  // only when really visible
    EXPECT_EQ(firstRun.noStars, 0);
    EXPECT_EQ(firstRun.starColor, 0);  // white
}

}  // namespace
}  // namespace skyvane::render
