#pragma once
#include <cstdint>

// Keeps main-loop iterations at least `framePeriod` milliseconds apart. The
// time stamp is taken before the delay, so a slow iteration is followed by a
// short wait and the average stays at one iteration per period.
class FramePacer {
public:
    static constexpr uint32_t framePeriod = 15; // milliseconds

    // Milliseconds to sleep now, given the clock's reading.
    uint32_t delayAt(uint32_t now)
    {
        const uint32_t elapsed = now - lastFrameTicks; // wraps like the clock
        lastFrameTicks = now;
        return elapsed < framePeriod ? framePeriod - elapsed : 0;
    }

    uint32_t lastTicks() const { return lastFrameTicks; }

private:
    uint32_t lastFrameTicks = 0;
};

// Where the main loop reads the time and sleeps; tests put in a fake one.
class LoopClock {
public:
    virtual ~LoopClock() = default;
    virtual uint32_t ticks() = 0;
    virtual void delay(uint32_t milliseconds) = 0;
};
