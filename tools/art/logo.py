"""The title logo: the game's name in big slanted pixel letters.

Everything is drawn on a small canvas and blown up LOGO_UNIT times, so the
logo shares the chunky pixel grid of the rest of the game.
"""

import os

from artmaps import check_map, enlarge, read_sections, scale2x
from pngfile import write_rgba

WIDTH, HEIGHT = 1024, 720     # pixels of the finished picture
UNIT = 4                      # finished pixels per canvas pixel
TEXT = "VANTORREL"
LETTER_ZOOM = 2               # canvas pixels per smoothed map cell
LETTER_GAP = 2                # canvas pixels between letters
TOP = 28                      # canvas row of the letters' top
SLANT = 6                     # rows per one pixel of forward lean
DEPTH = 4                     # canvas pixels of extrusion, down and right
STREAK_GAP = 5                # canvas rows between letters and speed streak
# Little four-pointed glints (canvas x, y of their centres) around the word.
SPARKLES = ((236, 20), (104, 18), (40, 86))
# Fill colours from the top of a letter down (palette characters, rows each).
FILL_BANDS = (("Y", 3), ("y", 8), ("o", 10), ("R", 9), ("r", 6))


def _letter_mask(rows):
    smooth = scale2x(rows)
    return [[ch == "#" for ch in row] for row in enlarge([list(r) for r in smooth], LETTER_ZOOM)]


def _layout(letters):
    """Returns the set of canvas points covered by the slanted letters."""
    masks = [letters[ch] for ch in TEXT]
    letter_h = len(masks[0])
    lean = (letter_h - 1) // SLANT
    total = sum(len(m[0]) for m in masks) + (len(masks) - 1) * LETTER_GAP + lean + DEPTH
    left = (WIDTH // UNIT - total) // 2
    face = set()
    x0 = left
    for mask in masks:
        for y, row in enumerate(mask):
            shift = (letter_h - 1 - y) // SLANT
            for x, on in enumerate(row):
                if on:
                    face.add((x0 + x + shift, TOP + y))
        x0 += len(mask[0]) + LETTER_GAP
    return face, left, letter_h, total


def _band(y):
    row = y - TOP
    for colour, rows in FILL_BANDS:
        if row < rows:
            return colour
        row -= rows
    return FILL_BANDS[-1][0]


def _streak(left, total, top):
    """A speed streak under the word: three bars, longest on top, each
    tapering to the left."""
    bars = {}
    for index, colour in enumerate(("y", "o", "R")):
        y = top + index * 2
        start = left + 8 + index * 24
        end = left + total - 4 - index * 10
        for yy in (y, y + 1):
            for x in range(start + (yy - y) * 2, end):
                bars[(x, yy)] = colour
    return bars


def make_logo(out, palette):
    letters = {}
    for title, rows in read_sections("logo.txt"):
        check_map(title, rows, len(rows[0]), 9)
        letters[title] = _letter_mask(rows)
    missing = set(TEXT) - set(letters)
    if missing:
        raise SystemExit("logo.txt lacks the letters %s" % "".join(sorted(missing)))

    face, left, letter_h, total = _layout(letters)
    canvas = {}
    streak = _streak(left, total, TOP + letter_h + STREAK_GAP)
    for d in range(DEPTH, 0, -1):  # far side first, so nearer layers cover it
        for (x, y) in face:
            canvas[(x + d, y + d)] = "m" if d > DEPTH // 2 else "M"
    for (x, y) in face:
        canvas[(x, y)] = _band(y)
    for point, colour in streak.items():
        canvas.setdefault(point, colour)
    # An ink outline, then a faint cool rim so the word stands off the dark
    # title screen.
    for colour in ("K", "c"):
        filled = set(canvas)
        for (x, y) in filled:
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    if (x + dx, y + dy) not in filled:
                        canvas[(x + dx, y + dy)] = colour

    for (cx, cy) in SPARKLES:
        for (dx, dy) in ((0, 0), (-1, 0), (1, 0), (0, -1), (0, 1), (-2, 0), (2, 0), (0, -2), (0, 2)):
            canvas.setdefault((cx + dx, cy + dy), "#" if abs(dx) + abs(dy) < 2 else "y")

    small_w, small_h = WIDTH // UNIT, HEIGHT // UNIT
    small = [[palette["."]] * small_w for _ in range(small_h)]
    for (x, y), ch in canvas.items():
        if not (0 <= x < small_w and 0 <= y < small_h):
            raise SystemExit("the logo does not fit its canvas at (%d, %d)" % (x, y))
        small[y][x] = palette[ch]
    write_rgba(os.path.join(out, "titleLogo.png"), WIDTH, HEIGHT, enlarge(small, UNIT))
