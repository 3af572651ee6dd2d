// The whole game in one process: the title story skipped with key presses,
// the climb played along levelcheck's route to the win, the warp, and the ending, all through
// the real main loop and drawer. Every step is counted in frames, never in
// wall-clock time. With VANTORREL_SHOTS naming a folder, each screen is also
// saved there as a PNG picture (needs xwd and ImageMagick's convert).
#include "game/Epilogue.h"
#include "game/GamePlay.h"
#include "game/TitleScreen.h"
#include "render/Drawer.h"

#include "PlaythroughBot.h"
#include "ScreenFixture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int playFrameLimit = 4000;  // the climb's route takes under 3000
constexpr int warpFrameLimit = 400;   // the rings need about 200
constexpr int endingFrames = 320;     // past the boom at 300

class EndToEndTest : public ScreenFixture {
protected:
    EndToEndTest()
    {
        // Thousands of frames of play: a small window draws them quickly
        // with software rendering; full size only when screenshots are kept.
        if (std::getenv("VANTORREL_SHOTS") == nullptr) {
            windowWidth = 320;
            windowHeight = 180;
        }
    }

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

    // Play: the climb, along the fastest route levelcheck found, with real
    // key events; the win comes on exactly the route's last frame.
    PlaythroughBot bot;
    ASSERT_EQ(bot.readError(), "");
    // The press that started play also ran the play screen's first frame:
    // the route's first line, which holds and presses nothing.
    const PlaythroughBot::Keys first = bot.next(play()->getBody(), play()->getLevel());
    ASSERT_FALSE(first.left || first.right || first.jump);
    bool left = false;
    bool right = false;
    int frames = 1;
    while (!play()->isFinished() && frames < playFrameLimit) {
        const PlaythroughBot::Keys keys = bot.next(play()->getBody(), play()->getLevel());
        if (keys.left != left) {
            pushKeyDown(SDLK_LEFT, keys.left);
            left = keys.left;
        }
        if (keys.right != right) {
            pushKeyDown(SDLK_RIGHT, keys.right);
            right = keys.right;
        }
        if (keys.jump)
            pushKey(SDLK_SPACE);
        ASSERT_TRUE(app->runIteration());
        ++frames;
        if (frames == 60)
            shoot("04-play-running");
        if (frames == 1500)
            shoot("04b-play-climbing");
    }
    ASSERT_TRUE(play()->isFinished()) << "no win after " << frames << " frames, pilot at "
                                      << play()->getBody().x << ", " << play()->getBody().y;
    EXPECT_EQ(static_cast<std::size_t>(frames), bot.winningFrame());
    EXPECT_GE(play()->getBody().flightSpeed(), PilotBody::winningFlightSpeed);
    shoot("05-play-won");
    pushKeyDown(SDLK_LEFT, false);
    pushKeyDown(SDLK_RIGHT, false);

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
