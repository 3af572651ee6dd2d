"""Shared checks of the end-to-end scenarios: colours from the pictures and
the drawing code, counting pixels, reaching play, settings and level
files made for a scenario."""

import os
import subprocess
import sys
import tempfile
import time

from gamerun import (View, check, eventually, expect_clean_exit, letterbox, picture_colours, screen_size,
                     screenshot)

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "art"))
import pngfile  # noqa: E402  (the project's one PNG writer; the scenarios run from the source tree)
PICTURES = os.path.join(HERE, "..", "..", "data", "pictures")
SETTLE = 1.0  # seconds for a few frames to be drawn after a key press
# Which SDL 1.2 library the game runs on: "classic" (libsdl1.2debian) or
# "compat" (libsdl1.2-compat, over SDL 2), as the test registration says.
SDL_RUNTIME = os.environ.get("VANTORREL_SDL_RUNTIME", "classic")


# --- colours, from the pictures and the drawing code -------------------------

def yellow(r, g, b):    # story lines: text colour (1, 1, 0)
    return r > 170 and g > 170 and b < 110


def magenta(r, g, b):   # the send-off line: (1, 0, 1)
    return r > 170 and b > 170 and g < 110


def red(r, g, b):       # the ending's lines: (1, 0, 0)
    return r > 170 and g < 80 and b < 80


def white(r, g, b):     # the speed bar's frame and mark, the HUD texts
    return r > 225 and g > 225 and b > 225


def black(r, g, b):     # the pilot's silhouette, the speed bar's inside
    return r < 24 and g < 24 and b < 24


def tile_colours(column):
    """The colours of atlas tile (column, 0), as drawn: the atlas is drawn
    without smoothing, so the screen shows them exactly."""
    crop = os.path.join(tempfile.mkdtemp(prefix="vantorrel-tile."), "tile.png")
    subprocess.run(["convert", os.path.join(PICTURES, "tileAtlas.png"), "-crop",
                    "16x16+%d+0" % (16 * column), "+repage", crop], check=True)
    colours = picture_colours(crop)
    os.remove(crop)
    os.rmdir(os.path.dirname(crop))
    return colours


def fraction(picture, box, test, step=2):
    hits, total = picture.count(*box, test, step=step)
    check(total > 0, "empty sample box %s" % (box,))
    return hits / total


def yellow_spots(picture, box, step=2):
    """Where the box shows story-line yellow, on a grid of `step` pixels."""
    x0, y0, x1, y1 = box
    return {(x, y) for y in range(y0, y1, step) for x in range(x0, x1, step) if yellow(*picture.at(x, y))}


def run_view(run):
    """Where the run's picture lies on the screen."""
    width, height = run.window_size()
    return View(letterbox(width, height, *screen_size()))


def shows_play(shot, view):
    """Passes on a frame of play: the speed bar's frame, white (grey when
    paused), stands out over its black inside; the title has neither."""
    frame_top = shot.at(*view.px(900, 33))
    inside = shot.at(*view.px(900, 60))
    check(min(frame_top) > max(inside) + 60, "no speed bar yet: frame %s, inside %s" % (frame_top, inside))
    return shot


def start_play(run):
    """Skips the story with keys (Return is bound to nothing, so it neither
    jumps nor runs), starts play after the last line and waits for its first
    frame. The story also moves on by itself, so a press may land in play,
    where it does nothing."""
    for _ in range(6):
        run.key("Return", pause=0.15)
    run.key("Return")
    view = run_view(run)
    eventually("play-start", lambda shot: shows_play(shot, view))


def settings_text(width, height):
    lines = ["w %d" % width, "h %d" % height, "a 0", "f 1", "ns 0", "nm 0", "aa DirectSound"]
    return "".join(line + "\r\n" for line in lines).encode()


def lines_of(run):
    return run.output().splitlines()


# --- scenarios ---------------------------------------------------------------

def wait_for_count(name, box, test, wanted, message, step=2):
    """Waits for a frame where more than `wanted` pixels of `box` pass
    `test`; that frame. `message` % count tells what failed when none comes."""
    def enough(shot):
        hits, _ = shot.count(*box, test, step=step)
        check(hits > wanted, message % hits)
        return shot
    return eventually(name, enough)


def check_play_screen(shot, view):
    # Sky: a gradient from (96, 96, 255) at the top to white at the bottom,
    # lightened a little by the grain; clouds may pass, so take medians.
    def median_red(y):
        x0, y0, x1, _ = view.box(10, y, 150, y + 1, inset=0)
        reds = sorted(shot.at(x, y0)[0] for x in range(x0, x1))
        blues = sorted(shot.at(x, y0)[2] for x in range(x0, x1))
        return reds[len(reds) // 2], blues[len(blues) // 2]
    top_red, top_blue = median_red(100)
    low_red, low_blue = median_red(400)
    for y, red, blue in ((100, top_red, top_blue), (400, low_red, low_blue)):
        base = 96 + (255 - 96) * y / 720
        check(blue >= 250 and base - 4 <= red <= base + 40,
              "sky at y %d: red %d, blue %d (gradient gives red %.0f)" % (y, red, blue, base))
    check(45 <= low_red - top_red <= 90, "the sky does not brighten downward: %d -> %d" % (top_red, low_red))

    # Tiles: the pilot's start lies on grass-topped earth, an earth wall to
    # its right.
    earth = tile_colours(1)
    grass = tile_colours(0)
    wall = fraction(shot, view.box(700, 200, 1270, 700), lambda r, g, b: (r, g, b) in earth)
    check(wall > 0.8, "earth tiles cover %.2f of the wall right of the pilot" % wall)
    turf = fraction(shot, view.box(300, 546, 660, 566), lambda r, g, b: (r, g, b) in grass - earth)
    check(turf > 0.3, "grass covers %.2f of the ground under the pilot" % turf)

    # The pilot: a black figure standing in its 64-pixel cell at (608, 480).
    figure = fraction(shot, view.box(608, 480, 672, 544, inset=0), black, step=1)
    # (About 30 % of each pilot picture is opaque black; a passing cloud's
    # outline darkens far less.)
    check(figure > 0.2, "the pilot's cell is %.2f black" % figure)

    # HUD: the white frame, the black inside with no speed yet, the mark at
    # the winning speed, and the "Speed:" label.
    frame_top = fraction(shot, view.box(642, 32, 1246, 36, inset=1), white, step=1)
    inside = fraction(shot, view.box(644, 36, 1094, 92), black)
    mark = fraction(shot, view.box(1098, 28, 1106, 100, inset=1), white, step=1)
    check(frame_top > 0.95, "speed bar frame %.2f white" % frame_top)
    check(inside > 0.98, "speed bar inside %.2f black" % inside)
    check(mark > 0.95, "88mph mark %.2f white" % mark)
    label, _ = shot.count(*view.box(384, 40, 640, 120, inset=0), white)
    check(label > 150, "the Speed: label shows %d white pixels" % label)


def sink_inputs(run):
    """The streams playing into the private sound server right now."""
    text = subprocess.run(["pactl", "list", "short", "sink-inputs"], env=run.pulse_env(),
                          capture_output=True, text=True, timeout=10).stdout
    return [line for line in text.splitlines() if line.strip()]


def plays_on(run, expected_line, shot=None, started=False, times=1):
    """The game reaches play, stays up, answers Escape with status 0, and
    printed `expected_line` exactly `times` times."""
    if not started:
        run.wait_window()
        start_play(run)
    time.sleep(SETTLE)
    check(run.alive(), "the game ended in play:\n" + run.output() + run.errors())
    if shot:
        screenshot(shot)
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)
    if expected_line is not None:
        count = lines_of(run).count(expected_line)
        check(count == times, "want the line %r %d times, got %d in:\n%s"
              % (expected_line, times, count, run.output()))


WINDOWED = ["-win", "-w", "480", "-h", "270"]


def level_path(sandbox):
    return os.path.join(sandbox.game_dir, "levels", "pilot.png")


def level_message(sandbox):
    return "LevelGrid: Could not load level picture: " + level_path(sandbox)


def shaft_png(top, width=62, height=986, column=60):
    """Solid earth but a shaft one cell wide from the start cell (60, 984) up to row `top`."""
    rows = [b"".join(b"\xff" * 3 if x == column and top <= y <= 984 else b"\0" * 3 for x in range(width))
            for y in range(height)]
    return pngfile.encode(width, height, rows, pngfile.RGB, 8)


def write_settings(sandbox, text, mode):
    os.makedirs(sandbox.settings_folder(), exist_ok=True)
    path = sandbox.settings_file()
    with open(path, "wb") as f:
        f.write(text)
    os.chmod(path, mode)
    return path


SMALL_WINDOW_SETTINGS = b"w 480\r\nh 270\r\na 0\r\nf 0\r\nns 0\r\nnm 0\r\naa DirectSound\r\n"


# --- files that are not what they seem ----------------------------------------
# A FIFO or a link to /dev/zero in place of a data file used to freeze the
# game in open or in an endless read; now each gives one line and the game
# goes on with the default. A hang fails these through WINDOW_WAIT.

def starts_and_quits(run):
    """The game draws its first frame and answers Escape with status 0."""
    run.wait_window()
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)


def expect_lines(run, expected):
    out = lines_of(run)
    for line in expected:
        check(out.count(line) == 1, "want the line %r once in:\n%s" % (line, run.output()))
