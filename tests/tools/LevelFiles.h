#pragma once
#include "PngWriter.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

// Small level pictures written for a test and removed with it. Rows of text:
// '.' open (red 255), anything else solid (earth, red 0).
class LevelFile {
public:
    LevelFile(const std::string& stem, const std::vector<std::string>& rows)
        : path("/tmp/vantorrel-levelcheck-" + std::to_string(getpid()) + "-" + stem + ".png")
    {
        const int width = static_cast<int>(rows.at(0).size());
        const int height = static_cast<int>(rows.size());
        std::vector<uint8_t> rgb;
        for (const std::string& row : rows) {
            for (char cell : row) {
                const uint8_t value = cell == '.' ? 255 : 0;
                rgb.insert(rgb.end(), {value, value, value});
            }
        }
        written = pngwriter::write(path, width, height, 2, rgb);
    }
    ~LevelFile() { std::remove(path.c_str()); }
    LevelFile(const LevelFile&) = delete;
    LevelFile& operator=(const LevelFile&) = delete;

    std::string path;
    bool written = false;
};

// A level around the game's start cell (60, 984): solid everywhere except
// the cells `open` names.
template <typename Open>
std::vector<std::string> levelAroundStart(int width, int height, Open open)
{
    std::vector<std::string> rows(static_cast<std::size_t>(height), std::string(static_cast<std::size_t>(width), '#'));
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            if (open(column, row)) {
                rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = '.';
            }
        }
    }
    return rows;
}
