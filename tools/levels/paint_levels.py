#!/usr/bin/env python3
"""Paints the level pictures from their text maps.

Each map is one character per cell, rows from the top. The game reads only
the red channel of the picture: 255 is open space, every other value is
solid and chooses the tile drawn. Green and blue are free, so they are set to
give each kind of cell a recognisable colour in an ordinary picture viewer.

    python3 tools/levels/paint_levels.py            # writes runtime/levels/
    python3 tools/levels/paint_levels.py OUTDIR     # or somewhere else

Lines starting with ';' are comments. Standard library only.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'art'))
import pngfile  # noqa: E402  (the project's one PNG writer, beside the art tools)

# character: (red = cell value, green, blue for viewing)
LEGEND = {
    '.': (255, 255, 255),  # open space
    '#': (0, 96, 48),      # earth
    '"': (32, 160, 48),    # grass-topped earth
    's': (64, 64, 72),     # grey stone
    'p': (96, 96, 112),    # grey panel with rivets
    'q': (128, 112, 128),  # grey panel with slats
    'o': (254, 232, 200),  # pale speckled block
    '*': (224, 64, 0),     # burning block: solid, flames on top
}

# name: (start column, start row) the game puts the pilot at.
LEVELS = {
    'pilot': (60, 984),
    'pilotEpilogue': (60, 944),
}


def read_map(path):
    rows = []
    with open(path, encoding='ascii') as source:
        for number, line in enumerate(source, 1):
            line = line.rstrip('\n')
            if line.startswith(';'):
                continue
            unknown = set(line) - set(LEGEND)
            if unknown:
                raise SystemExit('%s:%d: unknown cell characters %s' % (path, number, ''.join(sorted(unknown))))
            rows.append(line)
    if not rows or any(len(row) != len(rows[0]) for row in rows):
        raise SystemExit('%s: rows must all have the same length' % path)
    return rows


def check_start(name, rows, start):
    column, row = start
    width, height = len(rows[0]), len(rows)
    # The pilot's cell and its four neighbours must lie inside the picture.
    if not (1 <= column < width - 1 and 1 <= row < height - 1):
        raise SystemExit('%s: start cell %s is not surrounded by the picture (%d x %d)' % (name, start, width, height))
    if rows[row][column] != '.':
        raise SystemExit('%s: start cell %s is not open' % (name, start))


def encode_png(rows):
    packed = [b''.join(bytes(LEGEND[cell]) for cell in row) for row in rows]
    return pngfile.encode(len(rows[0]), len(rows), packed, pngfile.RGB, 8)  # 8-bit truecolour


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', '..', 'runtime', 'levels')
    os.makedirs(out_dir, exist_ok=True)
    for name, start in LEVELS.items():
        rows = read_map(os.path.join(here, name + '.txt'))
        check_start(name, rows, start)
        target = os.path.join(out_dir, name + '.png')
        with open(target, 'wb') as out:
            out.write(encode_png(rows))
        print('%s: %d x %d' % (os.path.normpath(target), len(rows[0]), len(rows)))


if __name__ == '__main__':
    main()
