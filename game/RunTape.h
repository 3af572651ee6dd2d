#pragma once
#include "game/Assists.h"
#include "game/PilotBody.h"
#include "game/PilotInput.h"
#include "game/RouteScript.h"

// The inputs of one run, one entry per step of the play screen. In a live
// run it records what each step really took: the directions held or tapped
// since the last step, and whether a jump press was waiting in the body.
// Played back, it gives each step the recorded input instead of the
// player's, and the kick buffer it was recorded with, so the run comes out
// the same to the last bit. A recording that ends without a win hands the
// pilot to the player: the steps after it take the player's input and
// assists, as in a live run.
class RunTape {
public:
    // From now on the steps take these inputs, until they run out; `made`
    // are the assists they were recorded with.
    void playBack(Route steps, const Assists& made);
    // True while recorded steps are left to play.
    bool isPlayback() const { return playback; }
    // True when the step just taken was the first past the recording's end.
    bool ranOutThisStep() const { return runOutStep >= 0 && static_cast<size_t>(runOutStep) + 1 == steps.size(); }
    // The assists of the recording being played.
    const Assists& recordedAssists() const { return recorded; }

    // The input of the coming step, taken by `body` next: the player's
    // (`live`, with any jump press already requested in the body, and the
    // player's kick buffer) or the tape's, which then replaces the body's
    // jump press and kick buffer as well.
    PilotInput next(PilotInput live, PilotBody& body, const Assists& player);

    // Every step taken so far.
    const Route& taken() const { return steps; }
    // The help the player's own steps had: the slowest game speed in force
    // for one of them, and the kick buffer when it was on for one. No
    // assist before the first such step.
    const Assists& liveAssists() const { return used; }
    // The kick buffer was on for some of the player's steps and off for
    // others; one header cannot say so, so a replay would not come out the same.
    bool kickBufferSwitched() const { return switched; }

private:
    Route script;
    Route steps;
    Assists recorded;
    Assists used;
    bool playback = false;
    bool switched = false;
    int64_t liveSteps = 0;
    int64_t runOutStep = -1; // the first step the player took over; -1: none
};
