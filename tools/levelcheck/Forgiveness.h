#pragma once
#include "game/LevelGrid.h"
#include "game/PilotBody.h"
#include "game/RouteScript.h"

#include <cstdint>
#include <vector>

// How forgiving a stretch of level is to a person's timing. An attempt plays
// it the way a person corrects: it plans a way out from where the pilot is,
// makes that plan's next jump press a random number of steps early or late,
// plays up to and through the press with the game's own movement, and plans
// again from where the pilot really got to. The share of attempts that get
// out is the measure. The offsets come from a seeded generator of our own,
// so the same call gives the same figure on every machine.
namespace forgiveness {

struct Stretch {
    PilotBody start{0.0f, 0.0f}; // the pilot as the stretch begins
    int32_t framesSincePress = 0; // since the last jump press before the start
    int32_t exitRow = 0;          // out when the pilot's top edge is above this row
    bool needsWin = false;        // out only by winning (the top stretch)
};

struct Options {
    int32_t attempts = 100;
    int32_t spread = 2;              // a press lands up to this many steps early or late
    int32_t pressGap = 8;            // steps from one planned press to the next, at least
    uint64_t seed = 1;
    // An attempt fails when it takes longer than this many times the steps
    // of the plan made at the start: a slip or two that costs a fall and a
    // climb back still passes; a stretch that keeps throwing the pilot back
    // does not.
    float slack = 2.0f;
    int64_t planNodeLimit = 400000;  // states one plan may look at before it gives up (about 16 MB)
};

struct Result {
    int32_t attempts = 0;
    int32_t passed = 0;
    int32_t noRoute = 0;   // failed where the planner found no way out
    int32_t outOfTime = 0; // failed on the step bound
    int64_t plans = 0;     // plans made, over all attempts
};

// Plans the quickest way it finds (a best-first search over the route
// search's buckets, led by the walking distance to the exit) from `from` out
// of the stretch; presses at most every `pressGap` steps, the first no
// sooner than `pressGap - framesSincePress` steps in. False when none.
class Planner {
public:
    Planner(const LevelGrid& grid, int32_t exitRow, bool needsWin, int32_t pressGap, int64_t nodeLimit);
    bool plan(const PilotBody& from, int32_t framesSincePress, Route& route) const;
    bool out(const PilotBody& body) const;

private:
    const LevelGrid& grid;
    int32_t exitRow;
    bool needsWin;
    int32_t pressGap;
    int64_t nodeLimit;
    std::vector<int32_t> cellsToExit; // per cell, rows from the top; -1 where no walk leads out
};

Result measure(const LevelGrid& grid, const Stretch& stretch, const Options& options);

} // namespace forgiveness
