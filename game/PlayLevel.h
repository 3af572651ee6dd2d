#pragma once
#include "base/FilePath.h"
#include "game/ClimbSplits.h"
#include "game/LevelGrid.h"
#include "game/RecordFile.h"
#include "game/ReplayFile.h"

#include <atomic>
#include <optional>
#include <string>

// Everything a play screen reads from disk before its first step: the level,
// how high its climb goes, its record, its best run and, when asked for, a
// replay to play. None of it touches the window or the sound, so it can be
// read on a thread of its own while the window goes on answering; on the
// largest levels the format allows it takes seconds.
struct PlayLevel {
    // The pilot's start cell, where a refused level's pocket is dug.
    static constexpr float startX = 60.0f; // cells
    static constexpr float startY = 984.0f;

    // Reads it all now; `assisted`: the player has an assist on, so the
    // ghost is the fastest assisted run while there is one. Once `stop` is
    // set (by another thread) the stages not begun yet are left out: the
    // result is then only fit to be thrown away.
    PlayLevel(const FilePath& levelFile, const std::string& replayFile, bool assisted = false,
              const std::atomic<bool>* stop = nullptr);

    LevelGrid level;
    ClimbSplits climb;
    // None for a refused level: it has nothing worth a record, nor a best
    // run. The assisted runs' record is none without a records folder too.
    std::optional<RecordFile> records;
    std::optional<RecordFile> assistedRecords;
    std::optional<Replay> best;
    // The replay file's run, when one was named and could be read; `replayError`
    // says why not otherwise. Whether it fits this level is the screen's call.
    std::optional<Replay> replay;
    std::string replayError;
};
