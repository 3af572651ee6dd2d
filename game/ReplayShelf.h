#pragma once
#include "game/LevelFiles.h"
#include "game/ReplayFile.h"

#include <optional>
#include <ostream>
#include <string>

// The replays kept for one level, beside its record in the player's data
// folder (<data home>/vantorrel/): "<hash>.last.replay", the last live run
// that won, assisted or not, and "<hash>.best.replay", the fastest one
// without assists ("<hash>.assisted.best.replay" with them: each kind has a
// shelf of its own and never touches the other's best). All are replaced
// whole or not at all, under the level's lock (RecordFile::lockPath), so
// the best one is compared with the file as it is when it is written.
class ReplayShelf {
public:
    static constexpr const char* folderName = "vantorrel";
    static constexpr const char* bestExtension = levelfiles::bestReplayExtension;
    static constexpr const char* lastExtension = levelfiles::lastReplayExtension;

    // The shelf of the level with this content hash in the data home
    // (platform::userDataHome), for runs of this kind; none there means
    // nothing is kept.
    ReplayShelf(std::string levelHash, levelfiles::Kind kind);

    // "" when there is no data home.
    std::string bestPath() const;
    std::string lastPath() const;

    // The best run, when there is one. A missing file is quietly nothing; a
    // file that cannot be used is left alone, with one line on `out`.
    std::optional<Replay> best(std::ostream& out) const;
    // Keeps a won live run, made with these assists (of this shelf's kind),
    // as the last one, and as the best one when it won in fewer steps than
    // the kept best or there is none. A kept best that
    // cannot be used is left as it is, with one line; a run longer than a
    // replay file may be is not kept, with one line; so is each file that
    // cannot be written. Play goes on.
    void keep(const Route& run, const Assists& assists, std::ostream& out) const;

private:
    // The kept best, when it can be used and was made on this level with
    // assists of this shelf's kind.
    std::optional<Replay> readBest(std::string& error) const;
    // Makes the folder (and every missing folder above it) when missing;
    // false, with one line, when it cannot be made.
    bool makeFolder(std::ostream& out) const;
    void write(const std::string& path, const Replay& replay, std::ostream& out) const;

    std::string levelHash;
    levelfiles::Kind kind;
    std::string folder; // "" when there is no data home
};
