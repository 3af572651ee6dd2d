#include "audio/PressCue.h"

#include <cmath>

namespace {

struct Shape {
    float startFrequency; // Hz
    float endFrequency;   // Hz, reached after glideSeconds
    float glideSeconds;   // s
    float attackSeconds;  // s
    float decaySeconds;   // s, time constant
    float level;          // peak, of full scale
};

// A tap: short and low, like a foot finding nothing. −22 dBFS against the
// kick's −13.
constexpr Shape wastedPress{300.0f, 200.0f, 0.02f, 0.002f, 0.02f, 0.08f};
// A sag: an octave down over 150 ms, from the kick's own starting pitch. −18 dBFS.
constexpr Shape fallingKick{330.0f, 165.0f, 0.15f, 0.004f, 0.06f, 0.12f};
constexpr float twoPi = 6.2831853f;

const Shape& shapeOf(PressCue::Kind kind)
{
    return kind == PressCue::Kind::fallingKick ? fallingKick : wastedPress;
}

} // namespace

float PressCue::peakOf(Kind kind) { return shapeOf(kind).level; }

void PressCue::trigger(Kind kind)
{
    const Shape& shape = shapeOf(kind);
    phaseStep = shape.startFrequency * rate.framePeriod();
    glideFrames = rate.framesIn(shape.glideSeconds);
    glideFactor = std::pow(shape.endFrequency / shape.startFrequency, 1.0f / static_cast<float>(glideFrames));
    envelope.start(shape.level, shape.attackSeconds, shape.decaySeconds, rate);
    active = true;
}

void PressCue::render(StereoFrame* out, int frames)
{
    if (!active)
        return;
    StrikeEnvelope e = envelope;
    float p = phase, step = phaseStep;
    int glide = glideFrames;
    const float factor = glideFactor;
    bool ended = false;
    for (int i = 0; i < frames; ++i) {
        const float amplitude = e.next();
        if (!e.sounding()) {
            ended = true;
            break;
        }
        const float sample = amplitude * std::sin(twoPi * p);
        p += step;
        if (p >= 1.0f)
            p -= 1.0f;
        if (glide > 0) {
            step *= factor;
            --glide;
        }
        out[i].left += sample;
        out[i].right += sample;
    }
    envelope = e;
    phase = p;
    phaseStep = step;
    glideFrames = glide;
    if (ended) {
        active = false;
        envelope = StrikeEnvelope{};
    }
}
