#pragma once
#include <string>

// The names of the files the game keeps for a level in its data folder,
// "<hash><extension>": its record and its two replays. A run with an assist
// on keeps its record and best replay apart, in "<hash>.assisted<extension>",
// so it never replaces an unassisted one; the last replay is one file for
// either kind, its header saying which assists it was made with. The record
// file cleans the stale temporaries of all of them, so it knows them all.
namespace levelfiles {
constexpr const char* recordExtension = ".record";
constexpr const char* bestReplayExtension = ".best.replay";
constexpr const char* lastReplayExtension = ".last.replay";
constexpr const char* assistedMark = ".assisted";

enum class Kind { unassisted, assisted };

// "<hash>.record", "<hash>.assisted.record" and so on.
inline std::string name(const std::string& levelHash, Kind kind, const char* extension)
{
    return levelHash + (kind == Kind::assisted ? assistedMark : "") + extension;
}
} // namespace levelfiles
