#include "game/ReadableText.h"

#include "render/Drawer.h"

namespace {

constexpr float outlineWidth = 3.0f;  // logical pixels around every stroke
constexpr float outlineAlpha = 0.85f; // dark enough over the palest stones, yet soft over the sky

} // namespace

namespace readableText {

void draw(Drawer& drawer, const std::string& text, int font, float x, float y, float wrapWidth, Colour colour,
          float scale)
{
    drawer.drawOutlinedText(text, font, x, y, wrapWidth, scale, colour.r, colour.g, colour.b, outlineWidth,
                            outlineAlpha);
}

} // namespace readableText
