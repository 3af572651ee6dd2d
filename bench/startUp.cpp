// Time from start to the first frame on the screen, in the process: the
// Application's whole start (settings, SDL, the window and OpenGL, the title
// screen, the audio engine and stream), the glyphs, then the first frame
// drawn and swapped. Needs an X display (run under Xvfb); Mesa's software
// renderer there loads its driver again for every window, as a fresh start
// does. The dynamic loader's share of a real start is not in it.
#include "app/Application.h"
#include "app/FatalError.h"
#include "game/PictureTexture.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct ConfigFolder {
    ConfigFolder()
    {
        path = std::filesystem::temp_directory_path() / ("vantorrel-start-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        setenv("XDG_CONFIG_HOME", path.c_str(), 1);
    }
    ~ConfigFolder() { std::filesystem::remove_all(path); }
    std::filesystem::path path;
};

void startToFirstFrame(benchmark::State& state, std::vector<std::string> arguments)
{
    static ConfigFolder config;
    for (auto _ : state) {
        // Every start has a new drawer: the screens make their textures anew.
        ProcessTexture::forgetAll();
        std::unique_ptr<Application> app;
        try {
            app = std::make_unique<Application>(arguments);
        } catch (const FatalError& error) {
            state.SkipWithError(("the application did not start: " + error.text()).c_str());
            return;
        }
        if (!app->hasDisplay()) {
            state.SkipWithError("no display: run under Xvfb");
            return;
        }
        app->loadGlyphs();
        app->runIteration();
        state.PauseTiming();
        app.reset();
        state.ResumeTiming();
    }
}

// The first start of the process also builds the audio engine (patch files,
// pitch file, wave tables), which later starts find ready; registered first
// so that it runs first.
BENCHMARK_CAPTURE(startToFirstFrame, firstInProcess, std::vector<std::string>{"-win", "-w", "1280", "-h", "720"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(startToFirstFrame, window, std::vector<std::string>{"-win", "-w", "1280", "-h", "720"})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(startToFirstFrame, windowNoSound, std::vector<std::string>{"-win", "-ns", "-w", "1280", "-h", "720"})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(startToFirstFrame, fullScreen1920, std::vector<std::string>{"-w", "1920", "-h", "1080"})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
