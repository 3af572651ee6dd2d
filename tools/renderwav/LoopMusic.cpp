#include "LoopMusic.h"

#include "base/RandomGenerator.h"

namespace {

constexpr int bassTrack = 0;
constexpr int padTrack = 1;
constexpr int melodyTrack = 2;
struct Note {
    int step;
    int value;
};
constexpr Note bassLine[] = {{0, 7}, {2, 7}, {4, 7}, {6, 7}, {8, 7}, {10, 7}, {12, 7}, {14, 6}};
constexpr int padLine[] = {4, 5, 3, 2, 4, 5, 3, 6};
constexpr int padLength = 8;
constexpr int melodySteps[] = {0, 1, 2, 4, 7, 10, 12, 13, 14};
constexpr int pitchCount = 8;

} // namespace

LoopMusic::LoopMusic(AudioSingleton& engine, float pilotSpeed) : engine(engine), pilotSpeed(pilotSpeed)
{
    for (const Note& note : bassLine)
        engine.toggleStep(bassTrack, note.step, note.value);
    engine.restartSequence();
}

void LoopMusic::onLoopStart()
{
    loopCount = (loopCount + 1) % padLength;
    if (loopCount >= 0)
        engine.toggleStep(padTrack, 0, padLine[loopCount]);
    for (int step : melodySteps)
        engine.toggleStep(melodyTrack, step,
                          pilotSpeed > melodySpeed ? RandomGenerator::instance().nextInt(pitchCount) : -1);
}
