#include <gtest/gtest.h>

#include <QString>

#include <initializer_list>
#include <memory>
#include <string>

#include "places/formatting.h"
#include "places/windows1252.h"
#include "render/body_symbols.h"
#include "render/chart_fonts.h"
#include "render/display_preferences.h"
#include "render/geocentric_chart.h"
#include "render_test_canvas.h"

namespace skyvane::render {
namespace {

using skydata::IntRect;
using test::Canvas;

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGridPen = qRgb(20, 60, 20);
constexpr QRgb kGridText = qRgb(40, 120, 40);
constexpr QRgb kFigureBlue = qRgb(70, 70, 255);
constexpr QRgb kFaintStarGrey = qRgb(200, 200, 200);

// A window whose map (the top 540 rows) has whole pixels per unit: 60 per
// hour of right ascension and 6 per degree of declination, the equator on
// row 270.
constexpr int kWidth = 1440;
constexpr int kHeight = 740;
constexpr int kEquatorY = 270;
constexpr int kMapBottom = kHeight - 200;

int X(double hours)
{
    return kWidth - static_cast<int>(hours * 60);
}
int Y(double degrees)
{
    return kEquatorY - static_cast<int>(degrees * 6);
}

const IntRect kUntouched{-7, -7, -7, -7};

class GeocentricChartTest : public ::testing::Test {
protected:
    GeocentricChartTest()
        : canvas_(kWidth, kHeight),
          catalogue_(std::make_unique<skydata::SkyCatalogue>()),
          clicks_(std::make_unique<skydata::CatalogueClickRects>())
    {
        canvas_.dc().SetBkColor(kBlack);
        canvas_.dc().SetRecordText(true);
        clicks_->stars.fill(kUntouched);
        // Row 0 can never be part of a figure; keep it off the map.
        AddStar(12, 80, 5.5, "", "Dummy Oct");
        // Park the bodies low in the band's left part, away from the probes.
        for (int body = 0; body < engine::kBodyCount; ++body) {
            state_.rightAscension[body] = 20;
            state_.declination[body] = -40;
            state_.geoDistance[body] = 1;
        }
    }

    int AddStar(double ra, double dec, double magnitude = 5.5, std::string spectrum = "",
                std::string designation = "Xyz Ori")
    {
        const int row = catalogue_->starCount++;
        skydata::StarRecord& star = catalogue_->stars[static_cast<std::size_t>(row)];
        star.ra = ra;
        star.dec = dec;
        star.magnitude = magnitude;
        star.spectrum = std::move(spectrum);
        star.designation = std::move(designation);
        return row;
    }

    void AddFigure(std::initializer_list<int> rows)
    {
        skydata::ConstellationFigure& figure =
            catalogue_->figures[static_cast<std::size_t>(catalogue_->figureCount++)];
        figure = {};
        int k = 0;
        for (const int row : rows) {
            figure.stars[static_cast<std::size_t>(k++)] = row;
        }
    }

    void Draw()
    {
        DrawGeocentricChart(canvas_.dc(), state_, kHeight, kWidth, 0, 0, *catalogue_, *clicks_,
                            preferences_, selection_);
    }

    const TextCall* Find(const QString& text)
    {
        for (const TextCall& call : canvas_.dc().RecordedText()) {
            if (call.text == text) {
                return &call;
            }
        }
        return nullptr;
    }

    void ExpectText(const QString& text, QPoint position, QRgb color)
    {
        const TextCall* call = Find(text);
        ASSERT_NE(call, nullptr) << text.toStdString();
        EXPECT_EQ(call->position, position) << text.toStdString();
        EXPECT_EQ(call->color, color) << text.toStdString();
    }

    // How many set cells of the body's small glyph at (x, y) show its colour.
    int GlyphCellsShown(int body, int x, int y) const
    {
        int shown = 0;
        for (int i = 0; i < kGlyphSize; ++i) {
            for (int j = 0; j < kGlyphSize; ++j) {
                if (BodySymbols[body][i * kGlyphSize + j] != 0 &&
                    canvas_.At(x - 4 + j, y - 4 + i) == BodyColor(body)) {
                    ++shown;
                }
            }
        }
        return shown;
    }
    static int GlyphCells(int body)
    {
        int cells = 0;
        for (const int cell : BodySymbols[body]) {
            cells += cell;
        }
        return cells;
    }

    Canvas canvas_;
    std::unique_ptr<skydata::SkyCatalogue> catalogue_;
    std::unique_ptr<skydata::CatalogueClickRects> clicks_;
    engine::SkyState state_;
    DisplayPreferences preferences_;
    ObjectSelection selection_;
};

TEST_F(GeocentricChartTest, DeclinationGridEveryFiveDegreesWithLabelsLeftOfTheMap)
{
    Draw();
    for (int d = -40; d <= 45; d += 5) {
        EXPECT_EQ(canvas_.At(700, Y(d)), kGridPen) << d;
    }
    EXPECT_EQ(Y(-45), kMapBottom);
    EXPECT_EQ(canvas_.At(700, Y(12)), kBlack);

    ExpectText(" 5", {13, Y(5) - 8}, kGridText);
    ExpectText(" 0", {13, Y(0) - 8}, kGridText);
    ExpectText("-5", {13, Y(-5) - 8}, kGridText);
    // Southern labels from -10 on move left for their minus sign; the top
    // one moves down to stay in the window.
    ExpectText("-10", {5, Y(-10) - 8}, kGridText);
    ExpectText("-40", {5, Y(-40) - 8}, kGridText);
    EXPECT_EQ(Find("-45"), nullptr);
    // The top label would sit half under the hint in the corner: it is
    // left out; a selection's larger panel keeps the next ones out too.
    EXPECT_EQ(Find("45"), nullptr);
    ExpectText("40", {13, Y(40) - 8}, kGridText);
}

TEST_F(GeocentricChartTest, GridLabelsKeepOutFromUnderTheSelectionPanel)
{
    catalogue_->constellationNames[0] = "Gem Gemini";
    catalogue_->constellationNameCount = 1;
    selection_.selectedStar = AddStar(7.7, 28.0, 1.1, "K0", "78 Bet Gem");
    Draw();
    const TextCall* mag = Find("Mag 1.10");
    ASSERT_NE(mag, nullptr);
    const QRect panel(QPoint(0, 0), QPoint(400, mag->position.y() + 16));
    int labels = 0;
    for (const TextCall& call : canvas_.dc().RecordedText()) {
        if (call.color != kGridText) continue;
        ++labels;
        canvas_.dc().SelectFont(call.font);
        const QRect box(call.position, canvas_.dc().TextExtent(call.text));
        for (const TextCall& line : canvas_.dc().RecordedText()) {
            if (line.color == kGridText || !panel.contains(line.position)) continue;
            canvas_.dc().SelectFont(line.font);
            EXPECT_FALSE(box.intersects(QRect(line.position, canvas_.dc().TextExtent(line.text))))
                << call.text.toStdString() << " under " << line.text.toStdString();
        }
    }
    EXPECT_GT(labels, 20);  // the hour labels and the lower declinations stay
}

TEST_F(GeocentricChartTest, RightAscensionGridRunsFromTwentyFourLeftToZeroRight)
{
    Draw();
    EXPECT_EQ(canvas_.At(X(5), 100), kGridPen);
    EXPECT_EQ(canvas_.At(X(12), 100), kGridPen);
    EXPECT_EQ(X(12), kWidth / 2);
    EXPECT_EQ(canvas_.At(X(23), 100), kGridPen);
    // Half an hour beside a line there is none.
    EXPECT_EQ(canvas_.At(X(5) + 30, 100), kBlack);
    // The lines stop at the map's bottom edge.
    EXPECT_EQ(canvas_.At(X(5), kMapBottom + 15), kBlack);

    // Each label sits half an hour right of its line, under the equator.
    ExpectText("12", {X(12) + 30 - 9, kEquatorY + 5}, kGridText);
    ExpectText("05", {X(5) + 30 - 9, kEquatorY + 5}, kGridText);
    ExpectText("23", {X(23) + 30 - 9, kEquatorY + 5}, kGridText);
}

TEST_F(GeocentricChartTest, TableFrameAndHeaders)
{
    Draw();
    EXPECT_EQ(canvas_.At(100, kHeight - 200), kWhite);
    EXPECT_EQ(canvas_.At(kWidth - 310, kHeight - 100), kWhite);
    EXPECT_EQ(canvas_.At(kWidth - 100, kHeight - 170), kWhite);
    EXPECT_EQ(canvas_.At(kWidth - 311, kHeight - 170), kBlack);

    const int y = kHeight - 193;
    ExpectText("Planet", {50, y}, kWhite);
    ExpectText("Right Ascension", {107, y}, kWhite);
    ExpectText("Declination", {225, y}, kWhite);
    ExpectText("Distance", {320, y}, kWhite);
    ExpectText("Horoscope Data", {430, y}, kWhite);
    // The geocentric variant of the key help, above the panel.
    const TextCall* heading = Find("Navigation Keys");
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->position, QPoint(kWidth - 310 + 20, kHeight - 224 + 59));
}

TEST_F(GeocentricChartTest, FigureLinesNeverCrossTheZeroHourSeam)
{
    const double dec = 10.5;  // between grid lines
    const int a = AddStar(0.5, dec);
    const int b = AddStar(2.0, dec);
    const int c = AddStar(3.0, dec);
    const int d = AddStar(22.0, dec);
    const int e = AddStar(23.75, dec);
    AddFigure({a, b, c});
    AddFigure({d, e});
    Draw();
    const int y = Y(dec);
    EXPECT_EQ(canvas_.At((X(2.0) + X(3.0)) / 2, y), kFigureBlue);
    EXPECT_EQ(canvas_.At((X(0.5) + X(2.0)) / 2, y), kBlack);
    EXPECT_EQ(canvas_.At((X(22.0) + X(23.75)) / 2, y), kBlack);
}

TEST_F(GeocentricChartTest, FigureLinesNeedBothStarsInsideTheBandAndNonZeroRows)
{
    const int inside = AddStar(4.25, 40);
    const int above = AddStar(4.25, 50);
    const int left = AddStar(6.0, 20.5);
    const int right = AddStar(5.0, 20.5);
    // A zero splits the polyline.
    AddFigure({inside, above, 0, left, right});
    AddFigure({left, 0, right});
    Draw();
    EXPECT_EQ(canvas_.At(X(4.25), Y(43)), kBlack);
    EXPECT_EQ(canvas_.At((X(6.0) + X(5.0)) / 2, Y(20.5)), kFigureBlue);

    // The gap is no star, even when star row 0 lies in the band.
    catalogue_->stars[0].ra = 5.5;
    catalogue_->stars[0].dec = 30.5;
    catalogue_->figureCount = 0;
    AddFigure({left, 0, right});
    Canvas fresh(kWidth, kHeight);
    fresh.dc().SetBkColor(kBlack);
    DrawGeocentricChart(fresh.dc(), state_, kHeight, kWidth, 0, 0, *catalogue_, *clicks_,
                        preferences_, selection_);
    EXPECT_EQ(fresh.At((X(6.0) + X(5.0)) / 2, Y(20.5)), kBlack);
    EXPECT_EQ(fresh.At((X(6.0) + X(5.5)) / 2, (Y(20.5) + Y(30.5)) / 2), kBlack);
    EXPECT_EQ(fresh.At((X(5.0) + X(5.5)) / 2, (Y(20.5) + Y(30.5)) / 2), kBlack);
}

TEST_F(GeocentricChartTest, SelectedStarOnAFigureTurnsItsConstellationRed)
{
    const int ori1 = AddStar(5.0, 10.5, 5.5, "", "Alp Ori");
    const int ori2 = AddStar(6.0, 10.5, 5.5, "", "Bet Ori");
    const int tau1 = AddStar(8.0, 10.5, 5.5, "", "Alp Tau");
    const int tau2 = AddStar(9.0, 10.5, 5.5, "", "Bet Tau");
    const int loneOri = AddStar(3.0, 30.5, 5.5, "", "Gam Ori");
    AddFigure({ori1, ori2});
    AddFigure({tau1, tau2});
    const int oriMid = (X(5.0) + X(6.0)) / 2;
    const int tauMid = (X(8.0) + X(9.0)) / 2;

    selection_.selectedStar = ori2;
    Draw();
    EXPECT_EQ(canvas_.At(oriMid, Y(10.5)), kRed);
    EXPECT_EQ(canvas_.At(tauMid, Y(10.5)), kFigureBlue);

    // A selected star that lies on no figure highlights nothing, even in a
    // constellation that has figures.
    selection_.selectedStar = loneOri;
    Draw();
    EXPECT_EQ(canvas_.At(oriMid, Y(10.5)), kFigureBlue);
}

// The panel names the constellation of a star on no figure too (the one
// its designation carries, as find does); only the figure's red marks
// need the star to be on a figure.
TEST_F(GeocentricChartTest, PanelNamesTheConstellationOfAStarOnAFigureOrNot)
{
    catalogue_->constellationNames[0] = "Gem Gemini";
    catalogue_->constellationNameCount = 1;
    const int pollux = AddStar(7.7, 28.0, 1.1, "K0", "78 Bet Gem");
    const int next = AddStar(7.3, 21.9, 3.5, "F0", "55 Del Gem");
    const int castor = AddStar(7.6, 31.9, 1.9, "A1", "66 Alp Gem");
    AddFigure({pollux, next});

    selection_.selectedStar = castor;
    Draw();
    EXPECT_NE(Find("Constallation: Gemini"), nullptr);

    canvas_.dc().ClearRecordedText();
    selection_.selectedStar = pollux;
    Draw();
    EXPECT_NE(Find("Constallation: Gemini"), nullptr);
}

TEST_F(GeocentricChartTest, NoHighlightWithoutAConstellationToMatch)
{
    // Gaps in figures are zeros, yet star row 0 is on no figure.
    const int oct1 = AddStar(5.0, 10.5, 5.5, "", "Alp Oct");
    const int oct2 = AddStar(6.0, 10.5, 5.5, "", "Bet Oct");
    // A designation too short to name a constellation matches nothing.
    const int short1 = AddStar(8.0, 10.5, 5.5, "", "X");
    const int short2 = AddStar(9.0, 10.5, 5.5, "", "Y");
    AddFigure({oct1, oct2, 0});
    AddFigure({short1, short2});
    const int octMid = (X(5.0) + X(6.0)) / 2;
    const int shortMid = (X(8.0) + X(9.0)) / 2;

    selection_.selectedStar = 0;
    Draw();
    EXPECT_EQ(canvas_.At(octMid, Y(10.5)), kFigureBlue);
    EXPECT_EQ(canvas_.At(shortMid, Y(10.5)), kFigureBlue);
    selection_.selectedStar = -1;
    Draw();
    EXPECT_EQ(canvas_.At(shortMid, Y(10.5)), kFigureBlue);
}

TEST_F(GeocentricChartTest, StarsOfTheBandAreMarkedAndGetClickRectangles)
{
    const int faint = AddStar(7.0, 44.5);
    const int bright = AddStar(8.0, -20, 2.5, "G2V");
    const int north = AddStar(9.0, 45.0);
    const int south = AddStar(10.0, -45.0);
    Draw();

    EXPECT_EQ(canvas_.At(X(7.0), Y(44.5)), kFaintStarGrey);
    EXPECT_EQ(clicks_->stars[faint], (IntRect{X(7.0) - 2, Y(44.5) - 2, X(7.0) + 2, Y(44.5) + 2}));
    // White unless the spectral colours are asked for.
    EXPECT_EQ(canvas_.At(X(8.0), Y(-20)), kWhite);
    EXPECT_EQ(clicks_->stars[bright], (IntRect{X(8.0) - 2, Y(-20) - 2, X(8.0) + 2, Y(-20) + 2}));
    // The band's limits are outside it.
    EXPECT_EQ(clicks_->stars[north], kUntouched);
    EXPECT_EQ(clicks_->stars[south], kUntouched);
    // No grey marker on the map's bottom edge.
    EXPECT_EQ(canvas_.At(X(10.0), Y(-45)), kWhite);

    preferences_.starColor = kStarsSpectral;
    Draw();
    EXPECT_EQ(canvas_.At(X(8.0), Y(-20)), kYellow);
}

TEST_F(GeocentricChartTest, SelectedStarInTheBandIsRingedAndShownInThePanel)
{
    const int star = AddStar(8.0, -20, 5.5, "K0", "Alp Hya");
    selection_.selectedStar = star;
    Draw();
    const int x = X(8.0);
    const int y = Y(-20);
    // Red inside the 6 x 6 ring, the star itself on top.
    EXPECT_EQ(canvas_.At(x - 2, y), kRed);
    EXPECT_EQ(canvas_.At(x + 1, y), kRed);
    EXPECT_EQ(canvas_.At(x, y), kFaintStarGrey);
    EXPECT_NE(Find("Spectrum K0"), nullptr);
    EXPECT_EQ(Find("Click Star for information"), nullptr);
}

TEST_F(GeocentricChartTest, SelectedStarOutsideTheBandShowsThePrompt)
{
    const int star = AddStar(8.0, 50, 5.5, "K0", "Alp UMa");
    selection_.selectedStar = star;
    Draw();
    ExpectText("Click Star for information", {4, 4}, kWhite);
    EXPECT_EQ(Find("Spectrum K0"), nullptr);
}

TEST_F(GeocentricChartTest, BodiesAtTheirMappedPositionsWithTheSunOnTop)
{
    preferences_.planetMode = kPlanetModeSmallSymbols;
    state_.rightAscension[engine::kMars] = 6;
    state_.declination[engine::kMars] = 22.5;
    state_.rightAscension[engine::kJupiter] = 12;
    state_.declination[engine::kJupiter] = -10.5;
    // Earth and Pluto hold positions, but the chart has none to show.
    state_.rightAscension[engine::kEarth] = 15;
    state_.declination[engine::kEarth] = 30.5;
    state_.rightAscension[engine::kPluto] = 17;
    state_.declination[engine::kPluto] = 30.5;
    // The Moon under the Sun.
    state_.rightAscension[engine::kMoon] = 9.5;
    state_.declination[engine::kMoon] = 30.5;
    state_.rightAscension[engine::kSun] = 9.5;
    state_.declination[engine::kSun] = 30.5;
    Draw();

    EXPECT_EQ(X(6), 1080);
    EXPECT_EQ(Y(22.5), 135);
    EXPECT_EQ(GlyphCellsShown(engine::kMars, 1080, 135), GlyphCells(engine::kMars));
    EXPECT_EQ(GlyphCellsShown(engine::kJupiter, kWidth / 2, Y(-10.5)),
              GlyphCells(engine::kJupiter));
    EXPECT_EQ(GlyphCellsShown(engine::kEarth, X(15), Y(30.5)), 0);
    EXPECT_EQ(GlyphCellsShown(engine::kPluto, X(17), Y(30.5)), 0);
    EXPECT_EQ(GlyphCellsShown(engine::kSun, X(9.5), Y(30.5)), GlyphCells(engine::kSun));
    // A Moon cell outside the Sun's glyph still shows: row 0, column 1.
    EXPECT_EQ(canvas_.At(X(9.5) - 3, Y(30.5) - 4), BodyColor(engine::kMoon));
}

TEST_F(GeocentricChartTest, BodiesFollowThePlanetMode)
{
    state_.rightAscension[engine::kMars] = 6;
    state_.declination[engine::kMars] = 22.5;
    preferences_.planetMode = kPlanetModeDots;
    Draw();
    // A filled 6 x 6 dot, also where the small glyph has no cell.
    EXPECT_EQ(canvas_.At(1080, 135), BodyColor(engine::kMars));
    EXPECT_EQ(canvas_.At(1080 - 2, 135 - 2), BodyColor(engine::kMars));

    preferences_.planetMode = kPlanetModeBigSymbols;
    Canvas big(kWidth, kHeight);
    big.dc().SetBkColor(kBlack);
    DrawGeocentricChart(big.dc(), state_, kHeight, kWidth, 0, 0, *catalogue_, *clicks_,
                        preferences_, selection_);
    // Mars's row 1 (0x1E) starts at column 3: a 2 x 2 block at (x - 3, y - 7).
    EXPECT_EQ(big.At(1080 - 9 + 6, 135 - 9 + 2), BodyColor(engine::kMars));
    EXPECT_EQ(big.At(1080 - 9 + 7, 135 - 9 + 3), BodyColor(engine::kMars));
}

TEST_F(GeocentricChartTest, TableHasNineRowsAlternatingWhiteAndYellow)
{
    Draw();
    const int bodies[] = {0, 1, 2, 4, 5, 6, 7, 8, 10};
    const char* names[] = {"Sun",    "Mercury", "Venus",   "Mars", "Jupiter",
                           "Saturn", "Uranus",  "Neptune", "Moon"};
    for (int n = 0; n < 9; ++n) {
        const int y = kHeight - 173 + 17 * n;
        ExpectText(names[n], {50, y}, BodyColor(bodies[n]));
    }
    EXPECT_EQ(Find("Earth"), nullptr);
    EXPECT_EQ(Find("Pluto"), nullptr);

    // Every body shares RA 20 h here, so each row writes the same texts.
    int yellowRows = 0;
    int whiteRows = 0;
    for (const TextCall& call : canvas_.dc().RecordedText()) {
        if (call.text == QStringLiteral("20h 00m 00.0s")) {
            EXPECT_EQ(call.position.x(), 110);
            const int n = (call.position.y() - (kHeight - 173)) / 17;
            EXPECT_EQ(call.color, n % 2 == 0 ? kWhite : kYellow) << n;
            (call.color == kWhite ? whiteRows : yellowRows)++;
        }
    }
    EXPECT_EQ(whiteRows, 5);
    EXPECT_EQ(yellowRows, 4);
}

TEST_F(GeocentricChartTest, TableRowSymbolsAreBigAndIndented)
{
    // The Sun's row 0 (0x3C) in big cells from (15 - 9 + 4, y + 8 - 9);
    // Mercury's row 0 (0x66) from (35 - 9 + 2, ...).
    Draw();
    const int sunY = kHeight - 173;
    EXPECT_EQ(canvas_.At(15 - 9 + 4, sunY - 1), BodyColor(engine::kSun));
    EXPECT_EQ(canvas_.At(15 - 9 + 5, sunY), BodyColor(engine::kSun));
    const int mercuryY = kHeight - 173 + 17;
    EXPECT_EQ(canvas_.At(35 - 9 + 2, mercuryY - 1), BodyColor(engine::kMercury));
    EXPECT_EQ(canvas_.At(35 - 9 + 0, mercuryY - 1), kBlack);
}

TEST_F(GeocentricChartTest, TableValuesComeFromTheFormatters)
{
    state_.rightAscension[engine::kSun] = 5.5;
    state_.declination[engine::kSun] = 23.44;
    state_.rightAscension[engine::kMercury] = 23.0;
    state_.declination[engine::kMercury] = -8.5;
    Draw();
    const int sunY = kHeight - 173;
    ExpectText("05h 30m 00.0s", {110, sunY}, kWhite);
    ExpectText(QString::fromUtf8("+ 23\u00b0 26' 24.0\""), {215, sunY}, kWhite);
    // 5.5 h is three quarters through the third sign.
    ExpectText("Gemini", {430, sunY}, kWhite);
    ExpectText(QString::fromUtf8("22\u00b0 30' 00.0\""), {500, sunY}, kWhite);

    const int mercuryY = sunY + 17;
    ExpectText("23h 00m 00.0s", {110, mercuryY}, kYellow);
    ExpectText(QString::fromUtf8("-  08\u00b0 30' 00.0\""), {215, mercuryY}, kYellow);
    ExpectText("Pisces", {430, mercuryY}, kYellow);
    ExpectText(QString::fromUtf8("15\u00b0 00' 00.0\""), {500, mercuryY}, kYellow);
}

TEST_F(GeocentricChartTest, DistancesInAstronomicalUnitsAndTheMoonInMiles)
{
    state_.geoDistance[engine::kMoon] = 384400;
    state_.geoDistance[engine::kJupiter] = 5.2;
    state_.geoDistance[engine::kSaturn] = 10.05;
    state_.geoDistance[engine::kSun] = 0.98333;
    Draw();
    const int rowY = kHeight - 173;
    ExpectText(" 238906 MI", {320, rowY + 17 * 8}, kWhite);
    ExpectText("5.20000 AU", {320, rowY + 17 * 4}, kWhite);
    ExpectText("10.0500 AU", {320, rowY + 17 * 5}, kYellow);
    ExpectText("0.98333 AU", {320, rowY}, kWhite);
}

TEST_F(GeocentricChartTest, CaptionShowsTheShownInstantInYellow)
{
    state_.shownYear = 2006;
    state_.shownMonth = 3;
    state_.shownDay = 21;
    state_.shownHour = 20;
    state_.shownMinute = 5;
    state_.shownSecond = 9;
    state_.dst = 1;
    const QFont before = canvas_.dc().Font();
    Draw();
    const TextCall* caption = Find("03/21/2006 AD  08:05:09 PM*");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->position, QPoint(kWidth - 275, kHeight - 196));
    EXPECT_EQ(caption->color, kYellow);
    EXPECT_EQ(caption->font, ChartFont(ChartFontUse::GeocentricCaption));
    // The table font is back for whoever draws next.
    EXPECT_EQ(canvas_.dc().Font(), before);
}

TEST_F(GeocentricChartTest, ThroughTheOffscreenSurfaceOntoABlackWindow)
{
    const int star = AddStar(8.0, -20);
    QImage window(kWidth, kHeight, QImage::Format_RGB32);
    window.fill(qRgb(90, 90, 90));
    QPainter painter(&window);
    painter.setBackground(QColor(kBlack));
    IntRect link{1, 2, 3, 4};
    DrawGeocentricChart(painter, OutputKind::Window, state_, kHeight, kWidth, 210, link, 0, 0,
                        *catalogue_, *clicks_, preferences_, selection_);
    painter.end();
    EXPECT_EQ(window.pixel(X(8.0), Y(-20)) | 0xff000000u, kFaintStarGrey);
    EXPECT_EQ(window.pixel(700, Y(12)) | 0xff000000u, kBlack);
    EXPECT_EQ(clicks_->stars[star], (IntRect{X(8.0) - 2, Y(-20) - 2, X(8.0) + 2, Y(-20) + 2}));
    EXPECT_EQ(link, (IntRect{1, 2, 3, 4}));
}

}  // namespace
}  // namespace skyvane::render
