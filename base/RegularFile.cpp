#include "base/RegularFile.h"

#include "base/Platform.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr size_t firstChunk = 4096; // bytes read at first when the size is unknown

FileBytes refused(FileBytes::Refusal refusal, size_t limit, int error = 0)
{
    FileBytes result;
    result.refusal = refusal;
    result.error = error;
    result.limit = limit;
    return result;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd; }

private:
    int fd;
};

} // namespace

std::string FileBytes::reason() const
{
    switch (refusal) {
    case Refusal::none:
        return {};
    case Refusal::notRegularFile:
        return "not a regular file";
    case Refusal::tooLarge:
        return "larger than " + std::to_string(limit) + " bytes";
    case Refusal::cannotOpen:
    case Refusal::cannotRead:
        break;
    }
    return errorText(error);
}

FileBytes readRegularFile(const std::string& path, size_t limit)
{
    using Refusal = FileBytes::Refusal;
    // Look before opening: opening some devices has effects of its own.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return refused(Refusal::cannotOpen, limit, errno);
    if (!S_ISREG(info.st_mode))
        return refused(Refusal::notRegularFile, limit);

    const Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return refused(Refusal::cannotOpen, limit, errno);
    // The entry may have been replaced since it was looked at.
    if (fstat(file.get(), &info) != 0)
        return refused(Refusal::cannotRead, limit, errno);
    if (!S_ISREG(info.st_mode))
        return refused(Refusal::notRegularFile, limit);
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > limit)
        return refused(Refusal::tooLarge, limit);

    FileBytes result;
    result.limit = limit;
    // One byte more than the size, so that the end is seen in the first
    // pass; never more than one byte beyond the bound.
    size_t capacity = std::min(static_cast<size_t>(info.st_size), limit) + 1;
    if (info.st_size == 0)
        capacity = std::min(firstChunk, limit + 1);
    result.bytes.resize(capacity);
    size_t filled = 0;
    for (;;) {
        if (filled == result.bytes.size()) {
            if (filled > limit)
                return refused(Refusal::tooLarge, limit);
            result.bytes.resize(std::min(filled * 2, limit + 1));
        }
        const ssize_t got = read(file.get(), result.bytes.data() + filled, result.bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return refused(Refusal::cannotRead, limit, errno);
        }
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
    }
    if (filled > limit)
        return refused(Refusal::tooLarge, limit);
    result.bytes.resize(filled);
    return result;
}

} // namespace platform
