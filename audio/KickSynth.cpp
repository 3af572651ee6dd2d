#include "audio/KickSynth.h"

#include "audio/ShapeCurve.h"

#include <cmath>

namespace {

constexpr float decayPerFrame = 8.0f / 44100.0f;  // full decay in 0.125 s
// pi * f / 44100 for the start pitches 146.832 Hz and 110 Hz and the 50 Hz end.
constexpr double startArgument0 = 0.01046003494411707;
constexpr double startArgument1 = 0.007836172357201576;
constexpr double endArgument = 0.0035618965048342943;
constexpr float driveScale = 0.33f;  // how hard the sine is pushed into the tanh
constexpr float pi = 3.1415927f;

float coefficientFor(double argument)
{
    return 2.0f * static_cast<float>(std::sin(argument));
}

} // namespace

KickSynth::KickSynth()
    : envStep(decayPerFrame),
      coef(coefficientFor(startArgument0)),
      startCoefs{coefficientFor(startArgument0), coefficientFor(startArgument1)},
      endCoef(coefficientFor(endArgument))
{
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
