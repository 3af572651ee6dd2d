#pragma once
#include <cstdint>
#include <string>

// How long a run took: the play screen's steps from its first frame to the
// frame of the win, at the fixed step length. Counted, never measured, so a
// slow machine shows the same time for the same play.
class RunClock {
public:
    void tick() { ++stepCount; }
    int64_t steps() const { return stepCount; }
    int64_t milliseconds() const { return millisecondsFor(stepCount); }
    static int64_t millisecondsFor(int64_t steps);
    // "m:ss.cc": minutes (as many digits as needed), seconds and hundredths,
    // the hundredths cut, not rounded, as a stopwatch shows them.
    static std::string format(int64_t milliseconds);
    std::string text() const { return format(milliseconds()); }

private:
    int64_t stepCount = 0;
};
