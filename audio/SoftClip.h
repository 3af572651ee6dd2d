#pragma once
#include <algorithm>
#include <cmath>

// The last step of the engine's mix. The voices add up with no master gain,
// so damaged patches (which fall back to the louder built-in sound) or booms
// stacked by a player mashing keys could reach far beyond full scale. Every
// sample at or below the knee passes unchanged, bit for bit, which is all of
// the music as shipped (its peaks stay below -1 dBFS); above it a hyperbolic
// tangent bends the rest of the way towards full scale without a kink, so
// the stream handed to the device never leaves [-1, 1]. A NaN becomes
// silence and an infinity full scale.
namespace SoftClip {

inline constexpr float knee = 0.9f;            // full-scale fraction where bending starts (-0.92 dBFS)
inline constexpr float headroom = 1.0f - knee; // what the bend may still add above the knee

inline float bend(float sample)
{
    const float size = std::fabs(sample);
    if (size <= knee)
        return sample;
    if (std::isnan(size))
        return 0.0f;
    // The slope is 1 at the knee, like the straight part below it.
    const float bent = std::min(1.0f, knee + headroom * std::tanh((size - knee) / headroom));
    return std::copysign(bent, sample);
}

// Bends a buffer in place: no allocation, no lock, and for a buffer that
// stays under the knee (normal play) one comparison per sample.
inline void apply(float* samples, int count)
{
    bool over = false;
    for (int i = 0; i < count; ++i)
        over |= !(std::fabs(samples[i]) <= knee);
    if (!over)
        return;
    for (int i = 0; i < count; ++i)
        samples[i] = bend(samples[i]);
}

} // namespace SoftClip
