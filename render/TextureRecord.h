#pragma once
#include <cstdint>

// What the drawer knows of one uploaded texture. width and height are the
// picture's own size; uMax and vMax the part of the (possibly padded) texture
// it covers.
struct TextureRecord {
    uint32_t glName = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    float uMax = 0.0f;
    float vMax = 0.0f;
};
