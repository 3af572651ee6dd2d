#pragma once
#include "audio/ReferenceClock.h"
#include "audio/StereoFrame.h"

// The run the crash and the hat share over frames [from, frames): with each
// frame the reference clock's due steps lower the straight envelope `env` by
// `envStep`, and each step while it stays above 0 makes a new sample from
// it, held until the next step and added to both channels. The frame in
// which the envelope reaches 0 and every frame after stay untouched.
// Returns whether the sound goes on into the next buffer. `sample` keeps its
// state in the caller's locals, copied back once after the run.
template <class Sample>
bool runDecayingDrum(ReferenceClock& clock, StereoFrame* out, int from, int frames, float& env, float envStep,
                     float& held, Sample&& sample)
{
    float e = env, value = held;
    bool sounding = true;
    for (int i = from; i < frames && sounding; ++i) {
        for (int due = clock.stepsDue(); due > 0; --due) {
            e = e - envStep;
            if (e <= 0.0f) {
                sounding = false;
                break;
            }
            value = sample(e);
        }
        if (!sounding)
            break;
        out[i].left += value;
        out[i].right += value;
    }
    env = e;
    held = value;
    return sounding;
}
