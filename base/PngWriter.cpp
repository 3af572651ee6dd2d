#include "base/PngWriter.h"

#include <zlib.h>

namespace pngwriter {

namespace {

constexpr uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

void put32(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(static_cast<uint8_t>(value >> shift)));
}

void chunk(std::string& file, const char* type, const std::string& data)
{
    put32(file, static_cast<uint32_t>(data.size()));
    const std::size_t start = file.size();
    file.append(type, 4);
    file.append(data);
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(file.data() + start), static_cast<uInt>(file.size() - start));
    put32(file, static_cast<uint32_t>(crc));
}

int channels(ColourType type)
{
    switch (type) {
    case rgb:
        return 3;
    case greyAlpha:
        return 2;
    case rgba:
        return 4;
    case grey:
    case palette:
        break;
    }
    return 1;
}

} // namespace

std::size_t rowBytes(int32_t width, ColourType type, int depth)
{
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(channels(type)) * static_cast<std::size_t>(depth) + 7) / 8;
}

std::string encode(int32_t width, int32_t height, ColourType type, int depth, const std::vector<uint8_t>& rows,
                   const std::vector<uint8_t>& paletteRgb)
{
    const std::size_t stride = rowBytes(width, type, depth);
    if (width <= 0 || height <= 0 || rows.size() != stride * static_cast<std::size_t>(height))
        return {};
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * static_cast<std::size_t>(height));
    for (int32_t row = 0; row < height; ++row) {
        raw.push_back(0); // no filter
        const auto first = rows.begin() + static_cast<std::ptrdiff_t>(stride * static_cast<std::size_t>(row));
        raw.insert(raw.end(), first, first + static_cast<std::ptrdiff_t>(stride));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return {};
    packed.resize(packedSize);

    std::string file(reinterpret_cast<const char*>(signature), sizeof signature);
    std::string header;
    put32(header, static_cast<uint32_t>(width));
    put32(header, static_cast<uint32_t>(height));
    header += {static_cast<char>(depth), static_cast<char>(type), 0, 0, 0};
    chunk(file, "IHDR", header);
    if (!paletteRgb.empty())
        chunk(file, "PLTE", std::string(paletteRgb.begin(), paletteRgb.end()));
    chunk(file, "IDAT", packed);
    chunk(file, "IEND", {});
    return file;
}

} // namespace pngwriter
