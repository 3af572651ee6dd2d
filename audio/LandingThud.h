#pragma once
#include "audio/DecayingNoise.h"
#include "audio/StruckSound.h"

struct LandingKnock {
    float phase = 0.0f;       // cycles, 0..1
    float drop = 0.0f;        // how far the pitch still lies above its end, 1 -> 0
    float dropFall = 0.0f;    // factor on drop per frame
    float framePeriod = 0.0f; // s
    DecayingNoise dust;       // low-passed
    float dustSmoothing = 0.0f;
    float next(float amplitude);
};

// A landing: a soft, low knock whose pitch drops as it fades, with a puff of
// muffled noise, louder the faster the fall the ground stopped. Mono.
class LandingThud : public StruckSound<LandingKnock> {
public:
    using StruckSound::StruckSound;

    // The peak level (of full scale) of a landing at this fall speed (cells per frame).
    static float peakFor(float fallSpeed);
    void trigger(float fallSpeed);
};

extern template class StruckSound<LandingKnock>;
