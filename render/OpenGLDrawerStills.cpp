#include "render/OpenGLDrawer.h"
#include "render/GlDrawHelpers.h"

#include <algorithm>

// Stills: a frame's constant layers kept in a framebuffer and copied back
// into later frames, in place of drawing them anew.

bool OpenGLDrawer::createWindowSizedTexture(uint32_t& framebufferName, uint32_t& texture)
{
    if (!glewReady || !GLEW_EXT_framebuffer_object || !GLEW_EXT_framebuffer_blit ||
        !(GLEW_VERSION_2_0 || GLEW_ARB_texture_non_power_of_two))
        return false;
    GLuint buffer = 0;
    GLuint colour = 0;
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, windowWidth, windowHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    // Texels are copied one to one onto the pixels they came from.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffersEXT(1, &buffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, buffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, colour, 0);
    const bool complete = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    if (!complete) {
        glDeleteFramebuffersEXT(1, &buffer);
        glDeleteTextures(1, &colour);
        return false;
    }
    framebufferName = buffer;
    texture = colour;
    return true;
}

uint32_t OpenGLDrawer::keepStill()
{
    if (!contextReady || !glewReady || !GLEW_EXT_framebuffer_object)
        return 0;
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    if (bound != 0)
        return 0; // drawing goes to the off-screen buffer: not a frame
    StillBuffer kept{0, 0, 0};
    if (!createWindowSizedTexture(kept.framebuffer, kept.texture) &&
        !createWindowSizedBuffer(kept.framebuffer, kept.store))
        return 0;
    // Only the letterbox: the bars outside it are the clear colour anyway.
    const PixelRect box = truncated(letterbox);
    glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, 0);
    glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, kept.framebuffer);
    glBlitFramebufferEXT(box.x, box.y, box.x + box.width, box.y + box.height, box.x, box.y, box.x + box.width,
                         box.y + box.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    const uint32_t key = nextStillKey++;
    stills[key] = kept;
    return key;
}

bool OpenGLDrawer::drawStill(uint32_t still)
{
    const auto found = stills.find(still);
    if (!contextReady || found == stills.end())
        return false;
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    if (bound != 0)
        return false;
    const PixelRect box = truncated(letterbox);
    glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, found->second.framebuffer);
    glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, 0);
    glBlitFramebufferEXT(box.x, box.y, box.x + box.width, box.y + box.height, box.x, box.y, box.x + box.width,
                         box.y + box.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    return true;
}

bool OpenGLDrawer::drawStillAreas(uint32_t still, const ScreenArea* areas, size_t count)
{
    const auto found = stills.find(still);
    if (!contextReady || found == stills.end())
        return false;
    if (found->second.texture == 0)
        return drawStill(still);
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    if (bound != 0)
        return false;
    // Each area's corners at the window pixels the projection puts them on,
    // so that every pixel takes the texel kept from that same pixel.
    const PixelRect box = truncated(letterbox);
    const float right = getWidth();
    const float bottom = getHeight();
    const auto u = [&](float x) { return (box.x + x * box.width / right) / windowWidth; };
    const auto v = [&](float y) { return (box.y + (bottom - y) * box.height / bottom) / windowHeight; };
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, found->second.texture);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // A plain copy: replacing lets a software renderer copy the texels
    // without shading them (the colour is white, so nothing else changes).
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    for (size_t i = 0; i < count; ++i) {
        const float left = std::max(areas[i].x, 0.0f);
        const float top = std::max(areas[i].y, 0.0f);
        const float farX = std::min(areas[i].x + areas[i].width, right);
        const float farY = std::min(areas[i].y + areas[i].height, bottom);
        if (!(left < farX && top < farY))
            continue;
        glTexCoord2f(u(left), v(top));
        glVertex2f(left, top);
        glTexCoord2f(u(farX), v(top));
        glVertex2f(farX, top);
        glTexCoord2f(u(farX), v(farY));
        glVertex2f(farX, farY);
        glTexCoord2f(u(left), v(farY));
        glVertex2f(left, farY);
    }
    glEnd();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_BLEND);
    return true;
}

void OpenGLDrawer::dropStills()
{
    for (const auto& [key, still] : stills) {
        const GLuint framebufferName = still.framebuffer;
        const GLuint store = still.store;
        const GLuint texture = still.texture;
        glDeleteFramebuffersEXT(1, &framebufferName);
        if (store != 0)
            glDeleteRenderbuffersEXT(1, &store);
        if (texture != 0)
            glDeleteTextures(1, &texture);
    }
    stills.clear();
}
