// A game frame's own work: the play screen's and the title screen's update
// and drawing calls against a drawer that only notes them, so neither a
// display nor a rasteriser is measured. The main loop allows 15 ms per frame
// for this and the drawing together.
#include "CountingDrawer.h"
#include "app/Application.h"
#include "app/FatalError.h"
#include "game/GamePlay.h"
#include "game/PictureTexture.h"
#include "game/TitleScreen.h"

#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// The screens need an Application as their owner. SDL's dummy video driver
// gives one without any display (it has no OpenGL, so no window opens), with
// the sound off and its settings file in a folder of its own.
struct Owner {
    Owner()
    {
        folder = std::filesystem::temp_directory_path() / ("vantorrel-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        setenv("XDG_DATA_HOME", folder.c_str(), 1); // records of won runs
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        try {
            app = std::make_unique<Application>(std::vector<std::string>{"-win", "-ns", "-w", "1280", "-h", "720"});
        } catch (const FatalError& error) {
            failure = error.text();
        }
    }
    ~Owner()
    {
        app.reset();
        std::filesystem::remove_all(folder);
    }
    std::filesystem::path folder;
    std::unique_ptr<Application> app;
    std::string failure;
};

Owner& owner()
{
    static Owner shared;
    return shared;
}

const SDL_keysym noKey{};

// The pilot runs one way for 3 s, then the other, jumping every 40 frames
// and kicking off whatever wall it meets: on the shipped level it runs along
// the floor, up onto the slabs and against the walls. Should a run ever win,
// a fresh play screen takes over outside the timing.
void playFrame(benchmark::State& state)
{
    Owner& o = owner();
    if (!o.app) {
        state.SkipWithError(("no application: " + o.failure).c_str());
        return;
    }
    CountingDrawer drawer;
    auto play = std::make_unique<GamePlay>(*o.app);
    int frame = 0;
    int calls = 0;
    for (auto _ : state) {
        if (frame % 200 == 0) {
            const bool right = (frame / 200) % 2 == 0;
            play->actionReleased(right ? "P1Left" : "P1Right", noKey);
            play->actionPressed(right ? "P1Right" : "P1Left", noKey);
        }
        if (frame % 40 == 0)
            play->actionPressed("Action", noKey);
        drawer.beginFrame();
        play->frame(drawer);
        calls = drawer.callCount();
        benchmark::DoNotOptimize(drawer.call(0));
        ++frame;
        if (play->isFinished()) {
            state.PauseTiming();
            play = std::make_unique<GamePlay>(*o.app);
            state.ResumeTiming();
        }
    }
    state.counters["drawCalls"] = calls;
    state.counters["pilotX"] = play->getBody().x;
}
BENCHMARK(playFrame);

// The title screen with the whole story up (logo and both lines), as it
// stays until a key starts play.
void titleFrame(benchmark::State& state)
{
    Owner& o = owner();
    if (!o.app) {
        state.SkipWithError(("no application: " + o.failure).c_str());
        return;
    }
    CountingDrawer drawer;
    TitleScreen title(*o.app);
    for (int line = 0; line < TitleStory::lastStoryLine + 1; ++line)
        title.actionPressed("Action", noKey);
    int calls = 0;
    for (auto _ : state) {
        drawer.beginFrame();
        title.frame(drawer);
        calls = drawer.callCount();
        benchmark::DoNotOptimize(drawer.call(0));
    }
    state.counters["drawCalls"] = calls;
}
BENCHMARK(titleFrame);

} // namespace

BENCHMARK_MAIN();
