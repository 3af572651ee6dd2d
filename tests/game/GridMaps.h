#pragma once
#include "game/LevelGrid.h"

#include <string>
#include <vector>

// Builds a small level from text rows: '.' is open space (255), '#' earth (0),
// '*' a burning block (224); any other character is its own code as red value.
inline LevelGrid gridFromMap(const std::vector<std::string>& rows)
{
    std::vector<uint8_t> cells;
    for (const auto& row : rows) {
        for (char c : row) {
            cells.push_back(c == '.' ? 255 : c == '#' ? 0 : c == '*' ? 224 : static_cast<uint8_t>(c));
        }
    }
    LevelGrid grid;
    grid.assign(static_cast<int32_t>(rows.at(0).size()), static_cast<int32_t>(rows.size()), cells.data());
    return grid;
}
