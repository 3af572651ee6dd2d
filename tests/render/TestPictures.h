#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Pictures made on the spot for the decoding and drawing checks.
namespace testpictures {

using Bytes = std::vector<unsigned char>;

// PNG colour types.
constexpr int grey = 0;
constexpr int rgb = 2;
constexpr int paletted = 3;
constexpr int greyAlpha = 4;
constexpr int rgba = 6;

// A PNG of 8-bit samples; `samples` holds width × height × channels bytes
// (channels from the colour type; paletted uses one index per pixel and a
// two-entry palette). With a bit depth of 16 each sample is two bytes, the
// high one first.
Bytes encodePng(int width, int height, int colourType, const std::vector<uint8_t>& samples, int bitDepth = 8);

// One PNG chunk with its length and CRC.
Bytes pngChunk(const char type[4], const Bytes& data);

// A baseline JPEG of RGB samples at the given quality; progressive, with
// libjpeg's standard script of 10 scans, when asked.
Bytes encodeJpeg(int width, int height, const std::vector<uint8_t>& rgbSamples, int quality,
                 bool progressive = false);

// A new[] RGBA buffer of one colour, for handing to the drawer.
uint8_t* solidPixels(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b, uint8_t a);

void writeFile(const std::string& path, const Bytes& bytes);
std::string tempFolder();

} // namespace testpictures
