#pragma once
#include "data/EmbeddedBytes.h"

#include <cstdint>

class Drawer;

// Turns a picture the program carries into a texture of the drawer. Pixel art
// is uploaded with nearest-texel filtering so it stays sharp when scaled;
// filtering is switched back on afterwards. 0 when the picture does not decode.
uint32_t createPictureTexture(Drawer& drawer, EmbeddedBytes picture, bool pixelArt);

// A texture made once per process on first use, kept in a static of the code
// that draws it. Remembers the drawer it was made with, so a new drawer (as in
// tests) gets a fresh one instead of a key it never handed out.
class ProcessTexture {
public:
    uint32_t key(Drawer& drawer, EmbeddedBytes picture, bool pixelArt);

private:
    const Drawer* madeWith = nullptr;
    uint32_t made = 0;
};
