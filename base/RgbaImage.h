#pragma once
#include <cstdint>

// A decoded picture: width × height pixels of R, G, B, A bytes, rows from the
// top with no gap. The record does not own its array: whoever receives a
// non-empty image releases pixels with delete[]. {nullptr, 0, 0} is the empty
// image every decoding failure gives.
struct RgbaImage {
    uint8_t* pixels;
    int32_t width;
    int32_t height;
};
