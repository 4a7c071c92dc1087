#include "render/chart_fonts.h"

#include <QFontMetrics>

#include <array>

namespace skyvane::render {

namespace {

struct FontEntry {
    ChartFontUse use;
    const char* face;
    int cellHeight;
    int weight;
};

// Face, cell height and weight of each use. "SansSerif" is not a real face:
// the charts were laid out where such a name falls back to Arial, so it is
// mapped to Arial's metric twin below; left to fontconfig it becomes a much
// wider face whose numbers run into the next table column.
constexpr std::array<FontEntry, 5> kFontTable{{
    {ChartFontUse::HorizontalCaption, "Times New Roman", 24, 400},
    {ChartFontUse::ChartText, "SansSerif", 16, 700},
    {ChartFontUse::HeliocentricCaption, "Times New Roman", 28, 0},
    {ChartFontUse::GeocentricCaption, "Times New Roman", 24, 0},
    {ChartFontUse::IntroText, "Arial", 17, 400},
}};

constexpr int kNormalWeight = 400;

void SubstituteMissingFaces()
{
    static const bool substituted = [] {
        QFont::insertSubstitution(QStringLiteral("SansSerif"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    (void)substituted;
}

}  // namespace

QFont MakeChartFont(const QString& face, int cellHeight, int weight)
{
    SubstituteMissingFaces();
    QFont font(face);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setWeight(static_cast<QFont::Weight>(weight == 0 ? kNormalWeight : weight));
    int pixelSize = cellHeight > 0 ? cellHeight : 1;
    font.setPixelSize(pixelSize);
    while (pixelSize > 1) {
        const QFontMetrics metrics(font);
        if (metrics.ascent() + metrics.descent() <= cellHeight) {
            break;
        }
        --pixelSize;
        font.setPixelSize(pixelSize);
    }
    return font;
}

const QFont& ChartFont(ChartFontUse use)
{
    // Made on first use: fonts need the application object to exist.
    static const std::array<QFont, kFontTable.size()> fonts = [] {
        std::array<QFont, kFontTable.size()> made;
        for (std::size_t i = 0; i < kFontTable.size(); ++i) {
            made[i] = MakeChartFont(QString::fromLatin1(kFontTable[i].face),
                                    kFontTable[i].cellHeight, kFontTable[i].weight);
        }
        return made;
    }();
    for (std::size_t i = 0; i < kFontTable.size(); ++i) {
        if (kFontTable[i].use == use) {
            return fonts[i];
        }
    }
    return fonts[0];
}

void TextOutString(DrawContext& dc, int x, int y, const QString& text)
{
    dc.TextOut(x, y, text);
}

}  // namespace skyvane::render
