#include "game/RunClock.h"

#include "base/FramePacer.h"

#include <cstdio>

namespace {

constexpr int64_t millisecondsPerSecond = 1000;
constexpr int64_t millisecondsPerHundredth = 10;
constexpr int64_t secondsPerMinute = 60;

} // namespace

int64_t RunClock::millisecondsFor(int64_t steps) { return steps * static_cast<int64_t>(FramePacer::framePeriod); }

std::string RunClock::format(int64_t milliseconds)
{
    if (milliseconds < 0) {
        milliseconds = 0;
    }
    const int64_t totalSeconds = milliseconds / millisecondsPerSecond;
    const int64_t hundredths = (milliseconds % millisecondsPerSecond) / millisecondsPerHundredth;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%02lld", static_cast<long long>(totalSeconds / secondsPerMinute),
                  static_cast<long long>(totalSeconds % secondsPerMinute), static_cast<long long>(hundredths));
    return text;
}
