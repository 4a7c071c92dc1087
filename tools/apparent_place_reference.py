#!/usr/bin/env python3
"""Apparent places from PyEphem, as a reference for the engine's scene
(tests/engine/apparent_place_test.cpp).

Writes tests/engine/apparent_place_reference.csv: one line per object,
instant and place, with PyEphem's own apparent places and horizontal
coordinates, taken as PyEphem gives them:
- stars at their J2000 catalogue places (PyEphem carries them to the date
  itself), only stars whose proper motion is under 0.03"/yr, since the
  engine's catalogue carries none;
- the geocentric apparent place (g_ra, g_dec) and the topocentric one (ra,
  dec) seen from a place at height 0, with no refraction (pressure 0);
  azimuth from north through east as PyEphem counts it.

Run it with Debian's python3-ephem: /usr/bin/python3 tools/apparent_place_reference.py
"""

import csv
import math
import os
import random
import sys

import ephem

OUTPUT = os.path.join(os.path.dirname(__file__), "..", "tests", "engine",
                      "apparent_place_reference.csv")

DUBLIN_JD = 2415020.0  # ephem.Date counts days from 1899 December 31, 12h UT
J2000 = 2451545.0

# J2000 places (hours, degrees) of bright stars with proper motion under
# 0.03"/yr, spread over the sky, two of them near the poles.
STARS = [
    ("Rigel", 5.242297, -8.201639), ("Deneb", 20.690532, 45.280339),
    ("Betelgeuse", 5.919529, 7.407064), ("Antares", 16.490128, -26.432003),
    ("Alnilam", 5.603559, -1.201919), ("Saiph", 5.795941, -9.669605),
    ("Bellatrix", 5.418851, 6.349703), ("Mintaka", 5.533445, -0.299092),
    ("Adhara", 6.977097, -28.972084), ("Wezen", 7.139857, -26.393200),
    ("Eltanin", 17.943436, 51.488896), ("Sadr", 20.370472, 40.256679),
    ("Pherkad", 15.345477, 71.834017), ("SigmaOct", 21.146350, -88.956500),
]

# Year ranges of the checks (astronomical numbering: 1000 BC is -999).
STAR_RANGES = [(1900, 2100), (1000, 3000), (-999, 1000)]

BODIES = {
    0: ephem.Sun, 1: ephem.Mercury, 2: ephem.Venus, 4: ephem.Mars, 5: ephem.Jupiter,
    6: ephem.Saturn, 7: ephem.Uranus, 8: ephem.Neptune, 10: ephem.Moon,
}


def jd_of_year(year, rng):
    return J2000 + (year - 2000 + rng.random()) * 365.25


def observe(body, jd, east, lat):
    observer = ephem.Observer()
    observer.lon = str(east)
    observer.lat = str(lat)
    observer.elevation = 0
    observer.pressure = 0
    observer.date = ephem.Date(jd - DUBLIN_JD)
    body.compute(observer)
    hours = 12 / math.pi
    degrees = 180 / math.pi
    return ["%.10f" % (float(body.g_ra) * hours), "%.9f" % (float(body.g_dec) * degrees),
            "%.10f" % (float(body.ra) * hours), "%.9f" % (float(body.dec) * degrees),
            "%.9f" % (float(body.az) * degrees), "%.9f" % (float(body.alt) * degrees)]


def place(rng):
    return round(rng.uniform(-180, 180), 4), round(rng.uniform(-66, 66), 4)


def main():
    rng = random.Random(20261208)
    rows = []
    for low, high in STAR_RANGES:
        for name, ra, dec in STARS:
            for _ in range(6):
                jd = jd_of_year(rng.randint(low, high - 1), rng)
                east, lat = place(rng)
                star = ephem.FixedBody()
                star._ra = math.radians(ra * 15)
                star._dec = math.radians(dec)
                rows.append(["star", name, "%.6f" % ra, "%.6f" % dec, "%.8f" % jd, "%.4f" % -east,
                             "%.4f" % lat] + observe(star, jd, east, lat))
    for body_id, make in BODIES.items():
        for _ in range(60 if body_id == 10 else 20):
            jd = jd_of_year(rng.randint(1900, 2099), rng)
            east, lat = place(rng)
            rows.append(["body", str(body_id), "0", "0", "%.8f" % jd, "%.4f" % -east,
                         "%.4f" % lat] + observe(make(), jd, east, lat))
    # The total solar eclipse of 2026-08-12 from Burgos at 18:29 UT.
    burgos = (-3.70, 42.34)
    jd = 2461264.5 + (18 + 29 / 60) / 24
    for body_id in (0, 10):
        rows.append(["burgos", str(body_id), "0", "0", "%.8f" % jd, "%.4f" % -burgos[0],
                     "%.4f" % burgos[1]] + observe(BODIES[body_id](), jd, *burgos))
    with open(OUTPUT, "w", newline="") as out:
        out.write("# Written by tools/apparent_place_reference.py with PyEphem %s; UT Julian "
                  "days, longitude positive west, azimuth from north through east.\n"
                  % ephem.__version__)
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["kind", "name", "ra2000", "dec2000", "jd", "longitude", "latitude",
                         "geoRa", "geoDec", "topoRa", "topoDec", "azimuth", "altitude"])
        writer.writerows(rows)
    print("wrote %d cases to %s" % (len(rows), os.path.normpath(OUTPUT)))


if __name__ == "__main__":
    sys.exit(main())
