// Drawn frames a second and CPU milliseconds per frame of the real game: an
// Application with the OpenGL drawer in a window of the size asked for, its
// real screens (title with the whole story up, play with the pilot running
// and jumping, the epilogue with both lines up), and, in the same run, two
// yardsticks: a bare frame (clear and swap only) and a frame that draws one
// full-screen textured, blended layer. The clock given to the main loop makes
// every iteration exactly one step, so the frame rate is the drawing's own.
// Needs an X display (bench/frame-rates.sh runs it under Xvfb at both sizes).
//
//     bench_frameRate [--seconds S | --frames N] [--shots FOLDER] [--only CASE] -- GAME ARGUMENTS
//
// The CPU time is the whole process's (the software rasteriser's threads
// included), not the X server's. With --shots, each case's last frame is
// written to FOLDER/CASE.ppm; the random sequence starts from a fixed point,
// so two builds measured with the same --frames can be compared picture by
// picture.
#include "app/Application.h"
#include "app/FatalError.h"
#include "game/GameState.h"
#include "base/RandomGenerator.h"
#include "data/Pictures.h"
#include "game/PictureTexture.h"
#include "render/Drawer.h"
#include "render/OpenGLDrawer.h"

#include "KeyEvent.h"

#include <SDL/SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr double defaultSeconds = 4.0;    // measured time per case, seconds
constexpr int warmUpSteps = 60;           // frames drawn before measuring
constexpr int epilogueWarmUpSteps = 310;  // until both ending lines are up
constexpr int32_t randomStart = 20261207; // fixed start of the random sequence
constexpr int jumpEverySteps = 40;        // the pilot's jump presses in play
constexpr int turnEverySteps = 200;       // and its turns
constexpr int storyPresses = 6;           // presses that bring the whole story up
constexpr float layerScale = 1.25f;       // the 1024-pixel picture covers 1280 x 1280
constexpr float layerAlpha = 0.5f;

// Every reading is one step later: one step per iteration, never a wait.
class StepClock : public LoopClock {
public:
    uint32_t ticks() override { return now += 15; }
    void delay(uint32_t) override {}

private:
    uint32_t now = 0;
};

// Draws nothing: the frame is the main loop's clear and swap.
class BareFrame : public GameState {
public:
    using GameState::GameState;
    bool step() override { return true; }
    void draw(Drawer&) const override {}
    std::string name() const override { return "BareFrame"; }
};

// One full-screen textured quad with alpha blending.
class OneLayer : public GameState {
public:
    using GameState::GameState;
    bool step() override { return true; }
    void draw(Drawer& drawer) const override
    {
        if (texture == 0)
            texture = createPictureTexture(drawer, pictures::grain(), false);
        drawer.drawTexture(texture, 0.0f, 0.0f, layerScale, layerScale, 1.0f, 1.0f, 1.0f, layerAlpha);
    }
    std::string name() const override { return "OneLayer"; }

private:
    mutable uint32_t texture = 0; // made on the first draw, like the screens' textures
};

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void writeShot(Application& app, const std::string& path)
{
    SDL_Surface* surface = SDL_GetVideoSurface();
    if (surface == nullptr)
        return;
    const int width = surface->w;
    const int height = surface->h;
    uint8_t* pixels = app.getDrawer()->grabScreen();
    if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fprintf(out, "P6\n%d %d\n255\n", width, height);
        for (int row = height - 1; row >= 0; --row) // the drawer gives rows from the bottom
            std::fwrite(pixels + static_cast<std::size_t>(row) * width * 3, 1, static_cast<std::size_t>(width) * 3,
                        out);
        std::fclose(out);
    }
    delete[] pixels;
}

struct Case {
    std::string name;
    std::function<void(Application&)> enter;       // puts the screen up
    std::function<void(Application&, int)> before; // input before step n
    int warmUp;
};

void pressAndRelease(Application& app, SDLKey key)
{
    app.dispatchEvent(keyEvent(SDL_KEYDOWN, key));
    app.dispatchEvent(keyEvent(SDL_KEYUP, key));
}

// Running right, then left, turning every few seconds, with a jump now and then.
void playInput(Application& app, int step)
{
    if (step % turnEverySteps == 0) {
        const bool right = (step / turnEverySteps) % 2 == 0;
        app.dispatchEvent(keyEvent(SDL_KEYUP, right ? SDLK_LEFT : SDLK_RIGHT));
        app.dispatchEvent(keyEvent(SDL_KEYDOWN, right ? SDLK_RIGHT : SDLK_LEFT));
    }
    if (step % jumpEverySteps == jumpEverySteps / 2)
        pressAndRelease(app, SDLK_SPACE);
}

} // namespace

int main(int argc, char* argv[])
{
    double seconds = defaultSeconds;
    int frameCount = 0; // 0: measure for `seconds` instead
    std::string shots;
    std::string only; // one case's first word, or all cases
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--seconds" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (word == "--frames" && i + 1 < argc) {
            frameCount = std::atoi(argv[++i]);
        } else if (word == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (word == "--shots" && i + 1 < argc) {
            shots = argv[++i];
        } else if (word == "--") {
            arguments.assign(argv + i + 1, argv + argc);
            break;
        } else {
            std::fprintf(stderr, "usage: %s [--seconds S | --frames N] [--shots FOLDER] [--only CASE] -- GAME ARGUMENTS\n", argv[0]);
            return 2;
        }
    }

    // A configuration folder of its own, so the user's settings stay untouched.
    const std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("vantorrel-frames-" + std::to_string(getpid()));
    std::filesystem::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_HOME", config.c_str(), 1); // records of won runs

    int status = 0;
    try {
        Application app(arguments);
        if (!app.hasDisplay()) {
            std::fprintf(stderr, "no display: run under Xvfb\n");
            std::filesystem::remove_all(config);
            return 1;
        }
        StepClock clock;
        app.setClock(&clock);
        app.loadGlyphs();

        const std::vector<Case> cases = {
            {"bare clear+swap", [](Application& a) { a.replaceState(std::make_unique<BareFrame>(a)); }, nullptr,
             warmUpSteps},
            {"one layer", [](Application& a) { a.replaceState(std::make_unique<OneLayer>(a)); }, nullptr,
             warmUpSteps},
            {"title",
             [](Application& a) {
                 a.switchState("TitleScreen");
                 for (int press = 0; press < storyPresses; ++press)
                     pressAndRelease(a, SDLK_RETURN);
             },
             nullptr, warmUpSteps},
            {"play", [](Application& a) { a.switchState("GamePlay"); }, playInput, warmUpSteps},
            {"epilogue", [](Application& a) { a.switchState("Epilogue"); }, nullptr, epilogueWarmUpSteps},
        };

        SDL_Surface* surface = SDL_GetVideoSurface();
        std::printf("window %dx%d, %.1f s a case\n", surface != nullptr ? surface->w : 0,
                    surface != nullptr ? surface->h : 0, seconds);
        std::printf("%-16s %10s %14s %8s\n", "case", "frames/s", "CPU ms/frame", "frames");
        for (const Case& current : cases) {
            const std::string file = current.name.substr(0, current.name.find(' '));
            if (!only.empty() && only != file)
                continue;
            RandomGenerator::instance().setCounter(randomStart);
            current.enter(app);
            int step = 0;
            for (; step < current.warmUp; ++step) {
                if (current.before)
                    current.before(app, step);
                app.runIteration();
            }
            const auto wallStart = std::chrono::steady_clock::now();
            const double cpuStart = processCpuSeconds();
            int frames = 0;
            double wall = 0.0;
            while (frameCount > 0 ? frames < frameCount : wall < seconds) {
                if (current.before)
                    current.before(app, step);
                app.runIteration();
                ++step;
                ++frames;
                wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
            }
            const double cpu = processCpuSeconds() - cpuStart;
            std::printf("%-16s %10.1f %14.2f %8d\n", current.name.c_str(), frames / wall, cpu * 1000.0 / frames,
                        frames);
            std::fflush(stdout);
            if (!shots.empty()) {
                writeShot(app, shots + "/" + file + ".ppm");
                // A grab starts copies of every frame; the game never grabs.
                if (auto* openGL = dynamic_cast<OpenGLDrawer*>(app.getDrawer()))
                    openGL->keepShownFrameCopies(false);
            }
        }
        app.setClock(nullptr);
    } catch (const FatalError& error) {
        std::fprintf(stderr, "the application did not start: %s\n", error.text().c_str());
        status = 1;
    }
    std::filesystem::remove_all(config);
    return status;
}
