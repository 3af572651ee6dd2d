#pragma once
#include "game/PlayLevel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Reads a play screen's level on a thread of its own, so that the main
// thread can keep the window drawn and answering (Escape, the window's close
// button) while a large picture is decoded and its climb measured.
class PlayLoader {
public:
    // Runs on the reading thread; `stop` is set when nobody wants the level
    // any more.
    using Reader = std::function<PlayLevel(const std::atomic<bool>& stop)>;

    explicit PlayLoader(Reader read);
    // Asks the read to stop and waits for it, which may take the rest of the
    // stage it is in (a picture's decoding, the climb's fill). Whoever cannot
    // wait that long asks `waitFor(0)` first.
    ~PlayLoader();

    PlayLoader(const PlayLoader&) = delete;
    PlayLoader& operator=(const PlayLoader&) = delete;

    // Waits at most `limit` for the read to end; true once it has.
    bool waitFor(std::chrono::milliseconds limit);
    // The level read, once waitFor has said so; what the read threw, if it
    // threw, is thrown here.
    PlayLevel take();

private:
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::condition_variable done;
    std::optional<PlayLevel> result;
    std::exception_ptr failure;
    bool finished = false;
    std::thread reader; // last: it starts once the members above exist
};
