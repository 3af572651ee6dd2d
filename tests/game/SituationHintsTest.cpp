#include "GridMaps.h"
#include "game/SituationHints.h"

#include <gtest/gtest.h>

namespace {

PilotBody::StepEvents wasted()
{
    PilotBody::StepEvents events;
    events.pressWasted = true;
    return events;
}

PilotBody::StepEvents fallingKick()
{
    PilotBody::StepEvents events;
    events.wallKickSpeed = 0.5f;
    events.kickEndedAtOnce = true;
    return events;
}

} // namespace

TEST(SituationHints, EachShowsForItsStepsAtMostThreeTimesAndOnlyFromItsSituation)
{
    // A wall two cells left of column 3; open air around it.
    const LevelGrid level = gridFromMap({"#.......", "#.......", "#.......", "#......."});
    const struct {
        const char* name;
        PilotBody::StepEvents events;
        float x;
        SituationHints::Hint expected;
    } cases[] = {
        {"press a cell short of a wall", wasted(), 2.0f, SituationHints::missedWall},
        {"press in open air far from walls", wasted(), 5.0f, SituationHints::hintCount},
        {"press beside a wall, too soon after a kick", wasted(), 1.0f, SituationHints::hintCount},
        {"kick while falling", fallingKick(), 1.0f, SituationHints::fallingKick},
    };
    for (const auto& c : cases) {
        SituationHints hints;
        for (int round = 0; round < 5; ++round) {
            hints.step(c.events, c.x, 1.0f, level);
            EXPECT_EQ(hints.showing(), round < 3 ? c.expected : SituationHints::hintCount) << c.name << round;
            for (int step = 1; step < SituationHints::showSteps; ++step) {
                hints.step(c.events, c.x, 1.0f, level); // again while it shows: not counted
                ASSERT_EQ(hints.showing(), round < 3 ? c.expected : SituationHints::hintCount) << c.name << step;
            }
            hints.step(PilotBody::StepEvents{}, c.x, 1.0f, level);
            EXPECT_EQ(hints.showing(), SituationHints::hintCount) << c.name;
        }
        if (c.expected != SituationHints::hintCount) {
            EXPECT_EQ(hints.timesShown(c.expected), 3) << c.name;
        }
    }
}

TEST(SituationHints, AMinuteWithinFourRowsOfOneHeightAsksIfThePilotIsStuck)
{
    const LevelGrid level = gridFromMap({"........"});
    for (const float drift : {0.0f, 4.0f, 4.5f}) {
        SituationHints hints;
        for (int step = 0; step < SituationHints::stuckSteps; ++step) // the first step sets the height
            hints.step(PilotBody::StepEvents{}, 3.0f, 500.0f + drift * static_cast<float>(step % 2), level);
        EXPECT_EQ(hints.showing(), SituationHints::hintCount) << drift;
        hints.step(PilotBody::StepEvents{}, 3.0f, 500.0f, level);
        EXPECT_EQ(hints.showing(), drift <= 4.0f ? SituationHints::stuckInRoom : SituationHints::hintCount) << drift;
    }
}
