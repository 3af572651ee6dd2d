#include "audio/PitchTable.h"

#include "app/RandomGenerator.h"
#include "app/RegularFile.h"
#include "app/TextLines.h"
#include "app/TextNumber.h"

#include <iostream>

namespace {

constexpr const char* pitchExtension = "txt";  // compared case-sensitively
constexpr size_t largestPitchFile = 64 * 1024; // bytes; eight numbers need a few dozen

} // namespace

void PitchTable::loadRandomFile(const FilePath& folder)
{
    const int count = folder.entryCount();
    const int drawn = RandomGenerator::instance().nextInt(count);
    const FilePath path = folder.entry(drawn);
    if (!path.exists() || path.extension() != pitchExtension)
        return;
    loadFile(path.text());
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
