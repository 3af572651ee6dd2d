#pragma once
#include "audio/SequencerCursor.h"

#include "render/FilePath.h"

// The process-wide audio engine: five voice groups, four drums and a 16-step
// sequencer whose grid the game edits while the audio thread renders.
// Every operation but render is for the game thread; none of them locks.
class AudioSingleton : public SequencerCursor::Callback {
public:
    // Told on the audio thread each time the 16-step loop starts again.
    class Callback {
    public:
        virtual ~Callback() = default;
        virtual void onLoopStart() = 0;
    };

    static AudioSingleton& instance();

    // Audio thread: advance the sequencer and add every sounding voice to
    // `out` (two floats per frame, left then right).
    void render(float* out, int frames);

    // The cell becomes empty (-1) when it holds `value` already, else `value`.
    void toggleStep(int track, int step, int value);
    void clearSteps();
    // Step 0 sounds on the very next rendered frame.
    void restartSequence();
    // Does not return while the audio thread is still inside the previous
    // listener's onLoopStart (unless called from inside it).
    void setLoopListener(Callback* listener);
    // The impact sound: three notes on voice group 4, from the next buffer.
    void playBoom();
    // False silences the sequencer's notes and drums; playBoom still sounds.
    void setMusicEnabled(bool enabled);

    void onStep(int step, int frameOffset) override;

    // An engine reading its patches and pitches below `dataDirectory`;
    // instance() uses the executable's directory.
    explicit AudioSingleton(const FilePath& dataDirectory);
    ~AudioSingleton() override;
    AudioSingleton(const AudioSingleton&) = delete;
    AudioSingleton& operator=(const AudioSingleton&) = delete;
};
