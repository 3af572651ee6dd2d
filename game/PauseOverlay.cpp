#include "game/PauseOverlay.h"

#include "game/ReadableText.h"
#include "render/Drawer.h"

namespace {

constexpr uint8_t dimAlpha = 160;   // of 255: the world stays visible, plainly stopped
constexpr float lineX = 160.0f;     // logical pixels
constexpr float lineY = 320.0f;     // logical pixels
constexpr float lineWidth = 960.0f; // wrap width, logical pixels
constexpr const char* line = "Paused. P or Start to go on, R to restart, Escape to quit";

} // namespace

namespace pauseOverlay {

void draw(Drawer& drawer, int font)
{
    drawer.fillRect(0.0f, 0.0f, drawer.getWidth(), drawer.getHeight(), 0, 0, 0, dimAlpha);
    readableText::draw(drawer, line, font, lineX, lineY, lineWidth, {1.0f, 1.0f, 1.0f});
}

} // namespace pauseOverlay
