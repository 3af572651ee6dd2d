#pragma once
#include "game/LevelFiles.h"
#include "game/LevelRecord.h"

#include <string>

// One level's record on disk: `<hash>.record` in the records folder
// (`vantorrel/` below $XDG_DATA_HOME, else ~/.local/share), or
// `<hash>.assisted.record` for the runs won with an assist on. Read when the
// level starts, for the clock's display; written, whole or not at all, only
// when a run beats the file as it is at that moment, so a slower run of a
// second game on the same level never replaces a faster one. A file that is
// there but cannot be read is the player's: it is left alone for good, with
// one line, and play goes on as if there were no record.
class RecordFile {
public:
    static constexpr const char* extension = levelfiles::recordExtension;

    // The record of the level with this content hash, read now. Without a
    // data folder (neither variable set) there is nothing to read or keep.
    // Temporary files that killed games left in the folder go first.
    RecordFile(const std::string& levelHash, levelfiles::Kind kind);
    // A record at an exact path (tests).
    static RecordFile at(const std::string& path);

    // The lock every writer of a level's files (records, replays) holds
    // while it reads and replaces them.
    static std::string lockPath(const std::string& folder, const std::string& levelHash);

    const LevelRecord& record() const { return kept; }
    const std::string& path() const { return file; }

    struct Offer {
        bool newBest = false;         // beat the best time, and that is now on disk
        int64_t previousBestSteps = -1; // the best it was compared with; -1: none
    };
    // A won live run, compared with the file as it is now (under the lock,
    // read again). The file is written only when the best time or a split
    // got better and it was readable; a failed write says so in one line,
    // claims no new best, and keeps the better times for the rest of this
    // play.
    Offer offer(int64_t steps, const LevelRecord::Splits& splits);

private:
    struct AtPath {};
    RecordFile(AtPath, const std::string& path);
    // The file's record now (empty when missing); nothing, with one line,
    // when it is there but cannot be read, which makes it the player's.
    std::optional<LevelRecord> readNow();

    std::string file;
    LevelRecord kept;
    bool writable = true;
};
