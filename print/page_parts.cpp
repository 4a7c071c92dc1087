#include "print/page_parts.h"

#include <QPoint>

#include <algorithm>
#include <array>
#include <string>

#include "online/http_exchange.h"
#include "online/report_request.h"
#include "places/windows1252.h"
#include "render/chart_fonts.h"
#include "render/sky_mapping.h"

namespace skyvane::print {

namespace {

// The logo, on a grid of 30 x 30 screen pixels: a four-pointed star in
// night blue with a gold diamond at its heart and a vane arm across it.
struct LogoPart {
    QRgb color;
    std::array<QPoint, 8> points;
    int count;
};
constexpr QRgb kLogoBlue = qRgb(24, 40, 120);
constexpr QRgb kLogoGold = qRgb(240, 170, 20);
constexpr QRgb kLogoRed = qRgb(200, 50, 30);
const std::array<LogoPart, 3> kLogo{{
    {kLogoBlue,
     {{{15, 0}, {18, 12}, {30, 15}, {18, 18}, {15, 30}, {12, 18}, {0, 15}, {12, 12}}},
     8},
    {kLogoRed, {{{3, 25}, {24, 4}, {27, 3}, {26, 6}, {5, 27}}}, 5},
    {kLogoGold, {{{15, 9}, {21, 15}, {15, 21}, {9, 15}}}, 4},
}};
// One grid step of the design is this many screen pixels on paper.
constexpr double kLogoScale = 1.6;

void DrawLogo(render::DrawContext& dc, const PageGeometry& page, int x, int y)
{
    const double unit = kLogoScale * page.scale;
    for (const LogoPart& part : kLogo) {
        std::array<QPoint, 8> scaled;
        for (int i = 0; i < part.count; ++i) {
            scaled[static_cast<std::size_t>(i)] =
                QPoint(x + render::TruncateToPixel(part.points[static_cast<std::size_t>(i)].x() * unit),
                       y + render::TruncateToPixel(part.points[static_cast<std::size_t>(i)].y() * unit));
        }
        dc.SetPen(part.color);
        dc.SetBrush(part.color);
        dc.Polygon(scaled.data(), part.count);
    }
}

// The host the program's updates come from, as a reader would type it.
QString VendorHostName()
{
    return QString::fromStdString(online::HostHeaderText(online::VendorHost()));
}

}  // namespace

QFont PageFont(const char* face, const PageGeometry& page, int percentOfDpi, int weight)
{
    constexpr int kPercent = 100;
    return render::MakeChartFont(QString::fromLatin1(face), page.logPixelsX * percentOfDpi / kPercent,
                                 weight);
}

int Scaled(const PageGeometry& page, double screenPixels)
{
    return render::TruncateToPixel(screenPixels * page.scale);
}

int DevicePixels(const PageGeometry& page, int referencePixels)
{
    return AtResolution(referencePixels, page.logPixelsX);
}

int PenWidth(const PageGeometry& page, int referencePixels)
{
    // Rounded rather than cut: a 6-pixel rule at 192 dpi is 2 pixels, not 1.
    const long long scaled = 2LL * referencePixels * page.logPixelsX / kReferenceDotsPerInch;
    return std::max(1, static_cast<int>((scaled + 1) / 2));
}

void PageText(render::DrawContext& dc, int x, int y, QRgb color, const QString& text)
{
    dc.SetTextColor(color);
    render::TextOutString(dc, x, y, text);
}

void PageText(render::DrawContext& dc, int x, int y, QRgb color, std::string_view text)
{
    PageText(dc, x, y, color, places::FromWindows1252(text));
}

void Disc(render::DrawContext& dc, int x, int y, int radius, QRgb fill, QRgb outline,
          int outlineWidth)
{
    dc.SetPen(outline, outlineWidth);
    dc.SetBrush(fill);
    dc.Ellipse(x - radius, y - radius, x + radius, y + radius);
}

QRgb RowColor(int row)
{
    constexpr std::array<QRgb, 2> kRowColors{kPageBlack, qRgb(64, 64, 64)};
    return kRowColors[static_cast<std::size_t>(row % 2)];
}

void DrawTableFrame(render::DrawContext& dc, const TableFrame& frame)
{
    dc.SetPen(kPageBlack, frame.penWidth);
    dc.Line(frame.left, frame.top, frame.right, frame.top);
    dc.Line(frame.left, frame.bottom, frame.right, frame.bottom);
    dc.Line(frame.divider, frame.top, frame.divider, frame.bottom);
    dc.Line(frame.left, frame.top, frame.left, frame.bottom);
    dc.Line(frame.right, frame.top, frame.right, frame.bottom);
}

TableFrame PortraitTableFrame(const PageGeometry& page, int top, double rightEdge)
{
    constexpr double kLeftEdge = 30;
    constexpr double kHeight = 178;
    constexpr int kPenWidth = 8;
    return {Scaled(page, kLeftEdge), Scaled(page, rightEdge), page.centreX, top,
            top + Scaled(page, kHeight), PenWidth(page, kPenWidth)};
}

void DrawLogoAndFooter(render::DrawContext& dc, const PageGeometry& page, int logoX, int logoY,
                       int anchorX, int anchorY)
{
    struct Line {
        double dy;  // screen pixels below the anchor
        QString text;
    };
    constexpr double kVendorDx = 55;
    constexpr double kVendorDy = 22;
    constexpr double kLinesDx = 15;
    DrawLogo(dc, page, logoX, logoY);
    PageText(dc, logoX + Scaled(page, kVendorDx), logoY + Scaled(page, kVendorDy), kPageBlack,
             QStringLiteral("Vemox Software Inc."));
    const std::array<Line, 3> lines{{
        {20, QStringLiteral("This page was printed with Vemox Starwick v1.41")},
        {35, QStringLiteral("Get your free copy at ") + VendorHostName() + QStringLiteral(" !")},
        {155, QStringLiteral(u"\u00A9 Vemox Software Inc. All rights reserved.")},
    }};
    for (const Line& line : lines) {
        PageText(dc, anchorX + Scaled(page, kLinesDx), anchorY + Scaled(page, line.dy),
                 kPageBlack, line.text);
    }
}

}  // namespace skyvane::print
