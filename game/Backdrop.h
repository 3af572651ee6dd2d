#pragma once
#include <cstddef>
#include <cstdint>

class Drawer;
class ProcessStill;
struct ScreenArea;

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
// The same, drawn once and then shown from the drawer's kept still: it never
// changes, and drawing it anew costs two full-screen passes a frame. It must
// be the first drawing of the frame.
void show(Drawer& drawer, SkyTop top, uint32_t grainTexture, ProcessStill& still);
// Shown only in `areas` once kept, where the caller covers the rest of the
// frame with opaque drawing (the opaque tiles): the sky under them is never
// seen, and filling it costs a software renderer most of a layer.
void show(Drawer& drawer, SkyTop top, uint32_t grainTexture, ProcessStill& still, const ScreenArea* areas,
          size_t count);

} // namespace backdrop
