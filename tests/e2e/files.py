"""Scenarios of the settings file, the data folders and font files."""

import os
import shutil
import stat
import time

from gamerun import (WINDOW_WAIT, GameRun, check, expect_clean_exit, screen_size, screenshot,
                     without_file_override)

from checks import *  # noqa: F401,F403 (the scenarios' shared checks)


def missing_folder(name, expected, times=1):
    def scenario(sandbox):
        shutil.rmtree(os.path.join(sandbox.game_dir, name))
        run = GameRun(sandbox, WINDOWED)
        plays_on(run, expected(sandbox), shot="no-" + name, times=times)
    scenario.__doc__ = "No %s folder beside the game." % name
    return scenario


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


SCENARIOS = {
    "no_levels": missing_folder("levels", lambda s: level_message(s) + ": No such file or directory"),
    "no_synth_patches": missing_folder(
        "synthPatches", lambda s: "PolyphonicSynth: Could not open patch file "
        + os.path.join(s.game_dir, "synthPatches", "Bom.patch")),
    "no_pitches": missing_folder("pitches", lambda s: "FilePath: No pitches folder in %s or %s" % (
        os.path.join(s.game_dir, "pitches"), s.path("share", "vantorrel", "pitches"))),
    # Asked for at two sizes (the title screen's and the speed display's), said once.
    "no_fonts": missing_folder("fonts", lambda s: "OpenGLFont: Could not find font: MarsNeedsCunnilingus.ttf"),
    "unreadable_settings": unreadable_settings,
    "read_only_settings": read_only_settings,
    "unwritable_config": unwritable_config,
    "fifo_font": fifo_font,
    "fifo_settings": fifo_settings,
    "settings_bom": settings_bom,
    "dangling_settings_link": dangling_settings_link,
}
