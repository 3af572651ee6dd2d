#pragma once
#include "base/RgbaImage.h"
#include <cstdint>
#include <string>

// Turns encoded PNG or JPEG bytes into an RgbaImage; any other format gives
// the empty image. Holds no state; build one on the stack, decode, let it go.
// Every failure gives the empty image and prints nothing; `refusal`, if
// given, then receives why in words for a message.
class ImageLoader {
public:
    RgbaImage loadFromMemory(const unsigned char* data, int32_t length, std::string* refusal = nullptr);
    RgbaImage loadFromFile(const std::string& path, std::string* refusal = nullptr);
};
