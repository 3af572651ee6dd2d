#pragma once
#include "audio/DecayingNoise.h"
#include "audio/StruckSound.h"

struct WallKickSpring {
    GlidingPhase tone;
    DecayingNoise click; // differenced
    float next(float amplitude);
};

// The wall kick: a bright tone that springs up a fifth while it dies away
// within a quarter of a second, over a click of noise for the foot on the
// wall. Its starting pitch climbs one octave for every half cell per frame
// of flight speed, so a chain of kicks up a shaft rises with the pilot.
// Mono, like the drums. A new kick restarts it from where it stands.
class WallKickChirp : public StruckSound<WallKickSpring> {
public:
    using StruckSound::StruckSound;

    // The pitch the tone starts at (Hz) for a flight speed in cells per frame.
    static float startFrequency(float flightSpeed);
    void trigger(float flightSpeed);
};

extern template class StruckSound<WallKickSpring>;
