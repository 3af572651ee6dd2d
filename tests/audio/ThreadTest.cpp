// Renders on one thread while another edits the grid, registers and removes
// loop listeners and plays booms and effects: run under ThreadSanitizer, and checks that
// a removed listener is never called again.
#include "base/RandomGenerator.h"
#include "audio/AudioSingleton.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

class RecordingListener : public AudioSingleton::Callback {
public:
    explicit RecordingListener(AudioSingleton& engine) : engine(engine) {}
    void onLoopStart() override
    {
        if (removed.load())
            lateCalls.fetch_add(1);
        totalCalls.fetch_add(1);
        engine.toggleStep(2, RandomGenerator::instance().nextInt(16), RandomGenerator::instance().nextInt(8));
        engine.toggleStep(1, 0, 4);
    }
    AudioSingleton& engine;
    std::atomic<bool> removed{false};
    static std::atomic<int> lateCalls;
    static std::atomic<int> totalCalls;
};
std::atomic<int> RecordingListener::lateCalls{0};
std::atomic<int> RecordingListener::totalCalls{0};

// Stays inside onLoopStart until told to leave.
class BlockingListener : public AudioSingleton::Callback {
public:
    void onLoopStart() override
    {
        entered.store(true);
        while (!release.load())
            std::this_thread::yield();
        left.store(true);
    }
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
    std::atomic<bool> left{false};
};

} // namespace

TEST(AudioThread, StressEditsListenersAndBoomsWhileRendering)
{
    auto engine = std::make_unique<AudioSingleton>(FilePath::executableDirectory());
    std::atomic<bool> stop{false};
    std::atomic<long> buffers{0};
    std::thread audio([&] {
        std::vector<float> buffer(2 * 256);
        while (!stop.load()) {
            std::fill(buffer.begin(), buffer.end(), 0.0f);
            engine->render(buffer.data(), 256);
            buffers.fetch_add(1);
        }
    });

    for (int round = 0; round < 300; ++round) {
        auto listener = std::make_unique<RecordingListener>(*engine);
        engine->setLoopListener(listener.get());
        for (int i = 0; i < 20; ++i) {
            engine->toggleStep(i % 8, (round + i) % 16, i % 8);
            RandomGenerator::instance().nextUnit();
        }
        // Step 0 on the next buffer, so the listener is called often.
        engine->restartSequence();
        if (round % 10 == 0)
            engine->playBoom();
        engine->playWallKick(0.01f * static_cast<float>(round % 200));
        engine->playMark();
        // Usually let the restart reach the audio thread; sometimes remove at once.
        const long seen = buffers.load();
        while (round % 3 != 0 && buffers.load() < seen + 2)
            std::this_thread::yield();
        engine->setLoopListener(nullptr);
        listener->removed.store(true);
        if (round % 50 == 0)
            engine->clearSteps();
        // Destroying it right away must be safe: no call is still running.
    }
    stop.store(true);
    audio.join();
    EXPECT_EQ(RecordingListener::lateCalls.load(), 0);
    EXPECT_GE(RecordingListener::totalCalls.load(), 150);
    EXPECT_GT(buffers.load(), 0);
}

TEST(AudioThread, RemovingTheListenerWaitsForARunningCall)
{
    auto engine = std::make_unique<AudioSingleton>(FilePath::executableDirectory());
    BlockingListener listener;
    engine->setLoopListener(&listener);
    engine->restartSequence();
    std::thread audio([&] {
        std::vector<float> buffer(2 * 64);
        engine->render(buffer.data(), 64);
    });
    while (!listener.entered.load())
        std::this_thread::yield();

    std::atomic<bool> removed{false};
    std::thread game([&] {
        engine->setLoopListener(nullptr);
        removed.store(true);
    });
    // However long the call takes, removal may not finish before it.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(removed.load());
    listener.release.store(true);
    game.join();
    audio.join();
    EXPECT_TRUE(removed.load());
    EXPECT_TRUE(listener.left.load());
    EXPECT_EQ(engine->loopListener(), nullptr);
}

TEST(AudioThread, ListenerMayReplaceItselfFromInsideItsCall)
{
    auto engine = std::make_unique<AudioSingleton>(FilePath::executableDirectory());
    class SelfRemoving : public AudioSingleton::Callback {
    public:
        explicit SelfRemoving(AudioSingleton& engine) : engine(engine) {}
        void onLoopStart() override
        {
            ++calls;
            engine.setLoopListener(nullptr);
        }
        AudioSingleton& engine;
        int calls = 0;
    } listener(*engine);
    engine->setLoopListener(&listener);
    engine->restartSequence();
    std::vector<float> buffer(2 * 512);
    engine->render(buffer.data(), 512);
    EXPECT_EQ(listener.calls, 1);
    EXPECT_EQ(engine->loopListener(), nullptr);
}
