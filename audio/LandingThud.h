#pragma once
#include "audio/DecayingNoise.h"
#include "audio/SampleRate.h"
#include "audio/StereoFrame.h"
#include "audio/StrikeEnvelope.h"

// A landing: a soft, low knock whose pitch drops as it fades, with a puff of
// muffled noise, louder the faster the fall the ground stopped. Mono.
class LandingThud {
public:
    explicit LandingThud(SampleRate sampleRate = SampleRate()) : rate(sampleRate) {}
    void setSampleRate(SampleRate sampleRate) { rate = sampleRate; }

    // The peak level (of full scale) of a landing at this fall speed (cells per frame).
    static float peakFor(float fallSpeed);
    void trigger(float fallSpeed);
    void render(StereoFrame* out, int frames);
    bool isActive() const { return active; }

private:
    SampleRate rate;
    bool active = false;
    StrikeEnvelope envelope;
    float phase = 0.0f; // cycles, 0..1
    float drop = 0.0f;  // how far the pitch still lies above its end, 1 -> 0
    float dropFall = 0.0f;
    DecayingNoise dust; // low-passed
    float dustSmoothing = 0.0f;
};
