#pragma once
#include <cstdint>

// The rectangle of the window that shows the logical area at its own aspect
// ratio, in window pixels, y measured up from the window's bottom edge.
struct Letterbox {
    float x;
    float y;
    float width;
    float height;
};

// An OpenGL viewport in whole window pixels.
struct PixelRect {
    int x;
    int y;
    int width;
    int height;
};

Letterbox computeLetterbox(int16_t logicalWidth, int16_t logicalHeight, uint16_t windowWidth, uint16_t windowHeight);

// The letterbox with every value truncated toward zero, as OpenGL gets it.
PixelRect truncated(const Letterbox& box);

// The window rectangle of a logical sub-rectangle (top-down y) of the letterbox.
PixelRect subViewport(const Letterbox& box, int16_t logicalWidth, int16_t logicalHeight,
                      int16_t x, int16_t y, int16_t w, int16_t h);
