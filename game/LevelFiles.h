#pragma once

// The names of the files the game keeps for a level in its data folder,
// "<hash><extension>": its record and its two replays. The record file
// cleans the stale temporaries of all three, so it knows them all.
namespace levelfiles {
constexpr const char* recordExtension = ".record";
constexpr const char* bestReplayExtension = ".best.replay";
constexpr const char* lastReplayExtension = ".last.replay";
} // namespace levelfiles
