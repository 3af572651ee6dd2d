// Preloaded into the game by the end-to-end scenarios (LD_PRELOAD) to stand
// in for a slow graphics driver: every buffer swap takes 40 ms longer.
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <time.h>

namespace {

constexpr long swapDelayNanoseconds = 40L * 1000L * 1000L; // 40 ms

} // namespace

extern "C" void SDL_GL_SwapBuffers(void)
{
    using Swap = void (*)(void);
    static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    timespec delay{0, swapDelayNanoseconds};
    while (nanosleep(&delay, &delay) != 0) {
        // Interrupted by a signal: sleep the rest.
    }
    if (real != nullptr)
        real();
}
