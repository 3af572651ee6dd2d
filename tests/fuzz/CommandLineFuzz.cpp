// The command-line interpretation: the input is split into words at NUL and
// line-feed bytes, as if each were one argument after the program name.
#include "FuzzSupport.h"

#include "app/FatalError.h"
#include "app/StartupOptions.h"

#include <sstream>
#include <vector>

namespace {
constexpr platform::ScreenSize screen{1920, 1080}; // pixels
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::quietStandardOutput();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> words;
    std::string word;
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\0' || c == '\n') {
            words.push_back(word);
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (size > 0)
        words.push_back(word);

    bool help = false;
    for (const std::string& w : words)
        help = help || w == "--help";
    std::ostringstream out;
    try {
        // As at start-up: help first, then the options.
        answerHelp(words, [] { return std::vector<std::string>{"ALSA"}; }, out);
        const StartupOptions options = interpretArguments(words, [] { return screen; }, out);
        fuzzsupport::require(!help, "--help did not end start-up");
        // Zero, negative and oversized sizes always fall back to the screen size.
        fuzzsupport::require(options.width >= 1 && options.width <= 16383, "window width outside 1..16383");
        fuzzsupport::require(options.height >= 1 && options.height <= 16384, "window height outside 1..16384");
    } catch (const FatalError& error) {
        fuzzsupport::require(help && error.text() == "\n", "unexpected FatalError");
    }
    return 0;
}
