#include "base/NewFile.h"

#include "base/Platform.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <optional>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int nameAttempts = 100; // temporary names tried before giving up
constexpr int linkHops = 40;       // links followed before a chain counts as a loop, as the system does
constexpr const char* temporarySuffix = ".tmp";

// A file-size limit would otherwise end the whole program with SIGXFSZ in
// the middle of the write; ignored, the write fails with EFBIG instead.
class FileSizeSignalIgnored {
public:
    FileSizeSignalIgnored()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        saved = sigaction(SIGXFSZ, &ignore, &previous) == 0;
    }
    ~FileSizeSignalIgnored()
    {
        if (saved)
            sigaction(SIGXFSZ, &previous, nullptr);
    }
    FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
    FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

private:
    struct sigaction previous {};
    bool saved = false;
};

int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

// Gives the finished file its name without replacing anything there.
int nameWithoutReplacing(const std::string& temporary, const std::string& path)
{
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // A file system without that rename: a hard link never replaces either.
    if (link(temporary.c_str(), path.c_str()) == 0) {
        unlink(temporary.c_str());
        return 0;
    }
    if (errno != EPERM && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // Neither: the entry was absent a moment ago, so a plain rename.
    return rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string temporaryName(const std::string& path, pid_t process, int attempt)
{
    return path + "." + std::to_string(process) + "-" + std::to_string(attempt) + temporarySuffix;
}

// The process id in `name` when it is exactly base.PID-N.tmp, N one of the
// attempts createFileWhole makes; 0 otherwise.
pid_t temporaryOwner(const std::string& name, const std::string& base)
{
    const std::string suffix = temporarySuffix;
    if (name.size() <= base.size() + 1 + suffix.size() || name.compare(0, base.size(), base) != 0
        || name[base.size()] != '.' || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string middle = name.substr(base.size() + 1, name.size() - base.size() - 1 - suffix.size());
    const size_t dash = middle.find('-');
    if (dash == std::string::npos || dash == 0 || dash > 10 || dash + 1 == middle.size())
        return 0;
    long process = 0;
    for (size_t i = 0; i < dash; ++i) {
        if (middle[i] < '0' || middle[i] > '9')
            return 0;
        process = process * 10 + (middle[i] - '0');
    }
    int attempt = 0;
    for (size_t i = dash + 1; i < middle.size(); ++i) {
        if (middle[i] < '0' || middle[i] > '9' || i - dash > 2)
            return 0;
        attempt = attempt * 10 + (middle[i] - '0');
    }
    // Exactly as written: no leading zeros, an attempt that is made.
    if (middle[0] == '0' || (middle.size() - dash - 1 > 1 && middle[dash + 1] == '0') || attempt >= nameAttempts
        || process > 2147483647L)
        return 0;
    return static_cast<pid_t>(process);
}

// The name a temporary file was being written to, and its process, when
// `name` is exactly such a file's name; nothing otherwise.
std::optional<std::pair<std::string, pid_t>> temporaryOf(const std::string& name)
{
    const size_t dot = name.rfind('.', name.size() > 4 ? name.size() - 5 : 0);
    if (dot == std::string::npos || dot == 0)
        return std::nullopt;
    const std::string base = name.substr(0, dot);
    const pid_t owner = temporaryOwner(name, base);
    if (owner <= 0)
        return std::nullopt;
    return std::make_pair(base, owner);
}

bool processIsGone(pid_t process)
{
    return kill(process, 0) != 0 && errno == ESRCH;
}


// Writes the pieces into a fresh temporary file beside `path`, flushed to the
// disk; 0 and its name, or the errno (nothing left behind).
int writeTemporary(const std::string& path, std::initializer_list<std::string_view> pieces, std::string& temporary)
{
    int fd = -1;
    for (int attempt = 0; attempt < nameAttempts && fd < 0; ++attempt) {
        temporary = temporaryName(path, getpid(), attempt);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;

    int error = 0;
    {
        const FileSizeSignalIgnored sizeLimitReported;
        for (std::string_view bytes : pieces)
            if (error == 0)
                error = writeAll(fd, bytes);
    }
    // A file system that cannot sync (EINVAL) keeps the bytes all the same.
    if (error == 0 && fsync(fd) != 0 && errno != EINVAL)
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        unlink(temporary.c_str());
    return error;
}

// The path a chain of symbolic links at `path` ends in (`path` itself when
// it is no link), even when that last entry is missing; 0 or ELOOP.
int linkTarget(const std::string& path, std::string& target)
{
    target = path;
    for (int hop = 0; hop < linkHops; ++hop) {
        struct stat entry {};
        if (lstat(target.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode))
            return 0;
        char buffer[4096];
        const ssize_t length = readlink(target.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer)
            return length < 0 ? errno : ENAMETOOLONG;
        const std::string next(buffer, static_cast<size_t>(length));
        target = next[0] == '/' ? next : folderOf(target) + "/" + next;
    }
    return ELOOP;
}

// The new name itself lives in the folder: make it last as well.
void syncFolderOf(const std::string& path)
{
    const int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
}

} // namespace

int removeStaleTemporaries(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty())
        return 0;
    return removeStaleTemporariesIn(folderOf(path), [&base](std::string_view name) { return name == base; });
}

int removeStaleTemporariesIn(const std::string& folder, const std::function<bool(std::string_view name)>& ours)
{
    const auto names = listDirectory(folder);
    if (!names)
        return 0;
    int removed = 0;
    for (const std::string& name : *names) {
        const auto temporary = temporaryOf(name);
        if (!temporary || !ours(temporary->first))
            continue;
        const pid_t owner = temporary->second;
        if (owner == getpid() || !processIsGone(owner))
            continue;
        const std::string stale = (folder == "/" ? "" : folder) + "/" + name;
        struct stat entry {};
        if (lstat(stale.c_str(), &entry) != 0 || !S_ISREG(entry.st_mode))
            continue;
        if (unlink(stale.c_str()) == 0) {
            std::cout << "Removed " << stale << ", left by an interrupted write" << std::endl;
            ++removed;
        }
    }
    return removed;
}

int createFileWhole(const std::string& path, std::string_view bytes)
{
    std::string temporary;
    int error = writeTemporary(path, {bytes}, temporary);
    if (error == 0 && (error = nameWithoutReplacing(temporary, path)) != 0)
        unlink(temporary.c_str());
    if (error == 0)
        syncFolderOf(path);
    return error;
}

int replaceFileWhole(const std::string& path, std::initializer_list<std::string_view> pieces)
{
    std::string target;
    if (const int error = linkTarget(path, target); error != 0)
        return error;
    struct stat info {};
    if (stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return EINVAL;
    std::string temporary;
    int error = writeTemporary(target, pieces, temporary);
    if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        unlink(temporary.c_str());
    }
    if (error == 0)
        syncFolderOf(target);
    return error;
}

std::string replaceFailureText(const std::string& path, int error)
{
    struct stat info {};
    if (error != EINVAL || stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return errorText(error);
    if (S_ISDIR(info.st_mode))
        return "a folder is in its place";
    if (S_ISFIFO(info.st_mode))
        return "a FIFO is in its place";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return "a device is in its place";
    return "something other than a regular file is in its place";
}

namespace {

// The path with its folder resolved, so that "a.png" and "./a.png" match
// before either exists.
std::string placeOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    char resolved[PATH_MAX];
    if (realpath(folder.c_str(), resolved) == nullptr)
        return path;
    return std::string(resolved) + "/" + (slash == std::string::npos ? path : path.substr(slash + 1));
}

} // namespace

bool sameFile(const std::string& first, const std::string& second)
{
    struct stat one {};
    struct stat two {};
    if (stat(first.c_str(), &one) == 0 && stat(second.c_str(), &two) == 0)
        return one.st_dev == two.st_dev && one.st_ino == two.st_ino;
    return placeOf(first) == placeOf(second);
}

} // namespace platform
