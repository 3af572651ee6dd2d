// The title screen: the story's timing, its presses and what each frame draws.
#include "game/TitleScreen.h"
#include "game/GamePlay.h"
#include "data/Pictures.h"
#include "base/ImageLoader.h"

#include "RecordingDrawer.h"
#include "ScreenFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

std::vector<int> boomFrames(TitleStory& story, int frames)
{
    std::vector<int> booms;
    for (int frame = 1; frame <= frames; ++frame)
        if (story.tick())
            booms.push_back(frame);
    return booms;
}

TEST(TitleStory, TellsTheStoryInSevenLines)
{
    const auto& lines = TitleStory::lines();
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "Trapped in the past");
    EXPECT_EQ(lines[2], "With no chance of rescue");
    EXPECT_EQ(lines[3], "You have only one hope...");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "If you can wall jump at 88mph you will coax open the Quorrel, and can crawl home through "
                        "its temporal intestines");
    EXPECT_EQ(lines[6], "Now go! Run! Wall jump for glory!");
}

TEST(TitleStory, WithoutInputBoomsAtFrames30To630AndNoMore)
{
    TitleStory story;
    EXPECT_EQ(boomFrames(story, 5000), (std::vector<int>{30, 150, 270, 390, 510, 630}));
    EXPECT_EQ(story.lineIndex(), 7);
    // The screen no longer changes: lines 5 and 6 and the logo stay.
    EXPECT_EQ(story.storyLine(), TitleStory::lines()[5]);
    EXPECT_TRUE(story.showsLogo());
    EXPECT_TRUE(story.showsSendOff());
}

TEST(TitleStory, APressShowsTheNextLineAtOnceAndRestartsTheCount)
{
    TitleStory story;
    EXPECT_EQ(story.press(), TitleStory::Press::Advanced);
    EXPECT_EQ(story.lineIndex(), 1);
    EXPECT_EQ(story.storyLine(), "Trapped in the past");
    // The next line follows 120 frames after the press, not at frame 30.
    EXPECT_EQ(boomFrames(story, 120), std::vector<int>{120});
    EXPECT_EQ(story.storyLine(), "With no chance of rescue");
}

TEST(TitleStory, PlayStartsOnlyOnceLineSixIsUp)
{
    TitleStory story;
    for (int line = 1; line <= 6; ++line) {
        ASSERT_EQ(story.press(), TitleStory::Press::Advanced) << line;
        EXPECT_EQ(story.lineIndex(), line);
    }
    EXPECT_FALSE(story.showsLogo() && story.lineIndex() < 4);
    EXPECT_EQ(story.press(), TitleStory::Press::StartPlay);
    EXPECT_EQ(story.lineIndex(), 6) << "starting play does not move the story";
}

TEST(TitleStory, AfterTheLastLineAPressStartsPlay)
{
    TitleStory story;
    boomFrames(story, 800);
    ASSERT_EQ(story.lineIndex(), 7);
    EXPECT_EQ(story.press(), TitleStory::Press::StartPlay);
}

TEST(TitleStory, TheLogoComesInWithTheEmptyLineFour)
{
    TitleStory story;
    for (int line = 0; line < 7; ++line) {
        EXPECT_EQ(story.showsLogo(), line >= 4) << line;
        EXPECT_EQ(story.showsSendOff(), line >= 6) << line;
        EXPECT_EQ(story.storyLine(), TitleStory::lines()[static_cast<size_t>(std::min(line, 5))]);
        story.press();
    }
}

using TitleScreenTest = ScreenFixture;

TEST_F(TitleScreenTest, TheFirstFrameDrawsTheDarkScreenGrainAndTheEmptyLine)
{
    TitleScreen screen(*app);
    RecordingDrawer drawer;
    screen.frame(drawer);
    const std::vector<std::string> expected = {
        "createTexture(1024, 1024)",
        "createTexture(1024, 720)",
        "loadFont(MarsNeedsCunnilingus.ttf, 48)",
        "loadFont(MarsNeedsCunnilingus.ttf, 18)",
        "fillRect(0, 0, 1280, 480, 0, 0, 0, 255)",
        "fillGradientRect(0, 480, 1280, 1280, 0, 0, 0, 255, 64, 64, 64, 255)",
        "setBlendMode(1)",
        "drawTexture(1, 0, 0, 1.25, 1.25, 1, 1, 1, 0.5)",
        "setBlendMode(0)",
        "drawText(\"\", 1, 128, 400, 1024, 1, 1, 1, 0, 1)",
        "drawText(\"" + std::string(TitleScreen::controlsLine) + "\", 1, 128, 594, 1088, 1, 0.9, 0.9, 0.9, 1)",
    };
    EXPECT_EQ(drawer.calls, expected);
}

TEST_F(TitleScreenTest, ResourcesAreMadeOnceForTheDrawer)
{
    RecordingDrawer drawer;
    {
        TitleScreen first(*app);
        for (int frame = 0; frame < 40; ++frame)
            first.frame(drawer);
    }
    TitleScreen second(*app);
    second.frame(drawer);
    EXPECT_EQ(drawer.fontsLoaded, 2); // the story's and the controls line's
    EXPECT_EQ(drawer.texturesMade, 2);
}

TEST_F(TitleScreenTest, TheLogoAndTheMagentaLineJoinTheStory)
{
    TitleScreen screen(*app);
    RecordingDrawer drawer;
    for (int press = 0; press < 4; ++press)
        screen.actionPressed("Action", SDL_keysym{});
    drawer.clear();
    screen.frame(drawer);
    EXPECT_TRUE(drawer.has("drawText(\"\", 1, 128, 400, 1024, 1, 1, 1, 0, 1)"));
    EXPECT_TRUE(drawer.has("drawTexture(2, 128, 0, 1, 1, 1, 1, 1, 1)"));
    EXPECT_EQ(drawer.countStartingWith("drawText("), 2); // the controls line shows from the start

    screen.actionPressed("Action", SDL_keysym{});
    screen.actionPressed("Action", SDL_keysym{});
    drawer.clear();
    screen.frame(drawer);
    // The logo comes right after the grain, with the layers that never
    // change; it lies above the story line, so the picture is the same.
    const std::vector<std::string> texts = {
        "setBlendMode(0)",
        "drawTexture(2, 128, 0, 1, 1, 1, 1, 1, 1)",
        "drawText(\"" + TitleStory::lines()[5] + "\", 1, 128, 400, 1024, 1, 1, 1, 0, 1)",
        "drawText(\"" + std::string(TitleScreen::controlsLine) + "\", 1, 128, 594, 1088, 1, 0.9, 0.9, 0.9, 1)",
        "drawText(\"Now go! Run! Wall jump for glory!\", 1, 128, 640, 1024, 1, 1, 0, 1, 1)",
    };
    ASSERT_GE(drawer.calls.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(drawer.calls.end() - 5, drawer.calls.end()), texts);
}

TEST_F(TitleScreenTest, WithoutTheFontTheTextFallsBackToTheBuiltInGlyphs)
{
    TitleScreen screen(*app);
    RecordingDrawer drawer(0);
    screen.actionPressed("Action", SDL_keysym{});
    screen.frame(drawer);
    EXPECT_TRUE(drawer.has("drawText(\"Trapped in the past\", 0, 128, 400, 1024, 1, 1, 1, 0, 1)"));
}

TEST_F(TitleScreenTest, EscapeQuitsAtAnyLine)
{
    app->runIteration();
    pushKey(SDLK_ESCAPE);
    EXPECT_FALSE(app->runIteration());
    EXPECT_TRUE(app->isQuitRequested());
}

TEST_F(TitleScreenTest, AnUnboundKeyAdvancesTheStory)
{
    auto* title = dynamic_cast<TitleScreen*>(app->currentState());
    ASSERT_NE(title, nullptr);
    pushKey(SDLK_F12); // bound to nothing: the action name is ""
    app->runIteration();
    EXPECT_EQ(title->story().lineIndex(), 1);
    EXPECT_FALSE(app->isQuitRequested());
}

TEST_F(TitleScreenTest, LeftAtLineSixStartsPlay)
{
    auto* title = dynamic_cast<TitleScreen*>(app->currentState());
    ASSERT_NE(title, nullptr);
    for (int press = 0; press < 5; ++press) {
        pushKey(SDLK_LEFT);
        app->runIteration();
    }
    ASSERT_EQ(stateName(), "TitleScreen") << "line 5 is not the last";
    EXPECT_EQ(title->story().lineIndex(), 5);
    pushKey(SDLK_LEFT);
    app->runIteration();
    ASSERT_EQ(stateName(), "TitleScreen");
    EXPECT_EQ(title->story().lineIndex(), 6);
    pushKey(SDLK_LEFT);
    app->runIteration();
    EXPECT_EQ(stateName(), "GamePlay");
}

TEST_F(TitleScreenTest, TheAssistsPanelKeepsItsKeysFromTheStoryAndThePause)
{
    auto* title = dynamic_cast<TitleScreen*>(app->currentState());
    for (const SDLKey key : {SDLK_a, SDLK_LEFT, SDLK_DOWN, SDLK_SPACE, SDLK_ESCAPE}) {
        pushKey(key);
        ASSERT_TRUE(app->runIteration()) << "Escape in the panel only closes it";
    }
    EXPECT_EQ(title->story().lineIndex(), 0);
    EXPECT_EQ(app->getAssists(), (Assists{90, true}));
    app->switchState("GamePlay");
    auto* play = dynamic_cast<GamePlay*>(app->currentState());
    // A in play does nothing (it lies beside the jump key); R in the panel does not restart and resume.
    for (const SDLKey key : {SDLK_a, SDLK_p, SDLK_a, SDLK_RIGHT, SDLK_r, SDLK_p}) {
        pushKey(key);
        app->runIteration();
    }
    EXPECT_EQ(app->getAssists(), (Assists{100, true}));
    EXPECT_TRUE(play->isPaused() && !play->getAssistsPanel().isOpen());
}

} // namespace

TEST(TitleLogo, LiesWhollyAboveTheStoryLine)
{
    // The logo is kept with the constant layers and drawn before the story
    // text; that gives the same picture only while no pixel of it reaches
    // the text. Linear filtering spreads a picture row into the next one.
    const EmbeddedBytes bytes = pictures::titleLogo();
    const RgbaImage logo = ImageLoader().loadFromMemory(bytes.data, static_cast<int32_t>(bytes.length));
    const std::unique_ptr<uint8_t[]> owned(logo.pixels);
    ASSERT_NE(logo.pixels, nullptr);
    int lastShownRow = -1;
    for (int y = 0; y < logo.height; ++y)
        for (int x = 0; x < logo.width; ++x)
            if (logo.pixels[(static_cast<std::size_t>(y) * logo.width + x) * 4 + 3] != 0)
                lastShownRow = y;
    EXPECT_EQ(lastShownRow + 1, TitleStory::logoBottomRow);
    EXPECT_LT(TitleStory::logoBottomRow + 1, 400); // the story line's top, logical pixels
}
