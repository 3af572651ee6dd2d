#pragma once

class LevelGrid;

// Where the pilot is drawn, as opposed to where it is. The movement tests
// only the four neighbours of the pilot's own cell, so for a step or two
// its one-cell box can reach diagonally into a solid cell: falling past a
// door in a shaft's cap, or moving more than a cell's fraction in one step
// before landing. Drawing it there shows the pilot sunk into the ground; the
// drawn box is moved out by the least distance instead. The movement itself
// is never touched.
namespace pilotPlacement {

struct Place {
    float x; // cells, the box's left side
    float y; // cells, the box's top
};

// True when the one-cell box at (x, y) covers no solid cell.
bool isClear(float x, float y, const LevelGrid& grid);

// The position itself when its box is clear; otherwise the nearest clear
// one with either side moved to a cell border; when there is none (a pilot
// walled in by a missing level), the position itself.
Place drawn(float x, float y, const LevelGrid& grid);

} // namespace pilotPlacement
