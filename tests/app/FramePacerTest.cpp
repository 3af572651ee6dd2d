#include "app/FramePacer.h"

#include <gtest/gtest.h>

TEST(FramePacer, SleepsTheRestOfFifteenMilliseconds)
{
    FramePacer pacer;
    EXPECT_EQ(pacer.delayAt(100), 0u); // long after the zero time stamp
    EXPECT_EQ(pacer.delayAt(105), 10u);
    EXPECT_EQ(pacer.lastTicks(), 105u);
}

TEST(FramePacer, SixtyHertzSwapsNeverWait)
{
    FramePacer pacer;
    pacer.delayAt(1000);
    for (uint32_t t = 1016; t < 2000; t += 16)
        EXPECT_EQ(pacer.delayAt(t), 0u);
}

TEST(FramePacer, TwoMillisecondWorkAlternatesThirteenAndNone)
{
    // The stamp is taken before the delay, so the delay counts toward the next gap.
    FramePacer pacer;
    uint32_t now = 1000;
    pacer.delayAt(now);
    std::vector<uint32_t> delays;
    for (int i = 0; i < 6; ++i) {
        now += 2;
        const uint32_t delay = pacer.delayAt(now);
        delays.push_back(delay);
        now += delay;
    }
    EXPECT_EQ(delays, (std::vector<uint32_t>{13, 0, 13, 0, 13, 0}));
}

TEST(FramePacer, ClockWrapAround)
{
    FramePacer pacer;
    pacer.delayAt(0xFFFFFFFAu);
    EXPECT_EQ(pacer.delayAt(4u), 5u); // 10 ms across the wrap
}
