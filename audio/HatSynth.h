#pragma once
#include "audio/ReferenceClock.h"
#include "audio/Synthesizer.h"

// Differentiated noise with a steep 0.125 s decay.
class HatSynth : public Synthesizer {
public:
    void render(StereoFrame* out, int frames) override;
    void trigger(bool on, int frameOffset, bool variant) override;
    bool isActive() const override { return active; }
    void setSampleRate(SampleRate rate) override { clock.setSampleRate(rate); }

    float envelope() const { return env; }
    float coefficient() const { return coef; }

private:
    float env = 0.0f;
    float envStep = 8.0f / static_cast<float>(SampleRate::reference);  // per reference frame: 0.125 s
    float lastNoise = 0.0f;
    float coef = 1.0f;
    float held = 0.0f;  // the last step's sample
    ReferenceClock clock;
};
