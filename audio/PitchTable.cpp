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

} // namespace

void PitchTable::loadRandomFile(const FilePath& folder)
{
    // Only pitch files take part in the draw: a README or a backup drawn
    // instead would leave every pitch at 0 Hz and the melody silent.
    std::vector<std::string> candidates;
    if (const auto names = platform::listDirectory(folder.text())) {
        for (const std::string& name : *names) {
            const size_t dot = name.find_last_of('.');
            if (dot != std::string::npos && dot > 0 && name.compare(dot + 1, std::string::npos, pitchExtension) == 0
                && !platform::examine(folder.join(name).text()).directory)
                candidates.push_back(name);
        }
    }
    // In name order, so that one seed draws the same file on every machine.
    std::sort(candidates.begin(), candidates.end());
    // One draw whatever the folder holds, so the numbers after it do not
    // depend on its contents.
    const int drawn = RandomGenerator::instance().nextInt(static_cast<int>(candidates.size()));
    if (candidates.empty()) {
        std::cout << "PitchTable: No pitch file (." << pitchExtension << ") in " << folder.text() << std::endl;
        return;
    }
    loadFile(folder.join(candidates[static_cast<size_t>(drawn)]).text());
}

bool PitchTable::loadFile(const std::string& path)
{
    // Read whole and bounded: a FIFO or a device drawn from the folder must
    // not stop the game before its first frame.
    const platform::FileBytes file = platform::readRegularFile(path, largestPitchFile);
    if (!file.ok()) {
        std::cout << "PitchTable: Could not read pitch file " << path << ": " << file.reason() << std::endl;
        return false;
    }
    // Every line feed starts a further line, so a final line end is followed
    // by an empty line, which repeats the last number.
    TextLines lines(file.bytes);
    float previous = 0.0f;
    int stored = 0;
    bool more = true;
    while (more && stored < size) {
        std::string_view line;
        lines.next(line);
        more = lines.lineFeedAfter();
        // Only the first 255 characters of a line are looked at.
        if (line.size() > longestLine)
            line = line.substr(0, longestLine);
        if (const std::optional<float> value = leadingFloat(line))
            previous = *value;
        pitches[stored++] = previous * 0.5f;
    }
    return true;
}
