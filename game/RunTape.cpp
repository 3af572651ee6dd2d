#include "game/RunTape.h"

#include <algorithm>
#include <utility>

void RunTape::playBack(Route run, const Assists& made)
{
    script = std::move(run);
    recorded = made;
    playback = true;
}

PilotInput RunTape::next(PilotInput live, PilotBody& body, const Assists& player)
{
    PilotInput input = live;
    if (playback && steps.size() < script.size()) {
        input = routescript::apply(script[steps.size()], body);
        body.kickBuffer = recorded.kickBuffer;
    } else {
        if (playback) {
            playback = false;
            runOutStep = static_cast<int64_t>(steps.size());
        }
        switched = switched || (liveSteps > 0 && player.kickBuffer != used.kickBuffer);
        used.gameSpeed = std::min(used.gameSpeed, player.gameSpeed);
        used.kickBuffer = used.kickBuffer || player.kickBuffer;
        ++liveSteps;
        body.kickBuffer = player.kickBuffer;
    }
    steps.push_back(RouteStep{input.left != 0, input.right != 0, body.jumpRequested});
    return input;
}
