#pragma once
#include "game/Camera.h"
#include "game/PilotInput.h"

// How far the player has slid the view up or down to look around: per-step
// state, moved only by `step`, never by drawing. It is kept apart from the
// pilot: the movement never sees the look keys' effect.
class LookCamera {
public:
    // One step with the directions held now: Up slides the view up, Down
    // down, both or neither let it return to the pilot.
    void step(const PilotInput& held);

    // Rows the view is moved down from the pilot's usual place: negative
    // while looking up, 0 at rest. Always a whole number of steps of
    // view::lookRowsPerStep, so the resting view is exactly the old one.
    float rows() const { return offset; }

private:
    float offset = 0.0f;
};
