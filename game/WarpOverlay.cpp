#include "game/WarpOverlay.h"

#include "data/Pictures.h"
#include "game/PictureTexture.h"
#include "render/Drawer.h"

namespace {

constexpr float shrinkingStart = 2.0f;   // rings 3200 pixels wide
constexpr float pixelsPerProgress = 200.0f;
constexpr float ringPixels = 8.0f;       // the ring pictures' side
constexpr float centreX = 640.0f;
constexpr float centreY = 360.0f;
constexpr float growPerFrame = 0.005f;   // about 200 frames to cover the screen
constexpr float shrinkPerFrame = 0.05f;  // 40 frames to vanish
constexpr float turnPerFrame = 4.0f;     // degrees
constexpr float fullTurn = 360.0f;

ProcessTexture ringTextures[WarpOverlay::ringCount];

} // namespace

WarpOverlay::WarpOverlay(bool shrinking) : progress(shrinking ? shrinkingStart : 0.0f), shrinking(shrinking) {}

void WarpOverlay::draw(Drawer& drawer) const
{
    // Rings that have shrunk away cover nothing for the rest of the ending;
    // on a software rasteriser even an empty textured draw is not free.
    if (shrinking && progress <= 0.0f)
        return;
    uint32_t textures[ringCount];
    for (int32_t ring = 0; ring < ringCount; ++ring) {
        textures[ring] = ringTextures[ring].key(drawer, pictures::warpRing(ring), true);
    }

    const float scale = progress * pixelsPerProgress;
    const float x = centreX - ringPixels / 2.0f * scale;
    const float y = centreY - ringPixels / 2.0f * scale;
    for (int32_t ring = 0; ring < ringCount; ++ring) {
        const Colour colour = ringColour(ring);
        drawer.drawTextureTransformed(textures[ring], x, y, angle, ringPixels / 2.0f, ringPixels / 2.0f, scale, scale,
                                      colour.r, colour.g, colour.b, 1.0f);
    }
}

void WarpOverlay::step()
{
    if (shrinking) {
        progress -= shrinkPerFrame;
        if (progress < 0.0f) {
            progress = 0.0f;
        }
    } else {
        progress += growPerFrame;
    }
    angle += turnPerFrame;
    if (angle > fullTurn) {
        angle -= fullTurn;
    }
    --colourCountdown;
    if (colourCountdown == 0) {
        colourCountdown = framesPerColour;
        colourOffset = (colourOffset + 1) % colourCount;
    }
}
