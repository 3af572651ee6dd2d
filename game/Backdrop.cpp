#include "game/Backdrop.h"

#include "game/PictureTexture.h"
#include "render/Drawer.h"

namespace {

constexpr float areaWidth = 1280.0f; // the logical drawing area
constexpr float areaHeight = 720.0f;
constexpr float grainScale = 1.25f;  // the 1024-pixel grain covers 1280 × 1280
constexpr float grainAlpha = 0.5f;
constexpr int additiveBlend = 1;
constexpr int alphaBlend = 0;

} // namespace

namespace backdrop {

void draw(Drawer& drawer, SkyTop top, uint32_t grainTexture)
{
    drawer.fillGradientRect(0.0f, 0.0f, areaWidth, areaHeight, top.r, top.g, top.b, 255, 255, 255, 255, 255);
    // Added, so the grain only lightens the sky faintly.
    drawer.setBlendMode(additiveBlend);
    drawer.drawTexture(grainTexture, 0.0f, 0.0f, grainScale, grainScale, 1.0f, 1.0f, 1.0f, grainAlpha);
    drawer.setBlendMode(alphaBlend);
}

void show(Drawer& drawer, SkyTop top, uint32_t grainTexture, ProcessStill& still)
{
    still.show(drawer, [&] { draw(drawer, top, grainTexture); });
}

void show(Drawer& drawer, SkyTop top, uint32_t grainTexture, ProcessStill& still, const ScreenArea* areas,
          size_t count)
{
    still.show(drawer, areas, count, [&] { draw(drawer, top, grainTexture); });
}

} // namespace backdrop
