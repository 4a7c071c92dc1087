#include "render/draw_context.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

#include "render/chart_fonts.h"
#include "render/offscreen_dc.h"
#include "render_test_canvas.h"

namespace skyvane::render {
namespace {

using test::Canvas;
using test::kCanvasBlack;

constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kWhite = qRgb(255, 255, 255);

// Boxes: the right column and bottom row named by a rectangle are outside it.

TEST(DrawContextEdges, RectangleStopsBeforeRightAndBottom)
{
    Canvas canvas;
    canvas.dc().SetPen(kRed);
    canvas.dc().SetBrush(kGreen);
    canvas.dc().Rectangle(10, 20, 15, 24);
    EXPECT_EQ(canvas.At(10, 20), kRed);
    EXPECT_EQ(canvas.At(14, 23), kRed);  // last column and row inside
    EXPECT_EQ(canvas.At(12, 21), kGreen);
    EXPECT_EQ(canvas.At(15, 22), kCanvasBlack);
    EXPECT_EQ(canvas.At(12, 24), kCanvasBlack);
    EXPECT_EQ(canvas.At(9, 22), kCanvasBlack);
    EXPECT_EQ(canvas.At(12, 19), kCanvasBlack);
}

TEST(DrawContextEdges, EllipseFitsInsideItsBoxWithExclusiveRightAndBottom)
{
    Canvas canvas;
    canvas.dc().SetPen(kRed);
    canvas.dc().SetBrush(kGreen);
    canvas.dc().Ellipse(10, 10, 20, 20);
    // Widest row and column touch the box's left/top and its right-1/bottom-1.
    EXPECT_EQ(canvas.At(10, 15), kRed);
    EXPECT_EQ(canvas.At(19, 15), kRed);
    EXPECT_EQ(canvas.At(15, 10), kRed);
    EXPECT_EQ(canvas.At(15, 19), kRed);
    EXPECT_EQ(canvas.At(20, 15), kCanvasBlack);
    EXPECT_EQ(canvas.At(15, 20), kCanvasBlack);
    // Round, not square: the box's corners stay clear; inside is the brush.
    EXPECT_EQ(canvas.At(10, 10), kCanvasBlack);
    EXPECT_EQ(canvas.At(19, 19), kCanvasBlack);
    EXPECT_EQ(canvas.At(15, 15), kGreen);
}

TEST(DrawContextEdges, TwoPixelEllipseIsASquare)
{
    Canvas canvas;
    canvas.dc().SetPen(kBlue);
    canvas.dc().Ellipse(30, 30, 32, 32);
    for (int y = 30; y < 32; ++y) {
        for (int x = 30; x < 32; ++x) {
            EXPECT_EQ(canvas.At(x, y), kBlue) << x << "," << y;
        }
    }
    EXPECT_EQ(canvas.At(32, 31), kCanvasBlack);
    EXPECT_EQ(canvas.At(31, 32), kCanvasBlack);
}

TEST(DrawContextEdges, NullBrushLeavesTheInsideAlone)
{
    Canvas canvas;
    canvas.dc().SetPen(kWhite);
    canvas.dc().SetNullBrush();
    canvas.dc().Ellipse(40, 40, 60, 60);
    EXPECT_EQ(canvas.At(50, 50), kCanvasBlack);
    EXPECT_EQ(canvas.At(40, 50), kWhite);
}

// Lines are one pixel wide and leave out their end point.

TEST(DrawContextLines, EndPointIsNotDrawn)
{
    Canvas canvas;
    canvas.dc().SetPen(kRed);
    canvas.dc().Line(5, 5, 15, 5);
    EXPECT_EQ(canvas.At(5, 5), kRed);
    EXPECT_EQ(canvas.At(14, 5), kRed);
    EXPECT_EQ(canvas.At(15, 5), kCanvasBlack);
    EXPECT_EQ(canvas.At(10, 4), kCanvasBlack);  // one pixel wide
    EXPECT_EQ(canvas.At(10, 6), kCanvasBlack);

    canvas.dc().Line(40, 30, 40, 20);  // drawn upwards
    EXPECT_EQ(canvas.At(40, 30), kRed);
    EXPECT_EQ(canvas.At(40, 21), kRed);
    EXPECT_EQ(canvas.At(40, 20), kCanvasBlack);

    canvas.dc().Line(60, 60, 65, 65);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(canvas.At(60 + i, 60 + i), kRed) << i;
    }
    EXPECT_EQ(canvas.At(65, 65), kCanvasBlack);
    EXPECT_EQ(canvas.At(61, 60), kCanvasBlack);
}

TEST(DrawContextLines, ShallowLineHasOnePixelPerColumn)
{
    Canvas canvas;
    canvas.dc().SetPen(kGreen);
    canvas.dc().Line(10, 50, 40, 57);
    for (int x = 10; x < 40; ++x) {
        int lit = 0;
        for (int y = 45; y < 62; ++y) {
            lit += canvas.At(x, y) == kGreen ? 1 : 0;
        }
        EXPECT_EQ(lit, 1) << "column " << x;
    }
    EXPECT_EQ(canvas.At(40, 57), kCanvasBlack);
}

TEST(DrawContextLines, PolylineDrawsInnerCornersAndLeavesTheLastPoint)
{
    Canvas canvas;
    canvas.dc().SetPen(kWhite);
    const QPoint points[] = {{10, 10}, {20, 10}, {20, 20}};
    canvas.dc().Polyline(points, 3);
    EXPECT_EQ(canvas.At(20, 10), kWhite);
    EXPECT_EQ(canvas.At(20, 19), kWhite);
    EXPECT_EQ(canvas.At(20, 20), kCanvasBlack);
}

TEST(DrawContextLines, NothingOutsideTheImageIsTouched)
{
    Canvas canvas(50, 40);
    canvas.dc().SetPen(kRed);
    canvas.dc().Line(-20, 10, 80, 10);  // clipped, no crash
    EXPECT_EQ(canvas.At(0, 10), kRed);
    EXPECT_EQ(canvas.At(49, 10), kRed);
    EXPECT_EQ(canvas.At(25, 11), kCanvasBlack);
    // The whole image lies inside this ring, so nothing of it shows.
    canvas.dc().SetNullBrush();
    canvas.dc().Ellipse(-100, -100, 300, 300);
    EXPECT_EQ(canvas.At(25, 20), kCanvasBlack);
    EXPECT_EQ(canvas.At(0, 0), kCanvasBlack);
}

// Wide pens: a band of the pen's width centred on the path, with round
// ends that cover the end point, so frames close without notches.

TEST(DrawContextWidePens, LineIsABandAcrossItsPathWithRoundEnds)
{
    Canvas canvas;
    canvas.dc().SetPen(kRed, 8);
    EXPECT_EQ(canvas.dc().PenWidth(), 8);
    canvas.dc().Line(40, 50, 120, 50);
    // Rows 46..53: four above the path and three below.
    int lit = 0;
    for (int y = 40; y < 60; ++y) {
        lit += canvas.At(80, y) == kRed ? 1 : 0;
    }
    EXPECT_EQ(lit, 8);
    EXPECT_EQ(canvas.At(80, 46), kRed);
    EXPECT_EQ(canvas.At(80, 53), kRed);
    // The end point is covered and the round end reaches past it, but not
    // into its corners.
    EXPECT_EQ(canvas.At(120, 50), kRed);
    EXPECT_EQ(canvas.At(123, 50), kRed);
    EXPECT_EQ(canvas.At(124, 50), kCanvasBlack);
    EXPECT_EQ(canvas.At(123, 46), kCanvasBlack);
    EXPECT_EQ(canvas.At(36, 50), kRed);
    EXPECT_EQ(canvas.At(35, 50), kCanvasBlack);
}

TEST(DrawContextWidePens, FrameCornersMeetWithoutANotch)
{
    Canvas canvas;
    canvas.dc().SetPen(kWhite, 6);
    canvas.dc().Line(30, 30, 100, 30);
    canvas.dc().Line(30, 30, 30, 90);
    // The outside of the corner is filled by the round ends.
    EXPECT_EQ(canvas.At(28, 28), kWhite);
    EXPECT_EQ(canvas.At(27, 32), kWhite);
    EXPECT_EQ(canvas.At(32, 27), kWhite);
}

TEST(DrawContextWidePens, SteepAndSlantedLinesKeepTheirWidthAcrossTheMajorAxis)
{
    Canvas canvas;
    canvas.dc().SetPen(kGreen, 3);
    canvas.dc().Line(60, 10, 70, 100);
    for (int y = 20; y < 90; y += 7) {
        int lit = 0;
        for (int x = 50; x < 80; ++x) {
            lit += canvas.At(x, y) == kGreen ? 1 : 0;
        }
        EXPECT_EQ(lit, 3) << "row " << y;
    }
}

TEST(DrawContextWidePens, EllipseRimStraddlesTheBoxAndTheInsideTakesTheBrush)
{
    Canvas canvas;
    canvas.dc().SetPen(kRed, 3);
    canvas.dc().SetBrush(kGreen);
    canvas.dc().Ellipse(50, 20, 110, 80);
    // Across the middle row: one pixel outside the box, two inside.
    EXPECT_EQ(canvas.At(48, 50), kCanvasBlack);
    EXPECT_EQ(canvas.At(49, 50), kRed);
    EXPECT_EQ(canvas.At(51, 50), kRed);
    EXPECT_EQ(canvas.At(52, 50), kGreen);
    EXPECT_EQ(canvas.At(80, 50), kGreen);
    EXPECT_EQ(canvas.At(107, 50), kGreen);
    EXPECT_EQ(canvas.At(108, 50), kRed);
    EXPECT_EQ(canvas.At(110, 50), kRed);
    EXPECT_EQ(canvas.At(111, 50), kCanvasBlack);
    EXPECT_EQ(canvas.At(80, 19), kRed);
    EXPECT_EQ(canvas.At(80, 18), kCanvasBlack);
    // The one-pixel pen is untouched by all this.
    canvas.dc().SetPen(kBlue);
    EXPECT_EQ(canvas.dc().PenWidth(), 1);
}

TEST(DrawContextEdges, EllipseInOneColourIsSolid)
{
    // Rim and inside alike, as every star marker is drawn.
    Canvas solid;
    solid.dc().SetPen(kWhite);
    solid.dc().SetBrush(kWhite);
    solid.dc().Ellipse(10, 10, 30, 30);
    Canvas twoTone;
    twoTone.dc().SetPen(kWhite);
    twoTone.dc().SetBrush(kRed);
    twoTone.dc().Ellipse(10, 10, 30, 30);
    for (int y = 5; y < 35; ++y) {
        for (int x = 5; x < 35; ++x) {
            EXPECT_EQ(solid.At(x, y) != kCanvasBlack, twoTone.At(x, y) != kCanvasBlack)
                << x << "," << y;
        }
    }
}

TEST(DrawContextPolygons, InsideByPixelCentresAndOutlinedInThePen)
{
    Canvas canvas;
    canvas.dc().SetPen(kRed);
    canvas.dc().SetBrush(kGreen);
    // A diamond around (60, 60).
    const QPoint diamond[] = {{60, 40}, {80, 60}, {60, 80}, {40, 60}};
    canvas.dc().Polygon(diamond, 4);
    EXPECT_EQ(canvas.At(60, 60), kGreen);
    EXPECT_EQ(canvas.At(60, 40), kRed);
    EXPECT_EQ(canvas.At(80, 60), kRed);
    EXPECT_EQ(canvas.At(50, 50), kRed);  // on the edge
    EXPECT_EQ(canvas.At(45, 45), kCanvasBlack);
    EXPECT_EQ(canvas.At(75, 75), kCanvasBlack);
    // Without a brush only the edges.
    canvas.dc().SetNullBrush();
    const QPoint square[] = {{100, 10}, {130, 10}, {130, 40}, {100, 40}};
    canvas.dc().Polygon(square, 4);
    EXPECT_EQ(canvas.At(115, 10), kRed);
    EXPECT_EQ(canvas.At(130, 25), kRed);
    EXPECT_EQ(canvas.At(115, 25), kCanvasBlack);
}

TEST(DrawContextPolygons, OverlapsCancelAndDegenerateOnesDrawOnlyEdges)
{
    Canvas canvas;
    canvas.dc().SetNullPen();
    canvas.dc().SetBrush(kBlue);
    // A bow tie: two triangles meeting at (60, 30).
    const QPoint bowTie[] = {{40, 10}, {80, 50}, {80, 10}, {40, 50}};
    canvas.dc().Polygon(bowTie, 4);
    EXPECT_EQ(canvas.At(45, 30), kBlue);
    EXPECT_EQ(canvas.At(75, 30), kBlue);
    EXPECT_EQ(canvas.At(60, 15), kCanvasBlack);
    EXPECT_EQ(canvas.At(60, 45), kCanvasBlack);
    // A flat polygon fills nothing; two points are a line there and back.
    const QPoint flat[] = {{100, 70}, {140, 70}, {120, 70}};
    canvas.dc().Polygon(flat, 3);
    EXPECT_EQ(canvas.At(120, 70), kCanvasBlack);
    canvas.dc().SetPen(kWhite);
    const QPoint two[] = {{100, 90}, {110, 90}};
    canvas.dc().Polygon(two, 2);
    EXPECT_EQ(canvas.At(105, 90), kWhite);
    canvas.dc().Polygon(two, 1);
}

// Text: an opaque cell of ascent + descent rows from the given top-left.

TEST(DrawContextText, CellIsFilledWithTheBackgroundFromItsTopLeftCorner)
{
    const QRgb paper = qRgb(200, 10, 10);
    Canvas canvas(300, 80, paper);
    DrawContext& dc = canvas.dc();
    dc.SelectFont(ChartFont(ChartFontUse::ChartText));
    dc.SetBkColor(kBlue);
    dc.SetTextColor(kWhite);
    const QString text = QStringLiteral("Planet");
    TextOutString(dc, 30, 20, text);
    const QSize cell = dc.TextExtent(text);
    ASSERT_GT(cell.width(), 20);
    ASSERT_GT(cell.height(), 10);

    // The cell's corners are background (no glyph reaches the top-left or
    // the line below the descender's top), the pixels outside it are not.
    EXPECT_EQ(canvas.At(30, 20), kBlue);
    EXPECT_EQ(canvas.At(30 + cell.width() - 1, 20), kBlue);
    EXPECT_EQ(canvas.At(30, 20 + cell.height() - 1), kBlue);
    EXPECT_EQ(canvas.At(29, 20), paper);
    EXPECT_EQ(canvas.At(30, 19), paper);
    EXPECT_EQ(canvas.At(30 + cell.width(), 25), paper);
    EXPECT_EQ(canvas.At(35, 20 + cell.height()), paper);

    // Only the two colours inside the cell: glyphs are not antialiased.
    int textPixels = 0;
    for (int y = 20; y < 20 + cell.height(); ++y) {
        for (int x = 30; x < 30 + cell.width(); ++x) {
            const QRgb pixel = canvas.At(x, y);
            ASSERT_TRUE(pixel == kBlue || pixel == kWhite) << x << "," << y;
            textPixels += pixel == kWhite ? 1 : 0;
        }
    }
    EXPECT_GT(textPixels, 30);
}

TEST(DrawContextText, WidthsAreThoseOfTheFontAndTheDeviceHoweverOftenAsked)
{
    // Widths are kept once measured: switching fonts and devices back and
    // forth must still give each its own.
    QFont points(QStringLiteral("SansSerif"));
    points.setPointSize(12);
    QFont unkerned = MakeChartFont(QStringLiteral("SansSerif"), 15, 400);
    unkerned.setKerning(false);
    const QFont fonts[] = {ChartFont(ChartFontUse::ChartText), MakeChartFont(QStringLiteral("SansSerif"), 15, 400),
                           MakeChartFont(QStringLiteral("SansSerif"), 15, 700),
                           MakeChartFont(QStringLiteral("SansSerif"), 22, 400), points, unkerned};
    const QString texts[] = {QStringLiteral("NGC 7000"), QStringLiteral("M31"), QStringLiteral("Betelgeuse"),
                             QString(), QStringLiteral("IC 434"), QStringLiteral("AVAWAV")};
    constexpr int kDotsPerMeter[] = {3780, 11811};  // 96 and 300 dots an inch
    for (int pass = 0; pass < 2; ++pass) {
        for (const int dpm : kDotsPerMeter) {
            QImage image(40, 40, QImage::Format_RGB32);
            image.setDotsPerMeterX(dpm);
            image.setDotsPerMeterY(dpm);
            QPainter painter(&image);
            DrawContext dc(painter, QPoint(0, 0), &image);
            for (const QFont& font : fonts) {
                dc.SelectFont(font);
                const QFontMetrics metrics(font, &image);
                for (const QString& text : texts)
                    EXPECT_EQ(dc.TextExtent(text).width(), metrics.horizontalAdvance(text))
                        << pass << " " << dpm << " " << font.toString().toStdString() << " " << text.toStdString();
            }
        }
    }
}

TEST(DrawContextText, KeptLayoutsDrawWhatAFreshLayoutDraws)
{
    // Texts are laid out once and kept: drawn again, in another colour or
    // after other fonts, each must give the pixels of a text laid out
    // afresh, and markup-like texts stay plain text.
    const QFont fonts[] = {ChartFont(ChartFontUse::ChartText), ChartFont(ChartFontUse::HorizontalCaption),
                           MakeChartFont(QStringLiteral("SansSerif"), 22, 700)};
    const QString texts[] = {QStringLiteral("NGC 7000"), QStringLiteral("<b>M31</b>"),
                             QStringLiteral("Betelgeuse &amp; Rigel"), QStringLiteral("12\u00b0 34'")};
    const QRgb colours[] = {kWhite, kRed, kGreen};
    QImage drawn(260, 60, QImage::Format_RGB32);
    QImage fresh(drawn.size(), QImage::Format_RGB32);
    for (int pass = 0; pass < 2; ++pass) {
        for (const QFont& font : fonts) {
            for (const QString& text : texts) {
                const QRgb colour = colours[(pass + text.size()) % 3];
                drawn.fill(kCanvasBlack);
                {
                    QPainter painter(&drawn);
                    DrawContext dc(painter, QPoint(0, 0), &drawn);
                    dc.SelectFont(font);
                    dc.SetBkOpaque(false);
                    dc.SetTextColor(colour);
                    dc.TextOut(7, 9, text);
                }
                fresh.fill(kCanvasBlack);
                {
                    QPainter painter(&fresh);
                    painter.setRenderHint(QPainter::TextAntialiasing, false);
                    painter.setFont(font);
                    painter.setPen(QColor(colour));
                    painter.drawText(QPoint(7, 9 + QFontMetrics(font, &fresh).ascent()), text);
                }
                EXPECT_EQ(drawn, fresh) << pass << " " << font.toString().toStdString() << " "
                                        << text.toStdString();
            }
        }
    }
}

TEST(DrawContextText, RecordsCallsOnlyWhileAsked)
{
    Canvas canvas;
    DrawContext& dc = canvas.dc();
    const QFont& font = ChartFont(ChartFontUse::HorizontalCaption);
    dc.SelectFont(font);
    dc.SetTextColor(qRgb(255, 255, 0));
    dc.SetBkColor(kCanvasBlack);
    TextOutString(dc, 1, 2, QStringLiteral("before"));
    EXPECT_TRUE(dc.RecordedText().empty());

    dc.SetRecordText(true);
    TextOutString(dc, 11, 7, QStringLiteral("Moon phase"));
    ASSERT_EQ(dc.RecordedText().size(), 1u);
    const TextCall& call = dc.RecordedText().front();
    EXPECT_EQ(call.text, QStringLiteral("Moon phase"));
    EXPECT_EQ(call.position, QPoint(11, 7));
    EXPECT_EQ(call.font, font);
    EXPECT_EQ(call.color, qRgb(255, 255, 0));
    EXPECT_EQ(call.background, kCanvasBlack);
}

// Fills on a surface too large for the cache take another path for wide
// rows; every box must still cover exactly its pixels, whatever its
// alignment and width.
TEST(DrawContextEdges, BoxesOnALargeSurfaceCoverExactlyTheirPixels)
{
    QImage image(3840, 2160, QImage::Format_RGB32);
    image.fill(kCanvasBlack);
    QImage expected = image.copy();
    struct Box {
        int left, top, right, bottom;
        QRgb colour;
    };
    const Box boxes[] = {{0, 0, 3840, 2160, kBlue},   {1, 3, 258, 5, kRed},       {2, 6, 257, 7, kGreen},
                         {3, 8, 259, 9, kWhite},      {5, 10, 1000, 12, kRed},    {7, 13, 3839, 14, kGreen},
                         {3000, 20, 3840, 23, kWhite}, {100, 30, 355, 31, kRed},  {-50, 40, 300, 41, kGreen},
                         {3600, 50, 4000, 51, kRed},  {9, 60, 9, 70, kWhite},     {600, 2150, 1903, 2200, kRed}};
    {
        QPainter painter(&image);
        DrawContext dc(painter, QPoint(0, 0), &image);
        for (const Box& b : boxes) dc.FillSolidRect(b.left, b.top, b.right, b.bottom, b.colour);
    }
    for (const Box& b : boxes)
        for (int y = std::max(b.top, 0); y < std::min(b.bottom, 2160); ++y)
            for (int x = std::max(b.left, 0); x < std::min(b.right, 3840); ++x) expected.setPixel(x, y, b.colour);
    EXPECT_EQ(image, expected);
}

// AND and OR copies combine the picture's channels with the chart's.

TEST(DrawContextRasterCopies, AndAndOrCombineChannelByChannel)
{
    const QRgb chart = qRgb(0xF0, 0x0F, 0xCC);
    const QRgb lit = qRgb(0x3C, 0xFF, 0x00);
    // An 8-bit picture, as the Moon's is: two columns, lit and black.
    QImage picture(2, 1, QImage::Format_Indexed8);
    picture.setColorTable({lit, qRgb(0, 0, 0)});
    picture.setPixel(0, 0, 0);
    picture.setPixel(1, 0, 1);

    Canvas canvas(20, 10, chart);
    canvas.dc().CopyAnd(3, 4, picture);
    EXPECT_EQ(canvas.At(3, 4), qRgb(0x30, 0x0F, 0x00));
    EXPECT_EQ(canvas.At(4, 4), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.At(5, 4), chart);  // beside the picture: untouched

    Canvas other(20, 10, chart);
    other.dc().CopyOr(3, 4, picture);
    EXPECT_EQ(other.At(3, 4), qRgb(0xFC, 0xFF, 0xCC));
    EXPECT_EQ(other.At(4, 4), chart);
    EXPECT_EQ(other.At(3, 5), chart);
}

// The off-screen surface.

class OffscreenDCTest : public ::testing::Test {
protected:
    OffscreenDCTest() : window_(120, 90, QImage::Format_RGB32)
    {
        window_.fill(kWhite);
        target_.begin(&window_);
        target_.setBackground(QColor(0, 0, 0));
    }
    QRgb At(int x, int y) const { return window_.pixel(x, y); }

    QImage window_;
    QPainter target_;
};

TEST_F(OffscreenDCTest, WindowSeesTheFrameOnlyWhenTheSurfaceGoesAway)
{
    {
        COffscreenDC surface(target_, OutputKind::Window);
        EXPECT_TRUE(surface.Buffered());
        EXPECT_EQ(surface.dc().BkColor(), kCanvasBlack);
        surface.dc().SetPixel(5, 6, kRed);
        EXPECT_EQ(At(5, 6), kWhite);
        EXPECT_EQ(At(60, 60), kWhite);
    }
    EXPECT_EQ(At(5, 6), kRed);
    EXPECT_EQ(At(60, 60), kCanvasBlack);  // filled with the background colour
}

TEST_F(OffscreenDCTest, WindowSurfaceCoversTheClipBoxInTheTargetsCoordinates)
{
    target_.setClipRect(QRect(20, 10, 30, 40));
    {
        COffscreenDC surface(target_, OutputKind::Window);
        EXPECT_EQ(surface.ClipBox(), QRect(20, 10, 30, 40));
        surface.dc().SetPixel(25, 15, kRed);
        surface.dc().SetPixel(5, 5, kRed);  // outside the clip box
    }
    EXPECT_EQ(At(25, 15), kRed);
    EXPECT_EQ(At(20, 10), kCanvasBlack);
    EXPECT_EQ(At(49, 49), kCanvasBlack);
    EXPECT_EQ(At(50, 30), kWhite);
    EXPECT_EQ(At(5, 5), kWhite);
}

TEST_F(OffscreenDCTest, PrinterIsDrawnOnStraightAway)
{
    COffscreenDC surface(target_, OutputKind::Printer);
    EXPECT_FALSE(surface.Buffered());
    surface.dc().SetPen(kBlue);
    surface.dc().SetBrush(kBlue);
    surface.dc().Rectangle(10, 10, 14, 14);
    EXPECT_EQ(At(10, 10), kBlue);
    EXPECT_EQ(At(13, 13), kBlue);
    EXPECT_EQ(At(14, 13), kWhite);
    EXPECT_EQ(At(60, 60), kWhite);  // no background fill on paper
}

}  // namespace
}  // namespace skyvane::render
