#pragma once
#include <cstdint>

class LevelGrid;

// How high a level's climb reaches, and which tenth of it a pilot has got to.
// The climb runs from the start row up to the highest open cell that open
// cells join to the start cell (sideways or up and down, never diagonally),
// so any picture gets its splits without marks painted into it.
class ClimbSplits {
public:
    static constexpr int tenths = 10;

    // A solid or outside start cell gives a climb of no height.
    ClimbSplits(const LevelGrid& level, int32_t startColumn, int32_t startRow);

    int32_t startRow() const { return start; }
    int32_t topRow() const { return top; }
    // The tenths of the climb's height a pilot whose top edge is at row `y`
    // has risen through, 0 to 10; always 0 on a climb of no height.
    int tenthsAt(float y) const;

private:
    int32_t start;
    int32_t top;
};
