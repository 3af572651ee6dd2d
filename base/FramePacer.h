#pragma once
#include <cstdint>

// The main loop's timing rules, written down here once; the rest of the code
// refers to this place.
//
// 1. A step is 15 ms of real time: the screens advance 66 2/3 steps a second,
//    however fast frames are drawn and whether or not the buffer swap waits
//    for the display. A screen advances exactly one step per `frame` call,
//    whether or not that call is shown, and never measures time itself.
// 2. Steps fall due on a fixed grid of 15 ms from the first one. Each
//    iteration of the main loop polls the pending input, sleeps until the
//    next step is due if none is yet (polling again after a sleep, rule 4),
//    then runs every step that is due: all
//    but the last with a drawer that only makes textures and fonts (nothing
//    reaches the screen), the last one drawn and shown. So drawing that keeps
//    up gives one step and one frame per 15 ms, evenly spaced; a 40 ms frame
//    gives 2 or 3 steps a frame, 2.67 on average.
// 3. At most `maxStepsPerFrame` steps run in one iteration. When more are due
//    the rest are dropped and the grid starts again from now: the game then
//    slows down instead of falling ever further behind.
// 4. Input is polled at the start of an iteration and, when the iteration
//    slept, again right after the sleep, just before the steps run; either
//    way it reaches the iteration's first step. So a press made during the
//    sleep reaches the next step, not the one after it, a step later. A
//    direction pressed and released before that step still holds for it, and
//    a jump pressed is kept until a step takes it (GamePlay, PilotBody).
// 5. The clock is SDL's millisecond counter; it wraps after 49.7 days, and
//    every comparison below is a wrapping 32-bit difference.
class FramePacer {
public:
    static constexpr uint32_t framePeriod = 15;  // milliseconds of real time per step
    static constexpr int maxStepsPerFrame = 4;   // steps, the last of them drawn

    // Milliseconds to sleep before the next step falls due; 0 when one is due
    // at `now` (and always on the first call).
    uint32_t waitAt(uint32_t now) const
    {
        if (!started)
            return 0;
        const int32_t ahead = static_cast<int32_t>(nextStep - now); // wraps like the clock
        // More than one period ahead cannot follow from the grid: a clock that
        // jumped back. Do not sleep on it; stepsAt starts the grid again.
        if (ahead <= 0 || ahead > static_cast<int32_t>(framePeriod))
            return 0;
        return static_cast<uint32_t>(ahead);
    }

    // The steps to run now, 1 to maxStepsPerFrame, and the grid moved past them.
    int stepsAt(uint32_t now)
    {
        const int32_t behind = static_cast<int32_t>(now - nextStep);
        if (!started || behind < 0) {
            // The first step, or a clock that went back: start the grid here.
            started = true;
            nextStep = now + framePeriod;
            return 1;
        }
        const uint32_t due = static_cast<uint32_t>(behind) / framePeriod + 1;
        if (due > static_cast<uint32_t>(maxStepsPerFrame)) {
            // Too far behind: keep the phase of the grid, drop the backlog.
            nextStep = now - static_cast<uint32_t>(behind) % framePeriod + framePeriod;
            return maxStepsPerFrame;
        }
        nextStep += due * framePeriod;
        return static_cast<int>(due);
    }

    // When the next step falls due (clock milliseconds); meaningless before
    // the first step.
    uint32_t nextStepTicks() const { return nextStep; }

private:
    bool started = false;
    uint32_t nextStep = 0;
};

// Where the main loop reads the time and sleeps; tests put in a fake one.
class LoopClock {
public:
    virtual ~LoopClock() = default;
    virtual uint32_t ticks() = 0;
    virtual void delay(uint32_t milliseconds) = 0;
};
