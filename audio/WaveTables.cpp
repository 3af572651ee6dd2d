#include "audio/WaveTables.h"

#include "audio/TwoPi.h"

#include <cmath>

namespace {

constexpr int topHarmonicSpan = 128;  // band 0 of the saw goes up to harmonic 127
constexpr float partialScale = 0.5f;

// Adds 0.5 sin(2 pi h j / 1024) / h, with the float arithmetic the voices were
// tuned with.
void addHarmonic(float* table, int h)
{
    const float hf = static_cast<float>(h);
    const float inverse = 1.0f / hf;
    for (int j = 0; j < WaveTables::tableLength; ++j) {
        const float argument = hf * (static_cast<float>(j) / 1024.0f) * wavetableTwoPi;
        const float s = static_cast<float>(std::sin(static_cast<double>(argument)));
        table[j] += s * inverse * partialScale;
    }
}

} // namespace

const WaveTables& WaveTables::shared()
{
    static const WaveTables instance;
    return instance;
}

WaveTables::WaveTables()
{
    for (int band = 0; band < bandCount; ++band) {
        const int span = topHarmonicSpan >> band;
        for (int h = 1; h < span; ++h)
            addHarmonic(tables[band], h);
        for (int h = 1; h < 2 * span; h += 2)
            addHarmonic(tables[squareOffset + band], h);
    }
    for (float* table : tables)
        table[tableLength] = table[0];
}
