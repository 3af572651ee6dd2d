#include "game/GamePlay.h"

#include "base/RandomGenerator.h"
#include "data/Pictures.h"
#include "game/Backdrop.h"
#include "game/Camera.h"
#include "game/PauseOverlay.h"
#include "game/PictureTexture.h"
#include "game/PilotPlacement.h"
#include "game/ReplayShelf.h"
#include "game/RunClockHud.h"
#include "game/RunOutcome.h"
#include "game/ScreenHost.h"
#include "game/SpeedHud.h"
#include "render/Drawer.h"
#include "base/FilePath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

namespace {

constexpr float cameraRight = 1.5f; // cells the camera sits right of the pilot's corner
constexpr float cameraUp = 1.5f;    // and above it
constexpr float warpDone = 1.0f;    // overlay progress at which the ending begins
constexpr const char* hudFontFile = "MarsNeedsCunnilingus.ttf";
constexpr float hudFontSize = 64.0f; // points

// The sequencer of the process-wide audio engine as a StepWriter.
class EngineSteps : public StepWriter {
public:
    void toggleStep(int track, int step, int value) override
    {
        AudioSingleton::instance().toggleStep(track, step, value);
    }
};

// Kept for the whole process and shared by every later play screen.
ProcessTexture grainTexture;
ProcessFont hudFont;
ProcessStill skyStill;

PilotInput heldOrTapped(PilotInput held, PilotInput tapped)
{
    return PilotInput{static_cast<uint8_t>(held.up | tapped.up), static_cast<uint8_t>(held.left | tapped.left),
                      static_cast<uint8_t>(held.right | tapped.right), static_cast<uint8_t>(held.down | tapped.down)};
}

// Unseen catch-up steps sound too: their sounds start together in the next buffer.
void soundStepEvents(const PilotBody::StepEvents& events)
{
    // A kick that ended at once sags instead of chirping: it gave no flight.
    if (events.kickEndedAtOnce) {
        AudioSingleton::instance().playPressCue(PressCue::Kind::fallingKick);
    } else if (events.wallKickSpeed > 0.0f) {
        AudioSingleton::instance().playWallKick(events.wallKickSpeed);
    }
    if (events.pressWasted) {
        AudioSingleton::instance().playPressCue(PressCue::Kind::wastedPress);
    }
    if (events.landingSpeed > 0.0f) {
        AudioSingleton::instance().playLanding(events.landingSpeed);
    }
}

} // namespace

GamePlay::GamePlay(ScreenHost& host)
    : GamePlay(host, FilePath::dataFolder("levels").join("pilot.png"))
{
}

GamePlay::GamePlay(ScreenHost& host, const FilePath& levelFile)
    : GamePlay(host, PlayLevel(levelFile, {}, host.getAssists().any()))
{
}

GamePlay::GamePlay(ScreenHost& host, PlayLevel&& loaded)
    : GameState(host), level(std::move(loaded.level)), climb(loaded.climb), records(std::move(loaded.records)),
      assistedRecords(std::move(loaded.assistedRecords))
{
    if (loaded.best)
        ghost.race(std::move(loaded.best->steps), loaded.best->assists.kickBuffer);
    EngineSteps steps;
    GameMusic::writeBassLine(steps);
    AudioSingleton::instance().restartSequence();
    AudioSingleton::instance().setLoopListener(this);
}

GamePlay::~GamePlay()
{
    // Waits for a running onLoopStart, so nothing below is touched from the
    // audio thread any more.
    AudioSingleton::instance().setLoopListener(nullptr);
    AudioSingleton::instance().clearSteps();
    if (paused)
        AudioSingleton::instance().setMusicEnabled(musicBeforePause);
    if (tape.isPlayback())
        host.setReplayPace(std::nullopt);
}

bool GamePlay::step()
{
    if (paused)
        return true;
    stepLooks();
    if (finished && warp.getProgress() >= warpDone) {
        switchTo("Epilogue"); // destroys this screen: nothing may follow
        return false;
    }
    stepRun();
    return true;
}

void GamePlay::stepLooks()
{
    clouds.step();
    tiles.step();
    trail.step();
    ghost.stepLook();
    body.stepLook();
    if (finished)
        warp.step();
}

void GamePlay::draw(Drawer& drawer) const
{
    const uint32_t grain = grainTexture.key(drawer, pictures::grain(), false);
    const int font = hudFont.number(drawer, hudFontFile, hudFontSize);

    drawWorld(drawer, grain, font);
    const std::optional<RecordFile>& kept = getRecords(runKind());
    const int64_t best = kept && kept->record().hasBest() ? RunClock::millisecondsFor(kept->record().bestSteps) : -1;
    runClockHud::draw(drawer, font, runClock.milliseconds(), best);
    if (!finished)
        hints.draw(drawer);
    if (paused)
        pauseOverlay::draw(drawer, font, assistsPanel.isOpen());
    assistsPanel.draw(drawer, host.getAssists());
    if (finished)
        warp.draw(drawer);
}

void GamePlay::stepRun()
{
    // A direction pressed since the last step holds for this one even if it
    // was released before it (base/FramePacer.h, rule 4).
    const PilotInput stepInput = heldOrTapped(input, tapped);
    tapped = PilotInput{};
    stepsPlayed = std::min(stepsPlayed + 1, startSettleSteps);
    // After the win the keys no longer look around: the view settles back.
    look.step(finished ? PilotInput{} : stepInput);
    if (finished) {
        kickFlash.step(PilotBody::StepEvents{});
        pressMarks.step(PilotBody::StepEvents{}, body.x, body.y);
        return;
    }
    runClock.tick();
    // A replay plays by the assists it was kept with, the player's none of them.
    body.update(tape.next(stepInput, body, host.getAssists()), level);
    if (tape.ranOutThisStep()) {
        host.setReplayPace(std::nullopt);
        std::cout << "GamePlay: The replay ended after " << tape.taken().size() - 1
                  << " steps without a win; the keys are yours (R starts a run of your own)" << std::endl;
    }
    ghost.step(level);
    kickFlash.step(body.events);
    pressMarks.step(body.events, body.x, body.y);
    hints.step(body.events, body.x, body.y, level);
    soundStepEvents(body.events);
    bestFlightSpeed = std::max(bestFlightSpeed, body.flightSpeed());
    publishedVx.store(body.vx, std::memory_order_relaxed);
    publishedVy.store(body.vy, std::memory_order_relaxed);
    if (body.airborne) {
        trail.spawn(body);
    }
    for (const int reached = climb.tenthsAt(body.y); splitsReached < reached; ++splitsReached)
        splits[static_cast<size_t>(splitsReached)] = runClock.steps();
    if (body.flightSpeed() >= PilotBody::winningFlightSpeed)
        win();
}

void GamePlay::win()
{
    finished = true;
    body.beginWarp();
    AudioSingleton::instance().playMark();
    // A replay's time is marked by the assists it was made with.
    const bool assisted = tape.liveAssists().any() || (replayed && tape.recordedAssists().any());
    std::printf("GamePlay: Run time %s%s\n", runClock.text().c_str(), assisted ? " (assisted)" : "");
    std::fflush(stdout);
    RunOutcome outcome;
    outcome.milliseconds = runClock.milliseconds();
    outcome.assisted = assisted;
    // An assisted run is kept apart: it is compared with, and may replace,
    // only the assisted record and best replay, never the unassisted ones.
    const levelfiles::Kind kind = assisted ? levelfiles::Kind::assisted : levelfiles::Kind::unassisted;
    std::optional<RecordFile>& kept = assisted ? assistedRecords : records;
    if (kept) {
        int64_t previousBest = kept->record().bestSteps;
        if (!replayed) {
            const RecordFile::Offer offered = kept->offer(runClock.steps(), splits);
            outcome.newBest = offered.newBest;
            previousBest = offered.previousBestSteps;
        }
        if (previousBest > 0)
            outcome.previousBestMilliseconds = RunClock::millisecondsFor(previousBest);
    }
    if (!replayed && tape.kickBufferSwitched())
        std::cout << "GamePlay: Not keeping a replay of this run: the kick buffer was switched during it"
                  << std::endl;
    else if (!replayed)
        ReplayShelf(level.contentHash(), kind).keep(tape.taken(), tape.liveAssists(), std::cout);
    host.setRunOutcome(outcome); // for the ending, built after this screen is gone
}

levelfiles::Kind GamePlay::runKind() const
{
    const Assists& next = tape.isPlayback() ? tape.recordedAssists() : host.getAssists();
    return tape.liveAssists().any() || next.any() ? levelfiles::Kind::assisted : levelfiles::Kind::unassisted;
}

void GamePlay::drawWorld(Drawer& drawer, uint32_t grain, int font) const
{
    const Camera camera{body.x + cameraRight, body.y - cameraUp + look.rows()};
    // The sky only where no opaque tile will cover it.
    const UncoveredAreas open = tiles.uncovered(level, camera);
    backdrop::show(drawer, backdrop::playSky, grain, skyStill, open.areas.data(), open.count);
    clouds.draw(drawer, camera, open.areas.data(), open.count);
    tiles.draw(drawer, level, camera);
    trail.draw(drawer, camera);
    kickFlash.draw(drawer, camera);
    ghost.draw(drawer, camera);
    // The pilot's square is fixed on screen while the view rests; looking
    // moves it the other way, and it is drawn clear of the walls.
    const pilotPlacement::Place drawn = pilotPlacement::drawn(body.x, body.y, level);
    body.draw(drawer, view::cellPixels * (drawn.x - body.x), view::cellPixels * (drawn.y - body.y - look.rows()));
    pressMarks.draw(drawer, camera); // over the pilot: a cue it hides is no cue
    speedHud::draw(drawer, font, body.flightSpeed(), bestFlightSpeed);
}

void GamePlay::restart()
{
    // A replay is a recording: it plays as it was kept. Once it has run out
    // the player steers, and a fresh start is a run of the player's own.
    if (finished || tape.isPlayback())
        return;
    replayed = false;
    if (paused)
        resume();
    body = PilotBody{startX, startY};
    trail = TrailParticles{};
    kickFlash = KickFlash{};
    pressMarks = PressMarks{};
    hints = SituationHints{};
    bestFlightSpeed = 0.0f;
    tape = RunTape{};
    ghost.restart();
    runClock = RunClock{};
    splits = LevelRecord::noSplits();
    splitsReached = 0;
    tapped = PilotInput{};
    publishedVx.store(0.0f, std::memory_order_relaxed);
    publishedVy.store(0.0f, std::memory_order_relaxed);
}

void GamePlay::pause()
{
    if (paused || finished)
        return;
    paused = true;
    input = PilotInput{};
    tapped = PilotInput{};
    body.jumpRequested = false;
    musicBeforePause = AudioSingleton::instance().musicEnabled();
    AudioSingleton::instance().setMusicEnabled(false);
}

void GamePlay::resume()
{
    if (!paused)
        return;
    paused = false;
    AudioSingleton::instance().setMusicEnabled(musicBeforePause);
}

void GamePlay::focusLost()
{
    pause();
}

void GamePlay::actionPressed(const std::string& action, const SDL_keysym& key)
{
    // The panel opens only on the pause screen: its key lies beside the jump
    // key, and a slip in play must not stop the run.
    Assists chosen = host.getAssists();
    if (paused && assistsPanel.press(action, key.sym, chosen)) {
        host.setAssists(chosen);
    } else if (action == "Escape") {
        quit();
    } else if (action == "Pause") {
        paused ? resume() : pause();
    } else if (action == "Retry") {
        restart();
    } else if (action == "Ghost") {
        ghost.toggle();
    } else if (paused) {
        return; // nothing else reaches a stopped pilot
    } else if (action == "P1Up") {
        input.up = tapped.up = 1;
    } else if (action == "P1Left") {
        input.left = tapped.left = 1;
    } else if (action == "P1Right") {
        input.right = tapped.right = 1;
    } else if (action == "P1Down") {
        input.down = tapped.down = 1;
    } else if (action == "Action" && stepsPlayed >= startSettleSteps) {
        body.requestJump();
    }
}

void GamePlay::actionReleased(const std::string& action, const SDL_keysym&)
{
    if (action == "P1Up") {
        input.up = 0;
    } else if (action == "P1Left") {
        input.left = 0;
    } else if (action == "P1Right") {
        input.right = 0;
    } else if (action == "P1Down") {
        input.down = 0;
    }
}

bool GamePlay::playReplay(const std::string& path)
{
    std::string error;
    std::optional<Replay> replay = replayfile::load(path, error);
    return playReplay(path, std::move(replay), std::move(error));
}

bool GamePlay::playReplay(const std::string& path, std::optional<Replay> replay, std::string error)
{
    const std::string hash = level.contentHash();
    if (replay && !replay->levelHash.empty() && replay->levelHash != hash)
        error = "made on level " + replay->levelHash + ", this is " + hash;
    else if (replay) {
        tape.playBack(std::move(replay->steps), replay->assists);
        host.setReplayPace(replay->assists.gameSpeed);
        setReplaying(true);
    }
    if (!error.empty())
        std::cout << "GamePlay: Not playing " << path << ": " << error << std::endl;
    return error.empty();
}

void GamePlay::onLoopStart()
{
    const float vx = publishedVx.load(std::memory_order_relaxed);
    const float vy = publishedVy.load(std::memory_order_relaxed);
    EngineSteps steps;
    music.onLoopStart(steps, std::sqrt(vx * vx + vy * vy), RandomGenerator::instance());
}

pilotPlacement::Place GamePlay::drawnPilot() const
{
    return pilotPlacement::drawn(body.x, body.y, level);
}
