#include "render/TexturePadding.h"
#include <cstring>

namespace padding {

uint32_t nextPowerOfTwo(uint32_t n)
{
    uint32_t p = 1;
    while (p < n && p < 0x80000000u)
        p <<= 1;
    return p < n ? n : p;
}

bool isPowerOfTwo(uint32_t n)
{
    return n != 0 && nextPowerOfTwo(n) == n;
}

namespace {

// Copies the rows into the top-left corner of a zeroed target of
// targetWidth × targetHeight, filling each row's tail with its last byte.
uint8_t* copyRows(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t targetWidth,
                  uint32_t targetHeight)
{
    const std::size_t targetRow = static_cast<std::size_t>(targetWidth) * 4;
    const std::size_t sourceRow = static_cast<std::size_t>(width) * 4;
    auto* target = new uint8_t[targetRow * targetHeight]();
    for (uint32_t row = 0; row < height; ++row) {
        uint8_t* out = target + row * targetRow;
        std::memcpy(out, pixels + row * sourceRow, sourceRow);
        const uint8_t last = sourceRow > 0 ? pixels[row * sourceRow + sourceRow - 1] : 0;
        std::memset(out + sourceRow, last, targetRow - sourceRow);
    }
    return target;
}

} // namespace

PaddedPicture padTexture(uint8_t* pixels, uint32_t width, uint32_t height)
{
    if (pixels == nullptr)
        return PaddedPicture{nullptr, 0, 0, 0.0f, 0.0f};
    if (isPowerOfTwo(width) && isPowerOfTwo(height))
        return PaddedPicture{pixels, width, height, 1.0f, 1.0f};
    const uint32_t targetWidth = nextPowerOfTwo(width);
    const uint32_t targetHeight = nextPowerOfTwo(height);
    uint8_t* target = copyRows(pixels, width, height, targetWidth, targetHeight);
    const std::size_t targetRow = static_cast<std::size_t>(targetWidth) * 4;
    if (height > 0) {
        const uint8_t* lastRow = target + (height - 1) * targetRow;
        for (uint32_t row = height; row < targetHeight; ++row)
            std::memcpy(target + row * targetRow, lastRow, targetRow);
    }
    delete[] pixels;
    return PaddedPicture{target, targetWidth, targetHeight,
                         static_cast<float>(width) / static_cast<float>(targetWidth),
                         static_cast<float>(height) / static_cast<float>(targetHeight)};
}

PaddedPicture padGlyph(uint8_t* pixels, uint32_t size)
{
    if (pixels == nullptr)
        return PaddedPicture{nullptr, 0, 0, 0.0f, 0.0f};
    if (isPowerOfTwo(size))
        return PaddedPicture{pixels, size, size, 1.0f, 1.0f};
    const uint32_t target = nextPowerOfTwo(size);
    uint8_t* padded = copyRows(pixels, size, size, target, target);
    delete[] pixels;
    return PaddedPicture{padded, target, target, 1.0f, 1.0f};
}

} // namespace padding
