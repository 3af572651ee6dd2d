#pragma once
#include "game/LevelRecord.h"

#include <string>

// One level's record on disk: `<hash>.record` in the records folder
// (`vantorrel/` below $XDG_DATA_HOME, else ~/.local/share). Read once when
// the level starts; written, whole or not at all, only when a run beats it.
// A file that is there but cannot be read is the player's: it is left alone
// for good, with one line, and play goes on as if there were no record.
class RecordFile {
public:
    // The record of the level with this content hash, read now. Without a
    // data folder (neither variable set) there is nothing to read or keep.
    explicit RecordFile(const std::string& levelHash);
    // A record at an exact path (tests).
    static RecordFile at(const std::string& path);

    const LevelRecord& record() const { return kept; }
    const std::string& path() const { return file; }

    // A won live run. True when it beat the best time. The file is written
    // only when the best time or a split got better and the old file (if
    // any) was readable; a failed write says so in one line and keeps the
    // better times for the rest of this play.
    bool offer(int64_t steps, const LevelRecord::Splits& splits);

private:
    struct AtPath {};
    RecordFile(AtPath, const std::string& path);
    void read();
    bool makeFolder() const;

    std::string file;
    LevelRecord kept;
    bool writable = true;
};
