#include "render/Drawer.h"

// What a drawer without shaders, blending modes or an off-screen buffer does.

uint32_t Drawer::loadShader(const std::string&, const std::string&) { return 0; }
bool Drawer::hasShaders() { return false; }
void Drawer::useShader(uint32_t, float) {}
void Drawer::setSecondTexture(uint32_t) {}
void Drawer::setBlendMode(int) {}
void Drawer::beginOffscreen() {}
void Drawer::endOffscreen() {}
uint32_t Drawer::getOffscreenTexture() { return 0; }
bool Drawer::canSupport(int) { return false; }
uint32_t Drawer::keepStill() { return 0; }
bool Drawer::drawStill(uint32_t) { return false; }
bool Drawer::drawStillAreas(uint32_t still, const ScreenArea*, size_t) { return drawStill(still); }
void Drawer::setLinearFiltering(bool) {}
void Drawer::fillRectsTransformed(const ScreenArea*, size_t, float, float, float, float, float, float, float, float,
                                  float, float, float)
{
}

void Drawer::drawTextureQuads(uint32_t key, const TextureQuad* quads, size_t count, float scaleX, float scaleY, bool)
{
    for (size_t i = 0; i < count; ++i)
        drawTextureRegion(key, quads[i].x, quads[i].y, quads[i].s0, quads[i].t0, quads[i].sw, quads[i].th, scaleX,
                          scaleY, 1.0f, 1.0f, 1.0f, 1.0f);
}

namespace {

// Eight copies around the text make the rim; fewer leave gaps at the
// diagonals of thin strokes.
constexpr float rimSides[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};

} // namespace

void Drawer::drawOutlinedText(const std::string& text, int font, float x, float y, float width, float scale,
                              float r, float g, float b, float outlineWidth, float outlineAlpha)
{
    for (const auto& side : rimSides)
        drawText(text, font, x + side[0] * outlineWidth, y + side[1] * outlineWidth, width, scale, 0.0f, 0.0f, 0.0f,
                 outlineAlpha);
    drawText(text, font, x, y, width, scale, r, g, b, 1.0f);
}
