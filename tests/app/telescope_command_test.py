#!/usr/bin/env python3
"""skyvane telescope against Debian's real indiserver with the telescope
simulator, started here on a free loopback port and stopped after: goto
Vega ends on Vega's apparent place of date (ours, and PyEphem's as an
independent check), the JSON follows schema/telescope.schema.json, a
target below the horizon and a server that is not there fail with status
1, bad arguments with 2.

usage: telescope_command_test.py SKYVANE DATAS_BIN SCHEMA
"""

import datetime
import json
import math
import os
import socket
import subprocess
import sys
import tempfile
import time

import ephem
import jsonschema

# Vega and M31 never set at latitude 60 north.
PLACE = ["--lon", "-10", "--lat", "60"]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_server(home):
    port = free_port()
    server = subprocess.Popen(
        ["indiserver", "-p", str(port), "-u", os.path.join(home, "sock"), "-r", "0",
         "indi_simulator_telescope"],
        env=dict(os.environ, HOME=home), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + 10
    while time.time() < deadline:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.2).close()
            return server, port
        except OSError:
            time.sleep(0.05)
    server.kill()
    raise SystemExit("indiserver did not start")


def distance_arcmin(ra1, dec1, ra2, dec2):
    r1, r2 = math.radians(ra1 * 15), math.radians(ra2 * 15)
    d1, d2 = math.radians(dec1), math.radians(dec2)
    c = math.sin(d1) * math.sin(d2) + math.cos(d1) * math.cos(d2) * math.cos(r1 - r2)
    return math.degrees(math.acos(max(-1.0, min(1.0, c)))) * 60


def main():
    skyvane, data, schema_path = sys.argv[1:4]
    with open(schema_path) as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    failures = []

    def check(condition, what):
        if not condition:
            failures.append(what)
            print("FAIL:", what)

    with tempfile.TemporaryDirectory() as home:
        server, port = start_server(home)
        try:
            common = ["--indi", "127.0.0.1:%d" % port, "--data", data] + PLACE

            def run(*args):
                return subprocess.run([skyvane, "telescope", *args, *common],
                                      capture_output=True, text=True, timeout=200)

            status = run("status", "--json")
            check(status.returncode == 0, "status: " + status.stderr)
            if status.returncode == 0:
                validator.validate(json.loads(status.stdout))

            when = datetime.datetime.utcnow()
            goto = run("goto", "Vega", "--wait", "--json")
            check(goto.returncode == 0, "goto Vega: " + goto.stderr)
            if goto.returncode == 0:
                result = json.loads(goto.stdout)
                validator.validate(result)
                pointing, target = result["pointing"], result["target"]["place"]
                check(result["slewEnded"] is True, "goto Vega --wait ended")
                check(result["state"] == "tracking", "tracking after the goto")
                ours = distance_arcmin(pointing["rightAscension"], pointing["declination"],
                                       target["rightAscension"], target["declination"])
                check(ours < 1, "mount %.2f' from our apparent place of Vega" % ours)
                # PyEphem's geocentric apparent place of Vega at the same
                # instant: an independent reduction.
                vega = ephem.star("Vega")
                vega.compute(ephem.Date(when))
                theirs = distance_arcmin(pointing["rightAscension"], pointing["declination"],
                                         math.degrees(vega.g_ra) / 15, math.degrees(vega.g_dec))
                check(theirs < 1, "mount %.2f' from PyEphem's apparent place of Vega" % theirs)

            text = run("status")
            check(text.returncode == 0 and "State            tracking" in text.stdout,
                  "status text: " + text.stdout + text.stderr)

            below = run("goto", "Canopus")
            check(below.returncode == 1 and "below the horizon" in below.stderr,
                  "Canopus refused: " + below.stderr)
            unknown = run("goto", "Nosuchstar")
            check(unknown.returncode == 1 and "no object named" in unknown.stderr,
                  "unknown name: " + unknown.stderr)
            # Deep-sky names too, as skyvane find knows them: the deep-sky
            # file beside the data file is read.
            for name in ("NGC 7000", "HIP 32349"):
                deep = run("sync", name, "--json")
                check(deep.returncode == 0 and json.loads(deep.stdout or "{}").get("target", {}).get("name"),
                      "sync %s: %s" % (name, deep.stderr))
            usage = run("goto")
            check(usage.returncode == 2, "goto without a name is a usage error")
        finally:
            server.kill()
            server.wait()

    gone = subprocess.run([skyvane, "telescope", "status", "--indi", "127.0.0.1:%d" % port],
                          capture_output=True, text=True, timeout=30)
    check(gone.returncode == 1 and "refused the connection" in gone.stderr,
          "no server: " + gone.stderr)

    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
