#pragma once
#include "audio/SampleRate.h"
#include "audio/StereoFrame.h"

// A one-shot drum voice. Mono: each drum adds the same sample to both sides.
class Synthesizer {
public:
    virtual ~Synthesizer() = default;
    // Adds the drum into frames [startOffset, frames) of `out`; called only
    // while active.
    virtual void render(StereoFrame* out, int frames) = 0;
    // on: (re)start at `frameOffset` of the next buffer; off: silent at once.
    virtual void trigger(bool on, int frameOffset, bool variant) = 0;
    virtual bool isActive() const = 0;
    // The engine's rate; not while rendering.
    virtual void setSampleRate(SampleRate rate) = 0;

    int pendingOffset() const { return startOffset; }

protected:
    bool active = false;
    int startOffset = 0;
};
