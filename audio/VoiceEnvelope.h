#pragma once
#include "audio/ShapeCurve.h"

// A note-long envelope: rise over [0, riseEnd), hold at 1 until fallStart,
// fall to 0 over fallLength. Times in seconds.
struct VoiceEnvelope {
    static constexpr float attackShare = 0.999f;  // a rise never fills the whole note

    float riseEnd;
    float fallStart;
    float fallLength;
    float riseBend;
    float fallBend;

    // riseCurve true: steep rise, soft fall; fallCurve the same for the fall.
    static VoiceEnvelope make(float total, float riseTime, float fallTime, bool riseCurve, bool fallCurve)
    {
        const float rise = riseTime * attackShare * total;
        const float fall = fallTime * (total - rise);
        const float fallStart = (total - (fall + rise)) + rise;
        return {rise, fallStart, fall, riseCurve ? steepCurve : softCurve, fallCurve ? softCurve : steepCurve};
    }

    float at(float t) const
    {
        if (t < riseEnd)
            return shapeCurve(t / riseEnd, riseBend);
        if (t < fallStart)
            return 1.0f;
        // A fall of zero length can only be met at its very instant: it has ended.
        if (fallLength <= 0.0f)
            return 0.0f;
        return 1.0f - shapeCurve((t - fallStart) / fallLength, fallBend);
    }
};
