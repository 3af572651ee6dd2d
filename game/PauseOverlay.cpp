#include "game/PauseOverlay.h"

#include "game/ReadableText.h"
#include "render/Drawer.h"

namespace {

constexpr uint8_t dimAlpha = 160; // of 255: the world stays visible, plainly stopped
// The line keeps to the bottom band at half the HUD's size, in two rows in
// the lower right corner: level with the clock, right of the widest best
// time ("Best 99:59.99") and under the situation hints, so that no text
// covers another and the pilot and the room around it, which one pauses to
// study, stay clear. The font steps a full-size line down at a line feed,
// so each row is drawn on its own.
constexpr float lineX = 752.0f;     // logical pixels: right of the widest best time
constexpr float lineY = 632.0f;     // logical pixels: the first row's top, the clock's
constexpr float rowPitch = 40.0f;   // logical pixels: the font's line height at this scale
constexpr float lineWidth = 512.0f; // wrap width, logical pixels: to the right edge
constexpr float lineScale = 0.5f;   // of the HUD font's size
// Together the one line "Paused. P or Start to go on, R to restart, A assists, Escape to quit".
constexpr const char* rows[] = {"Paused. P or Start to go on,", "R to restart, A assists, Escape to quit"};

} // namespace

namespace pauseOverlay {

void draw(Drawer& drawer, int font, bool panelOpen)
{
    drawer.fillRect(0.0f, 0.0f, drawer.getWidth(), drawer.getHeight(), 0, 0, 0, dimAlpha);
    // While the assists panel is open the keys are its own (P and Start
    // close it, they do not go on), and its key lines say so.
    if (panelOpen)
        return;
    float y = lineY;
    for (const char* row : rows) {
        readableText::draw(drawer, row, font, lineX, y, lineWidth, {1.0f, 1.0f, 1.0f}, lineScale);
        y += rowPitch;
    }
}

} // namespace pauseOverlay
