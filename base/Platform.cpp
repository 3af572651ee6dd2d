#include "base/Platform.h"

#include <X11/Xlib.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <chrono>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

constexpr int fallbackScreenWidth = 1024;  // pixels, when no X server answers
constexpr int fallbackScreenHeight = 768;  // pixels
constexpr mode_t privateFolderMode = 0700;   // folders the game makes for the player's data
constexpr mode_t lockFileMode = 0600;
constexpr int lockPollMilliseconds = 5;      // between attempts on a held lock

bool isAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

// An XDG base folder: the variable when it is set and absolute (the rules
// say a relative one is to be ignored), else its default below $HOME.
std::optional<std::string> baseFolder(const char* variable, const char* belowHome)
{
    const char* set = std::getenv(variable);
    if (isAbsolute(set))
        return std::string(set);
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + belowHome;
    return std::nullopt;
}

PathStatus statusOf(int result, const struct stat& info)
{
    if (result != 0)
        return {false, false, errno};
    return {true, S_ISDIR(info.st_mode), 0};
}

} // namespace

std::optional<std::string> applicationDataFolder()
{
    return baseFolder("XDG_CONFIG_HOME", "/.config");
}

std::optional<std::string> userDataHome()
{
    return baseFolder("XDG_DATA_HOME", "/.local/share");
}

std::string executablePath()
{
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    return std::string(buffer, static_cast<size_t>(length));
}

PathStatus examine(const std::string& path)
{
    struct stat info {};
    const int result = stat(path.c_str(), &info);
    return statusOf(result, info);
}

PathStatus examineEntry(const std::string& path)
{
    struct stat info {};
    const int result = lstat(path.c_str(), &info);
    return statusOf(result, info);
}

int makeDirectory(const std::string& path)
{
    return mkdir(path.c_str(), 0755) == 0 ? 0 : errno;
}

int makeDirectories(const std::string& path, std::string& failed)
{
    // Every leading part of the path, shortest first; the existing ones are
    // passed over, the rest made in turn.
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string level = path.substr(0, end);
        if (!level.empty() && level.back() != '/' && !examine(level).directory) {
            if (mkdir(level.c_str(), privateFolderMode) != 0 && errno != EEXIST) {
                failed = level;
                return errno;
            }
            if (!examine(level).directory) {
                failed = level;
                return ENOTDIR;
            }
        }
        if (end == std::string::npos)
            return 0;
    }
}

FileLock::FileLock(const std::string& path, int waitMilliseconds)
{
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, lockFileMode);
    if (fd < 0) {
        failure = errno;
        return;
    }
    for (int waited = 0;; waited += lockPollMilliseconds) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            descriptor = fd;
            return;
        }
        failure = errno;
        if ((failure != EWOULDBLOCK && failure != EINTR) || waited >= waitMilliseconds)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(lockPollMilliseconds));
    }
    close(fd);
}

FileLock::~FileLock()
{
    if (descriptor >= 0)
        close(descriptor); // lets go of the lock
}

std::optional<std::vector<std::string>> listDirectory(const std::string& path)
{
    DIR* directory = opendir(path.c_str());
    if (directory == nullptr)
        return std::nullopt;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(directory)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        names.emplace_back(entry->d_name);
    }
    closedir(directory);
    return names;
}

std::string errorText(int error)
{
    return std::strerror(error);
}

std::optional<ScreenSize> measureScreen()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return std::nullopt;
    const int screen = DefaultScreen(display);
    const ScreenSize size{DisplayWidth(display, screen), DisplayHeight(display, screen)};
    XCloseDisplay(display);
    if (size.width <= 0 || size.height <= 0)
        return std::nullopt;
    return size;
}

ScreenSize primaryScreenSize()
{
    return measureScreen().value_or(ScreenSize{fallbackScreenWidth, fallbackScreenHeight});
}

std::vector<std::string> fontDirectories()
{
    std::vector<std::string> candidates;
    if (const std::optional<std::string> dataHome = userDataHome())
        candidates.push_back(*dataHome + "/fonts");
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        candidates.push_back(std::string(home) + "/.fonts");
    candidates.push_back("/usr/local/share/fonts");
    candidates.push_back("/usr/share/fonts");

    std::vector<std::string> existing;
    for (const std::string& candidate : candidates)
        if (examine(candidate).directory)
            existing.push_back(candidate);
    return existing;
}

void setEnvironment(const std::string& name, const std::string& value)
{
    setenv(name.c_str(), value.c_str(), 1);
}

} // namespace platform
