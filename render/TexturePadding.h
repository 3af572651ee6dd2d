#pragma once
#include <cstdint>

// Power-of-two padding of pictures before upload: OpenGL 1.1 textures need
// power-of-two sides, so pictures are copied into the corner of a larger one.
namespace padding {

bool isPowerOfTwo(uint32_t n);
// Smallest power of two ≥ n; 1 for n ≤ 1.
uint32_t nextPowerOfTwo(uint32_t n);

struct PaddedPicture {
    uint8_t* pixels; // new[]-allocated, owned by the receiver
    uint32_t width;
    uint32_t height;
    float uMax;
    float vMax;
};

// Texture padding: each row's tail repeats the row's last byte (the alpha of
// its last pixel) in all four channels, and the rows below repeat the last
// padded row, so linear filtering at the picture's edge stays clean. Takes the
// caller's buffer over (released here when a new one is built).
PaddedPicture padTexture(uint8_t* pixels, uint32_t width, uint32_t height);

// Glyph padding of a square picture: like padTexture along each row, but the
// rows below stay transparent black. Takes the buffer over.
PaddedPicture padGlyph(uint8_t* pixels, uint32_t size);

} // namespace padding
