#pragma once
#include "game/PilotBody.h"
#include "game/PilotInput.h"
#include "game/RouteScript.h"

// The inputs of one run, one entry per step of the play screen. In a live
// run it records what each step really took: the directions held or tapped
// since the last step, and whether a jump press was waiting in the body.
// Played back, it gives each step the recorded input instead of the
// player's, so the run comes out the same to the last bit. A recording that
// ends without a win hands the pilot to the player: the steps after it take
// the player's input, as in a live run.
class RunTape {
public:
    // From now on the steps take these inputs, until they run out.
    void playBack(Route steps);
    // True while recorded steps are left to play.
    bool isPlayback() const { return playback; }
    // True when the step just taken was the first past the recording's end.
    bool ranOutThisStep() const { return runOutStep >= 0 && static_cast<size_t>(runOutStep) + 1 == steps.size(); }

    // The input of the coming step, taken by `body` next: the player's
    // (`live`, with any jump press already requested in the body) or the
    // tape's, which then replaces the body's jump press as well.
    PilotInput next(PilotInput live, PilotBody& body);

    // Every step taken so far.
    const Route& taken() const { return steps; }

private:
    Route script;
    Route steps;
    bool playback = false;
    int64_t runOutStep = -1; // the first step the player took over; -1: none
};
