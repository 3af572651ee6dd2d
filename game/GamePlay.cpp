#include "game/GamePlay.h"

#include "app/Application.h"
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

LevelGrid loadedLevel(const FilePath& file)
{
    // A missing level prints its own line; the pilot then stands walled in.
    LevelGrid level;
    level.load(file);
    return level;
}

PilotInput heldOrTapped(PilotInput held, PilotInput tapped)
{
    return PilotInput{static_cast<uint8_t>(held.up | tapped.up), static_cast<uint8_t>(held.left | tapped.left),
                      static_cast<uint8_t>(held.right | tapped.right), static_cast<uint8_t>(held.down | tapped.down)};
}

// Unseen catch-up steps sound too: their sounds start together in the next buffer.
void soundStepEvents(const PilotBody::StepEvents& events)
{
    if (events.wallKickSpeed > 0.0f) {
        AudioSingleton::instance().playWallKick(events.wallKickSpeed);
    }
    if (events.landingSpeed > 0.0f) {
        AudioSingleton::instance().playLanding(events.landingSpeed);
    }
}

} // namespace

GamePlay::GamePlay(Application& owner)
    : GamePlay(owner, FilePath::dataFolder("levels").join("pilot.png"))
{
}

GamePlay::GamePlay(Application& owner, const FilePath& levelFile)
    : GameState(owner), level(loadedLevel(levelFile)),
      climb(level, static_cast<int32_t>(startX), static_cast<int32_t>(startY))
{
    // A level that is not there has nothing worth a record, nor a best run.
    if (!level.empty()) {
        records.emplace(level.contentHash());
        if (std::optional<Replay> best = ReplayShelf(level.contentHash()).best(std::cout))
            ghost.race(std::move(best->steps));
    }
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
}

void GamePlay::frame(Drawer& drawer)
{
    const uint32_t grain = grainTexture.key(drawer, pictures::grain(), false);
    const int font = hudFont.number(drawer, hudFontFile, hudFontSize);

    if (paused) {
        // Drawn from copies: the animation, the trail and the clouds hold
        // still until play goes on.
        PilotBody stillBody = body;
        TrailParticles stillTrail = trail;
        CloudLayer stillClouds = clouds;
        drawWorld(drawer, grain, font, stillBody, stillTrail, stillClouds);
    } else {
        step();
        drawWorld(drawer, grain, font, body, trail, clouds);
    }
    const int64_t best =
        records && records->record().hasBest() ? RunClock::millisecondsFor(records->record().bestSteps) : -1;
    runClockHud::draw(drawer, font, runClock.milliseconds(), best);
    if (paused)
        pauseOverlay::draw(drawer, font);

    if (finished) {
        warp.draw(drawer);
        if (warp.getProgress() >= warpDone) {
            switchTo("Epilogue"); // destroys this screen: nothing may follow
            return;
        }
    }
}

void GamePlay::step()
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
        return;
    }
    runClock.tick();
    body.update(tape.next(stepInput, body), level);
    ghost.step(level);
    kickFlash.step(body.events);
    soundStepEvents(body.events);
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
    std::printf("GamePlay: Run time %s\n", runClock.text().c_str());
    std::fflush(stdout);
    RunOutcome outcome;
    outcome.milliseconds = runClock.milliseconds();
    if (records) {
        if (records->record().hasBest())
            outcome.previousBestMilliseconds = RunClock::millisecondsFor(records->record().bestSteps);
        if (!replayed)
            outcome.newBest = records->offer(runClock.steps(), splits);
    }
    if (!replayed)
        ReplayShelf(level.contentHash()).keep(tape.taken(), std::cout);
    owner.setRunOutcome(outcome); // for the ending, built after this screen is gone
}

void GamePlay::drawWorld(Drawer& drawer, uint32_t grain, int font, PilotBody& shownBody, TrailParticles& shownTrail,
                         CloudLayer& shownClouds)
{
    const Camera camera{shownBody.x + cameraRight, shownBody.y - cameraUp + look.rows()};
    backdrop::show(drawer, backdrop::playSky, grain, skyStill);
    shownClouds.draw(drawer, camera);
    tiles.draw(drawer, level, camera);
    shownTrail.draw(drawer, camera);
    kickFlash.draw(drawer, camera);
    ghost.draw(drawer, camera);
    // The pilot's square is fixed on screen while the view rests; looking
    // moves it the other way, and it is drawn clear of the walls.
    const pilotPlacement::Place drawn = pilotPlacement::drawn(shownBody.x, shownBody.y, level);
    shownBody.draw(drawer, view::cellPixels * (drawn.x - shownBody.x),
                   view::cellPixels * (drawn.y - shownBody.y - look.rows()));
    speedHud::draw(drawer, font, shownBody.flightSpeed());
}

void GamePlay::restart()
{
    // A replay is a recording: it plays as it was kept.
    if (finished || replayed)
        return;
    if (paused)
        resume();
    body = PilotBody{startX, startY};
    trail = TrailParticles{};
    kickFlash = KickFlash{};
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

void GamePlay::actionPressed(const std::string& action, const SDL_keysym&)
{
    if (action == "Escape") {
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
    const std::string hash = level.contentHash();
    if (replay && !replay->levelHash.empty() && replay->levelHash != hash)
        error = "made on level " + replay->levelHash + ", this is " + hash;
    else if (replay) {
        tape.playBack(std::move(replay->steps));
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
