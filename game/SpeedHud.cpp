#include "game/SpeedHud.h"

#include "game/ReadableText.h"
#include "render/Drawer.h"

#include <cmath>

namespace {

constexpr float labelX = 384.0f;
constexpr float labelY = 40.0f;
constexpr float labelWidth = 1024.0f;
constexpr float markLabelX = 1024.0f;
constexpr float markLabelY = 112.0f;
constexpr float markLabelWidth = 512.0f;
constexpr float winningSpeed = 1.5f; // cells per frame, where the mark stands
constexpr float markWidth = 8.0f;
constexpr float bestWidth = 4.0f;   // pixels: thinner than the winning mark
constexpr float fullBarSpeed = 2.0f; // cells per frame at the bar's right end

} // namespace

namespace speedHud {

void draw(Drawer& drawer, int font, float flightSpeed, float bestFlightSpeed)
{
    constexpr readableText::Colour white{1.0f, 1.0f, 1.0f};
    readableText::draw(drawer, "Speed:", font, labelX, labelY, labelWidth, white);
    readableText::draw(drawer, "88mph", font, markLabelX, markLabelY, markLabelWidth, white);
    // The frame as four strips round the inside rather than a white block
    // painted black again: a software renderer fills every pixel it is given.
    drawer.fillRect(640.0f, 32.0f, 608.0f, 4.0f, 255, 255, 255, 255); // frame: top
    drawer.fillRect(640.0f, 92.0f, 608.0f, 4.0f, 255, 255, 255, 255); // bottom
    drawer.fillRect(640.0f, 36.0f, 4.0f, 56.0f, 255, 255, 255, 255);  // left
    drawer.fillRect(1244.0f, 36.0f, 4.0f, 56.0f, 255, 255, 255, 255); // right
    drawer.fillRect(644.0f, 36.0f, 600.0f, 56.0f, 0, 0, 0, 255);     // inside: speeds up to 2
    drawer.fillRect(barLeft, 40.0f, flightSpeed * pixelsPerSpeed, 48.0f, 255, 0, 0, 255);
    if (bestFlightSpeed > 0.0f) {
        const float best = std::fmin(bestFlightSpeed, fullBarSpeed) * pixelsPerSpeed;
        drawer.fillRect(barLeft + best - bestWidth, 36.0f, bestWidth, 56.0f, 255, 220, 0, 255);
    }
    // The mark stands out above and below the frame.
    drawer.fillRect(barLeft + winningSpeed * pixelsPerSpeed, 28.0f, markWidth, 72.0f, 255, 255, 255, 255);
}

} // namespace speedHud
