#include "base/FramePacer.h"

#include <gtest/gtest.h>
#include <numeric>
#include <tuple>
#include <vector>

namespace {

// The main loop's use of the pacer against a fake millisecond clock: read the
// clock, sleep while no step is due, run the steps that are, then spend
// `work` milliseconds drawing the frame.
struct Loop {
    FramePacer pacer;
    uint32_t now;
    std::vector<uint32_t> delays;         // every sleep, in order
    std::vector<int> stepsPerFrame;       // one entry per drawn frame
    std::vector<uint32_t> frameStarts;    // clock when the frame's steps ran

    explicit Loop(uint32_t start) : now(start) {}

    void frames(int count, uint32_t work)
    {
        for (int i = 0; i < count; ++i) {
            for (uint32_t wait = pacer.waitAt(now); wait > 0; wait = pacer.waitAt(now)) {
                delays.push_back(wait);
                now += wait;
            }
            frameStarts.push_back(now);
            stepsPerFrame.push_back(pacer.stepsAt(now));
            now += work;
        }
    }

    int totalSteps(std::size_t from = 0) const
    {
        return std::accumulate(stepsPerFrame.begin() + static_cast<std::ptrdiff_t>(from), stepsPerFrame.end(), 0);
    }
};

} // namespace

TEST(FramePacer, SleepsTheRestOfFifteenMilliseconds)
{
    FramePacer pacer;
    EXPECT_EQ(pacer.waitAt(100), 0u); // the first step is due at once
    EXPECT_EQ(pacer.stepsAt(100), 1);
    EXPECT_EQ(pacer.nextStepTicks(), 115u);
    EXPECT_EQ(pacer.waitAt(105), 10u);
    EXPECT_EQ(pacer.waitAt(114), 1u);
    EXPECT_EQ(pacer.waitAt(115), 0u);
    EXPECT_EQ(pacer.stepsAt(115), 1);
    EXPECT_EQ(pacer.nextStepTicks(), 130u);
    // Late by less than a period: still one step, and the grid keeps its phase.
    EXPECT_EQ(pacer.stepsAt(144), 1);
    EXPECT_EQ(pacer.nextStepTicks(), 145u);
    EXPECT_EQ(pacer.stepsAt(160), 2); // steps due at 145 and 160
    EXPECT_EQ(pacer.nextStepTicks(), 175u);
}

TEST(FramePacer, TwoMillisecondWorkStepsEveryFifteenMillisecondsEvenly)
{
    // Drawing far faster than the step: every frame waits 13 ms, runs one
    // step, and the steps lie exactly 15 ms apart.
    Loop loop(1000);
    loop.frames(200, 2);
    EXPECT_EQ(loop.totalSteps(), 200);
    for (int steps : loop.stepsPerFrame)
        ASSERT_EQ(steps, 1);
    ASSERT_EQ(loop.delays.size(), 199u);
    for (uint32_t delay : loop.delays)
        ASSERT_EQ(delay, 13u);
    for (std::size_t i = 1; i < loop.frameStarts.size(); ++i)
        ASSERT_EQ(loop.frameStarts[i] - loop.frameStarts[i - 1], 15u) << "frame " << i;
    // 200 steps in 199 periods of 15 ms: 66 2/3 steps a second.
    EXPECT_EQ(loop.frameStarts.back() - loop.frameStarts.front(), 199u * 15u);
}

TEST(FramePacer, SixtyHertzSwapsNeverWaitAndAddAStepEveryFifteenFrames)
{
    // A swap that waits for a 60 Hz display (16 ms here): the loop never
    // sleeps, and one frame in fifteen runs two steps to keep real time.
    Loop loop(5000);
    loop.frames(150, 16);
    EXPECT_TRUE(loop.delays.empty());
    // The last frame starts 149 × 16 = 2384 ms after the first step: the
    // steps due at 0, 15, ... 2370 ms have run, 159 of them.
    EXPECT_EQ(loop.totalSteps(), 159);
    int doubled = 0;
    for (int steps : loop.stepsPerFrame) {
        ASSERT_GE(steps, 1);
        ASSERT_LE(steps, 2);
        doubled += steps == 2;
    }
    EXPECT_EQ(doubled, 9);
}

TEST(FramePacer, FortyMillisecondFramesRunTwoPointSixSevenStepsEach)
{
    Loop loop(1000);
    loop.frames(300, 40);
    EXPECT_TRUE(loop.delays.empty());
    // After the first frame every three frames (120 ms) carry exactly 8 steps.
    for (std::size_t frame = 1; frame + 3 <= loop.stepsPerFrame.size(); frame += 3) {
        const int three = loop.stepsPerFrame[frame] + loop.stepsPerFrame[frame + 1] + loop.stepsPerFrame[frame + 2];
        ASSERT_EQ(three, 8) << "frames " << frame << " to " << frame + 2;
        for (std::size_t i = frame; i < frame + 3; ++i) {
            ASSERT_GE(loop.stepsPerFrame[i], 2);
            ASSERT_LE(loop.stepsPerFrame[i], 3);
        }
    }
    // In real time: the last frame starts 11 960 ms after the first step, when
    // the 798th step (due at 11 955 ms) has run.
    EXPECT_EQ(loop.totalSteps(), 798);
    EXPECT_NEAR(static_cast<double>(loop.totalSteps() - 1) / 299.0, 40.0 / 15.0, 0.01);
}

TEST(FramePacer, BeyondTheBoundTheGameSlowsInsteadOfFallingBehind)
{
    Loop loop(1000);
    loop.frames(50, 100); // 100 ms frames would need 6.67 steps each
    for (std::size_t i = 1; i < loop.stepsPerFrame.size(); ++i)
        ASSERT_EQ(loop.stepsPerFrame[i], FramePacer::maxStepsPerFrame) << "frame " << i;
    // No backlog is kept: once drawing is fast again (after the last slow
    // frame, whose 100 ms still give 4 steps) there is one step per frame at
    // once, not a burst that catches up the lost time.
    const std::size_t fastFrom = loop.stepsPerFrame.size();
    loop.frames(20, 2);
    EXPECT_EQ(loop.stepsPerFrame[fastFrom], FramePacer::maxStepsPerFrame);
    for (std::size_t i = fastFrom + 1; i < loop.stepsPerFrame.size(); ++i)
        ASSERT_EQ(loop.stepsPerFrame[i], 1) << "frame " << i;
    EXPECT_EQ(loop.totalSteps(fastFrom), 4 + 19);
    for (std::size_t i = fastFrom + 2; i < loop.frameStarts.size(); ++i)
        ASSERT_EQ(loop.frameStarts[i] - loop.frameStarts[i - 1], 15u);
}

TEST(FramePacer, ClockWrapAround)
{
    // SDL's millisecond counter wraps after 49.7 days.
    Loop loop(0xFFFFFF00u);
    loop.frames(40, 2);
    for (std::size_t i = 1; i < loop.frameStarts.size(); ++i)
        ASSERT_EQ(loop.frameStarts[i] - loop.frameStarts[i - 1], 15u) << "frame " << i;
    EXPECT_LT(loop.frameStarts.back(), 0x1000u); // the run crossed the wrap
    EXPECT_EQ(loop.totalSteps(), 40);

    // Due steps across the wrap are counted too.
    FramePacer pacer;
    pacer.stepsAt(0xFFFFFFFAu);                  // next step at 0x9
    EXPECT_EQ(pacer.waitAt(4u), 5u);             // 10 ms across the wrap
    EXPECT_EQ(pacer.stepsAt(0x9u + 15u), 2);     // due at 0x9 and 0x18
    EXPECT_EQ(pacer.nextStepTicks(), 0x27u);
}

TEST(FramePacer, AClockThatGoesBackStartsTheGridAgain)
{
    FramePacer pacer;
    pacer.stepsAt(10000);
    EXPECT_EQ(pacer.waitAt(9000), 0u); // no sleep of a second
    EXPECT_EQ(pacer.stepsAt(9000), 1);
    EXPECT_EQ(pacer.nextStepTicks(), 9015u);
    EXPECT_EQ(pacer.waitAt(9003), 12u);
}

TEST(FramePacer, GameSpeedSpacesTheStepsOutAndFullSpeedIsTheFifteenMillisecondGrid)
{
    // Steps in 3 s of real time with 2 ms frames, and where the grid is
    // after them; the title's story lines (120 steps apart) come 1.8 s apart
    // at full speed and 3.6 s at half.
    const std::tuple<int, int, uint32_t> cases[] = {
        {100, 200, 3000}, {90, 180, 3000}, {80, 160, 3000}, {70, 140, 3000}, {60, 120, 3000}, {50, 100, 3000},
    };
    for (const auto& [percent, steps, gridAt] : cases) {
        Loop loop(7);
        loop.pacer.setSpeed(percent);
        do
            loop.frames(1, 2);
        while (loop.pacer.nextStepTicks() < 7 + 3000);
        EXPECT_EQ(loop.totalSteps(), steps) << percent;
        EXPECT_EQ(loop.pacer.nextStepTicks(), 7 + gridAt) << percent;
    }
    Loop half(0);
    half.pacer.setSpeed(50);
    half.frames(121, 2);
    EXPECT_EQ(half.frameStarts[120] - half.frameStarts[0], 3600u);
}
