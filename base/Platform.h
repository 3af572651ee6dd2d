#pragma once
#include <optional>
#include <string>
#include <vector>

// The few operating-system services the game needs, in one place.
namespace platform {

struct ScreenSize {
    int width;
    int height;
};

// $XDG_CONFIG_HOME when set and absolute, else $HOME/.config; none without either.
std::optional<std::string> applicationDataFolder();

// $XDG_DATA_HOME when set and absolute, else $HOME/.local/share; none
// without either. Records, replays and the player's own fonts live below it.
std::optional<std::string> userDataHome();

// Full path of the running executable; empty when it cannot be read.
std::string executablePath();

// Result of examining a path: whether it exists, whether it is a directory,
// and the errno of a failed examination (0 when it succeeded).
struct PathStatus {
    bool exists;
    bool directory;
    int error;
};
PathStatus examine(const std::string& path);
// Like examine, but a symbolic link is examined itself, not what it points
// to: a link whose target is missing exists.
PathStatus examineEntry(const std::string& path);

// Creates one directory level; the errno on failure, 0 on success.
int makeDirectory(const std::string& path);

// Creates the folder `path` and every missing folder above it, each
// readable by its owner only (0700), as a fresh account's data home needs;
// folders already there are left as they are. 0 on success (also when it
// was all there), else the errno, and `failed` names the folder that could
// not be made.
int makeDirectories(const std::string& path, std::string& failed);

// Holds an exclusive lock (flock) on the file `path`, created owner-only
// when missing and never removed, so that processes writing the same files
// take turns. A holder that does not let go within `waitMilliseconds` (a
// stopped process) is not waited for: the lock is then not held.
class FileLock {
public:
    FileLock(const std::string& path, int waitMilliseconds);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return descriptor >= 0; }
    // The errno of a failed attempt (EWOULDBLOCK: someone else holds it).
    int error() const { return failure; }

private:
    int descriptor = -1;
    int failure = 0;
};

// Names in a directory, "." and ".." left out, in the order the system lists
// them; nothing when it cannot be opened.
std::optional<std::vector<std::string>> listDirectory(const std::string& path);

// The system's text for an errno value.
std::string errorText(int error);

// Size of the primary screen of the X server, asked before SDL starts;
// nothing when there is no X server to ask.
std::optional<ScreenSize> measureScreen();
// The measured size, or 1024 x 768 when it cannot be measured.
ScreenSize primaryScreenSize();

// Per-user and system font folders that exist, user folders first.
std::vector<std::string> fontDirectories();

// Sets an environment variable for this process (and libraries it loads).
void setEnvironment(const std::string& name, const std::string& value);

} // namespace platform
