// render runs in the real-time callback: it must never reach the heap. This
// program replaces the global allocation functions with counting ones.
#include "base/RandomGenerator.h"
#include "audio/AudioSingleton.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace {

std::atomic<long> allocations{0};

void* allocate(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

class MelodyListener : public AudioSingleton::Callback {
public:
    explicit MelodyListener(AudioSingleton& engine) : engine(engine) {}
    void onLoopStart() override
    {
        for (int step : {0, 1, 2, 4, 7, 10, 12, 13, 14})
            engine.toggleStep(2, step, RandomGenerator::instance().nextInt(8));
        engine.toggleStep(1, 0, 4);
    }
    AudioSingleton& engine;
};

} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

TEST(AudioAllocation, RenderNeverAllocates)
{
    auto engine = std::make_unique<AudioSingleton>(FilePath::executableDirectory());
    MelodyListener listener(*engine);
    engine->setLoopListener(&listener);
    for (int step = 0; step < 16; ++step) {
        engine->toggleStep(0, step, 7);
        for (int track = 3; track < 8; ++track)
            engine->toggleStep(track, step, step);
    }
    engine->restartSequence();
    engine->playBoom();
    std::vector<float> buffer(2 * 4096);

    const long before = allocations.load();
    for (int i = 0; i < 200; ++i) {
        const int frames = 64 + (i * 97) % 4000;
        engine->render(buffer.data(), frames);
        engine->playWallKick(0.5f + 0.01f * static_cast<float>(i % 100));
        engine->playLanding(i % 3 == 0 ? 1.0f : 0.0f);
        if (i % 50 == 0) {
            engine->playMark();
            engine->playBoom();
            engine->restartSequence();
        }
    }
    const long during = allocations.load() - before;
    engine->setLoopListener(nullptr);
    EXPECT_EQ(during, 0);
    EXPECT_GT(engine->activeVoices(0) + engine->activeVoices(4), 0);
}

TEST(AudioAllocation, CounterSeesAllocations)
{
    const long before = allocations.load();
    auto probe = std::make_unique<int>(3);
    EXPECT_EQ(allocations.load() - before, 1);
}
