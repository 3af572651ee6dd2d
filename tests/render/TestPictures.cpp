#include "TestPictures.h"
#include "base/PngWriter.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <jpeglib.h>
#include <stdexcept>
#include <zlib.h>

namespace testpictures {
namespace {

void putBigEndian(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<unsigned char>(value >> 24));
    out.push_back(static_cast<unsigned char>(value >> 16));
    out.push_back(static_cast<unsigned char>(value >> 8));
    out.push_back(static_cast<unsigned char>(value));
}

} // namespace

Bytes pngChunk(const char type[4], const Bytes& data)
{
    Bytes out;
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBigEndian(out, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
    return out;
}

Bytes encodePng(int width, int height, int colourType, const std::vector<uint8_t>& samples, int bitDepth)
{
    const std::vector<uint8_t> palette = {255, 0, 0, 0, 0, 255};
    const std::string file = pngwriter::encode(width, height, static_cast<pngwriter::ColourType>(colourType), bitDepth,
                                               samples, colourType == paletted ? palette : std::vector<uint8_t>{});
    if (file.empty())
        throw std::runtime_error("the picture's samples do not match its size");
    return Bytes(file.begin(), file.end());
}

Bytes encodeJpeg(int width, int height, const std::vector<uint8_t>& rgbSamples, int quality, bool progressive)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPLE*>(rgbSamples.data() + static_cast<std::size_t>(info.next_scanline) * width * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

uint8_t* solidPixels(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    auto* pixels = new uint8_t[static_cast<std::size_t>(width) * height * 4];
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
        pixels[i * 4 + 0] = r;
        pixels[i * 4 + 1] = g;
        pixels[i * 4 + 2] = b;
        pixels[i * 4 + 3] = a;
    }
    return pixels;
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string tempFolder()
{
    char pattern[] = "/tmp/vantorrel-render-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr)
        throw std::runtime_error("no temp folder");
    return made;
}

} // namespace testpictures
