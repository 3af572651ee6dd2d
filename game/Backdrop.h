#pragma once
#include <cstdint>

class Drawer;

// The layers behind every level: a sky fading to white at the bottom and a
// faint grain added over it.
namespace backdrop {

struct SkyTop {
    uint8_t r;
    uint8_t g;
    uint8_t b;
};

constexpr SkyTop playSky{96, 96, 255};     // blue
constexpr SkyTop epilogueSky{112, 96, 128}; // violet

// Decodes the grain picture and uploads it; each screen keeps its own key.
uint32_t createGrainTexture(Drawer& drawer);
// The sky gradient over the whole logical area, then the grain added on top.
void draw(Drawer& drawer, SkyTop top, uint32_t grainTexture);

} // namespace backdrop
