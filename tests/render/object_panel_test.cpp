#include <gtest/gtest.h>

#include <QString>

#include <memory>
#include <optional>
#include <vector>

#include "render/chart_fonts.h"
#include "render/object_panel.h"
#include "render_test_canvas.h"

namespace skyvane::render {
namespace {

using skydata::IntRect;
using test::Canvas;

constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kLightBlue = qRgb(110, 150, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kBlack = qRgb(0, 0, 0);

// 23° 26' 24" and 5 h 30 m, written as the formatters document them.
constexpr double kDec = 23.44;
constexpr double kRa = 5.5;
const QString kRaText = QStringLiteral("05h 30m 00.0s");
const QString kDecText = QString::fromUtf8("+ 23\u00b0 26' 24.0\"");

std::unique_ptr<skydata::SkyCatalogue> MakeCatalogue()
{
    auto catalogue = std::make_unique<skydata::SkyCatalogue>();
    catalogue->pagePrefix = "http://pages.example/object?id=";
    catalogue->pageSuffix = "&lang=en";
    catalogue->constellationNames[0] = "Lyr Lyra";
    catalogue->constellationNames[1] = "And Andromeda";
    catalogue->constellationNames[2] = "Leo Leo";
    catalogue->constellationNames[3] = "UMa Ursa Major";
    catalogue->constellationNameCount = 4;
    return catalogue;
}

skydata::StarRecord Vega()
{
    skydata::StarRecord star;
    star.designation = "Alp Lyr";
    star.properName = "Vega";
    star.ra = kRa;
    star.dec = kDec;
    star.spectrum = "A0V";
    star.sao = 67174;
    star.magnitude = 0.03;
    star.infoPageId = 0;
    star.hasInfoPage = 1;
    return star;
}

skydata::DeepSkyObject AndromedaGalaxy()
{
    skydata::DeepSkyObject object;
    object.name = "Andromeda Galaxy";
    object.ngc = "224";
    object.ra = kRa;
    object.dec = kDec;
    object.dimension = "178x63";
    object.distance = 2.5;
    object.magnitude = 3.4;
    object.infoPageId = 42;
    object.hasInfoPage = 0;
    return object;
}

struct ExpectedText {
    QString text;
    QPoint position;
    QRgb color;
};

void ExpectTexts(const std::vector<TextCall>& calls, const std::vector<ExpectedText>& expected)
{
    ASSERT_EQ(calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].text.toStdString());
        EXPECT_EQ(calls[i].text, expected[i].text);
        EXPECT_EQ(calls[i].position, expected[i].position);
        EXPECT_EQ(calls[i].color | 0xff000000u, expected[i].color);
    }
}

const TextCall* FindText(const std::vector<TextCall>& calls, const QString& text)
{
    for (const TextCall& call : calls) {
        if (call.text == text) return &call;
    }
    return nullptr;
}

// ---------------------------------------------------------------- picking

class PickObjectTest : public ::testing::Test {
protected:
    std::unique_ptr<skydata::SkyCatalogue> catalogue = MakeCatalogue();
    std::unique_ptr<skydata::CatalogueClickRects> rects =
        std::make_unique<skydata::CatalogueClickRects>();
    IntRect linkRect{};
    ObjectSelection selection;

    PickResult Click(int x, int y)
    {
        return PickObject(QPoint(x, y), *catalogue, *rects, linkRect, selection);
    }
};

TEST_F(PickObjectTest, OfOverlappingStarsTheHigherRowWinsAndHelpIsHidden)
{
    rects->stars[5] = {10, 10, 20, 20};
    rects->stars[9] = {15, 15, 25, 25};
    rects->stars[7] = {100, 100, 110, 110};
    selection = {-1, 4, true};

    const PickResult result = Click(17, 17);
    EXPECT_TRUE(result.invalidate);
    EXPECT_FALSE(result.pageAddress.has_value());
    EXPECT_EQ(selection, (ObjectSelection{9, -1, false}));
}

TEST_F(PickObjectTest, MessierObjectWinsOverStarAtTheSamePoint)
{
    rects->stars[9000] = {10, 10, 20, 20};
    rects->deepSky[3] = {12, 12, 18, 18};
    selection = {2, -1, false};

    EXPECT_TRUE(Click(14, 14).invalidate);
    EXPECT_EQ(selection, (ObjectSelection{-1, 3, false}));

    // Next to the Messier marker only the star is hit.
    Click(11, 11);
    EXPECT_EQ(selection, (ObjectSelection{9000, -1, false}));
}

TEST_F(PickObjectTest, RightAndBottomEdgesMissLeftAndTopHit)
{
    rects->stars[1] = {10, 10, 20, 20};
    selection = {3, -1, true};

    for (const QPoint miss : {QPoint(20, 15), QPoint(15, 20), QPoint(20, 20), QPoint(9, 15),
                              QPoint(15, 9)}) {
        SCOPED_TRACE(miss.x() * 1000 + miss.y());
        EXPECT_FALSE(Click(miss.x(), miss.y()).invalidate);
        // A click on nothing changes nothing, the hidden panel included.
        EXPECT_EQ(selection, (ObjectSelection{3, -1, true}));
    }
    EXPECT_TRUE(Click(10, 10).invalidate);
    EXPECT_EQ(selection.selectedStar, 1);
    selection.selectedStar = 3;
    EXPECT_TRUE(Click(19, 19).invalidate);
    EXPECT_EQ(selection.selectedStar, 1);
}

TEST_F(PickObjectTest, LinkButtonLeadsToTheSelectedObjectsPage)
{
    linkRect = {712, 662, 988, 687};
    catalogue->stars[7] = Vega();  // page number 0
    catalogue->deepSky[30] = AndromedaGalaxy();

    selection = {7, -1, false};
    PickResult result = Click(712, 662);
    ASSERT_TRUE(result.pageAddress.has_value());
    EXPECT_EQ(*result.pageAddress, "http://pages.example/object?id=0&lang=en");
    EXPECT_FALSE(result.invalidate);
    EXPECT_EQ(selection, (ObjectSelection{7, -1, false}));

    selection = {-1, 30, false};
    result = Click(987, 686);
    ASSERT_TRUE(result.pageAddress.has_value());
    EXPECT_EQ(*result.pageAddress, "http://pages.example/object?id=42&lang=en");

    // Outside the button, or with nothing selected, no page opens.
    EXPECT_FALSE(Click(988, 670).pageAddress.has_value());
    EXPECT_FALSE(Click(800, 687).pageAddress.has_value());
    selection = {-1, -1, false};
    EXPECT_FALSE(Click(800, 670).pageAddress.has_value());
}

TEST_F(PickObjectTest, LinkClickStillPicksAnObjectUnderTheButton)
{
    linkRect = {0, 0, 50, 50};
    rects->stars[12] = {20, 20, 30, 30};
    catalogue->stars[7] = Vega();
    selection = {7, -1, false};

    const PickResult result = Click(25, 25);
    EXPECT_TRUE(result.pageAddress.has_value());
    EXPECT_TRUE(result.invalidate);
    EXPECT_EQ(selection.selectedStar, 12);
}

TEST_F(PickObjectTest, SelectionOutsideTheTablesOpensNothing)
{
    linkRect = {0, 0, 50, 50};
    selection = {skydata::kStarCapacity, -1, false};
    EXPECT_FALSE(Click(5, 5).pageAddress.has_value());
    selection = {-1, skydata::kDeepSkyCapacity, false};
    EXPECT_FALSE(Click(5, 5).pageAddress.has_value());
}

// ------------------------------------------------------------ star names

TEST(StarDisplayNameTest, BlankProperNamesGetNoParentheses)
{
    skydata::StarRecord star = Vega();
    EXPECT_EQ(StarDisplayName(star), "Alp Lyr  ( Vega )");
    star.properName = "   ";
    EXPECT_EQ(StarDisplayName(star), "Alp Lyr");
    star.properName.clear();
    EXPECT_EQ(StarDisplayName(star), "Alp Lyr");
    // The name keeps its own blanks.
    star.properName = " Al Nair";
    EXPECT_EQ(StarDisplayName(star), "Alp Lyr  (  Al Nair )");
}

// ------------------------------------------------------ horizontal panels

constexpr int kWidth = 1000;
constexpr int kHeight = 700;
constexpr int kX0 = kWidth - 300;
constexpr int kBase = 302;

class HorizontalPanelTest : public ::testing::Test {
protected:
    std::unique_ptr<skydata::SkyCatalogue> catalogue = MakeCatalogue();
    Canvas canvas{kWidth, kHeight};
    IntRect linkRect{1, 2, 3, 4};

    void SetUp() override
    {
        canvas.dc().SelectFont(ChartFont(ChartFontUse::ChartText));
        canvas.dc().SetBkColor(kBlack);
        canvas.dc().SetRecordText(true);
    }
};

TEST_F(HorizontalPanelTest, StarPanelShowsCatalogueLines)
{
    skydata::StarRecord star = Vega();
    star.hasInfoPage = 0;
    catalogue->stars[17] = star;
    DrawStarPanelHorizontal(canvas.dc(), kX0, kBase, kWidth, *catalogue, 17, linkRect);

    const int x = kX0 + 12;
    ExpectTexts(canvas.dc().RecordedText(),
                {
                    {"Star :Alp Lyr  ( Vega )", {x, kBase + 232}, kRed},
                    {"Lyra", {x, kBase + 250}, kWhite},
                    {"RA", {x, kBase + 268}, kBlue},
                    {kRaText, {kX0 + 47, kBase + 268}, kBlue},
                    {"Dec", {x, kBase + 284}, kBlue},
                    {kDecText, {kX0 + 47, kBase + 284}, kBlue},
                    {"Spectrum A0V", {x, kBase + 302}, kYellow},
                    {"SAO 67174", {x, kBase + 320}, kWhite},
                    {"Mag 0.03", {x, kBase + 338}, kGreen},
                });
    // No button: the view's rectangle keeps its value.
    EXPECT_EQ(linkRect, (IntRect{1, 2, 3, 4}));
}

// A star in no figure is still in a constellation: the panels name the one
// its designation carries, as the find command does. An abbreviation the
// table does not know leaves the line empty rather than guessing.
TEST(StarPanels, ConstellationLineNamesTheDesignationsConstellation)
{
    const struct {
        const char* designation;
        const char* named;
    } cases[] = {{"Alp Lyr", "Lyra"}, {"41 Gam2 Leo", "Leo"}, {"HR 3236 UMa", "Ursa Major"},
                 {"Xyz Qqq", ""}, {"Le", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.designation);
        auto catalogue = MakeCatalogue();
        skydata::StarRecord star = Vega();
        star.designation = c.designation;
        catalogue->stars[17] = star;  // in no figure
        Canvas horizontal(kWidth, kHeight);
        horizontal.dc().SetRecordText(true);
        IntRect link{};
        DrawStarPanelHorizontal(horizontal.dc(), kX0, kBase, kWidth, *catalogue, 17, link);
        ASSERT_GE(horizontal.dc().RecordedText().size(), 2u);
        EXPECT_EQ(horizontal.dc().RecordedText()[1].text, QString::fromUtf8(c.named));
        EXPECT_EQ(horizontal.dc().RecordedText()[1].position, QPoint(kX0 + 12, kBase + 250));
        Canvas geocentric(400, 200);
        geocentric.dc().SetRecordText(true);
        DrawStarPanelGeocentric(geocentric.dc(), *catalogue, 17, true);
        ASSERT_FALSE(geocentric.dc().RecordedText().empty());
        EXPECT_EQ(geocentric.dc().RecordedText().front().text,
                  QString::fromUtf8("Constallation: ") + QString::fromUtf8(c.named));
    }
}

TEST_F(HorizontalPanelTest, CatalogueTextsAreWindows1252)
{
    skydata::StarRecord star = Vega();
    star.properName = "Ach\xe9rnar";  // é in Windows-1252
    catalogue->stars[2] = star;
    DrawStarPanelHorizontal(canvas.dc(), kX0, kBase, kWidth, *catalogue, 2, linkRect);
    EXPECT_EQ(canvas.dc().RecordedText().at(0).text,
              QString::fromUtf8("Star :Alp Lyr  ( Ach\u00e9rnar )"));
}

TEST_F(HorizontalPanelTest, LinkButtonUnderAStarPanel)
{
    catalogue->stars[17] = Vega();
    DrawStarPanelHorizontal(canvas.dc(), kX0, kBase, kWidth, *catalogue, 17, linkRect);

    const IntRect expected{kX0 + 12, kBase + 360, kWidth - 12, kBase + 385};
    EXPECT_EQ(linkRect, expected);
    const TextCall* link = FindText(canvas.dc().RecordedText(), "Click here for more online info !");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->position, QPoint(kX0 + 50, kBase + 365));
    EXPECT_EQ(link->color | 0xff000000u, kRed);
    EXPECT_EQ(link->background | 0xff000000u, kWhite);
    EXPECT_EQ(canvas.dc().BkColor() | 0xff000000u, kBlack);

    // White fill over the whole box (corners and the margin beside the
    // text), nothing outside it.
    EXPECT_EQ(canvas.At(expected.left, expected.top), kWhite);
    EXPECT_EQ(canvas.At(expected.right - 1, expected.bottom - 1), kWhite);
    EXPECT_EQ(canvas.At(expected.left + 20, expected.top + 2), kWhite);
    EXPECT_EQ(canvas.At(expected.right, expected.top), kBlack);
    EXPECT_EQ(canvas.At(expected.left, expected.bottom), kBlack);
    EXPECT_EQ(canvas.At(expected.left - 1, expected.top), kBlack);
}

TEST_F(HorizontalPanelTest, MessierPanelShowsCatalogueLines)
{
    skydata::DeepSkyObject object = AndromedaGalaxy();
    catalogue->deepSky[30] = object;
    DrawMessierPanelHorizontal(canvas.dc(), kX0, kBase, kWidth, *catalogue, 30, linkRect);

    const int x = kX0 + 12;
    ExpectTexts(canvas.dc().RecordedText(),
                {
                    {"Messier Object M31  Andromeda Galaxy", {x, kBase + 232}, kRed},
                    {"NGC 224", {x, kBase + 250}, kWhite},
                    {"RA", {x, kBase + 268}, kBlue},
                    {kRaText, {kX0 + 47, kBase + 268}, kBlue},
                    {"Dec", {x, kBase + 284}, kBlue},
                    {kDecText, {kX0 + 47, kBase + 284}, kBlue},
                    {"Dimension: 178x63 Arc minutes ", {x, kBase + 302}, kGreen},
                    {"Distance: 2500 light-years ", {x, kBase + 320}, kGreen},
                    {"Mag  3.4", {x, kBase + 338}, kYellow},
                });
    EXPECT_EQ(linkRect, (IntRect{1, 2, 3, 4}));
}

TEST_F(HorizontalPanelTest, LinkButtonUnderAMessierPanel)
{
    skydata::DeepSkyObject object = AndromedaGalaxy();
    object.hasInfoPage = 1;
    catalogue->deepSky[0] = object;
    DrawMessierPanelHorizontal(canvas.dc(), kX0, kBase, kWidth, *catalogue, 0, linkRect);
    EXPECT_EQ(canvas.dc().RecordedText().at(0).text, "Messier Object M1  Andromeda Galaxy");
    EXPECT_EQ(linkRect, (IntRect{kX0 + 12, kBase + 360, kWidth - 12, kBase + 385}));
    EXPECT_NE(FindText(canvas.dc().RecordedText(), "Click here for more online info !"), nullptr);
}

TEST_F(HorizontalPanelTest, RowsOutsideTheTablesDrawNothing)
{
    for (int row : {-1, skydata::kStarCapacity}) {
        DrawStarPanelHorizontal(canvas.dc(), kX0, kBase, kWidth, *catalogue, row, linkRect);
    }
    for (int row : {-1, skydata::kDeepSkyCapacity}) {
        DrawMessierPanelHorizontal(canvas.dc(), kX0, kBase, kWidth, *catalogue, row, linkRect);
    }
    EXPECT_TRUE(canvas.dc().RecordedText().empty());
}

// ------------------------------------------------------- geocentric panel

TEST(GeocentricPanelTest, DrawnStarShowsItsDataInTheCorner)
{
    auto catalogue = MakeCatalogue();
    catalogue->stars[4] = Vega();
    Canvas canvas(400, 200);
    canvas.dc().SetRecordText(true);
    DrawStarPanelGeocentric(canvas.dc(), *catalogue, 4, true);

    ExpectTexts(canvas.dc().RecordedText(),
                {
                    {"Constallation: Lyra", {35, 2}, kWhite},
                    {"Alp Lyr  ( Vega )", {32, 20}, kRed},
                    // A lighter blue than the catalogue's, readable on the sky.
                    {"RA", {35, 38}, kLightBlue},
                    {kRaText, {70, 38}, kLightBlue},
                    {"Dec", {35, 54}, kLightBlue},
                    {kDecText, {70, 54}, kLightBlue},
                    {"Spectrum A0V", {35, 72}, kYellow},
                    {"SAO 67174", {35, 90}, kWhite},
                    {"Mag 0.03", {35, 108}, kGreen},
                });
    EXPECT_EQ(canvas.At(0, 199), kBlack);  // no link button on this chart
}

TEST(GeocentricPanelTest, UndrawnSelectionShowsTheHint)
{
    auto catalogue = MakeCatalogue();
    catalogue->stars[4] = Vega();
    for (const auto& [row, drawn] : {std::pair{4, false}, std::pair{-1, true}}) {
        Canvas canvas(400, 200);
        canvas.dc().SetRecordText(true);
        DrawStarPanelGeocentric(canvas.dc(), *catalogue, row, drawn);
        ExpectTexts(canvas.dc().RecordedText(), {{"Click Star for information", {4, 4}, kWhite}});
    }
}

// Components of double stars the catalogue gives no SAO number show the
// line without one, on both charts.
TEST(StarPanels, StarWithoutSaoNumberShowsTheLineWithoutANumber)
{
    auto catalogue = MakeCatalogue();
    skydata::StarRecord star = Vega();
    star.sao = 0;
    star.hasInfoPage = 0;
    catalogue->stars[4] = star;
    Canvas geocentric(400, 200);
    geocentric.dc().SetRecordText(true);
    DrawStarPanelGeocentric(geocentric.dc(), *catalogue, 4, true);
    Canvas horizontal(kWidth, kHeight);
    horizontal.dc().SetRecordText(true);
    IntRect link{};
    DrawStarPanelHorizontal(horizontal.dc(), kX0, kBase, kWidth, *catalogue, 4, link);
    for (const auto* calls : {&geocentric.dc().RecordedText(), &horizontal.dc().RecordedText()}) {
        EXPECT_NE(FindText(*calls, "SAO"), nullptr);
        for (const TextCall& call : *calls) {
            EXPECT_FALSE(call.text.startsWith(QStringLiteral("SAO "))) << call.text.toStdString();
        }
    }
    EXPECT_EQ(SaoLine(Vega()), "SAO 67174");
}

}  // namespace
}  // namespace skyvane::render
