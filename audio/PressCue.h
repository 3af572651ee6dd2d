#pragma once
#include "audio/StruckSound.h"

#include <cstdint>

struct PressCueTone {
    GlidingPhase tone;
    float next(float amplitude);
};

// The quiet answers to a press that did not kick as meant, both well under
// a kick's chirp. A wasted press (open air, or too soon after a kick) gives
// a soft low tap; a kick made while falling, which ends at once, a tone that
// slides down an octave: the kick's chirp springs up, this one sags. Mono,
// pure sine, so neither reads as the chirp. A new cue restarts it.
class PressCue : public StruckSound<PressCueTone> {
public:
    enum class Kind : uint8_t { wastedPress, fallingKick };

    using StruckSound::StruckSound;

    // The peak level (of full scale) of each cue.
    static float peakOf(Kind kind);
    void trigger(Kind kind);
};

extern template class StruckSound<PressCueTone>;
