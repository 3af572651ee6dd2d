"""Reading the text pixel maps and the palette, and small pixel operations
shared by the picture makers."""

import os

HERE = os.path.dirname(os.path.abspath(__file__))
CLEAR = (0, 0, 0, 0)


def read_sections(name):
    """Returns [(title, rows)] from a map file: '== title' opens a section,
    ';' starts a comment line, blank lines are skipped."""
    sections = []
    with open(os.path.join(HERE, name)) as source:
        for line in source:
            text = line.rstrip("\n")
            if text.startswith("=="):
                sections.append((text[2:].strip(), []))
            elif text.strip() == "" or text.startswith(";"):
                continue
            else:
                if not sections:
                    raise SystemExit("%s: pixel row before the first '==' title" % name)
                sections[-1][1].append(text.rstrip())
    return sections


def read_palette():
    palette = {}
    with open(os.path.join(HERE, "palette.txt")) as source:
        for number, line in enumerate(source, 1):
            text = line.split(";", 1)[0].strip() if not line.startswith(";") else ""
            if not text:
                continue
            fields = text.split()
            if len(fields) != 5 or len(fields[0]) != 1:
                raise SystemExit("palette.txt:%d: expected 'char r g b a'" % number)
            palette[fields[0]] = tuple(int(v) for v in fields[1:])
    return palette


def check_map(title, rows, width, height):
    if len(rows) != height or any(len(row) != width for row in rows):
        raise SystemExit("map '%s' must be %d x %d, got %d rows of %s" %
                         (title, width, height, len(rows), sorted({len(r) for r in rows})))


def colour_rows(rows, palette, title):
    out = []
    for row in rows:
        try:
            out.append([palette[ch] for ch in row])
        except KeyError as missing:
            raise SystemExit("map '%s' uses %s, which palette.txt lacks" % (title, missing))
    return out


def blank(width, height, colour=CLEAR):
    return [[colour] * width for _ in range(height)]


def enlarge(pixels, factor):
    out = []
    for row in pixels:
        wide = [p for p in row for _ in range(factor)]
        out.extend(list(wide) for _ in range(factor))
    return out


def scale2x(rows):
    """Doubles a character map, rounding off stair-step diagonals (EPX)."""
    h, w = len(rows), len(rows[0])

    def at(x, y):
        return rows[y][x] if 0 <= x < w and 0 <= y < h else "."

    out = [[""] * (2 * w) for _ in range(2 * h)]
    for y in range(h):
        for x in range(w):
            p = at(x, y)
            a, b, c, d = at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            e0 = e1 = e2 = e3 = p
            if c == a and c != d and a != b:
                e0 = a
            if a == b and a != c and b != d:
                e1 = b
            if d == c and d != b and c != a:
                e2 = c
            if b == d and b != a and d != c:
                e3 = d
            out[2 * y][2 * x], out[2 * y][2 * x + 1] = e0, e1
            out[2 * y + 1][2 * x], out[2 * y + 1][2 * x + 1] = e2, e3
    return ["".join(r) for r in out]


def paste(canvas, pixels, left, top):
    for y, row in enumerate(pixels):
        for x, p in enumerate(row):
            if p[3]:
                canvas[top + y][left + x] = p
