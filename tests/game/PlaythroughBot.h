#pragma once
#include "game/RouteScript.h"
#include "game/LevelGrid.h"
#include "game/PilotBody.h"

#include <fstream>
#include <string>

// A player for the shipped play level: it plays the fastest route levelcheck
// found on it (tools/levels/pilot-route.txt, a press every eight frames at
// most), one line a frame. Line k is the k-th step of the play screen: the
// directions are held during it, the jump is pressed just before it. Past
// the end of the route it lets go of everything.
class PlaythroughBot {
public:
    struct Keys {
        bool left = false;
        bool right = false;
        bool jump = false; // press "Action" this frame
    };

    PlaythroughBot()
    {
        std::ifstream in(VANTORREL_LEVEL_ROUTE);
        routescript::read(in, route, error);
        if (!in.good() && route.empty() && error.empty()) {
            error = "cannot read " + std::string(VANTORREL_LEVEL_ROUTE);
        }
    }

    // The keys for the next frame. The pilot and the level are not looked
    // at: the route was found by playing the level, and plays it the same.
    Keys next(const PilotBody&, const LevelGrid&)
    {
        Keys keys;
        if (frame < route.size()) {
            keys.left = route[frame].left;
            keys.right = route[frame].right;
            keys.jump = route[frame].jump;
        }
        ++frame;
        return keys;
    }

    // Frames until the route's win; 0 when the route could not be read.
    std::size_t winningFrame() const { return route.size(); }
    const std::string& readError() const { return error; }

private:
    Route route;
    std::string error;
    std::size_t frame = 0;
};
