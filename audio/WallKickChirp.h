#pragma once
#include "audio/DecayingNoise.h"
#include "audio/SampleRate.h"
#include "audio/StereoFrame.h"
#include "audio/StrikeEnvelope.h"

// The wall kick: a bright tone that springs up a fifth while it dies away
// within a quarter of a second, over a click of noise for the foot on the
// wall. Its starting pitch climbs one octave for every half cell per frame
// of flight speed, so a chain of kicks up a shaft rises with the pilot.
// Mono, like the drums. A new kick restarts it from where it stands.
class WallKickChirp {
public:
    explicit WallKickChirp(SampleRate sampleRate = SampleRate()) : rate(sampleRate) {}
    void setSampleRate(SampleRate sampleRate) { rate = sampleRate; }

    // The pitch the tone starts at (Hz) for a flight speed in cells per frame.
    static float startFrequency(float flightSpeed);
    void trigger(float flightSpeed);
    // Adds the sound to frames [0, frames) of `out`.
    void render(StereoFrame* out, int frames);
    bool isActive() const { return active; }

private:
    SampleRate rate;
    bool active = false;
    StrikeEnvelope envelope;
    float phase = 0.0f;     // cycles, 0..1
    float phaseStep = 0.0f; // cycles per frame
    float glideFactor = 1.0f;
    int glideFrames = 0;    // frames of the upward glide left
    DecayingNoise click;    // differenced
};
