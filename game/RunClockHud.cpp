#include "game/RunClockHud.h"

#include "game/ReadableText.h"
#include "game/RunClock.h"

namespace {

constexpr float clockX = 32.0f;      // logical pixels from the left edge
constexpr float clockY = 632.0f;     // logical pixels: the text's top, near the bottom edge
constexpr float bestX = 352.0f;      // logical pixels: right of the widest clock ("99:59.99")
constexpr float lineWidth = 640.0f;  // wrap width, logical pixels: never wraps
constexpr readableText::Colour clockColour{1.0f, 1.0f, 1.0f};
constexpr readableText::Colour bestColour{1.0f, 0.85f, 0.2f};

} // namespace

namespace runClockHud {

void draw(Drawer& drawer, int font, int64_t runMilliseconds, int64_t bestMilliseconds)
{
    readableText::draw(drawer, RunClock::format(runMilliseconds), font, clockX, clockY, lineWidth, clockColour);
    if (bestMilliseconds >= 0)
        readableText::draw(drawer, "Best " + RunClock::format(bestMilliseconds), font, bestX, clockY, lineWidth,
                           bestColour);
}

} // namespace runClockHud
