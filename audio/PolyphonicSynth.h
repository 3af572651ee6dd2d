#pragma once
#include "audio/SimpleSynth.h"

#include <string>

// A group of identical voices sharing one patch.
class PolyphonicSynth {
public:
    static constexpr int voiceCount = 32;
    static constexpr int countLine = 23;        // 1-based line holding the parameter count
    static constexpr int countColumn = 26;      // first character of the count on that line
    static constexpr int firstValueLine = 26;   // 1-based line of the first value

    // Applies a patch file to every voice. Returns false and leaves the voices
    // as they were when the file is missing, not a regular file, larger than
    // 64 KiB or malformed (one line printed).
    bool loadParameters(const std::string& path);
    // Starts the note on the first idle voice; false (note dropped) when all
    // voices sound.
    bool startNote(float frequency, int frameOffset);
    int activeCount() const;
    // Adds every sounding voice into `out`, frame by frame in voice order.
    void render(StereoFrame* out, int frames);
    // The engine's rate for every voice; not while rendering.
    void setSampleRate(SampleRate rate);

    SimpleSynth voices[voiceCount];
};
