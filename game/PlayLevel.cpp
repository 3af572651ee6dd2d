#include "game/PlayLevel.h"

#include "game/ReplayShelf.h"

#include <iostream>

namespace {

constexpr int32_t startColumn = static_cast<int32_t>(PlayLevel::startX);
constexpr int32_t startRow = static_cast<int32_t>(PlayLevel::startY);

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

PlayLevel::PlayLevel(const FilePath& levelFile, const std::string& replayFile, bool assisted,
                     const std::atomic<bool>* stop)
    : level(loadedLevel(levelFile)), climb(unlessStopped(level, stop), startColumn, startRow)
{
    if (stopped(stop))
        return;
    if (level.refusal().empty()) {
        const std::string& hash = level.contentHash();
        records.emplace(hash, levelfiles::Kind::unassisted);
        if (!records->path().empty()) // else it said there is no folder
            assistedRecords.emplace(hash, levelfiles::Kind::assisted);
        // A player with an assist on races the fastest assisted run, while
        // there is one, else the fastest of all; an unassisted player never
        // sees an assisted run.
        if (assisted)
            best = ReplayShelf(hash, levelfiles::Kind::assisted).best(std::cout);
        if (!best)
            best = ReplayShelf(hash, levelfiles::Kind::unassisted).best(std::cout);
    }
    if (!replayFile.empty() && !stopped(stop))
        replay = replayfile::load(replayFile, replayError);
}
