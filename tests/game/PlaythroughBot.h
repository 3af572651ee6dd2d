#pragma once
#include "game/LevelGrid.h"
#include "game/PilotBody.h"

// A scripted player for the shipped play level: runs left from the start,
// hops the obstacles, climbs the chimney with wall kicks, runs right along
// the meadow into the right shaft and kicks up it until the run is won.
// It looks only at the pilot's cell, as a player looks at the screen.
class PlaythroughBot {
public:
    struct Keys {
        bool left = false;
        bool right = false;
        bool jump = false; // press "Action" this frame
    };

    static constexpr int chimneyColumn = 34;
    static constexpr int meadowRow = 967; // the row the pilot stands in up there
    static constexpr int shaftColumn = 57;
    static constexpr int kickInterval = 8; // frames between presses: a quick but human rhythm

    Keys next(const PilotBody& body, const LevelGrid& grid)
    {
        const int cx = static_cast<int>(body.x);
        const int cy = static_cast<int>(body.y);
        const bool standing = !body.airborne;
        Keys keys;
        ++frame;
        if (frame < settleFrames) {
            return keys; // let the pilot drop in and land
        }
        if (cy > meadowRow) {
            // Down in the corridor: to the chimney, then up it.
            if (cx > chimneyColumn) {
                keys.left = true;
                keys.jump = standing && grid.solid(cx - 1, cy);
            } else {
                keys.jump = standing || frame % kickInterval == 0;
            }
            return keys;
        }
        if (cx < shaftColumn || (standing && cy == meadowRow && cx != shaftColumn)) {
            // Above the chimney or on the meadow: along to the shaft.
            keys.right = true;
            keys.jump = standing && grid.solid(cx + 1, cy);
            return keys;
        }
        keys.jump = standing || frame % kickInterval == 0;
        return keys;
    }

private:
    static constexpr int settleFrames = 40;
    int frame = 0;
};
