#include "render/heliocentric_chart.h"

#include <QRgb>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/body.h"
#include "places/formatting.h"
#include "places/windows1252.h"
#include "render/body_symbols.h"
#include "render/chart_fonts.h"
#include "render/chart_text.h"
#include "render/found_object_marks.h"
#include "render/navigation_help.h"
#include "render/sky_mapping.h"

namespace skyvane::render {

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kBlack = qRgb(0, 0, 0);

// Width of the table panel on the right.
constexpr int kPanelWidth = 340;
// The least room between a table text and the next column, or the edge.
constexpr int kColumnGap = 3;
constexpr int kEdgeGap = 2;

// Formatter texts are Windows-1252 bytes.
void Text(DrawContext& dc, int x, int y, std::string_view text)
{
    TextOutWindows1252(dc, x, y, text);
}

int Truncate(double value)
{
    return static_cast<int>(value);
}

// The map and table geometry of one frame. The map is the area left of the
// panel; the Sun sits in the middle of its width and as far from the top as
// from the left, unless the area is wider than it is tall: then in the
// middle of its height, so that a maximised window keeps the orbits on the
// screen. At the restored window size the area is taller than wide and the
// Sun sits at (c, c).
struct Layout {
    Layout(int height, int width)
        : height(height), x0(width - kPanelWidth), cx(x0 / 2), cy(std::min(cx, height / 2))
    {
    }
    int height;
    int x0;  // the panel's left edge
    int cx;  // the Sun's column
    int cy;  // the Sun's row
};

// Whether something `radius` pixels from the Sun still lies inside the map:
// left of the panel (whose edge is about 2 cx) and inside the height.
bool FitsOnMap(const Layout& l, double radius)
{
    return Truncate(l.cx + radius) < 2 * l.cx && Truncate(l.cy + radius) < 2 * l.cy;
}

void DrawOrbits(DrawContext& dc, const engine::SkyState& state, const Layout& l, int zoom)
{
    constexpr QRgb kOrbitPen = qRgb(96, 96, 196);
    // Outermost first: each disc is filled black, so an inner circle must
    // come after the outer ones. Nothing lies inside an orbit before it is
    // drawn, so on a black surface the fill changes no pixel; at high
    // resolutions it would be the largest area written in the frame, and
    // it is left out there.
    if (dc.BkColor() == kBlack) {
        dc.SetNullBrush();
    } else {
        dc.SetBrush(kBlack);
    }
    dc.SetPen(kOrbitPen);
    // Mercury's and Mars's orbits are too eccentric for a circle through
    // the planet to look like their path.
    for (int body = engine::kNeptune; body >= engine::kSun; --body) {
        if (body == engine::kMercury || body == engine::kMars) {
            continue;
        }
        const double r = zoom * state.helioDistance[body];
        if (!FitsOnMap(l, r)) {
            continue;
        }
        dc.Ellipse(Truncate(l.cx - r), Truncate(l.cy - r), Truncate(l.cx + r), Truncate(l.cy + r));
    }
    dc.SetBrush(kBlack);
}

// Zoomed out, the inner planets would pile up on the Sun's symbol.
bool HiddenAtZoom(int body, int zoom)
{
    struct Limit {
        int belowZoom;
        int upToBody;
    };
    constexpr std::array<Limit, 3> kLimits{{
        {50, engine::kMercury},
        {40, engine::kVenus},
        {15, engine::kMars},
    }};
    for (const Limit& limit : kLimits) {
        if (zoom < limit.belowZoom && body <= limit.upToBody) {
            return true;
        }
    }
    return false;
}

void DrawPlanetOnMap(DrawContext& dc, const engine::SkyState& state, int body, const Layout& l,
                     int zoom, int planetMode)
{
    // Half a big symbol: the symbol must stay out of the panel.
    constexpr int kSymbolReach = 9;
    if (HiddenAtZoom(body, zoom)) {
        return;
    }
    const double distance = state.helioDistance[body];
    if (!FitsOnMap(l, zoom * distance)) {
        return;
    }
    const PixelPoint offset = ProjectHeliocentric(state.helioLongitude[body], distance, zoom);
    const int x = l.cx + offset.x;
    const int y = l.cy + offset.y;
    if (x + kSymbolReach < l.x0 && y < l.height && y > 0 && x > 0) {
        DrawBodySymbol(dc, body, x, y, planetMode);
    }
}

void DrawTableRow(DrawContext& dc, const engine::SkyState& state, int body, int x0, int width,
                  int y)
{
    constexpr int kSymbolDx = 20;
    constexpr int kSymbolRaise = 2;
    constexpr int kTextRaise = 8;
    constexpr int kNameDx = 30;
    constexpr int kLongitudeDx = 90;
    constexpr int kLatitudeDx = 180;
    constexpr int kDistanceDx = 280;
    const int textY = y - kTextRaise;
    // Each text ends before the next column begins and the last before the
    // window's edge ("Mercury210°" otherwise, with wide fonts).
    const auto cell = [&](int dx, int nextDx, const std::string& text) {
        const int limit = nextDx > 0 ? nextDx - dx - kColumnGap : width - x0 - dx - kEdgeGap;
        TextOutWindows1252Fitted(dc, x0 + dx, textY, text, limit);
    };
    DrawBodySymbol(dc, body, x0 + kSymbolDx, y - kSymbolRaise, kPlanetModeBigSymbols);
    dc.SetTextColor(BodyColor(body));
    cell(kNameDx, kLongitudeDx, engine::BodyName(body));
    dc.SetTextColor(kWhite);
    cell(kLongitudeDx, kLatitudeDx,
         places::FormatAngle(state.helioLongitude[body], places::kAngleUnsignedDegrees));
    cell(kLatitudeDx, kDistanceDx,
         places::FormatAngle(state.helioLatitude[body], places::kAngleSignedDegrees));
    cell(kDistanceDx, 0, HeliocentricDistanceText(state.helioDistance[body]));
}

void DrawTableHeader(DrawContext& dc, int x0, int width)
{
    constexpr QRgb kHeaderText = qRgb(196, 196, 196);
    constexpr int kHeaderY = 48;
    struct Header {
        int dx;
        const char* text;
    };
    constexpr std::array<Header, 4> kHeaders{{
        {12, "Planet"},
        {88, "Longitude"},
        {173, "   Latitude"},
        {255, "AU from Sun"},
    }};
    dc.SetTextColor(kHeaderText);
    for (std::size_t i = 0; i < kHeaders.size(); ++i) {
        const int limit = i + 1 < kHeaders.size() ? kHeaders[i + 1].dx - kHeaders[i].dx - kColumnGap
                                                  : width - x0 - kHeaders[i].dx - kEdgeGap;
        TextOutWindows1252Fitted(dc, x0 + kHeaders[i].dx, kHeaderY, kHeaders[i].text, limit);
    }
}

// The caption's left edge: `preferred`, or further left by what a long
// caption (with the daylight-saving mark) needs to end inside the window.
int CaptionX(const DrawContext& dc, std::string_view caption, int preferred, int width)
{
    constexpr int kRightMargin = 4;
    const int textWidth = dc.TextExtent(places::FromWindows1252(caption)).width();
    return std::min(preferred, width - kRightMargin - textWidth);
}

}  // namespace

void DrawHeliocentricChart(DrawContext& dc, const engine::SkyState& state, int height, int width,
                           int zoom, int timeControlMode, int stepUnit,
                           const DisplayPreferences& preferences, int highlightedBody)
{
    constexpr int kCaptionDx = 45;
    constexpr int kCaptionY = 8;
    constexpr int kHeaderRuleY = 40;
    constexpr int kFirstRowY = 80;
    constexpr int kRowHeight = 23;
    constexpr int kHelpDx = -7;
    constexpr int kHelpDy = -45;
    constexpr int kHelpRuleY = 475;

    const Layout layout(height, width);
    const int x0 = layout.x0;

    const QFont previousFont = dc.SelectFont(ChartFont(ChartFontUse::HeliocentricCaption));
    dc.SetTextColor(kYellow);
    const std::string caption =
        places::FormatDateTime(state.shownYear, state.shownMonth, state.shownDay,
                               state.shownHour, state.shownMinute, state.shownSecond,
                               places::kDateMonthDayYear12h, state.dst);
    Text(dc, CaptionX(dc, caption, x0 + kCaptionDx, width), kCaptionY, caption);
    dc.SelectFont(ChartFont(ChartFontUse::ChartText));

    DrawOrbits(dc, state, layout, zoom);
    DrawBodySymbol(dc, engine::kSun, layout.cx, layout.cy, preferences.planetMode);
    // In whatever pen is current now: the orbits' pen, or the Sun's colour
    // when the Sun was drawn as a dot.
    dc.Line(x0, kHeaderRuleY, width, kHeaderRuleY);
    DrawTableHeader(dc, x0, width);

    int y = kFirstRowY;
    for (int body = engine::kMercury; body <= engine::kNeptune; ++body) {
        DrawPlanetOnMap(dc, state, body, layout, zoom, preferences.planetMode);
        if (body == highlightedBody) {
            constexpr int kFrameInset = 3;
            constexpr int kFrameAbove = 12;
            DrawBodyRowFrame(dc, x0 + kFrameInset, y - kFrameAbove, width - kFrameInset,
                             y - kFrameAbove + kRowHeight);
        }
        DrawTableRow(dc, state, body, x0, width, y);
        y += kRowHeight;
    }

    dc.SetPen(kWhite);
    DrawNavigationHelp(dc, kNavigationHelpHeliocentric, x0 + kHelpDx, y + kHelpDy,
                       timeControlMode, stepUnit, width);
    dc.Line(x0, y, width, y);
    dc.Line(x0, 0, x0, height);
    dc.Line(x0, kHelpRuleY, width, kHelpRuleY);
    dc.SelectFont(previousFont);
}

void DrawHeliocentricChart(QPainter& target, OutputKind output, engine::SkyState state,
                           int height, int width, int zoom,
                           [[maybe_unused]] skydata::IntRect& objectLinkRect, int timeControlMode,
                           int stepUnit, const DisplayPreferences& preferences,
                           int highlightedBody)
{
    COffscreenDC surface(target, output);
    DrawHeliocentricChart(surface.dc(), state, height, width, zoom, timeControlMode, stepUnit,
                          preferences, highlightedBody);
}

}  // namespace skyvane::render
