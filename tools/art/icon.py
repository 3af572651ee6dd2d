"""The desktop icon: the pilot in mid wall kick, leaping away from an earth
wall above the grass, against the game's sky.

The scene is drawn once on a 32 x 32 canvas from the game's own maps (the
pilot's AirA frame, the earth and grass-topped earth tiles) and blown up by
whole pixels for the larger sizes, so it keeps the game's chunky grid. The
48-pixel icon, which is no whole multiple, is the scene at three times its
size averaged over 2 x 2 blocks.
"""

import os

from artmaps import check_map, colour_rows, paste, read_sections, enlarge
from pngfile import write_rgba

SIDE = 32                         # pixels of the drawn scene
SIZES = (32, 48, 64, 128, 256)    # pixels of the icons written
SKY_TOP = (96, 96, 255)           # the game's sky gradient runs from this colour ...
SKY_BOTTOM = (255, 255, 255)      # ... to white at the bottom of the screen
SKY_REACH = 0.8                   # how far down that gradient the icon's last row lies
GROUND_TOP = 24                   # first row of the grass-topped ground
WALL_LEFT = 24                    # first column of the earth wall
PILOT_LEFT, PILOT_TOP = 8, 5      # where the 16 x 16 pilot frame lies
CORNER = ((0, 0), (1, 0), (0, 1)) # transparent pixels rounding each corner
TILE = 16


def _tile(sections, place, palette):
    rows = sections[place]
    check_map(place, rows, TILE, TILE)
    return colour_rows(rows, palette, place)


def scene(palette):
    """The 32 x 32 picture as rows of RGBA tuples."""
    tiles = {title.split()[0] + " " + title.split()[1]: rows for title, rows in read_sections("tiles.txt")}
    grass = _tile(tiles, "0 0", palette)
    earth = _tile(tiles, "1 0", palette)
    frames = dict(read_sections("pilot.txt"))
    check_map("AirA", frames["AirA"], TILE, TILE)
    # Mirrored: the pilot faces away from the wall it kicks off.
    pilot = [list(reversed(row)) for row in colour_rows(frames["AirA"], palette, "AirA")]

    pixels = []
    for y in range(SIDE):
        t = SKY_REACH * y / (SIDE - 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(SKY_TOP, SKY_BOTTOM)) + (255,)
        pixels.append([colour] * SIDE)
    for y in range(GROUND_TOP, SIDE):
        for x in range(WALL_LEFT):
            pixels[y][x] = grass[y - GROUND_TOP][x % TILE]
    for y in range(SIDE):
        for x in range(WALL_LEFT, SIDE):
            pixels[y][x] = earth[y % TILE][x - WALL_LEFT]
    paste(pixels, pilot, PILOT_LEFT, PILOT_TOP)
    for cx, cy in CORNER:
        for x, y in ((cx, cy), (SIDE - 1 - cx, cy), (cx, SIDE - 1 - cy), (SIDE - 1 - cx, SIDE - 1 - cy)):
            pixels[y][x] = (0, 0, 0, 0)
    return pixels


def _halve(pixels):
    """Averages 2 x 2 blocks, weighting colour by alpha so that transparent
    corners do not darken the edge."""
    out = []
    for y in range(0, len(pixels), 2):
        row = []
        for x in range(0, len(pixels[0]), 2):
            block = [pixels[y][x], pixels[y][x + 1], pixels[y + 1][x], pixels[y + 1][x + 1]]
            alpha = sum(p[3] for p in block)
            if alpha == 0:
                row.append((0, 0, 0, 0))
                continue
            rgb = tuple(round(sum(p[c] * p[3] for p in block) / alpha) for c in range(3))
            row.append(rgb + (round(alpha / 4),))
        out.append(row)
    return out


def make_icons(out, palette):
    """Writes out/<N>x<N>/vantorrel.png for every icon size."""
    base = scene(palette)
    for size in SIZES:
        if size % SIDE == 0:
            pixels = enlarge(base, size // SIDE)
        else:
            pixels = _halve(enlarge(base, 2 * size // SIDE))
        folder = os.path.join(out, "%dx%d" % (size, size))
        os.makedirs(folder, exist_ok=True)
        write_rgba(os.path.join(folder, "vantorrel.png"), size, size, pixels)
