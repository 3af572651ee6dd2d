#include "app/PlayLoader.h"

#include <utility>

PlayLoader::PlayLoader(Reader read)
    : reader([this, read = std::move(read)] {
          std::optional<PlayLevel> level;
          std::exception_ptr thrown;
          try {
              level.emplace(read(stop));
          } catch (...) {
              thrown = std::current_exception();
          }
          const std::lock_guard<std::mutex> held(lock);
          result = std::move(level);
          failure = thrown;
          finished = true;
          done.notify_all();
      })
{
}

PlayLoader::~PlayLoader()
{
    stop.store(true);
    reader.join();
}

bool PlayLoader::waitFor(std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> held(lock);
    return done.wait_for(held, limit, [this] { return finished; });
}

PlayLevel PlayLoader::take()
{
    std::unique_lock<std::mutex> held(lock);
    done.wait(held, [this] { return finished; });
    if (failure)
        std::rethrow_exception(failure);
    return std::move(*result);
}
