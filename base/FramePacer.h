#pragma once
#include <cstdint>

// The main loop's timing rules, written down here once; the rest of the code
// refers to this place.
//
// 1. A step is 15 ms of real time: the screens advance 66 2/3 steps a second,
//    however fast frames are drawn and whether or not the buffer swap waits
//    for the display. A screen advances exactly one step per `step` call and
//    never measures time itself; drawing (`draw`) changes nothing, so a
//    frame may show one step or several.
// 2. Steps fall due on a fixed grid of 15 ms from the first one. Each
//    iteration of the main loop polls the pending input, sleeps until the
//    next step is due if none is yet (polling again after a sleep, rule 4),
//    then runs every step that is due and draws the screen they leave once.
//    So drawing that keeps up gives one step and one frame per 15 ms, evenly
//    spaced; a 40 ms frame gives 2 or 3 steps a frame, 2.67 on average.
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
    static constexpr uint32_t framePeriod = 15;  // milliseconds of real time per step at full speed
    static constexpr int maxStepsPerFrame = 4;   // steps, then one drawing
    static constexpr int fullSpeed = 100;        // percent

    // The game speed assist: steps fall due `percent` as often (50 to 100),
    // so a step lasts 1500 / percent milliseconds of real time. The grid is
    // kept in whole milliseconds and hundredths of a percent-millisecond, so
    // that at full speed it is exactly the 15 ms grid. Takes effect from the
    // next step on.
    void setSpeed(int percent)
    {
        speed = percent > 0 && percent <= fullSpeed ? percent : fullSpeed;
        fraction = 0;
    }
    int getSpeed() const { return speed; }

    // Milliseconds to sleep before the next step falls due; 0 when one is due
    // at `now` (and always on the first call).
    uint32_t waitAt(uint32_t now) const
    {
        if (!started)
            return 0;
        const int32_t ahead = static_cast<int32_t>(nextStep - now); // wraps like the clock
        const int64_t aheadParts = static_cast<int64_t>(ahead) * speed + fraction;
        // More than one period ahead cannot follow from the grid: a clock that
        // jumped back. Do not sleep on it; stepsAt starts the grid again.
        if (aheadParts <= 0 || aheadParts > periodParts)
            return 0;
        // A step due part way into a millisecond is run at its end.
        return static_cast<uint32_t>(ahead + (fraction > 0 ? 1 : 0));
    }

    // The steps to run now, 1 to maxStepsPerFrame, and the grid moved past them.
    int stepsAt(uint32_t now)
    {
        const int32_t behind = static_cast<int32_t>(now - nextStep);
        const int64_t behindParts = static_cast<int64_t>(behind) * speed - fraction;
        if (!started || behindParts < 0) {
            // The first step, or a clock that went back: start the grid here.
            started = true;
            nextStep = now;
            fraction = 0;
            advance(1);
            return 1;
        }
        const int64_t due = behindParts / periodParts + 1;
        if (due > maxStepsPerFrame) {
            // Too far behind: keep the phase of the grid, drop the backlog.
            const int64_t toNext = periodParts - behindParts % periodParts;
            nextStep = now + static_cast<uint32_t>(toNext / speed);
            fraction = static_cast<int32_t>(toNext % speed);
            return maxStepsPerFrame;
        }
        advance(static_cast<int>(due));
        return static_cast<int>(due);
    }

    // When the next step falls due (clock milliseconds, rounded down); meaningless
    // before the first step.
    uint32_t nextStepTicks() const { return nextStep; }

private:
    // A step's length in parts: milliseconds times percent.
    static constexpr int64_t periodParts = static_cast<int64_t>(framePeriod) * fullSpeed;

    void advance(int steps)
    {
        for (int step = 0; step < steps; ++step) {
            nextStep += static_cast<uint32_t>(periodParts / speed);
            fraction += static_cast<int32_t>(periodParts % speed);
            if (fraction >= speed) {
                fraction -= speed;
                ++nextStep;
            }
        }
    }

    bool started = false;
    uint32_t nextStep = 0;
    int32_t fraction = 0; // parts of a millisecond past nextStep, out of `speed`
    int speed = fullSpeed;
};

// Where the main loop reads the time and sleeps; tests put in a fake one.
class LoopClock {
public:
    virtual ~LoopClock() = default;
    virtual uint32_t ticks() = 0;
    virtual void delay(uint32_t milliseconds) = 0;
};
