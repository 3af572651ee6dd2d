#pragma once
#include "base/FramePacer.h"
#include "app/InputBindings.h"
#include "app/PadSteering.h"
#include "audio/PortAudioCallback.h"
#include "audio/PortAudioDevice.h"
#include "game/Assists.h"
#include "game/RunOutcome.h"
#include "game/ScreenHost.h"

#include <SDL/SDL_events.h>
#include <SDL/SDL_joystick.h>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Drawer;
class GameState;
class GamePlay;

// The one top-level object: brings the system up, runs the paced main loop
// that hands input and fixed 15 ms steps to the current screen and draws it
// once a frame, and fills the audio stream's buffers from the audio engine.
class Application : public PortAudioCallback, public ScreenHost {
public:
    // May throw FatalError ("--help", SDL failure).
    explicit Application(const std::vector<std::string>& arguments);
    ~Application() override;

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    void run();
    // One main-loop iteration: dispatch the pending events, then (unless
    // quitting) wait for the next step, run the steps that are due and draw
    // the screen once (base/FramePacer.h). False once quitting was asked for.
    bool runIteration();
    void loadGlyphs();
    void quit() override;
    // Replaces the current screen by name; unknown names change nothing.
    void switchState(const std::string& name) override;
    void prepare(double framesPerSecond) override;
    void process(const void* input, void* output, uint32_t frames) override;

    void dispatchEvent(const SDL_Event& event);
    // Tests drive the loop with their own clock; null restores SDL's.
    void setClock(LoopClock* clock);
    // Installs a screen directly, destroying the current one first (tests).
    void replaceState(std::unique_ptr<GameState> next);

    // The run just won and how it compares with the level's best, handed
    // from the play screen to the ending, which is built after the play
    // screen is gone; a time of -1 before a win.
    void setRunOutcome(const RunOutcome& outcome) override { lastRun = outcome; }
    const RunOutcome& getRunOutcome() const override { return lastRun; }
    void setRunMilliseconds(int64_t milliseconds) { lastRun = RunOutcome{milliseconds, -1, false}; }
    int64_t getRunMilliseconds() const { return lastRun.milliseconds; }

    Drawer* getDrawer() { return drawer.get(); }
    GameState* currentState() { return state.get(); }
    bool isQuitRequested() const { return quitRequested; }
    bool hasDisplay() const { return displayReady; }
    bool isNoSound() const { return noSound; }
    bool isNoMusic() const { return noMusic; }
    int windowWidth() const { return width; }
    const Assists& getAssists() const override { return assists; }
    // From the menus: takes effect at the next step and is kept in the
    // settings file.
    void setAssists(const Assists& chosen);
    // While a replay plays the pace is its own; the player's game speed
    // comes back with nothing.
    void setReplayPace(std::optional<int> percent) override;
    int windowHeight() const { return height; }

private:
    // The title, or straight into play for a replay that can be played.
    std::unique_ptr<GameState> firstScreen(const std::string& replayFile);
    // The play screen, on the --level picture when one was given.
    std::unique_ptr<GamePlay> newPlayScreen();
    void logicalMouse(int x, int y, int& logicalX, int& logicalY) const;
    // Hands the pad's steering changes to the screen as presses and releases.
    void steer(int joystick, const PadSteering::Changes& changes);
    // Tells the screen of a focus loss no gain has answered in time.
    void settleFocusLoss(uint32_t now);
    // Ramps the sound down before the stream is cut, so quitting is no click.
    void fadeOutSound();

    PortAudioDevice audioDevice;
    bool quitRequested = false;
    FramePacer pacer;
    int width = 0;
    int height = 0;
    bool noSound = false;
    bool noMusic = false;
    bool displayReady = false;
    InputBindings bindings;
    PadSteering padSteering;
    std::vector<SDL_Joystick*> joysticks;
    std::unique_ptr<Drawer> drawer;
    std::unique_ptr<GameState> state;
    LoopClock* clock;
    // When (on `clock`) the current screen lost the keyboard focus with no
    // gain since; empty when it has the focus or was told already.
    std::optional<uint32_t> focusLossAt;
    RunOutcome lastRun;
    std::string levelFile; // from --level; empty: the shipped play level
    Assists assists;
    std::optional<int> replayPace; // percent; nothing: the player's game speed
};
