#include "audio/KickSynth.h"

#include "audio/ShapeCurve.h"

#include <cmath>

namespace {

constexpr float decaySeconds = 0.125f;   // s, from full to silent
constexpr float startPitch0 = 146.83238f; // Hz, the even variant's start (D3)
constexpr float startPitch1 = 110.0f;     // Hz, the odd variant's start
constexpr float endPitch = 50.0f;         // Hz, where every kick glides to
constexpr float driveScale = 0.33f;  // how hard the sine is pushed into the tanh
constexpr float pi = 3.1415927f;

// The coupled-form coefficient 2 sin(pi f / rate). The argument is taken in
// float, as the kick has always been tuned.
float coefficientFor(float frequency, float rate)
{
    const float argument = pi * frequency / rate;
    return 2.0f * static_cast<float>(std::sin(static_cast<double>(argument)));
}

} // namespace

KickSynth::KickSynth()
{
    setSampleRate(SampleRate());
    coef = startCoefs[0];
}

void KickSynth::setSampleRate(SampleRate rate)
{
    const float hz = rate.hertz();
    envStep = (1.0f / decaySeconds) / hz;
    startCoefs[0] = coefficientFor(startPitch0, hz);
    startCoefs[1] = coefficientFor(startPitch1, hz);
    endCoef = coefficientFor(endPitch, hz);
}

void KickSynth::trigger(bool on, int frameOffset, bool isVariant)
{
    active = on;
    if (!on)
        return;
    startOffset = frameOffset;
    env = 1.0f;
    x = 1.0f;
    y = 0.0f;
    variant = isVariant ? 1 : 0;
    coef = startCoefs[variant];
}

void KickSynth::render(StereoFrame* out, int frames)
{
    float e = env, ox = x, oy = y, c = coef;
    const float step = envStep, start = startCoefs[variant], end = endCoef;
    bool ended = false;
    for (int i = startOffset; i < frames; ++i) {
        e = e - step;
        if (e <= 0.0f) {
            ended = true;
            break;
        }
        ox = ox - c * oy;
        oy = oy + c * ox;
        const float s = std::tanh(oy * pi * driveScale);
        const float sample = s * shapeCurve(e, softCurve);
        out[i].left += sample;
        out[i].right += sample;
        c = start * e + (1.0f - e) * end;
        // Keeps the coupled oscillator from growing while the pitch moves.
        const float m = std::fabs(ox) + std::fabs(oy);
        if (m > 1.0f) {
            const float scale = 1.0f / m;
            ox *= scale;
            oy *= scale;
        }
    }
    env = e;
    x = ox;
    y = oy;
    coef = c;
    if (ended)
        trigger(false, 0, false);
    startOffset = 0;
}
