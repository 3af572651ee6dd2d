#include "audio/MarkFanfare.h"

#include "audio/FastTanh.h"
#include "audio/TwoPi.h"

#include <cmath>

namespace {

// Pitch-table entries of the chord: the table's lowest note and three above
// it, every other step of the scale and then its top, so the chord is made
// of the music's own notes whichever pitch file was drawn.
constexpr int chordEntries[MarkFanfare::noteCount] = {0, 2, 4, 7};
// The table sits an octave below the pitch files (bass range); three octaves
// up puts the shipped chords between 523 and 1760 Hz, above the bass and the pad.
constexpr float octaveLift = 8.0f;
// C5 E5 G5 C6, for a game whose pitch files could not be read.
constexpr float fallbackChord[MarkFanfare::noteCount] = {523.25f, 659.26f, 783.99f, 1046.5f}; // Hz
constexpr float noteGapSeconds = 0.07f; // s between strikes: a quick run upwards
constexpr float attackSeconds = 0.004f; // s
constexpr float decaySeconds = 0.3f;    // s, time constant: −60 dB about 2 s after the last strike
constexpr float noteLevel = 0.12f;      // peak of one note, of full scale; four overlap to about 0.35
constexpr float drive = 1.2f;           // into the tanh: a little brightness on the sine

const float toneScale = 1.0f / std::tanh(drive);

} // namespace

void MarkFanfare::chordFor(const float* pitchTable, float (&chord)[noteCount])
{
    const bool read = pitchTable[chordEntries[0]] > 0.0f;
    for (int i = 0; i < noteCount; ++i)
        chord[i] = read ? octaveLift * pitchTable[chordEntries[i]] : fallbackChord[i];
}

void MarkFanfare::trigger(const float* pitchTable)
{
    float chord[noteCount];
    chordFor(pitchTable, chord);
    const int gap = rate.framesIn(noteGapSeconds);
    for (int i = 0; i < noteCount; ++i) {
        notes[i].phaseStep = chord[i] / rate.hertz();
        notes[i].delay = i * gap;
        notes[i].struck = false;
    }
    active = true;
}

void MarkFanfare::render(StereoFrame* out, int frames)
{
    if (!active)
        return;
    bool sounding = false;
    for (Note& note : notes) {
        StrikeEnvelope e = note.envelope;
        float p = note.phase;
        int wait = note.delay;
        bool struck = note.struck;
        const float step = note.phaseStep;
        for (int i = 0; i < frames; ++i) {
            // A note still ringing from an earlier fanfare rings on until
            // its strike, which then rises from where it stands.
            if (!struck && wait-- == 0) {
                e.start(noteLevel, attackSeconds, decaySeconds, rate);
                struck = true;
            }
            const float amplitude = e.next();
            if (struck && !e.sounding())
                break;
            const float sample = amplitude * fastTanh(drive * std::sin(twoPi * p)) * toneScale;
            p += step;
            if (p >= 1.0f)
                p -= 1.0f;
            out[i].left += sample;
            out[i].right += sample;
        }
        sounding = sounding || !struck || e.sounding();
        note.envelope = struck && !e.sounding() ? StrikeEnvelope{} : e;
        note.phase = p;
        note.delay = wait;
        note.struck = struck;
    }
    active = sounding;
}
