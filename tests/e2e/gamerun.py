"""Runs the built game as a real process and looks at it from outside: its
standard output, its window on the X server, what it draws (screenshots read
pixel by pixel) and what it plays (a recording from a private sound server).

Standard library only; the X side uses xdotool (and its libXtst, through
ctypes, for quick presses), xwd, xdpyinfo and ImageMagick's convert, the sound
side tests/audio/with-sound-sink and nothing else."""

import array
import ctypes
import math
import os
import shutil
import signal
import subprocess
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOUND_SINK = os.path.join(HERE, "..", "audio", "with-sound-sink")
DATA_FOLDERS = ("levels", "synthPatches", "pitches", "fonts")

# Generous, so that a slow sanitizer build on a busy machine still passes but
# a hang ends the test instead of blocking it.
WINDOW_WAIT = 60.0   # seconds until the game's window must exist
FIRST_FRAME_LIT_BYTES = 3000  # colour bytes lit on the first drawn frame, at least
                              # (the smallest window the tests open has 57,600 pixels)
EXIT_WAIT = 3.0      # seconds from Escape to the end of the process
START_WAIT = 60.0    # seconds for a run that should end on its own
# Seconds a check waits for the frame that shows what it checks. On a busy
# machine the game may draw a frame a second and fall behind real time; only
# a failing check waits this long.
SCREEN_WAIT = 60.0


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def log(message):
    print(message, flush=True)


def screen_size():
    """The X screen's size as the X server reports it."""
    text = subprocess.run(["xdpyinfo"], capture_output=True, text=True, check=True).stdout
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("dimensions:"):
            width, height = line.split()[1].split("x")
            return int(width), int(height)
    raise Failure("xdpyinfo names no screen dimensions")


class Sandbox:
    """A temporary folder holding a private copy of the game with its data
    folders, a configuration home and a home folder, so that no run touches
    the user's settings and every fault can be laid into the copy."""

    def __init__(self, game, copy=True):
        """With copy=False the game runs where it lies (an installed game),
        with only the configuration and home folders of its own."""
        self.root = tempfile.mkdtemp(prefix="vantorrel-e2e.")
        self.config = os.path.join(self.root, "config")
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.config)
        os.makedirs(self.home)
        if copy:
            self.game_dir = os.path.join(self.root, "game")
            os.makedirs(self.game_dir)
            source = os.path.dirname(os.path.abspath(game))
            self.game = os.path.join(self.game_dir, os.path.basename(game))
            shutil.copy2(game, self.game)
            for folder in DATA_FOLDERS:
                if os.path.isdir(os.path.join(source, folder)):
                    shutil.copytree(os.path.join(source, folder), os.path.join(self.game_dir, folder))
        else:
            self.game = game
            self.game_dir = os.path.dirname(game)
        # A stream that plays into nothing: the audio thread runs as on a
        # desktop, but a developer's speakers stay quiet.
        self.null_alsa = self.write("asound-null.conf", "pcm.!default { type null }\n")

    def path(self, *parts):
        return os.path.join(self.root, *parts)

    def write(self, name, text, mode="w"):
        path = self.path(name)
        with open(path, mode) as out:
            out.write(text)
        return path

    def settings_folder(self):
        return os.path.join(self.config, "Plumbrook")

    def settings_file(self):
        return os.path.join(self.settings_folder(), "Plumbrook.conf")

    def env(self, **overrides):
        env = dict(os.environ)
        env["XDG_CONFIG_HOME"] = self.config
        env["HOME"] = self.home
        env["ALSA_CONFIG_PATH"] = self.null_alsa
        env.pop("PULSE_SERVER", None)
        for name, value in overrides.items():
            if value is None:
                env.pop(name, None)
            else:
                env[name] = value
        return env

    def close(self):
        # Faults may have left folders without write permission.
        for folder, dirs, _ in os.walk(self.root):
            for name in dirs:
                os.chmod(os.path.join(folder, name), 0o755)
        os.chmod(self.root, 0o755)
        if os.environ.get("VANTORREL_E2E_KEEP"):
            log("kept " + self.root)
        else:
            shutil.rmtree(self.root, ignore_errors=True)


def without_file_override():
    """Prefix that makes permission bits bind even for root, who otherwise
    reads and writes everything: the run loses the capabilities that skip
    file permission checks."""
    if os.geteuid() != 0:
        return []
    return ["setpriv", "--bounding-set=-dac_override,-dac_read_search"]


class GameRun:
    """One start of the game, watched from outside."""

    all = []  # every run of this scenario, so that none outlives it

    def __init__(self, sandbox, args=(), env=None, prefix=(), sound_capture=None):
        GameRun.all.append(self)
        self.sandbox = sandbox
        self.stdout_path = sandbox.path("stdout-%d.txt" % time.monotonic_ns())
        self.stderr_path = self.stdout_path.replace("stdout", "stderr")
        self.pid_path = self.stdout_path.replace("stdout", "pid")
        self.pulse_path = self.stdout_path.replace("stdout", "pulse")
        self.window = None
        self.exit_code = None
        command = list(prefix) + [sandbox.game] + list(args)
        if sound_capture is not None:
            # The sink's server address and the game's process id are written
            # out before the shell turns into the game.
            command = [SOUND_SINK, sound_capture, "--", "sh", "-c",
                       'echo "$PULSE_SERVER" > "$0"; echo $$ > "$1"; shift; exec "$@"',
                       self.pulse_path, self.pid_path] + command
        self.started = time.monotonic()
        self.process = subprocess.Popen(command, env=env if env is not None else sandbox.env(),
                                        stdout=open(self.stdout_path, "wb"),
                                        stderr=open(self.stderr_path, "wb"),
                                        cwd=sandbox.home, start_new_session=True)
        self.pid = self.process.pid
        if sound_capture is not None:
            self.pid = None

    def game_pid(self):
        if self.pid is None:
            deadline = time.monotonic() + WINDOW_WAIT
            while time.monotonic() < deadline:
                if os.path.exists(self.pid_path):
                    text = open(self.pid_path).read().strip()
                    if text:
                        self.pid = int(text)
                        break
                check(self.process.poll() is None, "the sound sink ended before the game started")
                time.sleep(0.05)
            check(self.pid is not None, "the game did not start inside the sound sink")
        return self.pid

    def pulse_env(self):
        server = open(self.pulse_path).read().strip()
        return dict(os.environ, PULSE_SERVER=server)

    def output(self):
        with open(self.stdout_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def errors(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def alive(self):
        return self.process.poll() is None

    def wait_window(self):
        """Waits until the game has a window and gives it the keyboard."""
        pid = self.game_pid()
        deadline = time.monotonic() + WINDOW_WAIT
        while time.monotonic() < deadline:
            check(self.alive(), "the game ended before it opened a window:\n" + self.output() + self.errors())
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", "^Vantorrel$"],
                                   capture_output=True, text=True).stdout.split()
            if found:
                self.window = found[0]
                break
            time.sleep(0.1)
        check(self.window is not None, "no window appeared within %d s" % WINDOW_WAIT)
        subprocess.run(["xdotool", "windowfocus", "--sync", self.window], timeout=10, check=True)
        # Keys sent before the game polls its first events can be lost (SDL
        # resets its key states when the window gets the focus), so wait for
        # the first drawn frame: the screen, black around the game's window
        # and in it until then, is no longer all black. (A full-screen game's
        # named window lies under the one it draws in, so look at the root.)
        # The game's probe of the swap shows frames with one lit pixel in a
        # corner before anything is drawn, so a few lit pixels are not yet a
        # frame: wait for more than any probe lights.
        while time.monotonic() < deadline:
            check(self.alive(), "the game ended before it drew:\n" + self.output() + self.errors())
            xwd = subprocess.run(["xwd", "-root", "-silent"], capture_output=True, timeout=30).stdout
            ppm = subprocess.run(["convert", "xwd:-", "ppm:-"], input=xwd, capture_output=True, timeout=30).stdout
            if xwd and ppm:
                pixels = read_ppm(ppm).pixels
                if len(pixels) - pixels.count(0) > FIRST_FRAME_LIT_BYTES:
                    return self.window
            time.sleep(0.1)
        raise Failure("the screen stayed black for %d s" % WINDOW_WAIT)

    def window_size(self):
        text = subprocess.run(["xwininfo", "-id", self.window], capture_output=True, text=True).stdout
        values = {}
        for line in text.splitlines():
            line = line.strip()
            for key in ("Width:", "Height:"):
                if line.startswith(key):
                    values[key] = int(line.split()[1])
        return values["Width:"], values["Height:"]

    def key(self, *names, pause=0.0):
        for name in names:
            check(self.alive(), "the game ended before key %s:\n%s%s" % (name, self.output(), self.errors()))
            subprocess.run(["xdotool", "key", name], timeout=10, check=True)
            if pause:
                time.sleep(pause)

    def wait_exit(self, limit):
        try:
            self.exit_code = self.process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            raise Failure("the game still ran %.1f s later:\n%s%s" % (limit, self.output(), self.errors()))
        return self.exit_code

    def escape(self):
        """Presses Escape and returns the exit status and the seconds it took."""
        self.key("Escape")
        pressed = time.monotonic()
        code = self.wait_exit(EXIT_WAIT + self.sink_overhead())
        return code, time.monotonic() - pressed

    def sink_overhead(self):
        # with-sound-sink records one more second after the game has ended.
        return 3.0 if os.path.exists(self.pulse_path) else 0.0

    def stop(self):
        """Ends whatever is left of this run (the game's own process group)."""
        if self.process.poll() is None:
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.wait()


class QuickKeys:
    """Presses keys from this process through the X server's test extension,
    the way xdotool does, but without starting a process per press, which
    takes most of a second on a busy machine."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        check(self.display, "cannot open the X display %r" % os.environ.get("DISPLAY"))

    def press(self, name):
        code = self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(name.encode()))
        check(code != 0, "no key code for %r" % name)
        self.xtst.XTestFakeKeyEvent(self.display, code, 1, 0)
        self.xtst.XTestFakeKeyEvent(self.display, code, 0, 0)
        self.x11.XFlush(self.display)

    def close(self):
        self.x11.XCloseDisplay(self.display)


def x_server_pid():
    """The process id of the X server of DISPLAY (xvfb-run's Xvfb), or None."""
    display = os.environ.get("DISPLAY", "")
    for entry in os.listdir("/proc"):
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                words = f.read().split(b"\0")
        except (OSError, ValueError):
            continue
        if os.path.basename(words[0]) in (b"Xvfb", b"Xorg") and display.encode() in words[1:]:
            return int(entry)
    return None


def cpu_wait(pids):
    """Seconds the threads of these processes have spent ready to run but
    waiting for a processor (the kernel's run delay, summed): what a busy
    machine takes from them. Processes gone count nothing."""
    waited = 0
    for pid in pids:
        try:
            tasks = os.listdir("/proc/%d/task" % pid)
        except OSError:
            continue
        for task in tasks:
            try:
                with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                    waited += int(f.read().split()[1])
            except (OSError, IndexError, ValueError):
                pass
    return waited / 1e9


def expect_clean_exit(run, code, seconds):
    check(code == 0, "exit status %s after Escape (want 0); stderr:\n%s" % (code, run.errors()[-3000:]))
    check(seconds <= EXIT_WAIT, "took %.2f s to end after Escape" % seconds)
    check("ERROR: AddressSanitizer" not in run.errors(), "AddressSanitizer report:\n" + run.errors()[-3000:])


# --- pictures ---------------------------------------------------------------

class Picture:
    """An RGB picture, rows from the top."""

    def __init__(self, width, height, pixels):
        self.width = width
        self.height = height
        self.pixels = pixels

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]

    def count(self, x0, y0, x1, y1, test, step=1):
        """How many pixels of the box [x0, x1) × [y0, y1) pass `test`, and
        how many were looked at."""
        hits = total = 0
        for y in range(max(0, y0), min(self.height, y1), step):
            row = y * self.width * 3
            for x in range(max(0, x0), min(self.width, x1), step):
                i = row + x * 3
                total += 1
                if test(self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]):
                    hits += 1
        return hits, total


def read_ppm(data):
    # P6 header: magic, width, height, maximum value, each after white space;
    # "#" starts a comment up to the line end.
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    check(fields[0] == b"P6" and fields[3] == b"255", "unexpected screenshot format %r" % fields)
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + width * height * 3]
    check(len(pixels) == width * height * 3, "short screenshot")
    return Picture(width, height, pixels)


def screenshot(name, window=None):
    """The whole X screen as the player sees it, or only the given window
    (quicker); kept as PNG in the folder VANTORREL_E2E_SHOTS names, if set."""
    source = ["-id", window] if window else ["-root"]
    xwd = subprocess.run(["xwd", *source, "-silent"], capture_output=True, check=True, timeout=30).stdout
    ppm = subprocess.run(["convert", "xwd:-", "ppm:-"], input=xwd, capture_output=True, check=True,
                         timeout=30).stdout
    folder = os.environ.get("VANTORREL_E2E_SHOTS")
    if folder:
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["convert", "xwd:-", os.path.join(folder, name + ".png")], input=xwd, check=True)
    return read_ppm(ppm)


def eventually(name, look, seconds=SCREEN_WAIT):
    """Screenshots until `look(picture)` passes, that is raises no Failure,
    and returns what it returns; when `seconds` have gone, its last Failure.
    A check waits for the frame that shows what it checks, never for a fixed
    time, so that it holds however busy the machine is."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            return look(screenshot(name))
        except Failure:
            if time.monotonic() > deadline:
                raise
        time.sleep(0.1)


def picture_colours(path):
    """The distinct opaque colours of a picture file."""
    size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True,
                          check=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    rgba = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], capture_output=True, check=True).stdout
    colours = set()
    for i in range(0, width * height * 4, 4):
        if rgba[i + 3] == 255:
            colours.add((rgba[i], rgba[i + 1], rgba[i + 2]))
    return colours


def letterbox(window_width, window_height, screen_width, screen_height):
    """Where the 1280 × 720 picture lies on the screen: the window is centred
    on the screen (full screen or not), and inside it the picture keeps its
    16:9 shape, centred, with black bars filling the rest."""
    logical_w, logical_h = 1280.0, 720.0
    r = logical_h / logical_w
    s = window_height / window_width
    if r == s:
        box = (0.0, 0.0, float(window_width), float(window_height))
    elif r > s:
        width = logical_w / logical_h * window_height
        box = ((window_width - width) * 0.5, 0.0, width, float(window_height))
    else:
        height = r * window_width
        box = (0.0, (window_height - height) * 0.5, float(window_width), height)
    left = (screen_width - window_width) // 2
    top = (screen_height - window_height) // 2
    return left + int(box[0]), top + int(box[1]), int(box[2]), int(box[3])


class View:
    """Maps the game's logical 1280 × 720 coordinates onto screen pixels."""

    def __init__(self, box):
        self.x, self.y, self.width, self.height = box
        self.scale = self.width / 1280.0

    def px(self, x, y):
        return int(self.x + x * self.scale), int(self.y + y * self.scale)

    def box(self, x0, y0, x1, y1, inset=2):
        (a, b), (c, d) = self.px(x0, y0), self.px(x1, y1)
        return a + inset, b + inset, c - inset, d - inset


def check_bars(picture, view):
    """Everything outside the letterboxed picture is pure black, and the
    picture itself is not (the grain lightens even the darkest screen)."""
    W, H = picture.width, picture.height
    x0, y0, x1, y1 = view.x, view.y, view.x + view.width, view.y + view.height
    black = lambda r, g, b: r == 0 and g == 0 and b == 0
    bars = [(0, 0, W, y0 - 1), (0, y1 + 1, W, H), (0, 0, x0 - 1, H), (x1 + 1, 0, W, H)]
    looked = 0
    for bar in bars:
        hits, total = picture.count(*bar, black, step=3)
        check(hits == total, "letterbox bar %s is not black: %d of %d pixels" % (bar, total - hits, total))
        looked += total
    lit, total = picture.count(x0 + 2, y0 + 2, x1 - 2, y1 - 2, lambda r, g, b: not black(r, g, b), step=5)
    check(lit > 0.9 * total, "the picture area %s is mostly black (%d of %d lit)" % ((x0, y0, x1, y1), lit, total))
    return looked


# --- sound ------------------------------------------------------------------

def read_capture(path):
    samples = array.array("f")
    with open(path, "rb") as f:
        data = f.read()
    samples.frombytes(data[:len(data) // 8 * 8])
    return samples


def peak(samples):
    return max((abs(v) for v in samples), default=0.0)


def envelope(samples, rate=44100, window=0.005):
    """The largest absolute sample of both channels in each window."""
    step = int(rate * window) * 2
    return [max(max(samples[i:i + step]), -min(samples[i:i + step]))
            for i in range(0, len(samples) - step + 1, step)], window


def onsets(samples, level=0.1, rise=1.6, quiet_gap=0.3):
    """Times (seconds into the capture) where the sound jumps: the loudest
    5 ms window of the next 50 ms is above `level` and `rise` times the
    loudest of the 100 ms before. A boom decays more slowly than that, so each
    boom counts once, even over the tail of the one before. A run of exact
    zeros inside sound, up to a second, is the stream falling behind on a
    busy machine, not a new sound: the comparison then looks past it, to the
    sound before."""
    env, window = envelope(samples)
    found = []
    history = int(0.1 / window)
    ahead = int(0.05 / window)
    longest_dropout = int(1.0 / window)
    for k in range(1, len(env)):
        coming = max(env[k:k + ahead])
        if coming <= level or env[k] == 0.0:
            continue
        before = 0.0
        taken = 0
        j = k - 1
        while j >= 0 and taken < history:
            if env[j] == 0.0:
                run = j
                while run >= 0 and env[run] == 0.0:
                    run -= 1
                if j - run > longest_dropout or run < 0:
                    break
                j = run
                continue
            before = max(before, env[j])
            taken += 1
            j -= 1
        if coming > rise * before and env[k] > 1.3 * before:
            t = k * window
            if not found or t - found[-1] > quiet_gap:
                found.append(t)
    return found


def strongest_frequency(samples, rate, low, high):
    """The frequency in [low, high] Hz with the most energy in `samples`, to
    0.05 Hz: Hann-windowed Goertzel scans in 1 Hz, then 0.05 Hz steps."""
    n = len(samples)
    x = [s * (0.5 - 0.5 * math.cos(2 * math.pi * i / n)) for i, s in enumerate(samples)]

    def power(f):
        c, a, b = 2 * math.cos(2 * math.pi * f / rate), 0.0, 0.0
        for v in x:
            a, b = v + c * a - b, a
        return a * a + b * b - c * a * b
    best = max(range(int(low), int(high) + 1), key=power)
    return max((best + k * 0.05 for k in range(-20, 21)), key=power)
