#pragma once
#include "base/Platform.h"
#include "app/Settings.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// The options the game starts with, from the command line or, when there are
// no arguments at all, from the settings file.
struct StartupOptions {
    int width = 0;
    int height = 0;
    int antialias = 0;
    bool fullScreen = true;
    bool noSound = false;
    bool noMusic = false;
    std::string audioApi;
    std::string levelFile; // --level: a picture played instead of the play level
    std::string replayFile; // "--replay FILE": a run to play instead of the title; "" for none
    // The assists asked for here; unset, the settings file's stand.
    std::optional<int> gameSpeed; // "--game-speed PERCENT"
    bool kickBuffer = false;      // "--kick-buffer"
};

// "--help" anywhere among the words: prints the help text to `out` and throws
// FatalError with status 0. It needs no display, so it is answered before
// anything else starts. `audioApis` names the audio APIs the help offers; it
// is asked only when help is printed.
void answerHelp(const std::vector<std::string>& arguments,
                const std::function<std::vector<std::string>()>& audioApis, std::ostream& out);

// Each option is looked for by its own pass over all words; the last
// occurrence wins. "--help" must have been answered before (answerHelp).
// A width or height that is missing, not a number, zero, negative or above
// 16383 (width) or 16384 (height) becomes the screen's, with a "Using default" line on `out`;
// `screenSize` is asked only then.
StartupOptions interpretArguments(const std::vector<std::string>& arguments,
                                  const std::function<platform::ScreenSize()>& screenSize,
                                  std::ostream& out);

// The settings record's options; its sizes are held to the same rule.
StartupOptions optionsFromSettings(const Settings& settings,
                                   const std::function<platform::ScreenSize()>& screenSize, std::ostream& out);

void printHelp(std::ostream& out, const std::vector<std::string>& audioApis);
