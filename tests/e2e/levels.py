"""Scenarios of levels, records and replays: damaged pictures, --level,
--replay, what a won run keeps."""

import os
import signal
import stat
import struct
import subprocess
import time

from gamerun import (EXIT_WAIT, FIRST_FRAME_LIT_BYTES, WINDOW_WAIT, Failure, GameRun, QuickKeys, View, check, expect_clean_exit, letterbox, log, screenshot)

from checks import *  # noqa: F401,F403 (the scenarios' shared checks)

CUT_SHORT = "a PNG cut short: a chunk runs past the end of the file"


def route_wins(sandbox, extra=()):
    """Plays levelcheck's route of the shipped level with --replay and waits
    for the win at the route's last step with its run time; the run goes on."""
    with open(os.path.join(HERE, "..", "..", "tools", "levels", "pilot-route.txt")) as route:
        milliseconds = 15 * sum(1 for _ in route)
    expected = "GamePlay: Run time %d:%02d.%02d" % (milliseconds // 60000, milliseconds // 1000 % 60,
                                                  milliseconds % 1000 // 10)
    run = GameRun(sandbox, ["-win", "-w", "1280", "-h", "720", "--replay", route.name] + list(extra))
    # The window gets the keyboard only after the win: the focus loss that
    # comes first would pause the replay.
    deadline = time.monotonic() + 2 * milliseconds / 1000 + WINDOW_WAIT  # a loaded machine draws slower
    while expected not in lines_of(run) and run.alive() and time.monotonic() < deadline:
        time.sleep(0.5)
    run.wait_window()
    check(lines_of(run).count(expected) == 1, "want %r once, got:\n%s" % (expected, run.output()))
    return run


def replay_route(sandbox):
    """--replay with levelcheck's route of the shipped level: no title, the
    win at the route's last step with its run time, then the ending's red
    lines; a replay's win is never kept."""
    run = route_wins(sandbox)
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


def converted_level(convert_args, colour_type, depth, out_prefix=""):
    """The shipped level saved by ImageMagick as another kind of PNG (only its
    open cells stay white) plays like the original: the shipped route wins
    on it, and the loader has nothing to say."""
    def scenario(sandbox):
        own = sandbox.path("own.png")
        subprocess.run(["convert", level_path(sandbox)] + convert_args + [out_prefix + own], check=True)
        with open(own, "rb") as f:
            header = f.read(26)
        check(header[24:26] == bytes([depth, colour_type]),
              "ImageMagick wrote depth %d, colour type %d" % (header[24], header[25]))
        run = route_wins(sandbox, ["--level", own])
        code, seconds = run.escape()
        expect_clean_exit(run, code, seconds)
        check(not any(line.startswith("LevelGrid:") for line in lines_of(run)), run.output())
    return scenario


def bad_level(make, name, reason):
    def scenario(sandbox):
        with open(level_path(sandbox), "rb") as f:
            good = f.read()
        with open(level_path(sandbox), "wb") as f:
            f.write(make(good))
        run = GameRun(sandbox, WINDOWED)
        plays_on(run, level_message(sandbox) + ": " + reason, shot=name)
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
    line = level_message(sandbox) + ": " + CUT_SHORT
    while line not in lines_of(run) and time.monotonic() - pressed < 10:
        time.sleep(0.02)
    refused = time.monotonic() - pressed
    log("refused the crafted picture %.2f s after the key press" % refused)
    check(refused < 2.0, "took %.2f s to refuse the crafted picture" % refused)
    plays_on(run, line, started=True)


def level_option(sandbox):
    """--level with a picture too small for the start cell: the loader's line
    with the reason, the pilot walled in, and play goes on."""
    own = sandbox.path("own.png")
    subprocess.run(["convert", "-size", "30x30", "xc:white", own], check=True)
    plays_on(GameRun(sandbox, WINDOWED + ["--level", own]),
             "LevelGrid: Could not load level picture: " + own + ": a level of 30 x 30 cells; the start cell "
             "(60, 984) and its four neighbours must lie inside the picture, which takes at least 62 x 986 cells",
             shot="level_option_walled_in")


KICK_WAIT = 0.12  # s between space presses (8 steps): each kick climbs faster
DATA_WAIT = 10.0  # s for the files of a win to appear on a loaded machine


def shaft_game(sandbox, env=None, replay=()):
    with open(level_path(sandbox), "wb") as f:
        f.write(shaft_png(top=300))
    return GameRun(sandbox, ["-nm"] + WINDOWED + list(replay), env=env)


def kick_until_won(run, presses=60):
    """Kicks up the shaft until the run time is printed; the steps it may stand for (lowest, highest).
    The presses are sent from this process: a key tool started for each
    press takes most of a second on a busy machine, by which time the pilot
    has lost the climb's speed to gravity."""
    keys = QuickKeys()
    try:
        for _ in range(presses):
            won = [line for line in lines_of(run) if line.startswith("GamePlay: Run time ")]
            if won:
                minutes, seconds = won[0].rsplit(" ", 1)[1].split(":")
                centiseconds = int(minutes) * 6000 + round(float(seconds) * 100)
                return (centiseconds * 10 + 14) // 15, (centiseconds * 10 + 9) // 15
            check(run.alive(), "the game ended while kicking:\n%s%s" % (run.output(), run.errors()))
            keys.press("space")
            time.sleep(KICK_WAIT)
    finally:
        keys.close()
    raise Failure("no win after %d presses:\n%s" % (presses, run.output()))


def kept_steps(sandbox, run, until=lambda steps: True):
    """Steps of the kept record's best, best replay and last replay, once `until` holds for them."""
    folder, deadline = os.path.join(sandbox.home, ".local", "share", "vantorrel"), time.monotonic() + DATA_WAIT
    while True:
        try:
            names = {name.split(".", 1)[1]: os.path.join(folder, name) for name in os.listdir(folder)}
            lines = [open(names[kind]).readline() if kind != "record" else open(names[kind]).read().split("\n")[1]
                     for kind in ("record", "best.replay", "last.replay")]
            steps = [int(lines[0].split()[1]), int(lines[1].split()[3]), int(lines[2].split()[3])]
            if until(steps):
                return steps
        except (OSError, KeyError, IndexError, ValueError):
            pass  # not all written yet
        check(time.monotonic() < deadline, "not kept in %s:\n%s" % (folder, run.output()))
        time.sleep(0.1)


def wait_second_window(run, first):
    """As run.wait_window, for a second game (the search by process finds
    the first game's window too): its own window gets the keyboard once drawn."""
    deadline = time.monotonic() + WINDOW_WAIT
    while run.window is None:
        check(run.alive() and time.monotonic() < deadline, "no second window:\n" + run.output() + run.errors())
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vantorrel$"],
                               capture_output=True, text=True).stdout.split()
        run.window = next((window for window in found if window != first.window), None)
        time.sleep(0.1)
    subprocess.run(["xdotool", "windowfocus", "--sync", run.window], timeout=10, check=True)
    while True:
        pixels = screenshot("second-window", window=run.window).pixels
        if len(pixels) - pixels.count(0) > FIRST_FRAME_LIT_BYTES:
            return
        check(run.alive() and time.monotonic() < deadline, "the second game did not draw:\n" + run.output())
        time.sleep(0.1)


def fresh_home_keeps_its_record(sandbox):
    """No XDG_DATA_HOME and no ~/.local: a win makes every folder, owner-only,
    and keeps its record and replays at the printed run time."""
    run = shaft_game(sandbox, env=sandbox.env(XDG_DATA_HOME=None))
    run.wait_window()
    start_play(run)
    low, high = kick_until_won(run)
    best, best_replay, last_replay = kept_steps(sandbox, run)
    check(low <= best <= high and best == best_replay == last_replay, "kept %r for %d..%d" % ((best, best_replay,
                                                                                            last_replay), low, high))
    for made in (".local", ".local/share", ".local/share/vantorrel"):
        mode = stat.S_IMODE(os.stat(os.path.join(sandbox.home, made)).st_mode)
        check(mode == 0o700, "%s made with mode %o" % (made, mode))
    expect_clean_exit(run, *run.escape())
    check("Could not" not in run.output(), "complaints:\n" + run.output())


HINT_BOX = (752, 512, 1248, 720)  # logical pixels: where the hints show, in the lower right, over the sky
HINT_OUTLINE = 600  # dark pixels of a 480 x 270 window that show a hint's outlined text there, at least
                    # (seen: 1560 with the hint, 56 at most from the clouds' edges without)
STUCK_WAIT = 180.0  # s: a minute of game time, on a machine that runs the game at a third of its speed


def wait_stuck_hint(run):
    """Waits until the run standing still shows its hint for a minute spent
    at one height: the game's own count of 4000 steps, which no load can
    shorten (a busy machine only makes it come later in real time)."""
    view = View(letterbox(*run.window_size(), *run.window_size()))

    def hint(shot):
        dark, _ = shot.count(*view.box(*HINT_BOX), lambda r, g, b: max(r, g, b) < 100)
        check(dark > HINT_OUTLINE, "no stuck hint yet: %d dark pixels" % dark)
    deadline = time.monotonic() + STUCK_WAIT
    while True:
        try:
            return hint(screenshot("stuck-hint", window=run.window))
        except Failure:
            check(run.alive() and time.monotonic() < deadline, "no stuck hint within %d s:\n%s"
                  % (STUCK_WAIT, run.output()))
        time.sleep(0.2)


def two_games_race_a_record(sandbox):
    """B enters play first and dawdles, A wins quickly, then B wins slowly:
    the record and the best replay stay A's, B's run is the last replay."""
    slow = shaft_game(sandbox)
    slow.wait_window()
    start_play(slow)
    # B dawdles by the game's own count, not by seconds: a busy machine runs
    # fewer steps a second, and once let A's kicking outlast B's sleep.
    wait_stuck_hint(slow)
    fast = shaft_game(sandbox)
    wait_second_window(fast, slow)  # takes the keyboard: B pauses
    start_play(fast)
    fast_won = kick_until_won(fast)
    fast_best = kept_steps(sandbox, fast)[0]
    expect_clean_exit(fast, *fast.escape())
    slow.wait_window()
    slow.key("p")  # goes on after the pause
    slow_won = kick_until_won(slow)
    check(slow_won[0] > fast_won[1], "B (%r) was not slower than A (%r)" % (slow_won, fast_won))
    kept = kept_steps(sandbox, slow, until=lambda steps: steps[2] != fast_best)
    check(kept[:2] == [fast_best, fast_best] and slow_won[0] <= kept[2] <= slow_won[1],
          "kept %r after A's %d and B's %r" % (kept, fast_best, slow_won))
    expect_clean_exit(slow, *slow.escape())


def replay_runs_out(sandbox):
    """A route that ends before the win says so once, and the keys steer;
    R starts the player's own run, whose win is kept."""
    run = shaft_game(sandbox, replay=["--replay", sandbox.write("short-route.txt", "---\n" * 40)])
    said = "GamePlay: The replay ended after 40 steps without a win; the keys are yours (R starts a run of your own)"
    deadline = time.monotonic() + WINDOW_WAIT
    while said not in lines_of(run):
        check(run.alive() and time.monotonic() < deadline, "want %r, got:\n%s" % (said, run.output()))
        time.sleep(0.1)
    # Only now: giving the window the keyboard may pause play (a focus loss
    # comes first), which would hold the replay; R goes on from a pause.
    run.wait_window()
    run.key("r")
    low, high = kick_until_won(run)
    best = kept_steps(sandbox, run)[0]
    check(low <= best <= high, "record best %d steps, the run took %d..%d" % (best, low, high))
    expect_clean_exit(run, *run.escape())
    check(lines_of(run).count(said) == 1, "said %d times" % lines_of(run).count(said))


LOADING_SHADE = (24, 28, 72)  # app/Application.cpp: the frame drawn while a level loads


def quit_while_loading(sandbox):
    """--replay on a level whose file takes minutes to open (a slow disk,
    preloaded into the game): the window shows the loading frame meanwhile,
    and Escape, and in a second run SIGTERM, end the game within EXIT_WAIT
    with status 0, without waiting for the load."""
    library = os.path.join(os.path.dirname(os.environ.get("VANTORREL_SLOW_SWAP", "")), "libslow_open.so")
    check(os.path.exists(library), "no open-slowing library beside VANTORREL_SLOW_SWAP: %r" % library)
    level = sandbox.path("slow.png")
    with open(level, "wb") as f:
        f.write(shaft_png(top=300))
    asan = os.environ.get("ASAN_OPTIONS", "")
    env = sandbox.env(LD_PRELOAD=library, VANTORREL_SLOW_OPEN=level,
                      ASAN_OPTIONS=(asan + ":" if asan else "") + "verify_asan_link_order=0")
    route = sandbox.write("route.txt", "---\n" * 40)
    for how in ("Escape", "SIGTERM"):
        run = GameRun(sandbox, WINDOWED + ["--level", level, "--replay", route], env=env)
        run.wait_window()
        view = run_view(run)

        def loading(shot):
            share = fraction(shot, view.box(0, 0, 1280, 600), lambda r, g, b: (r, g, b) == LOADING_SHADE)
            check(share > 0.9, "no loading frame: %.2f of the picture in its shade" % share)
        eventually("loading", loading)
        if how == "Escape":
            code, seconds = run.escape()
        else:
            os.kill(run.game_pid(), signal.SIGTERM)
            sent = time.monotonic()
            code = run.wait_exit(EXIT_WAIT)
            seconds = time.monotonic() - sent
        expect_clean_exit(run, code, seconds)


SCENARIOS = {
    "replay_route": replay_route,
    "empty_level": bad_level(name="empty_level", make=lambda good: b"", reason="the file is empty"),
    "truncated_level": bad_level(name="truncated_level", make=lambda good: good[:len(good) // 2], reason=CUT_SHORT),
    "garbage_level": bad_level(name="garbage_level", make=lambda good: bytes((i * 7919 + 13) % 256 for i in range(len(good))),
                               reason="neither a PNG nor a JPEG picture"),
    "paletted_level": converted_level([], colour_type=3, depth=8, out_prefix="PNG8:"),
    "two_colour_level": converted_level(["-channel", "R", "-separate", "+channel", "-threshold", "99.9%",
                                         "-type", "Bilevel"], colour_type=0, depth=1),
    "huge_chunk_level": huge_chunk_level,
    "level_option": level_option,
    "fresh_home_keeps_its_record": fresh_home_keeps_its_record,
    "two_games_race_a_record": two_games_race_a_record,
    "replay_runs_out": replay_runs_out,
    "quit_while_loading": quit_while_loading,
}
