#include "game/ReplayFile.h"

#include "base/QuotedBytes.h"
#include "base/RegularFile.h"
#include "base/TextNumber.h"

#include <sstream>
#include <vector>

namespace replayfile {

namespace {

constexpr std::size_t hashDigits = 16; // LevelGrid::contentHash's length
constexpr std::size_t quotedLength = 64; // characters of a bad header shown in a message: a whole one

bool allOf(std::string_view word, std::string_view allowed)
{
    return !word.empty() && word.find_first_not_of(allowed) == std::string_view::npos;
}

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> found;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find(' ', start), line.size());
        found.push_back(line.substr(start, end - start));
        at = end;
    }
    return found;
}

} // namespace

std::string text(const Replay& replay)
{
    std::ostringstream out;
    out << headerWord << ' ' << formatVersion << ' ' << replay.levelHash << ' ' << replay.steps.size() << ' '
        << replay.assists.gameSpeed << ' ' << (replay.assists.kickBuffer ? 1 : 0) << '\n';
    routescript::write(out, replay.steps);
    return out.str();
}

std::optional<Replay> parse(std::string_view text, std::string& error)
{
    Replay replay;
    std::string_view body = text;
    int64_t headerLines = 0;
    std::string_view declaredWord;
    std::optional<int> declaredSteps;
    if (text.substr(0, std::string_view(headerWord).size()) == headerWord) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        body = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        headerLines = 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::vector<std::string_view> parts = words(line);
        const bool versioned = parts.size() >= 2 && parts[0] == headerWord && allOf(parts[1], "0123456789");
        const int version = versioned ? leadingInteger(parts[1]).value_or(0) : formatVersion;
        if (version != formatVersion && version != unassistedVersion) {
            error = "format version " + std::string(parts[1]) + ", this game reads " +
                    std::to_string(unassistedVersion) + " and " + std::to_string(formatVersion);
            return std::nullopt;
        }
        const std::size_t wordCount = version == formatVersion ? 6 : 4;
        bool wellFormed = versioned && parts.size() == wordCount && parts[2].size() == hashDigits &&
                          allOf(parts[2], "0123456789abcdef") && allOf(parts[3], "0123456789");
        if (wellFormed && version == formatVersion) {
            // One spelling each, so a file read back is written the same.
            const std::optional<int> speed = allOf(parts[4], "0123456789") && parts[4][0] != '0'
                                                 ? leadingInteger(parts[4])
                                                 : std::nullopt;
            wellFormed = speed && Assists::offeredSpeed(*speed) && (parts[5] == "0" || parts[5] == "1");
            replay.assists = Assists{speed.value_or(Assists::fullSpeed), parts[5] == "1"};
        }
        if (!wellFormed) {
            error = "line 1: want \"" + std::string(headerWord) + " " + std::to_string(version) + " <level hash> <steps>" +
                    (version == formatVersion ? " <game speed> <kick buffer>" : "") + "\", got " +
                    quotedBytes(line, quotedLength);
            return std::nullopt;
        }
        replay.levelHash = std::string(parts[2]);
        declaredWord = parts[3];
        declaredSteps = leadingInteger(declaredWord);
    }
    std::istringstream in{std::string(body)};
    if (!routescript::read(in, replay.steps, error, headerLines))
        return std::nullopt;
    if (declaredSteps && static_cast<std::size_t>(*declaredSteps) != replay.steps.size()) {
        error = "the header says " + std::string(declaredWord) + " steps, the file has " +
                std::to_string(replay.steps.size());
        return std::nullopt;
    }
    if (replay.steps.empty()) {
        error = "no steps";
        return std::nullopt;
    }
    return replay;
}

std::optional<Replay> load(const std::string& path, std::string& error)
{
    const platform::FileBytes file = platform::readRegularFile(path, largestFile);
    if (!file.ok()) {
        error = file.reason();
        return std::nullopt;
    }
    return parse(file.bytes, error);
}

} // namespace replayfile
