// Pads played through the real main loop: SDL joystick events pushed into
// SDL's own queue, polled by the Application and handed to the screens.
#include "InstantClock.h"
#include "app/Application.h"
#include "app/FatalError.h"
#include "game/GamePlay.h"
#include "game/TitleScreen.h"

#include "TempFolder.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int landingFrames = 60; // the pilot drops onto the shipped level's ground within these

void push(SDL_Event event)
{
    ASSERT_EQ(SDL_PushEvent(&event), 0) << SDL_GetError();
}

void pushAxis(int joystick, int axis, Sint16 value)
{
    SDL_Event event{};
    event.type = SDL_JOYAXISMOTION;
    event.jaxis.type = SDL_JOYAXISMOTION;
    event.jaxis.which = static_cast<Uint8>(joystick);
    event.jaxis.axis = static_cast<Uint8>(axis);
    event.jaxis.value = value;
    push(event);
}

void pushHat(int joystick, int hat, Uint8 value)
{
    SDL_Event event{};
    event.type = SDL_JOYHATMOTION;
    event.jhat.type = SDL_JOYHATMOTION;
    event.jhat.which = static_cast<Uint8>(joystick);
    event.jhat.hat = static_cast<Uint8>(hat);
    event.jhat.value = value;
    push(event);
}

void pushButton(Uint8 type, int joystick, int button)
{
    SDL_Event event{};
    event.type = type;
    event.jbutton.type = type;
    event.jbutton.which = static_cast<Uint8>(joystick);
    event.jbutton.button = static_cast<Uint8>(button);
    event.jbutton.state = type == SDL_JOYBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    push(event);
}

// A windowed, silent game in a private configuration folder.
class Gamepad : public testing::Test {
protected:
    void SetUp() override
    {
        testing::internal::CaptureStdout();
        try {
            app = std::make_unique<Application>(std::vector<std::string>{"-win", "-ns", "-w", "320", "-h", "180"});
        } catch (const FatalError& error) {
            const std::string printed = testing::internal::GetCapturedStdout();
            FAIL() << "start-up failed: " << error.text() << "\n" << printed;
        }
        testing::internal::GetCapturedStdout();
        app->setClock(&clock);
        app->loadGlyphs();
    }

    void startPlayOnTheGround()
    {
        app->switchState("GamePlay");
        for (int frame = 0; frame < landingFrames; ++frame)
            ASSERT_TRUE(app->runIteration());
        ASSERT_FALSE(play().getBody().airborne);
        ASSERT_EQ(play().getBody().vy, 0.0f);
    }

    GamePlay& play()
    {
        auto* state = dynamic_cast<GamePlay*>(app->currentState());
        if (state == nullptr)
            throw std::runtime_error("not on the play screen");
        return *state;
    }

    const TitleStory& story()
    {
        auto* state = dynamic_cast<TitleScreen*>(app->currentState());
        if (state == nullptr)
            throw std::runtime_error("not on the title screen");
        return state->story();
    }

    // "LR" with the held flags: "L." left only, ".." none.
    std::string held()
    {
        const PilotInput& input = play().getInput();
        return std::string(input.left ? "L" : ".") + (input.right ? "R" : ".") + (input.up ? "U" : "") +
               (input.down ? "D" : "");
    }

    // Polls what was pushed and draws one frame.
    void step() { ASSERT_TRUE(app->runIteration()); }

    TempFolder config;
    ScopedEnvironment xdg{"XDG_CONFIG_HOME", config.path().c_str()};
    ScopedEnvironment records{"XDG_DATA_HOME", config.path().c_str()};
    InstantClock clock;
    std::unique_ptr<Application> app;
};

} // namespace

TEST_F(Gamepad, StickHoldsADirectionPastHalfTravelAndReleasesItInside)
{
    startPlayOnTheGround();
    pushAxis(0, 0, -16384); // exactly half: not yet
    step();
    EXPECT_EQ(held(), "..");
    pushAxis(0, 0, -16385);
    step();
    EXPECT_EQ(held(), "L.");
    pushAxis(0, 0, -32768);
    step();
    EXPECT_EQ(held(), "L.");
    pushAxis(0, 0, -16384);
    step();
    EXPECT_EQ(held(), "..");
    pushAxis(0, 0, 16385);
    step();
    EXPECT_EQ(held(), ".R");
    // Thrown across in one event: the old side is let go, the new one held.
    pushAxis(0, 0, -32768);
    step();
    EXPECT_EQ(held(), "L.");
    pushAxis(0, 0, 32767);
    step();
    EXPECT_EQ(held(), ".R");
    // The stick's up and down look, apart from steering.
    pushAxis(0, 1, -32768);
    step();
    EXPECT_EQ(held(), ".RU");
    pushAxis(0, 0, 0);
    pushAxis(0, 1, 32767);
    step();
    EXPECT_EQ(held(), "..D");
}

TEST_F(Gamepad, HeldStickRunsThePilot)
{
    startPlayOnTheGround();
    const float startX = play().getBody().x;
    pushAxis(1, 0, -32768);
    for (int frame = 0; frame < 10; ++frame)
        step();
    EXPECT_LT(play().getBody().vx, 0.0f);
    EXPECT_LT(play().getBody().x, startX);
    pushAxis(1, 0, 0);
    step();
    EXPECT_EQ(held(), "..");
}

TEST_F(Gamepad, DpadSteersWithDiagonalsAndTogetherWithTheStick)
{
    startPlayOnTheGround();
    pushHat(0, 0, SDL_HAT_LEFTUP);
    step();
    EXPECT_EQ(held(), "L.U");
    pushHat(0, 0, SDL_HAT_RIGHT);
    step();
    EXPECT_EQ(held(), ".R");
    pushHat(0, 0, SDL_HAT_RIGHTDOWN);
    step();
    EXPECT_EQ(held(), ".RD");
    pushHat(0, 0, SDL_HAT_DOWN);
    step();
    EXPECT_EQ(held(), "..D");
    // Stick and D-pad on one side: letting go of one keeps the side held.
    pushHat(0, 0, SDL_HAT_LEFT);
    pushAxis(0, 0, -32768);
    step();
    EXPECT_EQ(held(), "L.");
    pushHat(0, 0, SDL_HAT_CENTERED);
    step();
    EXPECT_EQ(held(), "L.");
    pushAxis(0, 0, 0);
    step();
    EXPECT_EQ(held(), "..");
    // The second hat of a pad does not steer.
    pushHat(0, 1, SDL_HAT_LEFT);
    step();
    EXPECT_EQ(held(), "..");
}

TEST_F(Gamepad, ButtonsZeroAndOneJumpAndNoOtherDoes)
{
    startPlayOnTheGround();
    for (int button = 2; button < 32; ++button) {
        if (button == InputBindings::pauseButton || button == InputBindings::retryButton)
            continue; // they stop or restart the play, not move the pilot
        pushButton(SDL_JOYBUTTONDOWN, 0, button);
        pushButton(SDL_JOYBUTTONUP, 0, button);
    }
    step();
    EXPECT_FALSE(play().getBody().airborne);
    EXPECT_EQ(play().getBody().vy, 0.0f);
    EXPECT_EQ(held(), "..");

    for (int button : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "button " << button);
        pushButton(SDL_JOYBUTTONDOWN, 2, button);
        step();
        EXPECT_TRUE(play().getBody().airborne);
        EXPECT_LT(play().getBody().vy, 0.0f);
        pushButton(SDL_JOYBUTTONUP, 2, button);
        for (int frame = 0; frame < 200 && play().getBody().airborne; ++frame)
            step();
        ASSERT_FALSE(play().getBody().airborne) << "the pilot did not land again";
    }
    EXPECT_FALSE(app->isQuitRequested());
}

TEST_F(Gamepad, RestingTriggersPressAndHoldNothing)
{
    // Triggers rest at full negative travel and report it when a pad is
    // opened or moved; their codes are shared with buttons 0 to 5, the jump
    // buttons among them.
    startPlayOnTheGround();
    for (int frame = 0; frame < 5; ++frame) {
        for (int axis = 2; axis <= 5; ++axis)
            pushAxis(0, axis, frame % 2 == 0 ? -32768 : 32767);
        step();
        EXPECT_FALSE(play().getBody().airborne) << "frame " << frame;
        EXPECT_EQ(play().getBody().vy, 0.0f);
        EXPECT_EQ(held(), "..");
    }
    pushAxis(0, 2, -32768);
    step();
    EXPECT_EQ(play().getBody().vx, 0.0f);

    // Nor does a resting trigger move the title story on.
    app->switchState("TitleScreen");
    for (int axis = 2; axis <= 5; ++axis)
        pushAxis(0, axis, -32768);
    step();
    EXPECT_EQ(story().lineIndex(), 0);
}

TEST_F(Gamepad, AnyButtonMovesTheTitleStoryOnAndNoneQuits)
{
    EXPECT_EQ(story().lineIndex(), 0);
    pushButton(SDL_JOYBUTTONDOWN, 0, 7);
    pushButton(SDL_JOYBUTTONUP, 0, 7);
    step();
    EXPECT_EQ(story().lineIndex(), 1);
    pushButton(SDL_JOYBUTTONDOWN, 3, 0);
    step();
    EXPECT_EQ(story().lineIndex(), 2);
    // A fifth pad's button too: all its inputs share one code, bound to
    // nothing, and like any unbound button it moves the story on.
    pushButton(SDL_JOYBUTTONDOWN, 4, 2);
    step();
    EXPECT_EQ(story().lineIndex(), 3);
    for (int line = 3; line <= TitleStory::sendOffLine; ++line)
        pushButton(SDL_JOYBUTTONDOWN, 1, 1);
    step();
    EXPECT_EQ(app->currentState()->name(), "GamePlay");
    // Every button of every pad, in play: the game goes on.
    // (SDL's queue holds 128 events: a frame between batches empties it.)
    for (int joystick = 0; joystick < 8; ++joystick) {
        for (int first = 0; first < 256; first += 32) {
            for (int button = first; button < first + 32; ++button) {
                pushButton(SDL_JOYBUTTONDOWN, joystick, button);
                pushButton(SDL_JOYBUTTONUP, joystick, button);
            }
            step();
        }
    }
    EXPECT_FALSE(app->isQuitRequested());
    EXPECT_EQ(app->currentState()->name(), "GamePlay");
}

TEST_F(Gamepad, FifthJoystickNeitherSteersNorJumps)
{
    startPlayOnTheGround();
    pushAxis(4, 0, -32768);
    pushHat(4, 0, SDL_HAT_RIGHT);
    step();
    EXPECT_EQ(held(), "..");
    for (int button = 0; button < 32; ++button)
        pushButton(SDL_JOYBUTTONDOWN, 4, button);
    step();
    EXPECT_FALSE(play().getBody().airborne);
    EXPECT_EQ(held(), "..");
    // Joystick 0's button 6 shares joystick 4's code: nothing either.
    pushButton(SDL_JOYBUTTONDOWN, 0, 6);
    step();
    EXPECT_FALSE(play().getBody().airborne);
    EXPECT_FALSE(app->isQuitRequested());
    // The first pad still steers afterwards.
    pushAxis(0, 0, 32767);
    step();
    EXPECT_EQ(held(), ".R");
}
