#pragma once
#include "base/RgbaImage.h"
#include <cstdint>
#include <string>

// Turns encoded PNG or JPEG bytes into an RgbaImage; any other format gives
// the empty image. Holds no state; build one on the stack, decode, let it go.
// Every failure gives the empty image and prints nothing.
class ImageLoader {
public:
    RgbaImage loadFromMemory(const unsigned char* data, int32_t length);
    // When the file is refused for a reason the player can act on (a JPEG of
    // more scans than are decoded), `refusal`, if given, receives it.
    RgbaImage loadFromFile(const std::string& path, std::string* refusal = nullptr);
};
