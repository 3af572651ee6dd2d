#include "audio/WallKickChirp.h"

#include "audio/FastTanh.h"

#include <cmath>

namespace {

// The slowest kick, off a wall from a standstill, pushes 0.5 cells per frame
// sideways and a quarter upward: about 0.56. It starts at E4, above the bass
// and the pad, and the winning 1.5 cells per frame sounds two octaves higher.
constexpr float baseFrequency = 330.0f; // Hz at baseSpeed
constexpr float baseSpeed = 0.5f;       // cells per frame
constexpr float speedPerOctave = 0.5f;  // cells per frame
constexpr float topSpeed = 2.0f;        // cells per frame; faster kicks keep its pitch (2640 Hz)
constexpr float glideRatio = 1.5f;      // the tone rises a fifth...
constexpr float glideSeconds = 0.06f;   // ...over its first 60 ms, like a spring let go
constexpr float attackSeconds = 0.002f; // s: quick, but no click of its own
constexpr float decaySeconds = 0.035f;  // s, time constant: −60 dB after about 0.25 s
constexpr float drive = 1.5f;           // into the tanh: odd harmonics, so the tone cuts through the pad
constexpr float clickLevel = 0.5f;      // the noise click, relative to the tone
constexpr float clickSeconds = 0.004f;  // s, time constant of the click
constexpr float level = 0.22f;          // peak of the tone, of full scale (−13 dBFS)

const float toneScale = 1.0f / std::tanh(drive); // the shaped tone peaks at 1

} // namespace

float WallKickChirp::startFrequency(float flightSpeed)
{
    // fmax first: a NaN speed becomes the lowest pitch instead of a NaN phase.
    const float speed = std::fmin(std::fmax(flightSpeed, 0.0f), topSpeed);
    return baseFrequency * std::exp2((speed - baseSpeed) / speedPerOctave);
}

void WallKickChirp::trigger(float flightSpeed)
{
    body.tone.start(startFrequency(flightSpeed) / rate.hertz(), glideRatio, rate.framesIn(glideSeconds));
    body.click.start(clickSeconds, rate);
    strike(level, attackSeconds, decaySeconds);
}

template class StruckSound<WallKickSpring>;

float WallKickSpring::next(float amplitude)
{
    const float shaped = fastTanh(drive * tone.sine()) * toneScale;
    const float sample = amplitude * (shaped + clickLevel * click.level * 0.5f * click.differenced());
    click.decay();
    tone.advance();
    return sample;
}
