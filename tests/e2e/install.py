#!/usr/bin/env python3
"""The game as a player installs it, run from where it was installed.

    install.py tree CMAKE BUILD_DIR [TOOL ...]
    install.py package CPACK BUILD_DIR [TOOL ...]

CMAKE and CPACK are the build's own cmake and cpack programs.

tree: `cmake --install` into a temporary prefix gives exactly the expected
files; the desktop entry and the AppStream metadata pass their validators and
the icons have their sizes; the tree, moved elsewhere, starts the game from
another working directory (title screen seen, Escape ends it with status 0)
and the installed tools find the game's data.

package: `cpack -G DEB` builds a package whose dependencies dpkg-shlibdeps
found and in which lintian finds no error; it is installed with apt-get,
/usr/games/vantorrel shows its title screen
and ends on Escape, the package is purged and nothing of it is left. Needs
root and changes the system, so it refuses to run where the package is
already installed or left files behind (exit status 77: skipped).

TOOL names the tools the build installs beside the game (renderwav, ...).
Needs DISPLAY (ctest runs under xvfb-run)."""

import glob
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

from gamerun import (WINDOW_WAIT, Failure, GameRun, Sandbox, View, check, expect_clean_exit, letterbox, log,
                     screen_size, screenshot)

SKIP = 77
APP_ID = "org.vantorrel.Vantorrel"
ICON_SIZES = (32, 48, 64, 128, 256)
DATA_FILES = (
    "levels/pilot.png", "levels/pilotEpilogue.png",
    "pitches/aeolianPentatonic.txt", "pitches/dorian.txt", "pitches/majorPentatonic.txt", "pitches/mixolydian.txt",
    "synthPatches/Bom.patch", "synthPatches/SeqBass.patch", "synthPatches/SeqDuck.patch",
    "synthPatches/SeqHi.patch", "synthPatches/SeqPad.patch",
    "fonts/CabinSketch-Bold.ttf", "fonts/CabinSketch-Bold.ttf.copyright",
)
APT = ["apt-get", "-y", "-q"]
APT_ENV = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
WINDOW = (960, 540)  # pixels: big enough to read the story line, small enough to grab quickly
# What the drawer says about every display it opens.
DISPLAY_LINES = ("OpenGLDrawer: ", "Using GLEW version: ", "Shader support: ")
SETTINGS = b"w 960\r\nh 540\r\na 0\r\nf 0\r\nns 0\r\nnm 0\r\naa DirectSound\r\n"


def expected_files(tools):
    """Every file an installation holds, relative to its prefix."""
    files = {"games/vantorrel", "share/applications/vantorrel.desktop",
             "share/metainfo/%s.metainfo.xml" % APP_ID,
             "share/doc/vantorrel/copyright", "share/doc/vantorrel/changelog.gz",
             "share/man/man6/vantorrel.6.gz"}
    files |= {"share/man/man1/%s.1.gz" % tool for tool in tools}
    files |= {"bin/" + tool for tool in tools}
    files |= {"share/vantorrel/" + name for name in DATA_FILES}
    files |= {"share/icons/hicolor/%dx%d/apps/vantorrel.png" % (n, n) for n in ICON_SIZES}
    return files


def files_under(prefix):
    found = set()
    for folder, _, names in os.walk(prefix):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), prefix))
    return found


def png_size(path):
    """Width, height and colour type from a PNG's header."""
    with open(path, "rb") as f:
        head = f.read(29)
    check(head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", "%s is no PNG" % path)
    width, height = struct.unpack(">II", head[16:24])
    return width, height, head[25]


def check_desktop_files(prefix):
    desktop = os.path.join(prefix, "share/applications/vantorrel.desktop")
    result = subprocess.run(["desktop-file-validate", desktop], capture_output=True, text=True, timeout=60)
    check(result.returncode == 0 and result.stdout.strip() == "",
          "desktop-file-validate: %s%s" % (result.stdout, result.stderr))
    entries = dict(line.split("=", 1) for line in open(desktop).read().splitlines() if "=" in line)
    check(entries.get("Exec") == "vantorrel" and entries.get("Icon") == "vantorrel",
          "the entry starts %r with icon %r" % (entries.get("Exec"), entries.get("Icon")))

    metainfo = os.path.join(prefix, "share/metainfo/%s.metainfo.xml" % APP_ID)
    result = subprocess.run(["appstreamcli", "validate", "--no-net", metainfo], capture_output=True, text=True,
                            timeout=60)
    check(result.returncode == 0, "appstreamcli validate: %s%s" % (result.stdout, result.stderr))
    root = ElementTree.parse(metainfo).getroot()
    check(root.findtext("id") == APP_ID, "metainfo id %r" % root.findtext("id"))
    check(root.findtext("launchable") == "vantorrel.desktop", "metainfo launches %r" % root.findtext("launchable"))

    for n in ICON_SIZES:
        size = png_size(os.path.join(prefix, "share/icons/hicolor/%dx%d/apps/vantorrel.png" % (n, n)))
        check(size == (n, n, 6), "the %d-pixel icon is %r (want %d x %d RGBA)" % (n, size, n, n))
    return root


def sees_title_and_quits(game):
    """Starts the installed game from a home folder of its own, sees the first
    story line in yellow in the letterboxed picture, and ends it with Escape.
    The run must say nothing beyond the display's diagnostics: data, font
    and sound all found."""
    sandbox = Sandbox(game, copy=False)
    try:
        os.makedirs(sandbox.settings_folder())
        with open(sandbox.settings_file(), "wb") as f:
            f.write(SETTINGS)
        run = GameRun(sandbox, [])  # the options come from the settings file
        run.wait_window()
        width, height = screen_size()
        view = View(letterbox(WINDOW[0], WINDOW[1], width, height))
        story = view.box(128, 390, 1152, 500, inset=0)
        yellow = lambda r, g, b: r > 170 and g > 170 and b < 110
        deadline = time.monotonic() + WINDOW_WAIT
        while True:
            hits, _ = screenshot("installed-title").count(*story, yellow)
            if hits > 150 or time.monotonic() > deadline:
                break
            time.sleep(0.1)
        check(hits > 150, "the first story line shows %d yellow pixels" % hits)
        code, seconds = run.escape()
        expect_clean_exit(run, code, seconds)
        # Only the display's own diagnostics: no data folder, font, patch or
        # audio message.
        unexpected = [line for line in run.output().splitlines() if not line.startswith(DISPLAY_LINES)]
        check(unexpected == [], "the installed game printed:\n" + run.output())
    finally:
        for run in list(GameRun.all):
            run.stop()
        GameRun.all.clear()
        sandbox.close()


def tools_find_the_data(prefix, tools, work):
    if "renderwav" in tools:
        wav = os.path.join(work, "music.wav")
        result = subprocess.run([os.path.join(prefix, "bin/renderwav"), "--seconds", "1", "--output", wav],
                                cwd=work, capture_output=True, text=True, timeout=120)
        check(result.returncode == 0, "renderwav ended with %d:\n%s%s" % (result.returncode, result.stdout,
                                                                           result.stderr))
        check("ould not" not in result.stdout and "pitches:" in result.stdout,
              "renderwav did not find the game's data:\n" + result.stdout)
        check(os.path.getsize(wav) > 44100 * 2 * 2, "renderwav wrote %d bytes" % os.path.getsize(wav))
    for tool in tools:
        check(os.access(os.path.join(prefix, "bin", tool), os.X_OK), "bin/%s is not executable" % tool)


def tree(cmake, build, tools):
    work = tempfile.mkdtemp(prefix="vantorrel-install.")
    try:
        first = os.path.join(work, "first")
        subprocess.run([cmake, "--install", build, "--prefix", first], check=True, capture_output=True,
                       timeout=120)
        found = files_under(first)
        want = expected_files(tools)
        check(found == want, "installed files differ: missing %s, extra %s" % (sorted(want - found),
                                                                            sorted(found - want)))
        check_desktop_files(first)
        # The tree works wherever it is moved.
        moved = os.path.join(work, "moved", "elsewhere")
        os.makedirs(os.path.dirname(moved))
        os.rename(first, moved)
        sees_title_and_quits(os.path.join(moved, "games", "vantorrel"))
        tools_find_the_data(moved, tools, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def dpkg_status(package):
    result = subprocess.run(["dpkg-query", "-W", "-f=${Status}", package], capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 else ""


def package(cpack, build, tools):
    if os.geteuid() != 0:
        log("skipped: installing a package needs root")
        return SKIP
    if dpkg_status("vantorrel"):
        log("skipped: vantorrel is installed on this system (%s); the test will not touch it"
            % dpkg_status("vantorrel"))
        return SKIP
    work = tempfile.mkdtemp(prefix="vantorrel-package.")
    try:
        started = time.monotonic()
        result = subprocess.run([cpack, "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"),
                                 "-B", work], capture_output=True, text=True, timeout=300)
        check(result.returncode == 0, "cpack failed:\n%s%s" % (result.stdout, result.stderr))
        debs = glob.glob(os.path.join(work, "*.deb"))
        check(len(debs) == 1, "cpack made %r" % debs)
        deb = debs[0]
        log("built %s in %.1f s" % (os.path.basename(deb), time.monotonic() - started))

        def field(name):
            return subprocess.run(["dpkg-deb", "-f", deb, name], capture_output=True, text=True,
                                  check=True).stdout.strip()
        depends = [d.strip().split()[0] for d in field("Depends").split(",")]
        log("Depends: " + field("Depends"))
        # The libraries the game is linked against, as dpkg-shlibdeps names
        # their packages: the list is found, not written by hand.
        for library in ("libc6", "libstdc++6", "libsdl1.2debian", "libsdl-image1.2", "libsdl-ttf2.0-0",
                        "libportaudio2", "libasound2", "libglew2.2", "libgl1", "libx11-6"):
            check(library in depends, "%s is not among the dependencies %r" % (library, depends))
        check(field("Package") == "vantorrel" and field("Architecture") != "", "package fields")
        # Debian's own checks: no error. The tags kept are explained in
        # docs/packaging.md.
        result = subprocess.run(["lintian", "--fail-on", "error", deb], capture_output=True, text=True, timeout=300)
        log("lintian: %s" % (result.stdout.strip() or "nothing to say"))
        check(result.returncode == 0 and "\nE: " not in "\n" + result.stdout,
              "lintian found errors (status %d):\n%s%s" % (result.returncode, result.stdout, result.stderr))

        # Every path the package would create, and whether it is there now:
        # afterwards, whatever was not there must be gone again.
        listing = subprocess.run(["dpkg-deb", "--fsys-tarfile", deb], capture_output=True, check=True).stdout
        names = subprocess.run(["tar", "-t"], input=listing, capture_output=True, check=True).stdout.decode()
        paths = [os.path.normpath("/" + name) for name in names.split("\n") if name.strip()]
        existed = {path: os.path.lexists(path) for path in paths}
        for path in ("/usr/share/vantorrel", "/usr/games/vantorrel", "/usr/share/applications/vantorrel.desktop"):
            if existed.get(path, os.path.lexists(path)):
                log("skipped: %s is already on this system; the test will not touch it" % path)
                return SKIP

        installed = False
        try:
            # As the README tells a player: apt checks the dependencies
            # against what the system has.
            result = subprocess.run(APT + ["install", "--no-install-recommends", deb], env=APT_ENV,
                                    capture_output=True, text=True, timeout=300)
            installed = True
            check(result.returncode == 0, "apt-get install failed:\n%s%s" % (result.stdout, result.stderr))
            check(dpkg_status("vantorrel") == "install ok installed", "status %r" % dpkg_status("vantorrel"))
            listed = subprocess.run(["dpkg", "-L", "vantorrel"], capture_output=True, text=True,
                                    check=True).stdout.split("\n")
            owned = {line for line in listed if line.startswith("/")}
            want = {"/usr/" + name for name in expected_files(tools)}
            check(want <= owned, "the package lacks %s" % sorted(want - owned))
            extra = {p for p in owned - want if not os.path.isdir(p)}
            check(not extra, "the package holds unexpected files %s" % sorted(extra))
            check_desktop_files("/usr")
            check(field("Version") == ElementTree.parse("/usr/share/metainfo/%s.metainfo.xml" % APP_ID)
                  .getroot().find("releases/release").get("version"),
                  "the package's version is not the metainfo's newest release")
            sees_title_and_quits("/usr/games/vantorrel")
        finally:
            if installed:
                result = subprocess.run(APT + ["purge", "vantorrel"], env=APT_ENV, capture_output=True,
                                        text=True, timeout=300)
                check(result.returncode == 0, "apt-get purge failed:\n%s%s" % (result.stdout, result.stderr))
        check(dpkg_status("vantorrel") == "", "still known to dpkg: %r" % dpkg_status("vantorrel"))
        left = [path for path in paths if not existed[path] and os.path.lexists(path)]
        check(not left, "left behind after purging: %s" % left)
        check(not os.path.lexists("/usr/share/vantorrel"), "/usr/share/vantorrel is still there")
        log("installed, played, purged in %.1f s" % (time.monotonic() - started))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("tree", "package"):
        print(__doc__, file=sys.stderr)
        return 2
    program, build, tools = sys.argv[2], os.path.abspath(sys.argv[3]), sys.argv[4:]
    started = time.monotonic()
    try:
        status = (tree if sys.argv[1] == "tree" else package)(program, build, tools) or 0
    except Failure as failure:
        log("FAILED %s: %s" % (sys.argv[1], failure))
        return 1
    if status == 0:
        log("passed %s in %.1f s" % (sys.argv[1], time.monotonic() - started))
    return status


if __name__ == "__main__":
    sys.exit(main())
