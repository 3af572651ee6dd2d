// The readers of what a run leaves behind: replay files (and levelcheck
// routes, which are replays without a header) and per-level record files.
// The input is a file's text, given to both. Whatever one of them accepts
// must come back unchanged through the writer, since the game reads back
// every file it writes.
#include "FuzzSupport.h"

#include "game/LevelRecord.h"
#include "game/ReplayFile.h"

#include <sstream>
#include <string_view>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::quietStandardOutput();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::string error;
    if (const std::optional<Replay> replay = replayfile::parse(text, error)) {
        fuzzsupport::require(!replay->steps.empty(), "a replay without steps");
        // Every step is a line of at least three characters.
        fuzzsupport::require(replay->steps.size() <= size / 3 + 1, "more steps than lines");
        if (replay->levelHash.empty()) {
            std::ostringstream written;
            routescript::write(written, replay->steps);
            std::istringstream back(written.str());
            Route again;
            std::string backError;
            fuzzsupport::require(routescript::read(back, again, backError), "a written route is refused");
            fuzzsupport::require(again == replay->steps, "a route changes when written and read back");
        } else {
            std::string backError;
            const std::optional<Replay> again = replayfile::parse(replayfile::text(*replay), backError);
            fuzzsupport::require(again.has_value(), "a written replay is refused");
            fuzzsupport::require(again->levelHash == replay->levelHash && again->steps == replay->steps &&
                                     again->assists == replay->assists,
                                 "a replay changes when written and read back");
        }
    } else {
        fuzzsupport::require(!error.empty(), "a replay refused without a reason");
    }

    if (const std::optional<LevelRecord> record = LevelRecord::parse(text)) {
        const std::optional<LevelRecord> again = LevelRecord::parse(record->text());
        fuzzsupport::require(again.has_value(), "a written record is refused");
        fuzzsupport::require(again->bestSteps == record->bestSteps && again->splitSteps == record->splitSteps,
                             "a record changes when written and read back");
    }
    return 0;
}
