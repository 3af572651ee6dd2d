#include "app/Application.h"
#include "app/FatalError.h"
#include "base/Platform.h"
#include "app/StartupOptions.h"
#include "audio/PortAudioDevice.h"
#include "game/GamePlay.h"
#include "game/GameState.h"
#include "game/LevelGrid.h"
#include "game/ReplayFile.h"
#include "game/PictureTexture.h"
#include "game/TitleScreen.h"
#include "render/Drawer.h"
#include "render/OpenGLDrawer.h"

#include "TempFolder.h"
#include "KeyEvent.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <tuple>

namespace {

// Everything a screen was told, in order, as one line per call.
struct Journal {
    std::vector<std::string> lines;
    void add(const std::string& line) { lines.push_back(line); }
};

class FakeClock : public LoopClock {
public:
    uint32_t now = 1000;
    std::vector<uint32_t> delays;
    uint32_t ticks() override { return now; }
    void delay(uint32_t milliseconds) override
    {
        delays.push_back(milliseconds);
        now += milliseconds;
    }
};

class RecordingState : public GameState {
public:
    RecordingState(Application& owner, Journal& journal, std::string label = "recorder")
        : GameState(owner), journal(journal), label(std::move(label))
    {
    }
    ~RecordingState() override { journal.add(label + " destroyed"); }

    bool step() override
    {
        journal.add(label + " step");
        if (onStep.empty())
            return true;
        const std::string request = onStep;
        if (request == "quit") {
            quit();
            return true;
        }
        switchTo(request); // last use of this object
        return false;
    }
    void draw(Drawer&) const override
    {
        journal.add(label + " draw");
        if (workClock != nullptr)
            workClock->now += workPerFrame;
    }
    void actionPressed(const std::string& action, const SDL_keysym& key) override
    {
        journal.add("pressed '" + action + "' sym " + std::to_string(key.sym));
        if (action == "Escape")
            quit();
    }
    void actionReleased(const std::string& action, const SDL_keysym&) override
    {
        journal.add("released '" + action + "'");
    }
    void mousePressed(int button, int x, int y) override
    {
        journal.add("mouse down " + std::to_string(button) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void mouseReleased(int button, int x, int y) override
    {
        journal.add("mouse up " + std::to_string(button) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void mouseMoved(int x, int y) override { journal.add("moved " + std::to_string(x) + "," + std::to_string(y)); }
    void mouseWheel(bool down) override { journal.add(down ? "wheel down" : "wheel up"); }
    void joystickAxis(const std::string& action, float amount, int joystick, int direction) override
    {
        std::ostringstream line;
        line << "axis '" << action << "' " << amount << " joystick " << joystick << " direction " << direction;
        journal.add(line.str());
    }
    void focusLost() override { journal.add(label + " focus lost"); }
    std::string name() const override { return "Recorder"; }

    std::string onStep;
    FakeClock* workClock = nullptr; // drawing a frame takes workPerFrame on it
    uint32_t workPerFrame = 0;      // milliseconds

private:
    Journal& journal;
    std::string label;
};

SDL_Event focusEvent(Uint8 gain, Uint8 kind)
{
    SDL_Event event{};
    event.type = SDL_ACTIVEEVENT;
    event.active.gain = gain;
    event.active.state = kind;
    return event;
}

// A windowed, silent game in a private configuration folder.
class ApplicationLoop : public testing::Test {
protected:
    TempFolder config;
    ScopedEnvironment xdg{"XDG_CONFIG_HOME", config.path().c_str()};
    ScopedEnvironment records{"XDG_DATA_HOME", config.path().c_str()};
    Journal journal;

    std::unique_ptr<Application> start(std::vector<std::string> arguments = {"-win", "-ns", "-w", "640", "-h", "360"})
    {
        // Start-up lines are not this test's business, but a failed start
        // must not leave standard output captured for the tests after it.
        testing::internal::CaptureStdout();
        try {
            auto application = std::make_unique<Application>(arguments);
            testing::internal::GetCapturedStdout();
            return application;
        } catch (const FatalError& error) {
            const std::string printed = testing::internal::GetCapturedStdout();
            ADD_FAILURE() << "start-up failed: " << error.text() << "\n" << printed;
            throw;
        }
    }

    RecordingState* record(Application& application, const std::string& label = "recorder")
    {
        auto state = std::make_unique<RecordingState>(application, journal, label);
        RecordingState* raw = state.get();
        application.replaceState(std::move(state));
        return raw;
    }
};

} // namespace

TEST_F(ApplicationLoop, StartsOnTheTitleScreenWithAWindow)
{
    auto application = start();
    ASSERT_TRUE(application->hasDisplay());
    ASSERT_NE(application->currentState(), nullptr);
    EXPECT_EQ(application->currentState()->name(), "TitleScreen");
    EXPECT_EQ(application->getDrawer()->getWidth(), 1280);
    EXPECT_EQ(application->getDrawer()->getHeight(), 720);
    EXPECT_EQ(application->windowWidth(), 640);
    EXPECT_TRUE(application->isNoSound());
    application->loadGlyphs();
    EXPECT_TRUE(application->runIteration());
}

TEST_F(ApplicationLoop, EventsReachTheScreenAsActions)
{
    auto application = start();
    record(*application);
    SDL_Event event{};
    application->dispatchEvent(keyEvent(SDL_KEYDOWN, SDLK_SPACE));
    application->dispatchEvent(keyEvent(SDL_KEYUP, SDLK_LEFT));
    application->dispatchEvent(keyEvent(SDL_KEYDOWN, SDLK_RETURN));

    event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = 320;
    event.motion.y = 90;
    application->dispatchEvent(event);

    event = {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_WHEELDOWN;
    application->dispatchEvent(event);
    event.button.button = SDL_BUTTON_WHEELUP;
    application->dispatchEvent(event);
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = 64;
    event.button.y = 36;
    application->dispatchEvent(event);
    event.type = SDL_MOUSEBUTTONUP;
    event.button.button = SDL_BUTTON_WHEELDOWN;
    application->dispatchEvent(event);

    event = {};
    event.type = SDL_JOYAXISMOTION;
    event.jaxis.which = 1;
    event.jaxis.axis = 0;
    event.jaxis.value = 0;
    application->dispatchEvent(event);
    event.jaxis.axis = 1;
    event.jaxis.value = -16384;
    application->dispatchEvent(event);

    event = {};
    event.type = SDL_JOYBUTTONDOWN;
    event.jbutton.button = 2;
    application->dispatchEvent(event);
    event.type = SDL_JOYBUTTONUP;
    application->dispatchEvent(event);

    EXPECT_EQ(journal.lines, (std::vector<std::string>{
                                 "pressed 'Action' sym 32",
                                 "released 'P1Left'",
                                 "pressed '' sym 13",
                                 "moved 640,180",
                                 "wheel down",
                                 "wheel up",
                                 "mouse down 1 128,72",
                                 "mouse up 5 128,72",
                                 "axis 'P1Left' 0 joystick 1 direction 3",
                                 "axis 'P1Right' 0 joystick 1 direction 1",
                                 "axis 'P1Up' 0.5 joystick 1 direction 0",
                                 "pressed '' sym 0",
                                 "released ''",
                             }));
}

TEST_F(ApplicationLoop, PadMovesReachTheScreenAfterTheirAxisReports)
{
    auto application = start();
    record(*application);
    SDL_Event event{};
    event.type = SDL_JOYAXISMOTION;
    event.jaxis.which = 2;
    event.jaxis.axis = 0;
    event.jaxis.value = -32768;
    SDL_PushEvent(&event);
    event.jaxis.value = 32767;
    SDL_PushEvent(&event);
    event.jaxis.value = 0;
    SDL_PushEvent(&event);
    // A resting trigger: its direction shares button 1's code, "Action".
    event.jaxis.axis = 2;
    event.jaxis.value = -32768;
    SDL_PushEvent(&event);
    event = {};
    event.type = SDL_JOYHATMOTION;
    event.jhat.which = 2;
    event.jhat.value = SDL_HAT_LEFTDOWN;
    SDL_PushEvent(&event);
    event.jhat.value = SDL_HAT_CENTERED;
    SDL_PushEvent(&event);
    event = {};
    event.type = SDL_JOYBUTTONDOWN;
    event.jbutton.which = 2;
    event.jbutton.button = 1;
    SDL_PushEvent(&event);
    event.type = SDL_JOYBUTTONUP;
    SDL_PushEvent(&event);
    EXPECT_TRUE(application->runIteration());
    EXPECT_EQ(journal.lines, (std::vector<std::string>{
                                 "axis 'P1Left' 1 joystick 2 direction 3",
                                 "pressed 'P1Left' sym 0",
                                 "axis 'P1Right' 0.999969 joystick 2 direction 1",
                                 "released 'P1Left'",
                                 "pressed 'P1Right' sym 0",
                                 "axis 'P1Left' 0 joystick 2 direction 3",
                                 "axis 'P1Right' 0 joystick 2 direction 1",
                                 "released 'P1Right'",
                                 "axis 'Action' 1 joystick 2 direction 5",
                                 "pressed 'P1Left' sym 0",
                                 "pressed 'P1Down' sym 0",
                                 "released 'P1Left'",
                                 "released 'P1Down'",
                                 "pressed 'Action' sym 0",
                                 "released 'Action'",
                                 "recorder step",
                                 "recorder draw",
                             }));
}

TEST_F(ApplicationLoop, QuitEventStillDeliversTheRestOfTheRoundAndDrawsNoFrame)
{
    auto application = start();
    record(*application);
    SDL_Event quitEvent{};
    quitEvent.type = SDL_QUIT;
    SDL_Event key = keyEvent(SDL_KEYDOWN, SDLK_z);
    SDL_PushEvent(&quitEvent);
    SDL_PushEvent(&key);
    EXPECT_FALSE(application->runIteration());
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"pressed 'Action' sym 122"}));
}

TEST_F(ApplicationLoop, EscapeQuitsBeforeTheNextFrame)
{
    auto application = start();
    record(*application);
    SDL_Event key = keyEvent(SDL_KEYDOWN, SDLK_ESCAPE);
    SDL_PushEvent(&key);
    EXPECT_FALSE(application->runIteration());
    EXPECT_TRUE(application->isQuitRequested());
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"pressed 'Escape' sym 27"}));
}

TEST_F(ApplicationLoop, QuitFromTheLastStepStillDrawsAndEndsAfterTheNextPoll)
{
    auto application = start();
    RecordingState* state = record(*application);
    state->onStep = "quit";
    EXPECT_TRUE(application->runIteration());
    EXPECT_FALSE(application->runIteration());
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"recorder step", "recorder draw"}));
}

TEST_F(ApplicationLoop, PacingWithAFakeClock)
{
    auto application = start();
    RecordingState* state = record(*application);
    FakeClock clock;
    state->workClock = &clock;
    state->workPerFrame = 2;
    application->setClock(&clock);
    for (int i = 0; i < 5; ++i)
        application->runIteration();
    // The first step runs at once; after it every frame's 2 ms of drawing is
    // followed by a 13 ms wait, so steps lie 15 ms apart.
    EXPECT_EQ(clock.delays, (std::vector<uint32_t>{13, 13, 13, 13}));
    EXPECT_EQ(clock.now, 1000u + 4 * 15 + 2);
    for (std::size_t line = 0; line < 10; ++line)
        EXPECT_EQ(journal.lines.at(line), line % 2 == 0 ? "recorder step" : "recorder draw");
    application->setClock(nullptr);
}

TEST_F(ApplicationLoop, AReplayPacesThePlayAtItsOwnGameSpeedAndThePlayersComesBackWhenItRunsOut)
{
    // Steps in one second of the scripted clock, from a step on: while a
    // replay of 120 steps plays, and once it has run out.
    LevelGrid level;
    level.load(FilePath::dataFolder("levels").join("pilot.png"), GamePlay::startX, GamePlay::startY);
    const std::tuple<std::string, Assists, int64_t, int64_t> cases[] = { // player's speed, replay's, steps
        {"100", {100, false}, 67, 67}, {"50", {100, false}, 67, 34}, {"100", {50, true}, 34, 67}, {"90", {70, false}, 47, 60}};
    for (const auto& [speed, made, whilePlaying, afterwards] : cases) {
        config.write("run.replay", replayfile::text(Replay{level.contentHash(), Route(120), made}));
        auto application = start({"-win", "-ns", "-w", "320", "-h", "180", "-gs", speed, "--replay", config.file("run.replay")});
        FakeClock clock;
        application->setClock(&clock);
        const RunClock& steps = dynamic_cast<GamePlay&>(*application->currentState()).getRunClock();
        const auto stepsInASecond = [&] {
            application->runIteration();
            const int64_t first = steps.steps();
            for (const uint32_t from = clock.now; clock.now - from < 1000;)
                application->runIteration();
            return steps.steps() - first; // the last step ran a second or more after the first
        };
        EXPECT_EQ(stepsInASecond(), whilePlaying) << made.gameSpeed;
        while (steps.steps() <= 120)
            application->runIteration();
        EXPECT_EQ(stepsInASecond(), afterwards) << made.gameSpeed;
        EXPECT_EQ(application->getAssists().gameSpeed, std::stoi(speed)) << "the replay's speed was kept as the player's";
        application->setClock(nullptr);
    }
}

TEST_F(ApplicationLoop, APressMadeWhileTheLoopSleepsReachesTheStepRightAfterTheSleep)
{
    struct PressingClock : FakeClock {
        void delay(uint32_t milliseconds) override
        {
            FakeClock::delay(milliseconds);
            SDL_Event press = keyEvent(SDL_KEYDOWN, SDLK_SPACE);
            SDL_PushEvent(&press);
        }
    };
    auto application = start();
    record(*application);
    PressingClock clock;
    application->setClock(&clock);
    application->runIteration(); // the first step: no sleep
    application->runIteration();
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"recorder step", "recorder draw", "pressed 'Action' sym 32",
                                                       "recorder step", "recorder draw"}));
    application->setClock(nullptr);
}

TEST_F(ApplicationLoop, SlowFramesRunEveryDueStepAndThenDrawOnce)
{
    auto application = start();
    RecordingState* state = record(*application);
    FakeClock clock;
    state->workClock = &clock;
    state->workPerFrame = 40; // a slow drawer: 40 ms a frame
    application->setClock(&clock);
    for (int i = 0; i < 4; ++i)
        application->runIteration();
    // Steps due at 0, 15, ... ms: the frames at 0, 40, 80 and 120 ms run 1,
    // 2, 3 and 3 steps, each followed by one drawing.
    EXPECT_TRUE(clock.delays.empty());
    EXPECT_EQ(journal.lines, (std::vector<std::string>{
                                 "recorder step", "recorder draw",
                                 "recorder step", "recorder step", "recorder draw",
                                 "recorder step", "recorder step", "recorder step", "recorder draw",
                                 "recorder step", "recorder step", "recorder step", "recorder draw",
                             }));
    application->setClock(nullptr);
}

TEST_F(ApplicationLoop, AFrameTooSlowForTheBoundRunsFourStepsAndSlowsTheGame)
{
    auto application = start();
    RecordingState* state = record(*application);
    FakeClock clock;
    state->workClock = &clock;
    state->workPerFrame = 200;
    application->setClock(&clock);
    application->runIteration();
    journal.lines.clear();
    application->runIteration();
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"recorder step", "recorder step", "recorder step",
                                                       "recorder step", "recorder draw"}));
    application->setClock(nullptr);
}

TEST_F(ApplicationLoop, QuitInAStepBeforeTheLastRunsNoFurtherStepAndDrawsNothing)
{
    auto application = start();
    RecordingState* state = record(*application);
    FakeClock clock;
    state->workClock = &clock;
    state->workPerFrame = 40;
    application->setClock(&clock);
    EXPECT_TRUE(application->runIteration());
    state->onStep = "quit";
    EXPECT_TRUE(application->runIteration());
    EXPECT_FALSE(application->runIteration());
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"recorder step", "recorder draw", "recorder step"}));
    application->setClock(nullptr);
}

TEST_F(ApplicationLoop, AScreenThatSwitchesInAStepHandsThatStepAndTheRestToTheNewOne)
{
    auto application = start();
    ProcessTexture::forgetAll(); // a drawer of its own
    RecordingState* state = record(*application, "old");
    FakeClock clock;
    state->workClock = &clock;
    state->workPerFrame = 40;
    application->setClock(&clock);
    application->runIteration();
    const auto* openGL = dynamic_cast<OpenGLDrawer*>(application->getDrawer());
    ASSERT_NE(openGL, nullptr);
    const std::size_t texturesBefore = openGL->textures().size();
    const int fontsBefore = openGL->fontCount();
    state->onStep = "TitleScreen";
    // Two steps are due: the old screen ends in the first, which the title
    // screen takes, and the title takes the second too.
    application->runIteration();
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"old step", "old draw", "old step", "old destroyed"}));
    ASSERT_EQ(application->currentState()->name(), "TitleScreen");
    const auto* title = dynamic_cast<TitleScreen*>(application->currentState());
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->story().framesToNextLine(), TitleStory::firstLineFrames - 2);
    // Its grain and logo textures and its fonts, each made once, by drawing.
    EXPECT_EQ(openGL->textures().size(), texturesBefore + 2);
    EXPECT_EQ(openGL->fontCount(), fontsBefore + 2); // the story's and the controls line's
    clock.now += 200; // four steps, the bound
    application->runIteration();
    EXPECT_EQ(title->story().framesToNextLine(), TitleStory::firstLineFrames - 6);
    EXPECT_EQ(openGL->textures().size(), texturesBefore + 2);
    EXPECT_EQ(openGL->fontCount(), fontsBefore + 2);
    application->setClock(nullptr);
}

TEST_F(ApplicationLoop, SwitchingDestroysTheOldScreenFirst)
{
    auto application = start();
    record(*application, "first");
    application->switchState("Titlescreen");
    application->switchState("Title");
    application->switchState("");
    EXPECT_EQ(application->currentState()->name(), "Recorder");
    EXPECT_TRUE(journal.lines.empty());

    application->switchState("Epilogue");
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"first destroyed"}));
    EXPECT_EQ(application->currentState()->name(), "Epilogue");
    application->switchState("TitleScreen");
    EXPECT_EQ(application->currentState()->name(), "TitleScreen");
    application->switchState("TitleScreen");
    EXPECT_EQ(application->currentState()->name(), "TitleScreen");
}

TEST_F(ApplicationLoop, SwitchFromAStepTakesEffectAtOnce)
{
    auto application = start();
    RecordingState* state = record(*application, "old");
    state->onStep = "TitleScreen";
    EXPECT_TRUE(application->runIteration());
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"old step", "old destroyed"}));
    EXPECT_EQ(application->currentState()->name(), "TitleScreen");
    EXPECT_TRUE(application->runIteration());
}

TEST_F(ApplicationLoop, MouseWithZeroRequestedSizeUsesTheRealWindow)
{
    // A size of 0 in the file used to open a window that stayed black; it
    // is the screen's size now, and the mouse maps onto that window.
    std::filesystem::create_directory(config.file("Plumbrook"));
    config.write("Plumbrook/Plumbrook.conf", "w 0\r\nh 0\r\na 0\r\nf 0\r\nns 1\r\n");
    auto application = start({});
    ASSERT_TRUE(application->hasDisplay());
    EXPECT_EQ(application->windowWidth(), platform::primaryScreenSize().width);
    EXPECT_EQ(application->windowHeight(), platform::primaryScreenSize().height);
    record(*application);
    const SDL_Surface* surface = SDL_GetVideoSurface();
    ASSERT_NE(surface, nullptr);
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = static_cast<Uint16>(surface->w / 2);
    event.motion.y = static_cast<Uint16>(surface->h / 4);
    application->dispatchEvent(event);
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"moved 640,180"}));
}

TEST_F(ApplicationLoop, OutOfRangeSizesOpenAScreenSizedWindowNeverAWrappedOne)
{
    // 70000 used to open 4464 pixels (cut to 16 bits) and -5 to fail.
    testing::internal::CaptureStdout();
    auto application = std::make_unique<Application>(std::vector<std::string>{"-win", "-ns", "-w", "70000", "-h", "-5"});
    const std::string printed = testing::internal::GetCapturedStdout();
    const platform::ScreenSize screen = platform::primaryScreenSize();
    EXPECT_NE(printed.find("Using default width = " + std::to_string(screen.width) + "\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("Using default height = " + std::to_string(screen.height) + "\n"), std::string::npos)
        << printed;
    ASSERT_TRUE(application->hasDisplay());
    const SDL_Surface* surface = SDL_GetVideoSurface();
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->w, screen.width);
    EXPECT_EQ(surface->h, screen.height);
}

TEST_F(ApplicationLoop, HelpEndsStartUpWithSuccessAndLeavesSdlClean)
{
    testing::internal::CaptureStdout();
    try {
        Application application({"-w", "640", "--help"});
        FAIL() << "help must end start-up";
    } catch (const FatalError& error) {
        EXPECT_EQ(error.text(), "\n");
        EXPECT_EQ(error.exitStatus(), 0);
    }
    const std::string printed = testing::internal::GetCapturedStdout();
    // The settings come first, as on every start: a fresh account gets its
    // folder before the help.
    const std::string created = "Created " + config.file("Plumbrook") + " path.\n";
    EXPECT_EQ(printed.substr(0, created.size()), created) << printed;
    EXPECT_NE(printed.find("\nVantorrel\n\nUsage:\n"), std::string::npos) << printed;
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
    // A new start works after it.
    auto application = start();
    EXPECT_TRUE(application->hasDisplay());
}

TEST_F(ApplicationLoop, HelpNeedsNoDisplayAndOffersThisSystemsAudioApis)
{
    std::filesystem::create_directory(config.file("Plumbrook"));
    config.write("Plumbrook/Plumbrook.conf", "w 640\r\nh 360\r\na 0\r\nf 0\r\nns 1\r\nnm 0\r\naa DirectSound\r\n");
    ScopedEnvironment noDisplay("DISPLAY", nullptr);
    std::ostringstream expected;
    printHelp(expected, PortAudioDevice::offeredHostApiNames());
    testing::internal::CaptureStdout();
    try {
        Application application({"--nosound", "--help"});
        FAIL() << "help must end start-up";
    } catch (const FatalError& error) {
        EXPECT_EQ(error.text(), "\n");
        EXPECT_EQ(error.exitStatus(), 0);
    }
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, expected.str());
    EXPECT_NE(printed.find("Sets the audio API to use.  Can be ALSA"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("DirectSound"), std::string::npos) << printed;
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
}

TEST_F(ApplicationLoop, HelpWithoutADisplayOnAFreshAccountCreatesNoSettingsFile)
{
    // The screen cannot be measured, so the file would record the fallback
    // 1024 x 768 for good; the next start on a real screen writes it instead.
    ScopedEnvironment noDisplay("DISPLAY", nullptr);
    testing::internal::CaptureStdout();
    EXPECT_THROW(Application application({"--help"}), FatalError);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(std::filesystem::is_directory(config.file("Plumbrook")));
    EXPECT_FALSE(std::filesystem::exists(config.file("Plumbrook/Plumbrook.conf")));
}

TEST_F(ApplicationLoop, ProcessClearsTheBufferBeforeTheEngineAdds)
{
    auto application = start();
    float buffer[64];
    for (float& sample : buffer)
        sample = 7.0f;
    application->process(nullptr, buffer, 16);
    for (int i = 0; i < 32; ++i)
        EXPECT_TRUE(std::isfinite(buffer[i]));
    for (int i = 32; i < 64; ++i)
        EXPECT_EQ(buffer[i], 7.0f) << "beyond the frames asked for";
}

TEST_F(ApplicationLoop, AFocusLossPausesOnlyWhenNoGainAnswersItWithinATenthOfASecond)
{
    enum Kind { Loss, Gain, MouseLoss, HiddenLoss, Look };
    struct Moment {
        uint32_t at; // milliseconds after the case's start
        Kind kind;
        int told;    // Look: losses the screen has been told of by then
    };
    struct Case {
        const char* what;
        std::vector<Moment> moments;
    };
    const Case cases[] = {
        {"a loss and a gain together", {{0, Loss, 0}, {0, Gain, 0}, {100, Look, 0}, {1000, Look, 0}}},
        {"a gain 99 ms after", {{0, Loss, 0}, {50, Look, 0}, {99, Gain, 0}, {400, Look, 0}}},
        {"no gain", {{0, Loss, 0}, {99, Look, 0}, {100, Look, 1}, {400, Look, 1}}},
        {"a gain too late", {{0, Loss, 0}, {100, Look, 1}, {150, Gain, 0}, {400, Look, 1}}},
        {"a second loss keeps the first one's time", {{0, Loss, 0}, {60, Loss, 0}, {100, Look, 1}}},
        {"the window hidden", {{0, HiddenLoss, 0}, {100, Look, 1}}},
        {"mouse focus only", {{0, MouseLoss, 0}, {400, Look, 0}}},
    };
    auto application = start();
    FakeClock clock;
    application->setClock(&clock);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        journal.lines.clear();
        record(*application, c.what);
        clock.now += 10000; // far past every step, so the loop never waits
        const uint32_t begin = clock.now;
        for (const Moment& moment : c.moments) {
            clock.now = begin + moment.at;
            if (moment.kind == Look) {
                application->runIteration();
                EXPECT_EQ(std::count(journal.lines.begin(), journal.lines.end(), std::string(c.what) + " focus lost"),
                          moment.told)
                    << "at " << moment.at << " ms";
            } else {
                const Uint8 kind = moment.kind == MouseLoss    ? SDL_APPMOUSEFOCUS
                                   : moment.kind == HiddenLoss ? SDL_APPACTIVE
                                                               : SDL_APPINPUTFOCUS;
                application->dispatchEvent(focusEvent(moment.kind == Gain ? 1 : 0, kind));
            }
        }
    }
    application->setClock(nullptr);
}

TEST_F(ApplicationLoop, AFocusLossOnTheTitleNeverPausesThePlayThatFollows)
{
    auto application = start();
    FakeClock clock;
    application->setClock(&clock);
    ASSERT_EQ(application->currentState()->name(), "TitleScreen");
    application->dispatchEvent(focusEvent(0, SDL_APPINPUTFOCUS));
    clock.now += 50;
    application->switchState("GamePlay"); // the story ends
    const auto* play = dynamic_cast<GamePlay*>(application->currentState());
    ASSERT_NE(play, nullptr);
    for (int i = 0; i < 10; ++i) {
        clock.now += 50;
        application->runIteration();
    }
    EXPECT_FALSE(play->isPaused());
    // Lost in play itself, the focus pauses play.
    application->dispatchEvent(focusEvent(0, SDL_APPINPUTFOCUS));
    clock.now += 100;
    application->runIteration();
    EXPECT_TRUE(play->isPaused());
    application->setClock(nullptr);
}
