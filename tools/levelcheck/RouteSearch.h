#pragma once
#include "game/RouteScript.h"

#include "game/LevelGrid.h"

#include <cstdint>
#include <functional>
#include <vector>

// What a person can do on a level, found by trying it: from the start, every
// frame, each direction held or released (left, right, both or neither) and
// a jump press whenever the last press is at least `pressGap` frames back.
// Every state comes from the game's own PilotBody::update, so a route found
// here plays the same in the game.
//
// The search runs frame by frame (breadth first), so the first win it meets
// is the fastest it can find. States are merged by a bucket key: the position
// to a quarter of a cell, the vertical speed to 1/64 of a cell per frame, the
// sideways speed to 1/64 on the ground and during a kick but only to 1/8 in
// free flight, and the wall-kick flag. A state is dropped when its bucket was
// reached before by a state with at least as much time left before the next
// press may come. So the search is not complete: two states that differ by
// less than a bucket count as one, and a route that needs exactly the dropped
// one is missed. A state too slow to leave its bucket goes on alone, holding
// what it held, for up to 64 frames.
class RouteSearch {
public:
    struct Options {
        int32_t startColumn = 60;
        int32_t startRow = 984;
        int32_t pressGap = 8;          // frames from one jump press to the next, at least 1
        int64_t stateLimit = 60000000; // states kept (about 40 bytes each) before the search gives up
        int32_t frameLimit = 100000;   // frames (25 minutes of play) before it gives up
        // Bytes the search may hold (1.5 GiB). It stops before a frame that
        // could take it beyond, counting each of its tables as if the frame
        // made the most states it can; an allocation that fails all the same
        // stops it too.
        int64_t memoryLimit = int64_t{1536} << 20;
        int32_t threads = 0;           // 0: one per processor
    };

    struct Progress {
        int32_t frame = 0;
        int64_t states = 0;     // buckets visited so far
        int64_t frontier = 0;   // states alive on this frame
        int64_t cellsReached = 0;
        int32_t firstWinFrame = -1;
    };

    // What ended the search short of its end.
    enum class Stop { none, states, frames, memory, outOfMemory };

    struct Result {
        int32_t width = 0;
        int32_t height = 0;
        // Per cell, rows from the top: the first frame the pilot is in it, -1 never.
        std::vector<int32_t> firstFrame;
        // Per cell: 1 where a wall kick reaches the winning flight speed.
        std::vector<uint8_t> winZone;
        // Per cell: the highest flight speed of a step that did not win there.
        std::vector<float> topFlightSpeed;
        int64_t cellsReached = 0;
        int64_t winZoneCells = 0;
        // The fastest win: one step per frame, the last one wins. Empty: none.
        Route fastestWin;
        int32_t winColumn = -1; // where the fastest win happens
        int32_t winRow = -1;
        int64_t states = 0;
        int32_t frames = 0;     // frames searched
        bool complete = true;   // false when a limit stopped the search
        Stop stoppedBy = Stop::none;
        // The largest memory bound a frame it ran asked for: the least
        // memoryLimit that lets the same search run as far.
        int64_t neededBytes = 0;
    };

    // The bucket a pilot state falls in: two states with one key count as one.
    static uint64_t bucketOf(float x, float y, float vx, float vy, bool wallKick);

    // progress (may be empty) is called after every frame from the calling thread.
    static Result run(const LevelGrid& grid, const Options& options,
                      const std::function<void(const Progress&)>& progress = {});
};
