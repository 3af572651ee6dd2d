#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Encodes pictures as the bytes of a PNG file, compressed with zlib: the one
// PNG writer of the tools, the benchmarks and the tests.
namespace pngwriter {

enum ColourType : uint8_t { grey = 0, rgb = 2, palette = 3, greyAlpha = 4, rgba = 6 };

// `rows`: height rows from the top, each its samples packed at `depth` bits
// (1, 2, 4, 8 or 16, big-endian) and padded to a whole byte, with no filter
// byte. `paletteRgb`: red, green, blue bytes per entry, for a paletted
// picture. Empty when the sizes do not fit together or compression fails.
std::string encode(int32_t width, int32_t height, ColourType type, int depth, const std::vector<uint8_t>& rows,
                   const std::vector<uint8_t>& paletteRgb = {});

// Bytes in one packed row.
std::size_t rowBytes(int32_t width, ColourType type, int depth);

} // namespace pngwriter
