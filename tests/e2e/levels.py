"""Scenarios of levels and replays: damaged pictures, --level, --replay."""

import os
import struct
import time
import zlib

from gamerun import (WINDOW_WAIT, GameRun, View, check, expect_clean_exit, letterbox, log, screenshot)

from checks import *  # noqa: F401,F403 (the scenarios' shared checks)


def replay_route(sandbox):
    """--replay with levelcheck's route of the shipped level: no title, the
    win at the route's last step with its run time, then the ending's red
    lines; a replay's win is never kept."""
    with open(os.path.join(HERE, "..", "..", "tools", "levels", "pilot-route.txt")) as route:
        milliseconds = 15 * sum(1 for _ in route)
    expected = "GamePlay: Run time %d:%02d.%02d" % (milliseconds // 60000, milliseconds // 1000 % 60,
                                                  milliseconds % 1000 // 10)
    run = GameRun(sandbox, ["-win", "-w", "1280", "-h", "720", "--replay", route.name])
    run.wait_window()
    deadline = time.monotonic() + 2 * milliseconds / 1000 + WINDOW_WAIT  # a loaded machine draws slower
    while expected not in lines_of(run) and run.alive() and time.monotonic() < deadline:
        time.sleep(0.5)
    check(lines_of(run).count(expected) == 1, "want %r once, got:\n%s" % (expected, run.output()))
    # The ending's red lines on a small part of each box, still from one shot
    # to the next (the warp's turning colours pass through red).
    view, deadline, last = View(letterbox(1280, 720, 1280, 720)), time.monotonic() + 60.0, []
    while True:
        shot = screenshot("replay-ending", window=run.window)
        counts = [shot.count(*view.box(*box), red, step=2) for box in ((360, 150, 1000, 280), (360, 290, 900, 370))]
        red_parts = [hits for hits, total in counts if 0.02 < hits / total < 0.4]
        shown = len(red_parts) == len(last) == 2 and all(abs(a - b) <= a // 20 for a, b in zip(red_parts, last))
        last = red_parts
        if shown or time.monotonic() > deadline:
            break
        time.sleep(0.5)
    check(shown, "the ending's lines: %r red of all pixels" % counts)
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)
    check(not os.path.exists(os.path.join(sandbox.home, ".local", "share", "vantorrel")), "a replay was kept")


def paletted_png(width, height):
    header = struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0)
    palette = bytes([255, 255, 255, 0, 0, 0])
    rows = b"".join(b"\0" + bytes([0]) * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"PLTE", palette)
            + png_chunk(b"IDAT", zlib.compress(rows)) + png_chunk(b"IEND", b""))


def bad_level(make, name):
    def scenario(sandbox):
        with open(level_path(sandbox), "rb") as f:
            good = f.read()
        with open(level_path(sandbox), "wb") as f:
            f.write(make(good))
        run = GameRun(sandbox, WINDOWED)
        plays_on(run, level_message(sandbox), shot=name)
    return scenario


def huge_chunk(good):
    """A picture whose header is sound but whose next chunk claims 64 MB and
    stops after a few bytes."""
    header_end = 8 + 25
    return good[:header_end] + struct.pack(">I", 64 << 20) + b"IDAT" + b"\0" * 16


def huge_chunk_level(sandbox):
    """The crafted picture is refused at once, not read or allocated for;
    the game plays on."""
    with open(level_path(sandbox), "rb") as f:
        good = f.read()
    with open(level_path(sandbox), "wb") as f:
        f.write(huge_chunk(good))
    run = GameRun(sandbox, WINDOWED)
    run.wait_window()
    for _ in range(6):
        run.key("Return", pause=0.15)
    run.key("Return")
    pressed = time.monotonic()
    while level_message(sandbox) not in lines_of(run) and time.monotonic() - pressed < 10:
        time.sleep(0.02)
    refused = time.monotonic() - pressed
    log("refused the crafted picture %.2f s after the key press" % refused)
    check(refused < 2.0, "took %.2f s to refuse the crafted picture" % refused)
    plays_on(run, level_message(sandbox), started=True)


def level_option(sandbox):
    """--level with a picture that cannot be used: the loader's line, and play goes on."""
    own = sandbox.path("own.png")
    with open(own, "wb") as f:
        f.write(paletted_png(72, 994))
    plays_on(GameRun(sandbox, WINDOWED + ["--level", own]), "LevelGrid: Could not load level picture: " + own)


SCENARIOS = {
    "replay_route": replay_route,
    "empty_level": bad_level(name="empty_level", make=lambda good: b""),
    "truncated_level": bad_level(name="truncated_level", make=lambda good: good[:len(good) // 2]),
    "garbage_level": bad_level(name="garbage_level", make=lambda good: bytes((i * 7919 + 13) % 256 for i in range(len(good)))),
    "paletted_level": bad_level(name="paletted_level", make=lambda good: paletted_png(72, 994)),
    "huge_chunk_level": huge_chunk_level,
    "level_option": level_option,
}
