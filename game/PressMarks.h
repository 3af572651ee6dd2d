#pragma once
#include "game/Camera.h"
#include "game/PilotBody.h"

#include <cstdint>

class Drawer;

// Short-lived marks at the pilot for presses that did not kick as meant: a
// pale blue ring where a press found no wall or came too soon, a red arrow
// sinking from the wall where a kick was made while falling and so ended at
// once. Like KickFlash they age in `step` and drawing only shows them.
class PressMarks {
public:
    static constexpr int32_t markSteps = 20; // steps a mark lasts (300 ms)
    static constexpr int32_t markCount = 4;  // a press every step keeps at most this many alive

    enum class Kind : uint8_t { wastedPress, fallingKick };
    struct Mark {
        float x = 0.0f; // cells: the middle of the pilot's box, or the kicked wall's face
        float y = 0.0f;
        Kind kind = Kind::wastedPress;
        int32_t age = markSteps; // steps since the press; markSteps: gone
    };

    // One step: the marks age, and a wasted press or a falling kick in this
    // step's events starts one. (x, y): the pilot's box corner after the step.
    void step(const PilotBody::StepEvents& events, float x, float y);
    void draw(Drawer& drawer, Camera camera) const;

    const Mark& mark(int32_t slot) const { return marks[slot]; }

private:
    Mark marks[markCount];
    int32_t next = 0;
};
