#!/usr/bin/env python3
"""Writes engine/series_tables.cpp from the series tables in meeus-tables.json.

Usage: generate_series_tables.py [INPUT_JSON [OUTPUT_CPP]]
Relative paths are taken from the project root (the parent of tools/).
Every table is checked against the published term and row counts and a few
known leading values; on any mismatch nothing is written and the exit status is 1.
"""
import json
import math
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_INPUT = "../shared/data/meeus-tables.json"
DEFAULT_OUTPUT = "engine/series_tables.cpp"

# Terms per order 0..5 of each planet's L, B and R series; a shorter list
# means the higher orders are absent from the abridged theory.
EXPECTED_TERMS = {
    "mercury": ([38, 16, 10, 8, 6, 1], [14, 11, 9, 7, 2], [13, 8, 7, 5]),
    "venus": ([24, 12, 8, 3, 3, 1], [9, 4, 4, 4, 1], [12, 3, 3, 1, 1]),
    "earth": ([64, 34, 20, 7, 3, 1], [5, 2], [40, 10, 6, 2, 1]),
    "mars": ([69, 46, 33, 12, 8, 2], [16, 9, 7, 4, 3], [45, 27, 11, 6, 4]),
    "jupiter": ([64, 61, 57, 39, 19, 5], [26, 22, 14, 9, 6, 1], [46, 43, 36, 28, 15, 7]),
    "saturn": ([90, 79, 63, 48, 27, 12], [34, 32, 29, 21, 12, 2], [44, 38, 32, 28, 23, 18]),
    "uranus": ([91, 57, 35, 18, 4], [28, 20, 11, 4, 1], [59, 35, 18, 10, 2]),
    "neptune": ([38, 18, 7, 4, 1], [17, 13, 6, 4, 1], [32, 15, 5, 1]),
}
COORDS = "LBR"
MAX_ORDER = 6
TOTAL_TERMS = 2430

# Leading rows as printed in the published tables, to catch a shifted or
# mislabelled table that still has the right counts.
CHECK_VALUES = [
    (("vsop87d", "mercury", "L", 0), [[440250710, 0, 0], [40989415, 1.48302034, 26087.90314157]]),
    (("vsop87d", "earth", "L", 0), [[175347046, 0, 0], [3341656, 4.6692568, 6283.07585]]),
    (("vsop87d", "earth", "B", 0), [[280, 3.199, 84334.662]]),
    (("vsop87d", "neptune", "R", 0), [[3007013206, 0, 0]]),
    (("nutation",), [[0, 0, 0, 0, 1, -171996, -174.2, 92025, 8.9]]),
    (("moon", "longitudeDistance"), [[0, 0, 1, 0, 6288774, -20905355]]),
    (("moon", "latitude"), [[0, 0, 0, 1, 5128122]]),
]
NUTATION_LAST_ROW = [2, -1, 0, 2, 2, -3, 0, 0, 0]
NUTATION_INT_FIELDS = (0, 1, 2, 3, 4, 5, 7)  # multipliers, S and C
MOON_INT_FIELDS = (0, 1, 2, 3)  # multipliers of D, M, M', F


class TableError(Exception):
    pass


def check_rows(rows, what, count, fields, int_fields=(), unit="rows"):
    """Checks row count, field count and that every field is a finite number."""
    if not isinstance(rows, list) or len(rows) != count:
        found = len(rows) if isinstance(rows, list) else type(rows).__name__
        raise TableError(f"{what}: expected {count} {unit}, found {found}")
    for i, row in enumerate(rows):
        if not isinstance(row, list) or len(row) != fields:
            found = len(row) if isinstance(row, list) else type(row).__name__
            raise TableError(f"{what} row {i}: expected {fields} fields, found {found}")
        for j, v in enumerate(row):
            ok = (isinstance(v, int) if j in int_fields else isinstance(v, (int, float)))
            if not ok or isinstance(v, bool) or not math.isfinite(v):
                kind = "an integer" if j in int_fields else "a finite number"
                raise TableError(f"{what} row {i} field {j}: expected {kind}, found {v!r}")


def validate(data):
    vsop = data["vsop87d"]
    total = 0
    for body, coords in EXPECTED_TERMS.items():
        for coord, counts in zip(COORDS, coords):
            series = vsop[body][coord]
            name = f"vsop87d.{body}.{coord}"
            if not isinstance(series, list) or len(series) != len(counts):
                order = min(len(series), len(counts)) if isinstance(series, list) else 0
                want = f"{counts[order]} terms" if order < len(counts) else "no series"
                found = f"{len(series[order])} terms" if order < len(series) else "no series"
                raise TableError(f"{name}{order}: expected {want}, found {found}")
            for order, (terms, count) in enumerate(zip(series, counts)):
                check_rows(terms, f"{name}{order}", count, 3, unit="terms")
                total += count
    if total != TOTAL_TERMS:
        raise TableError(f"vsop87d: expected {TOTAL_TERMS} terms in all, found {total}")
    check_rows(data["nutation"], "nutation", 63, 9, NUTATION_INT_FIELDS)
    check_rows(data["moon"]["longitudeDistance"], "moon.longitudeDistance", 60, 6, MOON_INT_FIELDS)
    check_rows(data["moon"]["latitude"], "moon.latitude", 60, 5, MOON_INT_FIELDS)
    for path, expected in CHECK_VALUES:
        table = data
        for key in path:
            table = table[key]
        if table[:len(expected)] != expected:
            name = ".".join(k for k in path if isinstance(k, str)) + "".join(
                str(k) for k in path if isinstance(k, int))
            raise TableError(f"{name}: expected to begin {expected}, found {table[:len(expected)]}")
    if data["nutation"][-1] != NUTATION_LAST_ROW:
        raise TableError(f"nutation: expected last row {NUTATION_LAST_ROW}, "
                         f"found {data['nutation'][-1]}")


def as_double(v):
    # repr() is the shortest text that reads back as the same double; integers
    # get a ".0" so the literal is a double and keeps every digit.
    if isinstance(v, int):
        if float(v) != v:
            raise TableError(f"{v} is not exactly representable as a double")
        return f"{v}.0"
    return repr(v)


def row_literal(row, int_fields=()):
    return "{" + ", ".join(str(v) if j in int_fields else as_double(v)
                           for j, v in enumerate(row)) + "}"


def render(data):
    out = ["// Generated by tools/generate_series_tables.py from the published abridged",
           "// VSOP87D, IAU 1980 nutation and lunar series tables. Do not edit by hand;",
           "// change the generator or its input and run it again.",
           "",
           '#include "engine/series_tables.h"',
           "",
           "namespace skyvane::engine {",
           ""]
    planets = {}
    for body in EXPECTED_TERMS:
        coords = planets[body] = []
        for coord in COORDS:
            series = []
            for order, terms in enumerate(data["vsop87d"][body][coord]):
                name = f"k{body.capitalize()}{coord}{order}"
                out += [f"static const VsopTerm {name}[] = {{"]
                out += [f"    {row_literal(t)}," for t in terms] + ["};", ""]
                series.append(f"{{{name}, {len(terms)}}}")
            series += ["{nullptr, 0}"] * (MAX_ORDER - len(series))
            coords.append("{{" + ", ".join(series) + "}}")
    out += ["const VsopPlanet kVsopPlanets[kVsopPlanetCount] = {"]
    for body, coords in planets.items():
        out += [f"    // {body.capitalize()}", "    {"] + [f"        {c}," for c in coords] + ["    },"]
    out += ["};", ""]
    tables = [("NutationRow kNutationRows[kNutationRowCount]", data["nutation"], NUTATION_INT_FIELDS),
              ("MoonLongitudeDistanceRow kMoonLongitudeDistanceRows[kMoonLongitudeDistanceRowCount]",
               data["moon"]["longitudeDistance"], ()),
              ("MoonLatitudeRow kMoonLatitudeRows[kMoonLatitudeRowCount]", data["moon"]["latitude"], ())]
    for decl, rows, int_fields in tables:
        out += [f"const {decl} = {{"] + [f"    {row_literal(r, int_fields)}," for r in rows] + ["};", ""]
    out.append("}  // namespace skyvane::engine")
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) > 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    src = os.path.join(ROOT, argv[1] if len(argv) > 1 else DEFAULT_INPUT)
    dst = os.path.join(ROOT, argv[2] if len(argv) > 2 else DEFAULT_OUTPUT)
    try:
        with open(src, encoding="utf-8") as f:
            data = json.load(f)
        validate(data)
        text = render(data)
    except (OSError, ValueError, TableError) as e:
        print(f"generate_series_tables: {src}: {e}", file=sys.stderr)
        return 1
    except (KeyError, IndexError, TypeError) as e:
        print(f"generate_series_tables: {src}: malformed table layout ({e!r})", file=sys.stderr)
        return 1
    # Everything is checked and rendered before the output is opened, so a
    # failed run leaves any existing file untouched.
    with open(dst, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
