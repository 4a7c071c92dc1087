// A drawing context on a printer: the page is drawn at the printer's
// resolution, and a print preview records it and shows it scaled down to
// its window. Every shape must stay in sight there, where it belongs, and
// at the page's own size the printer must get the pixels a page image gets.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QPoint>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "render/draw_context.h"
#include "render_test_canvas.h"

namespace skyvane::render {
namespace {

constexpr QRgb kPaper = qRgb(255, 255, 255);
constexpr QRgb kGrey = qRgb(128, 128, 128);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr int kPageSide = 800;

struct Shape {
    const char* name;
    std::function<void(DrawContext&)> draw;
    // Page points the shape passes through.
    std::vector<QPoint> through;
};

std::vector<QPoint> Along(QPoint from, QPoint to, int count)
{
    std::vector<QPoint> points;
    for (int i = 0; i < count; ++i)
        points.push_back(from + (to - from) * i / (count - 1));
    return points;
}

// Thin lines, wide ones, a disc as small as a faint star, a frame and a
// filled polygon, in the sizes a 600 to 1200 dpi page draws them.
std::vector<Shape> Shapes()
{
    return {
        {"one-pixel grid line across",
         [](DrawContext& dc) {
             dc.SetPen(kGrey);
             dc.Line(40, 203, 760, 203);
         },
         Along({40, 203}, {750, 203}, 8)},
        {"two-pixel grid line down",
         [](DrawContext& dc) {
             dc.SetPen(kGrey, 2);
             dc.Line(405, 40, 405, 760);
         },
         Along({405, 40}, {405, 760}, 8)},
        {"figure line aslant",
         [](DrawContext& dc) {
             dc.SetPen(kBlue, 3);
             dc.Line(60, 700, 700, 90);
         },
         Along({60, 700}, {700, 90}, 8)},
        {"faint star",
         [](DrawContext& dc) {
             dc.SetPen(kGrey);
             dc.SetBrush(kGrey);
             dc.Ellipse(300, 500, 306, 506);
         },
         {{302, 502}}},
        {"body with a rim",
         [](DrawContext& dc) {
             dc.SetPen(kBlue, 2);
             dc.SetBrush(kYellow);
             dc.Ellipse(600, 600, 612, 612);
         },
         {{606, 606}}},
        {"frame",
         [](DrawContext& dc) {
             dc.SetPen(kGrey);
             dc.SetNullBrush();
             dc.Rectangle(100, 100, 300, 180);
         },
         {{100, 100}, {200, 100}, {299, 140}, {200, 179}, {100, 140}}},
        {"logo polygon",
         [](DrawContext& dc) {
             const QPoint diamond[] = {{520, 300}, {526, 306}, {520, 312}, {514, 306}};
             dc.SetNullPen();
             dc.SetBrush(kBlue);
             dc.Polygon(diamond, 4);
         },
         {{520, 306}}},
    };
}

// The page as a print preview keeps it: drawn through a printer's context
// into a recording.
QPicture Recorded(const Shape& shape)
{
    QPicture page;
    QPainter painter(&page);
    DrawContext dc(painter, QPoint(0, 0), nullptr);
    shape.draw(dc);
    painter.end();
    return page;
}

// The recording played back at `scale` onto white, as the preview shows it.
QImage Shown(const QPicture& page, double scale)
{
    const int side = static_cast<int>(std::ceil(kPageSide * scale));
    QImage shown(side, side, QImage::Format_RGB32);
    shown.fill(kPaper);
    QPainter painter(&shown);
    painter.scale(scale, scale);
    painter.drawPicture(0, 0, page);
    painter.end();
    return shown;
}

bool InkNear(const QImage& image, QPoint at)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p = at + QPoint(dx, dy);
            if (image.rect().contains(p) && (image.pixel(p) | 0xff000000u) != (kPaper | 0xff000000u))
                return true;
        }
    return false;
}

TEST(PrinterContextTest, ShapesStayInSightWhenThePageIsShownScaledDown)
{
    // A 1200 dpi page fitted to a window is shown about 1/15 of its size.
    for (const double scale : {1 / 2.5, 1 / 4.0, 1 / 7.0, 1 / 15.0}) {
        for (const Shape& shape : Shapes()) {
            const QImage shown = Shown(Recorded(shape), scale);
            for (const QPoint& point : shape.through) {
                const QPoint at(static_cast<int>(point.x() * scale),
                                static_cast<int>(point.y() * scale));
                EXPECT_TRUE(InkNear(shown, at))
                    << shape.name << " at 1/" << 1 / scale << ": nothing near " << point.x()
                    << ", " << point.y();
            }
        }
    }
}

// Lines at every slant and rims of every size, in the pen widths pages use.
std::vector<Shape> MoreShapes()
{
    std::vector<Shape> shapes;
    for (const int width : {1, 2, 3, 4, 6, 8, 12}) {
        shapes.push_back({"lines fanning out",
                          [width](DrawContext& dc) {
                              dc.SetPen(kBlue, width);
                              for (int i = 0; i <= 24; ++i) {
                                  const double turn = i * 3.14159265 / 12;
                                  dc.Line(400, 400, 400 + static_cast<int>(370 * std::cos(turn)),
                                          400 + static_cast<int>(330 * std::sin(turn)));
                              }
                          },
                          {}});
        shapes.push_back({"rims",
                          [width](DrawContext& dc) {
                              dc.SetPen(kBlue, width);
                              dc.SetBrush(kYellow);
                              for (const int side : {5, 8, 13, 40, 121, 300, 777})
                                  dc.Ellipse(10, 10, 10 + side, 12 + side * 2 / 3);
                          },
                          {}});
    }
    return shapes;
}

TEST(PrinterContextTest, AtThePagesOwnSizeThePrinterGetsThePixelsOfAPageImage)
{
    std::vector<Shape> shapes = Shapes();
    for (Shape& more : MoreShapes()) shapes.push_back(std::move(more));
    for (const Shape& shape : shapes) {
        const QImage printed = Shown(Recorded(shape), 1);
        test::Canvas image(kPageSide, kPageSide, kPaper);
        shape.draw(image.dc());
        int differing = 0;
        for (int y = 0; y < kPageSide; ++y)
            for (int x = 0; x < kPageSide; ++x)
                differing += (printed.pixel(x, y) | 0xff000000u) != image.At(x, y);
        EXPECT_EQ(differing, 0) << shape.name;
    }
}

}  // namespace
}  // namespace skyvane::render
