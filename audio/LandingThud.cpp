#include "audio/LandingThud.h"

#include <cmath>

namespace {

constexpr float startFrequency = 110.0f; // Hz: the knock
constexpr float endFrequency = 45.0f;    // Hz: the body, below the bass line's notes
constexpr float dropSeconds = 0.03f;     // s, time constant of the fall from start to end pitch
constexpr float attackSeconds = 0.003f;  // s
constexpr float decaySeconds = 0.05f;    // s, time constant: −60 dB after about 0.35 s
constexpr float dustCutoff = 500.0f;     // Hz, one-pole low-pass on the noise
constexpr float dustLevel = 0.6f;        // relative to the tone
constexpr float dustSeconds = 0.02f;     // s, time constant of the noise
// The fall speed is held to 1 cell per frame outside a kick: a landing from
// any real height lands at it and sounds loudest. Most landings in a run
// come at 0.03 to 0.2 (a step down, a short drop), and the level rises
// steeply over those speeds and flattens above them, so that an ordinary
// landing stands level with the music in its band while the hardest peaks
// no higher than full level.
constexpr float fullSpeed = 1.0f;        // cells per frame
constexpr float halfLevelSpeed = 0.05f;  // cells per frame: a landing this fast peaks at about half level
constexpr float level = 0.3f;            // peak at fullSpeed, of full scale; low, so it sounds soft

} // namespace

float LandingThud::peakFor(float fallSpeed)
{
    const float speed = std::fmin(std::fmax(fallSpeed, 0.0f), fullSpeed); // fmax first: NaN lands silent
    return level * (speed / fullSpeed) * ((fullSpeed + halfLevelSpeed) / (speed + halfLevelSpeed));
}

void LandingThud::trigger(float fallSpeed)
{
    body.drop = 1.0f;
    body.dropFall = rate.fallPerFrame(dropSeconds);
    body.framePeriod = rate.framePeriod();
    body.dust.start(dustSeconds, rate);
    body.dustSmoothing = 1.0f - std::exp(-twoPi * dustCutoff / rate.hertz());
    strike(peakFor(fallSpeed), attackSeconds, decaySeconds);
}

template class StruckSound<LandingKnock>;

float LandingKnock::next(float amplitude)
{
    const float muffled = dust.lowPassed(dustSmoothing);
    const float sample = amplitude * (std::sin(twoPi * phase) + dustLevel * dust.level * muffled);
    phase += (endFrequency + (startFrequency - endFrequency) * drop) * framePeriod;
    if (phase >= 1.0f)
        phase -= 1.0f;
    drop *= dropFall;
    dust.decay();
    return sample;
}
