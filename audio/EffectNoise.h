#pragma once
#include <cstdint>

// White noise for the sound effects from a generator of their own (xorshift32),
// so that playing an effect leaves the program's random draws, and with them
// the melody and the drums' noise, as they were.
struct EffectNoise {
    uint32_t state = 0x9e3779b9u; // any non-zero start

    // Uniform in [-1, 1).
    float next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(static_cast<int32_t>(state)) * (1.0f / 2147483648.0f);
    }
};
