// levelcheck: what a player can do on a level picture, found by playing it
// with the game's own movement. See tools/levels/README.md.
#include "LevelCheck.h"

#include <iostream>

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return levelcheck::run(arguments, std::cout, std::cerr);
}
