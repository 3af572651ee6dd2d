#pragma once
#include "audio/SampleRate.h"
#include "audio/StereoFrame.h"

// The loudness curve of every sound effect: a straight rise from wherever it
// stands to its peak, so that a retrigger never jumps, then an exponential
// fall. Plain data: the per-sample loops copy it into a local and back.
struct StrikeEnvelope {
    static constexpr float silence = 1e-4f; // below this (−80 dBFS) the fall has ended

    float level = 0.0f;
    float rise = 0.0f;  // added per frame while rising
    int riseFrames = 0; // frames of rise left
    float fall = 0.0f;  // factor per frame afterwards

    // The times are in seconds, the decay a time constant (1/e).
    void start(float peak, float attackSeconds, float decaySeconds, SampleRate rate)
    {
        riseFrames = rate.framesIn(attackSeconds) + 1;
        rise = (peak - level) / static_cast<float>(riseFrames);
        fall = rate.fallPerFrame(decaySeconds);
    }

    float next()
    {
        if (riseFrames > 0) {
            level += rise;
            --riseFrames;
        } else {
            level *= fall;
        }
        return level;
    }

    bool sounding() const { return riseFrames > 0 || level > silence; }
};

// The run of a struck effect over one buffer: `sample` gives the frame's mono
// sample for the envelope's level and is added to both channels, until the
// envelope has fallen silent; then the envelope rests for the next strike.
// Returns whether the sound goes on into the next buffer. `sample` keeps its
// state in the caller's locals, copied back once after the run.
template <class Sample>
bool runStrike(StrikeEnvelope& envelope, StereoFrame* out, int frames, Sample&& sample)
{
    StrikeEnvelope e = envelope;
    for (int i = 0; i < frames; ++i) {
        const float amplitude = e.next();
        if (!e.sounding()) {
            envelope = StrikeEnvelope{};
            return false;
        }
        const float value = sample(amplitude);
        out[i].left += value;
        out[i].right += value;
    }
    envelope = e;
    return true;
}
