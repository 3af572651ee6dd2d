#include "game/WarpOverlay.h"

#include "base/ImageLoader.h"
#include "data/Pictures.h"
#include "render/Drawer.h"

#include <vector>

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

// The lit texels of each ring picture as rectangles in picture pixels: a
// run along a row, stretched down over the rows below with the same run.
// Filling only these leaves out the picture's clear texels, most of it and
// most of the screen once a ring is large. Made on the first draw; the
// pictures never change.
std::vector<ScreenArea> litRuns(int32_t ring)
{
    std::vector<ScreenArea> runs;
    const EmbeddedBytes bytes = pictures::warpRing(ring);
    const RgbaImage image = ImageLoader().loadFromMemory(bytes.data, static_cast<int32_t>(bytes.length));
    auto lit = [&](int32_t x, int32_t y) {
        return image.pixels[(static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)) * 4 + 3]
               != 0;
    };
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width;) {
            if (!lit(x, y)) {
                ++x;
                continue;
            }
            int32_t end = x;
            while (end < image.width && lit(end, y))
                ++end;
            const float left = static_cast<float>(x);
            const float width = static_cast<float>(end - x);
            bool joined = false;
            for (ScreenArea& run : runs) {
                if (run.x == left && run.width == width && run.y + run.height == static_cast<float>(y)) {
                    run.height += 1.0f;
                    joined = true;
                    break;
                }
            }
            if (!joined)
                runs.push_back({left, static_cast<float>(y), width, 1.0f});
            x = end;
        }
    }
    delete[] image.pixels;
    return runs;
}

const std::vector<ScreenArea>& ringRuns(int32_t ring)
{
    static const std::vector<ScreenArea> runs[WarpOverlay::ringCount] = {litRuns(0), litRuns(1), litRuns(2),
                                                                         litRuns(3)};
    return runs[ring];
}

} // namespace

WarpOverlay::WarpOverlay(bool shrinking) : progress(shrinking ? shrinkingStart : 0.0f), shrinking(shrinking) {}

void WarpOverlay::draw(Drawer& drawer) const
{
    // Rings that have shrunk away cover nothing for the rest of the ending;
    // on a software rasteriser even an empty textured draw is not free.
    if (shrinking && progress <= 0.0f)
        return;

    const float scale = progress * pixelsPerProgress;
    const float x = centreX - ringPixels / 2.0f * scale;
    const float y = centreY - ringPixels / 2.0f * scale;
    for (int32_t ring = 0; ring < ringCount; ++ring) {
        const Colour colour = ringColour(ring);
        const std::vector<ScreenArea>& runs = ringRuns(ring);
        drawer.fillRectsTransformed(runs.data(), runs.size(), x, y, angle, ringPixels / 2.0f, ringPixels / 2.0f,
                                    scale, scale, colour.r, colour.g, colour.b, 1.0f);
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
