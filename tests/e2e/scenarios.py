#!/usr/bin/env python3
"""End-to-end scenarios of the built game as a real process on an X server.

    scenarios.py SCENARIO GAME

GAME is the built executable; its data folders lie beside it. Every scenario
runs a private copy of the game with its own XDG_CONFIG_HOME and HOME in a
temporary folder, so the user's settings are never touched, and removes the
folder afterwards. Needs DISPLAY (ctest runs under xvfb-run).
Set VANTORREL_E2E_SHOTS to a folder to keep the screenshots."""

import array
import os
import shutil
import signal
import stat
import struct
import subprocess
import sys
import tempfile
import time
import wave
import zlib

from gamerun import (START_WAIT, WINDOW_WAIT, Failure, GameRun, Sandbox, View, check, check_bars,
                     expect_clean_exit, letterbox, log, onsets, peak, picture_colours, read_capture,
                     screen_size, screenshot, strongest_frequency, without_file_override)

HERE = os.path.dirname(os.path.abspath(__file__))
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


def start_play(run):
    """Skips the story with keys (Return is bound to nothing, so it neither
    jumps nor runs) and starts play after the last line."""
    for _ in range(6):
        run.key("Return", pause=0.15)
    run.key("Return")
    time.sleep(SETTLE)


def settings_text(width, height):
    lines = ["w %d" % width, "h %d" % height, "a 0", "f 1", "ns 0", "nm 0", "aa DirectSound"]
    return "".join(line + "\r\n" for line in lines).encode()


def lines_of(run):
    return run.output().splitlines()


# --- scenarios ---------------------------------------------------------------

def wait_for_count(name, box, test, wanted, step=2, seconds=10.0):
    """Screenshots until more than `wanted` pixels of `box` pass `test`, or
    `seconds` have gone; the last count."""
    deadline = time.monotonic() + seconds
    while True:
        hits, _ = screenshot(name).count(*box, test, step=step)
        if hits > wanted or time.monotonic() > deadline:
            return hits
        time.sleep(0.2)


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
    # The first line comes by itself 30 frames after the start; from then on
    # each press brings the next line at once and restarts the 120-frame wait,
    # which is longer than the checks between presses take.
    deadline = time.monotonic() + WINDOW_WAIT
    while True:
        shot = screenshot("title-line1")
        hits, _ = shot.count(*story, yellow)
        if hits > 300 or time.monotonic() > deadline:
            break
        time.sleep(0.1)
    check(hits > 300, "the first story line shows %d yellow pixels" % hits)
    check_bars(shot, view)
    above, _ = shot.count(*view.box(0, 0, 1280, 380), yellow, step=2)
    check(above == 0, "yellow above the story line before the logo: %d" % above)
    before = yellow_spots(shot, story)

    run.key("space")  # brings the second line at once
    time.sleep(SETTLE)
    shot = screenshot("title-line2")
    after = yellow_spots(shot, story)
    changed = len(before ^ after)
    check(len(after) > 100 and changed > min(len(before), len(after)) // 2,
          "a key press does not replace the story line (%d yellow spots before, %d after, %d differ)"
          % (len(before), len(after), changed))

    # The story also moves on by itself every 1.8 s of real time, and the
    # checks between presses can take about that long on a busy machine, so
    # from here on the test counts on what the screen shows, never on a count
    # of presses: one press too many would start play early.
    run.key("Return", "Return")  # line 4 or 5: the logo is in
    logo = picture_colours(os.path.join(PICTURES, "titleLogo.png"))
    logo = {c for c in logo if max(c) > 60}  # not the dark outline, which the backdrop also shows
    hits = wait_for_count("title-logo", view.box(128, 0, 1152, 380), lambda r, g, b: (r, g, b) in logo, 3000)
    check(hits > 3000, "the title logo shows %d of its colours" % hits)

    # Line 6, the send-off under the story, comes by itself.
    hits = wait_for_count("title-sendoff", view.box(128, 630, 1152, 720, inset=0), magenta, 300, step=1)
    check(hits > 300, "the send-off line shows %d magenta pixels" % hits)

    run.key("Return")  # starts play
    # The pilot drops onto the grass and the camera follows; on a busy
    # machine the software renderer may need longer than usual to get there.
    time.sleep(3 * SETTLE)
    deadline = time.monotonic() + 20
    while True:
        try:
            check_play_screen(screenshot("play"), view)
            break
        except Failure:
            if time.monotonic() > deadline:
                raise
            time.sleep(SETTLE)

    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)
    with open(sandbox.settings_file(), "rb") as f:
        check(f.read() == created, "the settings file changed while playing")


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
    time.sleep(SETTLE)
    shot = screenshot("letterbox-title")
    check_bars(shot, view)
    hits, _ = shot.count(*view.box(128, 390, 1152, 500, inset=0), yellow)
    check(hits > 150, "the story line shows %d yellow pixels inside the letterbox" % hits)
    start_play(run)
    time.sleep(2 * SETTLE)
    shot = screenshot("letterbox-play")
    check_bars(shot, view)
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
    time.sleep(SETTLE)
    run.key("space")
    time.sleep(SETTLE)
    check_bars(screenshot("default-height"), View(letterbox(800, height, width, height)))
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)


def sink_inputs(run):
    """The streams playing into the private sound server right now."""
    text = subprocess.run(["pactl", "list", "short", "sink-inputs"], env=run.pulse_env(),
                          capture_output=True, text=True, timeout=10).stdout
    return [line for line in text.splitlines() if line.strip()]


BOOM_FRAMES = 120        # steps between automatic story lines
STEP_MS = 15             # one step of the game, in real time
BOOM_GAP = BOOM_FRAMES * STEP_MS / 1000.0  # 1.80 s between automatic booms
BOOM_GAP_SLACK = 0.1     # seconds: a slow frame or two, and the audio buffers
                         # (a game running 10 % fast or slow is well outside)
PRESS_GAPS = (0.7, 0.85)  # seconds between the key presses: shorter than 120
                          # steps, so no line comes by itself between


def booms(sandbox):
    """The title screen's booms reach a real sound stream: one at each story
    line, whether the line came by itself (120 frames after the one before)
    or by a key press (at the moment of the press), six in all, and no more
    once the last line is up."""
    capture = sandbox.path("booms.raw")
    # A small window: it is drawn and grabbed quickly, so the first press
    # follows the first line closely.
    run = GameRun(sandbox, ["-win", "-w", "320", "-h", "180"], sound_capture=capture,
                  env=sandbox.env(ALSA_CONFIG_PATH=None))
    run.wait_window()
    # The stream opens once the window and the first screen exist.
    deadline = time.monotonic() + 20
    while not sink_inputs(run) and time.monotonic() < deadline:
        time.sleep(0.1)
    check(len(sink_inputs(run)) == 1, "the game opened no stream: %r" % sink_inputs(run))
    # A press restarts the 120-frame wait for the next line, and the gaps
    # between presses are shorter than that, so no line comes by itself among
    # the presses. Only the first press could meet a line coming by itself:
    # wait for a line to change on screen, then press 0.9 s later, half-way
    # to the next line: that line's boom has long passed its onset (the
    # first boom may fall on the stream's start, where the capture's timing
    # is the sound server's) and the next is still 0.9 s off.
    def story(shot):
        return yellow_spots(shot, (0, shot.height // 2, shot.width, shot.height * 3 // 4), step=1)
    shown = story(screenshot("booms-start", window=run.window))
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        now = story(screenshot("booms-line", window=run.window))
        if len(shown ^ now) > 20:
            break
        shown = now
        time.sleep(0.02)
    else:
        raise Failure("no story line came within 30 s")
    time.sleep(0.9)
    presses = []
    for gap in (0.0,) + PRESS_GAPS:
        time.sleep(gap)
        run.key("Return")
        presses.append(time.monotonic())
    # The rest of the lines come by themselves; then nothing more may sound.
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline and len(onsets(read_capture(capture))) < 6:
        time.sleep(0.5)
    log("live onsets: %s, capture %.1f s, game alive %s" % (onsets(read_capture(capture)), len(read_capture(capture)) / 88200, run.alive()))
    time.sleep(2.5)
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds - run.sink_overhead())

    samples = read_capture(capture)
    times = onsets(samples)
    log("boom onsets in the capture (s): %s" % ", ".join("%.3f" % t for t in times))
    check(len(times) == 6, "%d booms, want 6 (one per story line)" % len(times))
    # The presses: three booms spaced like the presses.
    press_gaps = [b - a for a, b in zip(presses, presses[1:])]
    # The run of three whose spacing is closest to the presses'; a run that
    # starts one boom early compares 0.7 s with 0.85 s and cannot be close.
    def mismatch(i):
        return max(abs(times[i + n + 1] - times[i + n] - press_gaps[n]) for n in range(2))
    check(len(times) >= 3, "only %d booms" % len(times))
    first = min(range(len(times) - 2), key=mismatch)
    check(mismatch(first) < 0.1, "no three booms spaced like the presses %s" % press_gaps)
    check(1 <= first <= 3, "%d booms before the presses, want 1 to 3" % first)
    # The others: 120 steps of 15 ms after the line before, 1.80 s in real
    # time. (The gap between the last line that came by itself and the
    # first press is the test's own timing; the first boom falls on the
    # stream's start, whose timing is the sound server's.)
    auto_gaps = [times[i + 1] - times[i] for i in range(1, len(times) - 1) if not first - 1 <= i < first + 2]
    check_boom_gaps(auto_gaps)
    tail = len(samples) / 2 / 44100 - times[-1]
    check(tail > 2.0, "the capture ends %.1f s after the last boom: too short to show no more follow" % tail)


def check_boom_gaps(gaps):
    log("automatic boom gaps (s): %s" % ", ".join("%.3f" % g for g in gaps))
    check(gaps, "no two booms came by themselves one after the other")
    for gap in gaps:
        check(abs(gap - BOOM_GAP) <= BOOM_GAP_SLACK, "booms %.3f s apart, want 120 steps of 15 ms (%.2f s)"
              % (gap, BOOM_GAP))


def booms_slow_drawing(sandbox):
    """With every buffer swap 40 ms slower (a slow graphics driver, preloaded
    into the game), the game draws about 18 frames a second but still steps
    at 66 2/3 a second: the title screen's first story lines boom 1.80 s
    apart, as with fast drawing."""
    capture = sandbox.path("booms-slow.raw")
    library = os.environ.get("VANTORREL_SLOW_SWAP", "")
    check(os.path.exists(library), "no swap-slowing library (VANTORREL_SLOW_SWAP=%r)" % library)
    # A sanitizer runtime would insist on being loaded first.
    asan = os.environ.get("ASAN_OPTIONS", "")
    run = GameRun(sandbox, ["-win", "-w", "320", "-h", "180"], sound_capture=capture,
                  env=sandbox.env(ALSA_CONFIG_PATH=None, LD_PRELOAD=library,
                                  ASAN_OPTIONS=(asan + ":" if asan else "") + "verify_asan_link_order=0"))
    run.wait_window()
    # Lines 1 to 4 come 30, 150, 270 and 390 steps after the start. The
    # first boom falls on the stream's start, whose timing is the sound
    # server's, so only the gaps after it count.
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline and len(onsets(read_capture(capture))) < 4:
        time.sleep(0.25)
    time.sleep(0.5)
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds - run.sink_overhead())
    times = onsets(read_capture(capture))
    log("boom onsets in the capture (s): %s" % ", ".join("%.3f" % t for t in times))
    check(len(times) == 4, "%d booms, want 4 (story lines 1 to 4)" % len(times))
    check_boom_gaps([times[2] - times[1], times[3] - times[2]])


def no_sound(sandbox):
    """--nosound: no stream is opened (the sound server sees no client
    stream and records pure silence) although the title screen booms."""
    capture = sandbox.path("nosound.raw")
    run = GameRun(sandbox, ["--nosound", "-win", "-w", "480", "-h", "270"], sound_capture=capture,
                  env=sandbox.env(ALSA_CONFIG_PATH=None))
    run.wait_window()
    time.sleep(2.5)  # the first line's boom is due after 30 frames
    run.key("Return")
    time.sleep(2 * SETTLE)  # by now a stream would long be open
    streams = sink_inputs(run)
    check(streams == [], "streams with --nosound: %r" % streams)
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds - run.sink_overhead())
    check(not any("PortAudio" in line for line in lines_of(run)), "audio messages: %r" % lines_of(run))
    samples = read_capture(capture)
    check(len(samples) > 44100, "the recording is too short (%d samples)" % len(samples))
    check(peak(samples) == 0.0, "something played: peak %.4f" % peak(samples))


BOOM_PITCH = 440.0  # Hz: the impact's lowest note (110 Hz, four times up by its patch)


def jack_only_48000(sandbox):
    """A JACK server running only at 48000 Hz (the dummy driver; most
    desktops run JACK or PipeWire so): the game says 44100 Hz is refused and
    plays in tune: the title screen's boom, recorded from the game's JACK
    port, sounds at 440 Hz (8.8 % sharp when rendered for 44100 Hz)."""
    # One name for every run: JACK keeps at most eight servers in its shared
    # registry and frees the slot of a dead server only for a server of the
    # same name, so a name per run would fill it after a few killed runs.
    env = sandbox.env(JACK_DEFAULT_SERVER="vantorrel-e2e", JACK_NO_AUDIO_RESERVATION="1",
                      JACK_NO_START_SERVER="1")
    jackd = subprocess.Popen(["jackd", "-n", env["JACK_DEFAULT_SERVER"], "-r", "-d", "dummy", "-r", "48000"],
                             env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        check(subprocess.run(["jack_wait", "-w", "-t", "10"], env=env, capture_output=True).returncode == 0,
              "the JACK server did not start")
        run = GameRun(sandbox, WINDOWED + ["-aa", "JACK"], env=env)
        run.wait_window()
        for _ in range(200):
            if "PortAudio:out_0" in subprocess.run(["jack_lsp"], env=env, capture_output=True, text=True).stdout:
                break
            time.sleep(0.1)
        # Four seconds hold two booms. The recorder's buffer holds them all:
        # where it falls behind it drops whole periods, a higher pitch.
        recorder = subprocess.run(["jack_rec", "-f", sandbox.path("jack.wav"), "-d", "4", "-b", "16", "-B",
                                   "262144", "PortAudio:out_0"], env=env, capture_output=True, text=True, timeout=30)
        check(recorder.returncode == 0 and "overrun" not in recorder.stderr, "jack_rec: %r" % (recorder,))
        expect_clean_exit(run, *run.escape())
    finally:
        # Asked to end, the server leaves the registry; killed, it stays there.
        jackd.terminate()
        try:
            jackd.wait(10)
        except subprocess.TimeoutExpired:
            jackd.kill()
            jackd.wait()
    check("44100Hz samplerate not supported, using 48000Hz." in lines_of(run), "lines %r" % lines_of(run))
    with wave.open(sandbox.path("jack.wav")) as w:
        rate, samples = w.getframerate(), array.array("h", w.readframes(w.getnframes()))
    # A whole second from near the loudest sample: shorter stretches read the
    # onsets and the beat of the upper notes as a pitch a few Hz off. A period
    # the busy machine made the game miss is a run of zeros that would splice
    # the wave: such a second is passed over.
    loudest = max(range(len(samples)), key=lambda i: abs(samples[i]))
    starts = sorted({max(0, min(loudest + k * rate // 10, len(samples) - rate)) for k in range(-5, 20)},
                    key=lambda start: abs(start - loudest))
    clean = [start for start in starts if b"\0" * 66 not in samples[start:start + rate].tobytes()]
    check(rate == 48000 and clean, "%d Hz, seconds without a dropout: %r" % (rate, clean))
    pitch = strongest_frequency(samples[clean[0]:clean[0] + rate], rate, 380, 520)
    log("the boom sounds at %.2f Hz through JACK at 48000 Hz" % pitch)
    check(abs(pitch / BOOM_PITCH - 1) <= 0.005, "the boom sounds at %.2f Hz, want %.0f Hz" % (pitch, BOOM_PITCH))


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


# --- fault injection ----------------------------------------------------------

QUIT_WAIT = 1.5  # seconds from Escape or SIGTERM to the end of the game, however stuck the sound


def frozen_sound_server(sandbox):
    """The sound server stops answering (SIGSTOP) while the game plays:
    Escape, and in a second run SIGTERM, still end the game within about a
    second with status 0, saying it left the sound system behind."""
    for how in ("Escape", "SIGTERM"):
        run = GameRun(sandbox, WINDOWED, sound_capture=sandbox.path("frozen.raw"),
                      env=sandbox.env(ALSA_CONFIG_PATH=None))
        run.wait_window()
        for _ in range(200):
            if sink_inputs(run):
                break
            time.sleep(0.1)
        server = subprocess.run(["pgrep", "-P", str(run.process.pid), "-x", "pulseaudio"], capture_output=True,
                                text=True).stdout.split()
        check(len(sink_inputs(run)) == 1 and len(server) == 1, "stream %r, server %r" % (sink_inputs(run), server))
        os.kill(int(server[0]), signal.SIGSTOP)
        try:
            time.sleep(0.5)
            run.key("Escape") if how == "Escape" else os.kill(run.game_pid(), signal.SIGTERM)
            asked = time.monotonic()
            # Ended means gone or a zombie: the sink's shell reaps it later.
            while time.monotonic() - asked < 10 and os.path.exists("/proc/%d" % run.game_pid()) and \
                    open("/proc/%d/stat" % run.game_pid()).read().rsplit(")", 1)[1].split()[0] != "Z":
                time.sleep(0.02)
            seconds = time.monotonic() - asked
        finally:
            os.kill(int(server[0]), signal.SIGCONT)
        code = run.wait_exit(10)
        log("%s with a stopped sound server: ended after %.2f s, status %s" % (how, seconds, code))
        check(seconds <= QUIT_WAIT and code == 0, "%s: %.2f s to end, status %s" % (how, seconds, code))
        check(lines_of(run)[-1:] == ["PortAudioDevice: the sound system did not stop within 700 ms; leaving it "
                                     "behind."], "last lines %r" % lines_of(run)[-3:])


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


def missing_folder(name, expected, times=1):
    def scenario(sandbox):
        shutil.rmtree(os.path.join(sandbox.game_dir, name))
        run = GameRun(sandbox, WINDOWED)
        plays_on(run, expected(sandbox), shot="no-" + name, times=times)
    scenario.__doc__ = "No %s folder beside the game." % name
    return scenario


def level_path(sandbox):
    return os.path.join(sandbox.game_dir, "levels", "pilot.png")


def level_message(sandbox):
    return "LevelGrid: Could not load level picture: " + level_path(sandbox)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)


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


def shaft_png(top, width=62, height=986, column=60):
    """Solid earth but a shaft one cell wide from the start cell (60, 984) up to row `top`."""
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    rows = b"".join(b"\0" + b"".join(b"\xff" * 3 if x == column and top <= y <= 984 else b"\0" * 3
                                      for x in range(width)) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"IDAT", zlib.compress(rows))
            + png_chunk(b"IEND", b""))


def tone_frequency(samples, start, end, rate=44100):
    """Hz of the left channel from start to end (s): the median zero-crossing spacing, which a dropout hardly moves."""
    left = samples[2 * int(start * rate):2 * int(end * rate):2]
    at = [i + a / (a - b) for i, (a, b) in enumerate(zip(left, left[1:])) if (a < 0) != (b < 0)]
    spacing = sorted(b - a for a, b in zip(at, at[1:]))
    return rate / 2 / spacing[len(spacing) // 2] if spacing else 0.0


KICK_GAP = 0.12  # s between presses (8 steps) beyond the key tool's own time: each kick climbs faster


def kick_sounds(sandbox):
    """Kicking up a shaft with the music off: every wall kick sounds once
    (the first press, a jump from the floor, makes none), higher as the
    flight speeds up; the kick that crosses the mark rings on with the
    mark's chord, and the run time is printed."""
    with open(level_path(sandbox), "wb") as f:
        f.write(shaft_png(top=300))
    capture = sandbox.path("kicks.raw")
    run = GameRun(sandbox, ["-nm", "-win", "-w", "320", "-h", "180"], sound_capture=capture,
                  env=sandbox.env(ALSA_CONFIG_PATH=None))
    run.wait_window()
    start_play(run)
    time.sleep(2.0)  # the story's booms die away
    won = lambda: any(line.startswith("GamePlay: Run time ") for line in lines_of(run))
    presses = []
    while len(presses) < 40 and not won():
        # Counted from when the last press had surely left: a press within 4 steps of a kick is dropped.
        time.sleep(max(0.0, presses[-1] + KICK_GAP - time.monotonic()) if presses else 0.0)
        run.key("space")  # the key leaves while the key tool runs (up to 0.3 s on a busy machine)
        presses.append(time.monotonic())
    time.sleep(1.0)  # the chord rings; the ending's own boom is 3 s after the win
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds - run.sink_overhead())
    check(won(), "no win after %d presses:\n%s" % (len(presses), run.output()))
    samples = read_capture(capture)
    times = onsets(samples, quiet_gap=0.1)
    kicks = len(presses) - 1
    log("%d kicks; sound onsets (s): %s" % (kicks, ", ".join("%.3f" % t for t in times)))
    first = max(i for i in range(1, len(times)) if times[i] - times[i - 1] > 1.0)  # after the story's booms
    heard = times[first:]
    # A stalled game reads two presses in one step, as one jump: on a busy machine a few kicks merge
    # (seen: 1 in 10). Never more sounds than kicks, none doubled.
    check(0.8 * kicks <= len(heard) <= kicks, "%d kick sounds for %d kicks" % (len(heard), kicks))
    check(all(b - a > 0.1 for a, b in zip(heard, heard[1:])), "two sounds for one kick")
    # 70 to 140 ms in, the tone holds where its glide ended; a dropped window (all zeros) has none.
    pitches = [f for f in (tone_frequency(samples, t + 0.07, t + 0.14) for t in heard[:-1]) if f > 0]
    # A late press lets gravity take back more speed, so neighbours may dip; over the climb it must rise.
    third = max(1, len(pitches) // 3)
    check(len(pitches) >= 3 and min(pitches[-third:]) > max(pitches[:third]),
          "the pitch does not climb: %s Hz" % ", ".join("%.0f" % f for f in pitches))
    ringing = peak(samples[2 * int((heard[-1] + 0.5) * 44100):2 * int((heard[-1] + 0.9) * 44100)])
    check(ringing > 0.05, "0.5 s after the winning kick the peak is %.4f: no chord" % ringing)


def write_settings(sandbox, text, mode):
    os.makedirs(sandbox.settings_folder(), exist_ok=True)
    path = sandbox.settings_file()
    with open(path, "wb") as f:
        f.write(text)
    os.chmod(path, mode)
    return path


SMALL_WINDOW_SETTINGS = b"w 480\r\nh 270\r\na 0\r\nf 0\r\nns 0\r\nnm 0\r\naa DirectSound\r\n"


def unreadable_settings(sandbox):
    """A settings file the game may not read: kept as it is (content and
    mode), not overwritten, and the built-in defaults (1024 × 768) apply."""
    path = write_settings(sandbox, SMALL_WINDOW_SETTINGS, 0o000)
    run = GameRun(sandbox, [], prefix=without_file_override())
    run.wait_window()
    check(run.window_size() == (1024, 768), "window %s, want the built-in 1024 x 768" % (run.window_size(),))
    out = lines_of(run)
    check(not any(line.startswith(("Created", "Could not create")) for line in out), "messages: %r" % out)
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)
    check(os.stat(path).st_mode & 0o777 == 0, "mode changed to %o" % (os.stat(path).st_mode & 0o777))
    os.chmod(path, 0o600)
    with open(path, "rb") as f:
        check(f.read() == SMALL_WINDOW_SETTINGS, "the settings file was changed")


def read_only_settings(sandbox):
    """A read-only settings file in a read-only folder is read and used, and
    left exactly as it was."""
    path = write_settings(sandbox, SMALL_WINDOW_SETTINGS, 0o444)
    os.chmod(sandbox.settings_folder(), 0o555)
    run = GameRun(sandbox, [], prefix=without_file_override())
    run.wait_window()
    check(run.window_size() == (480, 270), "window %s, want the file's 480 x 270" % (run.window_size(),))
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)
    check(run.output().find("Could not create") < 0, "messages: %r" % lines_of(run))
    check(os.stat(path).st_mode & 0o777 == 0o444, "mode changed to %o" % (os.stat(path).st_mode & 0o777))
    with open(path, "rb") as f:
        check(f.read() == SMALL_WINDOW_SETTINGS, "the settings file was changed")


def unwritable_config(sandbox):
    """The configuration folder cannot be written: the settings file cannot
    be created, the game says so in one line and starts with the values the
    file would have held (the screen size)."""
    os.chmod(sandbox.config, 0o555)
    run = GameRun(sandbox, [], prefix=without_file_override())
    run.wait_window()
    expected = "Could not create %s" % sandbox.settings_file()
    out = lines_of(run)
    check(out[:1] == [expected], "first line %r, want %r" % (out[:1], expected))
    check(run.window_size() == screen_size(), "window %s, want the screen's %s"
          % (run.window_size(), screen_size()))
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)
    check(os.listdir(sandbox.config) == [], "something was created: %r" % os.listdir(sandbox.config))


def no_audio_device(sandbox):
    """ALSA's default device names a card that does not exist: the stream
    cannot open, the game says so in one line and plays on silently."""
    conf = sandbox.write("asound-none.conf", "pcm.!default { type hw card 9 device 0 }\n")
    run = GameRun(sandbox, WINDOWED, env=sandbox.env(ALSA_CONFIG_PATH=conf))
    plays_on(run, "PortAudioDevice Error: Could not open stream.")


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


def special_patch_files(sandbox):
    """SeqHi.patch is a FIFO and Bom.patch a link to /dev/zero: one line
    each, those groups keep the built-in sound, and the game plays on."""
    folder = os.path.join(sandbox.game_dir, "synthPatches")
    fifo = os.path.join(folder, "SeqHi.patch")
    zero = os.path.join(folder, "Bom.patch")
    os.remove(fifo)
    os.mkfifo(fifo)
    os.remove(zero)
    os.symlink("/dev/zero", zero)
    run = GameRun(sandbox, WINDOWED)
    plays_on(run, None)
    expect_lines(run, ["PolyphonicSynth: Could not read patch file %s: not a regular file" % path
                       for path in (fifo, zero)])


def special_pitch_files(sandbox):
    """The only pitch file is a FIFO, then a link to /dev/zero: one line
    each time, the music has no pitch, and the game starts and quits."""
    folder = os.path.join(sandbox.game_dir, "pitches")
    shutil.rmtree(folder)
    os.makedirs(folder)
    path = os.path.join(folder, "scale.txt")
    os.mkfifo(path)
    for make in (lambda: None, lambda: (os.remove(path), os.symlink("/dev/zero", path))):
        make()
        run = GameRun(sandbox, WINDOWED)
        starts_and_quits(run)
        expect_lines(run, ["PitchTable: Could not read pitch file %s: not a regular file" % path])


def fifo_font(sandbox):
    """A FIFO as ~/.fonts/MarsNeedsCunnilingus.ttf (the user's own font
    folder, searched first): one line, however many sizes are asked for, and
    the story still shows, in the built-in glyph font."""
    fonts = os.path.join(sandbox.home, ".fonts")
    os.makedirs(fonts)
    path = os.path.join(fonts, "MarsNeedsCunnilingus.ttf")
    os.mkfifo(path)
    run = GameRun(sandbox, WINDOWED, env=sandbox.env(XDG_DATA_HOME=None))
    run.wait_window()
    deadline = time.monotonic() + WINDOW_WAIT
    while True:
        shot = screenshot("fifo-font-title", window=run.window)
        hits, _ = shot.count(0, shot.height // 2, shot.width, shot.height * 3 // 4, yellow)
        if hits > 50 or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    check(hits > 50, "the story line shows %d yellow pixels" % hits)
    start_play(run)
    plays_on(run, "OpenGLFont: Could not read font file %s: not a regular file" % path, started=True)
    check(stat.S_ISFIFO(os.lstat(path).st_mode), "the FIFO was replaced")


def fifo_settings(sandbox):
    """The settings file is a FIFO: one line before the window, the built-in
    1024 x 768, and the FIFO stays a FIFO."""
    os.makedirs(sandbox.settings_folder())
    os.mkfifo(sandbox.settings_file())
    run = GameRun(sandbox, [])
    run.wait_window()
    check(lines_of(run)[:1] == ["Could not read %s: not a regular file" % sandbox.settings_file()],
          "first line %r" % lines_of(run)[:1])
    check(run.window_size() == (1024, 768), "window %s, want the built-in 1024 x 768" % (run.window_size(),))
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)
    check(stat.S_ISFIFO(os.lstat(sandbox.settings_file()).st_mode), "the FIFO was replaced")


def settings_bom(sandbox):
    """A hand-edited settings file that starts with a UTF-8 byte-order mark:
    its first line (the width) counts like the others."""
    write_settings(sandbox, b"\xef\xbb\xbf" + SMALL_WINDOW_SETTINGS, 0o644)
    run = GameRun(sandbox, [])
    run.wait_window()
    check(run.window_size() == (480, 270), "window %s, want the file's 480 x 270" % (run.window_size(),))
    check(not any(sandbox.settings_file() in line for line in lines_of(run)), "messages: %r" % lines_of(run))
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)


def dangling_settings_link(sandbox):
    """The settings file is a link to a file that does not exist: it is left
    alone (its target is not created), one line says so, and the built-in
    values apply."""
    os.makedirs(sandbox.settings_folder())
    target = sandbox.path("elsewhere", "Plumbrook.conf")
    os.symlink(target, sandbox.settings_file())
    run = GameRun(sandbox, [])
    run.wait_window()
    check(lines_of(run)[:1] == ["Could not read %s: No such file or directory" % sandbox.settings_file()],
          "first line %r" % lines_of(run)[:1])
    check(run.window_size() == (1024, 768), "window %s, want the built-in 1024 x 768" % (run.window_size(),))
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds)
    check(os.readlink(sandbox.settings_file()) == target, "the link was changed")
    check(not os.path.exists(os.path.dirname(target)), "the link's target was created")


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


def damaged_patches(sandbox):
    """All five patch files empty: each group falls back to the louder
    built-in sound (one line each), and what reaches the sound server never
    leaves full scale (before, such a mix peaked near 2.2)."""
    folder = os.path.join(sandbox.game_dir, "synthPatches")
    for name in os.listdir(folder):
        open(os.path.join(folder, name), "wb").close()
    capture = sandbox.path("damaged.raw")
    # A sink that mixes in float, so that a sample beyond full scale would
    # be recorded as it was played instead of cut to it.
    run = GameRun(sandbox, WINDOWED, sound_capture=capture,
                  env=sandbox.env(ALSA_CONFIG_PATH=None, SINK_FORMAT="float32le"))
    run.wait_window()
    start_play(run)
    time.sleep(4)  # two loops of the music, the bass on every other step
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds - run.sink_overhead())
    short = [line for line in lines_of(run) if line.startswith("PolyphonicSynth: Patch file too short: ")]
    check(len(short) == 5, "want one line per empty patch, got %r" % short)
    samples = read_capture(capture)
    loudest = peak(samples)
    log("peak of the damaged mix: %.6f over %.1f s" % (loudest, len(samples) / 88200))
    check(loudest > 0.5, "hardly any sound: peak %.4f" % loudest)
    check(loudest <= 1.0, "the stream left full scale: peak %.4f" % loudest)


def level_option(sandbox):
    """--level with a picture that cannot be used: the loader's line, and play goes on."""
    own = sandbox.path("own.png")
    with open(own, "wb") as f:
        f.write(paletted_png(72, 994))
    plays_on(GameRun(sandbox, WINDOWED + ["--level", own]), "LevelGrid: Could not load level picture: " + own)


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
    "booms": booms,
    "booms_slow_drawing": booms_slow_drawing,
    "nosound": no_sound,
    "jack_only_48000": jack_only_48000,
    "kick_sounds": kick_sounds,
    "replay_route": replay_route,
    "no_levels": missing_folder("levels", level_message),
    "no_synth_patches": missing_folder(
        "synthPatches", lambda s: "PolyphonicSynth: Could not open patch file "
        + os.path.join(s.game_dir, "synthPatches", "Bom.patch")),
    "no_pitches": missing_folder("pitches", lambda s: "FilePath: No pitches folder in %s or %s" % (
        os.path.join(s.game_dir, "pitches"), s.path("share", "vantorrel", "pitches"))),
    # Asked for at two sizes (the title screen's and the speed display's), said once.
    "no_fonts": missing_folder("fonts", lambda s: "OpenGLFont: Could not find font: MarsNeedsCunnilingus.ttf"),
    "empty_level": bad_level(name="empty_level", make=lambda good: b""),
    "truncated_level": bad_level(name="truncated_level", make=lambda good: good[:len(good) // 2]),
    "garbage_level": bad_level(name="garbage_level", make=lambda good: bytes((i * 7919 + 13) % 256 for i in range(len(good)))),
    "paletted_level": bad_level(name="paletted_level", make=lambda good: paletted_png(72, 994)),
    "huge_chunk_level": huge_chunk_level,
    "unreadable_settings": unreadable_settings,
    "read_only_settings": read_only_settings,
    "unwritable_config": unwritable_config,
    "no_audio_device": no_audio_device,
    "frozen_sound_server": frozen_sound_server,
    "no_display": no_display,
    "special_patch_files": special_patch_files,
    "special_pitch_files": special_pitch_files,
    "fifo_font": fifo_font,
    "fifo_settings": fifo_settings,
    "settings_bom": settings_bom,
    "dangling_settings_link": dangling_settings_link,
    "bad_sizes": bad_sizes,
    "oversized_full_screen": oversized_full_screen,
    "damaged_patches": damaged_patches,
    "level_option": level_option,
}


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in SCENARIOS:
        print("usage: scenarios.py {%s} GAME" % "|".join(SCENARIOS), file=sys.stderr)
        return 2
    scenario = SCENARIOS[sys.argv[1]]
    sandbox = Sandbox(sys.argv[2])
    started = time.monotonic()
    try:
        scenario(sandbox)
    except Failure as failure:
        log("FAILED %s: %s" % (sys.argv[1], failure))
        return 1
    finally:
        for run in list(GameRun.all):
            run.stop()
        sandbox.close()
    log("passed %s in %.1f s" % (sys.argv[1], time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
