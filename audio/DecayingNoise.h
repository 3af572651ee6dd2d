#pragma once
#include "audio/EffectNoise.h"
#include "audio/SampleRate.h"

// A burst of the effects' own white noise, filtered, under a fall of its own
// that runs faster than the effect's envelope: the landing's muffled puff,
// the wall kick's click. Plain data: the per-sample loops copy it into a
// local and back.
struct DecayingNoise {
    EffectNoise source;
    float level = 0.0f;  // the burst's own envelope, 1 -> 0
    float fall = 0.0f;   // factor per frame
    float memory = 0.0f; // the filter's last input or output

    // Restarts the fall; the noise and the filter run on.
    void start(float timeConstantSeconds, SampleRate rate)
    {
        level = 1.0f;
        fall = rate.fallPerFrame(timeConstantSeconds);
    }

    // Through a one-pole low-pass with this smoothing (0..1) per frame.
    float lowPassed(float smoothing)
    {
        memory += smoothing * (source.next() - memory);
        return memory;
    }
    // The first difference, which takes the rumble out.
    float differenced()
    {
        const float white = source.next();
        const float difference = white - memory;
        memory = white;
        return difference;
    }
    // After each frame.
    void decay() { level *= fall; }
};
