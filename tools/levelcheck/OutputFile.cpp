#include "OutputFile.h"

#include "base/NewFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace outputfile {

namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The path with its folder resolved, so that "a.png" and "./a.png" match
// before either exists.
std::string placeOf(const std::string& path)
{
    char resolved[PATH_MAX];
    if (realpath(folderOf(path).c_str(), resolved) == nullptr) {
        return path;
    }
    const std::size_t slash = path.find_last_of('/');
    return std::string(resolved) + "/" + (slash == std::string::npos ? path : path.substr(slash + 1));
}

// The name the bytes are staged under before they replace the target.
std::string stagingName(const std::string& path)
{
    return path + ".part" + std::to_string(getpid());
}

bool regularOrAbsent(const std::string& path, std::string& error)
{
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    return true;
}

} // namespace

bool write(const std::string& path, const std::string& bytes, std::string& error)
{
    if (!regularOrAbsent(path, error)) {
        return false;
    }
    const std::string staging = stagingName(path);
    std::remove(staging.c_str()); // a leftover of a killed run of the same number
    int failure = platform::createFileWhole(staging, bytes);
    if (failure == 0 && std::rename(staging.c_str(), path.c_str()) != 0) {
        failure = errno;
        std::remove(staging.c_str());
    }
    if (failure != 0) {
        error = std::strerror(failure);
        return false;
    }
    return true;
}

bool writable(const std::string& path, std::string& error)
{
    if (!regularOrAbsent(path, error)) {
        return false;
    }
    // Making the staging file, and removing it again, is the one test that
    // also answers for read-only mounts, permissions and missing folders.
    const std::string staging = stagingName(path);
    const int fd = open(staging.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
        error = std::strerror(errno);
        return false;
    }
    if (fd >= 0) {
        close(fd);
        unlink(staging.c_str());
    }
    return true;
}

bool sameFile(const std::string& first, const std::string& second)
{
    struct stat one {};
    struct stat two {};
    if (stat(first.c_str(), &one) == 0 && stat(second.c_str(), &two) == 0) {
        return one.st_dev == two.st_dev && one.st_ino == two.st_ino;
    }
    return placeOf(first) == placeOf(second);
}

} // namespace outputfile
