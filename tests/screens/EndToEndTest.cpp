// The whole game in one process: the title story skipped with key presses,
// play until a wall-kick climb wins, the warp, and the ending, all through
// the real main loop and drawer. Every step is counted in frames, never in
// wall-clock time. With VANTORREL_SHOTS naming a folder, each screen is also
// saved there as a PNG picture (needs xwd and ImageMagick's convert).
#include "game/Epilogue.h"
#include "game/GamePlay.h"
#include "game/TitleScreen.h"
#include "render/Drawer.h"

#include "ScreenFixture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int playFrameLimit = 4000;  // the climb takes a few hundred
constexpr int warpFrameLimit = 400;   // the rings need about 200
constexpr int endingFrames = 320;     // past the boom at 300
constexpr int stuckTurnFrames = 300;  // frames without moving before the bot turns round

class EndToEndTest : public ScreenFixture {
protected:
    // The frame just shown, taken from the X server the way a player sees it.
    void shoot(const std::string& name)
    {
        const char* folder = std::getenv("VANTORREL_SHOTS");
        if (folder == nullptr)
            return;
        glFinish();
        const std::string command = "xwd -name Vantorrel -silent | convert xwd:- '" + std::string(folder) + "/" + name + ".png'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }

    GamePlay* play() { return dynamic_cast<GamePlay*>(app->currentState()); }
};

// Holds left, hops over whatever blocks the way, and once the pilot is in a
// one-cell shaft (walls on both sides) kicks off the walls every frame: each
// kick adds 0.25 upward with the limits lifted, so the climb soon passes the
// winning speed.
bool wantsJump(const PilotBody& body, const LevelGrid& level)
{
    const int32_t column = static_cast<int32_t>(body.x);
    const int32_t row = static_cast<int32_t>(body.y);
    const bool wallLeft = level.solid(column - 1, row);
    const bool wallRight = level.solid(column + 1, row);
    if (body.airborne)
        return wallLeft && wallRight;
    return wallLeft;
}

TEST_F(EndToEndTest, TitleStoryPlayWinWarpAndEnding)
{
    app->loadGlyphs();

    // Title: the story starts on its empty line; each press brings the next.
    auto* title = dynamic_cast<TitleScreen*>(app->currentState());
    ASSERT_NE(title, nullptr);
    for (int frame = 0; frame < 10; ++frame)
        ASSERT_TRUE(app->runIteration());
    EXPECT_EQ(title->story().lineIndex(), 0);
    pushKey(SDLK_SPACE);
    ASSERT_TRUE(app->runIteration());
    EXPECT_EQ(title->story().storyLine(), "Trapped in the past");
    shoot("01-title-first-line");
    for (int line = 2; line <= 6; ++line) {
        pushKey(SDLK_RETURN);
        ASSERT_TRUE(app->runIteration());
        ASSERT_EQ(stateName(), "TitleScreen");
        EXPECT_EQ(title->story().lineIndex(), line);
        if (line == 3)
            shoot("02-title-third-line");
    }
    shoot("03-title-last-line");
    pushKey(SDLK_SPACE);
    ASSERT_TRUE(app->runIteration());
    ASSERT_EQ(stateName(), "GamePlay");
    title = nullptr; // gone with the switch

    // Play: climb until the wall kick reaches the winning speed. The bot runs
    // left first and turns round when it has been stuck for a while.
    SDLKey heading = SDLK_LEFT;
    pushKeyDown(heading, true);
    int frames = 0;
    int stuckFrames = 0;
    float lastX = play()->getBody().x;
    while (!play()->isFinished() && frames < playFrameLimit) {
        if (wantsJump(play()->getBody(), play()->getLevel()))
            pushKey(SDLK_SPACE);
        ASSERT_TRUE(app->runIteration());
        ++frames;
        if (frames == 60)
            shoot("04-play-running");
        if (play()->isFinished())
            break;
        stuckFrames = play()->getBody().x == lastX ? stuckFrames + 1 : 0;
        lastX = play()->getBody().x;
        if (stuckFrames > stuckTurnFrames) {
            pushKeyDown(heading, false);
            heading = heading == SDLK_LEFT ? SDLK_RIGHT : SDLK_LEFT;
            pushKeyDown(heading, true);
            stuckFrames = 0;
        }
    }
    ASSERT_TRUE(play()->isFinished()) << "no win after " << frames << " frames, pilot at "
                                      << play()->getBody().x << ", " << play()->getBody().y;
    EXPECT_GE(play()->getBody().flightSpeed(), PilotBody::winningFlightSpeed);
    shoot("05-play-won");
    pushKeyDown(heading, false);

    // The warp grows over the screen and hands over to the ending.
    int warpFrames = 0;
    while (stateName() == "GamePlay" && warpFrames < warpFrameLimit) {
        ASSERT_TRUE(app->runIteration());
        ++warpFrames;
        if (warpFrames == 120)
            shoot("06-warp-closing");
    }
    ASSERT_EQ(stateName(), "Epilogue");
    EXPECT_GE(warpFrames, 190);
    EXPECT_LE(warpFrames, 210);

    // The ending: rings open, the pilot drops, two lines and a boom.
    auto* ending = dynamic_cast<Epilogue*>(app->currentState());
    ASSERT_NE(ending, nullptr);
    for (int frame = 1; frame <= endingFrames; ++frame) {
        if (frame % 25 == 0)
            pushKey(SDLK_SPACE); // ignored here
        ASSERT_TRUE(app->runIteration());
        if (frame == 12)
            shoot("07-ending-rings-opening");
        if (frame == 34)
            shoot("08-ending-pilot-falling");
        if (frame == 200)
            shoot("09-ending-wait");
    }
    shoot("10-ending-to-be-continued");
    EXPECT_EQ(stateName(), "Epilogue");
    EXPECT_FALSE(ending->pilot().airborne);

    pushKey(SDLK_ESCAPE);
    EXPECT_FALSE(app->runIteration());
    EXPECT_TRUE(app->isQuitRequested());
}

} // namespace
