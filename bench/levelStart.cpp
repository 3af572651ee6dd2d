// What the play screen does with its level before the first step, apart
// from decoding the picture: the flood fill that finds the top of the climb
// (for the splits) and the content hash that names the level's record.
#include "game/ClimbSplits.h"
#include "game/GamePlay.h"
#include "game/LevelGrid.h"
#include "base/FilePath.h"

#include <benchmark/benchmark.h>

namespace {

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

void contentHash(benchmark::State& state)
{
    const LevelGrid& level = playLevel();
    for (auto _ : state)
        benchmark::DoNotOptimize(level.contentHash());
}

} // namespace

BENCHMARK(climbFloodFill)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(contentHash)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_MAIN();
