#include "app/FatalError.h"
#include "app/StartupOptions.h"

#include <gtest/gtest.h>
#include <sstream>
#include <tuple>

namespace {

constexpr platform::ScreenSize screen{1920, 1080};

struct Interpreted {
    StartupOptions options;
    std::string printed;
    int screenQueries = 0;
};

Interpreted interpret(const std::vector<std::string>& words)
{
    Interpreted result;
    std::ostringstream out;
    result.options = interpretArguments(words, [&] { ++result.screenQueries; return screen; }, out);
    result.printed = out.str();
    return result;
}

Interpreted fromSettings(const Settings& settings)
{
    Interpreted result;
    std::ostringstream out;
    result.options = optionsFromSettings(settings, [&] { ++result.screenQueries; return screen; }, out);
    result.printed = out.str();
    return result;
}

} // namespace

TEST(CommandLine, WidthGivenHeightFromScreen)
{
    const Interpreted r = interpret({"-w", "800"});
    EXPECT_EQ(r.options.width, 800);
    EXPECT_EQ(r.options.height, 1080);
    EXPECT_EQ(r.printed, "Using default height = 1080\n");
    EXPECT_TRUE(r.options.fullScreen);
    EXPECT_FALSE(r.options.noSound);
    EXPECT_FALSE(r.options.noMusic);
    EXPECT_EQ(r.options.audioApi, "");
    EXPECT_EQ(r.options.antialias, 0);
}

TEST(CommandLine, ZeroWidthFallsBackToScreenWithMessage)
{
    const Interpreted r = interpret({"-w", "0", "-h", "600"});
    EXPECT_EQ(r.options.width, 1920);
    EXPECT_EQ(r.options.height, 600);
    EXPECT_EQ(r.printed, "Using default width = 1920\n");
}

TEST(CommandLine, LastOccurrenceWinsAndLongForms)
{
    const Interpreted r = interpret({"--width", "640", "-h", "480", "-w", "1024", "--height", "  700px"});
    EXPECT_EQ(r.options.width, 1024);
    EXPECT_EQ(r.options.height, 700);
    EXPECT_EQ(r.printed, "");
    EXPECT_EQ(r.screenQueries, 0);
}

TEST(CommandLine, ValueWordIsStillExaminedByOtherPasses)
{
    // "-aa -win": the API name becomes "-win" and the window mode is on too.
    const Interpreted r = interpret({"-aa", "-win", "-w", "10", "-h", "10"});
    EXPECT_EQ(r.options.audioApi, "-win");
    EXPECT_FALSE(r.options.fullScreen);
}

TEST(CommandLine, OptionWordAsValueLeavesWidthUnset)
{
    // "-w -h 600": "-h" is no number, so the width falls back to the screen;
    // the height pass still finds "-h".
    const Interpreted r = interpret({"-w", "-h", "600"});
    EXPECT_EQ(r.options.width, 1920);
    EXPECT_EQ(r.options.height, 600);
    EXPECT_EQ(r.printed, "Using default width = 1920\n");
}

TEST(CommandLine, MissingValueAndOtherCase)
{
    const Interpreted r = interpret({"-W", "800", "-h"});
    EXPECT_EQ(r.options.width, 1920);
    EXPECT_EQ(r.options.height, 1080);
    EXPECT_EQ(r.printed, "Using default width = 1920\nUsing default height = 1080\n");
}

TEST(CommandLine, AntialiasRule)
{
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"-w", "1", "-h", "1", "-a"}, {"-w", "1", "-h", "1", "-a", "0"}, {"-w", "1", "-h", "1", "-a", "1"},
             {"-w", "1", "-h", "1", "--antialias", "x"}}) {
        const Interpreted r = interpret(words);
        EXPECT_EQ(r.options.antialias, 2);
        EXPECT_EQ(r.printed, "Using 2x antialiasing.\n");
    }
    const Interpreted four = interpret({"-w", "1", "-h", "1", "-a", "4"});
    EXPECT_EQ(four.options.antialias, 4);
    EXPECT_EQ(four.printed, "");
    EXPECT_EQ(interpret({"-w", "1", "-h", "1", "-a", "16"}).options.antialias, 16);
    EXPECT_EQ(interpret({"-w", "1", "-h", "1"}).options.antialias, 0);
}

TEST(CommandLine, SwitchesAndUnknownWords)
{
    const Interpreted r = interpret({"-w", "1", "-h", "1", "--nosound", "-nm", "bogus", "--windowed", "-aa", "ALSA"});
    EXPECT_TRUE(r.options.noSound);
    EXPECT_TRUE(r.options.noMusic);
    EXPECT_FALSE(r.options.fullScreen);
    EXPECT_EQ(r.options.audioApi, "ALSA");
    EXPECT_EQ(r.printed, "");
}

TEST(CommandLine, LevelTakesTheNextWordAndSaysSoWhenThereIsNone)
{
    EXPECT_EQ(interpret({"--level", "a.png", "-w", "9", "-h", "9", "--level", "-win"}).options.levelFile, "-win");
    EXPECT_EQ(interpret({"-w", "9", "-h", "9", "--level"}).printed, "No picture after --level; playing the shipped level.\n");
}

TEST(CommandLine, HelpPrintsExactTextAndInterpretsNothingElse)
{
    std::ostringstream out;
    int queries = 0;
    try {
        answerHelp({"-w", "0", "-a", "--help", "-h"},
                   [&] {
                       ++queries;
                       return std::vector<std::string>{"ALSA", "JACK", "OSS"};
                   },
                   out);
        FAIL() << "help must end start-up";
    } catch (const FatalError& error) {
        EXPECT_EQ(error.text(), "\n");
        EXPECT_EQ(error.exitStatus(), 0);
    }
    EXPECT_EQ(queries, 1);
    EXPECT_EQ(out.str(),
              "\n"
              "Vantorrel\n"
              "\n"
              "Usage:\n"
              "vantorrel -w [width] -h [height] -a [val] -win -ns -nm -aa [name] --level [file] --replay [file] -gs [percent] -kb\n"
              "\n"
              "Flags:\n"
              "--width [val] | -w [val]:\tSet the width of the window.\n"
              "--height [val] | -h [val]:\tSet the height of the window.\n"
              "--antialias [val] | -a [val]:\tSets the antialiasing level (2, 4, or 6).\n"
              "--windowed | -win:\t\tSets whether to start the game in a window rather than fullscreen.\n"
              "--nosound | -ns:\t\tSwitches off the sound output.\n"
              "--nomusic | -nm:\t\tSwitches off the background music.\n"
              "--audio-api [name] | -aa [name]:\t\tSets the audio API to use.  Can be ALSA, JACK, OSS.\n"
              "--level [file]:\t\t\tPlays this level picture instead of the shipped one, with records of its own.\n"
              "--replay [file]:\t\t\tPlays a replay or a levelcheck route instead of the title.\n"
              "--game-speed [percent] | -gs [percent]:\tAssist: runs the game at 50, 60, 70, 80, 90 or 100 percent speed.\n"
              "--kick-buffer | -kb:\t\tAssist: keeps a jump press for up to 6 steps until it can take effect.\n"
              "--help:\t\t\t\tDisplay this help.\n");
}

TEST(CommandLine, HelpAudioLineNamesWhatThisSystemOffers)
{
    const std::string prefix = "--audio-api [name] | -aa [name]:\t\tSets the audio API to use.  ";
    auto audioLine = [&](std::vector<std::string> apis) {
        std::ostringstream out;
        printHelp(out, apis);
        const std::string text = out.str();
        const size_t start = text.find("--audio-api");
        return text.substr(start, text.find('\n', start) - start);
    };
    EXPECT_EQ(audioLine({"ALSA"}), prefix + "Can be ALSA.");
    EXPECT_EQ(audioLine({"ALSA", "OSS"}), prefix + "Can be ALSA, OSS.");
    EXPECT_EQ(audioLine({}), prefix + "None is available.");
}

TEST(CommandLine, NoHelpWordNoHelpAndNoAudioQuestion)
{
    std::ostringstream out;
    int queries = 0;
    const auto count = [&] {
        ++queries;
        return std::vector<std::string>{};
    };
    // Whole words only, in this letter case; "-h" is the height.
    EXPECT_NO_THROW(answerHelp({"-w", "800", "-h", "--Help", "help", "--help=1", "-help"}, count, out));
    EXPECT_NO_THROW(answerHelp({}, count, out));
    EXPECT_EQ(queries, 0);
    EXPECT_EQ(out.str(), "");
}

TEST(CommandLine, SettingsRecordUsedAsItIsWithoutArguments)
{
    Settings settings;
    settings.width = 0;
    settings.height = 600;
    settings.antialias = -3;
    settings.fullScreen = false;
    settings.noSound = true;
    settings.audioApi = "ASIO";
    const Interpreted r = fromSettings(settings);
    const StartupOptions& options = r.options;
    // A width of 0 opened a window that stayed black: it is the screen's now.
    EXPECT_EQ(options.width, 1920);
    EXPECT_EQ(r.printed, "Using default width = 1920\n");
    EXPECT_EQ(options.height, 600);
    EXPECT_EQ(options.antialias, 0);
    EXPECT_FALSE(options.fullScreen);
    EXPECT_TRUE(options.noSound);
    EXPECT_FALSE(options.noMusic);
    EXPECT_EQ(options.audioApi, "ASIO");
    settings.antialias = 6;
    settings.width = 800;
    const Interpreted usable = fromSettings(settings);
    EXPECT_EQ(usable.options.antialias, 6);
    EXPECT_EQ(usable.options.width, 800);
    EXPECT_EQ(usable.printed, "");
    EXPECT_EQ(usable.screenQueries, 0);
}

TEST(CommandLine, SizesNoWindowCanHaveFallBackToTheScreenInsteadOfWrapping)
{
    // Before, -w 70000 opened 4464 pixels (70000 cut to 16 bits),
    // 99999999999 opened 65535, and negative sizes failed in SDL. SDL 1.2
    // opens no mode 16384 wide ("A scanline is too wide"); that tall opens.
    const std::vector<std::tuple<std::string, int, int>> cases = { // word, width, height
        {"0", 1920, 1080}, {"-5", 1920, 1080}, {"1", 1, 1}, {"16383", 16383, 16383}, {"16384", 1920, 16384},
        {"16385", 1920, 1080}, {"70000", 1920, 1080}, {"99999999999", 1920, 1080}, {"-99999999999", 1920, 1080},
        {"4294967296", 1920, 1080},
    };
    for (const auto& [word, expectedWidth, expectedHeight] : cases) {
        const Interpreted width = interpret({"-w", word, "-h", "600"});
        EXPECT_EQ(width.options.width, expectedWidth) << word;
        EXPECT_EQ(width.options.height, 600) << word;
        EXPECT_EQ(width.printed, expectedWidth == 1920 ? "Using default width = 1920\n" : "") << word;

        const Interpreted height = interpret({"--width", "800", "--height", word});
        EXPECT_EQ(height.options.height, expectedHeight) << word;
        EXPECT_EQ(height.printed, expectedHeight == 1080 ? "Using default height = 1080\n" : "") << word;
    }
}

TEST(CommandLine, SettingsSizesAreHeldToTheSameRule)
{
    // "h 100000" in the file gave 34464 pixels; "w 0" a black window.
    const std::vector<std::pair<int, int>> widths = {
        {0, 1920}, {-5, 1920}, {16383, 16383}, {16384, 1920}, {16385, 1920}, {70000, 1920}, {2147483647, 1920},
        {1280, 1280},
    };
    for (const auto& [value, expected] : widths) {
        Settings settings;
        settings.width = value;
        settings.height = 100000;
        const Interpreted r = fromSettings(settings);
        EXPECT_EQ(r.options.width, expected) << value;
        EXPECT_EQ(r.options.height, 1080) << value;
        EXPECT_EQ(r.printed, std::string(expected == 1920 ? "Using default width = 1920\n" : "") +
                                 "Using default height = 1080\n")
            << value;
        EXPECT_EQ(r.screenQueries, 1) << "the screen is asked once";
    }
}

TEST(CommandLine, AssistsAreOfferedSpeedsOrOneLineAndFullSpeed)
{
    const std::string refused = "Game speed must be 50, 60, 70, 80, 90 or 100; using 100.\n";
    const std::vector<std::tuple<std::vector<std::string>, std::optional<int>, bool, bool>> cases = {
        {{"-win"}, std::nullopt, false, false},
        {{"--game-speed", "70", "-kb"}, 70, true, false},
        {{"-gs", "50", "--kick-buffer"}, 50, true, false},
        {{"-gs", "100"}, 100, false, false},
        {{"-gs", "55"}, 100, false, true},
        {{"-gs", "40"}, 100, false, true},
        {{"-gs", "fast"}, 100, false, true},
        {{"-gs"}, 100, false, true},
    };
    for (const auto& [words, speed, buffer, refusal] : cases) {
        const Interpreted r = interpret(words);
        EXPECT_EQ(r.options.gameSpeed, speed) << words.back();
        EXPECT_EQ(r.options.kickBuffer, buffer) << words.back();
        EXPECT_EQ(r.printed.find(refused) != std::string::npos, refusal) << words.back();
    }
}
