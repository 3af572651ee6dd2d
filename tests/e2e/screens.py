"""Scenarios of the window and the screens: first start, letterbox, help,
sizes, no display."""

import os
import time

from gamerun import (START_WAIT, WINDOW_WAIT, Failure, GameRun, View, check, check_bars, eventually,
                     expect_clean_exit, letterbox, picture_colours, screen_size, screenshot)

from checks import *  # noqa: F401,F403 (the scenarios' shared checks)


def first_start(sandbox):
    """A fresh account: the settings folder and file are created and said so;
    the title story appears in yellow, keys advance it, the logo and the
    magenta send-off follow; play shows sky, tiles, pilot and HUD; Escape ends
    the program at once with status 0."""
    width, height = screen_size()
    run = GameRun(sandbox)  # no arguments: the options come from the new file
    run.wait_window()

    folder = sandbox.settings_folder()
    check(os.path.isdir(folder), "no settings folder " + folder)
    with open(sandbox.settings_file(), "rb") as f:
        created = f.read()
    check(created == settings_text(width, height), "settings file reads %r" % created)
    out = lines_of(run)
    check(out[:1] == ["Created %s path." % folder], "first line %r" % out[:1])
    check(sum("Created" in line for line in out) == 1, "more than one folder message: %r" % out)
    check(not any(line.startswith("Using default") for line in out), "default-size message without arguments")
    check(run.window_size() == (width, height), "window %s, want the screen size" % (run.window_size(),))

    view = View(letterbox(width, height, width, height))
    story = view.box(128, 390, 1152, 500, inset=0)
    # The first line comes by itself 30 frames after the start, and the next
    # 120 frames (1.8 s) later: the press follows the frame that shows the
    # line at once, and the slower checks of that frame come after it. Two
    # lines would have to pass unseen before a press could bring the empty
    # fifth line.
    line1 = wait_for_count("title-line1", story, yellow, 30, "the first story line shows %d yellow pixels", step=3)
    run.key("space")  # brings the next line at once
    before = yellow_spots(line1, story)

    def replaced(shot):
        after = yellow_spots(shot, story)
        changed = len(before ^ after)
        check(len(after) > 100 and changed > min(len(before), len(after)) // 2,
              "a key press does not replace the story line (%d yellow spots before, %d after, %d differ)"
              % (len(before), len(after), changed))
        return shot
    eventually("title-line2", replaced)
    check_bars(line1, view)
    above, _ = line1.count(*view.box(0, 0, 1280, 380), yellow, step=2)
    check(above == 0, "yellow above the story line before the logo: %d" % above)

    # The rest of the story comes by itself, a line every 1.8 s of real
    # time. No press here: on a busy machine the story can move on between
    # a screenshot and a press, and one press too many starts play before
    # the send-off was ever seen.
    logo = picture_colours(os.path.join(PICTURES, "titleLogo.png"))
    logo = {c for c in logo if max(c) > 60}  # not the dark outline, which the backdrop also shows
    wait_for_count("title-logo", view.box(128, 0, 1152, 380), lambda r, g, b: (r, g, b) in logo, 3000,
                   "the title logo shows %d of its colours")

    # Line 6, the send-off under the story, comes by itself.
    wait_for_count("title-sendoff", view.box(128, 630, 1152, 720, inset=0), magenta, 300,
                   "the send-off line shows %d magenta pixels", step=1)

    run.key("Return")  # starts play
    # The pilot drops onto the grass and the camera follows.
    eventually("play", lambda shot: check_play_screen(shot, view))

    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)
    with open(sandbox.settings_file(), "rb") as f:
        check(f.read() == created, "the settings file changed while playing")


def letterbox_bars(sandbox):
    """A 4:3 full-screen window on the 16:9 screen: the picture keeps its
    shape, with black bars above and below."""
    width, height = screen_size()
    window_w = height * 4 // 3
    run = GameRun(sandbox, ["-w", str(window_w), "-h", str(height)])
    run.wait_window()
    view = View(letterbox(window_w, height, width, height))
    check(view.y > 0, "expected bars above and below")
    run.key("space")
    shot = wait_for_count("letterbox-title", view.box(128, 390, 1152, 500, inset=0), yellow, 150,
                          "the story line shows %d yellow pixels inside the letterbox", step=1)
    check_bars(shot, view)
    start_play(run)
    check_bars(screenshot("letterbox-play"), view)
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)


def help_text(sandbox):
    """--help prints the help text byte for byte and ends with status 0, with
    or without a display: it is answered before the game opens anything. The
    audio line lists what Debian's PortAudio offers with no sound server
    running (JACK is offered only while a JACK server answers, so the runs
    name one that does not exist)."""
    os.makedirs(sandbox.settings_folder())
    with open(sandbox.settings_file(), "wb") as f:
        f.write(settings_text(640, 480))
    with open(os.path.join(HERE, "help.txt"), "rb") as f:
        expected = f.read()
    for display in (None, os.environ.get("DISPLAY")):
        run = GameRun(sandbox, ["-w", "800", "--help", "-ns"],
                      env=sandbox.env(DISPLAY=display, JACK_DEFAULT_SERVER="vantorrel-e2e-no-server"))
        code = run.wait_exit(START_WAIT)
        with open(run.stdout_path, "rb") as f:
            printed = f.read()
        check(printed == expected, "DISPLAY=%s: help text differs:\n%r\nwant\n%r" % (display, printed, expected))
        check(code == 0, "exit status %s after --help with DISPLAY=%s" % (code, display))
        check(run.errors() == "", "DISPLAY=%s: standard error %r" % (display, run.errors()[-2000:]))


def default_height(sandbox):
    """-w 800 alone: the height is the X screen's, and the game says so; the
    tall window shows the picture with bars above and below."""
    width, height = screen_size()
    run = GameRun(sandbox, ["-w", "800"])
    run.wait_window()
    out = lines_of(run)
    check("Using default height = %d" % height in out, "no default-height line in %r" % out)
    check(not any(line.startswith("Using default width") for line in out), "width message for -w 800")
    check(run.window_size() == (800, height), "window %s" % (run.window_size(),))
    run.key("space")
    view = View(letterbox(800, height, width, height))
    wait_for_count("default-height", view.box(128, 390, 1152, 500, inset=0), yellow, 30,
                   "the story line shows %d yellow pixels", step=3)
    check_bars(screenshot("default-height"), view)
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)


def no_display(sandbox):
    """No X display (none set, or one nobody answers on): one clear line and
    a non-zero status, promptly, never a crash."""
    for display in (None, ":%d" % free_display()):
        run = GameRun(sandbox, WINDOWED, env=sandbox.env(DISPLAY=display))
        code = run.wait_exit(START_WAIT)
        out = lines_of(run)
        check(code not in (0, None) and code > 0, "exit status %s without a display" % code)
        # The settings come first, so a fresh account still gets its folder.
        if display is None:
            check(out[:1] == ["Created %s path." % sandbox.settings_folder()], "first line %r" % out[:1])
            out = out[1:]
        # The reason after the colon is the SDL library's own words.
        reason = "x11 not available" if SDL_RUNTIME == "compat" else "No available video device"
        check(out == ["Could not initialise SDL: " + reason], "DISPLAY=%s printed %r" % (display, out))
        check("Sanitizer" not in run.errors(), run.errors()[-3000:])
        # Without a screen to measure no file is written, so that the next
        # start on a real screen records that screen's size.
        check(not os.path.lexists(sandbox.settings_file()), "DISPLAY=%s created the settings file" % display)
    run = GameRun(sandbox, WINDOWED)
    run.wait_window()
    with open(sandbox.settings_file(), "rb") as f:
        created = f.read()
    check(created == settings_text(*screen_size()), "the start with a display wrote %r" % created)
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)


def bad_sizes(sandbox):
    """Sizes no window can have, on the command line and in the settings
    file: each becomes the screen's with its "Using default" line, never a
    size cut to 16 bits (70000 used to open 4464 pixels)."""
    width, height = screen_size()
    want = ["Using default width = %d" % width, "Using default height = %d" % height]

    def size_lines(run):
        return [line for line in lines_of(run) if line.startswith("Using default")]

    run = GameRun(sandbox, ["-win", "-w", "70000", "-h", "99999999999"])
    run.wait_window()
    check(size_lines(run) == want, "printed %r, want %r" % (lines_of(run), want))
    check(run.window_size() == (width, height), "window %s" % (run.window_size(),))
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)

    write_settings(sandbox, b"w 0\r\nh 100000\r\na 0\r\nf 0\r\n", 0o644)
    run = GameRun(sandbox, [])
    run.wait_window()
    check(size_lines(run) == want, "printed %r, want %r" % (lines_of(run), want))
    check(run.window_size() == (width, height), "window %s" % (run.window_size(),))
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)


def oversized_full_screen(sandbox):
    """Full screen 3840 x 2160 from a bigger monitor stopped every start ("No video
    mode large enough"): the screen's size opens, with one line; the file stays."""
    text = b"w 3840\r\nh 2160\r\na 0\r\nf 1\r\n"
    path = write_settings(sandbox, text, 0o644)
    run = GameRun(sandbox, [])
    run.wait_window()
    check(run.window_size() == screen_size(), "window %s, want the screen's" % (run.window_size(),))
    plays_on(run, "OpenGLDrawer: Could not open 3840 x 2160 (larger than the screen), "
             "using the screen's %d x %d." % screen_size(), started=True)
    with open(path, "rb") as f:
        check(f.read() == text, "the settings file was changed")


def free_display():
    for number in range(170, 300):
        if not os.path.exists("/tmp/.X11-unix/X%d" % number) and not os.path.exists("/tmp/.X%d-lock" % number):
            return number
    raise Failure("no free display number")


SCENARIOS = {
    "first_start": first_start,
    "letterbox": letterbox_bars,
    "help": help_text,
    "default_height": default_height,
    "no_display": no_display,
    "bad_sizes": bad_sizes,
    "oversized_full_screen": oversized_full_screen,
}
