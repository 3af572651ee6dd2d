#include "audio/HatSynth.h"

#include "audio/DecayingDrumRun.h"
#include "audio/DrumNoise.h"
#include "audio/ShapeCurve.h"

namespace {

constexpr float evenCoef = 1.0f;  // full difference: brightest
constexpr float oddCoef = 0.7f;
constexpr float level = 0.33f;

} // namespace

void HatSynth::trigger(bool on, int frameOffset, bool variant)
{
    active = on;
    if (!on)
        return;
    startOffset = frameOffset;
    env = 1.0f;
    coef = variant ? oddCoef : evenCoef;
    clock.restart();
}

void HatSynth::render(StereoFrame* out, int frames)
{
    float noise = lastNoise;
    const float c = coef;
    const bool sounding = runDecayingDrum(clock, out, startOffset, frames, env, envStep, held, [&](float e) {
        const float u = drumNoise();
        const float h = u - c * noise;
        noise = u;
        return h * shapeCurve(e, steepCurve) * level;
    });
    lastNoise = noise;
    if (!sounding)
        trigger(false, 0, false);
    startOffset = 0;
}
