#include "app/TerminationSignals.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler may only touch lock-free atomics");

extern "C" void onTerminationSignal(int signalNumber)
{
    if (requested.exchange(true)) {
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
    }
}

} // namespace

namespace platform {

void catchTerminationSignals()
{
    std::signal(SIGTERM, onTerminationSignal);
    std::signal(SIGINT, onTerminationSignal);
    std::signal(SIGPIPE, SIG_IGN);
}

bool terminationRequested()
{
    return requested.load();
}

} // namespace platform
