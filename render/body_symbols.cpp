#include "render/body_symbols.h"

#include <cstdint>

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
