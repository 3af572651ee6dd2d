#pragma once
#include "audio/SampleRate.h"
#include "audio/StereoFrame.h"
#include "audio/StrikeEnvelope.h"

// Crossing the mark: four bell-like notes struck one after the other,
// rising through a chord of the music's own scale, ringing on under the warp
// for about two seconds. Mono.
class MarkFanfare {
public:
    static constexpr int noteCount = 4;

    explicit MarkFanfare(SampleRate sampleRate = SampleRate()) : rate(sampleRate) {}
    void setSampleRate(SampleRate sampleRate) { rate = sampleRate; }

    // The notes (Hz) the fanfare plays for the music's pitch table (8
    // entries, Hz); a table never read (all 0) gives a plain major chord.
    static void chordFor(const float* pitchTable, float (&notes)[noteCount]);
    void trigger(const float* pitchTable);
    void render(StereoFrame* out, int frames);
    bool isActive() const { return active; }

private:
    struct Note {
        StrikeEnvelope envelope;
        float phase = 0.0f;     // cycles, 0..1
        float phaseStep = 0.0f; // cycles per frame
        int delay = 0;          // frames until it is struck
        bool struck = false;
    };

    SampleRate rate;
    bool active = false;
    Note notes[noteCount];
};
