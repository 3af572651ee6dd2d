"""Scenarios of the sound: booms, sound servers and devices, rates, kicks,
patch and pitch files."""

import array
import os
import shutil
import signal
import subprocess
import time
import wave

from gamerun import (START_WAIT, Failure, GameRun, QuickKeys, check, cpu_wait, expect_clean_exit, log, onsets, peak, read_capture,
                     screenshot, strongest_frequency, x_server_pid)

from checks import *  # noqa: F401,F403 (the scenarios' shared checks)


BOOM_FRAMES = 120        # steps between automatic story lines
STEP_MS = 15             # one step of the game, in real time
BOOM_GAP = BOOM_FRAMES * STEP_MS / 1000.0  # 1.80 s between automatic booms
BOOM_GAP_SLACK = 0.1     # seconds: a slow frame or two, and the audio buffers
                         # (a game running 10 % fast or slow is well outside),
                         # on an idle machine; a busy one adds its CPU wait
PRESS_AFTER_BOOM = (0.7, 1.0)  # seconds of capture after a line's boom: when the presses may start
                               # (earlier, a press's boom can rise too little over the line's tail to
                               # count as a new one; later, the next line may come among the presses)
BOOM_STARTS = 3  # starts of the game, when the story ran ahead of the test on a busy machine
PRESS_GAPS = (0.7, 0.85)  # seconds between the key presses: shorter than 120
                          # steps, so no line comes by itself between


def hear_story_line(sandbox, attempt):
    """Starts the game on the title and waits until a line's boom is heard
    in time for three presses after it; its run, capture, keys, the booms
    heard so far and its LoadWatch, or None when the story ran ahead."""
    capture = sandbox.path("booms-%d.raw" % attempt)
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
    load = LoadWatch(run)
    # A press restarts the 120-frame wait for the next line, and the gaps
    # between presses are shorter than that, so no line comes by itself among
    # the presses. Only the first press could meet a line coming by itself:
    # the presses start when a line's boom is PRESS_AFTER_BOOM old in the
    # capture, about half-way to the next line: that boom has long passed its
    # onset, and the next line is further off in real time than the presses
    # take to start, as the game runs at most one step per 15 ms. A boom found
    # older (the test fell behind on a busy machine) waits for the next line.
    # The boom is heard, not looked for: a busy machine grabs the screen too
    # slowly to follow the story. The keys are sent from this process: a key
    # tool started for a press could take most of a second to start.
    keys = QuickKeys()
    deadline = time.monotonic() + 20
    while True:
        samples = read_capture(capture)
        length = len(samples) / 2 / 44100
        # The newest 3 s are enough to find a boom, and quick to look through.
        recent = onsets(samples[-2 * 44100 * 3:])
        heard = [length - 3 + t for t in recent] if length > 3 else recent
        age = length - heard[-1] if heard else 0.0
        if heard and PRESS_AFTER_BOOM[0] <= age <= PRESS_AFTER_BOOM[1]:
            break
        if time.monotonic() > deadline:
            break
        time.sleep(0.02)
    heard = [t for t in onsets(samples) if t <= length - PRESS_AFTER_BOOM[0]]
    log("presses from %.3f s into the capture, after the booms %s" % (length, heard))
    if time.monotonic() > deadline or len(heard) > 3:
        # Too late for three presses: started again, the game comes up
        # quicker from warm caches.
        log("no line heard in time for three presses after it (heard %d)" % len(heard))
        keys.close()
        run.stop()
        return None
    return run, capture, keys, heard, load


def booms(sandbox):
    """The title screen's booms reach a real sound stream: one at each story
    line, whether the line came by itself (120 frames after the one before)
    or by a key press (at the moment of the press), six in all, and no more
    once the last line is up."""
    for attempt in range(BOOM_STARTS):
        started = hear_story_line(sandbox, attempt)
        if started:
            break
    else:
        raise Failure("no story line heard in time for three presses after it in %d starts" % BOOM_STARTS)
    run, capture, keys, heard, load = started
    presses = []
    for gap in (0.0,) + PRESS_GAPS:
        time.sleep(max(0.0, presses[-1] + gap - time.monotonic()) if presses else 0.0)
        keys.press("Return")
        presses.append(time.monotonic())
    keys.close()
    # The rest of the lines come by themselves; then nothing more may sound.
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline and len(onsets(read_capture(capture))) < 6:
        time.sleep(0.5)
    log("live onsets: %s, capture %.1f s, game alive %s" % (onsets(read_capture(capture)), len(read_capture(capture)) / 88200, run.alive()))
    slack = load.slack()
    time.sleep(2.5)
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds - run.sink_overhead())

    samples = read_capture(capture)
    times = onsets(samples)
    log("boom onsets in the capture (s): %s" % ", ".join("%.3f" % t for t in times))
    # The story waits for the stream to be heard, so the first line's boom
    # comes well inside the capture, never at its first moment.
    check(len(times) == 6, "%d booms, want 6 (one per story line)" % len(times))
    check(times[0] > 0.2, "the first boom at %.3f s, on the stream's first moment" % times[0])
    # The presses: three booms spaced like the presses.
    press_gaps = [b - a for a, b in zip(presses, presses[1:])]
    # The run of three whose spacing is closest to the presses'; a run that
    # starts one boom early compares 0.7 s with 0.85 s and cannot be close.
    def mismatch(i):
        return max(abs(times[i + n + 1] - times[i + n] - press_gaps[n]) for n in range(2))
    check(len(times) >= 3, "only %d booms" % len(times))
    first = min(range(len(times) - 2), key=mismatch)
    check(mismatch(first) < slack, "no three booms spaced like the presses %s" % press_gaps)
    check(first == len(heard), "%d booms before the presses, want the %d heard" % (first, len(heard)))
    # The others: 120 steps of 15 ms after the line before, 1.80 s in real
    # time. (The gap between the last line that came by itself and the
    # first press is the test's own timing; the gap after the first boom,
    # in the stream's first seconds, was once seen 0.19 s long on a busy
    # machine, and is left out.)
    auto_gaps = [times[i + 1] - times[i] for i in range(1, len(times) - 1)
                 if not first - 1 <= i < first + 2]
    check_boom_gaps(auto_gaps, slack)
    tail = len(samples) / 2 / 44100 - times[-1]
    check(tail > 2.0, "the capture ends %.1f s after the last boom: too short to show no more follow" % tail)


class LoadWatch:
    """How much a busy machine may move the booms of a run in real time.
    The story counts steps, and a game kept from the processor runs its
    steps late or drops them (base/FramePacer.h): a gap of 120 steps then
    lasts longer than 1.80 s, or, when the step of the first boom ran late,
    shorter. Neither can exceed the time the game and the X server it draws
    through waited for a processor, which the kernel counts; on an idle
    machine that is next to nothing and the gaps are held to
    BOOM_GAP_SLACK."""

    def __init__(self, run):
        self.pids = [run.game_pid()] + [pid for pid in (x_server_pid(),) if pid]
        self.start = cpu_wait(self.pids)

    def slack(self):
        waited = cpu_wait(self.pids) - self.start
        log("the game and the X server waited %.3f s for a processor" % waited)
        return BOOM_GAP_SLACK + waited


def check_boom_gaps(gaps, slack):
    log("automatic boom gaps (s): %s" % ", ".join("%.3f" % g for g in gaps))
    check(gaps, "no two booms came by themselves one after the other")
    for gap in gaps:
        check(abs(gap - BOOM_GAP) <= slack, "booms %.3f s apart, want 120 steps of 15 ms (%.2f s, give or take %.3f s)"
              % (gap, BOOM_GAP, slack))


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
    load = LoadWatch(run)
    # Lines 1 to 4 come 30, 150, 270 and 390 steps after the stream is
    # heard; as in `booms`, the gap after the first boom is left out.
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline and len(onsets(read_capture(capture))) < 4:
        time.sleep(0.25)
    slack = load.slack()
    time.sleep(0.5)
    code, seconds = run.escape()
    expect_clean_exit(run, code, seconds - run.sink_overhead())
    times = onsets(read_capture(capture))
    log("boom onsets in the capture (s): %s" % ", ".join("%.3f" % t for t in times))
    # Line 5 may follow before the game has ended on a busy machine.
    check(4 <= len(times) <= 5, "%d booms, want 4 (story lines 1 to 4), or 5" % len(times))
    check_boom_gaps([times[2] - times[1], times[3] - times[2]], slack)


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


# What the game says when a JACK server runs only at the given rate.
JACK_RATE_LINES = {
    48000: ["44100Hz samplerate not supported, using 48000Hz."],
    96000: ["44100Hz samplerate not supported, using 48000Hz.", "48000Hz not supported either?",
            "PortAudioDevice: opening at the device's own rate, 96000Hz."],
}


def jack_single_rate(sandbox):
    """A JACK server running only at 48000 Hz, then only at 96000 Hz (the
    dummy driver; most desktops run JACK or PipeWire so): the game says which
    rates are refused and plays in tune at the server's rate: the title
    screen's boom, recorded from the game's JACK port, sounds at 440 Hz
    (8.8 % sharp at 48000 Hz when rendered for 44100 Hz)."""
    for server_rate, expected in JACK_RATE_LINES.items():
        run = record_from_jack(sandbox, server_rate)
        said = [line for line in lines_of(run) if line in JACK_RATE_LINES[96000]]
        check(said == expected, "at %d Hz the game said %r, want %r" % (server_rate, said, expected))
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
        check(rate == server_rate and clean, "%d Hz, seconds without a dropout: %r" % (rate, clean))
        pitch = strongest_frequency(samples[clean[0]:clean[0] + rate], rate, 380, 520)
        log("the boom sounds at %.2f Hz through JACK at %d Hz" % (pitch, rate))
        check(abs(pitch / BOOM_PITCH - 1) <= 0.005, "the boom sounds at %.2f Hz, want %.0f Hz" % (pitch, BOOM_PITCH))


def record_from_jack(sandbox, server_rate):
    """Starts a dummy JACK server at `server_rate`, the game on it, records
    four seconds of the game's port into jack.wav, ends the game with Escape
    (status 0) and the server; returns the game's run."""
    # One name for every run: JACK keeps at most eight servers in its shared
    # registry and frees the slot of a dead server only for a server of the
    # same name, so a name per run would fill it after a few killed runs.
    env = sandbox.env(JACK_DEFAULT_SERVER="vantorrel-e2e", JACK_NO_AUDIO_RESERVATION="1",
                      JACK_NO_START_SERVER="1")
    jackd = subprocess.Popen(["jackd", "-n", env["JACK_DEFAULT_SERVER"], "-r", "-d", "dummy", "-r", str(server_rate)],
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
        return run
    finally:
        # Asked to end, the server leaves the registry; killed, it stays there.
        jackd.terminate()
        try:
            jackd.wait(10)
        except subprocess.TimeoutExpired:
            jackd.kill()
            jackd.wait()


# --- fault injection ----------------------------------------------------------

QUIT_WAIT = 1.5  # seconds from Escape or SIGTERM to the end of the game, however stuck the sound


def seconds_to_end(run, limit=10):
    """Seconds until the game's process is gone or a zombie (the sink's shell
    reaps it later), at most about `limit`."""
    asked = time.monotonic()
    while time.monotonic() - asked < limit and os.path.exists("/proc/%d" % run.game_pid()):
        try:
            if open("/proc/%d/stat" % run.game_pid()).read().rsplit(")", 1)[1].split()[0] == "Z":
                break
        except OSError:
            break
        time.sleep(0.02)
    return time.monotonic() - asked


OPEN_WAIT = 4.0  # seconds the game waits for the sound system to start
HELP_SLACK = 5.0  # seconds for the rest of the help's start on a busy machine
# Stops the private sound server (the sink's other child) before the game runs.
FREEZE_SERVER = ["sh", "-c", 'kill -STOP $(pgrep -P $PPID -x pulseaudio) && exec "$@"', "freeze"]


def frozen_sound_server_at_start(sandbox):
    """The sound server stopped answering before the game started: the help
    still comes at once; the game draws its title after waiting at most its
    time for the sound, says in one line that it plays without sound, and
    ends on Escape, and in a second run on SIGTERM, promptly with status 0."""
    def resume_server(run):
        for server in subprocess.run(["pgrep", "-P", str(run.process.pid), "-x", "pulseaudio"],
                                     capture_output=True, text=True).stdout.split():
            os.kill(int(server), signal.SIGCONT)

    silent = "PortAudioDevice: the sound system did not answer within 4000 ms; playing without sound."
    run = GameRun(sandbox, ["--help"], prefix=FREEZE_SERVER, sound_capture=sandbox.path("frozen.raw"),
                  env=sandbox.env(ALSA_CONFIG_PATH=None))
    try:
        seconds = seconds_to_end(run, limit=OPEN_WAIT + 20)
    finally:
        resume_server(run)
    log("--help with a stopped sound server: ended after %.2f s" % seconds)
    check(seconds <= OPEN_WAIT + HELP_SLACK, "--help took %.2f s" % seconds)
    check(run.wait_exit(10) == 0 and "--audio-api" in run.output(), "help: %r" % run.output())
    for how in ("Escape", "SIGTERM"):
        run = GameRun(sandbox, WINDOWED, prefix=FREEZE_SERVER, sound_capture=sandbox.path("frozen.raw"),
                      env=sandbox.env(ALSA_CONFIG_PATH=None))
        try:
            run.wait_window()
            check(lines_of(run).count(silent) == 1, "lines %r" % lines_of(run))
            run.key("Escape") if how == "Escape" else os.kill(run.game_pid(), signal.SIGTERM)
            seconds = seconds_to_end(run)
        finally:
            resume_server(run)
        code = run.wait_exit(10)
        log("%s after a start with a stopped sound server: ended after %.2f s, status %s" % (how, seconds, code))
        check(seconds <= QUIT_WAIT and code == 0, "%s: %.2f s to end, status %s" % (how, seconds, code))


TERM_AFTER = 0.2  # seconds from the start: SDL and the window are still coming up


def early_sigterm(sandbox):
    """SIGTERM while the game is still starting: it is kept, and the game
    ends by itself with status 0 (or, were it faster than the signal
    handler's setting up, by the signal), never running on."""
    run = GameRun(sandbox, WINDOWED)
    time.sleep(TERM_AFTER)
    os.kill(run.pid, signal.SIGTERM)
    code = run.wait_exit(START_WAIT)
    check(code in (0, -signal.SIGTERM), "status %s after an early SIGTERM:\n%s" % (code, run.output()))


def closed_output_pipe(sandbox):
    """Standard output is a pipe whose reader leaves after the first line
    (`vantorrel -win -ns | head -1`): the game plays on and ends on Escape
    with status 0, not by SIGPIPE."""
    run = GameRun(sandbox, ["-win", "-ns"], prefix=["bash", "-c", 'exec > >(head -n 1); exec "$@"', "pipe"])
    run.wait_window()
    start_play(run)
    check(run.alive(), "the game ended with its reader gone: status %s" % run.process.poll())
    expect_clean_exit(run, *run.escape())
    check(lines_of(run) == ["Created %s path." % sandbox.settings_folder()], "lines %r" % lines_of(run))


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
            seconds = seconds_to_end(run)
        finally:
            os.kill(int(server[0]), signal.SIGCONT)
        code = run.wait_exit(10)
        log("%s with a stopped sound server: ended after %.2f s, status %s" % (how, seconds, code))
        check(seconds <= QUIT_WAIT and code == 0, "%s: %.2f s to end, status %s" % (how, seconds, code))
        check(lines_of(run)[-1:] == ["PortAudioDevice: the sound system did not stop within 700 ms; leaving it "
                                     "behind."], "last lines %r" % lines_of(run)[-3:])


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
    # The kicks follow the story's booms after a quiet second; a capture
    # that began after the booms holds the kicks alone.
    first = max((i for i in range(1, len(times)) if times[i] - times[i - 1] > 1.0), default=0)
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


def no_audio_device(sandbox):
    """ALSA's default device names a card that does not exist: the stream
    cannot open, the game says so in one line and plays on silently."""
    conf = sandbox.write("asound-none.conf", "pcm.!default { type hw card 9 device 0 }\n")
    run = GameRun(sandbox, WINDOWED, env=sandbox.env(ALSA_CONFIG_PATH=conf))
    plays_on(run, "PortAudioDevice Error: Could not open stream.")


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


SCENARIOS = {
    "booms": booms,
    "booms_slow_drawing": booms_slow_drawing,
    "nosound": no_sound,
    "jack_single_rate": jack_single_rate,
    "kick_sounds": kick_sounds,
    "no_audio_device": no_audio_device,
    "frozen_sound_server": frozen_sound_server,
    "frozen_sound_server_at_start": frozen_sound_server_at_start,
    "early_sigterm": early_sigterm,
    "closed_output_pipe": closed_output_pipe,
    "special_patch_files": special_patch_files,
    "special_pitch_files": special_pitch_files,
    "damaged_patches": damaged_patches,
}
