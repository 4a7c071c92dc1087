// The sky charts seen through a zoomed view: objects where the view puts
// them and sized for its field, names that never overlap, nothing off the
// map answering clicks, and the panels and tables as they always are.
#include <gtest/gtest.h>

#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "engine/sky.h"
#include "render/chart_fonts.h"
#include "render/geocentric_chart.h"
#include "render/horizontal_chart.h"
#include "render/horizontal_placement.h"
#include "render/zoomed_sky.h"
#include "render_test_canvas.h"

namespace skyvane::render {
namespace {

using skydata::IntRect;
using test::Canvas;

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kPanelLeft = kWidth - 300;
constexpr int kMapHeight = kHeight - 200;
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kGeocentricFigure = qRgb(70, 70, 255);
const IntRect kUntouched{-7, -7, -7, -7};

class ZoomedChartTest : public ::testing::Test {
protected:
    ZoomedChartTest()
        : catalogue_(std::make_unique<skydata::SkyCatalogue>()),
          clicks_(std::make_unique<skydata::CatalogueClickRects>())
    {
        // At the north pole altitude is declination.
        state_.latitude = 90;
        state_.altitude[engine::kSun] = -20;
        AddStar(1.0, -30, 6.0, "HR 1 Ori", "");  // row 0: never in a figure
        bright_ = AddStar(3.0, 60, 1.5, "33 Alp Per", "Mirfak");
        near_ = AddStar(3.05, 60.5, 4.0, "26 Bet Per", "");
        far_ = AddStar(9.0, 50, 2.0, "HR 9 UMa", "Farstar");
        AddFigure({bright_, near_});
        catalogue_->deepSkyCount = 1;
        catalogue_->deepSky[0].ra = 3.1;
        catalogue_->deepSky[0].dec = 59.7;
        catalogue_->deepSky[0].dimension = "30x20";
        preferences_.showConstellations = 1;
    }

    int AddStar(double ra, double dec, double magnitude, const std::string& designation,
                const std::string& name)
    {
        const int row = catalogue_->starCount++;
        skydata::StarRecord& star = catalogue_->stars[static_cast<std::size_t>(row)];
        star.ra = ra;
        star.dec = dec;
        star.magnitude = magnitude;
        star.designation = designation;
        star.properName = name;
        star.spectrum = "A0V";
        return row;
    }
    void AddFigure(std::initializer_list<int> stars)
    {
        std::copy(stars.begin(), stars.end(),
                  catalogue_->figures[static_cast<std::size_t>(catalogue_->figureCount++)]
                      .stars.begin());
    }
    SkyPoint HorizontalOf(int star) const
    {
        const skydata::StarRecord& s = catalogue_->stars[static_cast<std::size_t>(star)];
        const engine::Horizontal h = HorizontalPlaceOf(state_, s.ra, s.dec);
        return {h.azimuth, h.altitude};
    }

    std::unique_ptr<Canvas> DrawHorizontal(const ViewAim& aim)
    {
        auto canvas = std::make_unique<Canvas>(kWidth, kHeight);
        canvas->dc().SetRecordText(true);
        clicks_->stars.fill(kUntouched);
        clicks_->deepSky.fill(kUntouched);
        DrawHorizontalChart(canvas->dc(), state_, kHeight, kWidth, link_, 0, 0, *catalogue_,
                            *clicks_, preferences_, selection_, aim);
        return canvas;
    }
    std::unique_ptr<Canvas> DrawGeocentric(const ViewAim& aim)
    {
        auto canvas = std::make_unique<Canvas>(kWidth, kHeight);
        canvas->dc().SetRecordText(true);
        clicks_->stars.fill(kUntouched);
        clicks_->deepSky.fill(kUntouched);
        DrawGeocentricChart(canvas->dc(), state_, kHeight, kWidth, 0, 0, *catalogue_, *clicks_,
                            preferences_, selection_, aim);
        return canvas;
    }

    // The texts drawn in the name font: the labels and the scale.
    static std::vector<TextCall> Labels(const Canvas& canvas)
    {
        std::vector<TextCall> labels;
        for (const TextCall& call : const_cast<Canvas&>(canvas).dc().RecordedText())
            if (call.font == ViewLabelFont()) labels.push_back(call);
        return labels;
    }
    static bool Drawn(const Canvas& canvas, const QString& text)
    {
        for (const TextCall& call : Labels(canvas))
            if (call.text == text) return true;
        return false;
    }

    engine::SkyState state_{};
    std::unique_ptr<skydata::SkyCatalogue> catalogue_;
    std::unique_ptr<skydata::CatalogueClickRects> clicks_;
    DisplayPreferences preferences_;
    ObjectSelection selection_;
    IntRect link_{};
    int bright_ = 0;
    int near_ = 0;
    int far_ = 0;
};

TEST_F(ZoomedChartTest, HorizontalFinderPutsItsTargetInTheMiddleLargerAndNamed)
{
    const auto canvas = DrawHorizontal(ViewAim::At(HorizontalOf(bright_), 10));
    const int cx = kWidth / 2;
    const int cy = kHeight / 2;
    const int radius = ZoomedStarRadius(1.5, LimitingMagnitudeForField(10) - kWholeSkyLimitingMagnitude);
    EXPECT_GT(radius, 3);  // larger than any whole-sky dot
    EXPECT_EQ(canvas->At(cx, cy), kWhite | 0xff000000u);
    EXPECT_EQ(canvas->At(cx + radius - 1, cy), kWhite | 0xff000000u);
    EXPECT_EQ(clicks_->stars[static_cast<std::size_t>(bright_)],
              (IntRect{cx - radius, cy - radius, cx + radius, cy + radius}));
    // Out of the field: no click rectangle to answer a click anywhere.
    EXPECT_EQ(clicks_->stars[static_cast<std::size_t>(far_)], IntRect{});
    // Below the horizon: as on the whole-sky chart, left alone.
    EXPECT_EQ(clicks_->stars[0], IntRect{});
    EXPECT_NE(clicks_->deepSky[0], kUntouched);

    EXPECT_TRUE(Drawn(*canvas, QStringLiteral("Mirfak")));
    EXPECT_TRUE(Drawn(*canvas, QString(QChar(u'β'))));
    EXPECT_TRUE(Drawn(*canvas, QStringLiteral("M1")));
    EXPECT_FALSE(Drawn(*canvas, QStringLiteral("Farstar")));
    EXPECT_TRUE(Drawn(*canvas, QStringLiteral("Field 10") + QChar(0x00B0)));
}

TEST_F(ZoomedChartTest, NamesNeverOverlapEvenWhereStarsCrowd)
{
    // A tight cluster of named stars round the target.
    for (int i = 0; i < 40; ++i)
        AddStar(3.0 + (i % 8) * 0.004, 60.0 + (i / 8) * 0.03, 3.0 + i * 0.01, "HR 100 Per",
                "Star" + std::to_string(i));
    const auto canvas = DrawHorizontal(ViewAim::At(HorizontalOf(bright_), 5));
    std::vector<QRect> boxes;
    for (const TextCall& call : Labels(*canvas)) {
        QFontMetrics metrics(call.font);
        boxes.emplace_back(call.position, QSize(metrics.horizontalAdvance(call.text),
                                                metrics.height()));
    }
    ASSERT_GT(boxes.size(), 5u);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(boxes[i].intersects(boxes[j])) << i << " " << j;
    // Not every one of forty names finds room.
    EXPECT_LT(boxes.size(), 40u);
}

TEST_F(ZoomedChartTest, PanelsAndTablesStayAsTheWholeSkyDrawsThem)
{
    const auto whole = DrawHorizontal(ViewAim::WholeSky());
    const auto zoomed = DrawHorizontal(ViewAim::At(HorizontalOf(bright_), 5));
    int differences = 0;
    for (int y = 0; y < kHeight; y += 3)
        for (int x = kPanelLeft; x < kWidth; x += 3)
            differences += whole->At(x, y) != zoomed->At(x, y);
    EXPECT_EQ(differences, 0);

    const auto wholeMap = DrawGeocentric(ViewAim::WholeSky());
    const auto zoomedMap = DrawGeocentric(ViewAim::At({3, 60}, 10));
    differences = 0;
    for (int y = kMapHeight; y < kHeight; y += 3)
        for (int x = 0; x < kWidth; x += 3)
            differences += wholeMap->At(x, y) != zoomedMap->At(x, y);
    EXPECT_EQ(differences, 0);
}

TEST_F(ZoomedChartTest, ZoomedGeocentricReachesPastTheBandAndShowsMessierObjects)
{
    // Declination 60 is off the whole-sky band: no click rectangle there.
    DrawGeocentric(ViewAim::WholeSky());
    EXPECT_EQ(clicks_->stars[static_cast<std::size_t>(bright_)], kUntouched);
    EXPECT_EQ(clicks_->deepSky[0], kUntouched);

    const auto canvas = DrawGeocentric(ViewAim::At({3, 60}, 10));
    const IntRect box = clicks_->stars[static_cast<std::size_t>(bright_)];
    EXPECT_EQ((box.left + box.right) / 2, kWidth / 2);
    EXPECT_EQ((box.top + box.bottom) / 2, kMapHeight / 2);
    EXPECT_NE(clicks_->deepSky[0], kUntouched);
    EXPECT_TRUE(Drawn(*canvas, QStringLiteral("Mirfak")));
}

TEST_F(ZoomedChartTest, GeocentricFigureOppositeTheCentreIsNotDrawnAcrossTheMap)
{
    // Two stars either side of 15 h, the far side of a view centred on 3 h:
    // each lands on its own edge of the sphere's cut.
    const int west = AddStar(14.98, 60, 5, "HR 2 UMa", "");
    const int east = AddStar(15.02, 60, 5, "HR 3 UMa", "");
    AddFigure({west, east});
    const auto canvas = DrawGeocentric(ViewAim::At({3, 60}, 30));
    int figurePixels = 0;
    for (int x = 0; x < kWidth; ++x)
        figurePixels += canvas->At(x, kMapHeight / 2) == (kGeocentricFigure | 0xff000000u);
    EXPECT_EQ(figurePixels, 0);
}

TEST(ZoomedSky, StarDotsGrowWithTheField)
{
    struct Case {
        double magnitude;
        double gain;
        int radius;
    };
    const Case cases[] = {
        {5.5, 0, 0}, {4.5, 0, 1}, {2.5, 0, 2}, {1.5, 0, 3}, {0.5, 0, 4}, {-1.5, 0, 6},
        {5.5, 1, 1}, {4.5, 2.1, 2}, {1.5, 3, 6}, {-1.5, 9, 8}, {4.5, -3, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZoomedStarRadius(c.magnitude, c.gain), c.radius) << c.magnitude << " " << c.gain;
    EXPECT_EQ(ZoomedStarRadius(std::nan(""), 1), 0);
}

TEST(ZoomedSky, BayerLettersFromDesignations)
{
    struct Case {
        const char* designation;
        QString letter;
    };
    const Case cases[] = {
        {"34 Del Ori", QString(QChar(u'δ'))},
        {"1 Pi3 Ori", QString(QChar(u'π')) + QChar(u'³')},
        {"Alp CMa", QString(QChar(u'α'))},
        {"HR 1507 Ori", QString()},
        {"HR 1234 Tau", QString()},  // Taurus, not tau
        {"87 Alp Tau", QString(QChar(u'α'))},
        {"", QString()},
        {"Mu", QString()},
        {"12 Pic Dor", QString()},
    };
    for (const Case& c : cases) EXPECT_EQ(BayerLetter(c.designation), c.letter) << c.designation;
}

TEST(ZoomedSky, ScaleBarsAreRoundAngles)
{
    EXPECT_EQ(ScaleBarDegrees(6, 160), 20);       // whole sky: 6 px a degree
    EXPECT_EQ(ScaleBarDegrees(108, 160), 1);      // a 10 degree field
    EXPECT_NEAR(ScaleBarDegrees(1080, 160), 5.0 / 60, 1e-12);
    EXPECT_EQ(ScaleText(5), QStringLiteral("5") + QChar(0x00B0));
    EXPECT_EQ(ScaleText(47.25), QStringLiteral("47.3") + QChar(0x00B0));
    EXPECT_EQ(ScaleText(0.5), QStringLiteral("30") + QChar(0x2032));
    EXPECT_EQ(ScaleText(1.0 / 120), QStringLiteral("30") + QChar(0x2033));
    EXPECT_EQ(DimensionArcMinutes("66x60"), 66);
    EXPECT_EQ(DimensionArcMinutes("x"), 0);
    EXPECT_EQ(DimensionArcMinutes("-5"), 0);
}

}  // namespace
}  // namespace skyvane::render
