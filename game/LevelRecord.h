#pragma once
#include "game/ClimbSplits.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A level's best run, in play steps: the fastest win and, for each tenth of
// the climb, the earliest step any won run first reached it. Steps, not
// milliseconds, so nothing is rounded; -1 stands for none yet.
//
// Its text form, one fact a line:
//     vantorrel record 1
//     best 2855
//     split 1 143
//     ...
//     split 10 2791
// The first line names the format and its version; a split line is left out
// while that tenth has no time.
struct LevelRecord {
    using Splits = std::array<int64_t, ClimbSplits::tenths>;

    int64_t bestSteps = -1;
    Splits splitSteps = noSplits();

    static Splits noSplits();
    // Nothing when the text is not a record of this version: a wrong first
    // line, an unknown line, a count that is missing, not above zero or out
    // of range. `why` then names the line and shows it ("line 3: \"x\"").
    static std::optional<LevelRecord> parse(std::string_view text, std::string* why = nullptr);
    std::string text() const;

    bool hasBest() const { return bestSteps > 0; }
    // Takes a won run: its steps and the step at which it first reached each
    // tenth (-1 for none). True when the best time or any split got better.
    bool improveWith(int64_t steps, const Splits& splits);
};
