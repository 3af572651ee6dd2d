#pragma once
#include <cstdint>

class RandomGenerator;

// Where the music control writes: the sequencer's step grid. The game uses
// the audio engine; tests record the calls.
class StepWriter {
public:
    virtual ~StepWriter() = default;
    // The cell becomes empty when it already holds `value`, else `value`.
    virtual void toggleStep(int track, int step, int value) = 0;
};

// The music of the play screen: a fixed bass line, a pad note that walks
// through eight pitches, one per loop, and a random melody while the pilot
// moves fast.
class GameMusic {
public:
    static constexpr int32_t bassTrack = 0;
    static constexpr int32_t padTrack = 1;
    static constexpr int32_t melodyTrack = 2;
    static constexpr int32_t padLength = 8;
    static constexpr int32_t melodyStepCount = 9;
    static constexpr float melodySpeed = 0.5f; // cells per frame above which the melody plays

    // The bass line, written once when play begins.
    static void writeBassLine(StepWriter& steps);
    // At each loop start (audio thread): the next pad pitch, then a fresh
    // melody or silence on the melody track.
    void onLoopStart(StepWriter& steps, float pilotSpeed, RandomGenerator& random);

    int32_t getLoopCount() const { return loopCount; }

private:
    int32_t loopCount = -2;
    int32_t padLine[padLength] = {4, 5, 3, 2, 4, 5, 3, 6};
};
