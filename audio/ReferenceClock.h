#pragma once
#include "audio/SampleRate.h"

// Counts the frames of the reference rate that fall due with each frame of
// the engine's rate, in whole numbers so that no rounding drifts. The noise
// drums step their noise, filters and envelopes at the reference rate and
// hold the last value between steps: at any rate they draw as many noise
// values, ring at the same frequencies and last as long as they were tuned
// to. At the reference rate exactly one step falls due with every frame.
class ReferenceClock {
public:
    void setSampleRate(SampleRate rate) { hz = static_cast<long>(rate.framesPerSecond()); }
    // The next frame takes a step, whatever came before.
    void restart() { owed = hz > referenceHz ? hz - referenceHz : 0; }
    // Steps due with the next frame: 1 at the reference rate, 0 or 1 above it.
    int stepsDue()
    {
        owed += referenceHz;
        const long steps = owed / hz;
        owed -= steps * hz;
        return static_cast<int>(steps);
    }

private:
    static constexpr long referenceHz = static_cast<long>(SampleRate::reference);
    long hz = referenceHz;
    long owed = 0;  // in 1/(hz * referenceHz) s
};
