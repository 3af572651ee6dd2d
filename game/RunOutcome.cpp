#include "game/RunOutcome.h"

#include "game/RunClock.h"

namespace {

std::string signedDifference(int64_t milliseconds)
{
    std::string text(1, milliseconds < 0 ? '-' : '+');
    text += RunClock::format(milliseconds < 0 ? -milliseconds : milliseconds);
    return text;
}

} // namespace

std::vector<std::string> RunOutcome::endingLines() const
{
    if (milliseconds < 0)
        return {};
    std::vector<std::string> lines{"Run time " + RunClock::format(milliseconds) + (assisted ? " (assisted)" : "")};
    const int64_t difference = milliseconds - previousBestMilliseconds;
    if (newBest && previousBestMilliseconds < 0)
        lines.push_back("New best!");
    else if (newBest)
        lines.push_back("New best! (" + signedDifference(difference) + ")");
    else if (previousBestMilliseconds >= 0)
        lines.push_back("Best " + RunClock::format(previousBestMilliseconds) + " (" + signedDifference(difference) +
                        ")");
    return lines;
}
