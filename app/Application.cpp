#include "app/Application.h"

#include "app/FatalError.h"
#include "base/Platform.h"
#include "app/Settings.h"
#include "app/StartupOptions.h"
#include "app/TerminationSignals.h"
#include "audio/AudioSingleton.h"
#include "data/Pictures.h"
#include "game/Epilogue.h"
#include "game/GameState.h"
#include "game/GamePlay.h"
#include "base/ImageLoader.h"
#include "game/TitleScreen.h"
#include "render/OpenGLDrawer.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

namespace {

constexpr int16_t logicalWidth = 1280; // logical drawing units
constexpr int16_t logicalHeight = 720;
constexpr float axisScale = 1.0f / 32768.0f; // SDL axis value to about -1..1
// A keyboard focus loss pauses only when no gain answers it within this
// long: without a window manager, giving the window the focus sends a loss
// and a gain together, and nobody has left.
constexpr uint32_t focusLossGraceMilliseconds = 100;
// Quitting fades the sound out first (AudioSingleton::fadeOut). A stream
// that has rendered no buffer in this long is stuck, and the close handles it.
constexpr int fadeWaitMilliseconds = 100;
// The most time given to the faded buffers already on their way out.
constexpr double fadeTrailSeconds = 0.1;

class SdlClock : public LoopClock {
public:
    uint32_t ticks() override { return SDL_GetTicks(); }
    void delay(uint32_t milliseconds) override { SDL_Delay(milliseconds); }
};

SdlClock sdlClock;

} // namespace

Application::Application(const std::vector<std::string>& arguments) : clock(&sdlClock)
{
    const Settings settings = Settings::load();
    bindings.installDefaults();
    // The help needs no display: it is answered before SDL starts, so it
    // works anywhere.
    answerHelp(arguments, PortAudioDevice::offeredHostApiNames, std::cout);

    // Without an X server SDL 1.2 would fall back to drawing text art in the
    // terminal; a desktop game should say it cannot start instead.
    if (std::getenv("SDL_VIDEODRIVER") == nullptr)
        platform::setEnvironment("SDL_VIDEODRIVER", "x11");
    // On the SDL 1.2 interface over SDL 2 (libsdl1.2-compat), OpenGL frames
    // are drawn into an off-screen buffer and scaled onto the window by
    // default. The game letterboxes its own 1280 x 720 area already, so
    // that second pass only costs time: with Mesa's software renderer it
    // took the bare buffer swap from about 1 ms to 20 ms. The classic
    // library ignores the variable.
    if (std::getenv("SDL12COMPAT_OPENGL_SCALING") == nullptr)
        platform::setEnvironment("SDL12COMPAT_OPENGL_SCALING", "0");
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
        throw FatalError(std::string("Could not initialise SDL: ") + SDL_GetError());
    SDL_WM_SetCaption("Vantorrel", nullptr);

    StartupOptions options;
    try {
        options = arguments.empty() ? optionsFromSettings(settings, platform::primaryScreenSize, std::cout)
                                    : interpretArguments(arguments, platform::primaryScreenSize, std::cout);
    } catch (...) {
        // The destructor does not run for a half-built object.
        SDL_Quit();
        throw;
    }
    width = options.width;
    height = options.height;
    noSound = options.noSound;
    noMusic = options.noMusic;
    levelFile = options.levelFile;
    // The assists are the player's: kept in the settings whatever the start,
    // each overridden by its switch on the command line.
    assists = settings.assists;
    if (options.gameSpeed)
        assists.gameSpeed = *options.gameSpeed;
    if (options.kickBuffer)
        assists.kickBuffer = true;
    pacer.setSpeed(assists.gameSpeed);

    drawer = std::make_unique<OpenGLDrawer>(logicalWidth, logicalHeight);
    // Both sides lie in 1..16384 by now, so the 16-bit sizes cannot wrap.
    displayReady = drawer->initDisplay(static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                                       options.fullScreen, options.antialias);
    // The drawer may have fallen back to the screen's size.
    if (const SDL_Surface* opened = SDL_GetVideoSurface(); displayReady && opened != nullptr) {
        width = opened->w;
        height = opened->h;
    }

    state = firstScreen(options.replayFile);

    SDL_JoystickEventState(SDL_ENABLE);
    for (int index = 0; index < SDL_NumJoysticks(); ++index)
        joysticks.push_back(SDL_JoystickOpen(index));

    audioDevice.setCallback(this);
    audioDevice.setChannels(0, 2);
    audioDevice.setSampleRate(SampleRate::reference);
    audioDevice.setHostApi(options.audioApi);
    // A game already asked to end need not wait for the sound system.
    if (!noSound && !platform::terminationRequested()) {
        AudioSingleton::instance().setMusicEnabled(!noMusic);
        if (audioDevice.open())
            AudioSingleton::instance().awaitStream(audioDevice.outputLatencySeconds());
    }

    SDL_ShowCursor(SDL_DISABLE);
}

Application::~Application()
{
    // The audio thread must stop calling process before anything goes away.
    // When the sound system does not let it stop, the game still leaves on
    // time, without tearing down anything that thread could still reach.
    if (!noSound)
        fadeOutSound();
    if (!noSound && (!audioDevice.close() || audioDevice.isLeftBehind())) {
        std::cout.flush();
        std::_Exit(displayReady ? 0 : 1);
    }
    for (SDL_Joystick* joystick : joysticks)
        if (joystick != nullptr)
            SDL_JoystickClose(joystick);
    drawer.reset();
    state.reset();
    SDL_Quit();
}

std::unique_ptr<GameState> Application::firstScreen(const std::string& replayFile)
{
    if (!replayFile.empty()) {
        std::unique_ptr<GamePlay> play = newPlayScreen();
        if (play->playReplay(replayFile))
            return play;
    }
    return std::make_unique<TitleScreen>(*this);
}

std::unique_ptr<GamePlay> Application::newPlayScreen()
{
    return levelFile.empty() ? std::make_unique<GamePlay>(*this)
                             : std::make_unique<GamePlay>(*this, FilePath(levelFile));
}

void Application::run()
{
    loadGlyphs();
    // Without a display nobody could see the game or quit it.
    if (!displayReady)
        return;
    while (runIteration()) {
    }
}

bool Application::runIteration()
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        dispatchEvent(event);
    if (platform::terminationRequested())
        quitRequested = true;
    if (quitRequested)
        return false;

    // Timing rules: base/FramePacer.h.
    uint32_t now = clock->ticks();
    bool slept = false;
    for (uint32_t wait = pacer.waitAt(now); wait > 0; wait = pacer.waitAt(now)) {
        clock->delay(wait);
        now = clock->ticks();
        slept = true;
    }
    // What came in during the sleep reaches the step about to run instead of
    // waiting for the next iteration (rule 4).
    if (slept) {
        while (SDL_PollEvent(&event))
            dispatchEvent(event);
        if (quitRequested)
            return false;
    }
    settleFocusLoss(now);
    const int steps = pacer.stepsAt(now);

    // Every step that is due runs, and the screen they leave is drawn once
    // (rule 2). A screen that ends before its step hands the step to the
    // next one, and whatever screen is current then is the one drawn.
    for (int step = 1; step <= steps; ++step) {
        if (state && !state->step() && state)
            state->step();
        if (quitRequested && step < steps)
            return true; // the next poll ends the loop
    }
    drawer->beginFrame();
    if (state)
        state->draw(*drawer);
    drawer->endFrame();
    return true;
}

void Application::settleFocusLoss(uint32_t now)
{
    if (!focusLossAt || now - *focusLossAt < focusLossGraceMilliseconds)
        return;
    focusLossAt.reset();
    if (state)
        state->focusLost();
}

void Application::fadeOutSound()
{
    if (!audioDevice.isStarted())
        return;
    AudioSingleton& engine = AudioSingleton::instance();
    engine.fadeOut();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(fadeWaitMilliseconds);
    while (!engine.fadedOut() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (engine.fadedOut())
        std::this_thread::sleep_for(
            std::chrono::duration<double>(std::min(audioDevice.outputLatencySeconds(), fadeTrailSeconds)));
}

void Application::loadGlyphs()
{
    ImageLoader loader;
    for (int slot = 0; slot < pictures::glyphCount; ++slot) {
        const EmbeddedBytes bytes = pictures::glyph(slot);
        const RgbaImage image = loader.loadFromMemory(bytes.data, static_cast<int32_t>(bytes.length));
        // An undecodable picture leaves the slot's placeholder in place.
        if (image.pixels != nullptr)
            drawer->setGlyph(slot, image.pixels, pictures::glyphSize);
    }
}

void Application::quit()
{
    quitRequested = true;
}

void Application::switchState(const std::string& name)
{
    // The old screen goes before the new one is built, so whatever it holds
    // (the audio loop listener, say) is released first.
    focusLossAt.reset(); // a waiting focus loss was the old screen's
    if (name == "GamePlay") {
        state.reset();
        state = newPlayScreen();
    } else if (name == "Epilogue") {
        state.reset();
        state = std::make_unique<Epilogue>(*this);
    } else if (name == "TitleScreen") {
        state.reset();
        state = std::make_unique<TitleScreen>(*this);
    }
}

void Application::setAssists(const Assists& chosen)
{
    if (chosen == assists)
        return;
    assists = chosen;
    pacer.setSpeed(replayPace.value_or(assists.gameSpeed));
    saveAssists(assists);
}

void Application::setReplayPace(std::optional<int> percent)
{
    if (percent == replayPace)
        return;
    replayPace = percent;
    pacer.setSpeed(replayPace.value_or(assists.gameSpeed));
}

void Application::replaceState(std::unique_ptr<GameState> next)
{
    focusLossAt.reset();
    state.reset();
    state = std::move(next);
}

void Application::prepare(double framesPerSecond)
{
    if (!SampleRate::accepts(framesPerSecond))
        std::cout << "Application: the sound runs at " << framesPerSecond << " Hz; the music is tuned for "
                  << SampleRate::reference << " Hz." << std::endl;
    AudioSingleton::instance().setSampleRate(SampleRate(framesPerSecond));
}

void Application::process(const void*, void* output, uint32_t frames)
{
    float* out = static_cast<float*>(output);
    const int32_t count = static_cast<int32_t>(frames);
    for (int32_t i = 0; i < 2 * count; ++i)
        out[i] = 0.0f;
    AudioSingleton::instance().render(out, count);
}

void Application::setClock(LoopClock* newClock)
{
    clock = newClock != nullptr ? newClock : &sdlClock;
}

void Application::logicalMouse(int x, int y, int& logicalX, int& logicalY) const
{
    // The requested size may be 0 (a settings file can say so); then the
    // window SDL actually opened is the measure.
    float windowW = static_cast<float>(width);
    float windowH = static_cast<float>(height);
    if (width <= 0 || height <= 0) {
        const SDL_Surface* surface = SDL_GetVideoSurface();
        windowW = surface != nullptr ? static_cast<float>(surface->w) : 0.0f;
        windowH = surface != nullptr ? static_cast<float>(surface->h) : 0.0f;
    }
    if (windowW <= 0.0f || windowH <= 0.0f) {
        logicalX = 0;
        logicalY = 0;
        return;
    }
    const float fractionX = static_cast<float>(x) / windowW;
    const float fractionY = static_cast<float>(y) / windowH;
    logicalX = static_cast<int>(fractionX * static_cast<float>(drawer->getWidth()));
    logicalY = static_cast<int>(fractionY * static_cast<float>(drawer->getHeight()));
}

void Application::steer(int joystick, const PadSteering::Changes& changes)
{
    const SDL_keysym none{};
    for (int i = 0; i < changes.count && state; ++i) {
        const std::string action = bindings.joystickAction(joystick, changes.changes[i].direction);
        if (action.empty())
            continue;
        if (changes.changes[i].held)
            state->actionPressed(action, none);
        else
            state->actionReleased(action, none);
    }
}

void Application::dispatchEvent(const SDL_Event& event)
{
    if (event.type == SDL_QUIT) {
        quitRequested = true;
        return;
    }
    if (!state)
        return;
    // A handler may switch screens, so `state` is read afresh for every call.
    int x = 0;
    int y = 0;
    switch (event.type) {
    case SDL_KEYDOWN:
        state->actionPressed(bindings.keyAction(event.key.keysym), event.key.keysym);
        break;
    case SDL_KEYUP:
        state->actionReleased(bindings.keyAction(event.key.keysym), event.key.keysym);
        break;
    case SDL_MOUSEMOTION:
        logicalMouse(event.motion.x, event.motion.y, x, y);
        state->mouseMoved(x, y);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_WHEELUP) {
            state->mouseWheel(false);
        } else if (event.button.button == SDL_BUTTON_WHEELDOWN) {
            state->mouseWheel(true);
        } else {
            logicalMouse(event.button.x, event.button.y, x, y);
            state->mousePressed(event.button.button, x, y);
        }
        break;
    case SDL_MOUSEBUTTONUP:
        logicalMouse(event.button.x, event.button.y, x, y);
        state->mouseReleased(event.button.button, x, y);
        break;
    case SDL_JOYAXISMOTION: {
        const float value = static_cast<float>(event.jaxis.value) * axisScale;
        const InputBindings::AxisReports reports = InputBindings::axisReports(event.jaxis.axis, value);
        for (int i = 0; i < reports.count && state; ++i) {
            const InputBindings::AxisReport& report = reports.reports[i];
            state->joystickAxis(bindings.joystickAction(event.jaxis.which, report.direction), report.amount,
                                event.jaxis.which, report.direction);
        }
        steer(event.jaxis.which, padSteering.axisMoved(event.jaxis.which, event.jaxis.axis, value));
        break;
    }
    case SDL_JOYHATMOTION:
        steer(event.jhat.which, padSteering.hatMoved(event.jhat.which, event.jhat.hat, event.jhat.value));
        break;
    case SDL_JOYBUTTONDOWN: {
        const SDL_keysym none{};
        state->actionPressed(bindings.buttonAction(event.jbutton.which, event.jbutton.button), none);
        break;
    }
    case SDL_ACTIVEEVENT:
        // Mouse focus alone does not count: the keys still reach the game.
        // The loss waits for the loop (settleFocusLoss); a gain answers it.
        if ((event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) == 0)
            break;
        if (event.active.gain == 0) {
            if (!focusLossAt)
                focusLossAt = clock->ticks();
        } else {
            focusLossAt.reset();
        }
        break;
    case SDL_JOYBUTTONUP: {
        const SDL_keysym none{};
        state->actionReleased(bindings.buttonAction(event.jbutton.which, event.jbutton.button), none);
        break;
    }
    default:
        break;
    }
}
