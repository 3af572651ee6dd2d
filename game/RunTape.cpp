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
    if (playback && steps.size() < script.size()) {
        input = routescript::apply(script[steps.size()], body);
    } else if (playback) {
        playback = false;
        runOutStep = static_cast<int64_t>(steps.size());
    }
    steps.push_back(RouteStep{input.left != 0, input.right != 0, body.jumpRequested});
    return input;
}
