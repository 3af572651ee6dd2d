#include "game/PlayLevel.h"

#include "game/GamePlay.h"
#include "game/ReplayShelf.h"

#include <iostream>

namespace {

constexpr int32_t startColumn = static_cast<int32_t>(GamePlay::startX);
constexpr int32_t startRow = static_cast<int32_t>(GamePlay::startY);

bool stopped(const std::atomic<bool>* stop) { return stop != nullptr && stop->load(); }

LevelGrid loadedLevel(const FilePath& file)
{
    // A refused level prints its own line; the pilot then stands walled in.
    LevelGrid level;
    level.load(file, startColumn, startRow);
    return level;
}

// A stopped read skips the climb's fill, which on a large level takes longest.
const LevelGrid& unlessStopped(const LevelGrid& level, const std::atomic<bool>* stop)
{
    static const LevelGrid none;
    return stopped(stop) ? none : level;
}

} // namespace

PlayLevel::PlayLevel(const FilePath& levelFile, const std::string& replayFile, const std::atomic<bool>* stop)
    : level(loadedLevel(levelFile)), climb(unlessStopped(level, stop), startColumn, startRow)
{
    if (stopped(stop))
        return;
    if (level.refusal().empty()) {
        records.emplace(level.contentHash());
        best = ReplayShelf(level.contentHash()).best(std::cout);
    }
    if (!replayFile.empty() && !stopped(stop))
        replay = replayfile::load(replayFile, replayError);
}
