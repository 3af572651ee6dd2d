#pragma once
#include "audio/LadderFilter.h"
#include "audio/MonophonicSynth.h"

#include <string_view>

// Subtractive voice: sawtooth/square wave tables (plus an optional detuned
// saw), a resonant ladder low-pass with its own envelope, an amplitude
// envelope and a tanh saturator. A note runs for 2 * noteLength seconds.
class SimpleSynth : public MonophonicSynth {
public:
    static constexpr int parameterTotal = 16;

    SimpleSynth();
    // Rendered by VoiceLanes, as a batch of one.
    void render(StereoFrame* out, int frames) override;
    bool noteOn(float frequency, int frameOffset) override;
    void setParameter(const std::string& name, float value, bool raw) override;
    int parameterCount() const override { return parameterTotal; }
    float getParameter(int index) const override;
    std::string parameterName(int index) const override;

    // Index of a parameter name, -1 when unknown.
    static int parameterIndex(std::string_view name);
    // Band 0..6 of the wave tables for a sounding frequency.
    static int bandFor(float frequency);
    // The engine's rate; not while rendering.
    void setSampleRate(SampleRate rate);

    bool isActive() const { return active; }
    float mainFrequency() const { return freqMain; }
    float detunedFrequency() const { return freqDetuned; }
    const float* sawTable() const { return tableA; }
    const float* squareTable() const { return tableB; }
    float mainPhase() const { return phaseMain; }
    float detunedPhase() const { return phaseDetuned; }
    float elapsed() const { return envTime; }
    bool isWaiting() const { return waiting; }
    const LadderFilter& ladder() const { return filter; }

private:
    friend class VoiceLanes;

    bool active = false;
    float waveAmount = 0.0f;
    float detunedSawAmount = 0.0f;
    float filterCutoff = 0.5f;
    float filterRes = 0.0f;
    bool filterAttackCurve = false;
    bool filterReleaseCurve = false;
    float filterAttackTime = 0.25f;
    float filterReleaseTime = 0.5f;
    float filterEnvAmount = 0.01f;
    bool attackCurve = false;
    bool releaseCurve = false;
    float attackTime = 0.25f;
    float releaseTime = 0.5f;
    float noteLength = 0.5f;
    float distGain = 1.0f;
    float octave = 1.0f;
    int tableLength;
    const float* tableA;
    const float* tableB;
    float phaseMain = 0.0f;
    float phaseDetuned = 0.0f;
    float freqMain = 440.0f;
    float freqDetuned = 439.0f;
    LadderFilter filter;
    float envTime = 0.0f;
    float timeStep = SampleRate().framePeriod();  // s per frame
    float framesPerSecond = static_cast<float>(SampleRate::reference);
    bool waiting = false;
    int startDelay = 0;
};
