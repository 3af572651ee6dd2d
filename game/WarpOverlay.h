#pragma once
#include <cstdint>

class Drawer;

// Four coloured rings spinning at the screen centre: growing they close the
// play screen after the win, shrinking they open the ending.
class WarpOverlay {
public:
    static constexpr int32_t ringCount = 4;
    static constexpr int32_t colourCount = 6;
    static constexpr int32_t framesPerColour = 8;

    struct Colour {
        float r;
        float g;
        float b;
    };

    explicit WarpOverlay(bool shrinking);

    // One step of size, angle and colours.
    void step();
    void draw(Drawer& drawer) const;
    float getProgress() const { return progress; }
    float getAngle() const { return angle; }
    // Colour ring 0..3 shows now.
    Colour ringColour(int32_t ring) const { return colours[(ring + colourOffset) % colourCount]; }

private:
    float progress;
    float angle = 0.0f;
    Colour colours[colourCount] = {
        {1.0f, 0.0f, 0.0f}, {0.0f, 0.75f, 0.0f}, {1.0f, 0.5f, 0.0f},
        {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 1.0f},
    };
    int32_t colourOffset = 0;
    int32_t colourCountdown = framesPerColour;
    bool shrinking;
};
