#include "app/Settings.h"

#include "app/Platform.h"
#include "app/TextNumber.h"

#include <cerrno>
#include <fstream>
#include <iostream>

namespace {

constexpr const char* folderName = "Plumbrook";
constexpr const char* fileName = "Plumbrook.conf";
constexpr const char* fallbackFolder = ".Plumbrook";
// Longer lines are cut here; the rest of such a line is skipped, never read
// as lines of its own.
constexpr size_t maximumLineLength = 127;

std::string_view valueFrom(std::string_view line, size_t start)
{
    return start < line.size() ? line.substr(start) : std::string_view();
}

void applyInteger(int& field, std::string_view value)
{
    if (const auto number = leadingInteger(value))
        field = *number;
}

void applyBoolean(bool& field, std::string_view value)
{
    if (const auto flag = leadingBoolean(value))
        field = *flag;
}

} // namespace

std::string userDataFolder()
{
    const std::optional<std::string> base = platform::applicationDataFolder();
    if (!base) {
        std::cout << "Error: Could not find Application Data directory." << std::endl;
        return fallbackFolder;
    }
    // A fresh account may not have its configuration folder yet.
    if (!platform::examine(*base).exists)
        platform::makeDirectory(*base);

    const std::string path = *base + "/" + folderName;
    const platform::PathStatus status = platform::examine(path);
    if (status.exists)
        return path;
    if (status.error == ENOENT || status.error == ENOTDIR) {
        if (platform::makeDirectory(path) == 0)
            std::cout << "Created " << path << " path." << std::endl;
        return path;
    }
    std::cout << "Could not create " << path << " path." << std::endl;
    return path;
}

std::string settingsFilePath()
{
    return userDataFolder() + "/" + fileName;
}

void writeDefaultSettings()
{
    const std::string path = settingsFilePath();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        std::cout << "Could not create " << path << std::endl;
        return;
    }
    const platform::ScreenSize screen = platform::primaryScreenSize();
    const std::string lines[] = {
        "w " + std::to_string(screen.width),
        "h " + std::to_string(screen.height),
        "a 0", "f 1", "ns 0", "nm 0", "aa DirectSound",
    };
    for (const std::string& line : lines)
        file << line << '\r' << std::endl;
}

Settings Settings::load()
{
    Settings settings;
    const std::string path = settingsFilePath();
    // Only a file that is truly absent is created: one that exists but cannot
    // be read is the user's and must not be overwritten.
    const platform::PathStatus status = platform::examine(path);
    if (!status.exists && status.error == ENOENT)
        writeDefaultSettings();

    std::ifstream file(path, std::ios::binary);
    if (!file)
        return settings;
    std::string line;
    while (std::getline(file, line)) {
        if (line.size() > maximumLineLength)
            line.resize(maximumLineLength);
        settings.applyLine(line);
    }
    return settings;
}

void Settings::applyLine(std::string_view line)
{
    if (line.empty())
        return;
    const char second = line.size() > 1 ? line[1] : '\0';
    switch (line[0]) {
    case 'w':
        applyInteger(width, valueFrom(line, 2));
        break;
    case 'h':
        applyInteger(height, valueFrom(line, 2));
        break;
    case 'f':
        applyBoolean(fullScreen, valueFrom(line, 2));
        break;
    case 'n':
        if (second == 's')
            applyBoolean(noSound, valueFrom(line, 3));
        else if (second == 'm')
            applyBoolean(noMusic, valueFrom(line, 3));
        break;
    case 'a':
        if (second == 'a') {
            std::string_view value = valueFrom(line, 3);
            if (!value.empty() && value.back() == '\r')
                value.remove_suffix(1);
            if (line.size() > 3 && !(line.size() == 4 && line[3] == '\r'))
                audioApi = std::string(value);
        } else {
            applyInteger(antialias, valueFrom(line, 2));
        }
        break;
    default:
        break;
    }
}
