#include "game/AssistsPanel.h"

#include "game/PictureTexture.h"
#include "render/Drawer.h"

#include <algorithm>

namespace {

constexpr const char* panelFontFile = "MarsNeedsCunnilingus.ttf";
constexpr float panelPoints = 36.0f; // the rows; the title and help scale from it

// Layout in logical pixels of the 1280 x 720 screen: an opaque box over the
// title's logo, clear of the story lines and the controls line under it; over
// play, above the pilot, who is drawn about the middle, and short of the
// "88mph" label, which it would cut. Nothing around the box
// is dimmed: one more full-screen blend costs a software renderer about a
// quarter more time a frame.
constexpr float boxX = 240.0f;
constexpr float boxY = 30.0f;
constexpr float boxWidth = 760.0f;
constexpr float boxHeight = 310.0f;
constexpr float textX = 290.0f;  // the left edge of every line
constexpr float valueX = 720.0f; // the values' left edge
constexpr float textWidth = 700.0f;
constexpr float headingY = 50.0f;
constexpr float headingScale = 1.25f;
constexpr float firstRowY = 130.0f;
constexpr float rowPitch = 60.0f;
constexpr float rowBarInset = 6.0f; // the chosen row's bar reaches this far above and below the text
constexpr float rowBarHeight = 52.0f;
constexpr float helpY = 270.0f;
constexpr float helpPitch = 34.0f;
constexpr float helpScale = 0.55f;

constexpr const char* heading = "Assists";
constexpr const char* rowNames[] = {"Game speed", "Kick buffer"};
constexpr const char* helpLines[] = {"Up/Down choose   Left/Right or Space change   A or Esc back",
                                     "Pad: stick chooses and changes, jump changes, L1/LB or Start back"};

ProcessFont panelFont;

int rowIndex(AssistsPanel::Row row)
{
    return row == AssistsPanel::Row::gameSpeed ? 0 : 1;
}

// One step of the chosen assist: down (-1), up (+1) or round (0).
void change(AssistsPanel::Row row, int direction, Assists& assists)
{
    if (row == AssistsPanel::Row::kickBuffer) {
        assists.kickBuffer = direction == 0 ? !assists.kickBuffer : direction > 0;
        return;
    }
    if (direction == 0)
        assists.gameSpeed = Assists::slowerSpeed(assists.gameSpeed);
    else
        assists.gameSpeed = std::clamp(assists.gameSpeed + direction * Assists::speedStep, Assists::slowestSpeed,
                                       Assists::fullSpeed);
}

} // namespace

bool AssistsPanel::press(const std::string& action, SDLKey key, Assists& assists)
{
    if (!open) {
        open = action == openAction;
        return open;
    }
    if (action == openAction || action == "Escape" || action == "Pause") {
        open = false;
    } else if (action == "P1Up" || action == "P1Down") {
        // Two rows: up and down both move to the other one.
        row = row == Row::gameSpeed ? Row::kickBuffer : Row::gameSpeed;
    } else if (action == "P1Left") {
        change(row, -1, assists);
    } else if (action == "P1Right") {
        change(row, 1, assists);
    } else if (action == "Action" || key == SDLK_RETURN || key == SDLK_KP_ENTER) {
        change(row, 0, assists);
    }
    return true;
}

std::string AssistsPanel::valueText(Row row, const Assists& assists)
{
    if (row == Row::kickBuffer)
        return assists.kickBuffer ? "on" : "off";
    return std::to_string(assists.gameSpeed) + " percent"; // the fonts have no percent sign
}

void AssistsPanel::draw(Drawer& drawer, const Assists& assists) const
{
    if (!open)
        return;
    const int font = panelFont.number(drawer, panelFontFile, panelPoints);
    drawer.fillRect(boxX, boxY, boxWidth, boxHeight, 16, 20, 36, 255);
    drawer.drawText(heading, font, textX, headingY, textWidth, headingScale, 1.0f, 1.0f, 0.0f, 1.0f);
    for (const Row shownRow : {Row::gameSpeed, Row::kickBuffer}) {
        const int index = rowIndex(shownRow);
        const float y = firstRowY + rowPitch * static_cast<float>(index);
        const bool chosen = shownRow == row;
        if (chosen)
            drawer.fillRect(boxX, y - rowBarInset, boxWidth, rowBarHeight, 60, 64, 120, 255);
        const float shade = chosen ? 0.0f : 1.0f; // the chosen row in yellow, the other in white
        drawer.drawText(rowNames[index], font, textX, y, textWidth, 1.0f, 1.0f, 1.0f, shade, 1.0f);
        drawer.drawText(valueText(shownRow, assists), font, valueX, y, textWidth, 1.0f, 1.0f, 1.0f, shade, 1.0f);
    }
    for (int line = 0; line < 2; ++line)
        drawer.drawText(helpLines[line], font, textX, helpY + helpPitch * static_cast<float>(line), textWidth,
                        helpScale, 0.8f, 0.8f, 0.8f, 1.0f);
}
