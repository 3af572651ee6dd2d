// Mesa unloads its software driver when a display closes. The leak checker
// then cannot name the driver's own process-wide allocations and so cannot
// tell them from ours; keeping the driver mapped for the whole test program
// lets the suppression list recognise them.
#include <dlfcn.h>

namespace {

struct KeepGlDriverLoaded {
    KeepGlDriverLoaded()
    {
        const char* candidates[] = {
            "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
            "/usr/lib/aarch64-linux-gnu/dri/swrast_dri.so",
            "/usr/lib/dri/swrast_dri.so",
        };
        for (const char* path : candidates)
            if (dlopen(path, RTLD_LAZY | RTLD_NODELETE) != nullptr)
                break;
    }
};

const KeepGlDriverLoaded keepGlDriverLoaded;

} // namespace
