#include "GridMaps.h"
#include "game/PilotBody.h"
#include "game/PilotPlacement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// A long floor (row 3 solid) under open space; rows 0..2 open, walled at both ends.
LevelGrid openFloor()
{
    std::string open(200, '.');
    open.front() = '#';
    open.back() = '#';
    return gridFromMap({open, open, open, std::string(200, '#')});
}

// A pilot standing on the floor of openFloor().
PilotBody standing(float x)
{
    PilotBody body(x, 2.0f);
    body.airborne = false;
    return body;
}

PilotInput holding(bool left, bool right)
{
    PilotInput input;
    input.left = left ? 1 : 0;
    input.right = right ? 1 : 0;
    return input;
}

} // namespace

TEST(PilotGroundMovement, FrictionDecaysByTwoThirdsAndStopsBelowOneHundredth)
{
    const LevelGrid grid = openFloor();
    PilotBody body = standing(10.0f);
    body.vx = 0.5f;
    float expected = 0.5f;
    for (int frame = 1; frame <= 9; ++frame) {
        body.update(PilotInput{}, grid);
        expected *= 0.66f;
        ASSERT_EQ(body.vx, expected) << "frame " << frame;
    }
    EXPECT_GT(body.vx, 0.01f); // 0.5 × 0.66^9 ≈ 0.0119
    body.update(PilotInput{}, grid);
    EXPECT_EQ(body.vx, 0.0f); // 0.0079 < 0.01: stopped exactly
    EXPECT_FALSE(body.airborne);
    EXPECT_EQ(body.y, 2.0f);
}

TEST(PilotGroundMovement, HoldingRightAcceleratesByOneHundredthUpToTheLimit)
{
    const LevelGrid grid = openFloor();
    PilotBody body = standing(2.0f);
    body.update(holding(false, true), grid);
    EXPECT_FLOAT_EQ(body.vx, 0.01f);
    EXPECT_EQ(body.x, 2.0f + 0.01f);
    for (int frame = 2; frame <= 50; ++frame) {
        body.update(holding(false, true), grid);
    }
    EXPECT_NEAR(body.vx, 0.5f, 1e-5f); // no friction while a direction is held
    for (int frame = 51; frame <= 98; ++frame) {
        body.update(holding(false, true), grid);
    }
    EXPECT_LT(body.vx, 1.0f);
    for (int frame = 99; frame <= 110; ++frame) {
        body.update(holding(false, true), grid);
        ASSERT_LE(body.vx, 1.0f);
    }
    EXPECT_EQ(body.vx, 1.0f);
    EXPECT_TRUE(body.facingRight);
}

TEST(PilotGroundMovement, HoldingLeftBrakesByHalvesThenAccelerates)
{
    const LevelGrid grid = openFloor();
    PilotBody body = standing(100.0f);
    body.vx = 0.3f;
    const float expected[] = {0.15f, 0.075f, 0.0375f, 0.0375f - 0.01f, 0.0375f - 0.01f - 0.01f};
    for (float value : expected) {
        body.update(holding(true, false), grid);
        ASSERT_EQ(body.vx, value);
    }
    EXPECT_TRUE(body.facingRight); // still moving right while braking
    for (int frame = 0; frame < 3; ++frame) {
        body.update(holding(true, false), grid);
    }
    EXPECT_LT(body.vx, 0.0f);
    EXPECT_FALSE(body.facingRight);
}

TEST(PilotGroundMovement, BothOrNoDirectionsLeaveSteeringAlone)
{
    const LevelGrid grid = openFloor();
    PilotBody body = standing(50.0f);
    body.vx = 0.4f;
    body.update(holding(true, true), grid);
    EXPECT_EQ(body.vx, 0.4f); // both held: no steering and no friction
}

TEST(PilotGroundMovement, UpAndDownAreIgnored)
{
    const LevelGrid grid = openFloor();
    PilotBody plain = standing(20.0f);
    PilotBody pressed = standing(20.0f);
    plain.vx = pressed.vx = 0.3f;
    PilotInput upDown;
    upDown.up = 1;
    upDown.down = 1;
    for (int frame = 0; frame < 5; ++frame) {
        plain.update(PilotInput{}, grid);
        pressed.update(upDown, grid);
    }
    EXPECT_EQ(plain.x, pressed.x);
    EXPECT_EQ(plain.y, pressed.y);
    EXPECT_EQ(plain.vx, pressed.vx);
    EXPECT_EQ(plain.vy, pressed.vy);
}

TEST(PilotGroundMovement, WallStopsTheRunAndSnapsToTheCell)
{
    // Wall at column 4 on the pilot's row.
    const LevelGrid grid = gridFromMap({"......", "....#.", "######"});
    PilotBody body(3.4f, 1.0f);
    body.airborne = false;
    body.vx = 0.3f;
    body.update(holding(false, true), grid);
    EXPECT_EQ(body.vx, 0.0f);
    EXPECT_EQ(body.x, 3.0f);
    EXPECT_TRUE(body.facingRight); // vx = 0 keeps the facing
}

TEST(PilotJumping, JumpFromGroundRisesHalfACellPerFrame)
{
    const LevelGrid grid = openFloor();
    PilotBody body = standing(5.0f);
    body.requestJump();
    body.update(PilotInput{}, grid);
    EXPECT_EQ(body.vy, -0.5f);
    EXPECT_EQ(body.y, 1.5f);
    EXPECT_TRUE(body.airborne);
    EXPECT_FALSE(body.wallKick);
    EXPECT_FALSE(body.jumpRequested);
}

TEST(PilotJumping, CeilingStopsTheRise)
{
    const LevelGrid grid = gridFromMap({"###", "#.#", "###"});
    PilotBody body(1.0f, 1.0f);
    body.airborne = false;
    body.requestJump();
    body.update(PilotInput{}, grid);
    EXPECT_EQ(body.vy, 0.0f);
    EXPECT_EQ(body.y, 1.0f);
}

TEST(PilotFalling, GravityAddsOneHundredthUpToTheLimitThenLandsOnTheRow)
{
    // A 150-row drop onto row 150.
    std::vector<std::string> rows(150, "#.#");
    rows.push_back("###");
    const LevelGrid grid = gridFromMap(rows);
    PilotBody body(1.0f, 0.0f);
    body.update(PilotInput{}, grid);
    EXPECT_EQ(body.vy, 0.01f);
    float previous = body.vy;
    int frames = 1;
    while (body.vy < 1.0f && frames < 200) {
        body.update(PilotInput{}, grid);
        ++frames;
        if (body.vy < 1.0f) {
            ASSERT_NEAR(body.vy - previous, 0.01f, 1e-5f);
        }
        previous = body.vy;
    }
    EXPECT_GE(frames, 99);
    EXPECT_LE(frames, 101);
    EXPECT_EQ(body.vy, 1.0f);
    while (body.airborne && frames < 400) {
        body.update(PilotInput{}, grid);
        ++frames;
        ASSERT_LE(body.vy, 1.0f);
    }
    EXPECT_FALSE(body.airborne);
    EXPECT_EQ(body.vy, 0.0f);
    EXPECT_EQ(body.y, 149.0f);
}

TEST(PilotFalling, FastLandingGivesBackHalfACellPerExcessCell)
{
    const LevelGrid grid = gridFromMap({"#.#", "#.#", "#.#", "#.#", "#.#", "#.#", "#.#", "###"});
    PilotBody body(1.0f, 6.2f);
    body.vy = 2.3f;
    body.wallKick = true;
    body.update(PilotInput{}, grid);
    // 2.3 → 1.3 → 0.3 while y rises 6.2 → 5.7 → 5.2; then lands on row 5.
    EXPECT_EQ(body.y, 5.0f);
    EXPECT_EQ(body.vy, 0.0f);
    EXPECT_FALSE(body.airborne);
    EXPECT_FALSE(body.wallKick);

    PilotBody faster(1.0f, 6.0f);
    faster.vy = 3.5f;
    faster.update(PilotInput{}, grid);
    EXPECT_EQ(faster.y, 4.0f); // three corrections: 6 − 1.5 = 4.5, landing on row 4
    EXPECT_EQ(faster.vy, 0.0f);
}

TEST(PilotStanding, RestingOnTheGroundWithoutFallingIsNotAirborne)
{
    // Put on the ground at rest, the pilot never lands, yet it stands: the
    // first step clears the flag and it shows a standing frame.
    const LevelGrid grid = openFloor();
    PilotBody body(5.0f, 2.0f);
    ASSERT_TRUE(body.airborne); // as constructed
    body.update(PilotInput{}, grid);
    EXPECT_FALSE(body.airborne);
    EXPECT_EQ(body.y, 2.0f);
    EXPECT_EQ(body.vy, 0.0f);
    EXPECT_GE(body.frameNumber(), 10);
    EXPECT_LE(body.frameNumber(), 13);
    // Running along the ground is not flying either.
    body.update(holding(false, true), grid);
    EXPECT_FALSE(body.airborne);
    EXPECT_EQ(body.frameNumber(), 0); // the first run frame
}

TEST(PilotStanding, AJumpStoppedByACeilingIsAirborneOnlyOnItsOwnStep)
{
    const LevelGrid grid = gridFromMap({"#####", "#...#", "#####"});
    PilotBody body(2.0f, 1.0f);
    body.update(PilotInput{}, grid);
    ASSERT_FALSE(body.airborne);
    body.requestJump();
    body.update(PilotInput{}, grid);
    EXPECT_TRUE(body.airborne); // the step that asked for the jump
    EXPECT_EQ(body.vy, 0.0f);
    EXPECT_EQ(body.y, 1.0f);
    body.update(PilotInput{}, grid);
    EXPECT_FALSE(body.airborne);
    EXPECT_GE(body.frameNumber(), 10);
    EXPECT_LE(body.frameNumber(), 13);
    // A press at the next chance keeps it up, as the player asks to jump again.
    body.update(PilotInput{}, grid);
    body.update(PilotInput{}, grid);
    body.requestJump();
    body.update(holding(true, false), grid);
    EXPECT_TRUE(body.airborne);
    EXPECT_EQ(body.y, 1.0f);
}

TEST(PilotStanding, StillRisingOrFallingOnTheGroundRowStaysAirborne)
{
    // A landing keeps its own rule: only a pilot with no vertical speed
    // counts as standing. One moving up past a ledge row is still flying.
    const LevelGrid grid = openFloor();
    PilotBody rising(5.0f, 2.0f);
    rising.vy = -0.3f;
    rising.update(PilotInput{}, grid);
    EXPECT_TRUE(rising.airborne);
    EXPECT_EQ(rising.vy, -0.3f);
}

TEST(PilotStanding, TheFlagNeverChangesTheMovement)
{
    // Two pilots that differ only in the flag go the same way, bit for bit,
    // through runs, jumps, kicks, landings and a ceiling, on every input.
    const LevelGrid grid = gridFromMap({"##########", "#........#", "#..##....#", "#........#", "#....#...#",
                                        "#........#", "#........#", "##########"});
    PilotBody up(2.0f, 5.0f);
    PilotBody down(2.0f, 5.0f);
    down.airborne = false;
    uint32_t seed = 12345;
    for (int frame = 0; frame < 5000; ++frame) {
        seed = seed * 1664525u + 1013904223u;
        const PilotInput input = holding((seed >> 20) & 1u, (seed >> 21) & 1u);
        if (((seed >> 24) & 7u) == 0) {
            up.requestJump();
            down.requestJump();
        }
        if (frame % 97 == 0) {
            up.airborne = !up.airborne; // stir the flag now and then
        }
        up.update(input, grid);
        down.update(input, grid);
        ASSERT_EQ(up.x, down.x) << frame;
        ASSERT_EQ(up.y, down.y) << frame;
        ASSERT_EQ(up.vx, down.vx) << frame;
        ASSERT_EQ(up.vy, down.vy) << frame;
        ASSERT_EQ(up.wallKick, down.wallKick) << frame;
    }
}

TEST(PilotWallKick, KickOffARightWall)
{
    // Wall on the right of cell (2, 2); open to the left.
    const LevelGrid grid = gridFromMap({"......#", "......#", "...#..#", "......#", "......#", "#######"});
    PilotBody body(2.0f, 2.0f);
    body.vy = 0.2f;
    body.requestJump();
    body.update(PilotInput{}, grid);
    EXPECT_EQ(body.vx, -0.5f);
    EXPECT_EQ(body.vy, 0.2f + 0.01f - 0.25f);
    EXPECT_NEAR(body.vy, -0.04f, 1e-6f);
    EXPECT_TRUE(body.wallKick);
    EXPECT_FALSE(body.facingRight);
    EXPECT_EQ(body.x, 1.5f);
    EXPECT_NEAR(body.flightSpeed(), std::sqrt(0.25f + 0.04f * 0.04f), 1e-6f);

    // Steering is ignored until the top of the flight.
    const PilotInput right = holding(false, true);
    body.update(right, grid);
    EXPECT_EQ(body.vx, -0.5f);
    EXPECT_TRUE(body.wallKick);
}

TEST(PilotWallKick, KickEndsAtTheTopOfTheFlightAndLimitsReturn)
{
    const LevelGrid grid = gridFromMap({"#..........", "#..........", "#..........", "###########"});
    PilotBody body(5.0f, 1.0f);
    body.vx = 1.8f;
    body.vy = -0.015f;
    body.wallKick = true;
    body.update(PilotInput{}, grid); // vy −0.005, still rising
    EXPECT_TRUE(body.wallKick);
    EXPECT_EQ(body.vx, 1.8f); // no limits during the kick
    body.update(PilotInput{}, grid); // vy crosses 0: the top
    EXPECT_FALSE(body.wallKick);
    EXPECT_EQ(body.vx, 1.0f); // clamped on the same step
    EXPECT_EQ(body.flightSpeed(), 0.0f);
}

TEST(PilotWallKick, KickOffALeftWall)
{
    const LevelGrid grid = gridFromMap({"#......", "#......", "#......", "#######"});
    PilotBody body(1.0f, 1.0f);
    body.requestJump();
    body.update(PilotInput{}, grid);
    EXPECT_EQ(body.vx, 0.5f);
    EXPECT_EQ(body.vy, 0.01f - 0.25f);
    EXPECT_TRUE(body.wallKick);
}

TEST(PilotWallKick, BetweenTwoWallsTheRightWallWins)
{
    // Moving right at 0.5 in a one-cell shaft: the right wall's kick cancels
    // the speed (no collision snap); the left wall's would have doubled it and
    // snapped the pilot to its cell.
    const LevelGrid grid = gridFromMap({"###", "#.#", "#.#", "#.#", "###"});
    PilotBody body(1.25f, 2.0f);
    body.vx = 0.5f;
    body.requestJump();
    body.update(PilotInput{}, grid);
    EXPECT_EQ(body.vx, 0.0f);
    EXPECT_EQ(body.x, 1.25f);
    EXPECT_EQ(body.vy, 0.01f - 0.25f);
    EXPECT_TRUE(body.wallKick);
}

TEST(PilotWallKick, JumpInTheOpenAirIsLost)
{
    const LevelGrid grid = gridFromMap({".....", ".....", ".....", "....."});
    PilotBody body(2.0f, 1.0f);
    body.requestJump();
    body.update(PilotInput{}, grid);
    EXPECT_EQ(body.vx, 0.0f);
    EXPECT_EQ(body.vy, 0.01f);
    EXPECT_FALSE(body.wallKick);
    EXPECT_FALSE(body.jumpRequested);
}

TEST(PilotWallKick, ChainedKicksUpAShaftPassTheWinningSpeed)
{
    std::vector<std::string> rows(1, "###");
    for (int i = 0; i < 300; ++i) {
        rows.push_back("#.#");
    }
    rows.push_back("###");
    const LevelGrid grid = gridFromMap(rows);
    PilotBody body(1.0f, 300.0f);
    body.airborne = false;
    body.requestJump();
    int frames = 0;
    while (body.flightSpeed() < PilotBody::winningFlightSpeed && frames < 200) {
        if (frames % 10 == 5) {
            body.requestJump();
        }
        body.update(PilotInput{}, grid);
        ++frames;
    }
    EXPECT_GE(body.flightSpeed(), 1.5f);
    EXPECT_TRUE(body.wallKick);
    EXPECT_GT(body.y, 1.0f); // still inside the shaft
}

namespace {

// A one-cell shaft `height` rows tall above a floor, the pilot standing on it.
LevelGrid shaft(int height)
{
    std::vector<std::string> rows(1, "###");
    rows.insert(rows.end(), static_cast<std::size_t>(height), "#.#");
    rows.push_back("###");
    return gridFromMap(rows);
}

} // namespace

TEST(PilotWallKick, AKickThatLeavesThePilotFallingEndsAtOnceAndAFallNeverWins)
{
    const LevelGrid grid = shaft(600);
    // Dropping from the top; at every speed a kick can meet, one press.
    for (const float fall : {0.3f, 0.8f, 1.0f}) {
        PilotBody body(1.0f, 2.0f);
        body.vy = fall;
        body.requestJump();
        body.update(PilotInput{}, grid);
        EXPECT_EQ(body.vy, fall + 0.01f - 0.25f) << fall; // the impulse still counts
        EXPECT_GT(body.events.wallKickSpeed, 0.0f) << fall;
        EXPECT_FALSE(body.wallKick) << fall;
        float top = 0.0f;
        for (int step = 0; step < 500 && body.y < 590.0f; ++step) {
            body.update(PilotInput{}, grid);
            top = std::max(top, body.flightSpeed());
        }
        EXPECT_EQ(top, 0.0f) << fall;
        EXPECT_EQ(body.vy, 1.0f) << fall; // the fall is held to the usual limit
    }
    // A kick a ceiling stops at once ends on the next step, not at the ground.
    const LevelGrid capped = gridFromMap({"###", "#.#", "#.#", "#.#", "#.#", "#.#", "#.#", "###"});
    PilotBody body(1.0f, 1.0f);
    body.requestJump();
    body.update(PilotInput{}, capped);
    EXPECT_TRUE(body.wallKick);
    EXPECT_EQ(body.vy, 0.0f);
    body.update(PilotInput{}, capped);
    EXPECT_FALSE(body.wallKick);
    // So does one a ceiling stopped over a step the pilot stands on: it runs.
    const LevelGrid step = openFloor();
    PilotBody onStep = standing(5.0f);
    onStep.wallKick = true;
    onStep.update(holding(false, true), step);
    EXPECT_FALSE(onStep.wallKick);
    EXPECT_EQ(onStep.vx, 0.01f);
}

TEST(PilotWallKick, PressesCloserThanFourStepsAreDroppedSoTurboMatchesAPressEveryFourth)
{
    // From the ground up a tall shaft: a press on every step or every
    // second step kicks exactly as one on every fourth step.
    const LevelGrid grid = shaft(400);
    PilotBody everyFourth(1.0f, 400.0f);
    for (const int gap : {1, 2}) {
        PilotBody body(1.0f, 400.0f);
        everyFourth = PilotBody(1.0f, 400.0f);
        for (int step = 0; step < 40; ++step) {
            if (step % gap == 0) {
                body.requestJump();
            }
            if (step % 4 == 0) {
                everyFourth.requestJump();
            }
            body.update(PilotInput{}, grid);
            everyFourth.update(PilotInput{}, grid);
            ASSERT_EQ(body.y, everyFourth.y) << "gap " << gap << " step " << step;
            ASSERT_EQ(body.vy, everyFourth.vy) << "gap " << gap << " step " << step;
        }
    }
    EXPECT_LT(everyFourth.vy, -1.0f); // it did climb by kicks
}

TEST(PilotWallKick, EveryPressReportsWhetherItWasWastedAndAFallingKickIsFlagged)
{
    const struct {
        const char* name;
        bool inShaft; // a one-cell shaft, else open air over nothing
        float vy;
        std::vector<int> pressSteps; // the events of the last one are checked
        bool wasted, kicked, endedAtOnce;
    } cases[] = {
        {"press in open air", false, 0.0f, {0}, true, false, false},
        {"rising kick", true, -0.2f, {0}, false, true, false},
        {"kick from a standstill", true, 0.0f, {0}, false, true, false},
        {"kick while falling", true, 0.3f, {0}, false, true, true},
        {"press the step after a kick", true, -0.2f, {0, 1}, true, false, false},
        {"press three steps after a kick", true, -0.2f, {0, 3}, true, false, false},
        {"press four steps after a kick", true, -0.2f, {0, 4}, false, true, false},
    };
    for (const auto& c : cases) {
        const LevelGrid grid = c.inShaft ? shaft(40) : gridFromMap({".....", ".....", ".....", "....."});
        PilotBody body(c.inShaft ? 1.0f : 2.0f, c.inShaft ? 20.0f : 1.0f);
        body.vy = c.vy;
        for (int step = 0; step <= c.pressSteps.back(); ++step) {
            if (std::find(c.pressSteps.begin(), c.pressSteps.end(), step) != c.pressSteps.end())
                body.requestJump();
            body.update(PilotInput{}, grid);
        }
        EXPECT_EQ(body.events.pressWasted, c.wasted) << c.name;
        EXPECT_EQ(body.events.wallKickSpeed > 0.0f, c.kicked) << c.name;
        EXPECT_EQ(body.events.kickEndedAtOnce, c.endedAtOnce) << c.name;
    }
    // With the kick buffer a press in open air is wasted only when its wait runs out.
    PilotBody kept(2.0f, 1.0f);
    kept.kickBuffer = true;
    kept.requestJump();
    for (int step = 0; step <= PilotBody::kickBufferSteps; ++step) {
        kept.update(PilotInput{}, gridFromMap({".....", ".....", ".....", "....."}));
        EXPECT_EQ(kept.events.pressWasted, step == PilotBody::kickBufferSteps) << "buffered, step " << step;
    }
    PilotBody quiet(2.0f, 1.0f); // no press: nothing to report
    quiet.update(PilotInput{}, openFloor());
    EXPECT_FALSE(quiet.events.pressWasted);
}

TEST(PilotSpeeds, FlightSpeedCountsOnlyDuringAWallKick)
{
    PilotBody body(0.0f, 0.0f);
    body.vx = 1.0f;
    body.vy = 1.0f;
    EXPECT_FLOAT_EQ(body.speed(), std::sqrt(2.0f));
    EXPECT_EQ(body.flightSpeed(), 0.0f);
    body.wallKick = true;
    EXPECT_FLOAT_EQ(body.flightSpeed(), std::sqrt(2.0f));
}

TEST(PilotLevelEdges, CellsOutsideThePictureAreSolid)
{
    // An empty grid: the pilot stands in solid surroundings and never moves.
    const LevelGrid empty;
    PilotBody body(60.0f, 984.0f);
    for (int frame = 0; frame < 100; ++frame) {
        if (frame == 10) {
            body.requestJump();
        }
        body.update(holding(frame < 50, frame >= 50), empty);
    }
    EXPECT_EQ(body.x, 60.0f);
    EXPECT_EQ(body.y, 984.0f);

    // At the left edge of a real grid the edge acts as a wall.
    const LevelGrid grid = gridFromMap({"...", "...", "###"});
    PilotBody edge(0.0f, 1.0f);
    edge.airborne = false;
    edge.vx = -0.5f;
    edge.update(holding(true, false), grid);
    EXPECT_EQ(edge.vx, 0.0f);
    EXPECT_EQ(edge.x, 0.0f);
}

TEST(PilotDrawing, TheDrawnBoxLeavesSolidCellsByTheShortestWay)
{
    // Row 3 is ground with a door at column 2; column 5 is a wall.
    const LevelGrid grid = gridFromMap({".....#", ".....#", ".....#", "##.###", "##.###"});
    struct Case {
        float x, y;       // where the pilot is
        float drawnX, drawnY;
    };
    const Case cases[] = {
        {1.0f, 2.0f, 1.0f, 2.0f},    // standing: drawn where it is
        {2.3f, 2.6f, 2.0f, 2.6f},    // 0.3 past the door's edge, 0.6 into the ground: into the door
        {2.7f, 2.15f, 2.7f, 2.0f},   // 0.15 into the ground beside the door: lifted
        {2.85f, 3.1f, 2.0f, 3.1f},   // mostly in the shaft: pushed back into it
        {4.4f, 1.2f, 4.0f, 1.2f},    // into the wall on the right
        {4.3f, 2.4f, 4.0f, 2.0f},    // into the corner of wall and ground: both
        {0.5f, 3.5f, 0.5f, 3.5f},    // walled in: nothing clear near, left as it is
    };
    for (const Case& c : cases) {
        const pilotPlacement::Place place = pilotPlacement::drawn(c.x, c.y, grid);
        EXPECT_EQ(place.x, c.drawnX) << c.x << ", " << c.y;
        EXPECT_EQ(place.y, c.drawnY) << c.x << ", " << c.y;
    }
}

TEST(PilotKickBuffer, APressWaitsSixStepsForAWallOrTheEndOfTheRecovery)
{
    // Open air over a one-cell shaft whose walls begin at row 10; the pilot
    // drops into it from row 1, beside its walls from step `wall` on.
    std::vector<std::string> rows(10, "#...#");
    rows.insert(rows.end(), 30, "##.##");
    const LevelGrid grid = gridFromMap(rows);
    PilotBody probe(2.0f, 1.0f);
    int wall = 0;
    for (; !grid.solid(3, static_cast<int>(probe.y)); ++wall) {
        probe.update(PilotInput{}, grid);
    }
    struct Case {
        bool buffer;
        int pressAt, secondAt; // steps of the presses, -1 none
        int kicks, lastKickAt;
    };
    for (const Case& c : std::initializer_list<Case>{{true, wall - 1, -1, 1, wall},
                                                     {true, wall - 6, -1, 1, wall},
                                                     {true, wall - 7, -1, 0, -1},
                                                     {false, wall - 1, -1, 0, -1},
                                                     {false, wall, -1, 1, wall},
                                                     // during the four steps after a kick
                                                     {true, wall, wall + 1, 2, wall + 4},
                                                     {false, wall, wall + 1, 1, wall}}) {
        PilotBody body(2.0f, 1.0f);
        body.kickBuffer = c.buffer;
        int kicks = 0, lastKick = -1;
        for (int step = 0; step < wall + 12; ++step) {
            if (step == c.pressAt || step == c.secondAt) {
                body.requestJump();
            }
            body.update(PilotInput{}, grid);
            kicks += body.events.wallKickSpeed > 0.0f ? 1 : 0;
            lastKick = body.events.wallKickSpeed > 0.0f ? step : lastKick;
        }
        EXPECT_EQ(kicks, c.kicks) << c.buffer << " " << c.pressAt - wall << " " << c.secondAt;
        EXPECT_EQ(lastKick, c.lastKickAt) << c.buffer << " " << c.pressAt - wall << " " << c.secondAt;
    }
}

TEST(PilotKickBuffer, OffTheMovementIsTheSameBitForBitOverALongRandomRun)
{
    // Walls, gaps and floors under random keys; the end state is pinned from
    // the movement before the buffer existed.
    std::vector<std::string> rows(62, std::string(40, '#'));
    for (int row = 1; row < 61; ++row) {
        for (int column = 1; column < 39; ++column) {
            rows[row][column] = column % 7 != 3 || ((row - 1) / 6 + column) % 3 == 0 ? '.' : '#';
        }
    }
    const LevelGrid grid = gridFromMap(rows);
    PilotBody body(1.0f, 59.0f);
    uint32_t random = 12345;
    int kicks = 0;
    for (int step = 0; step < 20000; ++step) {
        random = random * 1664525u + 1013904223u;
        body.jumpRequested = (random >> 24 & 7) == 0;
        body.update(holding((random >> 28 & 3) == 1, (random >> 28 & 3) == 2), grid);
        kicks += body.events.wallKickSpeed > 0.0f ? 1 : 0;
    }
    EXPECT_EQ(kicks, 215);
    EXPECT_EQ(std::vector<float>({body.x, body.y, body.vx, body.vy}),
              std::vector<float>({0x1.deb858p+2f, 0x1.591ea4p+5f, -0x1.0a3d7p-2f, 0x1.570a2ap-1f}));
}
