#include "game/LevelRecord.h"

#include "base/QuotedBytes.h"
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

std::optional<LevelRecord> LevelRecord::parse(std::string_view text, std::string* why)
{
    LevelRecord record;
    TextLines lines(text);
    std::string_view line;
    int number = 0;
    const auto refuse = [&]() -> std::optional<LevelRecord> {
        if (why != nullptr)
            *why = number == 0 ? "no lines" : "line " + std::to_string(number) + ": " + quotedBytes(line);
        return std::nullopt;
    };
    while (lines.next(line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (number == 1) {
            if (line != firstLine)
                return refuse();
        } else if (line.empty()) {
            continue;
        } else if (startsWith(line, bestKey)) {
            const auto steps = positiveSteps(line.substr(bestKey.size()));
            if (!steps)
                return refuse();
            record.bestSteps = *steps;
        } else if (startsWith(line, splitKey)) {
            const std::string_view rest = line.substr(splitKey.size());
            const std::optional<int> tenth = leadingInteger(rest);
            const size_t gap = rest.find(' ');
            if (!tenth || *tenth < 1 || *tenth > ClimbSplits::tenths || gap == std::string_view::npos)
                return refuse();
            const auto steps = positiveSteps(rest.substr(gap));
            if (!steps)
                return refuse();
            record.splitSteps[static_cast<size_t>(*tenth - 1)] = *steps;
        } else {
            return refuse();
        }
    }
    if (number == 0)
        return refuse();
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
