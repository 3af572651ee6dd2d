#include "game/SpeedHud.h"

#include "game/ReadableText.h"
#include "render/Drawer.h"

namespace {

constexpr float labelX = 384.0f;
constexpr float labelY = 40.0f;
constexpr float labelWidth = 1024.0f;
constexpr float markLabelX = 1024.0f;
constexpr float markLabelY = 112.0f;
constexpr float markLabelWidth = 512.0f;
constexpr float winningSpeed = 1.5f; // cells per frame, where the mark stands
constexpr float markWidth = 8.0f;

} // namespace

namespace speedHud {

void draw(Drawer& drawer, int font, float flightSpeed)
{
    constexpr readableText::Colour white{1.0f, 1.0f, 1.0f};
    readableText::draw(drawer, "Speed:", font, labelX, labelY, labelWidth, white);
    readableText::draw(drawer, "88mph", font, markLabelX, markLabelY, markLabelWidth, white);
    drawer.fillRect(640.0f, 32.0f, 608.0f, 64.0f, 255, 255, 255, 255); // frame
    drawer.fillRect(644.0f, 36.0f, 600.0f, 56.0f, 0, 0, 0, 255);       // inside: speeds up to 2
    drawer.fillRect(barLeft, 40.0f, flightSpeed * pixelsPerSpeed, 48.0f, 255, 0, 0, 255);
    // The mark stands out above and below the frame.
    drawer.fillRect(barLeft + winningSpeed * pixelsPerSpeed, 28.0f, markWidth, 72.0f, 255, 255, 255, 255);
}

} // namespace speedHud
