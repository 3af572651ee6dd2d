#include "OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace outputfile {

bool write(const std::string& path, const std::string& bytes, std::string& error)
{
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    const std::string temporary = path + ".part" + std::to_string(getpid());
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    int failure = written ? 0 : errno;
    if (std::fflush(out) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (std::fclose(out) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (written && std::rename(temporary.c_str(), path.c_str()) != 0) {
        written = false;
        failure = errno;
    }
    if (!written) {
        std::remove(temporary.c_str());
        error = failure != 0 ? std::strerror(failure) : "write failed";
        return false;
    }
    return true;
}

bool sameFile(const std::string& first, const std::string& second)
{
    struct stat one {};
    struct stat two {};
    return stat(first.c_str(), &one) == 0 && stat(second.c_str(), &two) == 0 && one.st_dev == two.st_dev &&
           one.st_ino == two.st_ino;
}

} // namespace outputfile
