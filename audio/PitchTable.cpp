#include "audio/PitchTable.h"

#include "app/RandomGenerator.h"
#include "app/TextNumber.h"

#include <fstream>

namespace {

constexpr const char* pitchExtension = "txt";  // compared case-sensitively

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
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    // Every line feed starts a further line, so a final line end is followed
    // by an empty line, which repeats the last number.
    float previous = 0.0f;
    int stored = 0;
    std::string line;
    bool more = true;
    while (more && stored < size) {
        line.clear();
        // Only the first 255 characters of a line are kept; the rest is
        // skipped up to the line feed.
        int c;
        while ((c = in.get()) != std::char_traits<char>::eof() && c != '\n') {
            if (line.size() < longestLine)
                line.push_back(static_cast<char>(c));
        }
        more = (c == '\n');
        if (const std::optional<float> value = leadingFloat(line))
            previous = *value;
        pitches[stored++] = previous * 0.5f;
    }
    return true;
}
