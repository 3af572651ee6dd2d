#include "audio/HatSynth.h"

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
    float e = env, noise = lastNoise, sample = held;
    const float step = envStep, c = coef;
    bool ended = false;
    for (int i = startOffset; i < frames && !ended; ++i) {
        for (int due = clock.stepsDue(); due > 0; --due) {
            e = e - step;
            if (e <= 0.0f) {
                ended = true;
                break;
            }
            const float u = drumNoise();
            const float h = u - c * noise;
            noise = u;
            sample = h * shapeCurve(e, steepCurve) * level;
        }
        if (ended)
            break;
        out[i].left += sample;
        out[i].right += sample;
    }
    env = e;
    lastNoise = noise;
    held = sample;
    if (ended)
        trigger(false, 0, false);
    startOffset = 0;
}
