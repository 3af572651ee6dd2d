// Cost of one frame of play: the pilot's movement step on the shipped level,
// and drawing every layer of the play screen through the OpenGL drawer (run
// under xvfb-run; Mesa's software renderer, a real GPU is far faster). The
// main loop allows 15 ms per frame for both together.
#include "base/RandomGenerator.h"
#include "data/Pictures.h"
#include "game/Backdrop.h"
#include "game/CloudLayer.h"
#include "game/LevelGrid.h"
#include "game/PictureTexture.h"
#include "game/PilotBody.h"
#include "game/SpeedHud.h"
#include "game/TileSet.h"
#include "game/TrailParticles.h"
#include "game/WarpOverlay.h"
#include "base/FilePath.h"
#include "render/OpenGLDrawer.h"

#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

LevelGrid& playLevel()
{
    static LevelGrid grid = [] {
        LevelGrid loaded;
        loaded.load(FilePath::executableDirectory().join("levels").join("pilot.png"));
        return loaded;
    }();
    return grid;
}

// Running back and forth along the bottom corridor with a jump now and then.
void movementStep(benchmark::State& state)
{
    const LevelGrid& grid = playLevel();
    PilotBody body(60.0f, 984.0f);
    PilotInput input;
    int frame = 0;
    for (auto _ : state) {
        input.left = (frame / 200) % 2 == 0;
        input.right = !input.left;
        if (frame % 50 == 0) {
            body.requestJump();
        }
        body.update(input, grid);
        benchmark::DoNotOptimize(body.x);
        ++frame;
    }
}
BENCHMARK(movementStep);

struct Window {
    Window()
    {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            return;
        }
        drawer = std::make_unique<OpenGLDrawer>(1280, 720);
        open = drawer->initDisplay(1280, 720, false, 0);
        grain = createPictureTexture(*drawer, pictures::grain(), false);
    }
    ~Window()
    {
        drawer.reset();
        SDL_Quit();
    }
    std::unique_ptr<OpenGLDrawer> drawer;
    bool open = false;
    uint32_t grain = 0;
};

Window& window()
{
    static Window shared;
    return shared;
}

// Only the level tiles: 21 × 13 cells, outlines and tiles, at the start.
void tileLayer(benchmark::State& state)
{
    Window& w = window();
    if (!w.open) {
        state.SkipWithError("no display");
        return;
    }
    TileSet tiles;
    const Camera camera{61.5f, 984.5f};
    for (auto _ : state) {
        w.drawer->beginFrame();
        tiles.draw(*w.drawer, playLevel(), camera);
        w.drawer->endFrame();
    }
}
BENCHMARK(tileLayer)->Unit(benchmark::kMillisecond);

// Every layer of a busy frame: sky, grain, clouds, tiles, a full trail, the
// pilot, the speed bar and the warp rings, in the play screen's order.
void wholeFrame(benchmark::State& state)
{
    Window& w = window();
    if (!w.open) {
        state.SkipWithError("no display");
        return;
    }
    RandomGenerator random(1);
    CloudLayer clouds(random);
    TileSet tiles;
    TrailParticles trail;
    for (int i = 0; i < TrailParticles::particleCount; ++i) {
        trail.spawn(50.0f + i % 20, 975.0f + i % 10, random);
        trail.cooldown = 0;
        trail.particles[i].size = 4.0f;
    }
    PilotBody body(57.0f, 960.0f);
    WarpOverlay warp(false);
    const Camera camera{body.x + 1.5f, body.y - 1.5f};
    for (auto _ : state) {
        w.drawer->beginFrame();
        backdrop::draw(*w.drawer, backdrop::playSky, w.grain);
        clouds.draw(*w.drawer, camera);
        tiles.draw(*w.drawer, playLevel(), camera);
        trail.draw(*w.drawer, camera);
        body.draw(*w.drawer);
        speedHud::draw(*w.drawer, 0, 1.2f);
        warp.draw(*w.drawer);
        // The step between frames, as the play screen takes it.
        clouds.step();
        tiles.step();
        trail.step();
        for (auto& particle : trail.particles) {
            particle.size = 4.0f; // keep them all alive
        }
        body.stepLook();
        warp.step();
        if (warp.getProgress() > 1.0f) {
            warp = WarpOverlay(false);
        }
        w.drawer->endFrame();
    }
}
BENCHMARK(wholeFrame)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
