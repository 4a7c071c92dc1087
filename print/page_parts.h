// Pieces every printed page shares: its fonts, the text calls, the vendor
// logo and the footer.
#pragma once

#include <QFont>
#include <QRgb>
#include <QString>

#include <string_view>

#include "print/page_metrics.h"
#include "render/draw_context.h"

namespace skyvane::print {

inline constexpr QRgb kPageBlack = qRgb(0, 0, 0);
inline constexpr QRgb kPageWhite = qRgb(255, 255, 255);
// Names next to the bodies on the maps.
inline constexpr QRgb kBodyNameGrey = qRgb(32, 32, 32);

// A printer font: `face` with a cell `percentOfDpi` hundredths of the
// horizontal resolution high, so a page's texts keep their size on paper
// whatever the printer.
QFont PageFont(const char* face, const PageGeometry& page, int percentOfDpi, int weight);

// Every length the screen charts give in pixels is this many device pixels
// on the page, cut toward zero.
int Scaled(const PageGeometry& page, double screenPixels);

// A length the page layout gives in device pixels of a 600 dpi page, at
// this page's resolution (cut toward zero).
int DevicePixels(const PageGeometry& page, int referencePixels);
// The same for a pen's width, rounded to the nearest pixel and never
// thinner than one.
int PenWidth(const PageGeometry& page, int referencePixels);

// Texts in `color` with their top-left corner at (x, y); the second takes
// Windows-1252 bytes (formatter and place texts).
void PageText(render::DrawContext& dc, int x, int y, QRgb color, const QString& text);
void PageText(render::DrawContext& dc, int x, int y, QRgb color, std::string_view text);
inline void PageText(render::DrawContext& dc, int x, int y, QRgb color, const char* text)
{
    PageText(dc, x, y, color, std::string_view(text));
}

// A filled circle of `radius` device pixels around (x, y) in `fill` with an
// `outline` `outlineWidth` pixels wide.
void Disc(render::DrawContext& dc, int x, int y, int radius, QRgb fill, QRgb outline,
          int outlineWidth = 1);

// The colour of table row `row`: black and dark grey in turn, so the eye
// can follow a line across the table.
QRgb RowColor(int row);

// The frame of the table under a map: rules along its top and bottom from
// `left` to `right`, closed at both ends and divided at `divider`, in a
// black pen `penWidth` pixels wide.
struct TableFrame {
    int left;
    int right;
    int divider;
    int top;
    int bottom;
    int penWidth;
};
void DrawTableFrame(render::DrawContext& dc, const TableFrame& frame);
// The frame on the portrait pages (horizontal and heliocentric): from 30 to
// `rightEdge` screen pixels across, 178 high from `top`, divided at the
// page's centre, in a pen 8 pixels wide at 600 dpi.
TableFrame PortraitTableFrame(const PageGeometry& page, int top, double rightEdge);

// Our vendor logo with its top-left corner at (x, y), then the footer
// texts: the vendor's name beside the logo and the lines anchored at
// (anchorX, anchorY). In the current font.
void DrawLogoAndFooter(render::DrawContext& dc, const PageGeometry& page, int logoX, int logoY,
                       int anchorX, int anchorY);

}  // namespace skyvane::print
