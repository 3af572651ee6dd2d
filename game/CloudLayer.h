#pragma once
#include "game/Camera.h"

#include <cstddef>
#include <cstdint>

class Drawer;
class RandomGenerator;
struct ScreenArea;

// The far background: 128 clouds in a 64 × 64 field that scrolls at 1/16 of
// the camera and drifts slowly sideways.
class CloudLayer {
public:
    static constexpr int32_t cloudCount = 128;
    static constexpr float fieldSize = 64.0f;

    struct Cloud {
        float x;
        float y;
        bool movingRight;
    };
    struct Origin {
        float x;
        float y;
    };

    // Scatters the clouds with the process-wide random generator.
    CloudLayer();
    explicit CloudLayer(RandomGenerator& random);

    // One step: the clouds drift, except in the first, which shows them
    // where they were scattered.
    void step();
    // Draws the clouds in the window.
    void draw(Drawer& drawer, Camera camera) const;
    // Only the clouds that reach into one of `shown` (logical pixels): the
    // rest of the screen is covered over later, and with it any cloud wholly
    // inside it.
    void draw(Drawer& drawer, Camera camera, const ScreenArea* shown, size_t count) const;
    // Moves every cloud one step, turning at the field's edges.
    void drift();

    // Top-left corner of the visible part of the field.
    static Origin windowOrigin(Camera camera);

    Cloud clouds[cloudCount];

private:
    bool stepped = false;
};
