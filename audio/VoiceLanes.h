#pragma once
#include "audio/LaneVector.h"
#include "audio/StereoFrame.h"

class SimpleSynth;

// Renders several subtractive voices side by side, one vector lane each. The
// result is what rendering them one after another gives: every frame receives
// the voices' samples in the order the voices are listed.
class VoiceLanes {
public:
    // Voices that are not active are skipped. Never allocates.
    static void render(SimpleSynth* const* voices, int count, StereoFrame* out, int frames);

private:
    struct Lanes;
    static void renderTogether(SimpleSynth* const* voices, int count, StereoFrame* out, int from, int to);
    // Clang wants the target list before the first call, not only where the
    // function is defined.
    LANE_TARGETS static int run(Lanes& lanes, StereoFrame* out, int from, int to);
};
