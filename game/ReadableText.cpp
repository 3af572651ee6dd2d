#include "game/ReadableText.h"

#include "render/Drawer.h"

namespace {

constexpr float outlineWidth = 3.0f;  // logical pixels around every stroke
constexpr float outlineAlpha = 0.85f; // dark enough over the palest stones, yet soft over the sky

// Eight copies around the text make the outline; fewer leave gaps at the
// diagonals of thin strokes.
constexpr float offsets[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};

} // namespace

namespace readableText {

void draw(Drawer& drawer, const std::string& text, int font, float x, float y, float wrapWidth, Colour colour)
{
    for (const auto& offset : offsets)
        drawer.drawText(text, font, x + offset[0] * outlineWidth, y + offset[1] * outlineWidth, wrapWidth, 1.0f,
                        0.0f, 0.0f, 0.0f, outlineAlpha);
    drawer.drawText(text, font, x, y, wrapWidth, 1.0f, colour.r, colour.g, colour.b, 1.0f);
}

} // namespace readableText
