#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace outputfile {

namespace {

// A name beside the target that no other file is likely to have.
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

} // namespace outputfile
