#include "game/PauseOverlay.h"

#include "game/ReadableText.h"
#include "render/Drawer.h"

namespace {

constexpr uint8_t dimAlpha = 160; // of 255: the world stays visible, plainly stopped
// The line keeps to the bottom band, right of the run's clock, in one row at
// half the HUD's size: the pilot and the room around it, which one pauses to
// study, stay clear.
constexpr float lineX = 288.0f;     // logical pixels: right of the widest clock
constexpr float lineY = 668.0f;     // logical pixels: the text's top
constexpr float lineWidth = 976.0f; // wrap width, logical pixels: one row to the right edge
constexpr float lineScale = 0.5f;   // of the HUD font's size
constexpr const char* line = "Paused. P or Start to go on, R to restart, A assists, Escape to quit";

} // namespace

namespace pauseOverlay {

void draw(Drawer& drawer, int font)
{
    drawer.fillRect(0.0f, 0.0f, drawer.getWidth(), drawer.getHeight(), 0, 0, 0, dimAlpha);
    readableText::draw(drawer, line, font, lineX, lineY, lineWidth, {1.0f, 1.0f, 1.0f}, lineScale);
}

} // namespace pauseOverlay
