#pragma once
#include "audio/EffectNoise.h"
#include "audio/StereoFrame.h"
#include "audio/StrikeEnvelope.h"

// A landing: a soft, low knock whose pitch drops as it fades, with a puff of
// muffled noise, louder the faster the fall the ground stopped. Mono.
class LandingThud {
public:
    explicit LandingThud(float sampleRate) { setSampleRate(sampleRate); }
    void setSampleRate(float sampleRate) { rate = sampleRate; }

    // The peak level (of full scale) of a landing at this fall speed (cells per frame).
    static float peakFor(float fallSpeed);
    void trigger(float fallSpeed);
    void render(StereoFrame* out, int frames);
    bool isActive() const { return active; }

private:
    float rate;
    bool active = false;
    StrikeEnvelope envelope;
    float phase = 0.0f; // cycles, 0..1
    float drop = 0.0f;  // how far the pitch still lies above its end, 1 -> 0
    float dropFall = 0.0f;
    float dust = 0.0f;  // the noise's own envelope
    float dustFall = 0.0f;
    float dustSmoothing = 0.0f;
    float muffled = 0.0f; // the low-passed noise
    EffectNoise noise;
};
