#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Encodes an 8-bit RGB picture (rows from the top, three bytes a pixel) as
// the bytes of a PNG file, compressed with zlib; empty when it cannot.
namespace pngfile {

std::string encodeRgb(int32_t width, int32_t height, const std::vector<uint8_t>& rgb);

} // namespace pngfile
