// Renders the audio engine offline into a WAV file, so the music and the
// impact sound and the sound effects can be heard and measured without a
// sound card.
#include "LoopMusic.h"
#include "WavWriter.h"

#include "base/NewFile.h"
#include "base/Platform.h"
#include "base/RandomGenerator.h"
#include "base/TextNumber.h"
#include "audio/AudioSingleton.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace {

constexpr int defaultBuffer = 512; // frames per render call, like a sound card
constexpr double defaultSeconds = 16.0;
// Wall kicks climb like a chain up a shaft: from the slowest kick off a
// standing start, faster by a tenth each time, and round again once the
// next would reach the winning speed.
constexpr float firstKickSpeed = 0.56f; // cells per frame
constexpr float kickSpeedStep = 0.1f;   // cells per frame
constexpr float winningSpeed = 1.5f;    // cells per frame, the game's mark
constexpr float landingSpeed = 1.0f;    // cells per frame: a fall from any real height

struct Options {
    std::string output = "vantorrel.wav";
    std::string dataDirectory;
    std::string pitchFile;
    double seconds = defaultSeconds;
    long long seed = 1;
    float speed = 1.0f;
    double slowAfter = -1.0;  // seconds; the pilot slows below the melody speed
    bool music = true;
    bool game = true;
    double boomEvery = 0.0;  // seconds between booms; 0: none
    double kickEvery = 0.0;  // seconds between wall kicks; 0: none
    double landEvery = 0.0;  // seconds between landings; 0: none
    double markAt = -1.0;    // seconds; below 0: no mark
    int buffer = defaultBuffer;
    double rate = SampleRate::reference;  // Hz
};

void printUsage()
{
    std::cout << "Usage: renderwav [options]\n"
                 "  --output FILE       WAV file to write (default vantorrel.wav)\n"
                 "  --seconds S         length in seconds (default 16)\n"
                 "  --seed N            random counter to start from (default 1)\n"
                 "  --speed V           pilot speed in cells per frame (default 1.0; above 0.5 the melody plays)\n"
                 "  --slow-after S      the pilot drops to speed 0 after S seconds\n"
                 "  --no-game           no game music: an empty grid\n"
                 "  --nomusic           the sequencer stays silent, as with the game's --nomusic\n"
                 "  --boom-every S      play the impact sound at 0 s and every S seconds\n"
                 "  --kick-every S      a wall kick's sound at 0 s and every S seconds, rising in speed\n"
                 "  --land-every S      a landing's thud at 0 s and every S seconds\n"
                 "  --mark-at S         the sound of crossing the mark at S seconds\n"
                 "  --buffer N          frames per render call (default 512)\n"
                 "  --rate HZ           frames per second, 8000 to 192000 (default 44100)\n"
                 "  --data DIR          folder holding synthPatches and pitches (default: beside renderwav)\n"
                 "  --pitches FILE      use this pitch file instead of a random one\n";
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&]() { return std::string(argv[++i]); };
        // A value that is not a number is named, not read as 0.
        auto number = [&](auto& target) {
            const std::string text = value();
            const std::optional<float> parsed = wholeFloat(text);
            if (!parsed)
                std::cout << "renderwav: " << word << " needs a number, not \"" << text << "\"" << std::endl;
            else
                target = static_cast<std::remove_reference_t<decltype(target)>>(*parsed);
            return parsed.has_value();
        };
        auto whole = [&](auto& target) {
            const std::string text = value();
            const std::optional<int> parsed = wholeInteger(text);
            if (!parsed)
                std::cout << "renderwav: " << word << " needs a whole number, not \"" << text << "\"" << std::endl;
            else
                target = *parsed;
            return parsed.has_value();
        };
        bool read = true;
        if (word == "--output" && hasValue)
            options.output = value();
        else if (word == "--seconds" && hasValue)
            read = number(options.seconds);
        else if (word == "--seed" && hasValue)
            read = whole(options.seed);
        else if (word == "--speed" && hasValue)
            read = number(options.speed);
        else if (word == "--slow-after" && hasValue)
            read = number(options.slowAfter);
        else if (word == "--no-game")
            options.game = false;
        else if (word == "--nomusic")
            options.music = false;
        else if (word == "--boom-every" && hasValue)
            read = number(options.boomEvery);
        else if (word == "--kick-every" && hasValue)
            read = number(options.kickEvery);
        else if (word == "--land-every" && hasValue)
            read = number(options.landEvery);
        else if (word == "--mark-at" && hasValue)
            read = number(options.markAt);
        else if (word == "--buffer" && hasValue)
            read = whole(options.buffer);
        else if (word == "--rate" && hasValue)
            read = number(options.rate);
        else if (word == "--data" && hasValue)
            options.dataDirectory = value();
        else if (word == "--pitches" && hasValue)
            options.pitchFile = value();
        else {
            std::cout << "renderwav: unknown or incomplete option " << word << std::endl;
            return false;
        }
        if (!read)
            return false;
    }
    if (!(options.seconds > 0.0) || options.seconds > 3600.0 || options.buffer < 1 || options.buffer > 65536) {
        std::cout << "renderwav: seconds must lie in (0, 3600] and the buffer in 1..65536 frames" << std::endl;
        return false;
    }
    if (!SampleRate::accepts(options.rate) || options.rate != std::floor(options.rate)) {
        std::cout << "renderwav: the rate must be a whole number of Hz from 8000 to 192000" << std::endl;
        return false;
    }
    if (options.seconds * options.rate > static_cast<double>(maxWavFrames)) {
        std::cout << "renderwav: " << options.seconds << " s at " << options.rate << " Hz do not fit one WAV file"
                  << std::endl;
        return false;
    }
    return true;
}

// The output is checked before the render, which can take minutes: a FIFO
// or a device there would hang the write or be filled with a WAV, and a
// file the render reads would be lost.
bool outputAllowed(const Options& options, const FilePath& data)
{
    struct stat info {};
    if (stat(options.output.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        std::cout << "renderwav: " << options.output << " is not a regular file; nothing written" << std::endl;
        return false;
    }
    std::vector<std::string> inputs = {options.pitchFile};
    for (const char* name : AudioSingleton::patchNames)
        inputs.push_back(data.join(std::string(AudioSingleton::patchFolder))
                             .join(std::string(name) + AudioSingleton::patchExtension)
                             .text());
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(
             data.join(std::string(AudioSingleton::pitchFolder)).text(), ignored))
        inputs.push_back(entry.path().string());
    for (const std::string& input : inputs) {
        if (!input.empty() && platform::sameFile(options.output, input)) {
            std::cout << "renderwav: " << options.output << " is an input (" << input << "); nothing written"
                      << std::endl;
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        printUsage();
        return 2;
    }
    // The seed fixes the pitch-file draw, the melody and the drum noise.
    RandomGenerator::instance().setCounter(static_cast<int32_t>(options.seed));
    const FilePath data = options.dataDirectory.empty() ? FilePath::dataDirectory()
                                                        : FilePath(options.dataDirectory);
    if (!outputAllowed(options, data))
        return 1;
    // A folder or file the caller named and that cannot be read is an error:
    // rendering on without it would write silence or another tune.
    if (!options.dataDirectory.empty() && !platform::examine(options.dataDirectory).directory) {
        const platform::PathStatus status = platform::examine(options.dataDirectory);
        std::cout << "renderwav: --data " << options.dataDirectory << ": "
                  << (status.exists ? std::string("not a folder") : std::strerror(status.error)) << "; nothing written"
                  << std::endl;
        return 1;
    }
    auto engine = std::make_unique<AudioSingleton>(data);
    const SampleRate rate(options.rate);
    engine->setSampleRate(rate);
    const int sampleRate = static_cast<int>(rate.framesPerSecond());
    // A pitch file that cannot be read says which and why itself (one line);
    // rendering on with a drawn one would pass off another tune as it.
    if (!options.pitchFile.empty() && !engine->loadPitchFile(options.pitchFile))
        return 1;
    engine->setMusicEnabled(options.music);
    std::cout << "pitches:";
    for (int i = 0; i < PitchTable::size; ++i)
        std::cout << ' ' << engine->pitch(i);
    std::cout << std::endl;

    std::unique_ptr<LoopMusic> music;
    if (options.game) {
        music = std::make_unique<LoopMusic>(*engine, options.speed);
        engine->setLoopListener(music.get());
    }

    const long long totalFrames = static_cast<long long>(options.seconds * sampleRate);
    std::vector<float> samples(static_cast<size_t>(totalFrames) * 2, 0.0f);
    const long long boomFrames = static_cast<long long>(options.boomEvery * sampleRate);
    long long nextBoom = options.boomEvery > 0.0 ? 0 : -1;
    // Each sound is asked for before the buffer holding its time, as the
    // game asks between two buffers.
    auto due = [&](double every, long long& next, long long frame) {
        if (next < 0 || frame < next)
            return false;
        next = every > 0.0 ? next + std::max(1LL, static_cast<long long>(every * sampleRate)) : -1;
        return true;
    };
    long long nextKick = options.kickEvery > 0.0 ? 0 : -1;
    long long nextLanding = options.landEvery > 0.0 ? 0 : -1;
    long long markFrame = options.markAt >= 0.0 ? static_cast<long long>(options.markAt * sampleRate) : -1;
    float kickSpeed = firstKickSpeed;
    const long long slowFrame = options.slowAfter >= 0.0 ? static_cast<long long>(options.slowAfter * sampleRate) : -1;
    for (long long frame = 0; frame < totalFrames; frame += options.buffer) {
        if (nextBoom >= 0 && frame >= nextBoom) {
            engine->playBoom();
            nextBoom = boomFrames > 0 ? nextBoom + boomFrames : -1;
        }
        if (due(options.kickEvery, nextKick, frame)) {
            engine->playWallKick(kickSpeed);
            kickSpeed = kickSpeed + kickSpeedStep < winningSpeed ? kickSpeed + kickSpeedStep : firstKickSpeed;
        }
        if (due(options.landEvery, nextLanding, frame))
            engine->playLanding(landingSpeed);
        if (due(0.0, markFrame, frame))
            engine->playMark();
        if (music && slowFrame >= 0 && frame >= slowFrame)
            music->setPilotSpeed(0.0f);
        const int count = static_cast<int>(std::min<long long>(options.buffer, totalFrames - frame));
        engine->render(samples.data() + frame * 2, count);
    }
    engine->setLoopListener(nullptr);

    double peak = 0.0, sumSquares = 0.0;
    for (float s : samples) {
        peak = std::max(peak, static_cast<double>(std::fabs(s)));
        sumSquares += static_cast<double>(s) * s;
    }
    const double rms = samples.empty() ? 0.0 : std::sqrt(sumSquares / static_cast<double>(samples.size()));
    if (const int error = writeFloatWav(options.output, samples, sampleRate); error != 0) {
        std::cout << "renderwav: could not write " << options.output << ": " << std::strerror(error) << std::endl;
        return 1;
    }
    std::cout << "wrote " << options.output << ": " << totalFrames << " frames, peak " << peak << " ("
              << 20.0 * std::log10(std::max(peak, 1e-12)) << " dBFS), rms " << rms << std::endl;
    return 0;
}
