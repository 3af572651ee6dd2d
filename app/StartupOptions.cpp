#include "app/StartupOptions.h"

#include "app/FatalError.h"
#include "base/TextNumber.h"

#include <optional>

namespace {

constexpr int minimumAntialias = 2; // samples, when antialiasing is asked for
// Pixels. SDL 1.2 refuses a video mode 16384 or more pixels wide ("A
// scanline is too wide"); the height is held to 16384, which opens, so the
// display's 16-bit sizes cannot wrap.
constexpr int largestWindowWidth = 16383;
constexpr int largestWindowHeight = 16384;

// Zero, negative and oversized sides fall back to the screen's, never wrap.
bool usableSide(int pixels, int largest)
{
    return pixels > 0 && pixels <= largest;
}

// Replaces a size no window can have by the screen's, saying so.
void settleWindowSize(StartupOptions& options, const std::function<platform::ScreenSize()>& screenSize,
                      std::ostream& out)
{
    std::optional<platform::ScreenSize> screen;
    auto askScreen = [&]() -> const platform::ScreenSize& {
        if (!screen)
            screen = screenSize();
        return *screen;
    };
    if (!usableSide(options.width, largestWindowWidth)) {
        options.width = askScreen().width;
        out << "Using default width = " << options.width << std::endl;
    }
    if (!usableSide(options.height, largestWindowHeight)) {
        options.height = askScreen().height;
        out << "Using default height = " << options.height << std::endl;
    }
}

bool isEither(const std::string& word, const char* longName, const char* shortName)
{
    return word == longName || word == shortName;
}

// Reads the number after every occurrence of the option into `value`.
void readIntegerOption(const std::vector<std::string>& words, const char* longName, const char* shortName,
                       int& value, bool* asked = nullptr)
{
    for (size_t i = 0; i < words.size(); ++i) {
        if (!isEither(words[i], longName, shortName))
            continue;
        if (asked != nullptr)
            *asked = true;
        if (i + 1 < words.size()) {
            if (const auto number = leadingInteger(words[i + 1]))
                value = *number;
            ++i;
        }
    }
}

bool hasWord(const std::vector<std::string>& words, const char* longName, const char* shortName)
{
    for (const std::string& word : words)
        if (isEither(word, longName, shortName))
            return true;
    return false;
}

} // namespace

void printHelp(std::ostream& out, const std::vector<std::string>& audioApis)
{
    std::string audioLine = "--audio-api [name] | -aa [name]:\t\tSets the audio API to use.  ";
    if (audioApis.empty()) {
        audioLine += "None is available.";
    } else {
        audioLine += "Can be ";
        for (size_t i = 0; i < audioApis.size(); ++i) {
            if (i > 0)
                audioLine += ", ";
            audioLine += audioApis[i];
        }
        audioLine += ".";
    }
    const std::string lines[] = {
        "",
        "Vantorrel",
        "",
        "Usage:",
        "vantorrel -w [width] -h [height] -a [val] -win -ns -nm -aa [name] --level [file] --replay [file] -gs [percent] -kb",
        "",
        "Flags:",
        "--width [val] | -w [val]:\tSet the width of the window.",
        "--height [val] | -h [val]:\tSet the height of the window.",
        "--antialias [val] | -a [val]:\tSets the antialiasing level (2, 4, or 6).",
        "--windowed | -win:\t\tSets whether to start the game in a window rather than fullscreen.",
        "--nosound | -ns:\t\tSwitches off the sound output.",
        "--nomusic | -nm:\t\tSwitches off the background music.",
        audioLine,
        "--level [file]:\t\t\tPlays this level picture instead of the shipped one, with records of its own.",
        "--replay [file]:\t\t\tPlays a replay or a levelcheck route instead of the title.",
        "--game-speed [percent] | -gs [percent]:\tAssist: runs the game at 50, 60, 70, 80, 90 or 100 percent speed.",
        "--kick-buffer | -kb:\t\tAssist: keeps a jump press for up to 6 steps until it can take effect.",
        "--help:\t\t\t\tDisplay this help.",
    };
    for (const std::string& line : lines)
        out << line << std::endl;
}

void answerHelp(const std::vector<std::string>& words, const std::function<std::vector<std::string>()>& audioApis,
                std::ostream& out)
{
    for (const std::string& word : words) {
        if (word == "--help") {
            printHelp(out, audioApis());
            throw FatalError("\n", 0);
        }
    }
}

StartupOptions interpretArguments(const std::vector<std::string>& words,
                                  const std::function<platform::ScreenSize()>& screenSize,
                                  std::ostream& out)
{
    StartupOptions options;
    readIntegerOption(words, "--width", "-w", options.width);
    readIntegerOption(words, "--height", "-h", options.height);
    settleWindowSize(options, screenSize, out);
    if (hasWord(words, "--windowed", "-win"))
        options.fullScreen = false;
    if (hasWord(words, "--nosound", "-ns"))
        options.noSound = true;
    if (hasWord(words, "--nomusic", "-nm"))
        options.noMusic = true;
    for (size_t i = 0; i < words.size(); ++i) {
        if (isEither(words[i], "--audio-api", "-aa") && i + 1 < words.size()) {
            options.audioApi = words[i + 1];
            ++i;
        }
    }
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] != "--level")
            continue;
        if (i + 1 < words.size())
            options.levelFile = words[++i];
        else
            out << "No picture after --level; playing the shipped level." << std::endl;
    }
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] != "--replay")
            continue;
        if (i + 1 == words.size())
            out << "No file after --replay; showing the title." << std::endl;
        else if (words[++i].empty())
            out << "An empty file name after --replay; showing the title." << std::endl;
        else
            options.replayFile = words[i];
    }
    bool speedAsked = false;
    int speed = 0; // no number after the option is a bad value too
    readIntegerOption(words, "--game-speed", "-gs", speed, &speedAsked);
    if (speedAsked && !Assists::offeredSpeed(speed)) {
        out << "Game speed must be 50, 60, 70, 80, 90 or 100; using 100." << std::endl;
        speed = Assists::fullSpeed;
    }
    if (speedAsked)
        options.gameSpeed = speed;
    if (hasWord(words, "--kick-buffer", "-kb"))
        options.kickBuffer = true;
    bool antialiasAsked = false;
    readIntegerOption(words, "--antialias", "-a", options.antialias, &antialiasAsked);
    if (antialiasAsked && options.antialias < minimumAntialias) {
        options.antialias = minimumAntialias;
        out << "Using 2x antialiasing." << std::endl;
    }
    return options;
}

StartupOptions optionsFromSettings(const Settings& settings,
                                   const std::function<platform::ScreenSize()>& screenSize, std::ostream& out)
{
    StartupOptions options;
    options.width = settings.width;
    options.height = settings.height;
    settleWindowSize(options, screenSize, out);
    options.antialias = settings.antialias > 0 ? settings.antialias : 0;
    options.fullScreen = settings.fullScreen;
    options.noSound = settings.noSound;
    options.noMusic = settings.noMusic;
    options.audioApi = settings.audioApi;
    return options;
}
