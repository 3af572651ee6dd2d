#include "render/Letterbox.h"

Letterbox computeLetterbox(int16_t logicalWidth, int16_t logicalHeight, uint16_t windowWidth, uint16_t windowHeight)
{
    const float logicalW = logicalWidth;
    const float logicalH = logicalHeight;
    const float windowW = windowWidth;
    const float windowH = windowHeight;
    const float r = logicalH / logicalW;
    const float s = windowH / windowW;
    if (r == s)
        return Letterbox{0.0f, 0.0f, windowW, windowH};
    if (r > s) {
        // Relatively wider window: bars left and right.
        const float width = logicalW / logicalH * windowH;
        return Letterbox{(windowW - width) * 0.5f, 0.0f, width, windowH};
    }
    // Relatively taller window (or a degenerate one): bars above and below.
    const float height = r * windowW;
    return Letterbox{0.0f, (windowH - height) * 0.5f, windowW, height};
}

PixelRect truncated(const Letterbox& box)
{
    return PixelRect{static_cast<int>(box.x), static_cast<int>(box.y),
                     static_cast<int>(box.width), static_cast<int>(box.height)};
}

PixelRect subViewport(const Letterbox& box, int16_t logicalWidth, int16_t logicalHeight,
                      int16_t x, int16_t y, int16_t w, int16_t h)
{
    const float logicalW = logicalWidth;
    const float logicalH = logicalHeight;
    const int width = static_cast<int>(box.width * (w / logicalW));
    const int height = static_cast<int>(h / logicalH * box.height);
    const int pixelX = static_cast<int>(static_cast<int>(x / logicalW * box.width) + box.x);
    // Logical y runs down, OpenGL's window y runs up.
    const int top = static_cast<int>(y / logicalH * box.height);
    const int pixelY = static_cast<int>(box.height - static_cast<float>(top + height) + box.y);
    return PixelRect{pixelX, pixelY, width, height};
}
