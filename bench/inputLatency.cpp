// Time from a key press to the end of drawing the first frame whose step
// took it, through the real main loop (Application::runIteration) with a
// scripted clock: the press lands at every millisecond of the 15 ms step
// period in turn, and drawing a frame costs a fixed number of milliseconds.
// Prints the mean and the worst latency for each drawing cost. Needs an X
// display (run under Xvfb); no real time passes, so the figures do not
// depend on the machine or its load.
#include "KeyEvent.h"
#include "app/Application.h"
#include "app/FatalError.h"
#include "game/GameState.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr uint32_t settleMilliseconds = 100; // before each press: the loop runs evenly again
constexpr int drawCosts[] = {1, 5, 10, 14};  // milliseconds one drawn frame takes

// Time moves only when the loop sleeps or a frame is drawn; a press due in
// between goes into SDL's queue at its moment.
class ScriptedClock : public LoopClock {
public:
    uint32_t ticks() override { return now; }
    void delay(uint32_t milliseconds) override { advance(milliseconds); }
    void advance(uint32_t milliseconds)
    {
        for (uint32_t i = 0; i < milliseconds; ++i) {
            ++now;
            if (pressPending && now == pressAt) {
                SDL_Event press = keyEvent(SDL_KEYDOWN, SDLK_SPACE);
                SDL_PushEvent(&press);
                pressPending = false;
            }
        }
    }
    uint32_t now = 0;
    uint32_t pressAt = 0;
    bool pressPending = false;
};

// Notes when a step has taken the press and when the frame showing it is done.
class Probe : public GameState {
public:
    Probe(Application& owner, ScriptedClock& clock, uint32_t drawCost)
        : GameState(owner), clock(clock), drawCost(drawCost)
    {
    }
    bool step() override
    {
        taken = pressed;
        return true;
    }
    void draw(Drawer&) const override
    {
        clock.advance(drawCost);
        if (taken && shownAt == 0)
            shownAt = clock.now;
    }
    void actionPressed(const std::string&, const SDL_keysym&) override { pressed = true; }
    std::string name() const override { return "Probe"; }

    ScriptedClock& clock;
    uint32_t drawCost;
    bool pressed = false;
    bool taken = false;            // by the last step
    mutable uint32_t shownAt = 0;  // noted by the first frame that shows it
};

} // namespace

int main()
{
    const std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("vantorrel-latency-" + std::to_string(getpid()));
    std::filesystem::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    std::unique_ptr<Application> app;
    try {
        app = std::make_unique<Application>(std::vector<std::string>{"-win", "-ns", "-w", "320", "-h", "180"});
    } catch (const FatalError& error) {
        std::printf("the application did not start: %s\n", error.text().c_str());
        return 1;
    }
    ScriptedClock clock;
    app->setClock(&clock);
    std::printf("draw ms  mean latency ms  worst ms  (press at each ms of the step period)\n");
    for (const int cost : drawCosts) {
        uint32_t total = 0;
        uint32_t worst = 0;
        const uint32_t period = FramePacer::framePeriod;
        for (uint32_t offset = 0; offset < period; ++offset) {
            auto owned = std::make_unique<Probe>(*app, clock, static_cast<uint32_t>(cost));
            Probe& probe = *owned;
            app->replaceState(std::move(owned));
            clock.pressAt = clock.now + settleMilliseconds + offset;
            clock.pressPending = true;
            while (probe.shownAt == 0)
                app->runIteration();
            const uint32_t latency = probe.shownAt - clock.pressAt;
            total += latency;
            worst = latency > worst ? latency : worst;
        }
        std::printf("%7d  %15.2f  %8u\n", cost, static_cast<double>(total) / period, worst);
    }
    app.reset();
    std::filesystem::remove_all(config);
    return 0;
}
