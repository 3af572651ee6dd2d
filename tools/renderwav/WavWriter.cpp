#include "WavWriter.h"

#include <cstdint>
#include <fstream>

namespace {

constexpr uint16_t floatFormat = 3;  // WAVE_FORMAT_IEEE_FLOAT
constexpr uint16_t channels = 2;
constexpr uint16_t bitsPerSample = 32;

void put32(std::ofstream& out, uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 24)};
    out.write(bytes, 4);
}

void put16(std::ofstream& out, uint16_t value)
{
    const char bytes[2] = {static_cast<char>(value), static_cast<char>(value >> 8)};
    out.write(bytes, 2);
}

} // namespace

bool writeFloatWav(const std::string& path, const std::vector<float>& interleaved, int sampleRate)
{
    std::ofstream out(path, std::ios::binary);
    if (!out)
        return false;
    const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * sizeof(float));
    const uint16_t blockAlign = channels * bitsPerSample / 8;
    const uint32_t frames = dataBytes / blockAlign;
    // Non-PCM formats carry an extension size in "fmt " and a "fact" chunk.
    out.write("RIFF", 4);
    put32(out, 4 + 26 + 12 + 8 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 18);
    put16(out, floatFormat);
    put16(out, channels);
    put32(out, static_cast<uint32_t>(sampleRate));
    put32(out, static_cast<uint32_t>(sampleRate) * blockAlign);
    put16(out, blockAlign);
    put16(out, bitsPerSample);
    put16(out, 0);
    out.write("fact", 4);
    put32(out, 4);
    put32(out, frames);
    out.write("data", 4);
    put32(out, dataBytes);
    // Little-endian hosts only (x86_64, aarch64): the floats go out as they are.
    out.write(reinterpret_cast<const char*>(interleaved.data()), static_cast<std::streamsize>(dataBytes));
    return static_cast<bool>(out);
}
