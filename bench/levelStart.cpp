// What the play screen does with its level before the first step, apart
// from decoding the picture: the flood fill that finds the top of the climb
// (for the splits) and the content hash that names the level's record;
// and the fill on the largest open levels the format allows.
#include "game/ClimbSplits.h"
#include "game/GamePlay.h"
#include "game/LevelGrid.h"
#include "base/FilePath.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int32_t largeSide = 8192; // cells

const LevelGrid& playLevel()
{
    static LevelGrid level = [] {
        LevelGrid loaded;
        loaded.load(FilePath::dataDirectory().join("levels").join("pilot.png"));
        return loaded;
    }();
    return level;
}

void climbFloodFill(benchmark::State& state)
{
    const LevelGrid& level = playLevel();
    if (level.empty()) {
        state.SkipWithError("the play level is not beside the program");
        return;
    }
    for (auto _ : state) {
        const ClimbSplits climb(level, static_cast<int32_t>(GamePlay::startX), static_cast<int32_t>(GamePlay::startY));
        benchmark::DoNotOptimize(climb.topRow());
    }
    const ClimbSplits climb(level, static_cast<int32_t>(GamePlay::startX), static_cast<int32_t>(GamePlay::startY));
    state.counters["topRow"] = climb.topRow();
    state.counters["cells"] = static_cast<double>(level.getWidth()) * level.getHeight();
}

// 8192 x 8192 open cells (the 64-Mpixel limit). With the top row solid the
// fill must visit every cell; with it open the fill may stop on reaching it.
const LevelGrid& openLevel(bool topRowSolid)
{
    static LevelGrid levels[2];
    LevelGrid& level = levels[topRowSolid ? 1 : 0];
    if (level.empty()) {
        std::vector<uint8_t> cells(static_cast<std::size_t>(largeSide) * largeSide, LevelGrid::openCell);
        if (topRowSolid)
            std::fill(cells.begin(), cells.begin() + largeSide, 0);
        level.assign(largeSide, largeSide, cells.data());
    }
    return level;
}

void climbFloodFillLargeOpen(benchmark::State& state)
{
    const LevelGrid& level = openLevel(state.range(0) != 0);
    for (auto _ : state) {
        const ClimbSplits climb(level, static_cast<int32_t>(GamePlay::startX), static_cast<int32_t>(GamePlay::startY));
        benchmark::DoNotOptimize(climb.topRow());
    }
}

void contentHash(benchmark::State& state)
{
    const LevelGrid& level = playLevel();
    for (auto _ : state)
        benchmark::DoNotOptimize(level.contentHash());
}

} // namespace

BENCHMARK(climbFloodFill)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(climbFloodFillLargeOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(contentHash)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_MAIN();
