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

// The sky gradient over the whole logical area, then the grain added on top.
void draw(Drawer& drawer, SkyTop top, uint32_t grainTexture);

} // namespace backdrop
