#include "app/PlayLoader.h"
#include "base/PngWriter.h"
#include "game/GamePlay.h"

#include "TempFolder.h"

#include <gtest/gtest.h>
#include <future>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A level the pilot can stand in: open cells, just large enough.
std::string openLevelPng()
{
    const int32_t width = static_cast<int32_t>(GamePlay::startX) + 2;
    const int32_t height = static_cast<int32_t>(GamePlay::startY) + 2;
    return pngwriter::encode(width, height, pngwriter::grey, 8,
                             std::vector<uint8_t>(static_cast<std::size_t>(width) * height, LevelGrid::openCell));
}

} // namespace

// A level the reader is still on is not ready, and what it reads arrives
// whole once it is; a reader that throws has that thrown where the level
// is taken, not lost on the thread (which would end the process).
TEST(PlayLoader, HandsOverWhatTheThreadReadOrThrew)
{
    std::promise<void> gate;
    std::shared_future<void> opened = gate.get_future().share();
    PlayLoader loader([opened](const std::atomic<bool>&) {
        opened.wait();
        return PlayLevel(FilePath("/nonexistent/level.png"), {});
    });
    EXPECT_FALSE(loader.waitFor(20ms));
    gate.set_value();
    ASSERT_TRUE(loader.waitFor(60s));
    const PlayLevel level = loader.take();
    EXPECT_EQ(level.level.getWidth(), static_cast<int32_t>(GamePlay::startX) + 2); // the walled-in pocket
    EXPECT_FALSE(level.records.has_value());

    PlayLoader failing([](const std::atomic<bool>&) -> PlayLevel { throw std::runtime_error("disk gone"); });
    EXPECT_THROW(failing.take(), std::runtime_error);
}

// Nobody waiting any more: the reader is told to stop, or quitting would
// hang on it.
TEST(PlayLoader, LeavingAsksTheReaderToStop)
{
    auto loader = std::make_unique<PlayLoader>([](const std::atomic<bool>& stop) {
        while (!stop.load())
            std::this_thread::sleep_for(1ms);
        return PlayLevel(FilePath("/nonexistent/level.png"), {});
    });
    loader.reset(); // never returns, and the test times out, if the flag is not set
}

// A stopped read leaves out the stages after the picture: with them the
// level gets its record and the replay named is read, without them neither.
TEST(PlayLevel, AStoppedReadSkipsTheLaterStages)
{
    TempFolder folder;
    ScopedEnvironment data{"XDG_DATA_HOME", folder.path().c_str()};
    folder.write("level.png", openLevelPng());
    folder.write("route.txt", "---\n--J\n");
    for (const bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "stopped" : "read to the end");
        const std::atomic<bool> stop{stopped};
        const PlayLevel level(FilePath(folder.file("level.png")), folder.file("route.txt"), false, &stop);
        EXPECT_TRUE(level.level.refusal().empty());
        EXPECT_EQ(level.records.has_value(), !stopped);
        EXPECT_EQ(level.replay.has_value(), !stopped);
        EXPECT_EQ(level.climb.topRow() < level.climb.startRow(), !stopped); // the fill ran
    }
}
