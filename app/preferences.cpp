#include "app/preferences.h"

#include "platform/profile_store.h"

namespace skyvane::app {
namespace {

constexpr char kEastWestKey[] = "EW";
constexpr char kNorthSouthKey[] = "NS";
constexpr char kPlanetModeKey[] = "PLANETMODE";
constexpr char kShowConstellationsKey[] = "SHOWCONST";
constexpr char kStarsVisibleKey[] = "STARSVISIBLE";
constexpr char kNoStarsKey[] = "NOSTARS";
constexpr char kStarColorKey[] = "STARCOLOR";
constexpr char kTimeControlKey[] = "TIMECONTROL";
constexpr char kNightModeKey[] = "NIGHTMODE";
constexpr char kWrittenKey[] = "CHECK";
constexpr char kNoIntroKey[] = "NOINTRO";
constexpr char kLastChartKey[] = "LASTCHART";

int Read(const char* key)
{
    return platform::GetProfileInt(kPreferencesSection, key, 0);
}

void Write(const char* key, int value)
{
    platform::WriteProfileInt(kPreferencesSection, key, value);
}

}  // namespace

PreferenceValues ReadPreferenceValues()
{
    PreferenceValues values;
    values.northSouth = Read(kNorthSouthKey);
    values.eastWest = Read(kEastWestKey);
    values.planetMode = Read(kPlanetModeKey);
    values.showConstellations = Read(kShowConstellationsKey);
    values.starsVisible = Read(kStarsVisibleKey);
    values.noStars = Read(kNoStarsKey);
    values.starColor = Read(kStarColorKey);
    values.timeControl = Read(kTimeControlKey);
    values.noIntro = Read(kNoIntroKey) != 0 ? 1 : 0;
    return values;
}

int LastChart()
{
    const int stored = Read(kLastChartKey);
    constexpr int kFirstChart = 1;  // heliocentric
    constexpr int kLastChart = 3;   // horizontal
    return stored >= kFirstChart && stored <= kLastChart ? stored : kLastChart;
}

void StoreLastChart(int viewMode)
{
    Write(kLastChartKey, viewMode);
}

void WritePreferenceValues(const PreferenceValues& values)
{
    Write(kEastWestKey, values.eastWest);
    Write(kNorthSouthKey, values.northSouth);
    Write(kPlanetModeKey, values.planetMode);
    Write(kShowConstellationsKey, values.showConstellations);
    Write(kStarsVisibleKey, values.starsVisible);
    Write(kNoStarsKey, values.noStars);
    Write(kStarColorKey, values.starColor);
    Write(kTimeControlKey, values.timeControl);
    Write(kNoIntroKey, values.noIntro);
    Write(kWrittenKey, 1);
}

render::DisplayPreferences DisplayPreferencesOf(const PreferenceValues& values)
{
    render::DisplayPreferences display;
    display.eastWestSign =
        values.eastWest == 1 ? render::kWestLeftEastRight : render::kEastLeftWestRight;
    display.northAtZero = values.northSouth != 0;
    display.planetMode = values.planetMode;
    display.showConstellations = values.showConstellations;
    display.starsVisibleMode = values.starsVisible;
    display.noStars = values.noStars;
    display.starColor = values.starColor;
    return display;
}

LoadedPreferences LoadPreferences()
{
    const PreferenceValues values = ReadPreferenceValues();
    LoadedPreferences loaded;
    loaded.display = DisplayPreferencesOf(values);
    loaded.display.nightMode = ReadNightMode();
    loaded.timeControl = values.timeControl;
    return loaded;
}

bool ReadNightMode()
{
    return Read(kNightModeKey) == 1;
}

void WriteNightMode(bool on)
{
    Write(kNightModeKey, on ? 1 : 0);
}

bool PreferencesWritten()
{
    return Read(kWrittenKey) != 0;
}

void WriteFirstRunPreferences()
{
    Write(kEastWestKey, 1);
    Write(kNorthSouthKey, 1);
    Write(kPlanetModeKey, render::kPlanetModeSmallSymbols);
    Write(kShowConstellationsKey, 1);
    Write(kStarsVisibleKey, render::kStarsOnlyWhenVisible);
    Write(kNoStarsKey, 0);
    Write(kWrittenKey, 1);
}

}  // namespace skyvane::app
