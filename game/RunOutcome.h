#pragma once
#include <cstdint>
#include <string>
#include <vector>

// How a won run compares with the level's best, handed from the play screen
// to the ending.
struct RunOutcome {
    int64_t milliseconds = -1;         // -1: no run won yet
    int64_t previousBestMilliseconds = -1; // the best before this run; -1: none
    bool newBest = false;              // this run set the level's best time
    bool assisted = false;             // won with an assist on: never a record, marked so

    // The ending's lines under "TO BE CONTINUED": the run time, then the best
    // time with the difference (+ slower, - faster), or the new-best mark
    // with what it took off the old best.
    // Nothing before a win.
    std::vector<std::string> endingLines() const;
};
