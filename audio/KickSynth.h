#pragma once
#include "audio/Synthesizer.h"

// A coupled-form sine that glides from its start pitch down to 50 Hz while it
// decays over 0.125 s, squared off by a tanh when loud.
class KickSynth : public Synthesizer {
public:
    KickSynth();
    void render(StereoFrame* out, int frames) override;
    void trigger(bool on, int frameOffset, bool variant) override;
    bool isActive() const override { return active; }
    void setSampleRate(SampleRate rate) override;

    float envelope() const { return env; }
    float coefficient() const { return coef; }
    float startCoefficient(int index) const { return startCoefs[index]; }
    float endCoefficient() const { return endCoef; }

private:
    float env = 0.0f;
    float envStep;
    float x = 1.0f;
    float y = 0.0f;
    float coef;
    float startCoefs[2];
    int variant = 0;
    float endCoef;
};
