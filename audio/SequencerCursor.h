#pragma once
#include "audio/ReferenceClock.h"

// Position in the 16-step loop, advanced frame by frame in single precision
// so that step changes land on exact frames of the buffer being rendered.
// The position moves in frames of the reference rate, each frame at the
// engine's rate taking the ones that fall due with it: float rounding
// lengthens the loop by a share that depends on the step size, and this way
// the loop lasts as long at every rate as it always has (88273 or 88274
// reference frames), within one frame.
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
    // Steps per reference frame at the current tempo, rounded to float.
    float increment() const;

    float currentPosition() const { return position; }
    float currentTempo() const { return tempo; }
    void setTempo(float beatsPerMinute) { tempo = beatsPerMinute; }
    // The engine's rate; not while advancing.
    void setSampleRate(SampleRate framesPerSecond) { clock.setSampleRate(framesPerSecond); }

private:
    float position = 0.0f;
    float tempo = static_cast<float>(defaultTempo);
    Callback* callback = nullptr;
    ReferenceClock clock;
};
