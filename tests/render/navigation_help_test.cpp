#include <gtest/gtest.h>

#include <QString>

#include <set>
#include <string>
#include <utility>

#include "render/chart_fonts.h"
#include "render/navigation_help.h"
#include "render_test_canvas.h"

namespace skyvane::render {
namespace {

using test::Canvas;
using test::kCanvasBlack;

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGrey = qRgb(128, 128, 128);

// ------------------------------------------------------------- step text

TEST(NavigationStepTextTest, FollowsModeAndUnit)
{
    EXPECT_EQ(NavigationStepText(1, 0), ": 1 Day per Step");
    EXPECT_EQ(NavigationStepText(1, 1), ": Sideral Day per Step");
    EXPECT_EQ(NavigationStepText(1, 2), ": 1 Month per Step");
    EXPECT_EQ(NavigationStepText(1, 3), ": 1 Year per Step");
    for (int unit : {-1, 0, 3, 5}) {
        SCOPED_TRACE(unit);
        EXPECT_EQ(NavigationStepText(0, unit), "");
        EXPECT_EQ(NavigationStepText(2, unit), ": Fix 1 Year per Step");
        EXPECT_EQ(NavigationStepText(3, unit), "");
    }
    EXPECT_EQ(NavigationStepText(1, 5), "");
    EXPECT_EQ(NavigationStepText(1, -1), "");
}

// --------------------------------------------------------------- key caps

struct Cap {
    int x = 40;
    int y = 30;
    int h = 26;
    int w = 30;
};

class KeyCapTest : public ::testing::Test {
protected:
    Canvas canvas{120, 100};
    Cap cap;

    void SetUp() override
    {
        canvas.dc().SetPen(kWhite);
        canvas.dc().SetTextColor(kRed);
        canvas.dc().SetRecordText(true);
    }
    void Draw(int kind, const QString& label = {})
    {
        DrawKeyCap(canvas.dc(), cap.x, cap.y, cap.h, cap.w, kind, label);
    }
    QRgb At(int dx, int dy) const { return canvas.At(cap.x + dx, cap.y + dy); }
};

TEST_F(KeyCapTest, OutlineIsABoxWithCornersCutByThree)
{
    Draw(kKeyCapRightArrow);
    const int w = cap.w;
    const int h = cap.h;
    // Straight edges from 3 in from each corner.
    for (int dx = 3; dx <= w - 3; ++dx) {
        EXPECT_EQ(At(dx, 0), kWhite) << dx;
        EXPECT_EQ(At(dx, h), kWhite) << dx;
    }
    for (int dy = 3; dy <= h - 3; ++dy) {
        EXPECT_EQ(At(0, dy), kWhite) << dy;
        EXPECT_EQ(At(w, dy), kWhite) << dy;
    }
    // Cut corners: the diagonal is drawn, the corner itself is not.
    for (const auto& [dx, dy] : {std::pair{0, 0}, {w, 0}, {0, h}, {w, h}, {1, 0}, {0, 1}}) {
        EXPECT_EQ(At(dx, dy), kCanvasBlack) << dx << "," << dy;
    }
    EXPECT_EQ(At(1, 2), kWhite);
    EXPECT_EQ(At(2, 1), kWhite);
    EXPECT_EQ(At(w - 1, h - 2), kWhite);
    // Nothing beyond the box.
    EXPECT_EQ(At(w + 1, h / 2), kCanvasBlack);
    EXPECT_EQ(At(-1, h / 2), kCanvasBlack);
}

TEST_F(KeyCapTest, LabelSitsSevenAcrossSixDown)
{
    Draw(kKeyCapLabel, "Enter");
    const auto& calls = canvas.dc().RecordedText();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, "Enter");
    EXPECT_EQ(calls[0].position, QPoint(cap.x + 7, cap.y + 6));
    EXPECT_EQ(calls[0].color | 0xff000000u, kRed);
}

TEST_F(KeyCapTest, HorizontalArrowsShareTheShaftAndDifferInTheHead)
{
    const int mid = cap.h / 2;
    const int w = cap.w;
    Draw(kKeyCapRightArrow);
    for (int dx = 7; dx < w - 7; ++dx) EXPECT_EQ(At(dx, mid), kWhite) << dx;
    EXPECT_EQ(At(6, mid), kCanvasBlack);
    EXPECT_EQ(At(w - 7, mid), kWhite);  // the head starts at the shaft's end
    EXPECT_EQ(At(w - 9, mid - 2), kWhite);
    EXPECT_EQ(At(w - 9, mid + 2), kWhite);
    EXPECT_EQ(At(9, mid - 2), kCanvasBlack);
    EXPECT_TRUE(canvas.dc().RecordedText().empty());

    Canvas left(120, 100);
    left.dc().SetPen(kWhite);
    DrawKeyCap(left.dc(), cap.x, cap.y, cap.h, cap.w, kKeyCapLeftArrow, "x");
    EXPECT_EQ(left.At(cap.x + 7, cap.y + mid), kWhite);
    EXPECT_EQ(left.At(cap.x + 9, cap.y + mid - 2), kWhite);
    EXPECT_EQ(left.At(cap.x + 9, cap.y + mid + 2), kWhite);
    EXPECT_EQ(left.At(cap.x + w - 9, cap.y + mid - 2), kCanvasBlack);
}

TEST_F(KeyCapTest, VerticalArrowsShareTheShaftAndDifferInTheHead)
{
    const int mid = cap.w / 2;
    const int h = cap.h;
    Draw(kKeyCapUpArrow);
    for (int dy = 7; dy < h - 6; ++dy) EXPECT_EQ(At(mid, dy), kWhite) << dy;
    EXPECT_EQ(At(mid, h - 6), kCanvasBlack);  // lines stop short of their end
    EXPECT_EQ(At(mid + 2, 9), kWhite);
    EXPECT_EQ(At(mid - 2, 9), kWhite);
    EXPECT_EQ(At(mid + 2, h - 8), kCanvasBlack);

    Canvas down(120, 100);
    down.dc().SetPen(kWhite);
    DrawKeyCap(down.dc(), cap.x, cap.y, cap.h, cap.w, kKeyCapDownArrow, {});
    EXPECT_EQ(down.At(cap.x + mid, cap.y + h - 6), kWhite);
    EXPECT_EQ(down.At(cap.x + mid + 2, cap.y + h - 8), kWhite);
    EXPECT_EQ(down.At(cap.x + mid - 2, cap.y + h - 8), kWhite);
    EXPECT_EQ(down.At(cap.x + mid + 2, cap.y + 9), kCanvasBlack);
}

// ---------------------------------------------------------------- overlay

constexpr int kA = 13;
constexpr int kB = 7;

struct Overlay {
    Canvas canvas{400, 260};
    std::vector<TextCall> Draw(int type, int mode = 0, int unit = 0)
    {
        canvas.dc().SelectFont(ChartFont(ChartFontUse::ChartText));
        canvas.dc().SetPen(kWhite);
        canvas.dc().SetRecordText(true);
        DrawNavigationHelp(canvas.dc(), type, kA, kB, mode, unit);
        return canvas.dc().RecordedText();
    }
};

using Placed = std::tuple<std::string, int, int, QRgb>;

std::set<Placed> Placements(const std::vector<TextCall>& calls)
{
    std::set<Placed> placed;
    for (const TextCall& call : calls) {
        placed.emplace(call.text.toStdString(), call.position.x() - kA, call.position.y() - kB,
                       call.color | 0xff000000u);
    }
    return placed;
}

const std::set<Placed> kCommonTexts = {
    {"B", 27, 86, kRed},
    {"F", 157, 86, kRed},
    {"N", 27, 121, kRed},
    {"Enter", 157, 121, kRed},
    {"Back in Time", 47, 90, kGrey},
    {"Forward in Time", 177, 90, kGrey},
    {"Now Animation", 47, 125, kGrey},
    {"Step back", 20, 190, kGrey},
    {"Step foward", 191, 190, kGrey},
    {"Faster", 159, 155, kGrey},
    {"Slower", 115, 207, kGrey},
};

std::set<Placed> With(std::set<Placed> texts, std::initializer_list<Placed> more)
{
    texts.insert(more);
    return texts;
}

TEST(NavigationHelpTest, HorizontalChartHasStopAnimationAndNoZoomKeys)
{
    Overlay overlay;
    EXPECT_EQ(Placements(overlay.Draw(kNavigationHelpHorizontal, 1, 2)),
              With(kCommonTexts, {{"Navigation Keys: 1 Month per Step", 20, 60, kWhite},
                                  {"Stop Animation", 202, 125, kGrey}}));
    // No "-" / "+" caps at the right.
    EXPECT_EQ(overlay.canvas.At(kA + 300, kB + 150), kCanvasBlack);
    EXPECT_EQ(overlay.canvas.At(kA + 322, kB + 190), kCanvasBlack);
}

TEST(NavigationHelpTest, GeocentricHeadingIsOnePixelHigher)
{
    Overlay overlay;
    EXPECT_EQ(Placements(overlay.Draw(kNavigationHelpGeocentric, 2, 0)),
              With(kCommonTexts, {{"Navigation Keys: Fix 1 Year per Step", 20, 59, kWhite},
                                  {"Stop Animation", 202, 125, kGrey}}));
}

TEST(NavigationHelpTest, HeliocentricChartAddsZoomKeys)
{
    Overlay overlay;
    EXPECT_EQ(Placements(overlay.Draw(kNavigationHelpHeliocentric, 0, 3)),
              With(kCommonTexts, {{"Navigation Keys", 20, 60, kWhite},
                                  {"-", 307, 141, kRed},
                                  {"+", 307, 171, kRed},
                                  {"Stop", 202, 125, kGrey},
                                  {"Farther", 285, 117, kGrey},
                                  {"Closer", 290, 206, kGrey}}));
    // The "+" cap is 40 pixels tall: its right edge runs down to y + 37.
    EXPECT_EQ(overlay.canvas.At(kA + 322, kB + 165 + 37), kWhite);
    EXPECT_EQ(overlay.canvas.At(kA + 322, kB + 135 + 23), kWhite);
}

TEST(NavigationHelpTest, OtherTypesDrawNothing)
{
    for (int type : {0, 2, 5, -1}) {
        SCOPED_TRACE(type);
        Overlay overlay;
        EXPECT_TRUE(overlay.Draw(type, 1, 0).empty());
        for (int y = 0; y < 260; y += 3) {
            for (int x = 0; x < 400; x += 3) {
                ASSERT_EQ(overlay.canvas.At(x, y), kCanvasBlack) << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace skyvane::render
