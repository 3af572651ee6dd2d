#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Writes small PNG files for tests: 8-bit RGB or RGBA truecolour, or an
// 8-bit paletted picture, with the image data in stored (uncompressed)
// deflate blocks so no compressor is needed.
namespace pngwriter {

inline uint32_t crc32(const std::vector<uint8_t>& bytes, std::size_t from)
{
    uint32_t crc = 0xffffffffu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return crc ^ 0xffffffffu;
}

inline void put32(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

inline void chunk(std::vector<uint8_t>& file, const char* type, const std::vector<uint8_t>& data)
{
    put32(file, static_cast<uint32_t>(data.size()));
    const std::size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    put32(file, crc32(file, start));
}

// colourType 2 (RGB, 3 bytes a pixel), 6 (RGBA, 4) or 3 (palette index, 1).
inline bool write(const std::string& path, int width, int height, int colourType, const std::vector<uint8_t>& pixels)
{
    const int channels = colourType == 6 ? 4 : colourType == 2 ? 3 : 1;
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // filter: none
        const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(y) * width * channels;
        raw.insert(raw.end(), row, row + width * channels);
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - offset);
        const bool last = offset + length == raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(length));
        zlib.push_back(static_cast<uint8_t>(length >> 8));
        zlib.push_back(static_cast<uint8_t>(~length));
        zlib.push_back(static_cast<uint8_t>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                    raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < raw.size());
    uint32_t a = 1;
    uint32_t b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    put32(zlib, (b << 16) | a);

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> header;
    put32(header, static_cast<uint32_t>(width));
    put32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, static_cast<uint8_t>(colourType), 0, 0, 0});
    chunk(file, "IHDR", header);
    if (colourType == 3) {
        std::vector<uint8_t> palette;
        for (int i = 0; i < 256; ++i) {
            palette.insert(palette.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
        }
        chunk(file, "PLTE", palette);
    }
    chunk(file, "IDAT", zlib);
    chunk(file, "IEND", {});

    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

} // namespace pngwriter
