#pragma once
#include <cstdint>

// The directions the player holds: 1 while held, 0 otherwise. Movement reads
// only left and right; up and down slide the play screen's view (LookCamera).
struct PilotInput {
    uint8_t up = 0;
    uint8_t left = 0;
    uint8_t right = 0;
    uint8_t down = 0;
};
