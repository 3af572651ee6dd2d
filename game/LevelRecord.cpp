#include "game/LevelRecord.h"

#include "base/TextLines.h"
#include "base/TextNumber.h"

namespace {

constexpr std::string_view firstLine = "vantorrel record 1";
constexpr std::string_view bestKey = "best ";
constexpr std::string_view splitKey = "split ";

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// A positive count of steps; the number reader clamps a huge one to the
// int range, which is still a count no run reaches.
std::optional<int64_t> positiveSteps(std::string_view text)
{
    const std::optional<int> value = leadingInteger(text);
    if (!value || *value <= 0)
        return std::nullopt;
    return *value;
}

bool better(int64_t candidate, int64_t kept) { return candidate > 0 && (kept <= 0 || candidate < kept); }

} // namespace

LevelRecord::Splits LevelRecord::noSplits()
{
    Splits none;
    none.fill(-1);
    return none;
}

std::optional<LevelRecord> LevelRecord::parse(std::string_view text)
{
    LevelRecord record;
    TextLines lines(text);
    std::string_view line;
    bool first = true;
    while (lines.next(line)) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            if (line != firstLine)
                return std::nullopt;
            first = false;
        } else if (line.empty()) {
            continue;
        } else if (startsWith(line, bestKey)) {
            const auto steps = positiveSteps(line.substr(bestKey.size()));
            if (!steps)
                return std::nullopt;
            record.bestSteps = *steps;
        } else if (startsWith(line, splitKey)) {
            line.remove_prefix(splitKey.size());
            const std::optional<int> tenth = leadingInteger(line);
            const size_t gap = line.find(' ');
            if (!tenth || *tenth < 1 || *tenth > ClimbSplits::tenths || gap == std::string_view::npos)
                return std::nullopt;
            const auto steps = positiveSteps(line.substr(gap));
            if (!steps)
                return std::nullopt;
            record.splitSteps[static_cast<size_t>(*tenth - 1)] = *steps;
        } else {
            return std::nullopt;
        }
    }
    if (first)
        return std::nullopt;
    return record;
}

std::string LevelRecord::text() const
{
    std::string text = std::string(firstLine) + "\n";
    if (hasBest())
        text += std::string(bestKey) + std::to_string(bestSteps) + "\n";
    for (size_t i = 0; i < splitSteps.size(); ++i)
        if (splitSteps[i] > 0)
            text += std::string(splitKey) + std::to_string(i + 1) + " " + std::to_string(splitSteps[i]) + "\n";
    return text;
}

bool LevelRecord::improveWith(int64_t steps, const Splits& splits)
{
    bool improved = false;
    if (better(steps, bestSteps)) {
        bestSteps = steps;
        improved = true;
    }
    for (size_t i = 0; i < splits.size(); ++i) {
        if (better(splits[i], splitSteps[i])) {
            splitSteps[i] = splits[i];
            improved = true;
        }
    }
    return improved;
}
