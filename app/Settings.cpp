#include "app/Settings.h"

#include "base/NewFile.h"
#include "base/Platform.h"
#include "base/RegularFile.h"
#include "base/TextLines.h"
#include "base/TextNumber.h"

#include <cerrno>
#include <cstring>
#include <iostream>

namespace {

constexpr const char* folderName = "Plumbrook";
constexpr const char* fileName = "Plumbrook.conf";
constexpr const char* fallbackFolder = ".Plumbrook";
// Longer lines are cut here; the rest of such a line is skipped, never read
// as lines of its own.
constexpr size_t maximumLineLength = 127;
// Bytes; a written file holds about 60, a hand-edited one a few hundred.
constexpr size_t largestSettingsFile = 64 * 1024;
// A hand editor may start the text with it; it is no part of the first key.
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// UTF-16, as some editors save by default: a byte-order mark, or the zero
// high byte of a first ASCII character. Read as 8-bit text, no line of it
// would hold a value.
bool isUtf16(std::string_view text)
{
    if (text.size() < 2)
        return false;
    const auto first = static_cast<unsigned char>(text[0]);
    const auto second = static_cast<unsigned char>(text[1]);
    return (first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF) || (first == 0) != (second == 0);
}

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

// Unlike the older keys, a bad assist is said: a player who asked for a
// slower game and silently got full speed would not know why.
void applyGameSpeed(int& field, std::string_view value)
{
    const auto number = leadingInteger(value);
    if (number && Assists::offeredSpeed(*number)) {
        field = *number;
        return;
    }
    std::cout << "Settings: game speed (gs) must be 50, 60, 70, 80, 90 or 100; using 100." << std::endl;
    field = Assists::fullSpeed;
}

void applyKickBuffer(bool& field, std::string_view value)
{
    if (const auto flag = leadingBoolean(value)) {
        field = *flag;
        return;
    }
    std::cout << "Settings: kick buffer (kb) must be 0 or 1; using 0." << std::endl;
    field = false;
}

bool isAssistLine(std::string_view line)
{
    return line.size() >= 2 && ((line[0] == 'g' && line[1] == 's') || (line[0] == 'k' && line[1] == 'b'));
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

std::optional<std::string> defaultSettingsText()
{
    const std::optional<platform::ScreenSize> screen = platform::measureScreen();
    if (!screen)
        return std::nullopt;
    const std::string lines[] = {
        "w " + std::to_string(screen->width),
        "h " + std::to_string(screen->height),
        "a 0", "f 1", "ns 0", "nm 0", "aa DirectSound",
    };
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

namespace {

bool createSettingsFile(const std::string& path, const std::string& text)
{
    if (platform::createFileWhole(path, text) != 0) {
        std::cout << "Could not create " << path << std::endl;
        return false;
    }
    return true;
}

} // namespace

bool writeDefaultSettings(const std::string& text)
{
    return createSettingsFile(settingsFilePath(), text);
}

Settings Settings::load()
{
    Settings settings;
    const std::string path = settingsFilePath();
    // A start killed while it wrote the file left its temporary file here.
    platform::removeStaleTemporaries(path);
    // Only a file that is truly absent is created: one that exists but cannot
    // be read is the user's and must not be overwritten, and a link to a
    // missing file is the user's too.
    const platform::PathStatus status = platform::examineEntry(path);
    if (!status.exists && status.error == ENOENT) {
        const std::optional<std::string> text = defaultSettingsText();
        if (!text)
            return settings;
        // The path found above: asking again would say a missing
        // configuration folder twice.
        createSettingsFile(path, *text);
        // Written or not, this start runs on what the file holds or would.
        settings.applyText(*text);
        return settings;
    }

    // Whole and bounded: a FIFO or device here must not stop the start.
    const platform::FileBytes file = platform::readRegularFile(path, largestSettingsFile);
    if (!file.ok()) {
        std::cout << "Could not read " << path << ": " << file.reason() << std::endl;
        return settings;
    }
    if (isUtf16(file.bytes)) {
        std::cout << "Could not read " << path << ": UTF-16 text; save it as UTF-8" << std::endl;
        return settings;
    }
    settings.applyText(file.bytes);
    return settings;
}

void Settings::applyText(std::string_view text)
{
    if (text.substr(0, byteOrderMark.size()) == byteOrderMark)
        text.remove_prefix(byteOrderMark.size());
    TextLines lines(text);
    std::string_view line;
    while (lines.next(line))
        applyLine(line.substr(0, maximumLineLength));
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
    case 'g':
        if (second == 's')
            applyGameSpeed(assists.gameSpeed, valueFrom(line, 3));
        break;
    case 'k':
        if (second == 'b')
            applyKickBuffer(assists.kickBuffer, valueFrom(line, 3));
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

std::string withAssists(std::string_view text, const Assists& assists)
{
    std::string kept;
    TextLines lines(text);
    std::string_view line;
    while (lines.next(line)) {
        if (isAssistLine(line))
            continue;
        // A last line without its line feed gets the file's usual line end,
        // so the assists start on lines of their own.
        kept.append(line).append(lines.lineFeedAfter() ? "\n" : "\r\n");
    }
    return kept + "gs " + std::to_string(assists.gameSpeed) + "\r\nkb " + (assists.kickBuffer ? "1" : "0") + "\r\n";
}

bool saveAssists(const Assists& assists)
{
    const std::string path = settingsFilePath();
    std::string text;
    const platform::PathStatus status = platform::examineEntry(path);
    if (status.exists || status.error != ENOENT) {
        const platform::FileBytes file = platform::readRegularFile(path, largestSettingsFile);
        if (!file.ok() || isUtf16(file.bytes)) {
            std::cout << "Could not keep the assists in " << path << ": "
                      << (file.ok() ? std::string("UTF-16 text") : file.reason()) << std::endl;
            return false;
        }
        text = file.bytes;
    } else if (const std::optional<std::string> defaults = defaultSettingsText()) {
        text = *defaults;
    }
    const std::string kept = withAssists(text, assists);
    if (const int error = platform::replaceFileWhole(path, {kept}); error != 0) {
        std::cout << "Could not keep the assists in " << path << ": " << std::strerror(error) << std::endl;
        return false;
    }
    return true;
}
