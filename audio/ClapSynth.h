#pragma once
#include "audio/ReferenceClock.h"
#include "audio/Synthesizer.h"

// Noise through two one-zero filters, restarted in a few quick bursts before
// the last one decays over 0.125 s.
class ClapSynth : public Synthesizer {
public:
    void render(StereoFrame* out, int frames) override;
    void trigger(bool on, int frameOffset, bool variant) override;
    bool isActive() const override { return active; }
    void setSampleRate(SampleRate rate) override { clock.setSampleRate(rate); }

    float envelope() const { return env; }
    int burstsLeft() const { return bursts; }
    float coefficient() const { return coef; }

private:
    int bursts = 3;
    float env = 0.0f;
    float envStep = 8.0f / static_cast<float>(SampleRate::reference);  // per reference frame: 0.125 s a burst
    float lastNoise = 0.0f;
    float lastStage1 = 0.0f;
    float coef = 0.999f;
    float held = 0.0f;  // the last step's sample
    ReferenceClock clock;
};
