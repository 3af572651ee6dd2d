#include "game/GameState.h"

#include "game/ScreenHost.h"

void GameState::frame(Drawer& drawer)
{
    if (step())
        draw(drawer);
}

void GameState::actionPressed(const std::string&, const SDL_keysym&) {}
void GameState::actionReleased(const std::string&, const SDL_keysym&) {}
void GameState::mousePressed(int, int, int) {}
void GameState::mouseReleased(int, int, int) {}
void GameState::mouseMoved(int, int) {}
void GameState::mouseWheel(bool) {}
void GameState::joystickAxis(const std::string&, float, int, int) {}
void GameState::focusLost() {}

void GameState::quit() { host.quit(); }

void GameState::switchTo(const std::string& stateName) { host.switchState(stateName); }
