#include "game/PilotPlacement.h"

#include "game/LevelGrid.h"

#include <cmath>
#include <cstdint>

namespace pilotPlacement {

namespace {

// The first and last cell a one-cell span starting at `start` covers.
struct Span {
    int32_t first;
    int32_t last;
};

Span spanOf(float start)
{
    const float floorStart = std::floor(start);
    const int32_t first = static_cast<int32_t>(floorStart);
    return Span{first, start == floorStart ? first : first + 1};
}

} // namespace

bool isClear(float x, float y, const LevelGrid& grid)
{
    const Span columns = spanOf(x);
    const Span rows = spanOf(y);
    for (int32_t row = rows.first; row <= rows.last; ++row) {
        for (int32_t column = columns.first; column <= columns.last; ++column) {
            if (grid.solid(column, row)) {
                return false;
            }
        }
    }
    return true;
}

Place drawn(float x, float y, const LevelGrid& grid)
{
    if (isClear(x, y, grid)) {
        return Place{x, y};
    }
    // The box covers at most two columns and two rows, so moving each side
    // to the border below or above it, or leaving it, is every way out.
    const float xs[3] = {x, std::floor(x), std::floor(x) + 1.0f};
    const float ys[3] = {y, std::floor(y), std::floor(y) + 1.0f};
    Place best{x, y};
    float bestDistance = INFINITY;
    for (float candidateY : ys) {
        for (float candidateX : xs) {
            const float dx = candidateX - x;
            const float dy = candidateY - y;
            const float distance = dx * dx + dy * dy;
            if (distance < bestDistance && isClear(candidateX, candidateY, grid)) {
                best = Place{candidateX, candidateY};
                bestDistance = distance;
            }
        }
    }
    return best;
}

} // namespace pilotPlacement
