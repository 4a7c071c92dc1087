#!/usr/bin/env python3
"""Rising, transit and setting times from PyEphem, as a reference for the
engine's own (tests/engine/rise_set_test.cpp).

Writes tests/engine/rise_set_reference.csv: one line per object, place and
local civil day, with PyEphem's first rising, upper transit and setting
from the local midnight that starts the day (UT Julian days, empty when
PyEphem finds none that day) or the state it reports for the object.

PyEphem is set up to mean what the engine means:
- no refraction model (pressure 0), the standard altitudes as horizon:
  -0.5667 deg for the centre of stars and planets, -0.8333 deg for the
  centre of the Sun;
- PyEphem places the Moon topocentrically; the engine's +0.125 deg for the
  geocentric centre is the usual stand-in for the topocentric upper limb at
  -0.5667 deg (semidiameter and parallax folded in), so PyEphem takes that;
- stars are given at their J2000 catalogue places, as PyEphem reads any
  catalogue: both carry them to the apparent place of the day.

Run it with Debian's python3-ephem: python3 tools/rise_set_reference.py
"""

import csv
import math
import os
import random
import sys

import ephem

OUTPUT = os.path.join(os.path.dirname(__file__), "..", "tests", "engine",
                      "rise_set_reference.csv")

DUBLIN_JD = 2415020.0  # ephem.Date counts days from 1899 December 31, 12h UT

STAR_ALTITUDE = -0.5667
SUN_ALTITUDE = -0.8333
MOON_LIMB_ALTITUDE = -0.5667
MOON_ALTITUDE = 0.125  # the engine's, for the geocentric centre

# BodyId of the engine and PyEphem's body.
BODIES = {
    0: ephem.Sun, 1: ephem.Mercury, 2: ephem.Venus, 4: ephem.Mars, 5: ephem.Jupiter,
    6: ephem.Saturn, 7: ephem.Uranus, 8: ephem.Neptune, 10: ephem.Moon,
}

# Stars at their catalogue places (hours, degrees), bright and far apart,
# with Polaris and Sigma Octantis for the days without rising or setting.
STARS = [
    ("Sirius", 6.752472, -16.716111), ("Betelgeuse", 5.919528, 7.406944),
    ("Vega", 18.615639, 38.783611), ("Antares", 16.490139, -26.431944),
    ("Canopus", 6.399194, -52.695833), ("Polaris", 2.530306, 89.264167),
    ("Acrux", 12.443306, -63.099167), ("Capella", 5.278167, 45.998056),
    ("SigmaOct", 21.146333, -88.956389), ("Alpheratz", 0.139806, 29.090556),
]

# Places: east-positive longitude, latitude, and a civil offset from UT.
PLACES = [
    (8.5, 47.32, 1), (-74.006, 40.714, -5), (151.21, -33.87, 10), (0.0, 0.0, 0),
    (-58.38, -34.6, -3), (18.07, 59.33, 1), (-149.9, 61.2 - 1.2, -9), (25.0, -60.0, 2),
    (139.69, 35.69, 9), (-43.2, -22.9, -3), (77.2, 28.6, 5.5), (-3.7, 40.4, 1),
]


def to_jd(date):
    return float(date) + DUBLIN_JD


def first_event(find, start, end):
    """The event's UT Julian day if it falls in [start, end), else empty."""
    jd = to_jd(find())
    return ("%.8f" % jd) if start <= jd < end else ""


def row_for(kind, body_id, ra, dec, body, east, lat, offset, year, month, day, altitude,
            use_center, engine_altitude):
    observer = ephem.Observer()
    observer.lon = str(east)
    observer.lat = str(lat)
    observer.elevation = 0
    observer.pressure = 0
    observer.horizon = str(altitude)
    local_midnight = ephem.Date("%d/%d/%d 00:00:00" % (year, month, day))
    start = ephem.Date(local_midnight - offset / 24.0)
    observer.date = start
    start_jd = to_jd(start)
    end_jd = start_jd + 1
    state = "normal"
    rise = set_ = ""
    transit = first_event(lambda: observer.next_transit(body, start=start), start_jd, end_jd)
    try:
        rise = first_event(lambda: observer.next_rising(body, start=start, use_center=use_center),
                           start_jd, end_jd)
        set_ = first_event(lambda: observer.next_setting(body, start=start, use_center=use_center),
                           start_jd, end_jd)
    except ephem.AlwaysUpError:
        state, rise, set_ = "alwaysAbove", "", ""
    except ephem.NeverUpError:
        state, rise, set_ = "neverRises", "", ""
    return [kind, body_id, "%.6f" % ra, "%.6f" % dec, "%.8f" % start_jd, "%.4f" % -east,
            "%.4f" % lat, "%.4f" % engine_altitude, rise, transit, set_, state]


def main():
    rng = random.Random(20261207)
    rows = []
    for body_id, make in BODIES.items():
        for _ in range(40):
            east, lat, offset = rng.choice(PLACES)
            year = rng.randint(1950, 2049)
            month = rng.randint(1, 12)
            day = rng.randint(1, 28)
            if body_id == 0:
                setup = (SUN_ALTITUDE, True, SUN_ALTITUDE)
            elif body_id == 10:
                setup = (MOON_LIMB_ALTITUDE, False, MOON_ALTITUDE)
            else:
                setup = (STAR_ALTITUDE, True, STAR_ALTITUDE)
            rows.append(row_for("body", body_id, 0, 0, make(), east, lat, offset, year, month,
                                day, *setup))
    for name, ra, dec in STARS:
        for _ in range(12):
            east, lat, offset = rng.choice(PLACES)
            year = rng.randint(1950, 2049)
            month = rng.randint(1, 12)
            day = rng.randint(1, 28)
            star = ephem.FixedBody()
            star._ra = math.radians(ra * 15)
            star._dec = math.radians(dec)
            rows.append(row_for("star", -1, ra, dec, star, east, lat, offset, year, month, day,
                                STAR_ALTITUDE, True, STAR_ALTITUDE))
    with open(OUTPUT, "w", newline="") as out:
        out.write("# Written by tools/rise_set_reference.py with PyEphem %s; UT Julian days.\n"
                  % ephem.__version__)
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["kind", "body", "ra", "dec", "dayStart", "longitude", "latitude",
                         "altitude", "rise", "transit", "set", "state"])
        writer.writerows(rows)
    print("wrote %d cases to %s" % (len(rows), os.path.normpath(OUTPUT)))


if __name__ == "__main__":
    sys.exit(main())
