#include "game/RunTape.h"

#include <utility>

void RunTape::playBack(Route run)
{
    script = std::move(run);
    playback = true;
}

PilotInput RunTape::next(PilotInput live, PilotBody& body)
{
    PilotInput input = live;
    if (playback) {
        const RouteStep step = steps.size() < script.size() ? script[steps.size()] : RouteStep{};
        input = routescript::inputOf(step);
        body.jumpRequested = step.jump;
    }
    steps.push_back(RouteStep{input.left != 0, input.right != 0, body.jumpRequested});
    return input;
}
