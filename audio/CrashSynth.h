#pragma once
#include "audio/ReferenceClock.h"
#include "audio/Synthesizer.h"

// High-passed noise through a short feedback delay line that rings up while
// the direct noise fades.
class CrashSynth : public Synthesizer {
public:
    static constexpr int lineLength = 64;

    void render(StereoFrame* out, int frames) override;
    void trigger(bool on, int frameOffset, bool variant) override;
    bool isActive() const override { return active; }
    void setSampleRate(SampleRate rate) override { clock.setSampleRate(rate); }

    float envelope() const { return env; }
    float coefficient() const { return coef; }

private:
    float env = 0.0f;
    float envStep = 3.0f / static_cast<float>(SampleRate::reference);  // per reference frame
    float lastNoise = 0.0f;
    float coef = 0.99f;
    float line[lineLength] = {};
    float feedback = 0.8f;
    int writeIndex = 0;
    float delay = 0.1f;  // frames behind the write position
    float held = 0.0f;   // the last step's sample
    ReferenceClock clock;
};
