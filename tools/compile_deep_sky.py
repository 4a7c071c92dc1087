#!/usr/bin/env python3
"""Compiles the sources of the deep-sky file (deepsky.bin).

Usage: compile_deep_sky.py [SOURCE_DIR [OUTPUT_DIR]]
Relative paths are taken from the project root (the parent of tools/); the
defaults are ../shared/data and data/deepsky. The main catalogue is read
from data/stars.txt (compile_catalogue.py writes it).

Writes, in OUTPUT_DIR, UTF-8 texts with tab-separated fields (pack_deep_sky
turns them into deepsky.bin during the build):
  stars.txt       Hipparcos stars that the main catalogue does not hold:
                  HIP, RA deg, Dec deg, V, B-V ("-" when unknown), constellation
  hip-hr.txt      the Hipparcos number of each main-catalogue star: HIP, HR
  objects.txt     NGC and IC objects (and the other named objects of the
                  OpenNGC addendum): designation, type, RA deg, Dec deg,
                  constellation, major and minor axis (arc minutes), position
                  angle (degrees), magnitude, Messier number (0 for none),
                  common names ("," between names); "-" for unknown values.
                  A row with a Messier number is not drawn from this file
                  (the main catalogue's Messier object is): it only carries
                  names that lead to that Messier object.
  aliases.txt     duplicate designations: alias, designation of the object
  milky-way.txt   Milky Way outlines: level (1 faintest to 5), then the
                  ring's points as "RA,Dec" in degrees
  LICENSE-OpenNGC.txt  CC-BY-SA-4.0, the licence of everything compiled
                  from OpenNGC (and so of deepsky.bin)

Everything is checked before anything is written; on any problem nothing
is written and the exit status is 1.
"""
import csv
import json
import math
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compile_catalogue import (  # noqa: E402
    Boundaries, CatalogueError, angular_separation_deg, load_json, lon_to_ra_deg)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_SOURCE = "../shared/data"
DEFAULT_OUTPUT = "data/deepsky"
MAIN_CATALOGUE = "data/stars.txt"

EXPECTED_HIP_STARS = 118216
EXPECTED_MILKY_WAY_LEVELS = 5

# A Hipparcos star is the main catalogue's star when it lies this close and
# their magnitudes agree this well. Positions of both are J2000; the fast
# movers among the bright stars keep within half an arc minute.
CROSS_MATCH_DEG = 0.01
CROSS_MATCH_MAG = 0.8
# A double star that one catalogue splits and the other gives as one light:
# positions within a few seconds of arc, magnitudes further apart. Closer
# than this the two would be drawn on top of each other at any field.
DOUBLE_MATCH_DEG = 20.0 / 3600.0
DOUBLE_MATCH_MAG = 2.5

# OpenNGC types we leave out: duplicates (their names become aliases) and
# entries that are not there.
SKIPPED_TYPES = {"Dup", "NonEx"}
KNOWN_TYPES = {"*", "**", "*Ass", "OCl", "GCl", "Cl+N", "G", "GPair", "GTrpl", "GGroup",
               "PN", "HII", "DrkN", "EmN", "Neb", "RfN", "SNR", "Nova", "Other"}

LICENCE_SOURCE = "openngc/CC-BY-SA-4.0.txt"


def sexagesimal(text, hours):
    m = re.fullmatch(r"([+-]?)(\d+):(\d+):(\d+(?:\.\d*)?)", text.strip())
    if not m:
        raise CatalogueError(f"bad angle {text!r}")
    value = int(m.group(2)) + int(m.group(3)) / 60.0 + float(m.group(4)) / 3600.0
    if m.group(1) == "-":
        value = -value
    return value * 15.0 if hours else value


def main_catalogue_stars(path):
    """The program's own stars: (HR, RA deg, Dec deg, V) from stars.txt."""
    stars = []
    with open(path, encoding="cp1252") as f:
        for line in f:
            fields = line.split("|")
            if fields[0] != "S":
                continue
            dec, ra_hours, mag, page = float(fields[2]), float(fields[3]), float(fields[5]), int(fields[9])
            stars.append((page, ra_hours * 15.0, dec, mag))
    if not stars:
        raise CatalogueError(f"{path}: no stars")
    return stars


class Grid:
    """Positions in 1-degree declination bands, for near-neighbour tests."""

    def __init__(self, items):
        self.bands = {}
        for item in items:
            self.bands.setdefault(math.floor(item[2]), []).append(item)

    def near(self, ra, dec, radius):
        for band in range(math.floor(dec - radius), math.floor(dec + radius) + 1):
            for item in self.bands.get(band, ()):
                if abs(item[2] - dec) <= radius:
                    d = angular_separation_deg(ra, dec, item[1], item[2])
                    if d <= radius:
                        yield d, item


class FastBoundaries:
    """The constellation of many positions: the boundary test is slow, so a
    0.5-degree grid remembers the answer where all four corners agree."""

    STEP = 0.5

    def __init__(self, boundaries):
        self.boundaries = boundaries
        self.corner = {}

    def _at_corner(self, i, j):
        key = (i, j)
        if key not in self.corner:
            # Just off the round values, where boundaries run.
            ra = (i * self.STEP + 1.234e-4) % 360.0
            dec = max(-89.999, min(89.999, j * self.STEP + 1.234e-4))
            try:
                self.corner[key] = self.boundaries.constellation(ra, dec)
            except CatalogueError:
                self.corner[key] = None
        return self.corner[key]

    def constellation(self, ra, dec):
        i, j = math.floor(ra / self.STEP), math.floor(dec / self.STEP)
        corners = {self._at_corner(i + a, j + b) for a in (0, 1) for b in (0, 1)}
        if len(corners) == 1 and None not in corners:
            return corners.pop()
        return self.boundaries.constellation(ra, dec)


def compile_stars(path, main_stars, boundaries, notes):
    features = load_json(path)["features"]
    if len(features) != EXPECTED_HIP_STARS:
        raise CatalogueError(f"{path}: expected {EXPECTED_HIP_STARS} stars, found {len(features)}")
    grid = Grid(main_stars)
    claimed = {}  # HR -> (distance, HIP)
    deep = []
    seen = set()
    for feature in features:
        hip = int(feature["id"])
        if hip in seen or hip <= 0:
            raise CatalogueError(f"HIP {hip} twice or not a number")
        seen.add(hip)
        lon, lat = feature["geometry"]["coordinates"]
        ra, dec = lon_to_ra_deg(float(lon)), float(lat)
        mag = float(feature["properties"]["mag"])
        bv_text = str(feature["properties"].get("bv", "")).strip()
        bv = float(bv_text) if bv_text else None
        if not (-90.0 <= dec <= 90.0 and -2.0 < mag < 16.0):
            raise CatalogueError(f"HIP {hip}: position or magnitude out of range")
        best = None
        for d, star in grid.near(ra, dec, CROSS_MATCH_DEG):
            if abs(star[3] - mag) <= CROSS_MATCH_MAG and (best is None or d < best[0]):
                best = (d, star[0])
        if best is not None:
            hr = best[1]
            if hr not in claimed or best[0] < claimed[hr][0]:
                claimed[hr] = (best[0], hip)
        deep.append({"hip": hip, "ra": ra, "dec": dec, "mag": mag, "bv": bv})
    # Main-catalogue stars still without a partner take the nearest
    # unclaimed Hipparcos star of a double's combined or component light.
    taken = {hip for _, hip in claimed.values()}
    deep_grid = Grid([(s["hip"], s["ra"], s["dec"], s["mag"]) for s in deep])
    for hr, ra, dec, mag in main_stars:
        if hr in claimed:
            continue
        near = [(d, item[0]) for d, item in deep_grid.near(ra, dec, DOUBLE_MATCH_DEG)
                if item[0] not in taken and abs(item[3] - mag) <= DOUBLE_MATCH_MAG]
        if near:
            d, hip = min(near)
            claimed[hr] = (d, hip)
            taken.add(hip)
    matched = {hip: hr for hr, (_, hip) in claimed.items()}
    # The other component of a close double that the main catalogue shows
    # as one star is that star too: drawn beside it, it would be drawn twice.
    main_grid = Grid(main_stars)
    for s in deep:
        if s["hip"] in matched:
            continue
        near = [(d, star[0]) for d, star in main_grid.near(s["ra"], s["dec"], DOUBLE_MATCH_DEG)
                if abs(star[3] - s["mag"]) <= DOUBLE_MATCH_MAG]
        if near:
            matched[s["hip"]] = min(near)[1]
    kept = [s for s in deep if s["hip"] not in matched]
    fast = FastBoundaries(boundaries)
    for s in kept:
        s["const"] = fast.constellation(s["ra"], s["dec"])
    notes.append(f"{len(set(matched.values()))} of {len(main_stars)} main-catalogue stars are "
                 f"{len(matched)} Hipparcos stars; {len(kept)} Hipparcos stars kept")
    return kept, sorted(matched.items())


def number_or_dash(text):
    text = text.strip()
    if not text:
        return "-"
    return f"{float(text):g}"


def designation_of(catalogue, number):
    """OpenNGC's spelling: "NGC" + four digits + any suffix ("1530A")."""
    m = re.fullmatch(r"(\d+)(.*)", number)
    if not m:
        raise CatalogueError(f"bad {catalogue} number {number!r}")
    return f"{catalogue}{int(m.group(1)):04d}{m.group(2)}"


def compile_objects(paths, notes):
    objects = []
    aliases = []
    names = set()
    skipped = {t: 0 for t in SKIPPED_TYPES}
    for path in paths:
        with open(path, encoding="utf-8", newline="") as f:
            rows = list(csv.DictReader(f, delimiter=";"))
        for row in rows:
            name = row["Name"].strip()
            kind = row["Type"].strip()
            if not name or "\t" in name:
                raise CatalogueError(f"{path}: bad name {name!r}")
            if name in names:
                raise CatalogueError(f"{path}: {name} twice")
            names.add(name)
            if kind in SKIPPED_TYPES:
                skipped[kind] += 1
                # A duplicate leads to the object it repeats.
                if kind == "Dup":
                    if row["NGC"].strip():
                        target = designation_of("NGC", row["NGC"].split(",")[0].strip())
                    elif row["IC"].strip():
                        target = designation_of("IC", row["IC"].split(",")[0].strip())
                    elif row["M"].strip():
                        target = f"M{int(row['M'])}"
                    else:
                        continue
                    aliases.append((name, target))
                continue
            if kind not in KNOWN_TYPES:
                raise CatalogueError(f"{name}: unknown type {kind!r}")
            if not row["RA"].strip() or not row["Dec"].strip():
                raise CatalogueError(f"{name}: no position")
            ra = sexagesimal(row["RA"], True)
            dec = sexagesimal(row["Dec"], False)
            vmag, bmag = row["V-Mag"].strip(), row["B-Mag"].strip()
            mag = number_or_dash(vmag or bmag)
            messier = int(row["M"]) if row["M"].strip() else 0
            common = ",".join(n.strip() for n in row["Common names"].split(",") if n.strip())
            if "\t" in common:
                raise CatalogueError(f"{name}: tab in common names")
            objects.append([
                name, kind, f"{ra:.5f}", f"{dec:.5f}", row["Const"].strip() or "-",
                number_or_dash(row["MajAx"]), number_or_dash(row["MinAx"]),
                number_or_dash(row["PosAng"]), mag, str(messier), common,
            ])
    known = {o[0] for o in objects} | {f"M{int(o[9])}" for o in objects if o[9] != "0"}
    kept_aliases = [(a, t) for a, t in aliases if t in known]
    notes.append(f"{len(objects)} objects ({sum(1 for o in objects if o[9] != '0')} of them "
                 f"Messier cross-names), {len(kept_aliases)} duplicate designations, skipped "
                 + ", ".join(f"{n} {t}" for t, n in sorted(skipped.items())))
    return objects, kept_aliases


def compile_milky_way(path):
    features = load_json(path)["features"]
    if len(features) != EXPECTED_MILKY_WAY_LEVELS:
        raise CatalogueError(f"{path}: expected {EXPECTED_MILKY_WAY_LEVELS} levels")
    lines = []
    for level, feature in enumerate(features, 1):
        if feature["geometry"]["type"] != "MultiPolygon":
            raise CatalogueError(f"{path}: level {level} is not a MultiPolygon")
        for polygon in feature["geometry"]["coordinates"]:
            for ring in polygon:
                if len(ring) < 3:
                    continue
                points = " ".join(f"{lon_to_ra_deg(lon):.3f},{lat:.3f}" for lon, lat in ring)
                lines.append(f"{level}\t{points}")
    return lines


def build(source_dir):
    notes = []
    d3 = os.path.join(source_dir, "d3-celestial")
    boundaries = Boundaries(load_json(os.path.join(d3, "constellations.bounds.json"))["features"])
    main_stars = main_catalogue_stars(os.path.join(ROOT, MAIN_CATALOGUE))
    stars, hip_hr = compile_stars(os.path.join(d3, "stars.14.json"), main_stars, boundaries, notes)
    ngc = os.path.join(source_dir, "openngc")
    objects, aliases = compile_objects(
        [os.path.join(ngc, "NGC.csv"), os.path.join(ngc, "addendum.csv")], notes)
    milky_way = compile_milky_way(os.path.join(d3, "mw.json"))
    notes.append(f"{len(milky_way)} Milky Way rings")
    out = {}
    out["stars.txt"] = "".join(
        f"{s['hip']}\t{s['ra']:.5f}\t{s['dec']:.5f}\t{s['mag']:.2f}\t"
        f"{'-' if s['bv'] is None else format(s['bv'], '.3f')}\t{s['const']}\n" for s in stars)
    out["hip-hr.txt"] = "".join(f"{hip}\t{hr}\n" for hip, hr in hip_hr)
    out["objects.txt"] = "".join("\t".join(o) + "\n" for o in objects)
    out["aliases.txt"] = "".join(f"{a}\t{t}\n" for a, t in aliases)
    out["milky-way.txt"] = "".join(line + "\n" for line in milky_way)
    with open(os.path.join(source_dir, LICENCE_SOURCE), encoding="utf-8") as f:
        out["LICENSE-OpenNGC.txt"] = f.read()
    return out, notes


def write_file(path, text):
    tmp = path + ".tmp"
    with open(tmp, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    os.replace(tmp, path)


def main(argv):
    source_dir = os.path.join(ROOT, argv[1] if len(argv) > 1 else DEFAULT_SOURCE)
    output_dir = os.path.join(ROOT, argv[2] if len(argv) > 2 else DEFAULT_OUTPUT)
    try:
        files, notes = build(source_dir)
    except (CatalogueError, OSError, ValueError, KeyError) as e:
        print(f"compile_deep_sky: {e}", file=sys.stderr)
        print("compile_deep_sky: nothing written", file=sys.stderr)
        return 1
    os.makedirs(output_dir, exist_ok=True)
    for name, text in files.items():
        write_file(os.path.join(output_dir, name), text)
    for note in notes:
        print(f"compile_deep_sky: {note}")
    print("compile_deep_sky: wrote " + ", ".join(
        f"{name} ({len(text.encode('utf-8'))} bytes)" for name, text in files.items()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
