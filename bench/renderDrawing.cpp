// Cost of the drawer's busiest paths: a frame of play's worth of sprites,
// glyph text and soft lines (run under xvfb-run; the figures are for Mesa's
// software renderer, a real GPU is far faster), decoding the largest embedded
// picture, and the PNG chunk walk that guards level files.
#include "data/Pictures.h"
#include "base/ImageLoader.h"
#include "base/PngChunkCheck.h"
#include "render/OpenGLDrawer.h"

#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int spritesPerFrame = 300; // tiles, clouds, trail stars and the pilot of a busy frame
constexpr int linesPerFrame = 40;

struct Window {
    Window()
    {
        if (SDL_Init(SDL_INIT_VIDEO) != 0)
            return;
        drawer = std::make_unique<OpenGLDrawer>(1280, 720);
        open = drawer->initDisplay(1280, 720, false, 0);
        auto* pixels = new uint8_t[32 * 32 * 4];
        std::fill(pixels, pixels + 32 * 32 * 4, uint8_t{200});
        sprite = drawer->createTexture(pixels, 32, 32);
    }
    ~Window()
    {
        drawer.reset();
        SDL_Quit();
    }
    std::unique_ptr<OpenGLDrawer> drawer;
    bool open = false;
    uint32_t sprite = 0;
};

Window& window()
{
    static Window shared;
    return shared;
}

void busyFrame(benchmark::State& state)
{
    Window& w = window();
    if (!w.open) {
        state.SkipWithError("no OpenGL window (run under xvfb-run)");
        return;
    }
    OpenGLDrawer& drawer = *w.drawer;
    for (auto _ : state) {
        drawer.beginFrame();
        drawer.fillGradientRect(0, 0, 1280, 720, 40, 60, 120, 255, 10, 10, 30, 255);
        for (int i = 0; i < spritesPerFrame; ++i)
            drawer.drawTexture(w.sprite, static_cast<float>((i * 37) % 1248), static_cast<float>((i * 53) % 688), 2, 2,
                               1, 1, 1, 1);
        for (int i = 0; i < linesPerFrame; ++i)
            drawer.drawLine(static_cast<float>(i * 30), 100, static_cast<float>(i * 30 + 200), 600, 1, 1, 1, 0.5f);
        drawer.drawText("SPEED: 88MPH", 0, 20, 20, 1000, 1, 1, 1, 1, 1);
        drawer.endFrame();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(busyFrame)->Unit(benchmark::kMillisecond);

void decodeGrain(benchmark::State& state)
{
    const EmbeddedBytes grain = pictures::grain();
    ImageLoader loader;
    for (auto _ : state) {
        RgbaImage image = loader.loadFromMemory(grain.data, static_cast<int32_t>(grain.length));
        benchmark::DoNotOptimize(image.pixels);
        delete[] image.pixels;
    }
}
BENCHMARK(decodeGrain)->Unit(benchmark::kMillisecond);

void chunkWalkOfTitleLogo(benchmark::State& state)
{
    const EmbeddedBytes logo = pictures::titleLogo();
    for (auto _ : state)
        benchmark::DoNotOptimize(pngcheck::isSafeToDecode(logo.data, logo.length));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * logo.length));
}
BENCHMARK(chunkWalkOfTitleLogo);

} // namespace

BENCHMARK_MAIN();
