#pragma once
#include "audio/AudioSingleton.h"
#include "game/AssistsPanel.h"
#include "game/ClimbSplits.h"
#include "game/KickFlash.h"
#include "game/CloudLayer.h"
#include "game/GameMusic.h"
#include "game/GameState.h"
#include "game/Ghost.h"
#include "game/LevelGrid.h"
#include "game/PilotBody.h"
#include "game/PilotInput.h"
#include "game/LookCamera.h"
#include "game/PilotPlacement.h"
#include "game/PlayLevel.h"
#include "game/PressMarks.h"
#include "game/SituationHints.h"
#include "game/RecordFile.h"
#include "game/RunClock.h"
#include "game/RunTape.h"
#include "game/TileSet.h"
#include "game/TrailParticles.h"
#include "game/WarpOverlay.h"
#include "base/FilePath.h"

#include <atomic>
#include <optional>

// The play screen: the pilot runs through the level until a wall kick reaches
// the winning speed, the screen warps and the ending follows. It also steers
// the music while the player moves, keeps the run's clock and splits against
// the level's record, and can restart the climb or pause.
class GamePlay : public GameState, public AudioSingleton::Callback {
public:
    static constexpr float startX = PlayLevel::startX; // cells
    static constexpr float startY = PlayLevel::startY;
    // Steps at the start of play in which a jump press is dropped. The title
    // story moves on by itself as well as by presses, so whoever presses
    // through it cannot tell which press will be its last: the next one, a
    // moment later, or a second key rolled with it, is not meant as a jump.
    static constexpr int32_t startSettleSteps = 12; // 180 ms

    explicit GamePlay(ScreenHost& host);
    // Plays another level picture (tests use this).
    GamePlay(ScreenHost& host, const FilePath& levelFile);
    // Plays a level read already, perhaps on another thread; its replay, if
    // any, is left for playReplay.
    GamePlay(ScreenHost& host, PlayLevel&& loaded);
    ~GamePlay() override;

    // Nothing moves while paused. Once the rings have closed the screen
    // after the win, the ending takes over and takes the step.
    bool step() override;
    void draw(Drawer& drawer) const override;
    void actionPressed(const std::string& action, const SDL_keysym& key) override;
    void actionReleased(const std::string& action, const SDL_keysym& key) override;
    void focusLost() override;
    std::string name() const override { return "GamePlay"; }

    // Back to the start cell with a fresh clock and no splits, at once; the
    // held directions stay held. Nothing once the run is won.
    void restart();
    // Steps, the clock and the music stop until resume; held directions are
    // let go, since their releases may go to another window meanwhile.
    void pause();
    void resume();
    bool isPaused() const { return paused; }
    const AssistsPanel& getAssistsPanel() const { return assistsPanel; }
    // A replayed run plays like a live one but never sets a record.
    void setReplaying(bool replaying) { replayed = replaying; }
    bool isReplaying() const { return replayed; }

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
    const LookCamera& getLook() const { return look; }
    // Where the pilot's box is drawn, in cells: clear of solid cells.
    pilotPlacement::Place drawnPilot() const;
    const ClimbSplits& getClimb() const { return climb; }
    // The best flight speed of this run so far, held on the speed bar.
    float getBestFlightSpeed() const { return bestFlightSpeed; }
    const PressMarks& getPressMarks() const { return pressMarks; }
    const SituationHints& getHints() const { return hints; }
    // The step at which this run first reached each tenth of the climb; -1: not yet.
    const LevelRecord::Splits& getSplits() const { return splits; }
    // None when the level could not be loaded (or, for the assisted
    // record, when there is no data folder).
    const std::optional<RecordFile>& getRecords(levelfiles::Kind kind) const
    {
        return kind == levelfiles::Kind::assisted ? assistedRecords : records;
    }

    // Plays the replay or levelcheck route in the file from the first step,
    // in place of the player's keys, with the assists it was made with (the
    // pace through the host); call it before the first step. One that
    // cannot be read, is damaged or was made on another level is refused
    // with one line: false, and this screen stays a live run.
    bool playReplay(const std::string& path);
    // The same with the file read already (PlayLevel::replay, replayError).
    bool playReplay(const std::string& path, std::optional<Replay> replay, std::string error);
    // A replay's win is not the player's: it is never kept and never sets a
    // record (isReplaying).
    const Ghost& getGhost() const { return ghost; }

private:
    // What the last step showed moves on: animations, stars, clouds, flames
    // and the closing rings.
    void stepLooks();
    // The run: input, pilot, ghost, clock, splits and the win.
    void stepRun();
    void win();
    // The kind of record this run is measured against: assisted once an
    // assist helped a step of the player's, or is on for the next one.
    levelfiles::Kind runKind() const;
    void drawWorld(Drawer& drawer, uint32_t grain, int font) const;

    LevelGrid level;
    ClimbSplits climb;
    std::optional<RecordFile> records;
    std::optional<RecordFile> assistedRecords;
    TileSet tiles;
    CloudLayer clouds;
    PilotBody body{startX, startY};
    TrailParticles trail;
    WarpOverlay warp{false};
    bool finished = false;
    RunClock runClock; // steps from the first frame to the win
    LevelRecord::Splits splits = LevelRecord::noSplits();
    int splitsReached = 0;
    bool paused = false;
    AssistsPanel assistsPanel; // opened only while paused
    bool musicBeforePause = true;
    bool replayed = false;
    int32_t stepsPlayed = 0; // counted up to startSettleSteps
    LookCamera look;
    KickFlash kickFlash;
    PressMarks pressMarks;
    SituationHints hints;
    float bestFlightSpeed = 0.0f; // cells per frame
    PilotInput input;
    PilotInput tapped; // pressed since the last step
    RunTape tape;
    Ghost ghost{startX, startY}; // the level's best run of this run's kind
    GameMusic music;
    // The pilot's velocities as last published by the game thread; the audio
    // thread reads these instead of the body, which the game thread writes.
    std::atomic<float> publishedVx{0.0f};
    std::atomic<float> publishedVy{0.0f};
};
