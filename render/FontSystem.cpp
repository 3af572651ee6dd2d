#include "render/FontSystem.h"
#include <SDL/SDL_ttf.h>
#include <cstdio>

FontSystem::FontSystem()
{
    if (TTF_Init() == -1) {
        // No line end: the next message continues the line.
        std::fputs("OpenGLFont: Could not initialise SDL_ttf.", stdout);
        std::fflush(stdout);
    } else {
        started = true;
    }
}

FontSystem::~FontSystem()
{
    if (started)
        TTF_Quit();
}

FontSystem& FontSystem::instance()
{
    static FontSystem system;
    return system;
}

void FontSystem::ensureStarted()
{
    instance();
}

bool FontSystem::isStarted()
{
    return instance().started;
}
