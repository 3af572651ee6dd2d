#include "audio/PolyphonicSynth.h"

#include "app/TextNumber.h"
#include "audio/VoiceLanes.h"

#include <fstream>
#include <iostream>

namespace {

constexpr const char* mismatchMessage =
    "PolyphonicSynth: Number of parameters in file does not match synth's number of parameters.";

// Reads one line without its line feed and without a carriage return before it.
bool readLine(std::istream& in, std::string& line)
{
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

} // namespace

bool PolyphonicSynth::loadParameters(const std::string& path)
{
    std::ifstream in(path);
    if (!in) {
        std::cout << "PolyphonicSynth: Could not open patch file " << path << std::endl;
        return false;
    }
    std::string line;
    for (int number = 1; number < countLine; ++number) {
        if (!readLine(in, line)) {
            std::cout << "PolyphonicSynth: Patch file too short: " << path << std::endl;
            return false;
        }
    }
    // The count sits from column 26 up to the line's last character.
    if (!readLine(in, line) || line.size() < static_cast<size_t>(countColumn) + 1) {
        std::cout << "PolyphonicSynth: Patch file too short: " << path << std::endl;
        return false;
    }
    const std::string countText = line.substr(countColumn, line.size() - countColumn - 1);
    const std::optional<int> count = leadingInteger(countText);
    if (!count || *count != voices[0].parameterCount()) {
        std::cout << mismatchMessage << std::endl;
        return false;
    }
    for (int number = countLine + 1; number < firstValueLine; ++number) {
        if (!readLine(in, line)) {
            std::cout << "PolyphonicSynth: Patch file too short: " << path << std::endl;
            return false;
        }
    }

    // Collect first, apply after the closing "}" so a cut-off file changes
    // nothing.
    float values[SimpleSynth::parameterTotal] = {};
    bool present[SimpleSynth::parameterTotal] = {};
    bool havePrevious = false;
    float previous = 0.0f;
    int index = 0;
    bool closed = false;
    while (readLine(in, line)) {
        if (!line.empty() && line[0] == '}') {
            closed = true;
            break;
        }
        // The last two characters (an "f," after each number) are not part of it.
        const std::string_view text =
            line.size() < 2 ? std::string_view(line) : std::string_view(line).substr(0, line.size() - 2);
        if (const std::optional<float> value = leadingFloat(text)) {
            previous = *value;
            havePrevious = true;
        }
        if (havePrevious && index < SimpleSynth::parameterTotal) {
            values[index] = previous;
            present[index] = true;
        }
        ++index;
    }
    if (!closed) {
        std::cout << "PolyphonicSynth: Patch file has no closing \"}\" line: " << path << std::endl;
        return false;
    }
    for (int i = 0; i < SimpleSynth::parameterTotal; ++i) {
        if (!present[i])
            continue;
        const std::string name = voices[0].parameterName(i);
        for (SimpleSynth& voice : voices)
            voice.setParameter(name, values[i], true);
    }
    return true;
}

bool PolyphonicSynth::startNote(float frequency, int frameOffset)
{
    for (SimpleSynth& voice : voices)
        if (!voice.isActive())
            return voice.noteOn(frequency, frameOffset);
    return false;
}

int PolyphonicSynth::activeCount() const
{
    int count = 0;
    for (const SimpleSynth& voice : voices)
        count += voice.isActive() ? 1 : 0;
    return count;
}

void PolyphonicSynth::render(StereoFrame* out, int frames)
{
    SimpleSynth* sounding[voiceCount];
    int count = 0;
    for (SimpleSynth& voice : voices)
        if (voice.isActive())
            sounding[count++] = &voice;
    if (count > 0)
        VoiceLanes::render(sounding, count, out, frames);
}
