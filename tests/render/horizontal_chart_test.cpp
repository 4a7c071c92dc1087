// The horizontal chart: pixels probed where the layout puts things, texts
// read back from the drawing context's recorded calls.
#include "render/horizontal_chart.h"

#include <gtest/gtest.h>

#include <QString>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/sky.h"
#include "places/formatting.h"
#include "places/windows1252.h"
#include "render/body_symbols.h"
#include "render/chart_fonts.h"
#include "render/horizontal_placement.h"
#include "render/sky_mapping.h"
#include "render_test_canvas.h"
#include "skydata/data_file.h"
#include "skydata/sky_data.h"
#include "tests/zurich_sky.h"

namespace skyvane::render {
namespace {

using skydata::IntRect;
using test::Canvas;

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kDayBlue = qRgb(36, 36, 144);
constexpr QRgb kFigureBlue = qRgb(70, 70, 220);
constexpr QRgb kMessierPen = qRgb(204, 87, 57);
constexpr QRgb kFaintGrey = qRgb(200, 200, 200);

// 1280 x 800: R0 = 390, centre (412, 400), radius 399, panel from x 980;
// the body table ends at y 279.
constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kCx = 412;
constexpr int kCy = 400;
constexpr int kRadius = 399;
constexpr int kX0 = 980;
constexpr int kTableEnd = 279;

const IntRect kUntouched{-7, -7, -7, -7};

class HorizontalChartTest : public ::testing::Test {
protected:
    HorizontalChartTest()
        : catalogue_(std::make_unique<skydata::SkyCatalogue>()),
          clicks_(std::make_unique<skydata::CatalogueClickRects>())
    {
        // At the north pole altitude equals declination, so a star's
        // declination alone says whether it is up.
        state_.latitude = 90;
        state_.altitude[engine::kSun] = -20;
        clicks_->stars.fill(kUntouched);
        clicks_->deepSky.fill(kUntouched);
        AddStar(1.0, -30, 6.0, "HR 1 Ori");  // row 0: below the horizon, never in a figure
    }

    int AddStar(double ra, double dec, double magnitude, const std::string& designation,
                int hasInfoPage = 0)
    {
        const int row = catalogue_->starCount++;
        skydata::StarRecord& star = catalogue_->stars[row];
        star.ra = ra;
        star.dec = dec;
        star.magnitude = magnitude;
        star.designation = designation;
        star.spectrum = "A0V";
        star.hasInfoPage = hasInfoPage;
        return row;
    }
    int AddMessier(double ra, double dec)
    {
        const int row = catalogue_->deepSkyCount++;
        catalogue_->deepSky[row].ra = ra;
        catalogue_->deepSky[row].dec = dec;
        return row;
    }
    void AddFigure(std::initializer_list<int> stars)
    {
        std::copy(stars.begin(), stars.end(),
                  catalogue_->figures[catalogue_->figureCount++].stars.begin());
    }
    PixelPoint At(int star) const
    {
        const skydata::StarRecord& s = catalogue_->stars[star];
        const StarPlacement p = ProjectStarHorizontal(state_, RaCode(s.ra), DecCode(s.dec), kCx,
                                                      kCy, kRadius, prefs_.eastWestSign);
        EXPECT_TRUE(p.visible);
        return {p.x, p.y};
    }
    PixelPoint MessierAt(int row) const
    {
        const skydata::DeepSkyObject& m = catalogue_->deepSky[row];
        const StarPlacement p = ProjectStarHorizontal(state_, RaCode(m.ra), DecCode(m.dec), kCx,
                                                      kCy, kRadius, prefs_.eastWestSign);
        return {p.x, p.y};
    }

    Canvas& Draw(int width = kWidth, int height = kHeight)
    {
        canvas_ = std::make_unique<Canvas>(width, height);
        canvas_->dc().SetRecordText(true);
        DrawHorizontalChart(canvas_->dc(), state_, height, width, link_, 0, 0, *catalogue_,
                            *clicks_, prefs_, selection_);
        return *canvas_;
    }
    QRgb Pixel(int x, int y) const { return canvas_->At(x, y); }
    // Lines may pass a pixel beside the exact midpoint.
    bool NearMidpointIs(PixelPoint a, PixelPoint b, QRgb color) const
    {
        const int mx = (a.x + b.x) / 2;
        const int my = (a.y + b.y) / 2;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (Pixel(mx + dx, my + dy) == (color | 0xff000000u)) return true;
        return false;
    }
    const TextCall* FindText(const QString& text) const
    {
        for (const TextCall& call : canvas_->dc().RecordedText())
            if (call.text == text) return &call;
        return nullptr;
    }
    const TextCall* FindTextStarting(const QString& prefix) const
    {
        for (const TextCall& call : canvas_->dc().RecordedText())
            if (call.text.startsWith(prefix)) return &call;
        return nullptr;
    }
    // Key caps repeat some letters, so a text is looked for where it belongs.
    void ExpectText(const QString& text, int x, int y, QRgb color) const
    {
        for (const TextCall& call : canvas_->dc().RecordedText()) {
            if (call.text == text && call.position == QPoint(x, y)) {
                EXPECT_EQ(call.color, color) << text.toStdString();
                return;
            }
        }
        ADD_FAILURE() << "no \"" << text.toStdString() << "\" at " << x << "," << y;
    }

    engine::SkyState state_;
    std::unique_ptr<skydata::SkyCatalogue> catalogue_;
    std::unique_ptr<skydata::CatalogueClickRects> clicks_;
    DisplayPreferences prefs_;
    ObjectSelection selection_;
    IntRect link_ = kUntouched;
    std::unique_ptr<Canvas> canvas_;
};

// ------------------------------------------------------------- sky disc

struct TwilightCase {
    double sunAltitude;
    QRgb disc;
};
class SkyDiscTest : public HorizontalChartTest,
                    public ::testing::WithParamInterface<TwilightCase> {};

TEST_P(SkyDiscTest, DiscColourFollowsTheSunsAltitude)
{
    state_.altitude[engine::kSun] = GetParam().sunAltitude;
    Draw();
    EXPECT_EQ(Pixel(kCx - kRadius / 2, kCy + kRadius / 3), GetParam().disc | 0xff000000u);
    // White rim touching rows 1 and H - 2 and starting 13 pixels in.
    EXPECT_EQ(Pixel(13, kCy), kWhite | 0xff000000u);
    EXPECT_EQ(Pixel(12, kCy), kBlack | 0xff000000u);
    EXPECT_EQ(Pixel(kCx, 1), kWhite | 0xff000000u);
    EXPECT_EQ(Pixel(kCx, 0), kBlack | 0xff000000u);
    EXPECT_EQ(Pixel(kCx, kHeight - 2), kWhite | 0xff000000u);
}
INSTANTIATE_TEST_SUITE_P(Twilight, SkyDiscTest,
                         ::testing::Values(TwilightCase{-30, kBlack}, TwilightCase{-12, kBlack},
                                           TwilightCase{-6, qRgb(18, 18, 72)},
                                           TwilightCase{-1, qRgb(33, 33, 132)},
                                           TwilightCase{0, kDayBlue},
                                           TwilightCase{40, kDayBlue}));

// A window less than about 310 pixels wider than it is tall (maximised on a
// 1024 x 768 screen, a portrait screen) has no room for a disc as tall as
// the window: the disc takes the room left of the panel instead, in the
// middle of the height. Every other window keeps the disc as it was.
TEST_F(HorizontalChartTest, TheDiscStaysLeftOfThePanelAtEveryWindowSize)
{
    struct Size {
        int width;
        int height;
        bool fullHeight;
    };
    constexpr QRgb kCompassGreen = qRgb(0, 220, 0);
    const QRgb white = kWhite | 0xff000000u;
    const QRgb black = kBlack | 0xff000000u;
    state_.altitude[engine::kSun] = 40;  // a day-blue disc
    for (const Size size : {Size{kWidth, kHeight, true}, Size{1020, 703, true},
                            Size{1024, 730, false}, Size{768, 1000, false}}) {
        Draw(size.width, size.height);
        const int x0 = size.width - 300;
        const int cy = (size.height - 20) / 2 + 10;
        const int r = size.fullHeight ? size.height / 2 - 1 : (x0 - 2 - 13) / 2;
        const int cx = 13 + r;
        const std::string at = std::to_string(size.width) + "x" + std::to_string(size.height);
        EXPECT_EQ(Pixel(13, cy), white) << at;
        EXPECT_EQ(Pixel(12, cy), black) << at;
        EXPECT_EQ(Pixel(cx, cy - r), white) << at;
        EXPECT_EQ(Pixel(cx, cy - r - 1), black) << at;
        int spilled = 0;
        for (int y = 0; y < size.height; ++y)
            for (int x = x0; x < size.width; ++x) {
                const QRgb p = Pixel(x, y) & 0xffffffu;
                if (p == (kDayBlue & 0xffffffu) || p == (kCompassGreen & 0xffffffu)) ++spilled;
            }
        EXPECT_EQ(spilled, 0) << at << ": disc or compass pixels in the panel";
    }
}

// ------------------------------------------------------- catalogue objects

TEST_F(HorizontalChartTest, OnlyStarsAboveTheHorizonAreDrawnAndClickable)
{
    const int bright = AddStar(3.0, 40, 1.0, "11 Alp Cas");
    const int faint = AddStar(9.0, 20, 5.5, "HR 9 UMa");
    const int below = AddStar(15.0, -10, 1.0, "HR 15 Lib");
    const int empty = AddStar(0.0, 35, 1.0, "HR 0 And");  // right ascension exactly 0
    Draw();
    const PixelPoint b = At(bright);
    const PixelPoint f = At(faint);
    EXPECT_EQ(clicks_->stars[bright], (IntRect{b.x - 3, b.y - 3, b.x + 3, b.y + 3}));
    EXPECT_EQ(Pixel(b.x, b.y), kWhite | 0xff000000u);
    EXPECT_EQ(clicks_->stars[faint], (IntRect{f.x - 2, f.y - 2, f.x + 2, f.y + 2}));
    EXPECT_EQ(Pixel(f.x, f.y), kFaintGrey | 0xff000000u);
    EXPECT_EQ(clicks_->stars[below], kUntouched);
    EXPECT_EQ(clicks_->stars[empty], kUntouched);
    EXPECT_EQ(clicks_->stars[0], kUntouched);
}

TEST_F(HorizontalChartTest, TwilightDecidesWhatIsDrawn)
{
    const int brilliant = AddStar(3.0, 40, -1.0, "HR 3 Cas");
    const int bright = AddStar(5.0, 40, 1.0, "HR 5 Aur");
    const int messier = AddMessier(8.0, 30);
    AddFigure({brilliant, bright});

    state_.altitude[engine::kSun] = -1;  // daylight: nothing at all
    Draw();
    EXPECT_EQ(clicks_->stars[brilliant], kUntouched);
    EXPECT_FALSE(NearMidpointIs(At(brilliant), At(bright), kFigureBlue));

    state_.altitude[engine::kSun] = -3;  // only magnitudes below -0.55, no deep sky
    Draw();
    EXPECT_NE(clicks_->stars[brilliant], kUntouched);
    EXPECT_EQ(clicks_->stars[bright], kUntouched);
    EXPECT_EQ(clicks_->deepSky[messier], kUntouched);
    EXPECT_TRUE(NearMidpointIs(At(brilliant), At(bright), kFigureBlue));

    state_.altitude[engine::kSun] = -16;
    Draw();
    EXPECT_NE(clicks_->stars[bright], kUntouched);
    EXPECT_NE(clicks_->deepSky[messier], kUntouched);
}

TEST_F(HorizontalChartTest, StarsAlwaysShowsThemByDayAndPlanetsOnlyHidesThem)
{
    const int star = AddStar(5.0, 40, 4.0, "HR 5 Aur");
    const int messier = AddMessier(8.0, 30);
    state_.altitude[engine::kSun] = 30;
    prefs_.starsVisibleMode = kStarsAlways;
    Draw();
    const PixelPoint p = At(star);
    EXPECT_EQ(clicks_->stars[star], (IntRect{p.x - 1, p.y - 1, p.x + 1, p.y + 1}));
    EXPECT_NE(clicks_->deepSky[messier], kUntouched);

    clicks_->stars.fill(kUntouched);
    clicks_->deepSky.fill(kUntouched);
    prefs_.noStars = 1;
    Draw();
    EXPECT_EQ(clicks_->stars[star], kUntouched);
    EXPECT_EQ(clicks_->deepSky[messier], kUntouched);
}

TEST_F(HorizontalChartTest, FigureLinesNeedBothStarsUpAndRedMarksTheSelectedConstellation)
{
    const int betelgeuse = AddStar(5.0, 40, 1.0, "58 Alp Ori");
    const int rigel = AddStar(6.5, 40, 1.0, "19 Bet Ori");
    const int dubhe = AddStar(11.0, 50, 1.0, "50 Alp UMa");
    const int merak = AddStar(12.5, 50, 1.0, "48 Bet UMa");
    const int sunk = AddStar(14.0, -20, 1.0, "HR 14 UMa");
    const int loneOrion = AddStar(20.0, 45, 4.0, "HR 20 Ori");  // in no figure
    AddFigure({betelgeuse, rigel});
    AddFigure({dubhe, merak, sunk});
    const PixelPoint b = At(betelgeuse), r = At(rigel), d = At(dubhe), m = At(merak);

    Draw();
    EXPECT_TRUE(NearMidpointIs(b, r, kFigureBlue));
    EXPECT_TRUE(NearMidpointIs(d, m, kFigureBlue));
    // The segment to the star below the horizon is left out.
    EXPECT_FALSE(NearMidpointIs(m, PixelPoint{0, 0}, kFigureBlue));
    EXPECT_EQ(clicks_->stars[sunk], kUntouched);

    selection_.selectedStar = rigel;
    Draw();
    EXPECT_TRUE(NearMidpointIs(b, r, kRed));
    EXPECT_TRUE(NearMidpointIs(d, m, kFigureBlue));

    // Neither a star outside every figure nor row 0 (which the figures'
    // empty places also hold) marks its constellation.
    for (const int row : {loneOrion, 0}) {
        selection_.selectedStar = row;
        Draw();
        EXPECT_TRUE(NearMidpointIs(b, r, kFigureBlue)) << row;
    }

    prefs_.showConstellations = 0;
    Draw();
    EXPECT_FALSE(NearMidpointIs(b, r, kFigureBlue));
}

TEST_F(HorizontalChartTest, OnlyTheFirst122FigureRowsAreDrawn)
{
    const int a = AddStar(2.0, 60, 1.0, "HR 2 Cas");
    const int b = AddStar(4.0, 60, 1.0, "HR 4 Cas");
    const int c = AddStar(16.0, 60, 1.0, "HR 16 Dra");
    const int d = AddStar(18.0, 60, 1.0, "HR 18 Dra");
    catalogue_->figures[121].stars[0] = a;
    catalogue_->figures[121].stars[1] = b;
    catalogue_->figures[122].stars[0] = c;
    catalogue_->figures[122].stars[1] = d;
    catalogue_->figureCount = 123;
    Draw();
    EXPECT_TRUE(NearMidpointIs(At(a), At(b), kFigureBlue));
    EXPECT_FALSE(NearMidpointIs(At(c), At(d), kFigureBlue));
}

TEST_F(HorizontalChartTest, MessierMarkerAndSelectionRing)
{
    // Day colours behind everything, so the marker's black inside shows.
    state_.altitude[engine::kSun] = 10;
    prefs_.starsVisibleMode = kStarsAlways;
    const int plain = AddMessier(8.0, 30);
    const int selected = AddMessier(14.0, 30);
    const int below = AddMessier(20.0, -5);
    selection_.selectedDeepSky = selected;
    Draw();
    for (const int row : {plain, selected}) {
        const PixelPoint p = MessierAt(row);
        EXPECT_EQ(clicks_->deepSky[row], (IntRect{p.x - 3, p.y - 3, p.x + 3, p.y + 3}));
        EXPECT_EQ(Pixel(p.x - 3, p.y - 1), kMessierPen | 0xff000000u);
        EXPECT_EQ(Pixel(p.x, p.y - 1), kBlack | 0xff000000u);
        EXPECT_EQ(Pixel(p.x, p.y + 1), kMessierPen | 0xff000000u);  // the short bottom row
    }
    const PixelPoint p = MessierAt(plain);
    EXPECT_EQ(Pixel(p.x, p.y + 2), kDayBlue | 0xff000000u);
    const PixelPoint s = MessierAt(selected);
    EXPECT_EQ(Pixel(s.x, s.y + 2), kWhite | 0xff000000u);
    EXPECT_EQ(Pixel(s.x - 5, s.y), kWhite | 0xff000000u);
    EXPECT_EQ(Pixel(s.x - 6, s.y), kRed | 0xff000000u);
    EXPECT_EQ(Pixel(s.x - 7, s.y), kDayBlue | 0xff000000u);
    EXPECT_EQ(clicks_->deepSky[below], kUntouched);
    ExpectText("F1 for Navigation help", 5, 5, kWhite);
}

// ------------------------------------------------------------- selection

TEST_F(HorizontalChartTest, SelectedStarOnScreenGetsRingAndPanel)
{
    const int star = AddStar(5.0, 40, 1.0, "58 Alp Ori", 1);
    selection_.selectedStar = star;
    Draw();
    const PixelPoint p = At(star);
    EXPECT_EQ(Pixel(p.x - 5, p.y), kRed | 0xff000000u);
    EXPECT_EQ(Pixel(p.x, p.y), kWhite | 0xff000000u);
    ExpectText("F1 for Navigation help", 5, 5, kWhite);
    // The panel starts 23 below the table's end: its first line 232 lower,
    // its link button from 360 lower to 12 short of the right edge.
    const TextCall* title = FindTextStarting("Star :");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->position, QPoint(kX0 + 12, kTableEnd + 23 + 232));
    EXPECT_EQ(link_, (IntRect{kX0 + 12, kTableEnd + 23 + 360, kWidth - 12, kTableEnd + 23 + 385}));
    EXPECT_EQ(FindTextStarting("Navigation Keys"), nullptr);
}

TEST_F(HorizontalChartTest, HelpReplacesThePanelWhenAskedForOrWhenTheSelectionIsDown)
{
    const int up = AddStar(5.0, 40, 1.0, "58 Alp Ori", 1);
    const int down = AddStar(17.0, -40, 1.0, "HR 17 Sco", 1);
    for (const auto& [star, help] : {std::pair{up, true}, std::pair{down, false}}) {
        selection_ = {star, -1, help};
        Draw();
        ExpectText("Click Star for more information", 5, 5, kWhite);
        EXPECT_EQ(FindTextStarting("Star :"), nullptr);
        const TextCall* heading = FindTextStarting("Navigation Keys");
        ASSERT_NE(heading, nullptr);
        EXPECT_EQ(heading->position, QPoint(kX0 - 7 + 20, kTableEnd + 191 + 60));
        EXPECT_EQ(link_, kUntouched);
    }
}

// ------------------------------------------------------------------ panel

TEST_F(HorizontalChartTest, BodyTableHasNineRowsWithAzimuthFromTheChosenPoint)
{
    state_.azimuth[engine::kSun] = 270;
    state_.altitude[engine::kSun] = 10;
    state_.azimuth[engine::kMercury] = 180;
    state_.altitude[engine::kMercury] = -5;
    const char* const kRows[] = {"Sun",    "Mercury", "Venus",   "Mars", "Jupiter",
                                 "Saturn", "Uranus",  "Neptune", "Moon"};
    Draw();
    for (int row = 0; row < 9; ++row) {
        const int body = row < 3 ? row : (row < 8 ? row + 1 : engine::kMoon);
        ExpectText(kRows[row], kX0 + 35, 90 + 21 * row - 6, BodyColor(body));
    }
    EXPECT_EQ(FindText("Earth"), nullptr);
    EXPECT_EQ(FindText("Pluto"), nullptr);
    const auto angle = [](double value, int style) {
        return places::FromWindows1252(places::FormatAngle(value, style));
    };
    // North at 0: 270 from the south is 90 from the north; due south reads
    // 360, not 0.
    ExpectText(angle(90, 0), kX0 + 100, 84, kYellow);
    ExpectText(angle(10, 1), kX0 + 200, 84, kYellow);
    ExpectText(angle(360, 0), kX0 + 100, 105, qRgb(210, 210, 230));
    // The big table symbol: the Sun's top row starts at its third cell.
    EXPECT_EQ(Pixel(kX0 + 20 - 9 + 4, 90 - 9), kYellow | 0xff000000u);
    // On the disc, in small symbols.
    const PixelPoint sun = ProjectHorizontal(kCx, kCy, kRadius, 270, 10, prefs_.eastWestSign);
    EXPECT_EQ(Pixel(sun.x - 4 + 2, sun.y - 4), kYellow | 0xff000000u);

    prefs_.northAtZero = false;
    Draw();
    ExpectText(angle(270, 0), kX0 + 100, 84, kYellow);
}

TEST_F(HorizontalChartTest, CaptionLocationsLabelsAndFrame)
{
    state_.shownYear = 2026;
    state_.shownMonth = 12;
    state_.shownDay = 7;
    state_.shownHour = 22;
    state_.dst = 1;
    state_.locationName = "Z\xfcrich";
    for (int k = 0; k < 5; ++k) state_.locations.entries[k].name = "Place " + std::to_string(k);
    state_.locations.entries[5].name = "Unused";
    Draw();
    const TextCall* date =
        FindText(places::FromWindows1252(places::FormatDateTime(2026, 12, 7, 22, 0, 0, 0, 1)));
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->position, QPoint(kX0 + 11, 7));
    EXPECT_EQ(date->color, kYellow);
    EXPECT_EQ(date->font, ChartFont(ChartFontUse::HorizontalCaption));
    ExpectText(QString::fromUtf8("Zürich "), kX0 + 11, 30, kYellow);
    ExpectText("Planet         Azimuth              Altitude", kX0 + 35, 64, kWhite);
    for (int k = 0; k < 5; ++k) {
        ExpectText(QString::number(k), kX0 + 11, kTableEnd + 5 + 17 * k, kWhite);
        ExpectText(QString("Place %1").arg(k), kX0 + 30, kTableEnd + 5 + 17 * k,
                   qRgb(128, 128, 255));
    }
    EXPECT_EQ(FindText("Unused"), nullptr);
    const TextCall* label = FindText("Moon phase");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->position, QPoint(kX0 + 12, kTableEnd + 101));
    EXPECT_EQ(label->font, ChartFont(ChartFontUse::ChartText));
    const TextCall& credit = canvas_->dc().RecordedText().back();
    EXPECT_EQ(credit.position, QPoint(4, kHeight - 18));
    EXPECT_EQ(credit.color, qRgb(128, 128, 128));
    // Drawn last, the credit must not cover the "S" below the disc.
    canvas_->dc().SelectFont(credit.font);
    EXPECT_LT(4 + canvas_->dc().TextExtent(credit.text).width(), kCx - 4);

    const QRgb grey = qRgb(200, 200, 200) | 0xff000000u;
    EXPECT_EQ(Pixel(kX0, 700), grey);
    for (const int y : {58, 274, 372, 520}) EXPECT_EQ(Pixel(kWidth - 2, y), grey) << y;
}

TEST_F(HorizontalChartTest, CompassLettersFollowTheOrientation)
{
    const QRgb green = qRgb(0, 220, 0);
    Draw();  // first-run orientation: west left
    ExpectText("W", kCx + 2 - kRadius, kCy - 8, green);
    ExpectText("E", kCx - 10 + kRadius, kCy - 8, green);
    ExpectText("N", kCx - 4, kCy + 2 - kRadius, green);
    ExpectText("S", kCx - 4, kCy - 18 + kRadius, green);
    prefs_.eastWestSign = kEastLeftWestRight;
    Draw();
    ExpectText("E", kCx + 2 - kRadius, kCy - 8, green);
    ExpectText("W", kCx - 16 + kRadius, kCy - 8, green);
}

// ------------------------------------------------------------ Moon phase

TEST(MoonPhaseTest, PhaseFromTheRightAscensions)
{
    // Only elongations above a full turn are folded back, so a new Moon
    // reads 1, which draws the same dark disc as 0.
    EXPECT_DOUBLE_EQ(MoonPhase(7.5, 7.5), 1.0);
    EXPECT_DOUBLE_EQ(MoonPhase(7.5, 7.6), (360 - 1.5) / 360);
    EXPECT_DOUBLE_EQ(MoonPhase(9.0, 3.0), 0.25);
    EXPECT_DOUBLE_EQ(MoonPhase(2.0, 14.0), 0.5);
    EXPECT_DOUBLE_EQ(MoonPhase(0.0, 6.0), 0.75);
    EXPECT_DOUBLE_EQ(MoonPhase(23.0, 1.0), 330.0 / 360);
}

TEST(MoonPictureTest, FullMoonOnBlack)
{
    const QImage& moon = MoonPicture();
    ASSERT_EQ(moon.size(), QSize(120, 120));
    for (const QPoint corner : {QPoint(0, 0), QPoint(119, 0), QPoint(0, 119), QPoint(119, 119)})
        EXPECT_EQ(moon.pixel(corner) | 0xff000000u, kBlack | 0xff000000u);
    // Every pixel of the disc is clearly lit, so a blackened one shows.
    for (int y = 5; y < 115; ++y) {
        for (int x = 5; x < 115; ++x) {
            if ((x - 60) * (x - 60) + (y - 60) * (y - 60) < 55 * 55) {
                ASSERT_GE(qGray(moon.pixel(x, y)), 60) << x << "," << y;
            }
        }
    }
}

TEST(MoonShadowTest, PhasesDarkenTheRightParts)
{
    const QImage& moon = MoonPicture();
    const auto draw = [](double phase) {
        auto canvas = std::make_unique<Canvas>(140, 140);
        DrawMoonWithShadow(canvas->dc(), 10, 10, phase);
        return canvas;
    };
    const auto lit = [&](const Canvas& c, int x, int y) {
        return c.At(10 + x, 10 + y) == (moon.pixel(x, y) | 0xff000000u) &&
               c.At(10 + x, 10 + y) != (kBlack | 0xff000000u);
    };
    const auto dark = [](const Canvas& c, int x, int y) {
        return c.At(10 + x, 10 + y) == (kBlack | 0xff000000u);
    };
    for (const double phase : {0.0, 1.0}) {
        const auto newMoon = draw(phase);
        for (const int y : {3, 60, 116}) {
            for (const int x : {10, 30, 59, 60, 90, 110}) {
                EXPECT_TRUE(dark(*newMoon, x, y)) << phase << ": " << x << "," << y;
            }
        }
    }
    const auto full = draw(0.5);
    for (const int x : {10, 30, 59, 60, 90, 110}) EXPECT_TRUE(lit(*full, x, 60)) << x;
    EXPECT_TRUE(lit(*full, 60, 3));
    EXPECT_TRUE(lit(*full, 60, 116));
    // First quarter: the left half dark, the right lit. (Column 59 sits on
    // the terminator, which the rounded 2 pi leaves a hair off centre.)
    const auto first = draw(0.25);
    for (const int y : {20, 60, 100}) {
        EXPECT_TRUE(dark(*first, 30, y)) << y;
        EXPECT_TRUE(dark(*first, 58, y)) << y;
        EXPECT_TRUE(lit(*first, 60, y)) << y;
        EXPECT_TRUE(lit(*first, 90, y)) << y;
    }
    // Last quarter: the mirror image.
    const auto last = draw(0.75);
    for (const int y : {20, 60, 100}) {
        EXPECT_TRUE(lit(*last, 30, y)) << y;
        EXPECT_TRUE(lit(*last, 58, y)) << y;
        EXPECT_TRUE(dark(*last, 60, y)) << y;
        EXPECT_TRUE(dark(*last, 90, y)) << y;
    }
}

TEST_F(HorizontalChartTest, ChartShowsTheMoonPictureBelowItsLabel)
{
    state_.rightAscension[engine::kSun] = 16.5;
    state_.rightAscension[engine::kMoon] = 22.5;  // first quarter
    Draw();
    const QImage& moon = MoonPicture();
    const int left = kX0 + 100;
    const int top = kTableEnd + 109;
    EXPECT_EQ(Pixel(left + 30, top + 60), kBlack | 0xff000000u);
    EXPECT_EQ(Pixel(left + 90, top + 60), moon.pixel(90, 60) | 0xff000000u);
}

// ------------------------------------------------------ through a window

TEST_F(HorizontalChartTest, DrawsThroughTheOffscreenSurface)
{
    state_.altitude[engine::kSun] = 0;
    QImage window(kWidth, kHeight, QImage::Format_RGB32);
    window.fill(qRgb(1, 2, 3));
    {
        QPainter painter(&window);
        painter.setBackground(QColor(kBlack));
        DrawHorizontalChart(painter, OutputKind::Window, state_, kHeight, kWidth, 50, link_, 0, 0,
                            *catalogue_, *clicks_, prefs_, selection_);
    }
    EXPECT_EQ(window.pixel(kCx - kRadius / 2, kCy + kRadius / 3), kDayBlue | 0xff000000u);
    EXPECT_EQ(window.pixel(2, kCy), kBlack | 0xff000000u);
}

// ------------------------------------------------------- the real sky

std::shared_ptr<const skydata::SkyData> RealSkyData()
{
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(skydata::ReadDataFile(std::filesystem::path(SKYVANE_DATAS_BIN), bytes));
    skydata::SkyDataStore store;
    EXPECT_TRUE(store.Load(bytes));
    return store.Current();
}

// The per-frame placement must put every star on the very pixel the
// single-star placement gives, at any place and time, and notice a
// changed catalogue row.
TEST(HorizontalStarPlacerTest, SamePixelsAsTheSingleStarPlacement)
{
    const auto data = RealSkyData();
    const skydata::SkyCatalogue& catalogue = *data->catalogue;
    ASSERT_GT(catalogue.starCount, 9000);
    struct Observer {
        double latitude, longitude, siderealTime;
        int orientation;
    };
    const Observer observers[] = {{47.32, -8.5, 2.7, 1},   {0, 74.0, 13.25, -1},
                                  {-33.9, -151.2, 21.9, 1}, {90, 0, 0, 1},
                                  {-90, 10, 5.5, -1},       {51.48, 0, 23.999, 1}};
    HorizontalStarPlacer placer;
    for (const Observer& o : observers) {
        engine::SkyState state;
        state.latitude = o.latitude;
        state.longitude = o.longitude;
        state.siderealTime = o.siderealTime;
        placer.Place(state, catalogue, catalogue.starCount, kCx, kCy, kRadius, o.orientation);
        ASSERT_EQ(placer.Placements().size(), static_cast<std::size_t>(catalogue.starCount));
        int mismatches = 0;
        for (int i = 0; i < catalogue.starCount; ++i) {
            const skydata::StarRecord& star = catalogue.stars[i];
            const StarPlacement expected = ProjectStarHorizontal(
                state, RaCode(star.ra), DecCode(star.dec), kCx, kCy, kRadius, o.orientation);
            const StarPlacement& got = placer.Placements()[i];
            if (got.visible != expected.visible || got.x != expected.x || got.y != expected.y)
                ++mismatches;
        }
        EXPECT_EQ(mismatches, 0) << "latitude " << o.latitude;
    }

    auto changed = std::make_unique<skydata::SkyCatalogue>();
    changed->stars[0] = catalogue.stars[0];
    changed->stars[0].dec = -changed->stars[0].dec;
    changed->stars[0].ra += 12;
    engine::SkyState state;
    state.latitude = 10;
    placer.Place(state, catalogue, 1, kCx, kCy, kRadius, 1);
    placer.Place(state, *changed, 1, kCx, kCy, kRadius, 1);
    const StarPlacement expected =
        ProjectStarHorizontal(state, RaCode(changed->stars[0].ra), DecCode(changed->stars[0].dec),
                              kCx, kCy, kRadius, 1);
    EXPECT_EQ(placer.Placements()[0].visible, expected.visible);
    EXPECT_EQ(placer.Placements()[0].x, expected.x);
    EXPECT_EQ(placer.Placements()[0].y, expected.y);
}

// Zurich at 22:00 local time on 2026-12-07: Orion stands in the south-east.
TEST(HorizontalChartRealSkyTest, OrionIsInTheSouthEastOverZurichOnADecemberEvening)
{
    const auto data = RealSkyData();
    const skydata::SkyCatalogue& catalogue = *data->catalogue;

    engine::SkyState state = ZurichDecemberEvening();
    engine::SkyCalculator().ComputeSky(state);
    engine::FoldShownInstant(state);
    ASSERT_LT(state.altitude[engine::kSun], -18);

    auto clicks = std::make_unique<skydata::CatalogueClickRects>();
    IntRect link;
    Canvas canvas(kWidth, kHeight);
    const DisplayPreferences prefs;  // west left, east right
    DrawHorizontalChart(canvas.dc(), state, kHeight, kWidth, link, 0, 0, catalogue, *clicks,
                        prefs, ObjectSelection{});

    std::vector<int> orion;
    for (int row = 0; row < catalogue.figureCount; ++row) {
        const auto& stars = catalogue.figures[row].stars;
        const std::string& first = catalogue.stars[stars[0]].designation;
        if (first.size() < 3 || first.substr(first.size() - 3) != "Ori") continue;
        for (const int star : stars)
            if (star > 0) orion.push_back(star);
    }
    ASSERT_GE(orion.size(), 10u);
    int betelgeuse = -1;
    int rigel = -1;
    for (const int star : orion) {
        if (catalogue.stars[star].sao == 113271) betelgeuse = star;
        if (catalogue.stars[star].sao == 131907) rigel = star;
        const IntRect& r = clicks->stars[star];
        ASSERT_NE(r, IntRect{}) << catalogue.stars[star].designation;
        const int x = (r.left + r.right) / 2;
        const int y = (r.top + r.bottom) / 2;
        EXPECT_GT(x, kCx) << catalogue.stars[star].designation;  // east
        EXPECT_GT(y, kCy) << catalogue.stars[star].designation;  // south
        EXPECT_LT((x - kCx) * (x - kCx) + (y - kCy) * (y - kCy), kRadius * kRadius);
    }
    ASSERT_NE(betelgeuse, -1);
    ASSERT_NE(rigel, -1);
    // Both first magnitude or brighter: class 3 markers on a wide window.
    EXPECT_EQ(clicks->stars[betelgeuse].right - clicks->stars[betelgeuse].left, 6);
    EXPECT_EQ(clicks->stars[rigel].right - clicks->stars[rigel].left, 6);
}

}  // namespace
}  // namespace skyvane::render
