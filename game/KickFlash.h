#pragma once
#include "game/Camera.h"
#include "game/PilotBody.h"

#include <cstdint>

class Drawer;

// A brief burst of light on the wall where a wall kick pushed off. It ages
// once a step, in `step`, so every step, drawn or not, and every replay see
// the same flashes; drawing only shows it.
class KickFlash {
public:
    static constexpr int32_t flashSteps = 12; // steps a flash lasts (180 ms)
    static constexpr int32_t flashCount = 4;  // at most one kick every 4 steps: never more alive at once

    struct Flash {
        float x = 0.0f;   // cells: the wall's face
        float y = 0.0f;   // cells: the middle of the pilot's box at the kick
        float away = 1.0f; // +1: the open side is to the right of the face, -1: to the left
        int32_t age = flashSteps; // steps since the kick; flashSteps: gone
    };

    // One step: the flashes age, and the step's kick, if any, starts one.
    void step(const PilotBody::StepEvents& events);
    void draw(Drawer& drawer, Camera camera) const;

    // The flashes now, oldest slot first.
    const Flash& flash(int32_t slot) const { return flashes[slot]; }
    int32_t liveCount() const;

private:
    Flash flashes[flashCount];
    int32_t next = 0;
};
