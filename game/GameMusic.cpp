#include "game/GameMusic.h"

#include "base/RandomGenerator.h"

namespace {

// The bass: a pitch on every other step, the last one a step lower.
struct Note {
    int step;
    int value;
};
constexpr Note bassLine[] = {{0, 7}, {2, 7}, {4, 7}, {6, 7}, {8, 7}, {10, 7}, {12, 7}, {14, 6}};

constexpr int melodySteps[GameMusic::melodyStepCount] = {0, 1, 2, 4, 7, 10, 12, 13, 14};
constexpr int melodyPitches = 8; // pitch indices 0..7
constexpr int emptyStep = -1;

} // namespace

void GameMusic::writeBassLine(StepWriter& steps)
{
    for (const Note& note : bassLine) {
        steps.toggleStep(bassTrack, note.step, note.value);
    }
}

void GameMusic::onLoopStart(StepWriter& steps, float pilotSpeed, RandomGenerator& random)
{
    // Truncating remainder: the first two loops after the start count -1, 0.
    loopCount = (loopCount + 1) % padLength;
    if (loopCount >= 0) {
        steps.toggleStep(padTrack, 0, padLine[loopCount]);
    }
    if (pilotSpeed > melodySpeed) {
        for (int step : melodySteps) {
            steps.toggleStep(melodyTrack, step, random.nextInt(melodyPitches));
        }
    } else {
        for (int step : melodySteps) {
            steps.toggleStep(melodyTrack, step, emptyStep);
        }
    }
}
