#pragma once
#include "game/CloudLayer.h"
#include "game/GameState.h"
#include "game/LevelGrid.h"
#include "game/PilotBody.h"
#include "game/TileSet.h"
#include "game/TrailParticles.h"
#include "game/WarpOverlay.h"

#include <string>
#include <vector>

// The ending's two delays, apart from drawing and sound so that their frames
// can be checked one by one.
class EpilogueTimeline {
public:
    static constexpr int textDelayFrames = 180; // before "Wait, this isn't right..."
    static constexpr int endDelayFrames = 300;  // before the boom and "TO BE CONTINUED"

    struct Step {
        bool showsWait = false;
        bool boom = false;
        bool showsEnd = false;
    };
    // One frame: what it draws and whether it booms.
    Step tick();

private:
    int textDelay = textDelayFrames;
    int endDelay = endDelayFrames;
};

// The ending: a second level where the pilot, out of control, drops to the
// ground, then two lines of text and a boom, the run's time against the
// level's best, and Action to play again.
class Epilogue : public GameState {
public:
    explicit Epilogue(ScreenHost& host);

    bool step() override;
    void draw(Drawer& drawer) const override;
    void actionPressed(const std::string& action, const SDL_keysym& key) override;
    std::string name() const override { return "Epilogue"; }

    const PilotBody& pilot() const { return body; }
    // The won run's time as the ending shows it, empty when it shows none.
    const std::string& runTimeText() const { return runTime; }
    const LevelGrid& levelGrid() const { return level; }

private:
    LevelGrid level;
    TileSet tiles;
    CloudLayer clouds;
    PilotBody body;
    TrailParticles trail;
    WarpOverlay warp;
    EpilogueTimeline timeline;
    EpilogueTimeline::Step shown; // what the last step put on the screen
    bool stepped = false;         // the rings shrink from the second step on
    std::string runTime;
    std::vector<std::string> results;
    bool endShown = false;
};
