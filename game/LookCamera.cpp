#include "game/LookCamera.h"

#include <algorithm>

void LookCamera::step(const PilotInput& held)
{
    float target = 0.0f;
    if (held.up && !held.down) {
        target = -view::lookRows;
    } else if (held.down && !held.up) {
        target = view::lookRows;
    }
    // Steps of 1/8 and a slide of 6 are exact in single precision, so the
    // view comes back to exactly 0.
    if (offset < target) {
        offset = std::min(offset + view::lookRowsPerStep, target);
    } else if (offset > target) {
        offset = std::max(offset - view::lookRowsPerStep, target);
    }
}
