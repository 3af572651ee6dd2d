// The settings file reader: the input is the whole Plumbrook.conf, read the
// way a start without arguments reads it.
#include "FuzzSupport.h"

#include "app/Settings.h"
#include "app/StartupOptions.h"

#include <cstdlib>
#include <sstream>
#include <sys/stat.h>

namespace {
std::string filePath;
constexpr platform::ScreenSize screen{1920, 1080}; // pixels
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::quietStandardOutput();
    const std::string config = fuzzsupport::scratchFolder();
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    mkdir((config + "/Plumbrook").c_str(), 0700);
    filePath = config + "/Plumbrook/Plumbrook.conf";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::writeBytes(filePath, data, size);
    const Settings settings = Settings::load();
    // The value never runs past its own line, which is cut at 127 characters.
    fuzzsupport::require(settings.audioApi.size() <= 124, "audio API name longer than a line");
    fuzzsupport::require(settings.audioApi.find('\n') == std::string::npos, "line feed inside a value");
    std::ostringstream out;
    const StartupOptions options = optionsFromSettings(settings, [] { return screen; }, out);
    fuzzsupport::require(options.antialias >= 0, "negative antialiasing level");
    // A window no display can open, or a size cut to 16 bits, never comes out.
    fuzzsupport::require(options.width >= 1 && options.width <= 16383, "window width outside 1..16383");
    fuzzsupport::require(options.height >= 1 && options.height <= 16384, "window height outside 1..16384");
    return 0;
}
