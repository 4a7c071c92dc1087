// The display and navigation options kept in the "Preferences" section of
// the settings store, and the record the charts and the sky window take
// from them.
#pragma once

#include "render/display_preferences.h"

namespace skyvane::app {

inline constexpr char kPreferencesSection[] = "Preferences";

// What Up and Down do in the charts ("TIMECONTROL").
inline constexpr int kTimeControlStepSize = 0;
inline constexpr int kTimeControlUnitCycle = 1;
inline constexpr int kTimeControlFixedYear = 2;

// The eight option keys as stored. A missing key, or one that does not hold
// a whole number, reads as 0.
struct PreferenceValues {
    int eastWest = 0;         // "EW": 0 east left, 1 west left
    int northSouth = 0;       // "NS": 0 azimuth north 180, 1 north 0
    int planetMode = 0;       // "PLANETMODE": 0 big symbols, 1 small, 2 dots
    int showConstellations = 0;  // "SHOWCONST"
    int starsVisible = 0;     // "STARSVISIBLE": 0 only when really visible, 1 always
    int noStars = 0;          // "NOSTARS": planets only
    int starColor = 0;        // "STARCOLOR": 0 white, 1 spectral colours
    int timeControl = 0;      // "TIMECONTROL"
    // "NOINTRO": 1 opens the last chart at start instead of the intro
    // screen. Stored inverted so that a store without it shows the intro.
    int noIntro = 0;

    friend bool operator==(const PreferenceValues&, const PreferenceValues&) = default;
};

PreferenceValues ReadPreferenceValues();

// The chart (a view mode 1 to 3) shown last, for a start without the intro;
// the horizontal chart when none is stored.
int LastChart();
void StoreLastChart(int viewMode);

// Writes the eight option keys, then marks the options as written
// ("CHECK" = 1).
void WritePreferenceValues(const PreferenceValues& values);

// The charts' view of the stored values (night mode apart, see ReadNightMode). Only "EW" = 1 puts west on the
// left; any other value, including one written by hand, puts east there.
// Any non-zero "NS" counts azimuth from north.
render::DisplayPreferences DisplayPreferencesOf(const PreferenceValues& values);

// Everything a load hands the sky window. The window also returns its
// step unit to Day on every load, so a confirmed dialog starts the unit
// cycle afresh even when nothing was changed.
struct LoadedPreferences {
    render::DisplayPreferences display;
    int timeControl = kTimeControlStepSize;
};

LoadedPreferences LoadPreferences();

// Night mode ("NIGHTMODE"), switched from the View menu rather than the
// dialog, so the dialog's OK leaves it alone. Only 1 switches it on: a
// damaged value shows the charts in their colours, where the menu can
// switch it again.
bool ReadNightMode();
void WriteNightMode(bool on);

// True once the options have been written ("CHECK" not 0).
bool PreferencesWritten();

// The options of a new user: west left, azimuth from north, small planet
// symbols, constellations shown, stars only when really visible, then
// "CHECK" = 1. Star colour and time control stay unwritten and read as 0.
// The caller loads the preferences afterwards.
void WriteFirstRunPreferences();

}  // namespace skyvane::app
