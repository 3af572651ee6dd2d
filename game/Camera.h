#pragma once

// The point of the world (in cells) that the screen is centred on; the level
// screens put it 1.5 cells right of and 1.5 cells above the pilot's corner.
struct Camera {
    float x;
    float y;
};

// What the play screen shows around the pilot, in cells, for anything that
// must see only what a player sees (test players, level checks). The screen
// is 1280 × 720 pixels of 64-pixel cells: 20 columns by 11.25 rows.
namespace view {

constexpr float cellPixels = 64.0f;      // screen pixels per cell
constexpr float visibleColumns = 20.0f;  // cells across the screen
constexpr float visibleRows = 11.25f;    // cells down the screen
constexpr float columnsLeftOfPilot = 9.5f;  // from the screen's left edge to the pilot's box
constexpr float columnsRightOfPilot = 9.5f; // from the box's right side to the screen's right edge
constexpr float rowsAbovePilot = 7.5f;      // from the screen's top edge to the top of the box
constexpr float rowsBelowPilot = 2.75f;     // from the box's bottom to the screen's bottom edge

// Holding Up slides the view up by lookRows, holding Down slides it down as
// far; it moves lookRowsPerStep a step towards where the key asks, and back
// the same way when the key is let go.
constexpr float lookRows = 6.0f;          // cells
constexpr float lookRowsPerStep = 0.125f; // cells per step: 6 rows in 48 steps (0.72 s)

// Looking up from a room's floor shows 13.5 rows above the pilot, enough for
// a 13-row room and the way out through its ceiling; the pilot is then below
// the screen's bottom edge. Looking down shows 8.75 rows below it.
constexpr float rowsAbovePilotLookingUp = rowsAbovePilot + lookRows;   // 13.5
constexpr float rowsBelowPilotLookingDown = rowsBelowPilot + lookRows; // 8.75

} // namespace view
