// The display options: what a first run writes, how stored values (also
// hand-edited ones) reach the charts, and what the dialog shows and writes.
#include <filesystem>
#include <map>
#include <string>

#include <unistd.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "app/preferences.h"
#include "app/preferences_dialog.h"
#include "platform/profile_store.h"

namespace skyvane::app {
namespace {

using platform::GetProfileInt;
using platform::WriteProfileInt;
using platform::WriteProfileString;

constexpr int kMissing = -99;

class PreferencesTest : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("skyvane-preferences-" + std::to_string(::getpid()) + "-" + info->name() + ".ini");
        std::filesystem::remove(path_);
        platform::UseProfileFile(path_.string());
    }
    void TearDown() override
    {
        platform::UseProfileFile("");
        std::filesystem::remove(path_);
    }

    static int Stored(const char* key) { return GetProfileInt("Preferences", key, kMissing); }

    std::filesystem::path path_;
};

TEST_F(PreferencesTest, AnEmptyStoreReadsAsZerosAndIsNotMarkedWritten)
{
    EXPECT_FALSE(PreferencesWritten());
    EXPECT_EQ(ReadPreferenceValues(), PreferenceValues{});

    const LoadedPreferences loaded = LoadPreferences();
    EXPECT_EQ(loaded.display.eastWestSign, -1);
    EXPECT_FALSE(loaded.display.northAtZero);
    EXPECT_EQ(loaded.display.planetMode, 0);
    EXPECT_EQ(loaded.display.showConstellations, 0);
    EXPECT_EQ(loaded.display.starsVisibleMode, 0);
    EXPECT_EQ(loaded.display.noStars, 0);
    EXPECT_EQ(loaded.display.starColor, 0);
    EXPECT_EQ(loaded.timeControl, 0);
}

TEST_F(PreferencesTest, FirstRunWritesTheNewUsersOptionsAndLeavesColourAndArrowsUnwritten)
{
    WriteFirstRunPreferences();

    EXPECT_TRUE(PreferencesWritten());
    EXPECT_EQ(Stored("EW"), 1);
    EXPECT_EQ(Stored("NS"), 1);
    EXPECT_EQ(Stored("PLANETMODE"), 1);
    EXPECT_EQ(Stored("SHOWCONST"), 1);
    EXPECT_EQ(Stored("STARSVISIBLE"), 0);
    EXPECT_EQ(Stored("NOSTARS"), 0);
    EXPECT_EQ(Stored("CHECK"), 1);
    EXPECT_EQ(Stored("STARCOLOR"), kMissing);
    EXPECT_EQ(Stored("TIMECONTROL"), kMissing);

    const LoadedPreferences loaded = LoadPreferences();
    EXPECT_EQ(loaded.display.eastWestSign, 1);
    EXPECT_TRUE(loaded.display.northAtZero);
    EXPECT_EQ(loaded.display.planetMode, 1);
    EXPECT_EQ(loaded.display.showConstellations, 1);
    EXPECT_EQ(loaded.display.starsVisibleMode, 0);
    EXPECT_EQ(loaded.display.noStars, 0);
    EXPECT_EQ(loaded.display.starColor, 0);
    EXPECT_EQ(loaded.timeControl, 0);
    // The charts' record for a new user is the same one they start from.
    EXPECT_EQ(loaded.display, render::DisplayPreferences{});
}

TEST_F(PreferencesTest, WrittenValuesReadBackAndReachTheChartsRecord)
{
    const PreferenceValues eastLeft{0, 0, 2, 0, 1, 1, 1, 2};
    WritePreferenceValues(eastLeft);
    EXPECT_EQ(ReadPreferenceValues(), eastLeft);
    EXPECT_TRUE(PreferencesWritten());

    LoadedPreferences loaded = LoadPreferences();
    EXPECT_EQ(loaded.display.eastWestSign, -1);
    EXPECT_FALSE(loaded.display.northAtZero);
    EXPECT_EQ(loaded.display.planetMode, 2);
    EXPECT_EQ(loaded.display.showConstellations, 0);
    EXPECT_EQ(loaded.display.starsVisibleMode, 1);
    EXPECT_EQ(loaded.display.noStars, 1);
    EXPECT_EQ(loaded.display.starColor, 1);
    EXPECT_EQ(loaded.timeControl, 2);

    const PreferenceValues westLeft{1, 1, 0, 1, 0, 0, 0, 1};
    WritePreferenceValues(westLeft);
    EXPECT_EQ(ReadPreferenceValues(), westLeft);
    loaded = LoadPreferences();
    EXPECT_EQ(loaded.display.eastWestSign, 1);
    EXPECT_TRUE(loaded.display.northAtZero);
    EXPECT_EQ(loaded.display.planetMode, 0);
    EXPECT_EQ(loaded.display.showConstellations, 1);
    EXPECT_EQ(loaded.timeControl, 1);
}

TEST_F(PreferencesTest, HandEditedValuesAreReadSafely)
{
    // Only "EW" = 1 puts west on the left; any non-zero "NS" counts from north.
    WriteProfileInt("Preferences", "EW", 2);
    WriteProfileInt("Preferences", "NS", 5);
    EXPECT_EQ(LoadPreferences().display.eastWestSign, -1);
    EXPECT_TRUE(LoadPreferences().display.northAtZero);

    WriteProfileInt("Preferences", "EW", -1);
    WriteProfileInt("Preferences", "NS", -1);
    EXPECT_EQ(LoadPreferences().display.eastWestSign, -1);
    EXPECT_TRUE(LoadPreferences().display.northAtZero);

    // Text that is not a whole number reads like a missing key.
    WriteProfileString("Preferences", "EW", "west");
    WriteProfileString("Preferences", "NS", "1.5");
    WriteProfileString("Preferences", "PLANETMODE", "dots");
    WriteProfileString("Preferences", "TIMECONTROL", "");
    const PreferenceValues values = ReadPreferenceValues();
    EXPECT_EQ(values.eastWest, 0);
    EXPECT_EQ(values.northSouth, 0);
    EXPECT_EQ(values.planetMode, 0);
    EXPECT_EQ(values.timeControl, 0);
    EXPECT_EQ(LoadPreferences().display.eastWestSign, -1);
    EXPECT_FALSE(LoadPreferences().display.northAtZero);

    // A "CHECK" that is not a number does not count as written.
    WriteProfileString("Preferences", "CHECK", "yes");
    EXPECT_FALSE(PreferencesWritten());
}

TEST_F(PreferencesTest, NightModeRoundTripsAndOnlyOneSwitchesItOn)
{
    EXPECT_FALSE(ReadNightMode());
    EXPECT_FALSE(LoadPreferences().display.nightMode);
    WriteNightMode(true);
    EXPECT_EQ(Stored("NIGHTMODE"), 1);
    EXPECT_TRUE(LoadPreferences().display.nightMode);
    // The dialog's OK writes its eight options and leaves night mode alone.
    WritePreferenceValues(PreferenceValues{});
    EXPECT_TRUE(ReadNightMode());
    WriteNightMode(false);
    EXPECT_EQ(Stored("NIGHTMODE"), 0);
    EXPECT_FALSE(LoadPreferences().display.nightMode);

    // A damaged value shows the charts in colour.
    for (const char* stored : {"2", "-1", "on", "1.0", ""}) {
        WriteProfileString("Preferences", "NIGHTMODE", stored);
        EXPECT_FALSE(ReadNightMode()) << stored;
    }
}

// The dialog's controls, found by their ids.
class PreferencesDialogTest : public PreferencesTest {
protected:
    template <typename Widget>
    static Widget* Control(const CPreferencesDialog& dialog, int id)
    {
        auto* widget = dialog.findChild<Widget*>(QString::number(id));
        EXPECT_NE(widget, nullptr) << "control " << id;
        return widget;
    }
    static bool Checked(const CPreferencesDialog& dialog, int id)
    {
        QAbstractButton* button = Control<QAbstractButton>(dialog, id);
        return button != nullptr && button->isChecked();
    }
    static void Click(const CPreferencesDialog& dialog, int id)
    {
        if (QAbstractButton* button = Control<QAbstractButton>(dialog, id)) button->click();
    }
};

TEST_F(PreferencesDialogTest, CarriesItsCaptionAndTheTextOfEveryControl)
{
    CPreferencesDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Preferences");

    const std::map<int, QString> radioTexts = {
        {1038, "East Left and West Right"},
        {1039, "West Left and East Right"},
        {1042, QString::fromUtf8("Azimuth North = 180°, South = 0°")},
        {1048, QString::fromUtf8("Azimuth North = 0°, South = 180°")},
        {1045, "Show Planets as big symbols"},
        {1046, "Show Planets as small symbols"},
        {1047, "Show Planets as dots"},
        {1040, "Show Stars only when really visible"},
        {1041, "Show Stars always"},
        {1052, "Stars white"},
        {1053, "Stars in spectral colors"},
        {1049, "Increase/decrease time step "},
        {1050, "Toggle between 24h / Sideral Day / Month / Year"},
        {1051, "One Year fix"},
    };
    for (const auto& [id, text] : radioTexts) {
        if (auto* radio = Control<QRadioButton>(dialog, id)) {
            EXPECT_EQ(radio->text(), text) << id;
        }
    }
    if (auto* box = Control<QCheckBox>(dialog, 1043)) {
        EXPECT_EQ(box->text(), "Show Constellations");
    }
    if (auto* box = Control<QCheckBox>(dialog, 1044)) {
        EXPECT_EQ(box->text(), "Show only Planets, no Stars and no Constallations");
    }
    if (auto* box = Control<QCheckBox>(dialog, 1054)) {
        EXPECT_EQ(box->text(), "Show the intro screen at start");
    }
    if (auto* ok = Control<QPushButton>(dialog, 1)) {
        EXPECT_EQ(ok->text().remove('&'), "OK");
    }

    bool heading = false;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        heading = heading || label->text() == "Up/Down Arrows:";
    EXPECT_TRUE(heading);
}

TEST_F(PreferencesDialogTest, ShowsTheFirstRunOptions)
{
    WriteFirstRunPreferences();
    CPreferencesDialog dialog;

    EXPECT_TRUE(Checked(dialog, 1039));  // west left and east right
    EXPECT_FALSE(Checked(dialog, 1038));
    EXPECT_TRUE(Checked(dialog, 1048));  // azimuth north = 0
    EXPECT_FALSE(Checked(dialog, 1042));
    EXPECT_TRUE(Checked(dialog, 1046));  // small planet symbols
    EXPECT_FALSE(Checked(dialog, 1045));
    EXPECT_FALSE(Checked(dialog, 1047));
    EXPECT_TRUE(Checked(dialog, 1043));  // constellations
    EXPECT_TRUE(Checked(dialog, 1040));  // stars only when really visible
    EXPECT_FALSE(Checked(dialog, 1041));
    EXPECT_FALSE(Checked(dialog, 1044));
    EXPECT_TRUE(Checked(dialog, 1052));  // white stars
    EXPECT_FALSE(Checked(dialog, 1053));
    EXPECT_TRUE(Checked(dialog, 1049));  // increase/decrease time step
    EXPECT_FALSE(Checked(dialog, 1050));
    EXPECT_FALSE(Checked(dialog, 1051));
    EXPECT_TRUE(Checked(dialog, 1054));  // the intro screen, on by default
}

TEST_F(PreferencesDialogTest, OkWritesWhatTheControlsShow)
{
    WriteFirstRunPreferences();
    CPreferencesDialog dialog;
    dialog.show();
    for (int id : {1038, 1042, 1047, 1043, 1041, 1044, 1053, 1051}) Click(dialog, id);
    Click(dialog, 1);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    const PreferenceValues expected{0, 0, 2, 0, 1, 1, 1, 2};
    EXPECT_EQ(ReadPreferenceValues(), expected);
    EXPECT_EQ(dialog.Values(), expected);
    EXPECT_EQ(Stored("CHECK"), 1);

    // Each position of each group maps to its own value.
    CPreferencesDialog again;
    again.show();
    for (int id : {1039, 1048, 1045, 1043, 1040, 1044, 1052, 1050}) Click(again, id);
    Click(again, 1);
    EXPECT_EQ(ReadPreferenceValues(), (PreferenceValues{1, 1, 0, 1, 0, 0, 0, 1}));

    // The intro screen switched off is stored as "NOINTRO" 1, and back.
    for (const int noIntro : {1, 0}) {
        CPreferencesDialog intro;
        intro.show();
        Click(intro, 1054);
        Click(intro, 1);
        EXPECT_EQ(Stored("NOINTRO"), noIntro);
        EXPECT_EQ(ReadPreferenceValues().noIntro, noIntro);
    }
}

TEST_F(PreferencesDialogTest, OkWithoutChangesWritesTheSameOptionsAndTheUnwrittenOnes)
{
    WriteFirstRunPreferences();
    const PreferenceValues before = ReadPreferenceValues();
    CPreferencesDialog dialog;
    dialog.show();
    Click(dialog, 1);

    EXPECT_EQ(ReadPreferenceValues(), before);
    EXPECT_EQ(Stored("STARCOLOR"), 0);
    EXPECT_EQ(Stored("TIMECONTROL"), 0);
}

TEST_F(PreferencesDialogTest, ClosingWithoutOkWritesNothing)
{
    {
        CPreferencesDialog dialog;
        dialog.show();
        Click(dialog, 1039);
        dialog.close();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(Stored("EW"), kMissing);
    EXPECT_EQ(Stored("CHECK"), kMissing);

    WriteFirstRunPreferences();
    const PreferenceValues before = ReadPreferenceValues();
    CPreferencesDialog dialog;
    dialog.show();
    for (int id : {1038, 1042, 1047, 1043, 1051}) Click(dialog, id);
    dialog.reject();
    EXPECT_EQ(ReadPreferenceValues(), before);
}

TEST_F(PreferencesDialogTest, AStoredValueWithoutAButtonChecksNoneAndOkKeepsItUnset)
{
    WritePreferenceValues({1, 1, 7, 1, 0, 0, 0, -3});
    CPreferencesDialog dialog;
    for (int id : {1045, 1046, 1047, 1049, 1050, 1051}) EXPECT_FALSE(Checked(dialog, id)) << id;
    EXPECT_TRUE(Checked(dialog, 1039));

    dialog.show();
    Click(dialog, 1);
    EXPECT_EQ(Stored("PLANETMODE"), -1);
    EXPECT_EQ(Stored("TIMECONTROL"), -1);
    EXPECT_EQ(Stored("EW"), 1);
}

}  // namespace
}  // namespace skyvane::app
