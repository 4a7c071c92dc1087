// View › Night Mode in the window: the menu item switches it, the setting
// remembers it, the window redraws in dim red, a saved chart is what is
// shown, and the menus and dialogs take a dark red palette that goes away
// again with night mode.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "app/main_frame.h"
#include "app/night_palette.h"
#include "app/time_navigation.h"
#include "platform/profile_store.h"
#include "render/color_filter.h"
#include "modal_dialog.h"

namespace skyvane::app {
namespace {

std::chrono::system_clock::time_point FixedNow()
{
    using namespace std::chrono;
    return sys_days{2026y / 12 / 8} + 6h;
}

// Pixels of `image` with any green or blue, and pixels that are lit.
struct Colours {
    int greenOrBlue = 0;
    int lit = 0;
};
Colours CountColours(const QImage& image)
{
    Colours c;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qGreen(p) != 0 || qBlue(p) != 0) ++c.greenOrBlue;
            if ((p & 0xffffffu) != 0) ++c.lit;
        }
    return c;
}

constexpr QPalette::ColorRole kShownRoles[] = {
    QPalette::Window, QPalette::WindowText, QPalette::Base,      QPalette::Text,
    QPalette::Button, QPalette::ButtonText, QPalette::Highlight, QPalette::HighlightedText,
    QPalette::Light,  QPalette::Mid,        QPalette::Dark,      QPalette::ToolTipBase};

// A palette fit for dark-adapted eyes: red only, dim, text brighter than
// the surface it stands on.
void ExpectNightPalette(const QPalette& palette, const char* what)
{
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Disabled})
        for (const QPalette::ColorRole role : kShownRoles) {
            const QColor c = palette.color(group, role);
            EXPECT_EQ(c.green() + c.blue(), 0) << what << " role " << role << " group " << group;
            EXPECT_LE(c.red(), render::kNightMaxRed) << what << " role " << role;
        }
    EXPECT_GT(palette.color(QPalette::WindowText).red(), palette.color(QPalette::Window).red() * 3)
        << what;
    EXPECT_GT(palette.color(QPalette::Text).red(), palette.color(QPalette::Base).red() * 3) << what;
}

class NightModeWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("skyvane-night-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
        platform::UseProfileFile((folder_ / "settings.ini").string());
        dayPalette_ = QApplication::palette();
    }
    void TearDown() override
    {
        platform::UseProfileFile("");
        std::filesystem::remove_all(folder_);
        // Whatever a test did, the next one starts in the day palette.
        EXPECT_EQ(QApplication::palette(), dayPalette_);
        QApplication::setPalette(dayPalette_);
    }

    std::filesystem::path folder_;
    QPalette dayPalette_;
};

TEST_F(NightModeWindowTest, TheMenuSwitchesRemembersRedrawsAndColoursTheControls)
{
    CMainFrame frame(FixedNow);
    frame.resize(1024, 750);
    frame.show();
    CSkyvaneView& view = frame.View();
    for (int tick = 0; tick < 4; ++tick) view.OnTimer(kIntroTimer);
    frame.CommandAction(kCommandHorizontal)->trigger();

    QAction* night = frame.CommandAction(kCommandNightMode);
    ASSERT_NE(night, nullptr);
    EXPECT_TRUE(night->isCheckable());
    EXPECT_FALSE(night->isChecked());
    EXPECT_FALSE(view.Preferences().nightMode);
    EXPECT_GT(CountColours(view.grab().toImage()).greenOrBlue, 0) << "the chart starts in colour";

    const int redraws = view.RedrawRequests();
    night->trigger();
    EXPECT_TRUE(view.Preferences().nightMode);
    EXPECT_TRUE(night->isChecked());
    EXPECT_EQ(platform::GetProfileInt("Preferences", "NIGHTMODE", -1), 1);
    EXPECT_EQ(view.RedrawRequests(), redraws + 1);

    // The window, and the chart saved from it, are dim red on black.
    const Colours shown = CountColours(view.grab().toImage());
    EXPECT_EQ(shown.greenOrBlue, 0);
    EXPECT_GT(shown.lit, 5000);
    const QString saved = QString::fromStdString((folder_ / "chart.png").string());
    ASSERT_TRUE(view.SaveChartImage(saved));
    const Colours file = CountColours(QImage(saved));
    EXPECT_EQ(file.greenOrBlue, 0);
    EXPECT_EQ(file.lit, shown.lit);

    // Menus and dialogs: the application's palette, and what they draw.
    ExpectNightPalette(QApplication::palette(), "application");
    QMenu* viewMenu = night->associatedObjects().isEmpty()
                          ? nullptr
                          : qobject_cast<QMenu*>(night->associatedObjects().constFirst());
    ASSERT_NE(viewMenu, nullptr);
    ExpectNightPalette(viewMenu->palette(), "View menu");
    EXPECT_EQ(CountColours(viewMenu->grab().toImage()).greenOrBlue, 0);
    EXPECT_EQ(CountColours(frame.menuBar()->grab().toImage()).greenOrBlue, 0);
    const int dialogs = RunWithDialog([&] { frame.CommandAction(kCommandAbout)->trigger(); },
                                      [](QDialog* about) {
                                          ExpectNightPalette(about->palette(), "About box");
                                          const Colours drawn = CountColours(about->grab().toImage());
                                          EXPECT_EQ(drawn.greenOrBlue, 0);
                                          EXPECT_GT(drawn.lit, 100);
                                          about->accept();
                                      });
    EXPECT_EQ(dialogs, 1);

    // Off again: the colours, the setting and the day palette come back.
    night->trigger();
    EXPECT_FALSE(view.Preferences().nightMode);
    EXPECT_FALSE(night->isChecked());
    EXPECT_EQ(platform::GetProfileInt("Preferences", "NIGHTMODE", -1), 0);
    EXPECT_EQ(view.RedrawRequests(), redraws + 2);
    EXPECT_EQ(QApplication::palette(), dayPalette_);
    EXPECT_GT(CountColours(view.grab().toImage()).greenOrBlue, 0);
}

TEST_F(NightModeWindowTest, AStoredNightModeIsOnFromTheStart)
{
    platform::WriteProfileInt("Preferences", "NIGHTMODE", 1);
    {
        CMainFrame frame(FixedNow);
        frame.View().OnInitialUpdate();
        EXPECT_TRUE(frame.View().Preferences().nightMode);
        EXPECT_TRUE(frame.CommandAction(kCommandNightMode)->isChecked());
        ExpectNightPalette(QApplication::palette(), "application");
        // The intro screen is red too.
        EXPECT_EQ(CountColours(frame.View().grab().toImage()).greenOrBlue, 0);
        frame.View().OnDestroy();
    }
    // The window gone, the application has its own palette back.
    EXPECT_EQ(QApplication::palette(), dayPalette_);
}

TEST(NightPaletteTest, SwitchingOffWithoutNightChangesNothing)
{
    const QPalette before = QApplication::palette();
    ApplyNightPalette(false);
    EXPECT_EQ(QApplication::palette(), before);
    ApplyNightPalette(true);
    ApplyNightPalette(true);  // twice on still remembers the day palette
    ExpectNightPalette(QApplication::palette(), "application");
    ApplyNightPalette(false);
    EXPECT_EQ(QApplication::palette(), before);
}

}  // namespace
}  // namespace skyvane::app
