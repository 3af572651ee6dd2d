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
void Drawer::setLinearFiltering(bool) {}

void Drawer::drawTextureQuads(uint32_t key, const TextureQuad* quads, size_t count, float scaleX, float scaleY, bool)
{
    for (size_t i = 0; i < count; ++i)
        drawTextureRegion(key, quads[i].x, quads[i].y, quads[i].s0, quads[i].t0, quads[i].sw, quads[i].th, scaleX,
                          scaleY, 1.0f, 1.0f, 1.0f, 1.0f);
}
