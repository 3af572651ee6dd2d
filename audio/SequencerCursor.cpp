#include "audio/SequencerCursor.h"

float SequencerCursor::increment() const
{
    // Four steps to the beat; computed in double and rounded once.
    const double framesPerBeat = SampleRate::reference / (static_cast<double>(tempo) / 60.0);
    return static_cast<float>(stepCount / (framesPerBeat * stepsPerBeat));
}

void SequencerCursor::advance(int frames)
{
    const float inc = increment();
    float pos = position;
    int last = static_cast<int>(pos);
    for (int i = 0; i < frames; ++i) {
        for (int due = clock.stepsDue(); due > 0; --due) {
            // Accumulating in float is what lengthens a loop to 88273/88274 frames.
            pos = pos + inc;
            if (pos >= static_cast<float>(stepCount))
                pos = pos - static_cast<float>(stepCount);
            const int cur = static_cast<int>(pos);
            if (cur != last && callback) {
                position = pos;
                callback->onStep(cur, i);
                last = cur;
            }
        }
    }
    position = pos;
}

void SequencerCursor::reset()
{
    position = static_cast<float>(stepCount) - increment();
    clock.restart();
}
