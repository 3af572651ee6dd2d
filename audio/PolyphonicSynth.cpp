#include "audio/PolyphonicSynth.h"

#include "base/RegularFile.h"
#include "base/TextLines.h"
#include "base/TextNumber.h"
#include "audio/VoiceLanes.h"

#include <iostream>

namespace {

constexpr size_t largestPatchFile = 64 * 1024; // bytes; the shipped ones hold about 1.5 KiB

constexpr const char* mismatchMessage =
    "PolyphonicSynth: Number of parameters in file does not match synth's number of parameters.";

// The next line without its line feed and without a carriage return before it.
bool readLine(TextLines& lines, std::string_view& line)
{
    if (!lines.next(line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return true;
}

} // namespace

bool PolyphonicSynth::loadParameters(const std::string& path)
{
    // Read whole and bounded: a FIFO or a device in place of a patch must
    // not stop the game before its first frame.
    const platform::FileBytes file = platform::readRegularFile(path, largestPatchFile);
    if (file.refusal == platform::FileBytes::Refusal::cannotOpen) {
        std::cout << "PolyphonicSynth: Could not open patch file " << path << std::endl;
        return false;
    }
    if (!file.ok()) {
        std::cout << "PolyphonicSynth: Could not read patch file " << path << ": " << file.reason() << std::endl;
        return false;
    }
    TextLines lines(file.bytes);
    std::string_view line;
    for (int number = 1; number < countLine; ++number) {
        if (!readLine(lines, line)) {
            std::cout << "PolyphonicSynth: Patch file too short: " << path << std::endl;
            return false;
        }
    }
    // The count sits from column 26 up to the line's last character.
    if (!readLine(lines, line) || line.size() < static_cast<size_t>(countColumn) + 1) {
        std::cout << "PolyphonicSynth: Patch file too short: " << path << std::endl;
        return false;
    }
    const std::string_view countText = line.substr(countColumn, line.size() - countColumn - 1);
    const std::optional<int> count = leadingInteger(countText);
    if (!count || *count != voices[0].parameterCount()) {
        std::cout << mismatchMessage << std::endl;
        return false;
    }
    for (int number = countLine + 1; number < firstValueLine; ++number) {
        if (!readLine(lines, line)) {
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
    while (readLine(lines, line)) {
        if (!line.empty() && line[0] == '}') {
            closed = true;
            break;
        }
        // The last two characters (an "f," after each number) are not part of it.
        const std::string_view text = line.size() < 2 ? line : line.substr(0, line.size() - 2);
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
    // Values that are all "nan", "inf" or words change nothing; say so
    // rather than keep the built-in sound without a word.
    if (!havePrevious) {
        std::cout << "PolyphonicSynth: Patch file holds no number: " << path << std::endl;
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

void PolyphonicSynth::setSampleRate(SampleRate rate)
{
    for (SimpleSynth& voice : voices)
        voice.setSampleRate(rate);
}
