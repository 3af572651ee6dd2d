#!/usr/bin/env python3
"""End-to-end scenarios of the built game as a real process on an X server.

    scenarios.py SCENARIO GAME

GAME is the built executable; its data folders lie beside it. Every scenario
runs a private copy of the game with its own XDG_CONFIG_HOME and HOME in a
temporary folder, so the user's settings are never touched, and removes the
folder afterwards. Needs DISPLAY (ctest runs under xvfb-run).
Set VANTORREL_E2E_SHOTS to a folder to keep the screenshots."""

import sys
import time

from gamerun import Failure, GameRun, Sandbox, log
import files
import levels
import screens
import sound

# Every scenario by name, from the modules of their subjects.
SCENARIOS = {**screens.SCENARIOS, **sound.SCENARIOS, **levels.SCENARIOS, **files.SCENARIOS}


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
