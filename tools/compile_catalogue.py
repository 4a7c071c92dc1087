#!/usr/bin/env python3
"""Compiles the sky catalogue that we serve inside datas.bin.

Usage: compile_catalogue.py [SOURCE_DIR [OUTPUT_DIR]]
Relative paths are taken from the project root (the parent of tools/); the
defaults are ../shared/data and data.

Writes, in OUTPUT_DIR:
  stars.txt                the catalogue: page address pattern, every star of
                           the Bright Star Catalogue, the 88 constellation
                           names, the stick figures and the Messier objects
  Datafile.txt             the intro screen's layout script
  LICENSE-d3-celestial.txt the licence of the star names, figures, boundaries
                           and Messier data we derive from d3-celestial

Texts are Windows-1252 bytes, records end with ";" CR LF. Everything is
checked before anything is written (counts, the figure packing against the
program's 122-row horizontal chart, a replay of how the program resolves
figure stars); on any problem nothing is written and the exit status is 1.
"""
import json
import math
import os
import re
import sys
import unicodedata

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_SOURCE = "../shared/data"
DEFAULT_OUTPUT = "data"

# We have no public host yet; the online code uses the same reserved name
# until it has one, so pages and downloads point at one place.
VENDOR_HOST = "skyvane.invalid"
PAGE_PREFIX = f"http://{VENDOR_HOST}/objects/"
PAGE_SUFFIX = ".html"

# Object page numbers: stars use their HR number (1 to 9110); Messier
# objects are numbered above that range so the two never share a page.
MESSIER_PAGE_BASE = 10000

EXPECTED_STARS = 9096
EXPECTED_CONSTELLATIONS = 88
EXPECTED_MESSIER = 110
EXPECTED_FIGURE_POLYLINES = 150
EXPECTED_FIGURE_VERTICES = 893

# The horizontal chart draws figure rows 0 to 121 only, and a row holds 20
# star positions.
FIGURE_ROW_LIMIT = 122
FIGURE_ROW_LENGTH = 20

# A figure vertex is the catalogue star nearest to it; the source positions
# agree with the catalogue to a few arc seconds, so 0.1 degree is generous
# while still far below the distance between figure stars.
VERTEX_TOLERANCE_DEG = 0.1
# Components of one double star sit within this distance; the program finds
# a figure star by the first row carrying its SAO number, which is fine when
# that row is the other component of the same pair.
SAME_PLACE_DEG = 0.01

# Julian day of the epoch B1875.0, for which the constellation boundaries
# are defined as arcs of constant right ascension and declination.
JD_B1875 = 2405889.258550475
JD_J2000 = 2451545.0
# Corners precessed back to B1875.0 land this close to the round values.
GRID_TOLERANCE_DEG = 1e-3

LICENSE_NAME = "LICENSE-d3-celestial.txt"
INTRO_PICTURE = "intro.bmp"

# Texts the records carry must never contain the record or field separator.
SEPARATORS = (";", "|")


class CatalogueError(Exception):
    pass


# ---------------------------------------------------------------------------
# Text handling


def to_cp1252(text, what):
    """Returns text as the program stores it: Windows-1252, no separators.

    Letters outside Windows-1252 lose their accents (Sāmaya -> Samaya);
    typographic apostrophes become plain ones.
    """
    text = text.replace("\u00b4", "'").replace("\u2019", "'")
    text = " ".join(text.split())
    out = []
    for ch in unicodedata.normalize("NFC", text):
        if not _encodable(ch):
            ch = "".join(c for c in unicodedata.normalize("NFKD", ch)
                         if not unicodedata.combining(c))
            if not ch or not _encodable(ch):
                raise CatalogueError(f"{what}: {text!r} has no Windows-1252 form")
        out.append(ch)
    text = "".join(out)
    for sep in SEPARATORS:
        if sep in text:
            raise CatalogueError(f"{what}: {text!r} contains the separator {sep!r}")
    return text


def _encodable(text):
    try:
        text.encode("cp1252")
        return True
    except UnicodeEncodeError:
        return False


def ascii_fold(text):
    return "".join(c for c in unicodedata.normalize("NFKD", text) if not unicodedata.combining(c))


def record(*fields):
    """One record: the fields, each closed by "|", then ";" and CR LF.

    The reader skips the two characters after every ";", so the line end
    must be exactly CR LF.
    """
    for f in fields:
        for sep in SEPARATORS:
            if sep in f:
                raise CatalogueError(f"field {f!r} contains the separator {sep!r}")
    return "".join(f + "|" for f in fields) + ";\r\n"


# ---------------------------------------------------------------------------
# Geometry


def angular_separation_deg(ra1, dec1, ra2, dec2):
    """Great-circle distance between two points given in degrees."""
    ra1, dec1, ra2, dec2 = map(math.radians, (ra1, dec1, ra2, dec2))
    # Haversine form: well conditioned for the tiny distances we test.
    h = math.sin((dec2 - dec1) / 2) ** 2 + math.cos(dec1) * math.cos(dec2) * math.sin(
        (ra2 - ra1) / 2
    ) ** 2
    return math.degrees(2 * math.asin(min(1.0, math.sqrt(h))))


def precess_from_j2000(ra_deg, dec_deg, jd):
    """Mean place of J2000 moved to the equinox of jd (IAU 1976 precession)."""
    t = (jd - JD_J2000) / 36525.0
    arcsec = math.radians(1.0 / 3600.0)
    zeta = (2306.2181 * t + 0.30188 * t * t + 0.017998 * t ** 3) * arcsec
    z = (2306.2181 * t + 1.09468 * t * t + 0.018203 * t ** 3) * arcsec
    theta = (2004.3109 * t - 0.42665 * t * t - 0.041833 * t ** 3) * arcsec
    ra = math.radians(ra_deg)
    dec = math.radians(dec_deg)
    a = math.cos(dec) * math.sin(ra + zeta)
    b = math.cos(theta) * math.cos(dec) * math.cos(ra + zeta) - math.sin(theta) * math.sin(dec)
    c = math.sin(theta) * math.cos(dec) * math.cos(ra + zeta) + math.cos(theta) * math.sin(dec)
    ra_out = (math.degrees(math.atan2(a, b) + z)) % 360.0
    dec_out = math.degrees(math.asin(max(-1.0, min(1.0, c))))
    return ra_out, dec_out


def lon_to_ra_deg(lon):
    """GeoJSON longitude (right ascension folded into -180..180) to 0..360."""
    return lon % 360.0


def ra_offset(ra_from, ra_to):
    """Signed shortest step in right ascension, degrees in (-180, 180]."""
    d = (ra_to - ra_from) % 360.0
    return d - 360.0 if d > 180.0 else d


class Boundaries:
    """The IAU constellation boundaries, tested in the frame they are drawn in.

    The source ships the corner points precessed to J2000 and joins them with
    straight lines, but the true boundaries are arcs of constant right
    ascension or declination of the equinox B1875.0. Precessed back, the
    corners land on the round values of the 1875 grid, so we test a star
    there: precess it to B1875.0 and cast a ray north along its meridian;
    only arcs of constant declination can cross that ray. A region around
    the north pole gets one more crossing (where the ray ends at the pole).
    """

    def __init__(self, features):
        self.regions = []  # (abbreviation, [(dec, ra_start, ra_span)], holds_north_pole)
        for feature in features:
            abbrev = feature["id"]
            geometry = feature["geometry"]
            if geometry["type"] != "Polygon" or len(geometry["coordinates"]) != 1:
                raise CatalogueError(f"boundary of {abbrev}: expected one simple polygon")
            ring = [precess_from_j2000(lon_to_ra_deg(lon), lat, JD_B1875)
                    for lon, lat in geometry["coordinates"][0]]
            if ring[0] != ring[-1]:
                ring.append(ring[0])
            parallels = []
            winding = 0.0
            k = 0
            while k < len(ring) - 1:
                (ra1, dec1), (ra2, dec2) = ring[k], ring[k + 1]
                step = ra_offset(ra1, ra2)
                end = k + 1
                if abs(step) >= GRID_TOLERANCE_DEG and abs(dec2 - dec1) >= GRID_TOLERANCE_DEG:
                    # The source fills a long arc near the pole with points
                    # off the 1875 parallel; the arc runs on to the next
                    # corner at the declination it started from.
                    while abs(ring[end][1] - dec1) >= GRID_TOLERANCE_DEG:
                        if end + 1 == len(ring):
                            raise CatalogueError(
                                f"boundary of {abbrev}: edge from ({ra1:.4f}, {dec1:.4f}) "
                                "follows no 1875 grid line")
                        step += ra_offset(ring[end][0], ring[end + 1][0])
                        end += 1
                    dec2 = ring[end][1]
                winding += step
                if abs(step) >= GRID_TOLERANCE_DEG:
                    parallels.append(((dec1 + dec2) / 2.0, ra1, step))
                k = end
            if abs(winding) > 1.0 and abs(abs(winding) - 360.0) > 1.0:
                raise CatalogueError(f"boundary of {abbrev}: winds {winding:.2f} degrees")
            mean_dec = sum(d for _, d in ring[:-1]) / (len(ring) - 1)
            holds_north_pole = abs(winding) > 180.0 and mean_dec > 0.0
            self.regions.append((abbrev, parallels, holds_north_pole))

    @staticmethod
    def _inside(parallels, holds_north_pole, ra, dec):
        crossings = 0
        for edge_dec, ra_start, span in parallels:
            if edge_dec <= dec:
                continue
            # Half-open in right ascension so a star on a corner's meridian
            # is counted once.
            offset = (ra - ra_start) % 360.0 if span > 0 else (ra_start - ra) % 360.0
            if offset < abs(span):
                crossings += 1
        return (crossings % 2 == 1) != holds_north_pole

    def constellation(self, ra_deg, dec_deg):
        """Abbreviation of the constellation that holds a J2000 position."""
        ra, dec = precess_from_j2000(ra_deg, dec_deg, JD_B1875)
        found = {abbrev for abbrev, parallels, pole in self.regions
                 if self._inside(parallels, pole, ra, dec)}
        if len(found) != 1:
            raise CatalogueError(
                f"position RA {ra_deg:.4f} Dec {dec_deg:.4f} lies in {sorted(found) or 'no'} "
                "constellation(s)"
            )
        return found.pop()


# ---------------------------------------------------------------------------
# Sources


def load_json(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def parse_bright_stars(path):
    """The Bright Star Catalogue, one dict per star, in HR order."""
    with open(path, encoding="ascii") as f:
        lines = [line.rstrip("\r\n") for line in f if line.strip()]
    stars = []
    for number, line in enumerate(lines, 1):
        if len(line) < 147:
            line = line.ljust(147)
        try:
            hr = int(line[0:4])
            ra_hours = int(line[75:77]) + int(line[77:79]) / 60.0 + float(line[79:83]) / 3600.0
            sign = -1.0 if line[83] == "-" else 1.0
            dec = sign * (int(line[84:86]) + int(line[86:88]) / 60.0 + int(line[88:90]) / 3600.0)
            vmag = float(line[102:107])
        except ValueError as e:
            raise CatalogueError(f"bsc5.dat line {number}: {e}")
        sao_text = line[31:37].strip()
        stars.append({
            "hr": hr,
            "flamsteed": line[4:7].strip(),
            "bayer": line[7:10].strip() + line[10].strip(),
            "catalogue_constellation": line[11:14].strip(),
            "hd": line[25:31].strip(),
            "sao": int(sao_text) if sao_text else 0,
            "ra_hours": ra_hours,
            "ra_deg": ra_hours * 15.0,
            "dec": dec,
            "vmag": vmag,
            "spectrum": line[127:147].strip(),
        })
    if len(stars) != EXPECTED_STARS:
        raise CatalogueError(f"bsc5.dat: expected {EXPECTED_STARS} stars, found {len(stars)}")
    return stars


def proper_names_by_hd(starnames):
    names = {}
    for entry in starnames.values():
        name = entry.get("name", "")
        hd = re.sub(r"\D", "", entry.get("hd", ""))
        if name and hd:
            if hd in names and names[hd] != name:
                raise CatalogueError(f"HD {hd} has two names: {names[hd]!r}, {name!r}")
            names[hd] = name
    return names


# ---------------------------------------------------------------------------
# Stars


def compile_stars(stars, names_by_hd, boundaries, notes):
    """Adds designation, proper name and page fields to every star."""
    disagreements = []
    named = 0
    for star in stars:
        where = boundaries.constellation(star["ra_deg"], star["dec"])
        star["boundary_constellation"] = where
        if star["catalogue_constellation"]:
            parts = [p for p in (star["flamsteed"], star["bayer"]) if p]
            star["designation"] = " ".join(parts + [star["catalogue_constellation"]])
            star["has_name"] = True
            if where != star["catalogue_constellation"]:
                disagreements.append(f"HR {star['hr']} {star['designation']} (in {where})")
        else:
            star["designation"] = f"HR {star['hr']} {where}"
            star["has_name"] = False
        star["designation"] = to_cp1252(star["designation"], f"HR {star['hr']} designation")
        name = names_by_hd.get(star["hd"], "")
        star["proper_name"] = to_cp1252(name, f"HR {star['hr']} name") if name else ""
        named += bool(name)
        star["spectrum"] = to_cp1252(star["spectrum"], f"HR {star['hr']} spectrum")
        # Stars that people look up by name get the page link.
        star["has_page"] = 1 if (star["has_name"] or star["proper_name"]) else 0
    notes.append(f"{named} stars carry a proper name")
    notes.append(f"{sum(1 for s in stars if not s['has_name'])} stars without Bayer or "
                 "Flamsteed name got their constellation from the boundaries")
    if not disagreements:
        notes.append(f"all {sum(1 for s in stars if s['has_name'])} named stars lie in the "
                     "constellation of their name")
    else:
        notes.append(
            f"{len(disagreements)} named stars lie outside the constellation of their name "
            "(their names are kept): " + ", ".join(disagreements)
        )
    return stars


def settle_double_stars(stars, notes):
    """Gives each double star's number and name to its brightest component.

    The Bright Star Catalogue lists the components of some doubles as rows
    of their own at the same place and gives the SAO number (and the source
    the proper name) to one of them only, at times the fainter one: Castor
    would then show no SAO number and sit in no figure, while its faint
    companion carries both. The brightest component is the star a reader
    looks for, so it takes the SAO number and a proper name that a fainter
    component holds alone; the figures then pass through it as well.
    """
    index = StarIndex(stars)
    seen = set()
    moved_numbers = []
    moved_names = []
    for i, star in enumerate(stars):
        if i in seen:
            continue
        group = {i}
        todo = [i]
        while todo:
            j = todo.pop()
            for _, k in index.near(stars[j]["ra_deg"], stars[j]["dec"], SAME_PLACE_DEG):
                if k not in group:
                    group.add(k)
                    todo.append(k)
        seen |= group
        if len(group) < 2:
            continue
        members = sorted(group, key=lambda k: (stars[k]["vmag"], k))
        primary = stars[members[0]]
        others = [stars[k] for k in members[1:]]
        # A name moves only between components of one designation: stars
        # with designations of their own (Zet1 and Zet2 Cnc) keep theirs.
        if not primary["proper_name"]:
            named = [s for s in others
                     if s["proper_name"] and s["designation"] == primary["designation"]]
            if len(named) == 1:
                primary["proper_name"], named[0]["proper_name"] = named[0]["proper_name"], ""
                primary["has_page"] = 1
                moved_names.append(f"{primary['proper_name']} (HR {named[0]['hr']} to "
                                   f"HR {primary['hr']})")
        if primary["sao"] <= 0:
            numbered = [s for s in others if s["sao"] > 0]
            if numbered:
                donor = numbered[0]
                primary["sao"], donor["sao"] = donor["sao"], 0
                moved_numbers.append(f"SAO {primary['sao']} (HR {donor['hr']} to "
                                     f"HR {primary['hr']} {primary['designation']})")
        # The program finds a star by the first row with its number: a
        # fainter component listed earlier with the same number would take
        # the brightest one's place in the figures.
        for other in others:
            if primary["sao"] > 0 and other["sao"] == primary["sao"]:
                other["sao"] = 0
                moved_numbers.append(f"SAO {primary['sao']} (kept by HR {primary['hr']} "
                                     f"{primary['designation']} only, not HR {other['hr']})")
    if moved_names:
        notes.append(f"{len(moved_names)} proper names moved to the brightest component of "
                     "their double: " + ", ".join(moved_names))
    if moved_numbers:
        notes.append(f"{len(moved_numbers)} SAO numbers moved to the brightest component of "
                     "their double: " + ", ".join(moved_numbers))
    return stars


def star_records(stars):
    out = []
    for s in stars:
        out.append(record(
            "S", "0",
            f"{s['dec']:.6f}", f"{s['ra_hours']:.6f}", str(s["sao"]), f"{s['vmag']:.2f}",
            s["spectrum"], s["proper_name"], s["designation"], str(s["hr"]), str(s["has_page"]),
        ))
    return out


# ---------------------------------------------------------------------------
# Constellation names


def constellation_names(features):
    """(abbreviation, full name) of all 88, sorted by full name.

    Serpens comes in two parts with their own names; the program knows it
    once, as Serpens.
    """
    names = {}
    for feature in features:
        abbrev = feature["id"]
        full = feature["properties"]["name"]
        if abbrev == "Ser":
            full = "Serpens"
        if names.get(abbrev, full) != full:
            raise CatalogueError(f"{abbrev} has two names: {names[abbrev]!r}, {full!r}")
        names[abbrev] = to_cp1252(full, f"name of {abbrev}")
    if len(names) != EXPECTED_CONSTELLATIONS:
        raise CatalogueError(f"expected {EXPECTED_CONSTELLATIONS} constellations, found {len(names)}")
    for abbrev in names:
        if len(abbrev) != 3:
            raise CatalogueError(f"abbreviation {abbrev!r} is not three characters")
    return sorted(names.items(), key=lambda item: ascii_fold(item[1]))


# ---------------------------------------------------------------------------
# Stick figures


class StarIndex:
    """Finds catalogue stars near a position (1-degree declination bands)."""

    def __init__(self, stars):
        self.stars = stars
        self.bands = {}
        for i, s in enumerate(stars):
            self.bands.setdefault(math.floor(s["dec"]), []).append(i)

    def near(self, ra_deg, dec, radius_deg):
        found = []
        for band in range(math.floor(dec - radius_deg), math.floor(dec + radius_deg) + 1):
            for i in self.bands.get(band, ()):
                s = self.stars[i]
                d = angular_separation_deg(ra_deg, dec, s["ra_deg"], s["dec"])
                if d <= radius_deg:
                    found.append((d, i))
        return sorted(found)


def figure_rows_for(stars):
    """Row index that the program resolves each SAO number to (first row)."""
    first = {}
    for i, s in enumerate(stars):
        if s["sao"] > 0:
            first.setdefault(s["sao"], i)
    return first


def match_vertex(index, first_row_of_sao, ra_deg, dec, where, notes):
    """The star row the program will draw for a figure vertex.

    That is the nearest star if the first row carrying its SAO number is
    that star or a component at the same place; a nearest star without SAO
    number is replaced by a component at the same place that has one.
    """
    near = index.near(ra_deg, dec, VERTEX_TOLERANCE_DEG)
    if not near:
        raise CatalogueError(f"{where}: no catalogue star within {VERTEX_TOLERANCE_DEG} degree")
    _, nearest = near[0]
    stars = index.stars
    target = stars[nearest]
    # Of the components at that place the brightest comes first: it is the
    # star the figure means, and the one that carries the double's number.
    candidates = [nearest] + [
        i for _, i in index.near(target["ra_deg"], target["dec"], SAME_PLACE_DEG) if i != nearest
    ]
    candidates.sort(key=lambda i: stars[i]["vmag"])
    for i in candidates:
        sao = stars[i]["sao"]
        if sao <= 0:
            continue
        row = first_row_of_sao[sao]
        drawn = stars[row]
        if angular_separation_deg(drawn["ra_deg"], drawn["dec"],
                                  target["ra_deg"], target["dec"]) > SAME_PLACE_DEG:
            continue
        if row != nearest:
            if target["sao"] <= 0:
                reason = "has no SAO number"
            elif drawn["vmag"] < target["vmag"]:
                reason = "is the fainter component"
            else:
                reason = f"shares SAO {target['sao']} with an earlier row"
            notes.append(
                f"{where}: HR {target['hr']} {target['designation']} {reason}; the figure uses "
                f"HR {drawn['hr']} {drawn['designation']} (SAO {drawn['sao']}) at the same place"
            )
        if row == 0:
            raise CatalogueError(f"{where}: star row 0 can never be drawn in a figure")
        return row
    raise CatalogueError(
        f"{where}: HR {target['hr']} {target['designation']} has no usable SAO number"
    )


def figure_polylines(lines_features, stars, notes):
    """{abbreviation: [polyline as star rows]} from the source figures."""
    index = StarIndex(stars)
    first_row_of_sao = figure_rows_for(stars)
    figures = {}
    polylines = vertices = 0
    for feature in lines_features:
        abbrev = feature["id"]
        geometry = feature["geometry"]
        if geometry["type"] != "MultiLineString":
            raise CatalogueError(f"figure of {abbrev}: expected a MultiLineString")
        for n, line in enumerate(geometry["coordinates"]):
            rows = []
            for k, (lon, lat) in enumerate(line):
                where = f"figure {abbrev} line {n} vertex {k}"
                rows.append(match_vertex(index, first_row_of_sao, lon_to_ra_deg(lon), lat,
                                         where, notes))
            if len(rows) < 2:
                raise CatalogueError(f"figure {abbrev} line {n}: fewer than two vertices")
            for a, b in zip(rows, rows[1:]):
                if a == b:
                    raise CatalogueError(f"figure {abbrev} line {n}: a segment joins a star to itself")
            figures.setdefault(abbrev, []).append(rows)
            polylines += 1
            vertices += len(rows)
    if polylines != EXPECTED_FIGURE_POLYLINES or vertices != EXPECTED_FIGURE_VERTICES:
        raise CatalogueError(
            f"figures: expected {EXPECTED_FIGURE_POLYLINES} lines with "
            f"{EXPECTED_FIGURE_VERTICES} vertices, found {polylines} with {vertices}"
        )
    return figures


def split_long_polyline(line, owns, abbrev):
    """Cuts a polyline into pieces of at most one row each.

    Each piece after the first starts on the last star of the one before, so
    no segment is lost, and every piece starts on a star of the
    constellation itself, so that it can open a row.
    """
    if not owns(line[0]) and owns(line[-1]):
        line = line[::-1]
    if not owns(line[0]):
        raise CatalogueError(f"figure {abbrev}: a long line has no own star at either end")
    pieces = []
    start = 0
    while len(line) - start > FIGURE_ROW_LENGTH:
        end = start + FIGURE_ROW_LENGTH - 1
        while end > start and not owns(line[end]):
            end -= 1
        if end == start:
            raise CatalogueError(f"figure {abbrev}: cannot cut a long line on an own star")
        pieces.append(line[start:end + 1])
        start = end
    pieces.append(line[start:])
    return pieces


def pack_constellation(abbrev, polylines, owns):
    """Packs one constellation's polylines into as few rows as it can.

    A row opens with a piece whose first star belongs to the constellation
    (the program takes a row's constellation from its first star); further
    pieces follow after a 0, which breaks the line. First fit, longest first.
    """
    pieces = []
    for line in polylines:
        if len(line) > FIGURE_ROW_LENGTH:
            pieces.extend(split_long_polyline(line, owns, abbrev))
        elif owns(line[0]):
            pieces.append(line)
        elif owns(line[-1]):
            pieces.append(line[::-1])
        else:
            pieces.append(line)  # may only follow another piece
    pieces.sort(key=lambda p: (-len(p), not owns(p[0])))
    rows = []
    waiting = []
    for piece in pieces:
        if owns(piece[0]) and not any(len(r) + 1 + len(piece) <= FIGURE_ROW_LENGTH for r in rows):
            rows.append(list(piece))
            continue
        waiting.append(piece)
    for piece in waiting:
        for r in rows:
            if len(r) + 1 + len(piece) <= FIGURE_ROW_LENGTH:
                r.extend([0] + piece)
                break
        else:
            # No room behind an own star: open a row at an inner own star.
            cut = next((k for k in range(1, len(piece) - 1) if owns(piece[k])), None)
            if cut is None and not owns(piece[0]):
                raise CatalogueError(f"figure {abbrev}: a line has no star of {abbrev}")
            if cut is None or owns(piece[0]):
                rows.append(list(piece))
            else:
                rows.append(piece[cut::-1])
                rows.append(piece[cut:])
    return rows


def pack_figures(figures, stars, name_order):
    def owner(abbrev):
        return lambda row: stars[row]["designation"][-3:] == abbrev

    packed = []
    for abbrev, _ in name_order:
        if abbrev not in figures:
            raise CatalogueError(f"no figure for {abbrev}")
        for row in pack_constellation(abbrev, figures[abbrev], owner(abbrev)):
            packed.append((abbrev, row + [0] * (FIGURE_ROW_LENGTH - len(row))))
    if len(packed) > FIGURE_ROW_LIMIT:
        raise CatalogueError(f"figures need {len(packed)} rows, the chart draws {FIGURE_ROW_LIMIT}")
    return packed


def check_figures_as_drawn(packed, figures, stars):
    """Replays the program's reading of the figure rows against the source.

    The program resolves each SAO number to the first star row carrying it
    and joins neighbouring non-zero positions; the segments it draws per
    constellation must be exactly the source segments.
    """
    first_row_of_sao = figure_rows_for(stars)
    drawn = {}
    for n, (abbrev, row) in enumerate(packed):
        resolved = [first_row_of_sao.get(stars[r]["sao"], 0) if r else 0 for r in row]
        if resolved[0] == 0 or stars[resolved[0]]["designation"][-3:] != abbrev:
            raise CatalogueError(f"figure row {n} ({abbrev}) does not open on a star of {abbrev}")
        for a, b in zip(resolved, resolved[1:]):
            if a and b:
                drawn.setdefault(abbrev, set()).add(frozenset((a, b)))
    wanted = {
        abbrev: {frozenset(pair) for line in lines for pair in zip(line, line[1:])}
        for abbrev, lines in figures.items()
    }
    if drawn != wanted:
        for abbrev in sorted(set(drawn) | set(wanted)):
            if drawn.get(abbrev) != wanted.get(abbrev):
                raise CatalogueError(f"figure rows of {abbrev} draw other segments than the source")


def figure_records(packed, stars):
    return [record("L", "0", *(str(stars[r]["sao"]) if r else "0" for r in row))
            for _, row in packed]


# ---------------------------------------------------------------------------
# Messier objects

# Distances in thousands of light-years, as the standard Messier catalogue
# compilations quote them: clusters and nebulae from parallaxes and
# colour-magnitude fits, galaxies from Cepheids, the tip of the red-giant
# branch and surface-brightness fluctuations. The source carries none.
MESSIER_DISTANCE_KLY = {
    1: 6.5, 2: 37.5, 3: 33.9, 4: 7.2, 5: 24.5, 6: 1.6, 7: 0.98, 8: 4.1, 9: 25.8, 10: 14.3,
    11: 6.2, 12: 15.7, 13: 22.2, 14: 30.3, 15: 33.6, 16: 7.0, 17: 5.5, 18: 4.9, 19: 28.7,
    20: 5.2, 21: 4.25, 22: 10.6, 23: 2.15, 24: 10.0, 25: 2.0, 26: 5.0, 27: 1.36, 28: 17.9,
    29: 4.0, 30: 27.1, 31: 2500.0, 32: 2490.0, 33: 2730.0, 34: 1.5, 35: 2.8, 36: 4.1,
    37: 4.5, 38: 4.2, 39: 0.8, 40: 0.51, 41: 2.3, 42: 1.344, 43: 1.6, 44: 0.577, 45: 0.444,
    46: 5.4, 47: 1.6, 48: 1.5, 49: 56000.0, 50: 3.0, 51: 31000.0, 52: 5.0, 53: 58.0,
    54: 87.4, 55: 17.6, 56: 32.9, 57: 2.3, 58: 62000.0, 59: 60000.0, 60: 55000.0,
    61: 52500.0, 62: 22.5, 63: 29300.0, 64: 17300.0, 65: 35000.0, 66: 36000.0, 67: 2.7,
    68: 33.6, 69: 29.7, 70: 29.4, 71: 13.0, 72: 55.4, 73: 2.5, 74: 32000.0, 75: 67.5,
    76: 2.5, 77: 47000.0, 78: 1.6, 79: 41.0, 80: 32.6, 81: 11800.0, 82: 12000.0,
    83: 15000.0, 84: 60000.0, 85: 60000.0, 86: 52000.0, 87: 53500.0, 88: 47000.0,
    89: 50000.0, 90: 58700.0, 91: 63000.0, 92: 26.7, 93: 3.6, 94: 16000.0, 95: 33000.0,
    96: 31000.0, 97: 2.03, 98: 44400.0, 99: 50200.0, 100: 55000.0, 101: 20900.0,
    102: 50000.0, 103: 10.0, 104: 31100.0, 105: 36600.0, 106: 23700.0, 107: 20.9,
    108: 46000.0, 109: 83500.0, 110: 2690.0,
}

# Where the source's short name reads oddly on its own in the panel.
MESSIER_NAMES = {
    24: "Sagittarius Star Cloud",
    31: "Andromeda Galaxy",
    33: "Triangulum Galaxy",
    40: "Double star Winnecke 4 in Ursa Major",
    51: "Whirlpool Galaxy",
    73: "Asterism of four stars in Aquarius",
    101: "Pinwheel Galaxy",
    102: "Spindle Galaxy",
    104: "Sombrero Galaxy",
}

# Sizes the source leaves blank: the separation of the pair (M40) and the
# extent of the asterism (M73), in arc minutes.
MESSIER_DIMENSIONS = {40: "0.8", 73: "2.8"}

OBJECT_KINDS = {
    "gc": "Globular cluster",
    "oc": "Open cluster",
    "s": "Spiral galaxy",
    "e": "Elliptical galaxy",
    "i": "Irregular galaxy",
    "sfr": "Emission nebula",
    "pn": "Planetary nebula",
    "snr": "Supernova remnant",
    "rn": "Reflection nebula",
    "pos": "Star group",
}


def compile_messier(features, boundaries, full_names):
    by_number = {}
    for feature in features:
        m = re.fullmatch(r"M(\d+)", feature["id"])
        if not m:
            raise CatalogueError(f"messier.json: unexpected id {feature['id']!r}")
        by_number[int(m.group(1))] = feature
    if sorted(by_number) != list(range(1, EXPECTED_MESSIER + 1)):
        raise CatalogueError("messier.json: expected M1 to M110 exactly once each")
    if sorted(MESSIER_DISTANCE_KLY) != list(range(1, EXPECTED_MESSIER + 1)):
        raise CatalogueError("distance table: expected M1 to M110")
    out = []
    for n in range(1, EXPECTED_MESSIER + 1):
        props = by_number[n]["properties"]
        lon, lat = by_number[n]["geometry"]["coordinates"]
        ra_deg = lon_to_ra_deg(lon)
        desig = props.get("desig", "").strip()
        # The panel prints "NGC " before this text; objects outside the NGC
        # leave it blank and name their catalogue in the name instead.
        if desig.startswith("NGC "):
            ngc, other = desig[4:].strip(), ""
        else:
            ngc, other = "", desig
        kind = OBJECT_KINDS.get(props.get("type", ""))
        if kind is None:
            raise CatalogueError(f"M{n}: unknown object type {props.get('type')!r}")
        where = full_names[boundaries.constellation(ra_deg, lat)]
        name = MESSIER_NAMES.get(n) or props.get("alt", "").strip() or f"{kind} in {where}"
        if other and n not in MESSIER_NAMES:
            name = f"{name} ({other})"
        dimension = props.get("dim", "").strip() or MESSIER_DIMENSIONS.get(n, "")
        if not dimension:
            raise CatalogueError(f"M{n}: no dimension")
        out.append({
            "n": n,
            "ra_hours": ra_deg / 15.0,
            "dec": lat,
            "ngc": to_cp1252(ngc, f"M{n} NGC"),
            "name": to_cp1252(name, f"M{n} name"),
            "vmag": float(props["mag"]),
            "dimension": to_cp1252(dimension, f"M{n} dimension"),
            "distance": MESSIER_DISTANCE_KLY[n],
        })
    return out


def messier_records(objects):
    return [record(
        "M", "0", f"{o['dec']:.6f}", f"{o['ra_hours']:.6f}", o["ngc"], o["name"],
        f"{o['vmag']:.1f}", o["dimension"], f"{o['distance']:g}",
        str(MESSIER_PAGE_BASE + o["n"]), "1",
    ) for o in objects]


# ---------------------------------------------------------------------------
# Output


def notice_record():
    """A record the program skips, so the notice travels with the data."""
    return record(
        "REM", "0",
        "Skyvane sky catalogue. Stars from the Bright Star Catalogue, 5th revised edition "
        "(Hoffleit and Warren 1991). Star names, constellation figures, constellation "
        "boundaries and Messier objects derived from d3-celestial, Copyright (c) 2015 "
        f"Olaf Frohn, BSD 3-clause licence, full text in {LICENSE_NAME}",
    )


def layout_script():
    return record("GROUP", "1") + record(
        "INTROPICT", "F", "P", "0", "0", INTRO_PICTURE, "0", "Skyvane")


def build(source_dir):
    notes = []
    stars = parse_bright_stars(os.path.join(source_dir, "bsc5.dat"))
    d3 = os.path.join(source_dir, "d3-celestial")
    boundaries = Boundaries(load_json(os.path.join(d3, "constellations.bounds.json"))["features"])
    names = proper_names_by_hd(load_json(os.path.join(d3, "starnames.json")))
    compile_stars(stars, names, boundaries, notes)
    settle_double_stars(stars, notes)
    name_order = constellation_names(load_json(os.path.join(d3, "constellations.json"))["features"])
    for s in stars:
        if s["designation"][-3:] not in dict(name_order):
            raise CatalogueError(f"HR {s['hr']}: unknown constellation in {s['designation']!r}")
    figures = figure_polylines(
        load_json(os.path.join(d3, "constellations.lines.json"))["features"], stars, notes)
    packed = pack_figures(figures, stars, name_order)
    check_figures_as_drawn(packed, figures, stars)
    notes.append(f"{len(packed)} figure rows (the horizontal chart draws {FIGURE_ROW_LIMIT})")
    messier = compile_messier(load_json(os.path.join(d3, "messier.json"))["features"],
                              boundaries, dict(name_order))

    parts = [notice_record(), record("ID", PAGE_PREFIX, PAGE_SUFFIX)]
    parts += star_records(stars)
    parts += [record("C", "0", f"{abbrev} {full}") for abbrev, full in name_order]
    parts += figure_records(packed, stars)  # after the stars they name
    parts += messier_records(messier)
    catalogue = "".join(parts).encode("cp1252")
    with open(os.path.join(d3, "LICENSE"), "rb") as f:
        licence = f.read()
    counts = (len(stars), len(name_order), len(packed), len(messier))
    return catalogue, layout_script().encode("cp1252"), licence, counts, notes


def write_file(path, data):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    source_dir = os.path.join(ROOT, argv[1] if len(argv) > 1 else DEFAULT_SOURCE)
    output_dir = os.path.join(ROOT, argv[2] if len(argv) > 2 else DEFAULT_OUTPUT)
    try:
        catalogue, layout, licence, counts, notes = build(source_dir)
    except (CatalogueError, OSError, ValueError, KeyError) as e:
        print(f"compile_catalogue: {e}", file=sys.stderr)
        print("compile_catalogue: nothing written", file=sys.stderr)
        return 1
    os.makedirs(output_dir, exist_ok=True)
    write_file(os.path.join(output_dir, "stars.txt"), catalogue)
    write_file(os.path.join(output_dir, "Datafile.txt"), layout)
    write_file(os.path.join(output_dir, LICENSE_NAME), licence)
    for note in notes:
        print(f"compile_catalogue: {note}")
    print("compile_catalogue: wrote stars.txt (%d stars, %d names, %d figure rows, "
          "%d Messier objects, %d bytes), Datafile.txt and %s"
          % (*counts, len(catalogue), LICENSE_NAME))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
