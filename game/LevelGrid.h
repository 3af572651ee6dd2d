#pragma once
#include "base/RgbaImage.h"
#include "base/FilePath.h"

#include <cstdint>
#include <string>
#include <vector>

// A level: one cell per pixel of a picture, keeping only the red value.
// 255 is open space, every other value blocks the pilot.
class LevelGrid {
public:
    static constexpr uint8_t openCell = 255;
    // What a cell outside the picture reads as: solid, so a pilot at the edge
    // of a badly painted (or missing) level is walled in instead of reading
    // memory that is not there.
    static constexpr uint8_t outsideCell = 0;

    // Reads the picture's red values. A picture that cannot be read leaves an
    // empty grid and prints one line naming the file and why; false then.
    bool load(const FilePath& path);
    // The same for a level played from the given cell, where a picture on
    // which the pilot could not move (the cell or one of its four neighbours
    // outside, or the cell solid) is refused as well, with its own line; a
    // refused level becomes a pocket of earth around the start cell, so the
    // player sees the pilot walled in rather than hanging in empty sky.
    bool load(const FilePath& path, int32_t startColumn, int32_t startRow);
    // Why the last load was refused, in words; empty when it was not.
    const std::string& refusal() const { return refused; }
    // Why a pilot could not play from that cell here; empty when it can.
    std::string whyUnplayable(int32_t startColumn, int32_t startRow) const;
    // Builds the grid from a decoded picture; an empty picture empties it.
    void assign(const RgbaImage& image);
    // Builds the grid from width × height red values, rows from the top.
    void assign(int32_t width, int32_t height, const uint8_t* redValues);

    // Red value of the cell; outsideCell beyond the edges.
    uint8_t cell(int32_t column, int32_t row) const
    {
        if (column < 0 || row < 0 || column >= width || row >= height) {
            return outsideCell;
        }
        return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(column)];
    }
    bool solid(int32_t column, int32_t row) const { return cell(column, row) != openCell; }

    // A name for what the level plays like: 16 hex digits hashed from the
    // size and every cell's value, so re-saving a picture with other
    // metadata or another compression keeps its records and replays. Worked
    // out whenever the cells change, off the main thread for a level read
    // by the loader: on the largest levels it takes a tenth of a second,
    // which the win must not spend again.
    const std::string& contentHash() const { return hash; }

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    bool empty() const { return width == 0 || height == 0; }

private:
    void wallIn(int32_t startColumn, int32_t startRow);
    static std::string hashOf(int32_t width, int32_t height, const std::vector<uint8_t>& cells);

    std::vector<uint8_t> cells;
    std::string refused;
    std::string hash = hashOf(0, 0, {});
    int32_t width = 0;
    int32_t height = 0;
};
