#include "render/body_symbols.h"

#include <QFont>
#include <QFontMetricsF>
#include <QRectF>
#include <QString>

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <optional>

#include "render/display_preferences.h"

namespace skyvane::render {

namespace {

constexpr std::array<QRgb, engine::kBodyCount> kBodyColors{
    qRgb(255, 255, 0),    // Sun
    qRgb(255, 0, 0),      // Mercury
    qRgb(0, 255, 0),      // Venus
    qRgb(0, 0, 255),      // Earth
    qRgb(200, 40, 40),    // Mars
    qRgb(255, 160, 80),   // Jupiter
    qRgb(255, 255, 128),  // Saturn
    qRgb(160, 120, 120),  // Uranus
    qRgb(128, 128, 255),  // Neptune
    qRgb(20, 20, 200),    // Pluto
    qRgb(255, 255, 255),  // Moon
};
constexpr QRgb kNoBodyColor = qRgb(0, 0, 0);

// The glyphs as bytes, one per row from the top, most significant bit
// leftmost.
constexpr std::uint8_t kGlyphRows[engine::kBodyCount][kGlyphSize] = {
    {0x3C, 0x42, 0x81, 0x99, 0x99, 0x81, 0x42, 0x3C},  // Sun
    {0x66, 0x66, 0x3C, 0x66, 0x66, 0x3C, 0x18, 0x3C},  // Mercury
    {0x3C, 0x66, 0x66, 0x66, 0x3C, 0x18, 0x7E, 0x18},  // Venus
    {0x3C, 0x42, 0x81, 0xAB, 0xD5, 0x81, 0x42, 0x3C},  // Earth
    {0x00, 0x1E, 0x0E, 0x1A, 0x78, 0xCC, 0xCC, 0x78},  // Mars
    {0x32, 0x4A, 0x0A, 0x12, 0x22, 0x7F, 0x02, 0x02},  // Jupiter
    {0xE0, 0x40, 0x58, 0x64, 0x44, 0x48, 0x4A, 0x44},  // Saturn
    {0x10, 0x38, 0x54, 0x10, 0x38, 0x44, 0x44, 0x38},  // Uranus
    {0x92, 0x92, 0x54, 0x38, 0x10, 0x7C, 0x10, 0x10},  // Neptune
    {0x70, 0x48, 0x48, 0x70, 0x40, 0x40, 0x48, 0x78},  // Pluto
    {0x70, 0x28, 0x14, 0x14, 0x14, 0x14, 0x28, 0x70},  // Moon
};

constexpr std::array<BodyGlyph, engine::kBodyCount> ExpandGlyphs()
{
    std::array<BodyGlyph, engine::kBodyCount> glyphs{};
    for (int body = 0; body < engine::kBodyCount; ++body) {
        for (int row = 0; row < kGlyphSize; ++row) {
            for (int column = 0; column < kGlyphSize; ++column) {
                const int bit = (kGlyphRows[body][row] >> (kGlyphSize - 1 - column)) & 1;
                glyphs[body][row * kGlyphSize + column] = bit;
            }
        }
    }
    return glyphs;
}

// Where the glyph starts relative to the body's position, and the size of
// the dot.
constexpr int kBigOffset = 9;
constexpr int kBigCell = 2;
constexpr int kSmallOffset = 4;
constexpr int kDotRadius = 3;

// The astronomical signs of the bodies, in BodyId order.
constexpr char32_t kBodySigns[engine::kBodyCount] = {
    U'\u2609', U'\u263F', U'\u2640', U'\u2295', U'\u2642', U'\u2643',
    U'\u2644', U'\u2645', U'\u2646', U'\u2647', U'\u263E',
};

// A font whose signs fill a box `box` logical pixels high, or nothing when
// the font has no such signs (then the bitmaps stay).
struct SignFont {
    QFont font;
    bool usable = false;
};

const SignFont& SignFontFor(int box)
{
    thread_local std::array<std::optional<SignFont>, 2 * kBigCell * kGlyphSize> fonts;
    std::optional<SignFont>& cached = fonts[static_cast<std::size_t>(box)];
    if (cached) return *cached;
    SignFont sign;
    sign.font = QFont(QStringLiteral("DejaVu Sans"));
    // Sharp like every other shape of the charts; and the signs of one font only.
    sign.font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::NoAntialias));
    sign.font.setPixelSize(box);
    bool everySign = true;
    double tallest = 0;
    const QFontMetricsF metrics(sign.font);
    for (const char32_t c : kBodySigns) {
        everySign = everySign && metrics.inFontUcs4(c);
        const QRectF ink = metrics.tightBoundingRect(QString::fromUcs4(&c, 1));
        tallest = std::max({tallest, ink.height(), ink.width()});
    }
    if (everySign && tallest > 0) {
        // The tallest or widest sign fills the box but one pixel: the text
        // is placed on whole pixels, up to half a pixel off the centre.
        sign.font.setPixelSize(
            std::max(1, static_cast<int>(std::floor(box * (box - 1) / tallest))));
        sign.usable = true;
    }
    cached = sign;
    return *cached;
}

// On a high-density screen the symbol is the body's sign drawn at the
// screen's resolution (an 8 x 8 bitmap there is a blocky, doubled picture
// beside sharp text), centred on the box the bitmap would fill. False when
// no font has the signs.
bool DrawSignAtDeviceResolution(DrawContext& dc, int body, double centreX, double centreY,
                                int box)
{
    const SignFont& sign = SignFontFor(box);
    if (!sign.usable) return false;
    const QString text = QString::fromUcs4(&kBodySigns[body], 1);
    const QFontMetricsF metrics(sign.font);
    const QRectF ink = metrics.tightBoundingRect(text);
    // TextOut places the top-left of the text cell; the ink's centre is
    // what must land on the box's centre.
    const double left = centreX - (ink.left() + ink.width() / 2);
    const double top = centreY - (ink.top() + ink.height() / 2) - metrics.ascent();
    const QFont previousFont = dc.SelectFont(sign.font);
    const QRgb previousColor = dc.TextColor();
    const bool previousOpaque = dc.BkOpaque();
    dc.SetTextColor(BodyColor(body));
    dc.SetBkOpaque(false);
    dc.TextOut(static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)), text);
    dc.SetBkOpaque(previousOpaque);
    dc.SetTextColor(previousColor);
    dc.SelectFont(previousFont);
    return true;
}

}  // namespace

const std::array<BodyGlyph, engine::kBodyCount> BodySymbols = ExpandGlyphs();

QRgb BodyColor(int body)
{
    if (body < 0 || body >= engine::kBodyCount) {
        return kNoBodyColor;
    }
    return kBodyColors[body];
}

void DrawBodySymbol(DrawContext& dc, int body, int x, int y, int mode)
{
    if (body < 0 || body >= engine::kBodyCount) {
        return;
    }
    const QRgb color = BodyColor(body);
    if (mode == kPlanetModeDots) {
        dc.SetPen(color);
        dc.SetBrush(color);
        dc.Ellipse(x - kDotRadius, y - kDotRadius, x + kDotRadius, y + kDotRadius);
        return;
    }
    if (mode != kPlanetModeBigSymbols && mode != kPlanetModeSmallSymbols) {
        return;
    }
    if (dc.Scale() > 1) {
        const bool big = mode == kPlanetModeBigSymbols;
        const int box = big ? kBigCell * kGlyphSize : kGlyphSize;
        const int offset = big ? kBigOffset : kSmallOffset;
        if (DrawSignAtDeviceResolution(dc, body, x - offset + box / 2.0, y - offset + box / 2.0,
                                       box))
            return;
    }
    const BodyGlyph& glyph = BodySymbols[body];
    for (int i = 0; i < kGlyphSize; ++i) {
        for (int j = 0; j < kGlyphSize; ++j) {
            if (glyph[i * kGlyphSize + j] == 0) {
                continue;
            }
            if (mode == kPlanetModeBigSymbols) {
                const int left = x - kBigOffset + kBigCell * j;
                const int top = y - kBigOffset + kBigCell * i;
                dc.FillSolidRect(left, top, left + kBigCell, top + kBigCell, color);
            } else {
                dc.SetPixel(x - kSmallOffset + j, y - kSmallOffset + i, color);
            }
        }
    }
}

}  // namespace skyvane::render
