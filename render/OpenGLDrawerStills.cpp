#include "render/OpenGLDrawer.h"
#include "render/GlDrawHelpers.h"

// Stills: a frame's constant layers kept in a framebuffer and copied back
// into later frames, in place of drawing them anew.

uint32_t OpenGLDrawer::keepStill()
{
    if (!contextReady || !glewReady || !GLEW_EXT_framebuffer_object)
        return 0;
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    if (bound != 0)
        return 0; // drawing goes to the off-screen buffer: not a frame
    uint32_t framebufferName = 0;
    uint32_t store = 0;
    if (!createWindowSizedBuffer(framebufferName, store))
        return 0;
    // Only the letterbox: the bars outside it are the clear colour anyway.
    const PixelRect box = truncated(letterbox);
    glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, 0);
    glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, framebufferName);
    glBlitFramebufferEXT(box.x, box.y, box.x + box.width, box.y + box.height, box.x, box.y, box.x + box.width,
                         box.y + box.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    const uint32_t key = nextStillKey++;
    stills[key] = StillBuffer{framebufferName, store};
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

void OpenGLDrawer::dropStills()
{
    for (const auto& [key, still] : stills) {
        const GLuint framebufferName = still.framebuffer;
        const GLuint store = still.store;
        glDeleteFramebuffersEXT(1, &framebufferName);
        glDeleteRenderbuffersEXT(1, &store);
    }
    stills.clear();
}
