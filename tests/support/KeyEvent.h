#pragma once
#include <SDL/SDL_events.h>

// A keyboard event as SDL delivers it, for pushing into the event queue or
// handing to the Application's dispatch.
inline SDL_Event keyEvent(Uint8 type, SDLKey sym)
{
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.keysym.sym = sym;
    return event;
}
