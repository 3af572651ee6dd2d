#include "audio/BoundedWait.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

bool finishesWithin(int milliseconds, std::function<void()> work)
{
    struct Done {
        std::mutex lock;
        std::condition_variable changed;
        bool done = false;
    };
    auto shared = std::make_shared<Done>();
    std::thread worker([shared, work = std::move(work)] {
        work();
        const std::lock_guard<std::mutex> hold(shared->lock);
        shared->done = true;
        shared->changed.notify_all();
    });
    bool finished;
    {
        std::unique_lock<std::mutex> hold(shared->lock);
        finished = shared->changed.wait_for(hold, std::chrono::milliseconds(milliseconds), [&] { return shared->done; });
    }
    if (finished)
        worker.join();
    else
        worker.detach();
    return finished;
}
