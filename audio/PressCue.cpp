#include "audio/PressCue.h"

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

const Shape& shapeOf(PressCue::Kind kind)
{
    return kind == PressCue::Kind::fallingKick ? fallingKick : wastedPress;
}

} // namespace

float PressCue::peakOf(Kind kind) { return shapeOf(kind).level; }

template class StruckSound<PressCueTone>;

float PressCueTone::next(float amplitude)
{
    const float sample = amplitude * tone.sine();
    tone.advance();
    return sample;
}

void PressCue::trigger(Kind kind)
{
    const Shape& shape = shapeOf(kind);
    body.tone.start(shape.startFrequency * rate.framePeriod(), shape.endFrequency / shape.startFrequency,
                    rate.framesIn(shape.glideSeconds));
    strike(shape.level, shape.attackSeconds, shape.decaySeconds);
}
