#include "audio/ClapSynth.h"

#include "audio/DrumNoise.h"
#include "audio/ShapeCurve.h"

namespace {

constexpr int evenBursts = 4;
constexpr int oddBursts = 2;
constexpr float brightCoef = 0.1f;   // nearly white noise
constexpr float darkCoef = 0.999f;   // two zeros close to Nyquist
// A burst restarts once the envelope fell below 0.925 + bursts * 0.0125.
constexpr float thresholdBase = 0.925f;
constexpr float thresholdPerBurst = 0.025f;
constexpr float level = 0.15f;

} // namespace

void ClapSynth::trigger(bool on, int frameOffset, bool variant)
{
    active = on;
    if (!on)
        return;
    startOffset = frameOffset;
    env = 1.0f;
    bursts = variant ? oddBursts : evenBursts;
    coef = variant ? darkCoef : brightCoef;
    clock.restart();
}

void ClapSynth::render(StereoFrame* out, int frames)
{
    float e = env, noise = lastNoise, stage1Old = lastStage1, sample = held;
    int b = bursts;
    const float step = envStep, c = coef;
    bool ended = false;
    for (int i = startOffset; i < frames && !ended; ++i) {
        for (int due = clock.stepsDue(); due > 0; --due) {
            const int before = b;
            e = e - step;
            const float threshold = static_cast<float>(before) * 0.5f * thresholdPerBurst + thresholdBase;
            if (threshold > e && before > 0) {
                b = before - 1;
                e = 1.0f;
            } else if (e <= 0.0f) {
                ended = true;
                break;
            }
            const float u = drumNoise();
            const float stage1 = u + c * noise;
            noise = u;
            const float stage2 = stage1 + c * stage1Old;
            stage1Old = stage1;
            sample = stage2 * shapeCurve(e, steepCurve) * level;
        }
        if (ended)
            break;
        out[i].left += sample;
        out[i].right += sample;
    }
    env = e;
    bursts = b;
    lastNoise = noise;
    lastStage1 = stage1Old;
    held = sample;
    if (ended)
        trigger(false, 0, false);
    startOffset = 0;
}
