#!/usr/bin/env python3
"""skyvane find --json against schema/find.schema.json, for the objects a
user tries first and the days without a rise or a set.

usage: find_json_schema_test.py SKYVANE DATAS_BIN SCHEMA
"""

import json
import subprocess
import sys

import jsonschema

ZURICH = ["--date", "2026-12-07", "--time", "22:00", "--tz", "1", "--lon", "-8.5",
          "--lat", "47.32"]
TROMSO_JUNE = ["--date", "2026-06-21", "--time", "12:00", "--tz", "1", "--dst", "1",
               "--lon", "-18.96", "--lat", "69.65"]

CASES = [
    (["Sirius"] + ZURICH, "star", "normal"),
    (["alf", "CMa"] + ZURICH, "star", "normal"),
    (["M 31"] + ZURICH, "messier", "normal"),
    (["Jupiter"] + ZURICH, "body", "normal"),
    (["HR 2491"] + ZURICH, "star", "normal"),
    (["Moon"] + ZURICH, "body", "normal"),
    (["Polaris"] + ZURICH, "star", "alwaysAbove"),
    (["Canopus"] + ZURICH, "star", "neverRises"),
    (["Sun"] + TROMSO_JUNE, "body", "alwaysAbove"),
    (["Betelgeuse", "--jd", "2448908.5"], "star", "normal"),
    # The deep-sky file beside the data file: Hipparcos, NGC and IC.
    (["HIP 1"] + ZURICH, "hipStar", "normal"),
    (["HIP 32349"] + ZURICH, "star", "normal"),
    (["NGC 7000"] + ZURICH, "ngcObject", "alwaysAbove"),
    (["ic434"] + ZURICH, "ngcObject", "normal"),
    (["North America Nebula"] + ZURICH, "ngcObject", "alwaysAbove"),
    (["Double Cluster"] + ZURICH, "ngcObject", "alwaysAbove"),
    (["NGC 224"] + ZURICH, "messier", "normal"),
]


def main():
    skyvane, data, schema_path = sys.argv[1:4]
    with open(schema_path) as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    failures = 0
    for args, kind, state in CASES:
        run = subprocess.run([skyvane, "find", "--data", data, "--json"] + args,
                             capture_output=True, text=True, timeout=60)
        if run.returncode != 0:
            print("FAIL %s: exit %d: %s" % (args, run.returncode, run.stderr))
            failures += 1
            continue
        document = json.loads(run.stdout)
        errors = sorted(validator.iter_errors(document), key=lambda e: list(e.path))
        for error in errors:
            print("FAIL %s: %s at %s" % (args, error.message, list(error.path)))
        failures += len(errors)
        if document["kind"] != kind or document["riseTransitSet"]["state"] != state:
            print("FAIL %s: kind %s, state %s" % (args, document["kind"],
                                                  document["riseTransitSet"]["state"]))
            failures += 1
    # A name that finds nothing: exit status 1, the closest names on stderr.
    run = subprocess.run([skyvane, "find", "--data", data, "--json", "Sirus"] + ZURICH,
                         capture_output=True, text=True, timeout=60)
    if run.returncode != 1 or "Sirius" not in run.stderr or run.stdout:
        print("FAIL unknown name: exit %d, stderr %r" % (run.returncode, run.stderr))
        failures += 1
    print("%d cases, %d failures" % (len(CASES) + 1, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
