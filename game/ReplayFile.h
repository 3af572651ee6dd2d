#pragma once
#include "game/Assists.h"
#include "game/RouteScript.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// A run kept as text: a header line, then one line per step of the play
// screen in levelcheck's route format (game/RouteScript.h):
//
//     vantorrel-replay 2 0123456789abcdef 2759 70 1
//     ---
//     --J
//     ...
//
// The header names the format version, the level's content hash
// (LevelGrid::contentHash), the number of step lines that follow, and the
// assists the run was made with: the game speed in percent and the kick
// buffer (1 on, 0 off). Version 1 headers end after the steps: their runs
// had no assist. A file without the header is a levelcheck route: it is
// played on whatever level is loaded, without assists.
struct Replay {
    std::string levelHash; // empty for a route without a header
    Route steps;
    Assists assists;
};

namespace replayfile {

constexpr int formatVersion = 2;
constexpr int unassistedVersion = 1; // still read: a header without assists
constexpr const char* headerWord = "vantorrel-replay";
// Bytes; four bytes a step make this over four hours of play.
constexpr std::size_t largestFile = 4u << 20;

std::string text(const Replay& replay);
// Reads a replay or a route from its text. Nothing when the text is not one,
// and `error` then says why in a few words ("line 3: ...").
std::optional<Replay> parse(std::string_view text, std::string& error);
// Reads the file whole through the bounded reader, then parses it. Nothing
// for a missing, special, oversized or damaged file; `error` says why.
std::optional<Replay> load(const std::string& path, std::string& error);

} // namespace replayfile
