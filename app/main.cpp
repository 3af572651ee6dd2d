#include "app/Application.h"
#include "app/FatalError.h"
#include "app/TerminationSignals.h"

#include <SDL/SDL.h>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    // Before anything slow: a quit asked for during start-up is kept.
    platform::catchTerminationSignals();
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
