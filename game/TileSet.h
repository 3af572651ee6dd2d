#pragma once
#include "game/Camera.h"
#include "render/Drawer.h"

#include <array>
#include <cstdint>

class LevelGrid;

// Offset of one 16-pixel tile in the 128-pixel atlas, in fractions of it.
struct TileOffset {
    float u;
    float v;
};

// The cells the screen shows around a camera, inclusive bounds; cells outside
// the grid are skipped when drawing.
struct VisibleWindow {
    int32_t firstColumn;
    int32_t lastColumn;
    int32_t firstRow;
    int32_t lastRow;
};

// Rows of cells around a camera, each split into runs.
struct UncoveredAreas {
    static constexpr std::size_t capacity = 13 * 11; // 13 rows of at most 11 runs among 21 cells
    std::array<ScreenArea, capacity> areas;
    std::size_t count = 0;
};

// Turns cell values into atlas tiles and draws the 21 × 13 cells around the
// camera, animating the flames over burning cells.
class TileSet {
public:
    static constexpr int32_t entryCount = 259;  // 256 cell values + 3 overlay frames
    static constexpr int32_t overlayEntry = 256; // first overlay frame
    static constexpr int32_t overlayFrames = 3;
    static constexpr int32_t overlayFrameDraws = 6; // steps per overlay frame
    static constexpr uint8_t burningCell = 224;

    TileSet();

    // One step of the flames.
    void step();
    void draw(Drawer& drawer, const LevelGrid& grid, Camera camera) const;
    // The screen that draw leaves to the layers under it: everything but the
    // cells it covers with an opaque tile, in runs of cells along each row,
    // each reaching a little into its covered neighbours (they are drawn
    // over it), the runs at the screen's edges reaching past them.
    UncoveredAreas uncovered(const LevelGrid& grid, Camera camera) const;

    TileOffset tile(int32_t entry) const { return tiles[entry]; }
    int32_t currentOverlayFrame() const { return overlayFrame; }

    static VisibleWindow visibleWindow(Camera camera);
    // Screen position of a cell's top-left corner for a camera; between
    // cells for a body that is between them.
    static float screenX(float column, Camera camera);
    static float screenY(float row, Camera camera);
    // Solid cells except burning ones get a black frame towards open space.
    static bool hasOutline(uint8_t value) { return value != 255 && value != burningCell; }

private:
    // The visible cells clipped to the grid: the cells draw draws.
    static VisibleWindow drawnWindow(const LevelGrid& grid, Camera camera);
    // The visible cells, leaving out what cannot show.
    void drawVisible(Drawer& drawer, const LevelGrid& grid, Camera camera, VisibleWindow window, uint32_t atlas,
                     uint32_t outline) const;

    TileOffset tiles[entryCount];
    int32_t overlayFrame = 0;
    int32_t overlayCountdown = overlayFrameDraws;
    bool stepped = false;
};
