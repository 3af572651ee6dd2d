#pragma once
#include "game/Camera.h"

#include <cstdint>

class Drawer;
class PilotBody;
class RandomGenerator;

// Spinning stars left behind the airborne pilot: a ring of 128 that
// overwrites the oldest when full; at most one is born per frame.
class TrailParticles {
public:
    static constexpr int32_t particleCount = 128;
    static constexpr float shrinkPerFrame = 0.075f;

    struct Particle {
        float x = 0.0f;
        float y = 0.0f;
        float size = 0.0f; // alive while above 0
        float red = 0.0f;
        float green = 0.0f;
        float blue = 0.0f;
        float angle = 0.0f; // degrees
        float spin = 0.0f;  // degrees per frame
    };

    // A new star at the pilot's corner, unless one was born in this step.
    void spawn(const PilotBody& body);
    void spawn(float x, float y, RandomGenerator& random);
    // The stars shown by the last step shrink and turn, and a new one may be
    // born again; the screens call it before this step's spawn.
    void step();
    // Draws the live stars.
    void draw(Drawer& drawer, Camera camera) const;

    // Opacity of a star of that size: full down to size 1, then fading to 0.
    static float fade(float size);

    Particle particles[particleCount];
    int32_t next = 0;
    int32_t cooldown = 0;
};
