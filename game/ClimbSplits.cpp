#include "game/ClimbSplits.h"

#include "game/LevelGrid.h"

#include <algorithm>
#include <vector>

ClimbSplits::ClimbSplits(const LevelGrid& level, int32_t startColumn, int32_t startRow)
    : start(startRow), top(startRow)
{
    if (level.solid(startColumn, startRow))
        return;
    const int32_t width = level.getWidth();
    auto index = [width](int32_t column, int32_t row) {
        return static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(column);
    };
    // An explicit stack: a level of a million open cells would overflow the
    // call stack of a recursive fill.
    std::vector<uint8_t> seen(static_cast<size_t>(width) * static_cast<size_t>(level.getHeight()), 0);
    std::vector<std::pair<int32_t, int32_t>> pending{{startColumn, startRow}};
    seen[index(startColumn, startRow)] = 1;
    constexpr int32_t steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    while (!pending.empty()) {
        const auto [column, row] = pending.back();
        pending.pop_back();
        top = std::min(top, row);
        for (const auto& step : steps) {
            const int32_t nextColumn = column + step[0];
            const int32_t nextRow = row + step[1];
            // Cells outside the picture are solid, so the fill stays inside.
            if (level.solid(nextColumn, nextRow) || seen[index(nextColumn, nextRow)] != 0)
                continue;
            seen[index(nextColumn, nextRow)] = 1;
            pending.emplace_back(nextColumn, nextRow);
        }
    }
}

int ClimbSplits::tenthsAt(float y) const
{
    const int32_t height = start - top;
    if (height <= 0)
        return 0;
    const float risen = static_cast<float>(start) - y;
    if (risen <= 0.0f)
        return 0;
    // Tenth k is reached once the pilot has risen k/10 of the height.
    const int reached = static_cast<int>(risen * static_cast<float>(tenths) / static_cast<float>(height));
    return std::min(reached, tenths);
}
