#pragma once
#include <string>

class Drawer;

// Text that stays readable over every tile and the sky, pale or dark: a dark
// outline first, the coloured text on top. Every line laid over the moving
// world (the HUD, the ending's lines) is drawn this way.
namespace readableText {

struct Colour {
    float r;
    float g;
    float b;
};

// `scale` sizes the text; the outline keeps its width in logical pixels.
void draw(Drawer& drawer, const std::string& text, int font, float x, float y, float wrapWidth, Colour colour,
          float scale = 1.0f);

} // namespace readableText
