#include "app/GameState.h"

#include "app/Application.h"

void GameState::actionPressed(const std::string&, const SDL_keysym&) {}
void GameState::actionReleased(const std::string&, const SDL_keysym&) {}
void GameState::mousePressed(int, int, int) {}
void GameState::mouseReleased(int, int, int) {}
void GameState::mouseMoved(int, int) {}
void GameState::mouseWheel(bool) {}
void GameState::joystickAxis(const std::string&, float, int, int) {}
void GameState::focusLost() {}

void GameState::quit() { owner.quit(); }

void GameState::switchTo(const std::string& stateName) { owner.switchState(stateName); }
