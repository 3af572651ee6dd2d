#!/usr/bin/env python3
"""Regenerates every picture under data/pictures, and the desktop icons under
packaging/icons, from the text sources here.

    python3 tools/art/generate.py [output folder]

The pixel maps (glyphs.txt, pilot.txt, tiles.txt, cloud.txt, sprites.txt,
logo.txt) use the characters of palette.txt. Only the background grain is
made from numbers rather than a map; ImageMagick's convert turns it into
the baseline JPEG the game carries.
"""

import os
import random
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the source folder free of caches

from pngfile import write_rgba  # noqa: E402
from artmaps import (blank, check_map, colour_rows, enlarge, paste,  # noqa: E402
                     read_palette, read_sections, scale2x)
import logo  # noqa: E402
from icon import make_icons  # noqa: E402

CLEAR = (0, 0, 0, 0)
WHITE = (255, 255, 255, 255)
BLACK = (0, 0, 0, 255)

GLYPH_SIZE = 64          # pixels, square
GLYPH_UNIT = 4           # pixels per smoothed map cell: a 5 x 7 map becomes 40 x 56
PILOT_SIZE = 32          # pixels
PILOT_UNIT = 2           # 16 x 16 maps drawn twice as big, like the tiles on screen
CLOUD_UNIT = 4           # pixels per cloud map cell (the cloud is drawn unscaled)
TILE = 16                # pixels per atlas tile
ATLAS_TILES = 8          # tiles per atlas row and column
OUTLINE_SIZE = 36        # pixels
OUTLINE_WIDTH = 2        # pixels of black frame
LINE_ALPHAS = (2, 33, 192, 255, 255, 192, 33, 2)  # soft edges of the drawer's lines
GRAIN_SIZE = 1024        # pixels, square
GRAIN_SEED = 1985
GRAIN_QUALITY = 88       # JPEG quality
GLYPH_ORDER = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,+-!?:"  # slot order of the drawer


# ---------------------------------------------------------------- pictures

def make_glyphs(out):
    sections = read_sections("glyphs.txt")
    titles = "".join(title for title, _ in sections)
    if titles != GLYPH_ORDER:
        raise SystemExit("glyphs.txt must hold the glyphs %s in this order, holds %s" % (GLYPH_ORDER, titles))
    for slot, (title, rows) in enumerate(sections):
        check_map(title, rows, 5, 7)
        smooth = scale2x(rows)
        ink = colour_rows(smooth, {"#": WHITE, ".": CLEAR}, title)
        big = enlarge(ink, GLYPH_UNIT)
        canvas = blank(GLYPH_SIZE, GLYPH_SIZE)
        left = (GLYPH_SIZE - len(big[0])) // 2
        top = (GLYPH_SIZE - len(big)) // 2
        paste(canvas, big, left, top)
        write_rgba(os.path.join(out, "glyph%02d.png" % slot), GLYPH_SIZE, GLYPH_SIZE, canvas)


PILOT_NAMES = ("Run0", "Run1", "Run2", "Run3", "Run4", "Run5",
               "AirA", "AirB", "AirC", "StandP", "StandQ", "StandR")


def make_pilot(out, palette):
    sections = dict(read_sections("pilot.txt"))
    side = PILOT_SIZE // PILOT_UNIT
    for name in PILOT_NAMES:
        if name not in sections:
            raise SystemExit("pilot.txt lacks the frame '%s'" % name)
        rows = sections[name]
        check_map(name, rows, side, side)
        pixels = enlarge(colour_rows(rows, palette, name), PILOT_UNIT)
        write_rgba(os.path.join(out, "pilot%s.png" % name), PILOT_SIZE, PILOT_SIZE, pixels)


def make_cloud(out, palette):
    (title, rows), = read_sections("cloud.txt")
    check_map(title, rows, 33, 17)
    write_rgba(os.path.join(out, "cloud.png"), 132, 68,
               enlarge(colour_rows(rows, palette, title), CLOUD_UNIT))


def make_sprites(out, palette):
    sections = dict(read_sections("sprites.txt"))
    for index in range(4):
        name = "warpRing%d" % index
        check_map(name, sections[name], 8, 8)
        write_rgba(os.path.join(out, name + ".png"), 8, 8, colour_rows(sections[name], palette, name))
    check_map("trailStar", sections["trailStar"], 16, 16)
    write_rgba(os.path.join(out, "trailStar.png"), 16, 16,
               colour_rows(sections["trailStar"], palette, "trailStar"))


def make_outline(out):
    n, w = OUTLINE_SIZE, OUTLINE_WIDTH
    pixels = [[BLACK if x < w or y < w or x >= n - w or y >= n - w else CLEAR
               for x in range(n)] for y in range(n)]
    write_rgba(os.path.join(out, "cellOutline.png"), n, n, pixels)


def make_atlas(out, palette):
    side = TILE * ATLAS_TILES
    atlas = blank(side, side)
    seen = set()
    for title, rows in read_sections("tiles.txt"):
        words = title.split()
        column, row = int(words[0]), int(words[1])
        if not (0 <= column < ATLAS_TILES and 0 <= row < ATLAS_TILES) or (column, row) in seen:
            raise SystemExit("tiles.txt: bad or repeated tile place '%s'" % title)
        if (column, row) == (ATLAS_TILES - 1, ATLAS_TILES - 1):
            raise SystemExit("tiles.txt: tile (7, 7) is open space and must stay transparent")
        seen.add((column, row))
        check_map(title, rows, TILE, TILE)
        paste(atlas, colour_rows(rows, palette, title), column * TILE, row * TILE)
    write_rgba(os.path.join(out, "tileAtlas.png"), side, side, atlas)


def make_line(out):
    pixels = [[(255, 255, 255, a) for a in LINE_ALPHAS] for _ in range(8)]
    write_rgba(os.path.join(out, "lineTexture.png"), 8, 8, pixels)


def make_grain(out):
    """Dark grey film grain: fine noise over soft blotches, a touch of blue."""
    rng = random.Random(GRAIN_SEED)
    n = GRAIN_SIZE

    def lattice_noise(cell):
        """Smoothly interpolated random lattice, wrapping so the grain tiles."""
        cells = n // cell
        lattice = [[rng.random() for _ in range(cells)] for _ in range(cells)]

        def at(x, y):
            fx, fy = x / cell, y / cell
            x0, y0 = int(fx) % cells, int(fy) % cells
            x1, y1 = (x0 + 1) % cells, (y0 + 1) % cells
            tx, ty = fx - int(fx), fy - int(fy)
            tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
            top = lattice[y0][x0] * (1 - tx) + lattice[y0][x1] * tx
            bottom = lattice[y1][x0] * (1 - tx) + lattice[y1][x1] * tx
            return top * (1 - ty) + bottom * ty
        return at

    broad, fine = lattice_noise(128), lattice_noise(32)
    data = bytearray()
    for y in range(n):
        for x in range(n):
            v = 30 + 14 * broad(x, y) + 8 * fine(x, y) + rng.randint(-12, 12)
            if rng.random() < 0.004:
                v += 40  # a few bright specks
            v = max(0, min(255, int(v)))
            data += bytes((v, v, min(255, v + 4)))
    with tempfile.TemporaryDirectory() as folder:
        raw = os.path.join(folder, "grain.ppm")
        with open(raw, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (n, n) + bytes(data))
        subprocess.check_call(["convert", raw, "-strip", "-type", "TrueColor",
                               "-interlace", "none", "-sampling-factor", "1x1",
                               "-quality", str(GRAIN_QUALITY),
                               os.path.join(out, "grain.jpg")])


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    out = args[0] if args else os.path.join(HERE, "..", "..", "data", "pictures")
    icons = os.path.join(out, "icons") if args else os.path.join(HERE, "..", "..", "packaging", "icons")
    os.makedirs(out, exist_ok=True)
    make_icons(icons, read_palette())
    palette = read_palette()
    make_glyphs(out)
    make_pilot(out, palette)
    make_cloud(out, palette)
    make_sprites(out, palette)
    make_outline(out)
    make_atlas(out, palette)
    make_line(out)
    logo.make_logo(out, palette)
    if "--no-grain" not in sys.argv:
        make_grain(out)


if __name__ == "__main__":
    main()
