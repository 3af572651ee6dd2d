#pragma once
#include "game/PilotBody.h"

#include <array>
#include <cstdint>

class Drawer;
class LevelGrid;

// One-sentence hints drawn low on the right, drawn from what the player just
// did rather than from where in the level they are: a press that missed a
// wall by a cell, a kick made while falling, a minute spent at one height.
// Each is shown a few times a run at most, for a few seconds; while one
// shows, no other starts. Advanced in `step`, shown by `draw`.
class SituationHints {
public:
    enum Hint : uint8_t { missedWall, fallingKick, stuckInRoom, hintCount };

    static constexpr int32_t showSteps = 267;      // steps a hint stays (4 s)
    static constexpr int32_t showsPerRun = 3;      // times each hint may show in one run
    static constexpr int32_t stuckSteps = 4000;    // steps at one height before the stuck hint (60 s)
    static constexpr float roomRows = 4.0f;        // cells up or down that still count as the same room

    static const char* text(Hint hint);

    // One step after the pilot's: (x, y) is its box's corner now.
    void step(const PilotBody::StepEvents& events, float x, float y, const LevelGrid& level);
    void draw(Drawer& drawer) const;

    // The hint showing now; hintCount: none.
    Hint showing() const { return stepsLeft > 0 ? current : hintCount; }
    int32_t timesShown(Hint hint) const { return shown[hint]; }

private:
    void offer(Hint hint);

    Hint current = hintCount;
    int32_t stepsLeft = 0;
    std::array<int32_t, hintCount> shown{};
    bool roomKnown = false;
    float roomY = 0.0f;        // cells: the height the stay at one height began at
    int32_t stepsInRoom = 0;
};
