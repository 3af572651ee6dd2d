#include "WavWriter.h"

#include "base/NewFile.h"

#include <cstdint>
#include <string_view>

namespace {

constexpr uint16_t floatFormat = 3;  // WAVE_FORMAT_IEEE_FLOAT
constexpr uint16_t channels = 2;
constexpr uint16_t bitsPerSample = 32;

void put32(std::string& out, uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 24)};
    out.append(bytes, 4);
}

void put16(std::string& out, uint16_t value)
{
    const char bytes[2] = {static_cast<char>(value), static_cast<char>(value >> 8)};
    out.append(bytes, 2);
}

} // namespace

int writeFloatWav(const std::string& path, const std::vector<float>& interleaved, int sampleRate)
{
    std::string out;
    const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * sizeof(float));
    const uint16_t blockAlign = channels * bitsPerSample / 8;
    const uint32_t frames = dataBytes / blockAlign;
    // Non-PCM formats carry an extension size in "fmt " and a "fact" chunk.
    out.append("RIFF", 4);
    put32(out, 4 + 26 + 12 + 8 + dataBytes);
    out.append("WAVEfmt ", 8);
    put32(out, 18);
    put16(out, floatFormat);
    put16(out, channels);
    put32(out, static_cast<uint32_t>(sampleRate));
    put32(out, static_cast<uint32_t>(sampleRate) * blockAlign);
    put16(out, blockAlign);
    put16(out, bitsPerSample);
    put16(out, 0);
    out.append("fact", 4);
    put32(out, 4);
    put32(out, frames);
    out.append("data", 4);
    put32(out, dataBytes);
    // Little-endian hosts only (x86_64, aarch64): the floats go out as they are.
    return platform::replaceFileWhole(
        path, {out, std::string_view(reinterpret_cast<const char*>(interleaved.data()), dataBytes)});
}
