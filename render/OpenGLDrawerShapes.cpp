#include "render/OpenGLDrawer.h"
#include "render/GlDrawHelpers.h"

// Untextured shapes under a turn.

void OpenGLDrawer::fillRectsTransformed(const ScreenArea* rects, size_t count, float x, float y, float angle,
                                        float pivotX, float pivotY, float scaleX, float scaleY, float r, float g,
                                        float b, float a)
{
    if (!contextReady || count == 0)
        return;
    // The same matrices as drawTextureTransformed, so that the rectangles
    // land on the pixels the whole picture's lit texels would.
    gldraw::pushTurn(x, y, angle, pivotX, pivotY, scaleX, scaleY);
    // Mixing by an alpha of 1 changes nothing but still reads every pixel.
    const bool opaque = a >= 1.0f && currentBlendMode == 0 && currentProgram == 0;
    if (opaque)
        glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    for (size_t i = 0; i < count; ++i) {
        const ScreenArea& rect = rects[i];
        glVertex2f(rect.x, rect.y);
        glVertex2f(rect.x + rect.width, rect.y);
        glVertex2f(rect.x + rect.width, rect.y + rect.height);
        glVertex2f(rect.x, rect.y + rect.height);
    }
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (opaque)
        glEnable(GL_BLEND);
    glPopMatrix();
}
