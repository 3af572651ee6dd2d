#include "game/RunClock.h"

#include <gtest/gtest.h>

TEST(RunClockText, MinutesSecondsAndHundredthsCutNotRounded)
{
    EXPECT_EQ(RunClock::format(0), "0:00.00");
    EXPECT_EQ(RunClock::format(9), "0:00.00");
    EXPECT_EQ(RunClock::format(10), "0:00.01");
    EXPECT_EQ(RunClock::format(59990), "0:59.99");
    EXPECT_EQ(RunClock::format(59999), "0:59.99"); // never rounds up into the next minute
    EXPECT_EQ(RunClock::format(60000), "1:00.00");
    EXPECT_EQ(RunClock::format(61005), "1:01.00");
    EXPECT_EQ(RunClock::format(599999), "9:59.99");
    EXPECT_EQ(RunClock::format(600000), "10:00.00");
    EXPECT_EQ(RunClock::format(754321), "12:34.32");
    EXPECT_EQ(RunClock::format(3723450), "62:03.45"); // no hours: the minutes go on
    EXPECT_EQ(RunClock::format(-15), "0:00.00");
}

TEST(RunClockText, StepsCountFifteenMillisecondsEach)
{
    RunClock clock;
    EXPECT_EQ(clock.steps(), 0);
    EXPECT_EQ(clock.text(), "0:00.00");
    clock.tick();
    EXPECT_EQ(clock.milliseconds(), 15);
    EXPECT_EQ(clock.text(), "0:00.01");
    for (int step = 1; step < 3999; ++step) {
        clock.tick();
    }
    EXPECT_EQ(clock.steps(), 3999);
    EXPECT_EQ(clock.milliseconds(), 59985);
    EXPECT_EQ(clock.text(), "0:59.98");
    clock.tick();
    EXPECT_EQ(clock.text(), "1:00.00"); // 4000 steps: exactly a minute
    for (int step = 4000; step < 40001; ++step) {
        clock.tick();
    }
    EXPECT_EQ(clock.text(), "10:00.01"); // 40001 steps: 600.015 s
}
