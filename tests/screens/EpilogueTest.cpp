// The ending: its two delays, its texts and boom, and a pilot nobody steers.
#include "game/Epilogue.h"

#include "RecordingDrawer.h"
#include "ScreenFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr const char* waitText = "drawText(\"Wait, this isn't right...\", 1, 320, 400, 1024, 1, 0, 0, 0, 1)";
constexpr const char* endText = "drawText(\"TO BE CONTINUED\", 1, 360, 200, 1024, 1, 1, 0, 0, 1)";

TEST(EpilogueTimeline, TheFirstTextComesOnFrame181AndTheBoomOnFrame300)
{
    EpilogueTimeline timeline;
    int firstWait = 0;
    int firstEnd = 0;
    std::vector<int> booms;
    for (int frame = 1; frame <= 1000; ++frame) {
        const EpilogueTimeline::Step step = timeline.tick();
        if (step.showsWait && firstWait == 0)
            firstWait = frame;
        if (step.showsEnd && firstEnd == 0)
            firstEnd = frame;
        if (step.boom)
            booms.push_back(frame);
        if (firstWait != 0) {
            ASSERT_TRUE(step.showsWait) << "stays from then on, frame " << frame;
        }
        if (firstEnd != 0) {
            ASSERT_TRUE(step.showsEnd) << "stays from then on, frame " << frame;
        }
    }
    EXPECT_EQ(firstWait, 181);
    EXPECT_EQ(firstEnd, 301);
    EXPECT_EQ(booms, std::vector<int>{300});
}

using EpilogueTest = ScreenFixture;

TEST_F(EpilogueTest, TheFirstFrameDrawsTheVioletSkyThenTheOpeningRings)
{
    Epilogue screen(*app);
    RecordingDrawer drawer;
    screen.frame(drawer);
    ASSERT_GE(drawer.calls.size(), 7u);
    EXPECT_EQ(drawer.calls[0], "createTexture(1024, 1024)");
    EXPECT_EQ(drawer.calls[1], "loadFont(MarsNeedsCunnilingus.ttf, 64)");
    EXPECT_EQ(drawer.calls[2], "fillGradientRect(0, 0, 1280, 720, 112, 96, 128, 255, 255, 255, 255, 255)");
    EXPECT_EQ(drawer.calls[3], "setBlendMode(1)");
    EXPECT_EQ(drawer.calls[4], "drawTexture(1, 0, 0, 1.25, 1.25, 1, 1, 1, 0.5)");
    EXPECT_EQ(drawer.calls[5], "setBlendMode(0)");
    // The rings start 3200 pixels wide (scale 400), centred, and are drawn last.
    const std::string& last = drawer.calls.back();
    EXPECT_NE(last.find("fillRectsTransformed("), std::string::npos) << last;
    EXPECT_NE(last.find(", -960, -1240, 0, 4, 4, 400, 400, "), std::string::npos) << last;
    EXPECT_EQ(drawer.countStartingWith("drawText("), 0);
}

TEST_F(EpilogueTest, TextsAppearOnFrames181And301AndStay)
{
    Epilogue screen(*app);
    RecordingDrawer drawer;
    for (int frame = 1; frame <= 320; ++frame) {
        drawer.clear();
        screen.frame(drawer);
        ASSERT_EQ(drawer.has(waitText), frame >= 181) << "frame " << frame;
        ASSERT_EQ(drawer.has(endText), frame >= 301) << "frame " << frame;
    }
    // The black line is drawn before the red one.
    EXPECT_EQ(drawer.calls[drawer.calls.size() - 2], waitText);
    EXPECT_EQ(drawer.calls.back(), endText);
}

TEST_F(EpilogueTest, TheRunTimeComesUnderTheLastLineWithIt)
{
    app->setRunMilliseconds(61005);
    Epilogue screen(*app);
    EXPECT_EQ(screen.runTimeText(), "Run time 1:01.00");
    const std::string shadow = "drawText(\"Run time 1:01.00\", 1, 363, 293, 1024, 1, 0, 0, 0, 0.85)";
    const std::string line = "drawText(\"Run time 1:01.00\", 1, 360, 290, 1024, 1, 1, 0, 0, 1)";
    RecordingDrawer drawer;
    for (int frame = 1; frame <= 305; ++frame) {
        drawer.clear();
        screen.frame(drawer);
        ASSERT_EQ(drawer.has(line), frame >= 301) << "frame " << frame;
        ASSERT_EQ(drawer.has(shadow), frame >= 301) << "frame " << frame;
    }
    // After the heading, its dark outline under it, the line on top.
    ASSERT_GE(drawer.calls.size(), 10u);
    EXPECT_EQ(drawer.calls[drawer.calls.size() - 10], endText);
    EXPECT_EQ(drawer.calls[drawer.calls.size() - 2], shadow);
    EXPECT_EQ(drawer.calls.back(), line);
}

TEST_F(EpilogueTest, WithoutAWonRunNoTimeIsShown)
{
    ASSERT_EQ(app->getRunMilliseconds(), -1);
    Epilogue screen(*app);
    EXPECT_EQ(screen.runTimeText(), "");
    RecordingDrawer drawer;
    for (int frame = 1; frame <= 310; ++frame)
        screen.frame(drawer);
    EXPECT_EQ(drawer.countStartingWith("drawText(\"Run time"), 0);
    EXPECT_EQ(drawer.calls.back(), endText);
}

TEST_F(EpilogueTest, ThePilotFallsAndComesToRestOnTheGround)
{
    Epilogue screen(*app);
    ASSERT_FALSE(screen.levelGrid().empty()) << "the epilogue level ships beside the program";
    RecordingDrawer drawer;
    EXPECT_TRUE(screen.pilot().airborne);
    for (int frame = 0; frame < 400; ++frame)
        screen.frame(drawer);
    const PilotBody& pilot = screen.pilot();
    EXPECT_FALSE(pilot.airborne);
    EXPECT_EQ(pilot.x, 60.0f) << "nobody steers";
    EXPECT_EQ(pilot.y, std::trunc(pilot.y)) << "landed on a whole row";
    EXPECT_GT(pilot.y, 944.0f);
    EXPECT_TRUE(screen.levelGrid().solid(60, static_cast<int32_t>(pilot.y) + 1));
    EXPECT_EQ(pilot.vx, 0.0f);
    EXPECT_EQ(pilot.vy, 0.0f);
}

TEST_F(EpilogueTest, KeysOtherThanEscapeChangeNothing)
{
    Epilogue quiet(*app);
    Epilogue pressed(*app);
    RecordingDrawer drawer;
    for (int frame = 0; frame < 200; ++frame) {
        for (const char* action : {"Action", "P1Left", "P1Right", "P1Up", "P1Down", ""})
            pressed.actionPressed(action, SDL_keysym{});
        quiet.frame(drawer);
        pressed.frame(drawer);
        ASSERT_EQ(pressed.pilot().x, quiet.pilot().x) << frame;
        ASSERT_EQ(pressed.pilot().y, quiet.pilot().y) << frame;
        ASSERT_EQ(pressed.pilot().vy, quiet.pilot().vy) << frame;
    }
    EXPECT_FALSE(app->isQuitRequested());
    pressed.actionPressed("Escape", SDL_keysym{});
    EXPECT_TRUE(app->isQuitRequested());
}

TEST_F(EpilogueTest, ActionPlaysAgainOnlyOnceTheResultIsUp)
{
    app->switchState("Epilogue");
    for (int frame = 1; frame <= 301; ++frame) {
        ASSERT_EQ(stateName(), "Epilogue") << "frame " << frame;
        pushKey(SDLK_SPACE);
        ASSERT_TRUE(app->runIteration());
    }
    pushKey(SDLK_SPACE);
    ASSERT_TRUE(app->runIteration());
    EXPECT_EQ(stateName(), "GamePlay");
}

TEST_F(EpilogueTest, EscapeThroughTheKeyboardEndsTheGame)
{
    app->switchState("Epilogue");
    ASSERT_EQ(stateName(), "Epilogue");
    for (int frame = 0; frame < 3; ++frame)
        ASSERT_TRUE(app->runIteration());
    pushKey(SDLK_SPACE);
    ASSERT_TRUE(app->runIteration());
    pushKey(SDLK_ESCAPE);
    EXPECT_FALSE(app->runIteration());
}

} // namespace
