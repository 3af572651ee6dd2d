#pragma once
#include "app/GameState.h"
#include "audio/AudioSingleton.h"
#include "game/CloudLayer.h"
#include "game/GameMusic.h"
#include "game/Ghost.h"
#include "game/LevelGrid.h"
#include "game/PilotBody.h"
#include "game/PilotInput.h"
#include "game/RunClock.h"
#include "game/RunTape.h"
#include "game/TileSet.h"
#include "game/TrailParticles.h"
#include "game/WarpOverlay.h"
#include "render/FilePath.h"

#include <atomic>

// The play screen: the pilot runs through the level until a wall kick reaches
// the winning speed, the screen warps and the ending follows. It also steers
// the music while the player moves.
class GamePlay : public GameState, public AudioSingleton::Callback {
public:
    static constexpr float startX = 60.0f; // cells
    static constexpr float startY = 984.0f;

    explicit GamePlay(Application& owner);
    // Plays another level picture (tests use this).
    GamePlay(Application& owner, const FilePath& levelFile);
    ~GamePlay() override;

    void frame(Drawer& drawer) override;
    void actionPressed(const std::string& action, const SDL_keysym& key) override;
    void actionReleased(const std::string& action, const SDL_keysym& key) override;
    std::string name() const override { return "GamePlay"; }

    // Audio thread, once per sequencer loop.
    void onLoopStart() override;

    const PilotBody& getBody() const { return body; }
    // The directions held now; the next step also takes those pressed since
    // the last step, released or not.
    const PilotInput& getInput() const { return input; }
    const PilotInput& getTapped() const { return tapped; }
    const LevelGrid& getLevel() const { return level; }
    const WarpOverlay& getWarp() const { return warp; }
    bool isFinished() const { return finished; }
    const RunClock& getRunClock() const { return runClock; }
    int32_t getLoopCount() const { return music.getLoopCount(); }

    // Plays the replay or levelcheck route in the file from the first step,
    // in place of the player's keys; call it before the first step. One that
    // cannot be read, is damaged or was made on another level is refused
    // with one line: false, and this screen stays a live run.
    bool playReplay(const std::string& path);
    // A replay's win is not the player's: it is never kept and never sets a
    // record.
    bool isReplay() const { return tape.isPlayback(); }
    const Ghost& getGhost() const { return ghost; }

private:
    LevelGrid level;
    TileSet tiles;
    CloudLayer clouds;
    PilotBody body{startX, startY};
    TrailParticles trail;
    WarpOverlay warp{false};
    bool finished = false;
    RunClock runClock; // steps from the first frame to the win
    PilotInput input;
    PilotInput tapped; // pressed since the last step
    RunTape tape;
    Ghost ghost{startX, startY}; // the level's best run
    GameMusic music;
    // The pilot's velocities as last published by the game thread; the audio
    // thread reads these instead of the body, which the game thread writes.
    std::atomic<float> publishedVx{0.0f};
    std::atomic<float> publishedVy{0.0f};
};
