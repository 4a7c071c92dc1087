#!/usr/bin/env python3
"""Checks a sky data file the way the program will read it.

Usage: check_datafile.py [DATAS_BIN]      (default: build/datas.bin)

Unpacks the file, walks the directory, splits the catalogue and the layout
script into records and fields with the program's own rules, resolves the
figure rows by SAO number, and checks what we promise to serve: 9,096 stars,
88 constellation names in alphabetical order, figure rows that the
horizontal chart draws in full and that each open on a star of their
constellation, M1 to M110 in order, an intro picture of 900 x 600 pixels.
Prints a summary; on any problem lists them all and exits with status 1.
"""
import os
import re
import struct
import sys
import unicodedata
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_FILE = "build/datas.bin"

MAX_FILE = 4_000_000
MAX_PAYLOAD = 4_000_000
MAX_DIRECTORY = 2047
MAX_ENTRY = 5_000_000
PICTURE_SLOTS = 15
ENTRY_SIZE = 48

EXPECTED_STARS = 9096
EXPECTED_NAMES = 88
EXPECTED_MESSIER = 110
FIGURE_ROWS_DRAWN = 122
FIGURE_POSITIONS = 20
CATALOGUE_FIELDS = 25
LAYOUT_FIELDS = 20
INTRO_SIZE = (900, 600)


def atoi(field):
    """C atoi: leading blanks, optional sign, digits; anything else ends it."""
    m = re.match(rb"[ \t\n\v\f\r]*([+-]?\d+)", field)
    return int(m.group(1)) if m else 0


def atof(text):
    m = re.match(r"\s*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)", text)
    return float(m.group(1)) if m else 0.0


def c_string(field):
    """A NUL-padded field as the program sees it."""
    return field.split(b"\0", 1)[0]


def split_records(text):
    """Records as the program cuts them: each ends with ';' and the next one
    starts three characters after it."""
    records = []
    previous = -3
    for i, ch in enumerate(text):
        if ch == ";":
            records.append(text[previous + 3:i + 1])
            previous = i
    return records


def split_fields(record, slots):
    fields = []
    previous = -1
    for k, ch in enumerate(record):
        if ch == "|":
            if len(fields) < slots:
                fields.append(record[previous + 1:k])
            previous = k
    return fields


class Checker:
    def __init__(self):
        self.problems = []
        self.summary = []

    def fail(self, message):
        self.problems.append(message)

    def expect(self, condition, message):
        if not condition:
            self.fail(message)
        return condition

    # -- container --------------------------------------------------------

    def unpack(self, data):
        self.expect(len(data) <= MAX_FILE, f"file has {len(data)} bytes, limit {MAX_FILE}")
        if not self.expect(len(data) > 26, "file is shorter than its header"):
            return None, None
        payload_size = atoi(data[0:10])
        directory_size = atoi(data[10:18])
        hex_field = c_string(data[18:26]).decode("ascii", "replace").strip()
        try:
            stream = zlib.decompress(data[26:])
        except zlib.error as e:
            self.fail(f"payload does not inflate: {e}")
            return None, None
        self.expect(len(stream) == payload_size,
                    f"payload inflates to {len(stream)} bytes, header says {payload_size}")
        self.expect(payload_size <= MAX_PAYLOAD, f"payload {payload_size} bytes, limit {MAX_PAYLOAD}")
        self.expect(0 < directory_size <= MAX_DIRECTORY,
                    f"directory {directory_size} bytes, limit {MAX_DIRECTORY}")
        self.expect(directory_size % ENTRY_SIZE == 0,
                    f"directory size {directory_size} is no multiple of {ENTRY_SIZE}")
        self.expect(re.fullmatch(r"[0-9A-Fa-f]{1,8}", hex_field) is not None,
                    f"hex field {hex_field!r} is no hexadecimal number")
        if re.fullmatch(r"[0-9A-Fa-f]{1,8}", hex_field):
            self.expect(int(hex_field, 16) == zlib.crc32(stream),
                        "hex field is not the payload's CRC-32")
        self.summary.append(f"file {len(data)} bytes, payload {len(stream)} bytes, "
                            f"directory {directory_size} bytes")
        return stream, directory_size

    def directory(self, payload, directory_size):
        entries = {}
        order = []
        for i in range(1, min(directory_size, MAX_DIRECTORY) // ENTRY_SIZE):
            raw = payload[i * ENTRY_SIZE:(i + 1) * ENTRY_SIZE]
            name = c_string(raw[0:32]).replace(b" ", b"").decode("ascii", "replace")
            start, end = atoi(c_string(raw[32:40])), atoi(c_string(raw[40:48]))
            where = f"entry {i} ({name!r})"
            if not self.expect(0 <= start <= end <= len(payload),
                               f"{where}: offsets {start}..{end} outside the payload"):
                continue
            self.expect(start >= directory_size, f"{where}: data overlaps the directory")
            self.expect(end - start < MAX_ENTRY, f"{where}: {end - start} bytes, limit {MAX_ENTRY}")
            self.expect(name not in entries, f"{where}: name used twice")
            picture = ".bmp" in name or ".gif" in name
            if picture:
                self.expect(i < PICTURE_SLOTS, f"{where}: picture beyond the picture table")
            data = payload[start:end]
            if ".txt" in name:
                data = data.split(b"\0", 1)[0]
            entries[name] = (i, data, picture)
            order.append(f"{i}:{name} ({end - start} bytes)")
        self.summary.append("entries " + ", ".join(order))
        return entries

    # -- texts --------------------------------------------------------------

    def decode_text(self, name, data):
        try:
            text = data.decode("cp1252")
        except UnicodeDecodeError as e:
            self.fail(f"{name}: not Windows-1252: {e}")
            return None
        records = split_records(text)
        # Every ";" must be followed by CR LF or the next record starts late.
        for m in re.finditer(";", text):
            after = text[m.end():m.end() + 2]
            if after != "\r\n":
                self.fail(f"{name}: ';' at offset {m.start()} is followed by {after!r}, not CR LF")
                break
        for r, rec in enumerate(records):
            if not rec.endswith("|;"):
                self.fail(f"{name}: record {r} does not end with '|;': {rec[:60]!r}")
        return records

    def layout(self, records, entries):
        intro = None
        for rec in records:
            f = split_fields(rec, LAYOUT_FIELDS)
            if f and f[0] == "INTROPICT":
                intro = (f[5].replace(" ", "") if len(f) > 5 else "") if len(f) > 1 and f[1] == "F" else ""
        if not self.expect(intro, "Datafile.txt: no INTROPICT record naming a picture"):
            return
        if not self.expect(intro in entries and entries[intro][2],
                           f"Datafile.txt: intro picture {intro!r} is no picture entry"):
            return
        data = entries[intro][1]
        if not self.expect(data[:2] == b"BM" and len(data) >= 54, f"{intro}: no BMP file"):
            return
        width, height = struct.unpack_from("<ii", data, 18)
        bits = struct.unpack_from("<H", data, 28)[0]
        ppm = struct.unpack_from("<ii", data, 38)
        offset = struct.unpack_from("<I", data, 10)[0]
        self.expect((width, abs(height)) == INTRO_SIZE,
                    f"{intro}: {width} x {height} pixels, expected {INTRO_SIZE}")
        self.expect(bits == 8, f"{intro}: {bits} bits per pixel, expected 8")
        self.expect(ppm == (3780, 3780), f"{intro}: {ppm} pixels per metre, expected 3780")
        self.expect(offset + ((width + 3) & ~3) * abs(height) <= len(data), f"{intro}: truncated")
        self.summary.append(f"intro picture {intro}: {width} x {abs(height)}, {bits} bits")

    def catalogue(self, records):
        stars, names, figures, messier, ids = [], [], [], [], []
        first_row = {}
        for r, rec in enumerate(records):
            f = split_fields(rec, CATALOGUE_FIELDS)
            f += [""] * (CATALOGUE_FIELDS - len(f))
            kind = f[0]
            if kind == "ID":
                ids.append((f[1], f[2]))
            elif kind == "S":
                star = {"dec": atof(f[2]), "ra": atof(f[3]), "sao": atoi(f[4].encode()),
                        "mag": atof(f[5]), "designation": f[8], "page": atoi(f[9].encode()),
                        "link": atoi(f[10].encode()), "record": r}
                if star["sao"] > 0:
                    first_row.setdefault(star["sao"], len(stars))
                stars.append(star)
            elif kind == "C":
                names.append(f[2])
            elif kind == "L":
                # Resolved against the stars read so far, as the program does.
                saos = [atoi(v.encode()) for v in f[2:2 + FIGURE_POSITIONS]]
                figures.append(([first_row.get(n, 0) if n > 0 else 0 for n in saos], saos))
            elif kind == "M":
                messier.append({"dec": atof(f[2]), "ra": atof(f[3]), "ngc": f[4], "name": f[5],
                                "mag": atof(f[6]), "dim": f[7], "distance": atof(f[8]),
                                "page": atoi(f[9].encode()), "link": atoi(f[10].encode())})

        self.expect(len(ids) == 1, f"{len(ids)} ID records, expected 1")
        if ids:
            prefix, suffix = ids[-1]
            self.expect(prefix.startswith("http://") or prefix.startswith("https://"),
                        f"page prefix {prefix!r} is no web address")
            self.summary.append(f"pages: {prefix}<id>{suffix}")

        self.expect(len(stars) == EXPECTED_STARS, f"{len(stars)} stars, expected {EXPECTED_STARS}")
        abbrevs = [n[:3] for n in names]
        self.expect(len(names) == EXPECTED_NAMES, f"{len(names)} names, expected {EXPECTED_NAMES}")
        self.expect(len(set(abbrevs)) == len(abbrevs), "a constellation abbreviation repeats")
        for n in names:
            self.expect(re.fullmatch(r"[A-Z][A-Za-z]{2} \S.*", n) is not None, f"name row {n!r}")
        folded = ["".join(c for c in unicodedata.normalize("NFKD", n[4:])
                          if not unicodedata.combining(c)) for n in names]
        self.expect(folded == sorted(folded), "constellation names are not in alphabetical order")

        known = set(abbrevs)
        pages = set()
        for i, s in enumerate(stars):
            where = f"star row {i}"
            self.expect(0.0 <= s["ra"] < 24.0 and -90.0 <= s["dec"] <= 90.0,
                        f"{where}: position {s['ra']}, {s['dec']}")
            self.expect(not (s["ra"] == 0.0 and s["dec"] == 0.0), f"{where}: drawn as empty")
            self.expect(s["designation"][-3:] in known,
                        f"{where}: designation {s['designation']!r} names no constellation")
            self.expect(s["link"] in (0, 1), f"{where}: link flag {s['link']}")
            self.expect(s["page"] > 0 and s["page"] not in pages, f"{where}: page id {s['page']}")
            pages.add(s["page"])
        if figures:
            last_star = max(s["record"] for s in stars) if stars else -1
            first_figure = next(r for r, rec in enumerate(records) if rec.startswith("L|"))
            self.expect(first_figure > last_star, "figure records come before the last star")

        self.expect(EXPECTED_NAMES <= len(figures) <= FIGURE_ROWS_DRAWN,
                    f"{len(figures)} figure rows; the horizontal chart draws {FIGURE_ROWS_DRAWN}")
        led = set()
        segments = 0
        for n, (rows, saos) in enumerate(figures):
            where = f"figure row {n}"
            for row, sao in zip(rows, saos):
                self.expect(sao <= 0 or row > 0, f"{where}: SAO {sao} names no star")
            if not self.expect(rows[0] > 0, f"{where}: first position holds no star"):
                continue
            # The program takes a row's constellation from its first star;
            # that must be the constellation most of the row's stars are in.
            abbrev = stars[rows[0]]["designation"][-3:]
            self.expect(abbrev in known, f"{where}: first star names no constellation")
            votes = {}
            for row in rows:
                if row:
                    other = stars[row]["designation"][-3:]
                    votes[other] = votes.get(other, 0) + 1
            self.expect(votes[abbrev] == max(votes.values()),
                        f"{where}: opens on a star of {abbrev}, but most of its stars are in "
                        f"{max(votes, key=votes.get)}")
            led.add(abbrev)
            segments += sum(1 for a, b in zip(rows, rows[1:]) if a and b)
        self.expect(led == known, f"no figure rows for {sorted(known - led)}")

        self.expect(len(messier) == EXPECTED_MESSIER,
                    f"{len(messier)} Messier objects, expected {EXPECTED_MESSIER}")
        for n, m in enumerate(messier, 1):
            where = f"M{n}"
            self.expect(0.0 <= m["ra"] < 24.0 and -90.0 <= m["dec"] <= 90.0, f"{where}: position")
            self.expect(not m["ngc"].startswith("NGC"), f"{where}: NGC text repeats 'NGC'")
            self.expect(m["name"] != "", f"{where}: no name")
            self.expect(m["dim"] != "", f"{where}: no dimension")
            self.expect(m["distance"] > 0.0, f"{where}: no distance")
            self.expect(m["link"] == 1, f"{where}: no page link")
            self.expect(m["page"] > 0 and m["page"] not in pages, f"{where}: page id {m['page']}")
            pages.add(m["page"])

        # The constellation search: the first star with "Alp" in its
        # designation, else the last star of the constellation.
        chosen = {}
        for abbrev in abbrevs:
            pick = 0
            for i, s in enumerate(stars):
                if s["designation"][-3:] == abbrev:
                    pick = i
                    if "Alp" in s["designation"]:
                        break
            self.expect(pick > 0, f"search for {abbrev} selects no star")
            chosen[abbrev] = pick
        if "Lyr" in chosen:
            vega = stars[chosen["Lyr"]]
            self.expect(vega["sao"] == 67174, f"search for Lyr selects SAO {vega['sao']}, not Vega")

        self.summary.append(
            f"catalogue: {len(stars)} stars, {len(names)} names, {len(figures)} figure rows "
            f"({segments} segments), {len(messier)} Messier objects")

    def run(self, data):
        payload, directory_size = self.unpack(data)
        if payload is None:
            return
        entries = self.directory(payload, directory_size)
        for name in ("Datafile.txt", "stars.txt"):
            self.expect(name in entries, f"no {name} entry")
        if "Datafile.txt" in entries:
            records = self.decode_text("Datafile.txt", entries["Datafile.txt"][1])
            if records is not None:
                self.layout(records, entries)
        if "stars.txt" in entries:
            records = self.decode_text("stars.txt", entries["stars.txt"][1])
            if records is not None:
                self.catalogue(records)


def main(argv):
    path = argv[1] if len(argv) > 1 else os.path.join(ROOT, DEFAULT_FILE)
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        print(f"check_datafile: {e}", file=sys.stderr)
        return 1
    checker = Checker()
    checker.run(data)
    for line in checker.summary:
        print(f"check_datafile: {line}")
    if checker.problems:
        for p in checker.problems[:50]:
            print(f"check_datafile: PROBLEM: {p}", file=sys.stderr)
        if len(checker.problems) > 50:
            print(f"check_datafile: ... and {len(checker.problems) - 50} more", file=sys.stderr)
        return 1
    print(f"check_datafile: {path} is fine")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
