// Preloaded into the game by the end-to-end scenarios (LD_PRELOAD) to stand
// in for a disk that takes minutes to give up one file: opening the file
// VANTORREL_SLOW_OPEN names waits 10 minutes first, far longer than any
// scenario lasts. Every other open goes straight through.
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <time.h>

namespace {

constexpr time_t holdSeconds = 600;

using Open = int (*)(const char*, int, ...);

int slowOpen(const char* symbol, const char* path, int flags, mode_t mode)
{
    const char* slow = getenv("VANTORREL_SLOW_OPEN");
    if (slow != nullptr && path != nullptr && std::strcmp(path, slow) == 0) {
        timespec left{holdSeconds, 0};
        while (nanosleep(&left, &left) != 0) {
            // Interrupted by a signal: sleep the rest.
        }
    }
    const auto real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, symbol));
    return real != nullptr ? real(path, flags, mode) : -1;
}

mode_t modeArgument(int flags, va_list arguments)
{
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? static_cast<mode_t>(va_arg(arguments, int))
                                                                       : 0;
}

} // namespace

extern "C" int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return slowOpen("open", path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return slowOpen("open64", path, flags, mode);
}
