#!/usr/bin/env python3
"""Draws the intro picture that datas.bin carries: the winter sky over a hill
line with the program's name, as an 8-bit palettised BMP.

Usage: make_intro_picture.py [CATALOGUE [OUTPUT_BMP]]
Relative paths are taken from the project root (the parent of tools/); the
defaults are data/stars.txt (the compiled catalogue) and data/intro.bmp.

The stars and the constellation figures come from the compiled catalogue,
seen from Zurich with Orion on the meridian. Everything is computed, with no
randomness, so the same catalogue always gives the same picture.
"""
import math
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_CATALOGUE = "data/stars.txt"
DEFAULT_OUTPUT = "data/intro.bmp"

WIDTH = 900
HEIGHT = 600
# 96 dots per inch, the resolution the program sizes pictures by.
PIXELS_PER_METRE = 3780

TITLE = "Skyvane"
SUBTITLE = "planetarium"

# The view: Zurich's latitude, Orion on the meridian, facing south.
LATITUDE_DEG = 47.32
SIDEREAL_TIME_HOURS = 5.6
VIEW_AZIMUTH_DEG = 180.0  # from north through east
VIEW_ALTITUDE_DEG = 33.0
HORIZONTAL_FIELD_DEG = 112.0
FAINTEST_MAGNITUDE = 6.5
EXTINCTION_MAG_PER_AIRMASS = 0.25

# Palette layout: every pixel is an index into one of these bands.
SKY_FIRST, SKY_LEVELS = 0, 112        # night sky, dark to bright
STAR_FIRST, STAR_LEVELS = 112, 20     # per star tint, faint to bright
STAR_TINTS = 4                        # hot, white, yellow, red stars
FIGURE_INDEX = 192                    # faint constellation lines
GROUND_INDEX = 193                    # hill silhouette
GROUND_RIM_INDEX = 194                # the hill line catching the sky glow
WINDOW_INDEX = 195                    # lit slit of the observatory dome
TEXT_FIRST, TEXT_LEVELS = 200, 24     # outline colour to title colour
SUB_FIRST, SUB_LEVELS = 224, 24       # outline colour to subtitle colour

SKY_STOPS = [  # (position 0..1 from darkest to brightest, RGB)
    (0.0, (2, 3, 12)),
    (0.45, (8, 14, 40)),
    (0.75, (20, 34, 78)),
    (1.0, (64, 78, 128)),
]
STAR_TINT_COLOURS = [(170, 200, 255), (235, 240, 255), (255, 240, 205), (255, 200, 150)]
FIGURE_COLOUR = (30, 46, 96)
GROUND_COLOUR = (1, 2, 5)
GROUND_RIM_COLOUR = (14, 18, 34)
WINDOW_COLOUR = (255, 196, 110)
OUTLINE_COLOUR = (3, 4, 14)
TITLE_COLOUR = (255, 238, 196)
SUBTITLE_COLOUR = (176, 196, 236)

# 4 x 4 ordered dither, so the sky gradient shows no bands.
BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


class PictureError(Exception):
    pass


# ---------------------------------------------------------------------------
# Catalogue


def read_catalogue(path):
    """Stars (dec, ra hours, sao, magnitude, spectrum) and figure rows."""
    with open(path, "rb") as f:
        text = f.read().decode("cp1252")
    stars, figures = [], []
    for rec in text.split(";\r\n"):
        fields = rec.split("|")
        if fields[0] == "S" and len(fields) >= 11:
            stars.append((float(fields[2]), float(fields[3]), int(fields[4]),
                          float(fields[5]), fields[6]))
        elif fields[0] == "L" and len(fields) >= 22:
            figures.append([int(v) for v in fields[2:22]])
    if not stars:
        raise PictureError(f"{path}: no stars")
    return stars, figures


# ---------------------------------------------------------------------------
# Sky geometry


def horizontal(dec_deg, ra_hours):
    """Altitude and azimuth (from north through east), degrees."""
    phi = math.radians(LATITUDE_DEG)
    h = math.radians((SIDEREAL_TIME_HOURS - ra_hours) * 15.0)
    d = math.radians(dec_deg)
    alt = math.asin(math.sin(phi) * math.sin(d) + math.cos(phi) * math.cos(d) * math.cos(h))
    az = math.atan2(-math.cos(d) * math.sin(h),
                    math.sin(d) * math.cos(phi) - math.cos(d) * math.sin(phi) * math.cos(h))
    return math.degrees(alt), math.degrees(az) % 360.0


def unit_vector(alt_deg, az_deg):
    alt, az = math.radians(alt_deg), math.radians(az_deg)
    return (math.cos(alt) * math.sin(az), math.cos(alt) * math.cos(az), math.sin(alt))


class View:
    """Stereographic view of the sky: angles keep their shapes at the edges."""

    def __init__(self):
        az0 = math.radians(VIEW_AZIMUTH_DEG)
        self.forward = unit_vector(VIEW_ALTITUDE_DEG, VIEW_AZIMUTH_DEG)
        self.right = (math.cos(az0), -math.sin(az0), 0.0)
        f, r = self.forward, self.right
        up = (r[1] * f[2] - r[2] * f[1], r[2] * f[0] - r[0] * f[2], r[0] * f[1] - r[1] * f[0])
        if up[2] < 0:
            up = tuple(-c for c in up)
        self.up = up
        self.scale = (WIDTH / 2) / (2 * math.tan(math.radians(HORIZONTAL_FIELD_DEG) / 4))
        self.cx, self.cy = WIDTH / 2, HEIGHT / 2

    def project(self, v):
        z = sum(a * b for a, b in zip(v, self.forward))
        if z < -0.5:
            return None
        x = sum(a * b for a, b in zip(v, self.right))
        y = sum(a * b for a, b in zip(v, self.up))
        k = 2.0 / (1.0 + z)
        return self.cx + self.scale * k * x, self.cy - self.scale * k * y

    def direction(self, px, py):
        """Inverse of project: the unit vector seen at a pixel."""
        x = (px - self.cx) / self.scale
        y = (self.cy - py) / self.scale
        rho2 = x * x + y * y
        z = (4.0 - rho2) / (4.0 + rho2)
        k = (1.0 + z) / 2.0
        return tuple(x * k * r + y * k * u + z * f
                     for r, u, f in zip(self.right, self.up, self.forward))


# ---------------------------------------------------------------------------
# Palette


def lerp_colour(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def sky_colour(t):
    for (t0, c0), (t1, c1) in zip(SKY_STOPS, SKY_STOPS[1:]):
        if t <= t1:
            return lerp_colour(c0, c1, (t - t0) / (t1 - t0))
    return SKY_STOPS[-1][1]


def build_palette():
    palette = [(0, 0, 0)] * 256
    for i in range(SKY_LEVELS):
        palette[SKY_FIRST + i] = sky_colour(i / (SKY_LEVELS - 1))
    for tint, colour in enumerate(STAR_TINT_COLOURS):
        for level in range(STAR_LEVELS):
            # Faint levels sit just above the sky; light grows steeply.
            t = ((level + 1) / STAR_LEVELS) ** 0.8
            palette[STAR_FIRST + tint * STAR_LEVELS + level] = lerp_colour(
                SKY_STOPS[1][1], colour, t)
    palette[FIGURE_INDEX] = FIGURE_COLOUR
    palette[GROUND_INDEX] = GROUND_COLOUR
    palette[GROUND_RIM_INDEX] = GROUND_RIM_COLOUR
    palette[WINDOW_INDEX] = WINDOW_COLOUR
    for i in range(TEXT_LEVELS):
        palette[TEXT_FIRST + i] = lerp_colour(OUTLINE_COLOUR, TITLE_COLOUR, i / (TEXT_LEVELS - 1))
    for i in range(SUB_LEVELS):
        palette[SUB_FIRST + i] = lerp_colour(OUTLINE_COLOUR, SUBTITLE_COLOUR, i / (SUB_LEVELS - 1))
    return palette


# ---------------------------------------------------------------------------
# Drawing


def galactic_latitude_deg(v_horizontal):
    """Galactic latitude of a horizontal direction, for the Milky Way glow."""
    e, n, u = v_horizontal
    phi = math.radians(LATITUDE_DEG)
    # Horizontal to equatorial (hour angle frame), then to right ascension.
    x = -n * math.sin(phi) + u * math.cos(phi)  # towards the meridian's equator point
    y = -e                                      # towards hour angle 6h (west)
    z = n * math.cos(phi) + u * math.sin(phi)   # towards the pole
    h = math.atan2(y, x)
    dec = math.asin(max(-1.0, min(1.0, z)))
    ra = math.radians(SIDEREAL_TIME_HOURS * 15.0) - h
    # North galactic pole, J2000.
    ra_p, dec_p = math.radians(192.85948), math.radians(27.12825)
    sin_b = (math.sin(dec) * math.sin(dec_p)
             + math.cos(dec) * math.cos(dec_p) * math.cos(ra - ra_p))
    return math.degrees(math.asin(max(-1.0, min(1.0, sin_b))))


def hill_height(px):
    """Height of the hill line above the picture's bottom edge, pixels."""
    t = px / WIDTH
    return (78 + 26 * math.sin(2.1 * math.pi * t + 0.6) + 11 * math.sin(5.3 * math.pi * t + 1.9)
            + 4 * math.sin(13.7 * math.pi * t + 0.3))


def draw_sky(pixels, view):
    """Gradient from the zenith to the horizon glow, plus the Milky Way."""
    zenith = (0.0, 0.0, 1.0)
    for py in range(HEIGHT):
        row = pixels[py]
        for px in range(WIDTH):
            v = view.direction(px + 0.5, py + 0.5)
            alt = math.degrees(math.asin(max(-1.0, min(1.0, sum(a * b for a, b in zip(v, zenith))))))
            glow = 1.0 - max(0.0, min(1.0, alt / 75.0))
            level = 0.18 + 0.62 * glow ** 2.2 + 0.2 * max(0.0, 1.0 - alt / 8.0)
            b = galactic_latitude_deg(v)
            level += 0.16 * math.exp(-(b / 9.0) ** 2)
            value = level * (SKY_LEVELS - 1) + (BAYER4[py & 3][px & 3] + 0.5) / 16.0 - 0.5
            row[px] = SKY_FIRST + max(0, min(SKY_LEVELS - 1, int(value + 0.5)))


def star_tint(spectrum):
    for letter in spectrum:
        if letter in "OB":
            return 0
        if letter in "AF":
            return 1
        if letter == "G":
            return 2
        if letter in "KMNRCS":
            return 3
    return 1


def star_level(pixel):
    """Brightness level 0..STAR_LEVELS of what a pixel shows (0: sky)."""
    if STAR_FIRST <= pixel < STAR_FIRST + STAR_TINTS * STAR_LEVELS:
        return (pixel - STAR_FIRST) % STAR_LEVELS + 1
    return 0


def draw_line(pixels, x0, y0, x1, y1, index, under):
    """A one-pixel line that only paints over pixels for which under() holds."""
    steps = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
    for k in range(steps + 1):
        t = k / steps
        x, y = int(round(x0 + (x1 - x0) * t)), int(round(y0 + (y1 - y0) * t))
        if 0 <= x < WIDTH and 0 <= y < HEIGHT and under(pixels[y][x]):
            pixels[y][x] = index


def draw_figures(pixels, view, stars, figures):
    first_row = {}
    for row, star in enumerate(stars):
        if star[2] > 0:
            first_row.setdefault(star[2], row)
    for figure in figures:
        points = []
        for sao in figure:
            star = stars[first_row[sao]] if sao in first_row else None
            if star is None:
                points.append(None)
                continue
            alt, az = horizontal(star[0], star[1])
            points.append(view.project(unit_vector(alt, az)) if alt > -2 else None)
        for a, b in zip(points, points[1:]):
            if a and b and math.hypot(b[0] - a[0], b[1] - a[1]) < WIDTH / 3:
                # Lines stop short of the stars so the stars stay round.
                length = math.hypot(b[0] - a[0], b[1] - a[1])
                if length < 14:
                    continue
                gap = 6 / length
                draw_line(pixels,
                          a[0] + (b[0] - a[0]) * gap, a[1] + (b[1] - a[1]) * gap,
                          b[0] - (b[0] - a[0]) * gap, b[1] - (b[1] - a[1]) * gap,
                          FIGURE_INDEX, lambda p: p < SKY_FIRST + SKY_LEVELS)


def draw_stars(pixels, view, stars):
    """Each star a small blur whose peak and size grow with its brightness."""
    for dec, ra, _, mag, spectrum in sorted(stars, key=lambda s: -s[3]):
        if mag > FAINTEST_MAGNITUDE:
            continue
        alt, az = horizontal(dec, ra)
        if alt < 0:
            continue
        p = view.project(unit_vector(alt, az))
        if p is None:
            continue
        x, y = p
        # Low stars shine through more air.
        mag += EXTINCTION_MAG_PER_AIRMASS * (1.0 / math.sin(math.radians(max(alt, 2.0))) - 1.0)
        # Brightness above the faintest star, compressed so that the
        # brightest stars saturate in a small core instead of a big disc.
        amplitude = 0.3 * 10 ** (0.22 * (FAINTEST_MAGNITUDE - mag))
        sigma = 0.62 + 0.14 * max(0.0, 5.0 - mag)
        radius = int(math.ceil(3 * sigma)) + 1
        tint = star_tint(spectrum)
        for py in range(int(y) - radius, int(y) + radius + 1):
            if not 0 <= py < HEIGHT:
                continue
            for px in range(int(x) - radius, int(x) + radius + 1):
                if not 0 <= px < WIDTH:
                    continue
                r2 = (px + 0.5 - x) ** 2 + (py + 0.5 - y) ** 2
                light = amplitude * math.exp(-r2 / (2 * sigma * sigma))
                level = int(min(1.0, light) * STAR_LEVELS + 0.5)
                if level > 0 and level > star_level(pixels[py][px]):
                    pixels[py][px] = STAR_FIRST + tint * STAR_LEVELS + min(level, STAR_LEVELS) - 1


def draw_ground(pixels):
    """Hills with a few firs and an observatory dome, black against the glow."""
    top = [HEIGHT - hill_height(px) for px in range(WIDTH)]
    # Firs: narrow triangles on the hill line.
    for base_x, height in ((84, 38), (97, 52), (111, 33), (612, 29), (626, 44), (641, 36),
                           (655, 25), (833, 41), (848, 30)):
        half = height * 0.24
        for px in range(int(base_x - half), int(base_x + half) + 1):
            if 0 <= px < WIDTH:
                rise = height * (1 - abs(px - base_x) / half)
                top[px] = min(top[px], HEIGHT - hill_height(base_x) + 4 - rise)
    # Dome on a low drum.
    dome_x, dome_r = 722, 27
    ground = HEIGHT - hill_height(dome_x)
    drum_top = ground - 18
    for px in range(dome_x - dome_r, dome_x + dome_r + 1):
        dx = px - dome_x
        top[px] = min(top[px], drum_top - math.sqrt(max(0.0, dome_r * dome_r - dx * dx)))
    for px in range(WIDTH):
        for py in range(max(0, int(math.ceil(top[px]))), HEIGHT):
            pixels[py][px] = GROUND_INDEX
        edge = int(math.ceil(top[px])) - 1
        if 0 <= edge < HEIGHT and top[px] - math.floor(top[px]) < 0.5:
            pixels[edge][px] = GROUND_RIM_INDEX
    # The dome's open slit, lit from inside.
    for py in range(int(drum_top - dome_r + 6), int(drum_top) - 2):
        for px in (dome_x - 2, dome_x - 1, dome_x, dome_x + 1):
            pixels[py][px] = WINDOW_INDEX


# A small stroke font: glyphs are polylines in em units (baseline y = 0,
# x-height 0.62, ascender 1.0), drawn as round-capped strokes.

def arc(cx, cy, rx, ry, a0, a1, steps=28):
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * k / steps)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * k / steps)))
            for k in range(steps + 1)]


XH = 0.62  # x-height

GLYPHS = {
    # (advance width, [polylines])
    "S": (0.62, [arc(0.31, 0.745, 0.26, 0.235, 25, 270) + arc(0.31, 0.265, 0.28, 0.245, 90, -155)]),
    "k": (0.50, [[(0.0, 1.0), (0.0, 0.0)], [(0.44, XH), (0.0, 0.2)], [(0.15, 0.33), (0.47, 0.0)]]),
    "y": (0.54, [[(0.0, XH), (0.27, 0.02)], [(0.54, XH), (0.2, -0.22)] + arc(0.06, -0.22, 0.14, 0.1, 0, -100, 8)]),
    "v": (0.54, [[(0.0, XH), (0.27, 0.0), (0.54, XH)]]),
    "a": (0.55, [arc(0.26, XH / 2, 0.26, XH / 2, 0, 360, 40), [(0.54, XH), (0.54, 0.0)]]),
    "n": (0.52, [[(0.0, XH), (0.0, 0.0)],
                 [(0.0, 0.38)] + arc(0.25, 0.38, 0.25, 0.24, 180, 0, 20) + [(0.5, 0.0)]]),
    "e": (0.56, [[(0.02, 0.31), (0.54, 0.31)] + arc(0.28, 0.31, 0.27, 0.31, 0, 320, 40)]),
    "p": (0.55, [[(0.0, XH), (0.0, -0.3)], arc(0.28, XH / 2, 0.27, XH / 2, 0, 360, 40)]),
    "l": (0.10, [[(0.0, 1.0), (0.0, 0.0)]]),
    "t": (0.34, [[(0.1, 0.9), (0.1, 0.1)] + arc(0.24, 0.1, 0.14, 0.1, 180, 300, 8),
                 [(-0.02, XH), (0.3, XH)]]),
    "r": (0.36, [[(0.0, XH), (0.0, 0.0)], [(0.0, 0.36)] + arc(0.3, 0.36, 0.3, 0.26, 180, 80, 12)]),
    "i": (0.10, [[(0.0, XH), (0.0, 0.0)], [(0.0, 0.88), (0.0, 0.885)]]),
    "u": (0.52, [[(0.0, XH), (0.0, 0.24)] + arc(0.25, 0.24, 0.25, 0.24, 180, 360, 20) + [(0.5, XH)],
                 [(0.5, XH), (0.5, 0.0)]]),
    "m": (0.80, [[(0.0, XH), (0.0, 0.0)],
                 [(0.0, 0.38)] + arc(0.2, 0.38, 0.2, 0.24, 180, 0, 16) + [(0.4, 0.0)],
                 [(0.4, 0.38)] + arc(0.6, 0.38, 0.2, 0.24, 180, 0, 16) + [(0.8, 0.0)]]),
}


def text_strokes(text, em, spacing, left, baseline):
    """Segments of text in pixels."""
    segments = []
    x = 0.0
    for ch in text:
        if ch not in GLYPHS:
            raise PictureError(f"no glyph for {ch!r}")
        advance, polylines = GLYPHS[ch]
        for line in polylines:
            pts = [(left + (x + gx) * em, baseline - gy * em) for gx, gy in line]
            segments.extend(zip(pts, pts[1:]))
        x += advance + spacing
    return segments


def text_width(text, em, spacing):
    return (sum(GLYPHS[c][0] for c in text) + spacing * (len(text) - 1)) * em


def distance_field(segments, reach):
    """Distance to the nearest stroke for every pixel within reach of one."""
    field = {}
    for (x0, y0), (x1, y1) in segments:
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        for py in range(int(min(y0, y1) - reach), int(max(y0, y1) + reach) + 2):
            for px in range(int(min(x0, x1) - reach), int(max(x0, x1) + reach) + 2):
                cx, cy = px + 0.5, py + 0.5
                t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((cx - x0) * dx + (cy - y0) * dy) / length2))
                d = math.hypot(cx - (x0 + t * dx), cy - (y0 + t * dy))
                if d < field.get((px, py), reach + 1):
                    field[(px, py)] = d
    return field


def draw_text(pixels, text, em, spacing, centre_x, baseline, stroke, outline, first, levels):
    """Text with anti-aliased edges over a dark outline and a soft shadow."""
    width = text_width(text, em, spacing)
    segments = text_strokes(text, em, spacing, centre_x - width / 2, baseline)
    half = stroke / 2
    shadow = outline + 4
    for (px, py), d in distance_field(segments, half + shadow).items():
        if not (0 <= px < WIDTH and 0 <= py < HEIGHT):
            continue
        if d <= half + outline:
            # Full colour inside the stroke, a one-pixel ramp to the outline.
            t = max(0.0, min(1.0, half + 0.5 - d))
            pixels[py][px] = first + int(round(t * (levels - 1)))
        elif d <= half + shadow:
            p = pixels[py][px]
            if SKY_FIRST <= p < SKY_FIRST + SKY_LEVELS or star_level(p):
                # Darken the sky around the letters so they stand out.
                base = p if p < SKY_FIRST + SKY_LEVELS else SKY_FIRST + 30
                fade = (d - half - outline) / (shadow - outline)
                pixels[py][px] = SKY_FIRST + int((base - SKY_FIRST) * (0.25 + 0.75 * fade))


# ---------------------------------------------------------------------------
# BMP


def bmp_bytes(pixels, palette):
    """An uncompressed 8-bit BMP (rows bottom-up, padded to 4 bytes)."""
    row_size = (WIDTH + 3) & ~3
    image_size = row_size * HEIGHT
    offset = 14 + 40 + 4 * 256
    header = struct.pack("<2sIHHI", b"BM", offset + image_size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, image_size,
                       PIXELS_PER_METRE, PIXELS_PER_METRE, 256, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    rows = b"".join(bytes(pixels[y]) + b"\0" * (row_size - WIDTH) for y in range(HEIGHT - 1, -1, -1))
    return header + info + colours + rows


def make_picture(catalogue_path):
    stars, figures = read_catalogue(catalogue_path)
    view = View()
    pixels = [[0] * WIDTH for _ in range(HEIGHT)]
    draw_sky(pixels, view)
    draw_figures(pixels, view, stars, figures)
    draw_stars(pixels, view, stars)
    draw_ground(pixels)
    draw_text(pixels, TITLE, em=120, spacing=0.12, centre_x=WIDTH / 2, baseline=452,
              stroke=15, outline=3, first=TEXT_FIRST, levels=TEXT_LEVELS)
    draw_text(pixels, SUBTITLE, em=30, spacing=0.2, centre_x=WIDTH / 2, baseline=520,
              stroke=3.2, outline=1.5, first=SUB_FIRST, levels=SUB_LEVELS)
    return bmp_bytes(pixels, build_palette())


def main(argv):
    catalogue = os.path.join(ROOT, argv[1] if len(argv) > 1 else DEFAULT_CATALOGUE)
    output = os.path.join(ROOT, argv[2] if len(argv) > 2 else DEFAULT_OUTPUT)
    try:
        data = make_picture(catalogue)
    except (PictureError, OSError, ValueError) as e:
        print(f"make_intro_picture: {e}", file=sys.stderr)
        return 1
    tmp = output + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, output)
    print(f"make_intro_picture: wrote {os.path.relpath(output, ROOT)} "
          f"({WIDTH} x {HEIGHT}, 8 bits, {len(data)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
