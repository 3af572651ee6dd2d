#include "audio/CrashSynth.h"

#include "audio/DecayingDrumRun.h"
#include "audio/DrumNoise.h"
#include "audio/ShapeCurve.h"

namespace {

constexpr float evenCoef = 0.9f;
constexpr float oddCoef = 0.999f;
constexpr float evenStart = 1.5f;  // the even variant lasts half again as long
constexpr float oddStart = 1.0f;
constexpr float level = 0.33f;

} // namespace

void CrashSynth::trigger(bool on, int frameOffset, bool variant)
{
    active = on;
    if (!on)
        return;
    startOffset = frameOffset;
    env = variant ? oddStart : evenStart;
    coef = variant ? oddCoef : evenCoef;
    clock.restart();
}

void CrashSynth::render(StereoFrame* out, int frames)
{
    float noise = lastNoise;
    int w = writeIndex;
    const float c = coef, fb = feedback, d = delay;
    // The even variant starts at 1.5; scaling keeps its shape running 1 -> 0.
    const bool scaled = (c == evenCoef);
    const int whole = static_cast<int>(d);
    const float frac = d - static_cast<float>(whole);
    // The delay line rings at the reference rate's frames like the rest.
    const bool sounding = runDecayingDrum(clock, out, startOffset, frames, env, envStep, held, [&](float e) {
        const float shape = scaled ? e / evenStart : e;
        const float u = drumNoise();
        const float m = u - c * noise;
        noise = u;
        // Truncation towards zero: position 0 reads slot 0, not slot 63.
        int r = static_cast<int>(static_cast<float>(w) - d);
        if (r < 0)
            r += lineLength;
        const int n = (r + 1 >= lineLength) ? 0 : r + 1;
        const float interpolated = line[r] * (1.0f - frac) + frac * line[n];
        line[w] = interpolated * fb + m;
        const float sample = level * shapeCurve(shape, steepCurve) * (m + shapeCurve(1.0f - shape, softCurve) * line[w]);
        w = (w + 1 >= lineLength) ? 0 : w + 1;
        return sample;
    });
    lastNoise = noise;
    writeIndex = w;
    if (!sounding)
        trigger(false, 0, false);
    startOffset = 0;
}
