#!/usr/bin/env python3
"""Draw the full-Moon picture of the horizontal chart's phase display.

Writes res/moon.bmp: 120 x 120 pixels, 24 bits per pixel, the lit full
Moon (north up) on pure black. The chart blackens the unlit part row by
row and combines the result with AND and OR copies, so everything outside
the disc must stay exactly black and every pixel of the disc must be
clearly lit, maria and craters included.

The picture is built from simple shapes only: a shaded disc, the dark
maria as ellipses, a few craters as rings and Tycho's bright rays. Run
from the repository root:

    python3 tools/make_moon_picture.py
"""

import math
import os
import struct
import sys

SIZE = 120
CENTRE = 60.0   # the chart's shadow is laid out around column and row 60
RADIUS = 58.0

HIGHLAND = 212   # brightest highland grey at the middle of the disc
LIMB = 165       # highland grey at the rim
DARKEST = 95     # nothing on the disc is darker: the phase must read clearly
BRIGHTEST = 250

# Maria: (centre x, centre y, radius x, radius y, darkening).
MARIA = [
    (30, 56, 16, 27, 70),   # Oceanus Procellarum
    (43, 35, 14, 12, 72),   # Mare Imbrium
    (68, 38, 9, 9, 75),     # Mare Serenitatis
    (76, 55, 11, 9, 72),    # Mare Tranquillitatis
    (97, 44, 6, 8, 80),     # Mare Crisium
    (89, 69, 7, 10, 62),    # Mare Fecunditatis
    (76, 75, 5, 5, 58),     # Mare Nectaris
    (50, 80, 10, 8, 60),    # Mare Nubium
    (33, 81, 6, 6, 66),     # Mare Humorum
    (58, 19, 22, 4, 40),    # Mare Frigoris
    (57, 49, 4, 4, 55),     # Mare Vaporum
]

# Craters: (centre x, centre y, radius, rim change, floor change).
CRATERS = [
    (54, 101, 3.0, -25, 24),   # Tycho
    (40, 58, 2.5, -25, 30),    # Copernicus
    (27, 57, 1.5, -15, 25),    # Kepler
    (20, 44, 1.5, 0, 35),      # Aristarchus
    (48, 23, 2.5, 10, -35),    # Plato
    (10, 62, 2.5, 0, -45),     # Grimaldi
    (86, 90, 2.0, -20, 15),    # Petavius
    (64, 88, 2.0, -20, 12),    # Albategnius region
]

# Tycho's rays: direction in degrees (0 = right, counter-clockwise) and
# length in pixels.
TYCHO = (54, 101)
RAYS = [(20, 55), (55, 60), (80, 45), (105, 70), (130, 40), (160, 35), (200, 20), (340, 30)]
RAY_HALF_WIDTH = 1.1
RAY_BRIGHTENING = 16


def disc_grey(dx, dy):
    """Highland brightness, a little darker towards the rim."""
    r = math.hypot(dx, dy) / RADIUS
    return LIMB + (HIGHLAND - LIMB) * math.sqrt(max(0.0, 1.0 - r * r))


def mare_darkening(x, y):
    total = 0.0
    for mx, my, rx, ry, dark in MARIA:
        q = ((x - mx) / rx) ** 2 + ((y - my) / ry) ** 2
        if q < 1.0:
            # Soft edges: full darkness inside, fading over the outer third.
            total = max(total, dark * min(1.0, (1.0 - q) * 3.0))
    return total


def crater_change(x, y):
    change = 0.0
    for cx, cy, radius, rim, floor in CRATERS:
        d = math.hypot(x - cx, y - cy)
        if d <= radius - 0.5:
            change += floor
        elif d <= radius + 0.7:
            change += rim
    return change


def ray_change(x, y):
    tx, ty = TYCHO
    best = 0.0
    for angle, length in RAYS:
        a = math.radians(angle)
        ux, uy = math.cos(a), -math.sin(a)
        along = (x - tx) * ux + (y - ty) * uy
        if along <= 0 or along > length:
            continue
        across = abs(-(x - tx) * uy + (y - ty) * ux)
        if across <= RAY_HALF_WIDTH:
            best = max(best, RAY_BRIGHTENING * (1.0 - along / length))
    return best


def pixel(i, j):
    """Colour (r, g, b) of column i, row j (row 0 at the top)."""
    x = i + 0.5
    y = j + 0.5
    dx = x - CENTRE
    dy = y - CENTRE
    if dx * dx + dy * dy > RADIUS * RADIUS:
        return (0, 0, 0)
    grey = disc_grey(dx, dy) - mare_darkening(x, y) + crater_change(x, y) + ray_change(x, y)
    grey = int(round(min(BRIGHTEST, max(DARKEST, grey))))
    # A faint warm cast, as the full Moon looks to the eye.
    return (grey, grey, max(DARKEST, grey - 6))


def bmp_bytes(rows):
    """A 24-bit bottom-up BMP of `rows` (top row first, (r, g, b) tuples)."""
    height = len(rows)
    width = len(rows[0])
    row_size = (width * 3 + 3) // 4 * 4
    image_size = row_size * height
    header_size = 14 + 40
    out = bytearray()
    out += struct.pack("<2sIHHI", b"BM", header_size + image_size, 0, 0, header_size)
    # 2835 pixels per metre is 72 dots per inch.
    out += struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, image_size, 2835, 2835, 0, 0)
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(row_size - len(line))
        out += line
    return bytes(out)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = os.path.join(root, "res", "moon.bmp")
    rows = [[pixel(i, j) for i in range(SIZE)] for j in range(SIZE)]
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "wb") as f:
        f.write(bmp_bytes(rows))
    print(f"wrote {os.path.relpath(target, root)} ({SIZE} x {SIZE})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
