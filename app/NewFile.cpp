#include "app/NewFile.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int nameAttempts = 100; // temporary names tried before giving up

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

// The one writer behind both names: only the last step, the naming, differs.
int writeFileWhole(const std::string& path, std::string_view bytes, bool replace)
{
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < nameAttempts && fd < 0; ++attempt) {
        temporary = path + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;

    int error = 0;
    {
        const FileSizeSignalIgnored sizeLimitReported;
        error = writeAll(fd, bytes);
    }
    // A file system that cannot sync (EINVAL) keeps the bytes all the same.
    if (error == 0 && fsync(fd) != 0 && errno != EINVAL)
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && replace)
        error = rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
    else if (error == 0)
        error = nameWithoutReplacing(temporary, path);
    if (error != 0) {
        unlink(temporary.c_str());
        return error;
    }
    // The new name itself lives in the folder: make it last as well.
    const int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return 0;
}

} // namespace

int createFileWhole(const std::string& path, std::string_view bytes)
{
    return writeFileWhole(path, bytes, false);
}

int replaceFileWhole(const std::string& path, std::string_view bytes)
{
    return writeFileWhole(path, bytes, true);
}

} // namespace platform
