#include "PngFile.h"

#include <zlib.h>

namespace pngfile {

namespace {

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void chunk(std::vector<uint8_t>& file, const char* type, const std::vector<uint8_t>& data)
{
    put32(file, static_cast<uint32_t>(data.size()));
    const std::size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, file.data() + start, static_cast<uInt>(file.size() - start));
    put32(file, static_cast<uint32_t>(crc));
}

} // namespace

std::string encodeRgb(int32_t width, int32_t height, const std::vector<uint8_t>& rgb)
{
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    if (width <= 0 || height <= 0 || rgb.size() != rowBytes * static_cast<std::size_t>(height)) {
        return {};
    }
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int32_t row = 0; row < height; ++row) {
        raw.push_back(0); // no filter
        const auto first = rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<std::size_t>(row));
        raw.insert(raw.end(), first, first + static_cast<std::ptrdiff_t>(rowBytes));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK) {
        return {};
    }
    packed.resize(packedSize);

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> header;
    put32(header, static_cast<uint32_t>(width));
    put32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit truecolour
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", packed);
    chunk(file, "IEND", {});
    return std::string(file.begin(), file.end());
}

} // namespace pngfile
