#include "game/PngChunkCheck.h"
#include <cstdint>
#include <cstring>

namespace pngcheck {
namespace {

constexpr unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t chunkOverhead = 12; // length, type, CRC
constexpr std::size_t headerDataLength = 13;

uint32_t readBigEndian(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

} // namespace

bool hasPngSignature(const unsigned char* data, std::size_t length)
{
    return data != nullptr && length >= sizeof signature && std::memcmp(data, signature, sizeof signature) == 0;
}

bool isSafeToDecode(const unsigned char* data, std::size_t length)
{
    if (!hasPngSignature(data, length))
        return true;
    std::size_t offset = sizeof signature;
    bool first = true;
    while (offset < length) {
        if (length - offset < chunkOverhead)
            return false;
        const std::size_t dataLength = readBigEndian(data + offset);
        if (dataLength > length - offset - chunkOverhead)
            return false;
        const unsigned char* type = data + offset + 4;
        if (first) {
            // The header must come first; its size decides the allocation.
            if (std::memcmp(type, "IHDR", 4) != 0 || dataLength != headerDataLength)
                return false;
            const uint32_t width = readBigEndian(data + offset + 8);
            const uint32_t height = readBigEndian(data + offset + 12);
            if (width == 0 || height == 0 || width > maxSide || height > maxSide)
                return false;
            if (static_cast<unsigned long long>(width) * height > maxPixels)
                return false;
            first = false;
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            return true;
        offset += chunkOverhead + dataLength;
    }
    return false; // no IEND: cut short
}

} // namespace pngcheck
