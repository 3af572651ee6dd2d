#include "audio/PitchTable.h"

#include "base/Platform.h"
#include "base/RandomGenerator.h"
#include "base/RegularFile.h"
#include "base/TextLines.h"
#include "base/TextNumber.h"

#include <algorithm>
#include <iostream>
#include <vector>

namespace {

constexpr const char* pitchExtension = "txt";  // compared case-sensitively
constexpr size_t largestPitchFile = 64 * 1024; // bytes; eight numbers need a few dozen

// A pitch file's contents: unread when it could not be read (its line then
// printed), the table it gives otherwise.
struct PitchFile {
    bool read = false;
    float pitches[PitchTable::size] = {};

    bool holdsPitches() const
    {
        return std::any_of(std::begin(pitches), std::end(pitches), [](float pitch) { return pitch > 0.0f; });
    }
};

PitchFile readPitchFile(const std::string& path)
{
    PitchFile result;
    // Read whole and bounded: a FIFO or a device drawn from the folder must
    // not stop the game before its first frame.
    const platform::FileBytes file = platform::readRegularFile(path, largestPitchFile);
    if (!file.ok()) {
        std::cout << "PitchTable: Could not read pitch file " << path << ": " << file.reason() << std::endl;
        return result;
    }
    result.read = true;
    // Every line feed starts a further line, so a final line end is followed
    // by an empty line, which repeats the last number.
    TextLines lines(file.bytes);
    float previous = 0.0f;
    int stored = 0;
    bool more = true;
    while (more && stored < PitchTable::size) {
        std::string_view line;
        lines.next(line);
        more = lines.lineFeedAfter();
        // Only the first 255 characters of a line are looked at.
        if (line.size() > PitchTable::longestLine)
            line = line.substr(0, PitchTable::longestLine);
        if (const std::optional<float> value = leadingFloat(line))
            previous = *value;
        result.pitches[stored++] = previous * 0.5f;
    }
    if (!result.holdsPitches())
        std::cout << "PitchTable: No pitch in " << path << std::endl;
    return result;
}

} // namespace

void PitchTable::loadRandomFile(const FilePath& folder)
{
    std::vector<std::string> names;
    if (const auto listed = platform::listDirectory(folder.text())) {
        for (const std::string& name : *listed) {
            const size_t dot = name.find_last_of('.');
            if (dot != std::string::npos && dot > 0 && name.compare(dot + 1, std::string::npos, pitchExtension) == 0
                && !platform::examine(folder.join(name).text()).directory)
                names.push_back(name);
        }
    }
    // In name order, so that one seed draws the same file on every machine.
    std::sort(names.begin(), names.end());
    // Only files that hold pitches take part in the draw: a README, a
    // backup or a FIFO drawn instead would leave every pitch at 0 Hz and the
    // music silent. Each of the others has said why, in one line.
    std::vector<PitchFile> candidates;
    for (const std::string& name : names)
        if (PitchFile file = readPitchFile(folder.join(name).text()); file.read && file.holdsPitches())
            candidates.push_back(file);
    // One draw whatever the folder holds, so the numbers after it do not
    // depend on its contents.
    const int drawn = RandomGenerator::instance().nextInt(static_cast<int>(candidates.size()));
    if (names.empty()) {
        std::cout << "PitchTable: No pitch file (." << pitchExtension << ") in " << folder.text() << std::endl;
        return;
    }
    if (!candidates.empty())
        std::copy(std::begin(candidates[static_cast<size_t>(drawn)].pitches),
                  std::end(candidates[static_cast<size_t>(drawn)].pitches), pitches);
}

bool PitchTable::loadFile(const std::string& path)
{
    const PitchFile file = readPitchFile(path);
    if (!file.read)
        return false;
    std::copy(std::begin(file.pitches), std::end(file.pitches), pitches);
    return true;
}
