#pragma once
#include "game/PilotBody.h"

#include <algorithm>
#include <cstdint>

// A search keeps of the pilot only its position, its speeds, whether a kick
// lasts and the body's own wait before a press can take effect. The route
// search and the forgiveness planner rebuild the game's PilotBody from that
// and keep the same of what one step made of it, so both step the pilot
// exactly alike.
template <class State> PilotBody pilotOf(const State& state, bool press)
{
    PilotBody body(state.x, state.y);
    body.vx = state.vx;
    body.vy = state.vy;
    body.wallKick = state.wallKick;
    body.jumpRecovery = state.recovery;
    body.jumpRequested = press;
    return body;
}

template <class State> void keepPilot(const PilotBody& body, State& state)
{
    state.x = body.x;
    state.y = body.y;
    state.vx = body.vx;
    state.vy = body.vy;
    state.wallKick = body.wallKick;
    state.recovery = static_cast<uint8_t>(std::clamp(body.jumpRecovery, 0, 255));
}
