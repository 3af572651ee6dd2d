#pragma once
#include <SDL/SDL_keyboard.h>
#include <string>

class Application;
class Drawer;

// One screen of the game. The Application owns exactly one and hands it every
// frame and every input, already translated into action names.
class GameState {
public:
    explicit GameState(Application& owner) : owner(owner) {}
    virtual ~GameState() = default;

    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    virtual void frame(Drawer& drawer) = 0;
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
    Application& owner;
};
