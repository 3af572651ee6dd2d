#pragma once
#include "game/Assists.h"
#include "game/RunOutcome.h"

#include <optional>
#include <string>

// What a screen may ask of whoever runs it: the next screen, the end of the
// game, the run just won, kept across the switch to the ending, and the
// assists in force. The
// screens know nothing else of the program around them.
class ScreenHost {
public:
    virtual ~ScreenHost() = default;

    // Replaces the current screen by name at once; unknown names change nothing.
    virtual void switchState(const std::string& name) = 0;
    virtual void quit() = 0;
    virtual void setRunOutcome(const RunOutcome& outcome) = 0;
    virtual const RunOutcome& getRunOutcome() const = 0;
    // The help the player has switched on (game speed, kick buffer).
    virtual const Assists& getAssists() const = 0;
    // A replay plays at the game speed it was made at (percent), without
    // touching the player's own; nothing gives the player's pace back, which
    // the screen that asked for another does when its replay ends or it goes.
    virtual void setReplayPace(std::optional<int> percent) = 0;
};
