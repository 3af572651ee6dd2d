#pragma once
#include "audio/SampleRate.h"

// Position in the 16-step loop, advanced frame by frame in single precision
// so that step changes land on exact frames of the buffer being rendered.
class SequencerCursor {
public:
    static constexpr int stepCount = 16;
    static constexpr double defaultTempo = 120.0;  // beats per minute
    static constexpr double stepsPerBeat = 4.0;

    class Callback {
    public:
        virtual ~Callback() = default;
        virtual void onStep(int step, int frameOffset) = 0;
    };

    void setCallback(Callback* receiver) { callback = receiver; }
    void advance(int frames);
    // The next frame begins step 0.
    void reset();
    // Steps per frame at the current tempo, rounded to float.
    float increment() const;

    float currentPosition() const { return position; }
    float currentTempo() const { return tempo; }
    void setTempo(float beatsPerMinute) { tempo = beatsPerMinute; }
    // The rate frames are counted at; the loop keeps its length in seconds.
    void setSampleRate(SampleRate framesPerSecond) { rate = framesPerSecond; }

private:
    float position = 0.0f;
    float tempo = static_cast<float>(defaultTempo);
    Callback* callback = nullptr;
    SampleRate rate;
};
