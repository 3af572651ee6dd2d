#include "game/ClimbSplits.h"

#include "game/LevelGrid.h"

#include <algorithm>
#include <vector>

namespace {

// A run of open cells on one row, all already marked as seen.
struct Span {
    int32_t row;
    int32_t left;
    int32_t right; // inclusive
};

} // namespace

ClimbSplits::ClimbSplits(const LevelGrid& level, int32_t startColumn, int32_t startRow)
    : start(startRow), top(startRow)
{
    if (level.solid(startColumn, startRow))
        return;
    const int32_t width = level.getWidth();
    // One bit per cell and one entry per run of open cells rather than per
    // cell: an open 8192 x 8192 picture is filled in a fraction of a second
    // and a few megabytes, where a stack of cells took seconds and half a
    // gigabyte. Cells outside the picture are solid, so the fill stays inside.
    std::vector<bool> seen(static_cast<size_t>(width) * static_cast<size_t>(level.getHeight()), false);
    auto mark = [&](int32_t column, int32_t row) {
        const size_t at = static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(column);
        if (level.solid(column, row) || seen[at])
            return false;
        seen[at] = true;
        return true;
    };
    std::vector<Span> pending;
    // Marks the whole open run through (column, row) and queues it.
    auto takeRun = [&](int32_t column, int32_t row) {
        int32_t left = column;
        int32_t right = column;
        while (mark(left - 1, row))
            --left;
        while (mark(right + 1, row))
            ++right;
        pending.push_back(Span{row, left, right});
        return right;
    };
    mark(startColumn, startRow);
    takeRun(startColumn, startRow);
    // Rows above are taken last so they come off the stack first: on an open
    // level the fill reaches the top row at once, and nothing lies higher.
    while (!pending.empty() && top > 0) {
        const Span span = pending.back();
        pending.pop_back();
        top = std::min(top, span.row);
        for (const int32_t row : {span.row + 1, span.row - 1}) {
            for (int32_t column = span.left; column <= span.right; ++column)
                if (mark(column, row))
                    column = takeRun(column, row);
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
