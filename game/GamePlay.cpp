#include "game/GamePlay.h"

#include "app/Application.h"
#include "app/RandomGenerator.h"
#include "data/Pictures.h"
#include "game/Backdrop.h"
#include "game/Camera.h"
#include "game/PictureTexture.h"
#include "game/ReplayShelf.h"
#include "game/SpeedHud.h"
#include "render/Drawer.h"
#include "render/FilePath.h"

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

} // namespace

GamePlay::GamePlay(Application& owner)
    : GamePlay(owner, FilePath::dataDirectory().join("levels").join("pilot.png"))
{
}

GamePlay::GamePlay(Application& owner, const FilePath& levelFile) : GameState(owner)
{
    // A missing level prints its own line; the pilot then stands walled in.
    if (level.load(levelFile)) {
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
}

void GamePlay::frame(Drawer& drawer)
{
    const uint32_t grain = grainTexture.key(drawer, pictures::grain(), false);
    const int font = hudFont.number(drawer, hudFontFile, hudFontSize);

    // A direction pressed since the last step holds for this one even if it
    // was released before it (app/FramePacer.h, rule 4).
    const PilotInput heldNow = heldOrTapped(input, tapped);
    tapped = PilotInput{};
    if (!finished) {
        runClock.tick();
        body.update(tape.next(heldNow, body), level);
        ghost.step(level);
        publishedVx.store(body.vx, std::memory_order_relaxed);
        publishedVy.store(body.vy, std::memory_order_relaxed);
        if (body.airborne) {
            trail.spawn(body);
        }
        if (body.flightSpeed() >= PilotBody::winningFlightSpeed) {
            finished = true;
            body.beginWarp();
            std::printf("GamePlay: Run time %s\n", runClock.text().c_str());
            std::fflush(stdout);
            owner.setRunMilliseconds(runClock.milliseconds()); // for the ending, built after this screen is gone
            if (!tape.isPlayback())
                ReplayShelf(level.contentHash()).keep(tape.taken(), std::cout);
        }
    }

    const Camera camera{body.x + cameraRight, body.y - cameraUp};
    backdrop::show(drawer, backdrop::playSky, grain, skyStill);
    clouds.draw(drawer, camera);
    tiles.draw(drawer, level, camera);
    trail.draw(drawer, camera);
    ghost.draw(drawer, camera);
    body.draw(drawer);
    speedHud::draw(drawer, font, body.flightSpeed());

    if (finished) {
        warp.draw(drawer);
        if (warp.getProgress() >= warpDone) {
            switchTo("Epilogue"); // destroys this screen: nothing may follow
            return;
        }
    }
}

void GamePlay::actionPressed(const std::string& action, const SDL_keysym&)
{
    if (action == "Escape") {
        quit();
    } else if (action == "P1Up") {
        input.up = tapped.up = 1;
    } else if (action == "P1Left") {
        input.left = tapped.left = 1;
    } else if (action == "P1Right") {
        input.right = tapped.right = 1;
    } else if (action == "P1Down") {
        input.down = tapped.down = 1;
    } else if (action == "Action") {
        body.requestJump();
    } else if (action == "Ghost") {
        ghost.toggle();
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
    else if (replay)
        tape.playBack(std::move(replay->steps));
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
