#pragma once
#include "audio/SampleRate.h"
#include "audio/StereoFrame.h"
#include "audio/StrikeEnvelope.h"

#include <cstdint>

// The quiet answers to a press that did not kick as meant, both well under
// a kick's chirp. A wasted press (open air, or too soon after a kick) gives
// a soft low tap; a kick made while falling, which ends at once, a tone that
// slides down an octave: the kick's chirp springs up, this one sags. Mono,
// pure sine, so neither reads as the chirp. A new cue restarts it.
class PressCue {
public:
    enum class Kind : uint8_t { wastedPress, fallingKick };

    explicit PressCue(SampleRate sampleRate = SampleRate()) : rate(sampleRate) {}
    void setSampleRate(SampleRate sampleRate) { rate = sampleRate; }

    // The peak level (of full scale) of each cue.
    static float peakOf(Kind kind);
    void trigger(Kind kind);
    // Adds the sound to frames [0, frames) of `out`.
    void render(StereoFrame* out, int frames);
    bool isActive() const { return active; }

private:
    SampleRate rate;
    bool active = false;
    StrikeEnvelope envelope;
    float phase = 0.0f;       // cycles, 0..1
    float phaseStep = 0.0f;   // cycles per frame
    float glideFactor = 1.0f; // on phaseStep per frame while gliding
    int glideFrames = 0;      // frames of glide left
};
