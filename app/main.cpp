#include "app/Application.h"
#include "app/FatalError.h"
#include "app/TerminationSignals.h"

#include <SDL/SDL.h>
#include <iostream>
#include <malloc.h>
#include <string>
#include <vector>

namespace {

// Blocks this large or larger are mapped on their own and handed back to the
// system when freed. glibc would otherwise raise this bound to the size of
// every mapped block freed (the libraries' buffers of a megabyte or so), and
// later blocks of that size would come from the main heap, which keeps what
// lies below its top: the resident size then rose a megabyte at a time
// through a long idle run although the memory in use did not.
constexpr int mappedBlockBytes = 128 * 1024;

} // namespace

int main(int argc, char* argv[])
{
    // Before anything slow: a quit asked for during start-up is kept.
    platform::catchTerminationSignals();
    mallopt(M_MMAP_THRESHOLD, mappedBlockBytes);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        Application application(arguments);
        application.run();
        // A game nobody could see is a failed start, not a success.
        return application.hasDisplay() ? 0 : 1;
    } catch (const FatalError& error) {
        std::cout << error.text() << std::endl;
        return error.exitStatus();
    }
}
