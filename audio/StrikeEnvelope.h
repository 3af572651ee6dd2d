#pragma once
#include <cmath>

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
    void start(float peak, float attackSeconds, float decaySeconds, float sampleRate)
    {
        riseFrames = static_cast<int>(attackSeconds * sampleRate) + 1;
        rise = (peak - level) / static_cast<float>(riseFrames);
        fall = std::exp(-1.0f / (decaySeconds * sampleRate));
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
