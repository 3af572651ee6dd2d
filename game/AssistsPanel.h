#pragma once
#include "game/Assists.h"

#include <SDL/SDL_keyboard.h>
#include <string>

class Drawer;

// The assists, laid over the title or the paused play screen: a row for the
// game speed and one for the kick buffer, one of them chosen. The screen
// under it hands it every press first; while it is open every press is its
// own, so the story does not move on, play stays paused and Escape only
// closes it. The assists themselves stay the host's: a press changes the
// copy it is given, which the screen hands on at once.
class AssistsPanel {
public:
    enum class Row { gameSpeed, kickBuffer };

    // The action that opens the panel and, pressed again, closes it.
    static constexpr const char* openAction = "Assists";

    bool isOpen() const { return open; }
    Row selectedRow() const { return row; }

    // False when the press is not the panel's: it is closed and the press is
    // not the open action. Up and Down choose a row (round from the last to
    // the first); Left and Right step the chosen assist down or up and stop
    // at the ends; the jump action and Return step it round (the speed down,
    // from the slowest back to full; the buffer off and on); Escape, Pause
    // and the open action close it.
    bool press(const std::string& action, SDLKey key, Assists& assists);

    // The row's value as the panel shows it: "70 percent", "off", "on".
    static std::string valueText(Row row, const Assists& assists);

    // Nothing while closed.
    void draw(Drawer& drawer, const Assists& assists) const;

private:
    bool open = false;
    Row row = Row::gameSpeed;
};
