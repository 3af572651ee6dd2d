#include "PlaythroughBot.h"
#include "game/LevelGrid.h"
#include "game/PilotBody.h"
#include "render/FilePath.h"

#include <gtest/gtest.h>

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
    const LevelGrid grid = loadLevel("pilot.png");
    PilotBody body(60.0f, 984.0f);
    PlaythroughBot bot;
    bool climbedChimney = false;
    int frames = 0;
    const int minute = 4000; // frames of 15 ms
    while (body.flightSpeed() < PilotBody::winningFlightSpeed && frames < minute) {
        const PlaythroughBot::Keys keys = bot.next(body, grid);
        PilotInput input;
        input.left = keys.left;
        input.right = keys.right;
        if (keys.jump) {
            body.requestJump();
        }
        body.update(input, grid);
        climbedChimney = climbedChimney || body.y < 967.5f;
        ++frames;
    }
    EXPECT_TRUE(climbedChimney);
    EXPECT_GE(body.flightSpeed(), 1.5f) << "stuck at " << body.x << ", " << body.y << " after " << frames;
    EXPECT_TRUE(body.wallKick);
    EXPECT_EQ(static_cast<int>(body.x), PlaythroughBot::shaftColumn);
    EXPECT_GT(body.y, 480.0f); // still inside the shaft
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

TEST(ShippedPlayLevel, OneKickWhileFallingDownTheShaftAlsoWins)
{
    // Out of the top without the winning speed, the pilot falls back; a kick
    // lifts the limits and the fall itself builds the speed.
    const LevelGrid grid = loadLevel("pilot.png");
    PilotBody body(57.0f, 490.0f);
    bool kicked = false;
    int frames = 0;
    while (body.flightSpeed() < PilotBody::winningFlightSpeed && body.y < 966.0f && frames < 1000) {
        if (!kicked && body.vy >= 1.0f) {
            body.requestJump();
            kicked = true;
        }
        body.update(PilotInput{}, grid);
        ++frames;
    }
    EXPECT_TRUE(kicked);
    EXPECT_GE(body.flightSpeed(), 1.5f);
    EXPECT_GT(body.vy, 0.0f); // on the way down
    EXPECT_LT(body.y, 966.0f);
}
