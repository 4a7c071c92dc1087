#!/usr/bin/env python3
"""skyvane ephemeris --json, run for instants across the whole date range,
validated against the JSON Schema in the repository.

    ephemeris_schema_test.py SKYVANE SCHEMA
"""
import copy
import json
import subprocess
import sys

import jsonschema

skyvane, schema_file = sys.argv[1], sys.argv[2]
with open(schema_file, encoding="utf-8") as f:
    schema = json.load(f)
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)

CASES = [
    ["--date", "2006-06-21", "--time", "12:00:00", "--tz", "-5", "--dst", "1",
     "--lon", "74.006", "--lat", "40.714"],
    ["--jd", "2448908.5"],
    ["--date=-4713-01-01", "--lon=-180", "--lat=-90", "--tz=-14"],
    ["--date", "9999-12-31", "--time", "23:59:59", "--lon", "180", "--lat", "90", "--tz", "14"],
    ["--date", "-3167-03-01", "--time", "06:30"],
    ["--now", "--tz", "1", "--lon", "-8.5", "--lat", "47.32"],
]

failures = 0
first = None
for args in CASES:
    run = subprocess.run([skyvane, "ephemeris", "--json", *args],
                         capture_output=True, text=True, timeout=60)
    if run.returncode != 0:
        print(f"{args}: exit {run.returncode}: {run.stderr}")
        failures += 1
        continue
    document = json.loads(run.stdout)
    first = first or document
    for error in validator.iter_errors(document):
        print(f"{args}: {error.json_path}: {error.message}")
        failures += 1

# The schema itself must tell a wrong document from a right one: the
# values that do not apply are null, not 0, and the units are named.
if first is not None:
    for path, value in [((9, "helioDistance"), 0), ((0, "helioLongitude"), 0.0),
                        ((3, "altitude"), 0), ((10, "distanceUnit"), "au"),
                        ((2, "geoDistance"), None)]:
        wrong = copy.deepcopy(first)
        wrong["bodies"][path[0]][path[1]] = value
        if validator.is_valid(wrong):
            print(f"schema accepts body {path[0]} {path[1]} = {value!r}")
            failures += 1
    wrong = copy.deepcopy(first)
    del wrong["observer"]
    if validator.is_valid(wrong):
        print("schema accepts a document without the observer")
        failures += 1

print("ok" if failures == 0 else f"{failures} failures")
sys.exit(1 if failures else 0)
