// The display options the charts read, mirrored from the "Preferences"
// section of the settings store. Loading and the dialog live with the
// desktop program; the charts only ever see this record.
#pragma once

namespace skyvane::render {

// Values of planetMode: how the bodies appear on the sky charts.
inline constexpr int kPlanetModeBigSymbols = 0;
inline constexpr int kPlanetModeSmallSymbols = 1;
inline constexpr int kPlanetModeDots = 2;

// Values of starsVisibleMode.
inline constexpr int kStarsOnlyWhenVisible = 0;  // twilight decides
inline constexpr int kStarsAlways = 1;

// Values of starColor.
inline constexpr int kStarsWhite = 0;
inline constexpr int kStarsSpectral = 1;

// Values of eastWestSign; also the orientation argument of the horizontal
// mapping.
inline constexpr int kWestLeftEastRight = 1;   // "EW" = 1
inline constexpr int kEastLeftWestRight = -1;  // "EW" = 0 or anything else

// Member initialisers are the values a first run writes (west left, north
// at 0, small planet symbols, constellations shown, stars only when really
// visible, white stars), so a default-constructed record is what a new
// user sees.
struct DisplayPreferences {
    int eastWestSign = kWestLeftEastRight;      // "EW"
    bool northAtZero = true;                    // "NS" not 0: azimuth shown from north
    int planetMode = kPlanetModeSmallSymbols;   // "PLANETMODE"
    int showConstellations = 1;                 // "SHOWCONST"
    int starsVisibleMode = kStarsOnlyWhenVisible;  // "STARSVISIBLE"
    int noStars = 0;                            // "NOSTARS": planets only
    int starColor = kStarsWhite;                // "STARCOLOR"
    // "NIGHTMODE": everything drawn in dim red on black. The charts never
    // read it: the paint entry sets the drawing layer's colour filter.
    bool nightMode = false;

    friend bool operator==(const DisplayPreferences&, const DisplayPreferences&) = default;
};

}  // namespace skyvane::render
