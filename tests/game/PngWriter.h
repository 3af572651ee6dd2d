#pragma once
#include "base/PngWriter.h"

#include <cstdio>
#include <string>
#include <vector>

// Writes small 8-bit PNG files for tests through the project's PNG writer:
// RGB or RGBA truecolour, or a paletted picture whose entry i is grey i.
namespace pngwriter {

// colourType 2 (RGB, 3 bytes a pixel), 6 (RGBA, 4) or 3 (palette index, 1).
inline bool write(const std::string& path, int width, int height, int colourType, const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> greys;
    if (colourType == palette)
        for (int i = 0; i < 256; ++i)
            greys.insert(greys.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
    const std::string file = encode(width, height, static_cast<ColourType>(colourType), 8, pixels, greys);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr || file.empty()) {
        if (out != nullptr)
            std::fclose(out);
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

} // namespace pngwriter
