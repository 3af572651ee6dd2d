#pragma once
#include <SDL/SDL_keyboard.h>
#include <string>

class Drawer;
class ScreenHost;

// One screen of the game. Its host owns exactly one and hands it every step,
// every frame to draw and every input, already translated into action names.
// Steps and drawing are apart: `step` advances one fixed 15 ms step and
// draws nothing; `draw` shows the screen as the last step left it and
// changes nothing but the drawer's caches, so a frame may show any number
// of steps, none included.
class GameState {
public:
    explicit GameState(ScreenHost& host) : host(host) {}
    virtual ~GameState() = default;

    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    // One step. False when the screen ended before taking it and switched to
    // the next one: this screen is gone then and the step is the next one's.
    virtual bool step() = 0;
    virtual void draw(Drawer& drawer) const = 0;
    // One step, then the screen it leaves drawn.
    void frame(Drawer& drawer);

    virtual void actionPressed(const std::string& action, const SDL_keysym& key);
    virtual void actionReleased(const std::string& action, const SDL_keysym& key);
    virtual void mousePressed(int button, int x, int y);
    virtual void mouseReleased(int button, int x, int y);
    virtual void mouseMoved(int x, int y);
    virtual void mouseWheel(bool down);
    virtual void joystickAxis(const std::string& action, float amount, int joystick, int direction);
    // The window lost the keyboard or was hidden.
    virtual void focusLost();
    virtual std::string name() const = 0;

    void quit();
    // Replaces this state at once: after it returns, `this` is gone, so it
    // must be the caller's last use of its own members.
    void switchTo(const std::string& stateName);

protected:
    ScreenHost& host;
};
