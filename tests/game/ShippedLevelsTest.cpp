#include "PlaythroughBot.h"
#include "game/LevelGrid.h"
#include "game/PilotBody.h"
#include "game/PilotPlacement.h"
#include "base/FilePath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

LevelGrid loadLevel(const std::string& name)
{
    LevelGrid grid;
    grid.load(FilePath::executableDirectory().join("levels").join(name));
    return grid;
}

// Every value the painter uses has a tile of its own.
bool knownCell(uint8_t value)
{
    switch (value) {
    case 255: case 0: case 32: case 64: case 96: case 128: case 224: case 254:
        return true;
    default:
        return false;
    }
}

// The summit's long one-cell shaft in the shipped play level.
constexpr int summitColumn = 43;
constexpr int summitTop = 152;    // its highest row
constexpr int summitBottom = 276; // its lowest row

void expectUsableAround(const LevelGrid& grid, int column, int row)
{
    ASSERT_GE(column, 1);
    ASSERT_LT(column, grid.getWidth() - 1);
    ASSERT_GE(row, 1);
    ASSERT_LT(row, grid.getHeight() - 1);
    EXPECT_FALSE(grid.solid(column, row));
}

} // namespace

TEST(ShippedPlayLevel, LargeEnoughWithAnOpenStart)
{
    const LevelGrid grid = loadLevel("pilot.png");
    EXPECT_GE(grid.getWidth(), 62);
    EXPECT_GE(grid.getHeight(), 986);
    expectUsableAround(grid, 60, 984);
    for (int row = 0; row < grid.getHeight(); ++row) {
        for (int column = 0; column < grid.getWidth(); ++column) {
            ASSERT_TRUE(knownCell(grid.cell(column, row))) << column << ", " << row;
        }
    }
}

TEST(ShippedPlayLevel, PilotDropsOntoTheGroundAndStands)
{
    const LevelGrid grid = loadLevel("pilot.png");
    PilotBody body(60.0f, 984.0f);
    int frames = 0;
    while (body.airborne && frames < 100) {
        body.update(PilotInput{}, grid);
        ++frames;
    }
    EXPECT_FALSE(body.airborne);
    EXPECT_EQ(body.x, 60.0f);
    EXPECT_EQ(body.y, 986.0f);
    EXPECT_LT(frames, 40);
}

TEST(ShippedPlayLevel, ChainedWallKicksWinWithinAMinute)
{
    // The route levelcheck found, played with the game's movement: it climbs
    // every section and wins up the summit shaft on its very last frame.
    const LevelGrid grid = loadLevel("pilot.png");
    PilotBody body(60.0f, 984.0f);
    PlaythroughBot bot;
    ASSERT_EQ(bot.readError(), "");
    const std::size_t winningFrame = bot.winningFrame();
    ASSERT_GT(winningFrame, 2400u); // well over half a minute...
    ASSERT_LT(winningFrame, 4000u); // ...but within a minute
    float highest = body.y;
    std::size_t frames = 0;
    while (body.flightSpeed() < PilotBody::winningFlightSpeed && frames < winningFrame) {
        const PlaythroughBot::Keys keys = bot.next(body, grid);
        PilotInput input;
        input.left = keys.left;
        input.right = keys.right;
        if (keys.jump) {
            body.requestJump();
        }
        body.update(input, grid);
        highest = std::min(highest, body.y);
        ++frames;
    }
    EXPECT_EQ(frames, winningFrame);
    EXPECT_GE(body.flightSpeed(), 1.5f) << "stuck at " << body.x << ", " << body.y << " after " << frames;
    EXPECT_TRUE(body.wallKick);
    EXPECT_EQ(static_cast<int>(body.x), summitColumn);
    EXPECT_GT(body.y, summitTop);     // still inside the summit shaft...
    EXPECT_LT(body.y, summitBottom);
    EXPECT_EQ(highest, body.y);       // ...and never higher before
}

TEST(ShippedEpilogueLevel, LargeEnoughWithAnOpenStart)
{
    const LevelGrid grid = loadLevel("pilotEpilogue.png");
    EXPECT_GE(grid.getWidth(), 62);
    EXPECT_GE(grid.getHeight(), 946);
    expectUsableAround(grid, 60, 944);
}

TEST(ShippedEpilogueLevel, PilotLandsWithArmsUpThenStands)
{
    const LevelGrid grid = loadLevel("pilotEpilogue.png");
    PilotBody body(60.0f, 944.0f);
    int airFrames = 0;
    int standFrames = 0;
    for (int frame = 0; frame < 300; ++frame) {
        body.update(PilotInput{}, grid);
        const int shown = body.frameNumber();
        if (body.airborne) {
            ASSERT_EQ(standFrames, 0) << "it never takes off again";
            ASSERT_GE(shown, 6);
            ASSERT_LE(shown, 9);
            ++airFrames;
        } else {
            ASSERT_GE(shown, 10);
            ASSERT_LE(shown, 13);
            ++standFrames;
        }
        body.advanceAnimation();
    }
    EXPECT_GT(airFrames, 10);
    EXPECT_GT(standFrames, 200);
    EXPECT_EQ(body.x, 60.0f);
    EXPECT_EQ(body.y, 947.0f);
    EXPECT_EQ(body.vx, 0.0f);
    EXPECT_EQ(body.vy, 0.0f);
}

TEST(ShippedPlayLevel, AKickWhileFallingDownTheSummitShaftNeverWins)
{
    // Out of the summit shaft's top without the winning speed, the pilot
    // falls back. A kick on the way down (at any step of the fall) ends at
    // once, so the limits hold the fall and it never reaches the mark.
    const LevelGrid grid = loadLevel("pilot.png");
    for (int pressStep = 20; pressStep <= 140; pressStep += 40) {
        PilotBody body(static_cast<float>(summitColumn), static_cast<float>(summitTop));
        float top = 0.0f;
        for (int step = 0; step < 1000 && body.y < summitBottom; ++step) {
            if (step == pressStep) {
                body.requestJump();
            }
            body.update(PilotInput{}, grid);
            top = std::max(top, body.flightSpeed());
        }
        EXPECT_LT(top, PilotBody::winningFlightSpeed) << "press at step " << pressStep;
    }
    // A kick while rising up the shaft lasts to the top of its flight: from
    // 0.74 cells a step upward, the kick's own step and 75 of gravity (74
    // steps of 0.01 in single precision leave it a hair short of 0).
    PilotBody rising(static_cast<float>(summitColumn), static_cast<float>(summitBottom - 5));
    rising.vy = -0.5f;
    rising.requestJump();
    int kickSteps = 0;
    do {
        rising.update(PilotInput{}, grid);
        ++kickSteps;
    } while (rising.wallKick && kickSteps < 200);
    EXPECT_EQ(kickSteps, 76);
    EXPECT_GE(rising.vy, 0.0f);
    EXPECT_GT(rising.y, static_cast<float>(summitTop));
}

TEST(ShippedPlayLevel, EveryOtherShaftIsCappedAndShort)
{
    // Below the summit every climb is short: no column holds an open run
    // between two walls longer than the summit's tenth. (The speed of chained
    // kicks grows with the height they have; levelcheck shows the rest.)
    const LevelGrid grid = loadLevel("pilot.png");
    int longest = 0;
    for (int column = 1; column + 1 < grid.getWidth(); ++column) {
        int run = 0;
        for (int row = summitBottom + 1; row < grid.getHeight(); ++row) {
            const bool walled = !grid.solid(column, row) && grid.solid(column - 1, row) && grid.solid(column + 1, row);
            run = walled ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    EXPECT_LE(longest, 8);
    // The summit's own shaft is the long one.
    int summit = 0;
    for (int row = summitTop; row <= summitBottom; ++row) {
        summit += !grid.solid(summitColumn, row) && grid.solid(summitColumn - 1, row) ? 1 : 0;
    }
    EXPECT_GE(summit, 120);
}

TEST(ShippedPlayLevel, AlongTheRouteThePilotIsNeverDrawnInASolidCellAndKicksAreFlashedOnTheirWall)
{
    // The movement lets the box reach diagonally into the ground for a step
    // at doors and landings; the drawn box must stay clear, and close.
    const LevelGrid grid = loadLevel("pilot.png");
    PilotBody body(60.0f, 984.0f);
    PlaythroughBot bot;
    ASSERT_EQ(bot.readError(), "");
    int sunkSteps = 0;
    int kicks = 0;
    for (std::size_t frame = 0; frame < bot.winningFrame(); ++frame) {
        const PlaythroughBot::Keys keys = bot.next(body, grid);
        if (keys.jump) {
            body.requestJump();
        }
        body.update(PilotInput{0, keys.left, keys.right, 0}, grid);
        if (body.events.wallKickSpeed > 0.0f) { // where the flash goes: between the pilot's cell and the wall's
            const int row = static_cast<int>(body.events.wallKickY - 0.5f);
            const int wall = static_cast<int>(body.events.wallKickX) - (body.events.wallOnRight ? 0 : 1);
            ASSERT_TRUE(grid.solid(wall, row) && !grid.solid(wall + (body.events.wallOnRight ? -1 : 1), row)) << frame;
            ++kicks;
        }
        const pilotPlacement::Place drawn = pilotPlacement::drawn(body.x, body.y, grid);
        ASSERT_TRUE(pilotPlacement::isClear(drawn.x, drawn.y, grid)) << frame << ": " << body.x << ", " << body.y;
        ASSERT_LT(std::fabs(drawn.x - body.x) + std::fabs(drawn.y - body.y), 1.0f) << frame;
        sunkSteps += pilotPlacement::isClear(body.x, body.y, grid) ? 0 : 1;
    }
    EXPECT_GT(sunkSteps, 0) << "the route no longer shows the overlap this guards against";
    EXPECT_GT(kicks, 20);
}
