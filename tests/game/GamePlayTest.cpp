// The play screen inside a real Application (needs a display: run under Xvfb).
#include "InstantClock.h"
#include "PlaythroughBot.h"
#include "PngWriter.h"
#include "RecordingDrawer.h"
#include "app/Application.h"
#include "app/FatalError.h"
#include "base/RegularFile.h"
#include "audio/AudioSingleton.h"
#include "game/GamePlay.h"
#include "game/PictureTexture.h"
#include "game/TitleScreen.h"

#include "game/ReplayShelf.h"
#include "render/Drawer.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// An Application in a small window with sound off and its settings in a
// folder of its own, switched to the play screen.
class PlayScreen : public testing::Test {
protected:
    void SetUp() override
    {
        configFolder = std::filesystem::temp_directory_path() / ("vantorrel-play-" + std::to_string(getpid()));
        std::filesystem::create_directories(configFolder);
        setenv("XDG_CONFIG_HOME", configFolder.c_str(), 1);
        setenv("XDG_DATA_HOME", (configFolder / "data").c_str(), 1); // runs won here are kept here
        start({});
        if (HasFatalFailure()) // no display: the failure says so, the tests do not run
            return;
        app->switchState("GamePlay");
    }
    // A new Application with these arguments after the usual ones.
    void start(const std::vector<std::string>& more)
    {
        app.reset();
        ProcessTexture::forgetAll(); // the drawer is new
        // A virtual X server started without -noreset resets when its last
        // client leaves and turns connections away meanwhile; that says
        // nothing about the game, so try again a little later.
        std::string failure;
        // Full size when screenshots are wanted, small otherwise (software rendering is slow).
        const bool shots = std::getenv("VANTORREL_SHOT_DIR") != nullptr;
        std::vector<std::string> arguments = {"-win", "-ns", "-w", shots ? "1280" : "320", "-h",
                                              shots ? "720" : "180"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        for (int attempt = 0; attempt < 5 && !app; ++attempt) {
            try {
                app = std::make_unique<Application>(arguments);
            } catch (const FatalError& error) {
                failure = error.text();
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            }
        }
        ASSERT_TRUE(app) << "the application did not start: " << failure;
        app->setClock(&clock);
        app->loadGlyphs();
    }
    void TearDown() override
    {
        app.reset();
        std::filesystem::remove_all(configFolder);
    }

    GamePlay& play()
    {
        auto* state = dynamic_cast<GamePlay*>(app->currentState());
        EXPECT_NE(state, nullptr);
        return *state;
    }
    std::string stateName() { return app->currentState() != nullptr ? app->currentState()->name() : ""; }
    void press(const std::string& action) { app->currentState()->actionPressed(action, SDL_keysym{}); }
    void release(const std::string& action) { app->currentState()->actionReleased(action, SDL_keysym{}); }

    // Saves the window as a PNG when VANTORREL_SHOT_DIR names a folder.
    void shot(const std::string& name)
    {
        const char* folder = std::getenv("VANTORREL_SHOT_DIR");
        if (folder == nullptr) {
            return;
        }
        const int width = app->windowWidth();
        const int height = app->windowHeight();
        uint8_t* pixels = app->getDrawer()->grabScreen();
        const std::string ppm = std::string(folder) + "/" + name + ".ppm";
        if (std::FILE* out = std::fopen(ppm.c_str(), "wb")) {
            std::fprintf(out, "P6\n%d %d\n255\n", width, height);
            for (int row = height - 1; row >= 0; --row) { // the drawer gives rows from the bottom
                std::fwrite(pixels + static_cast<std::size_t>(row) * width * 3, 1, static_cast<std::size_t>(width) * 3, out);
            }
            std::fclose(out);
            const std::string convert = "convert " + ppm + " " + folder + "/" + name + ".png && rm " + ppm;
            if (std::system(convert.c_str()) != 0) {
                std::printf("could not convert %s\n", ppm.c_str());
            }
        }
        delete[] pixels;
    }

    // Replaces the play screen by one on a small level of its own: solid
    // everywhere except the cells `open` names (column, row).
    template <typename Open>
    void playOwnLevel(int width, int height, Open open, const std::string& keptAt = "")
    {
        std::vector<uint8_t> rgb(static_cast<std::size_t>(width * height * 3), 0);
        for (int row = 0; row < height; ++row) {
            for (int column = 0; column < width; ++column) {
                if (open(column, row)) {
                    uint8_t* cell = &rgb[static_cast<std::size_t>((row * width + column) * 3)];
                    cell[0] = cell[1] = cell[2] = 255;
                }
            }
        }
        const std::string path = keptAt.empty() ? "/tmp/vantorrel-level-" + std::to_string(getpid()) + ".png" : keptAt;
        ASSERT_TRUE(pngwriter::write(path, width, height, 2, rgb));
        app->switchState("TitleScreen"); // the first play screen lets go of the music before the next starts
        app->replaceState(std::make_unique<GamePlay>(*app, FilePath(path)));
        if (keptAt.empty())
            std::remove(path.c_str());
    }

    // A level that is one tall shaft above the start: a few kicks win.
    void playTallShaft()
    {
        playOwnLevel(62, 990, [](int column, int row) { return column == 60 && row >= 400 && row <= 986; });
    }
    // Lands, then presses "Action" every fifth frame until the play screen
    // has won (at most 300 frames); returns the frames played.
    int kickUpUntilWon()
    {
        int frames = 0;
        while (!play().isFinished() && frames < 300) {
            if (frames >= 30 && frames % 5 == 0) {
                press("Action");
            }
            EXPECT_TRUE(app->runIteration());
            ++frames;
        }
        return frames;
    }

    std::filesystem::path configFolder;
    InstantClock clock;
    std::unique_ptr<Application> app;
};

// Trail stars drawn in one frame (the pilot itself is a plain texture until the win).
std::size_t starsDrawn(RecordingDrawer& drawer, GamePlay& play)
{
    drawer.clear();
    play.frame(drawer);
    return drawer.callsOf("drawTextureTransformed").size();
}

} // namespace

TEST_F(PlayScreen, ConstructionWritesTheBassLineAndDestructionClearsTheGrid)
{
    AudioSingleton& audio = AudioSingleton::instance();
    const int bass[16] = {7, -1, 7, -1, 7, -1, 7, -1, 7, -1, 7, -1, 7, -1, 6, -1};
    for (int step = 0; step < 16; ++step) {
        EXPECT_EQ(audio.stepValue(0, step), bass[step]) << "step " << step;
    }
    EXPECT_EQ(play().name(), "GamePlay");
    app->switchState("TitleScreen");
    for (int track = 0; track < 8; ++track) {
        for (int step = 0; step < 16; ++step) {
            ASSERT_EQ(audio.stepValue(track, step), -1);
        }
    }
}

TEST_F(PlayScreen, LoopStartsWalkThePadAndSilenceTheMelodyOfAStandingPilot)
{
    AudioSingleton& audio = AudioSingleton::instance();
    GamePlay& game = play();
    EXPECT_EQ(game.getLoopCount(), -2);
    game.onLoopStart();
    EXPECT_EQ(audio.stepValue(1, 0), -1); // the first loop leaves the pad alone
    game.onLoopStart();
    EXPECT_EQ(audio.stepValue(1, 0), 4);
    game.onLoopStart();
    EXPECT_EQ(audio.stepValue(1, 0), 5);
    for (int step : {0, 1, 2, 4, 7, 10, 12, 13, 14}) {
        EXPECT_EQ(audio.stepValue(2, step), -1);
    }
}

TEST_F(PlayScreen, ActionsSetAndClearTheHeldDirections)
{
    press("P1Up");
    press("P1Down");
    EXPECT_EQ(play().getInput().up, 1);
    EXPECT_EQ(play().getInput().down, 1);
    EXPECT_EQ(play().getInput().left, 0);
    press("P1Left");
    press("P1Right");
    EXPECT_EQ(play().getInput().left, 1);
    EXPECT_EQ(play().getInput().right, 1);
    release("P1Left");
    release("P1Up");
    release("Action"); // ignored
    EXPECT_EQ(play().getInput().left, 0);
    EXPECT_EQ(play().getInput().up, 0);
    EXPECT_EQ(play().getInput().right, 1);
    for (int step = 0; step < GamePlay::startSettleSteps; ++step) {
        ASSERT_TRUE(app->runIteration()); // the start's jump-free time
    }
    press("Action");
    EXPECT_TRUE(play().getBody().jumpRequested);
    press("Nonsense");
    EXPECT_FALSE(app->isQuitRequested());
    press("Escape");
    EXPECT_TRUE(app->isQuitRequested());
}

TEST_F(PlayScreen, StartsOnTheGroundOfTheShippedLevel)
{
    EXPECT_EQ(play().getLevel().getWidth(), 72);
    for (int frame = 0; frame < 60; ++frame) {
        ASSERT_TRUE(app->runIteration());
    }
    EXPECT_FALSE(play().getBody().airborne);
    EXPECT_EQ(play().getBody().x, 60.0f);
    EXPECT_EQ(play().getBody().y, 986.0f);
    shot("play-start");
}

TEST_F(PlayScreen, ScriptedRunWinsWarpsAndSwitchesToTheEpilogue)
{
    // levelcheck's fastest route on the shipped level, pressed and released
    // as a player would, wins on exactly the frame it says.
    PlaythroughBot bot;
    ASSERT_EQ(bot.readError(), "");
    bool shotKick = false;
    int frames = 0;
    bool heldLeft = false;
    bool heldRight = false;
    testing::internal::CaptureStdout();
    while (!play().isFinished() && frames < 4000) {
        const PlaythroughBot::Keys keys = bot.next(play().getBody(), play().getLevel());
        if (keys.left != heldLeft) {
            keys.left ? press("P1Left") : release("P1Left");
            heldLeft = keys.left;
        }
        if (keys.right != heldRight) {
            keys.right ? press("P1Right") : release("P1Right");
            heldRight = keys.right;
        }
        if (keys.jump) {
            press("Action");
        }
        ASSERT_TRUE(app->runIteration());
        ++frames;
        if (!shotKick && play().getBody().flightSpeed() > 1.3f) {
            shot("play-wallkick");
            shotKick = true;
        }
        if (frames % 400 == 0) {
            shot("play-climb-" + std::to_string(frames)); // the sections on the way up
        }
    }
    const std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(play().isFinished()) << "no win after " << frames << " frames";
    EXPECT_EQ(static_cast<std::size_t>(frames), bot.winningFrame());
    EXPECT_EQ(printed, "GamePlay: Run time " + RunClock::format(frames * 15) + "\n");
    EXPECT_GE(play().getBody().flightSpeed(), 1.5f);
    // The win starts the spin; drawing the frame that shows it turns nothing.
    EXPECT_FLOAT_EQ(play().getBody().warpScale, 0.99f);

    // From now on input moves nothing.
    const float x = play().getBody().x;
    const float y = play().getBody().y;
    press("P1Left");
    press("Action");
    int warpFrames = 0;
    while (stateName() == "GamePlay" && warpFrames < 400) {
        ASSERT_TRUE(app->runIteration());
        ++warpFrames;
        if (stateName() == "GamePlay") {
            ASSERT_EQ(play().getBody().x, x);
            ASSERT_EQ(play().getBody().y, y);
            if (warpFrames == 120) {
                shot("play-warp");
            }
        }
    }
    EXPECT_EQ(stateName(), "Epilogue");
    EXPECT_GE(warpFrames, 200);
    EXPECT_LE(warpFrames, 202);
    // The play screen let go of the sequencer on its way out.
    for (int step = 0; step < 16; ++step) {
        EXPECT_EQ(AudioSingleton::instance().stepValue(0, step), -1);
    }
    for (int frame = 0; frame < 60; ++frame) {
        ASSERT_TRUE(app->runIteration());
    }
    shot("epilogue-landed");
}

TEST_F(PlayScreen, MissingLevelKeepsThePilotStandingInSolidSurroundings)
{
    // A play screen whose level picture is gone: one line, then a pilot that
    // cannot move rather than a crash.
    const FilePath missing = FilePath("/nonexistent").join("levels").join("pilot.png");
    app->switchState("TitleScreen"); // the first play screen lets go of the music before the next starts
    testing::internal::CaptureStdout();
    app->replaceState(std::make_unique<GamePlay>(*app, missing));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "LevelGrid: Could not load level picture: /nonexistent/levels/pilot.png: No such file or directory\n");
    // Earth all round the start cell, so the walls are seen.
    EXPECT_EQ(play().getLevel().getWidth(), 62);
    EXPECT_TRUE(play().getLevel().solid(59, 984));
    press("P1Left");
    press("Action");
    for (int frame = 0; frame < 30; ++frame) {
        ASSERT_TRUE(app->runIteration());
    }
    EXPECT_EQ(play().getBody().x, 60.0f);
    EXPECT_EQ(play().getBody().y, 984.0f);
}

TEST_F(PlayScreen, LoopStartsOnTheAudioThreadWhileThePilotRuns)
{
    // The audio thread reads the pilot's speed while the game thread moves
    // it; run under the thread sanitizer this shows the exchange is race-free.
    GamePlay& game = play();
    std::atomic<bool> stop{false};
    std::atomic<int> loops{0};
    std::thread audio([&] {
        while (!stop.load()) {
            game.onLoopStart();
            loops.fetch_add(1);
        }
    });
    press("P1Left");
    for (int frame = 0; frame < 120; ++frame) {
        ASSERT_TRUE(app->runIteration());
    }
    stop.store(true);
    audio.join();
    EXPECT_GT(loops.load(), 0);
    // Stopped against the first step: the next loop silences the melody.
    EXPECT_EQ(play().getBody().vx, 0.0f);
    game.onLoopStart();
    for (int step : {0, 1, 2, 4, 7, 10, 12, 13, 14}) {
        EXPECT_EQ(AudioSingleton::instance().stepValue(2, step), -1);
    }
}

TEST_F(PlayScreen, FrameDrawsTheLayersInOrder)
{
    RecordingDrawer recorder;
    play().frame(recorder);
    play().frame(recorder);
    const auto fonts = recorder.callsOf("loadFont");
    // Once each, on the first frame: the clock's, and the hints' before any
    // hint shows, so that memory settles early.
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].text, "MarsNeedsCunnilingus.ttf");
    EXPECT_EQ(fonts[0].args[0], 64.0f);
    EXPECT_EQ(fonts[1].text, "MarsNeedsCunnilingus.ttf");

    // The second frame alone: sky, grain, clouds, tiles, trail, pilot, speed bar.
    std::size_t secondStart = 0;
    for (std::size_t i = 0; i < recorder.calls.size(); ++i) {
        if (recorder.calls[i].op == "fillGradientRect") {
            secondStart = i;
        }
    }
    const std::vector<RecordingDrawer::Call> second(recorder.calls.begin() + static_cast<std::ptrdiff_t>(secondStart),
                                                    recorder.calls.end());
    ASSERT_GT(second.size(), 10u);
    EXPECT_EQ(second[0].op, "fillGradientRect");
    EXPECT_EQ(second[1].op, "setBlendMode");
    EXPECT_EQ(second[2].op, "drawTexture"); // the grain
    EXPECT_EQ(second[2].args[2], 1.25f);
    EXPECT_EQ(second[3].op, "setBlendMode");
    std::vector<std::string> layers; // the kinds of call after the backdrop, runs collapsed
    for (std::size_t i = 4; i < second.size(); ++i) {
        if (layers.empty() || layers.back() != second[i].op) {
            layers.push_back(second[i].op);
        }
    }
    // Clouds and outlines are plain textures, tiles regions, the airborne
    // pilot's first stars transformed, the pilot, the labels, the bar, the
    // clock. Clouds under opaque tiles and outlines between them are not
    // drawn at all, and a slow run (a sanitizer's) can take a step more
    // between the frames, so the view may hold neither.
    if (!layers.empty() && layers.front() == "drawTexture")
        layers.erase(layers.begin());
    const std::vector<std::string> expected = {"drawTextureRegion", "drawTextureTransformed", "drawTexture",
                                               "drawText", "fillRect", "drawText"};
    EXPECT_EQ(layers, expected);
    // The pilot is the last plain texture before the labels.
    const auto firstLabel = std::find_if(second.begin(), second.end(),
                                         [](const RecordingDrawer::Call& call) { return call.op == "drawText"; });
    ASSERT_NE(firstLabel, second.begin());
    const auto pilot = *(firstLabel - 1);
    EXPECT_EQ(pilot.op, "drawTexture");
    EXPECT_EQ(pilot.args[0], 608.0f);
    EXPECT_EQ(pilot.args[1], 480.0f);
    EXPECT_EQ(recorder.callsOf("fillRect").back().args[0], 1098.0f); // the mark last of the bar
    EXPECT_TRUE(recorder.callsOf("drawTextureTransformed").size() >= 2u);
}

TEST_F(PlayScreen, AfterTheWinOnlyEscapeStillActs)
{
    playTallShaft();
    kickUpUntilWon();
    ASSERT_TRUE(play().isFinished());
    const PilotBody frozen = play().getBody();
    press("P1Left");
    press("Action");
    for (int frame = 0; frame < 10; ++frame) {
        ASSERT_TRUE(app->runIteration());
    }
    EXPECT_EQ(play().getBody().x, frozen.x);
    EXPECT_EQ(play().getBody().y, frozen.y);
    EXPECT_EQ(play().getBody().vx, frozen.vx);
    EXPECT_EQ(play().getBody().vy, frozen.vy);
    EXPECT_EQ(play().getBody().flightSpeed(), frozen.flightSpeed()); // the bar keeps the winning speed
    EXPECT_FALSE(app->isQuitRequested());
    press("Escape");
    EXPECT_TRUE(app->isQuitRequested());
    EXPECT_FALSE(app->runIteration());
}

namespace {

// A clock that only moves when the loop sleeps or a shown frame is drawn.
class DrawingClock : public LoopClock {
public:
    uint32_t now = 50000;
    uint32_t ticks() override { return now; }
    void delay(uint32_t milliseconds) override { now += milliseconds; }
};

// Everything of the pilot that a step decides, compared bit for bit.
struct PilotStep {
    uint32_t x, y, vx, vy;
    bool airborne, wallKick;
    int32_t frame;
    bool operator==(const PilotStep&) const = default;
};

PilotStep stepOf(const PilotBody& body)
{
    return {std::bit_cast<uint32_t>(body.x), std::bit_cast<uint32_t>(body.y), std::bit_cast<uint32_t>(body.vx),
            std::bit_cast<uint32_t>(body.vy), body.airborne, body.wallKick, body.frameNumber()};
}

// The real play screen, looked at after each of its steps; a shown frame
// takes `drawMilliseconds` of the clock, which sets the frame rate.
class WatchedPlay : public GameState {
public:
    WatchedPlay(Application& owner, DrawingClock& clock, uint32_t drawMilliseconds)
        : GameState(owner), play(owner), clock(clock), drawMilliseconds(drawMilliseconds)
    {
    }
    bool step() override
    {
        if (!play.step())
            return false;
        path.push_back(stepOf(play.getBody()));
        return true;
    }
    void draw(Drawer& drawer) const override
    {
        play.draw(drawer);
        ++shown;
        clock.now += drawMilliseconds;
    }
    void actionPressed(const std::string& action, const SDL_keysym& key) override { play.actionPressed(action, key); }
    void actionReleased(const std::string& action, const SDL_keysym& key) override
    {
        play.actionReleased(action, key);
    }
    std::string name() const override { return "WatchedPlay"; }

    GamePlay play;
    std::vector<PilotStep> path;
    mutable int shown = 0; // frames drawn

private:
    DrawingClock& clock;
    uint32_t drawMilliseconds;
};

struct ScriptedKey {
    int step; // delivered just before this step
    Uint8 type;
    SDLKey key;
};

// Runs the pilot through the real main loop for `steps` steps, with the
// script's keys pushed as SDL events, and returns its path.
std::vector<PilotStep> runScript(Application& app, uint32_t drawMilliseconds, const std::vector<ScriptedKey>& script,
                                 int steps, int& shownFrames)
{
    DrawingClock clock;
    app.setClock(&clock);
    auto watched = std::make_unique<WatchedPlay>(app, clock, drawMilliseconds);
    WatchedPlay* play = watched.get();
    app.replaceState(std::move(watched));
    std::size_t next = 0;
    while (static_cast<int>(play->path.size()) < steps) {
        const int upcoming = static_cast<int>(play->path.size());
        // Input can only be polled between frames; a script meant for both
        // rates puts its keys where both have a frame boundary.
        EXPECT_FALSE(next < script.size() && script[next].step < upcoming)
            << "step " << script[next].step << " passed inside a frame";
        for (; next < script.size() && script[next].step == upcoming; ++next) {
            SDL_Event event{};
            event.type = script[next].type;
            event.key.type = script[next].type;
            event.key.keysym.sym = script[next].key;
            SDL_PushEvent(&event);
        }
        if (!app.runIteration())
            break;
    }
    shownFrames = play->shown;
    std::vector<PilotStep> path = play->path;
    path.resize(static_cast<std::size_t>(steps));
    app.switchState("TitleScreen");
    app.setClock(nullptr);
    return path;
}

} // namespace

TEST_F(PlayScreen, TheSameKeysAtTheSameStepsGiveTheSamePathAtSixtySixAndAtTwentyFramesASecond)
{
    // Frames of 50 ms (20 a second) run steps 0 | 1-3 | 4-6 | 7-10 | 11-13 ...:
    // steps 10n + 1, 10n + 4 and 10n + 7 begin a frame at both rates.
    const std::vector<ScriptedKey> script = {
        {1, SDL_KEYDOWN, SDLK_LEFT},   {21, SDL_KEYDOWN, SDLK_SPACE}, {24, SDL_KEYUP, SDLK_SPACE},
        {47, SDL_KEYDOWN, SDLK_SPACE},  {47, SDL_KEYUP, SDLK_SPACE},   {61, SDL_KEYUP, SDLK_LEFT},
        {61, SDL_KEYDOWN, SDLK_RIGHT},  {61, SDL_KEYDOWN, SDLK_SPACE}, {61, SDL_KEYUP, SDLK_SPACE},   {74, SDL_KEYDOWN, SDLK_LEFT}, {74, SDL_KEYUP, SDLK_LEFT},
        {91, SDL_KEYDOWN, SDLK_SPACE},  {94, SDL_KEYUP, SDLK_SPACE},   {101, SDL_KEYDOWN, SDLK_SPACE},
        {101, SDL_KEYUP, SDLK_SPACE},   {131, SDL_KEYUP, SDLK_RIGHT},   {141, SDL_KEYDOWN, SDLK_RIGHT},
        {141, SDL_KEYUP, SDLK_RIGHT},    {141, SDL_KEYDOWN, SDLK_SPACE}, {141, SDL_KEYUP, SDLK_SPACE}, // a jump beside the start room's right wall
        {144, SDL_KEYDOWN, SDLK_RIGHT}, {144, SDL_KEYUP, SDLK_RIGHT},
        {147, SDL_KEYDOWN, SDLK_SPACE}, {147, SDL_KEYUP, SDLK_SPACE},    // and a kick off it while rising
        {151, SDL_KEYDOWN, SDLK_LEFT}, {171, SDL_KEYDOWN, SDLK_SPACE}, {171, SDL_KEYUP, SDLK_SPACE},
        {201, SDL_KEYDOWN, SDLK_SPACE}, {204, SDL_KEYUP, SDLK_SPACE},  {207, SDL_KEYDOWN, SDLK_SPACE},
        {207, SDL_KEYUP, SDLK_SPACE},   {241, SDL_KEYUP, SDLK_LEFT},  {241, SDL_KEYDOWN, SDLK_RIGHT},
        {261, SDL_KEYDOWN, SDLK_SPACE}, {264, SDL_KEYUP, SDLK_SPACE},  {297, SDL_KEYUP, SDLK_RIGHT},
    };
    constexpr int steps = 330;
    int fastFrames = 0;
    int slowFrames = 0;
    const std::vector<PilotStep> fast = runScript(*app, 2, script, steps, fastFrames);
    const std::vector<PilotStep> slow = runScript(*app, 50, script, steps, slowFrames);
    EXPECT_EQ(fastFrames, steps); // every step shown
    EXPECT_EQ(slowFrames, 100);   // 3 1/3 steps a frame: 330 steps in 100 frames
    ASSERT_EQ(fast.size(), slow.size());
    for (int step = 0; step < steps; ++step)
        ASSERT_TRUE(fast[static_cast<std::size_t>(step)] == slow[static_cast<std::size_t>(step)]) << "step " << step;
    // The run went somewhere: it ran both ways, flew and kicked off a wall.
    float leftmost = 1e9f;
    bool ranLeft = false;
    bool ranRight = false;
    bool flew = false;
    bool kicked = false;
    for (const PilotStep& step : fast) {
        leftmost = std::min(leftmost, std::bit_cast<float>(step.x));
        ranLeft = ranLeft || std::bit_cast<float>(step.vx) < 0.0f;
        ranRight = ranRight || std::bit_cast<float>(step.vx) > 0.0f;
        flew = flew || step.airborne;
        kicked = kicked || step.wallKick;
    }
    EXPECT_LT(leftmost, GamePlay::startX - 3.0f);
    EXPECT_TRUE(ranLeft);
    EXPECT_TRUE(ranRight);
    EXPECT_TRUE(flew);
    EXPECT_TRUE(kicked);
}

TEST_F(PlayScreen, ADirectionPressedAndReleasedBetweenTwoStepsStillHoldsForOne)
{
    for (int frame = 0; frame < 60; ++frame) // settle on the ground
        ASSERT_TRUE(app->runIteration());
    ASSERT_FALSE(play().getBody().airborne);
    ASSERT_EQ(play().getBody().vx, 0.0f);
    // The start has a wall on the right: run left.
    press("P1Left");
    release("P1Left");
    EXPECT_EQ(play().getInput().left, 0); // not held any more
    EXPECT_EQ(play().getTapped().left, 1);
    ASSERT_TRUE(app->runIteration());
    const float pushed = play().getBody().vx;
    EXPECT_LT(pushed, 0.0f); // the step ran left
    EXPECT_EQ(play().getTapped().left, 0);
    ASSERT_TRUE(app->runIteration());
    EXPECT_GT(play().getBody().vx, pushed); // and the next one did not: friction
    EXPECT_LE(play().getBody().vx, 0.0f);
    // Held directions stay held; a release only ends them.
    press("P1Left");
    for (int step = 0; step < 3; ++step) {
        const float before = play().getBody().vx;
        ASSERT_TRUE(app->runIteration());
        EXPECT_LT(play().getBody().vx, before);
    }
}

TEST_F(PlayScreen, APilotStandingStillFromTheStartPoursNoStars)
{
    // The start cell sits right on the ground: the pilot never falls, never
    // lands, and stands from its first frame on.
    playOwnLevel(62, 990, [](int column, int row) { return row >= 980 && row <= 984 && column >= 55 && column <= 60; });
    RecordingDrawer drawer;
    for (int frame = 1; frame <= 60; ++frame) {
        ASSERT_EQ(starsDrawn(drawer, play()), 0u) << "frame " << frame;
        ASSERT_FALSE(play().getBody().airborne) << "frame " << frame;
        ASSERT_GE(play().getBody().frameNumber(), 10) << "a standing frame, frame " << frame;
        ASSERT_LE(play().getBody().frameNumber(), 13) << "frame " << frame;
    }
    EXPECT_EQ(play().getBody().y, 984.0f);
}

TEST_F(PlayScreen, AJumpBlockedByACeilingLeavesOneStarAndThenAStandingPilot)
{
    // A room one cell high: the jump stops at once against the ceiling.
    playOwnLevel(62, 990, [](int column, int row) { return row == 984 && column >= 50 && column <= 60; });
    RecordingDrawer drawer;
    for (int frame = 0; frame < GamePlay::startSettleSteps; ++frame) { // past the start's jump-free time
        ASSERT_EQ(starsDrawn(drawer, play()), 0u);
    }
    press("Action");
    EXPECT_EQ(starsDrawn(drawer, play()), 1u); // the step that asked for the jump
    EXPECT_TRUE(play().getBody().airborne);
    EXPECT_EQ(play().getBody().y, 984.0f);
    EXPECT_EQ(play().getBody().vy, 0.0f);
    int lastStar = 0;
    for (int frame = 1; frame <= 80; ++frame) {
        const std::size_t stars = starsDrawn(drawer, play());
        ASSERT_LE(stars, 1u) << "no new star, frame " << frame;
        if (stars == 1u) {
            lastStar = frame;
        }
        ASSERT_FALSE(play().getBody().airborne) << "frame " << frame;
        ASSERT_GE(play().getBody().frameNumber(), 10) << "frame " << frame;
        ASSERT_LE(play().getBody().frameNumber(), 13) << "frame " << frame;
    }
    EXPECT_GT(lastStar, 10);  // the one star lives a while
    EXPECT_LT(lastStar, 80);  // and then fades
}

TEST_F(PlayScreen, TheWinPrintsTheRunTimeOnceAndHandsItToTheEnding)
{
    playTallShaft();
    EXPECT_EQ(play().getRunClock().steps(), 0);
    testing::internal::CaptureStdout();
    const int frames = kickUpUntilWon();
    for (int frame = 0; frame < 20; ++frame) {
        ASSERT_TRUE(app->runIteration()); // the warp: the clock has stopped
    }
    const std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(play().isFinished());
    EXPECT_EQ(play().getRunClock().steps(), frames);
    EXPECT_EQ(printed, "GamePlay: Run time " + RunClock::format(frames * 15) + "\n");
    EXPECT_EQ(app->getRunMilliseconds(), frames * 15);
}

TEST_F(PlayScreen, LookingSlidesTheViewAndBackAndTheRouteStaysTheSameBitForBit)
{
    // The route twice, plain and with Up held for steps 40-119 and Down for
    // 200-259: the same path, and the look in rows at some steps.
    const std::map<int, float> expected = {{39, 0.0f},  {40, -0.125f}, {87, -6.0f}, {119, -6.0f}, {120, -5.875f},
                                           {167, 0.0f}, {247, 6.0f},   {259, 6.0f}, {307, 0.0f}};
    auto playRoute = [&](bool looking) {
        app->switchState("TitleScreen");
        app->switchState("GamePlay");
        PlaythroughBot bot;
        std::vector<PilotStep> path;
        RecordingDrawer drawer;
        for (int step = 0; step < 400; ++step) {
            const PlaythroughBot::Keys keys = bot.next(play().getBody(), play().getLevel());
            keys.left ? press("P1Left") : release("P1Left");
            keys.right ? press("P1Right") : release("P1Right");
            if (keys.jump) {
                press("Action");
            }
            if (looking && (step == 40 || step == 200)) {
                press(step == 40 ? "P1Up" : "P1Down");
            } else if (looking && (step == 120 || step == 260)) {
                release(step == 120 ? "P1Up" : "P1Down");
            }
            drawer.clear();
            play().frame(drawer);
            path.push_back(stepOf(play().getBody()));
            const float rows = play().getLook().rows();
            EXPECT_TRUE(!looking || expected.count(step) == 0 || rows == expected.at(step)) << step << ": " << rows;
            // The pilot (the frame's last texture) is drawn where it is, the view sliding the other way.
            EXPECT_FLOAT_EQ(drawer.callsOf("drawTexture").back().args.at(1),
                            480.0f + 64.0f * (play().drawnPilot().y - play().getBody().y - rows)) << step;
        }
        return path;
    };
    const std::vector<PilotStep> plain = playRoute(false);
    EXPECT_TRUE(plain == playRoute(true) && std::bit_cast<float>(plain.back().y) < GamePlay::startY - 2.0f);
    EXPECT_GE(view::rowsAbovePilotLookingUp, 12.0f) << "a room and its way out";
}

TEST_F(PlayScreen, PressesRightAfterTheStoryEndsDoNotJumpAndAPressAfterThemDoes)
{
    // Pressing through the title: the story moves on by itself too, so the
    // press after the one that starts play comes a moment later, or with it.
    app->switchState("TitleScreen");
    for (int line = 0; line <= TitleStory::sendOffLine; ++line) {
        press("Action");
    }
    ASSERT_EQ(stateName(), "GamePlay");
    // The pilot drops two rows beside the start's wall meanwhile: a press
    // taken would kick off it, rising.
    for (int step = 0; step < 60; ++step) {
        if (step == 0 || step == 3 || step == 11) {
            press("Action");
        }
        ASSERT_TRUE(app->runIteration());
        ASSERT_GE(play().getBody().vy, 0.0f) << "step " << step;
    }
    press("Action");
    ASSERT_TRUE(app->runIteration());
    EXPECT_LT(play().getBody().vy, 0.0f) << "a press once play has settled jumps";
}

TEST_F(PlayScreen, RestartGivesAFreshClockNoSplitsAndTheStartCellWhileHeldKeysStayHeld)
{
    playOwnLevel(62, 990, [](int column, int row) { return column == 60 && row >= 970 && row <= 986; }); // a jump climbs a tenth
    press("P1Right");
    for (int frame = 0; play().getSplits()[0] < 0 && frame < 100; ++frame) {
        if (frame == 30)
            press("Action");
        ASSERT_TRUE(app->runIteration());
    }
    ASSERT_GT(play().getSplits()[0], 0) << "the pilot never climbed a tenth";
    press("Retry");
    const PilotBody& body = play().getBody();
    EXPECT_EQ(play().getSplits(), LevelRecord::noSplits());
    EXPECT_EQ((std::vector<float>{body.x, body.y, body.vx, body.vy, float(play().getInput().right)}),
              (std::vector<float>{60.0f, 984.0f, 0, 0, 1}));
    ASSERT_TRUE(app->runIteration());
    EXPECT_EQ(play().getRunClock().steps(), 1);
}

TEST_F(PlayScreen, TheSpeedBarHoldsTheRunsBestFlightUntilARestart)
{
    playTallShaft();
    float seen = 0.0f;
    for (int frame = 0; frame < 200; ++frame) {
        if (frame == 30 || frame == 35 || frame == 40) // three kicks: short of the mark
            press("Action");
        ASSERT_TRUE(app->runIteration());
        seen = std::max(seen, play().getBody().flightSpeed());
        ASSERT_EQ(play().getBestFlightSpeed(), seen) << "frame " << frame;
    }
    EXPECT_GT(seen, 0.5f);
    EXPECT_EQ(play().getBody().flightSpeed(), 0.0f); // the flight is over; its best stays
    ASSERT_FALSE(play().isFinished());
    press("Retry");
    EXPECT_EQ(play().getBestFlightSpeed(), 0.0f);
}

TEST_F(PlayScreen, PauseStopsTheStepsTheClockAndTheMusicUntilPlayGoesOn)
{
    press("P1Right");
    for (int frame = 0; frame < 10; ++frame)
        ASSERT_TRUE(app->runIteration());
    press("Pause");
    EXPECT_FALSE(AudioSingleton::instance().musicEnabled());
    const PilotBody& b = play().getBody();
    const auto still = [&] { return std::vector<float>{b.x, b.y, b.vx, float(b.runPhase), float(b.phaseCountdown)}; };
    const std::vector<float> before = still();
    for (int frame = 0; frame < 30; ++frame) {
        press(frame % 2 == 0 ? "P1Left" : "Action");
        ASSERT_TRUE(app->runIteration());
    }
    EXPECT_EQ(play().getRunClock().steps(), 10);
    EXPECT_EQ(still(), before) << "the pilot moved or animated";
    press("Pause");
    ASSERT_TRUE(app->runIteration());
    EXPECT_EQ(play().getRunClock().steps(), 11);
    EXPECT_TRUE(AudioSingleton::instance().musicEnabled());
    // Losing the keyboard pauses too, once no gain has answered it for a
    // tenth of a second (a mouse leaving does not); a restart goes on playing.
    for (const Uint8 state : {SDL_APPMOUSEFOCUS, SDL_APPINPUTFOCUS}) {
        EXPECT_FALSE(play().isPaused());
        SDL_Event away{};
        away.active = {SDL_ACTIVEEVENT, 0, state};
        app->dispatchEvent(away);
        for (int frame = 0; frame < 8; ++frame) // 15 ms a reading of the clock
            ASSERT_TRUE(app->runIteration());
    }
    EXPECT_TRUE(play().isPaused());
    press("Retry"); // and goes on
    EXPECT_FALSE(play().isPaused());
}

TEST_F(PlayScreen, OnlyALiveWinThatBeatsTheRecordWritesIt)
{
    // A slow live run, a faster replay, a faster live run, in a shaft whose tenths the kicks reach.
    const auto shaft = [](int column, int row) { return column == 60 && row >= 900 && row <= 986; };
    playOwnLevel(62, 990, shaft);
    for (int frame = 0; frame < 40; ++frame)
        ASSERT_TRUE(app->runIteration());
    const int64_t slow = 40 + kickUpUntilWon();
    const std::string path = (configFolder / "data").string() + "/vantorrel/" + play().getLevel().contentHash() + ".record";
    auto text = [&] { return platform::readRegularFile(path, 4096).bytes; };
    const std::string first = text();
    EXPECT_EQ(first.rfind("vantorrel record 1\nbest " + std::to_string(slow) + "\nsplit 1 ", 0), 0u) << first;
    EXPECT_EQ(app->getRunOutcome().endingLines().back(), "New best!");
    playOwnLevel(62, 990, shaft);
    play().setReplaying(true);
    EXPECT_LT(kickUpUntilWon(), slow);
    EXPECT_FALSE(app->getRunOutcome().newBest);
    EXPECT_EQ(text(), first) << "a replay set a record";
    // A faster run at 70 % speed is a marked first assisted best; neither kind touches the other's files.
    const std::string best = platform::readRegularFile(path.substr(0, path.size() - 7) + ".best.replay", 1 << 20).bytes;
    const std::string assistedPath = path.substr(0, path.size() - 7) + ".assisted.record";
    app->setAssists(Assists{70, false});
    playOwnLevel(62, 990, shaft);
    kickUpUntilWon();
    const int64_t assisted = play().getRunClock().steps();
    EXPECT_LT(assisted, slow);
    app->setAssists(Assists{});
    EXPECT_EQ(app->getRunOutcome().endingLines(),
              (std::vector<std::string>{"Run time " + RunClock::format(assisted * 15) + " (assisted)", "New best!"}));
    EXPECT_EQ(text(), first) << "an assisted run set a record";
    EXPECT_EQ(platform::readRegularFile(path.substr(0, path.size() - 7) + ".best.replay", 1 << 20).bytes, best);
    const std::string assistedRecord = platform::readRegularFile(assistedPath, 4096).bytes;
    EXPECT_EQ(assistedRecord.rfind("vantorrel record 1\nbest " + std::to_string(assisted) + "\n", 0), 0u);
    playOwnLevel(62, 990, shaft);
    const int fast = kickUpUntilWon();
    EXPECT_EQ(app->getRunOutcome().previousBestMilliseconds, slow * 15);
    EXPECT_EQ(text().rfind("vantorrel record 1\nbest " + std::to_string(fast) + "\n", 0), 0u) << text();
    EXPECT_EQ(platform::readRegularFile(assistedPath, 4096).bytes, assistedRecord) << "an unassisted run set an assisted record";
}

TEST_F(PlayScreen, ReplayingLevelchecksRouteFromTheCommandLineWinsAtItsStepWithItsTime)
{
    ASSERT_NO_FATAL_FAILURE(start({"--replay", VANTORREL_LEVEL_ROUTE}));
    ASSERT_EQ(stateName(), "GamePlay"); // no title
    press("P1Left"); // the player's keys do not reach the pilot
    testing::internal::CaptureStdout();
    int frames = 0;
    for (; !play().isFinished() && frames < 4000; ++frames)
        ASSERT_TRUE(app->runIteration());
    EXPECT_EQ(static_cast<std::size_t>(frames), PlaythroughBot().winningFrame());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "GamePlay: Run time " + RunClock::format(frames * 15) + "\n");
    EXPECT_FALSE(std::filesystem::exists(configFolder / "data" / "vantorrel")); // a replay's win is not kept
}

TEST_F(PlayScreen, ALiveRunThroughTheEventLoopReplaysToTheSamePilotBitForBit)
{
    // Frames of 50 ms run three or four steps each: a key pressed and
    // released in one poll holds for the first step only, which the replay
    // must take from the step, not the keys held. Directions move the pilot
    // in a shaft two cells wide.
    const std::string level = (configFolder / "shaft.png").string();
    playOwnLevel(62, 990, [](int column, int row) { return column >= 59 && column <= 60 && row >= 400; }, level);
    DrawingClock slow;
    app->setClock(&slow);
    const SDLKey taps[] = {SDLK_LEFT, SDLK_SPACE, SDLK_RIGHT, SDLK_SPACE, SDLK_SPACE};
    for (int frame = 0; frame < 300 && !play().isFinished(); ++frame, slow.now += 50) {
        for (const Uint8 type : {SDL_KEYDOWN, SDL_KEYUP}) {
            SDL_Event event{};
            event.type = event.key.type = type;
            event.key.keysym.sym = taps[frame % 5];
            SDL_PushEvent(&event);
        }
        ASSERT_TRUE(app->runIteration());
    }
    ASSERT_TRUE(play().isFinished());
    PilotStep live = stepOf(play().getBody());
    const int64_t liveSteps = play().getRunClock().steps();
    app->setClock(&clock);
    app->switchState("TitleScreen");
    app->replaceState(std::make_unique<GamePlay>(*app, FilePath(level)));
    ASSERT_TRUE(play().playReplay(ReplayShelf(play().getLevel().contentHash(), levelfiles::Kind::unassisted).lastPath()));
    while (!play().isFinished() && play().getRunClock().steps() < 2 * liveSteps)
        ASSERT_TRUE(app->runIteration());
    EXPECT_EQ(play().getRunClock().steps(), liveSteps);
    live.frame = stepOf(play().getBody()).frame; // the animation runs on after the win's step
    EXPECT_TRUE(stepOf(play().getBody()) == live);
}

TEST_F(PlayScreen, AReplayOfAnotherLevelIsRefusedWithOneLineAndTheTitleComes)
{
    const std::string foreign = (configFolder / "foreign.replay").string();
    std::ofstream(foreign) << replayfile::text(Replay{"0123456789abcdef", Route(5), {}});
    const std::string hash = play().getLevel().contentHash();
    testing::internal::CaptureStdout();
    ASSERT_NO_FATAL_FAILURE(start({"--replay", foreign}));
    EXPECT_TRUE(testing::internal::GetCapturedStdout().ends_with(
        "\nGamePlay: Not playing " + foreign + ": made on level 0123456789abcdef, this is " + hash + "\n"));
    EXPECT_EQ(stateName(), "TitleScreen");
}

TEST_F(PlayScreen, TheGhostRunsTheBestRunBesideThePilotAndGTurnsItOnAndOff)
{
    press("Ghost"); // no best run yet: stays off
    EXPECT_FALSE(play().getGhost().isShown());
    std::string error;
    const Route best = replayfile::load(VANTORREL_LEVEL_ROUTE, error)->steps;
    ReplayShelf(play().getLevel().contentHash(), levelfiles::Kind::unassisted).keep(best, {}, std::cout);
    app->switchState("GamePlay");
    for (int frame = 1; frame <= 700; ++frame) {
        ASSERT_TRUE(app->runIteration());
        if (frame == 22)
            shot("play-ghost"); // kicking off the wall on the right
    }
    PilotStep expected = stepOf(routescript::replay(play().getLevel(), GamePlay::startX, GamePlay::startY, best)[699]);
    expected.frame = stepOf(play().getGhost().getBody()).frame; // drawing runs the animation
    EXPECT_TRUE(stepOf(play().getGhost().getBody()) == expected);
    EXPECT_EQ(play().getBody().x, GamePlay::startX); // the live pilot stood still
    for (const bool shown : {false, true}) { // G hides it, G shows it again
        press("Ghost");
        RecordingDrawer drawer;
        play().frame(drawer);
        const auto textures = drawer.callsOf("drawTexture");
        EXPECT_EQ(std::count_if(textures.begin(), textures.end(), [](auto& call) { return call.args[7] == Ghost::opacity; }),
                  shown ? 1 : 0);
    }
}
