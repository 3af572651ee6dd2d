#include "render/OpenGLDrawer.h"
#include "data/Pictures.h"
#include "base/ImageLoader.h"
#include "render/DisplayAttributes.h"
#include "render/FontSystem.h"
#include "render/GlDrawHelpers.h"
#include "render/OpenGLFont.h"
#include "render/TexturePadding.h"
#include <GL/glu.h>
#include <string>
#include <SDL/SDL.h>
#include <cstdlib>
#include <cstring>

// Display set-up, frames, viewports and reading the screen back.

using gldraw::say;

OpenGLDrawer::OpenGLDrawer(int16_t logicalWidth, int16_t logicalHeight)
    : Drawer(logicalWidth, logicalHeight), shader(ShaderEntryPoints::fallbacks())
{
    FontSystem::ensureStarted();
}

// The OpenGL objects end with the context; only our own records (and the
// fonts) go here.
OpenGLDrawer::~OpenGLDrawer() = default;

// ---------------------------------------------------------------- display

bool OpenGLDrawer::initDisplay(uint16_t width, uint16_t height, bool fullScreen, int samples)
{
    windowWidth = width;
    windowHeight = height;
    letterbox = computeLetterbox(getWidth(), getHeight(), windowWidth, windowHeight);

    // SDL's attribute calls dereference its video device unchecked, so make
    // sure there is one before anything else.
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        say(std::string("OpenGLDrawer: Could not set video mode: ") + SDL_GetError());
        return false;
    }
    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    const bool sixteenBit = desktop != nullptr && desktop->vfmt != nullptr && desktop->vfmt->BitsPerPixel == 16;
    // Before the first mode is set this is the screen's own size.
    const int screenWidth = desktop != nullptr ? desktop->current_w : 0;
    const int screenHeight = desktop != nullptr ? desktop->current_h : 0;
    const auto requestAttributes = [sixteenBit](int sampleCount, bool sayDepth) {
        const DisplayAttributes attributes = DisplayAttributes::forDisplay(sixteenBit, sampleCount);
        if (sayDepth)
            say(attributes.depthLine);
        for (int i = 0; i < attributes.count; ++i) {
            const AttributeRequest& request = attributes.requests[static_cast<std::size_t>(i)];
            if (SDL_GL_SetAttribute(request.attribute, request.value) < 0)
                say(request.failure);
        }
    };
    requestAttributes(samples, true);

    Uint32 flags = SDL_OPENGL;
    if (fullScreen)
        flags |= SDL_FULLSCREEN;
    else
        setenv("SDL_VIDEO_CENTERED", "1", 1);
    // A second try without multisampling, or at the screen's size. The SDL
    // 1.2 interface over SDL 2 keeps the window of the failed attempt, with
    // the visual chosen for it, and then finds no visual for the second; a
    // fresh start of the video side forgets both. The window's caption goes
    // with it, so it is set again.
    const auto tryAgain = [&](int sampleCount) -> SDL_Surface* {
        char* caption = nullptr;
        char* iconCaption = nullptr;
        SDL_WM_GetCaption(&caption, &iconCaption);
        const std::string title = caption != nullptr ? caption : "";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return nullptr;
        SDL_WM_SetCaption(title.c_str(), nullptr);
        requestAttributes(sampleCount, false);
        if (sampleCount == 0) {
            SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
            SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
        }
        return SDL_SetVideoMode(windowWidth, windowHeight, 0, flags);
    };
    const auto useScreenSize = [&](const std::string& reason) {
        // A settings file written on a larger monitor asks for a full-screen
        // mode this screen lacks; the screen's own size opens (the file
        // stays as it is, for when that monitor is back).
        say("OpenGLDrawer: Could not open " + std::to_string(windowWidth) + " x " + std::to_string(windowHeight) +
            " (" + reason + "), using the screen's " + std::to_string(screenWidth) + " x " +
            std::to_string(screenHeight) + ".");
        windowWidth = static_cast<uint16_t>(screenWidth);
        windowHeight = static_cast<uint16_t>(screenHeight);
        letterbox = computeLetterbox(getWidth(), getHeight(), windowWidth, windowHeight);
    };
    const bool screenKnown = screenWidth > 0 && screenHeight > 0 && screenWidth <= UINT16_MAX &&
                             screenHeight <= UINT16_MAX;
    // The classic library refuses such a mode, but the one over SDL 2 opens
    // it as a window larger than the screen, most of it out of sight.
    if (fullScreen && screenKnown && (windowWidth > screenWidth || windowHeight > screenHeight))
        useScreenSize("larger than the screen");
    SDL_Surface* screen = SDL_SetVideoMode(windowWidth, windowHeight, 0, flags);
    int samplesNow = samples;
    if (screen == nullptr && samples > 0) {
        // A settings file without an "a" line asks for 6 samples, which many
        // drivers cannot give; a sharp-edged game beats no game.
        say("OpenGLDrawer: Could not get " + std::to_string(samples) + "x multisampling, trying without.");
        samplesNow = 0;
        screen = tryAgain(samplesNow);
    }
    if (screen == nullptr && screenKnown && (screenWidth != windowWidth || screenHeight != windowHeight)) {
        useScreenSize(SDL_GetError());
        screen = tryAgain(samplesNow);
    }
    if (screen == nullptr) {
        // Without a context every OpenGL and GLEW call would be unsafe; say
        // why once and leave the drawer inert.
        say(std::string("OpenGLDrawer: Could not set video mode: ") + SDL_GetError());
        return false;
    }
    contextReady = true;

    const GLenum glewResult = glewInit();
    if (glewResult != GLEW_OK) {
        say(std::string("GLEW error: ") + reinterpret_cast<const char*>(glewGetErrorString(glewResult)));
    } else {
        glewReady = true;
        say(std::string("Using GLEW version: ") + reinterpret_cast<const char*>(glewGetString(GLEW_VERSION)));
    }

    if (glewReady && ShaderEntryPoints::glewHasShaders()) {
        say("Shader support: OpenGL shaders available.");
        shader = ShaderEntryPoints::fromGlew();
        shaderSupport = true;
    } else {
        say("Shader support: OpenGL shaders *NOT* available.");
        shader = ShaderEntryPoints::fallbacks();
        shaderSupport = false;
    }

    createGlyphPlaceholders();

    glViewport(0, 0, windowWidth, windowHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const float r = static_cast<float>(getHeight()) / static_cast<float>(getWidth());
    const float s = static_cast<float>(windowHeight) / static_cast<float>(windowWidth);
    if (r != s) {
        const PixelRect box = truncated(letterbox);
        glViewport(box.x, box.y, box.width, box.height);
    }

    createOffscreenBuffer();
    setUpProjectionAndState();
    createShownFrameCopy();
    backKeptAfterSwap = probeBackBufferAfterSwap();
    copyEveryFrame = !backKeptAfterSwap;
    return true;
}

void OpenGLDrawer::resizeDisplay(uint16_t width, uint16_t height)
{
    windowWidth = width;
    windowHeight = height;
    letterbox = computeLetterbox(getWidth(), getHeight(), windowWidth, windowHeight);
    if (!contextReady)
        return;
    createGlyphPlaceholders();
    const PixelRect box = truncated(letterbox);
    glViewport(box.x, box.y, box.width, box.height);
    createOffscreenBuffer();
    setUpProjectionAndState();
    createShownFrameCopy();
    dropStills(); // kept at the old size
}

void OpenGLDrawer::applyProjection(float right, float bottom, float top)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, right, bottom, top);
    glMatrixMode(GL_MODELVIEW);
}

void OpenGLDrawer::setUpProjectionAndState()
{
    applyProjection(getWidth(), getHeight(), 0.0f);
    glLoadIdentity();

    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    currentBlendMode = 0;

    if (lineTextureKey == 0)
        createLineTexture();
}

void OpenGLDrawer::createLineTexture()
{
    // Each drawer keeps its own: a key from another drawer's table would not
    // name anything here.
    const EmbeddedBytes bytes = pictures::lineTexture();
    ImageLoader loader;
    const RgbaImage image = loader.loadFromMemory(bytes.data, static_cast<int32_t>(bytes.length));
    lineTextureKey = createTexture(image.pixels, static_cast<uint32_t>(image.width),
                                   static_cast<uint32_t>(image.height));
}

void OpenGLDrawer::beginFrame()
{
    if (!contextReady)
        return;
    // Nothing tests depth: clearing it would only cost a software renderer
    // a pass over the frame.
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    drawnSinceSwap = true;
}

void OpenGLDrawer::endFrame()
{
    if (contextReady) {
        // A full-window copy costs about as much as drawing a whole layer on
        // a software renderer, so it is made only where grabScreen needs it.
        if (copyEveryFrame)
            keepShownFrame();
        SDL_GL_SwapBuffers();
        frameShown = true;
        drawnSinceSwap = false;
    }
    secondTextureKey = 0;
}

bool OpenGLDrawer::probeBackBufferAfterSwap()
{
    // Show frames whose corner pixel has a colour nothing else has, and see
    // whether the back buffer still holds each after its swap. Where it does
    // (a swap that copies, as software renderers do), grabScreen can read
    // the shown frame there until the next frame begins.
    struct Probe {
        float r, g, b;
        uint8_t expected[3];
    };
    constexpr Probe probes[] = {{1.0f, 0.0f, 1.0f, {255, 0, 255}}, {0.0f, 1.0f, 0.0f, {0, 255, 0}}};
    while (glGetError() != GL_NO_ERROR) {
        // Errors of earlier calls are not the probe's.
    }
    bool kept = true;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glEnable(GL_SCISSOR_TEST);
    for (const Probe& probe : probes) {
        glScissor(0, 0, windowWidth, windowHeight);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(0, 0, 1, 1);
        glClearColor(probe.r, probe.g, probe.b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapBuffers();
        uint8_t pixel[3] = {0, 0, 0};
        glReadPixels(0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
        kept = kept && std::memcmp(pixel, probe.expected, 3) == 0 && glGetError() == GL_NO_ERROR;
    }
    glDisable(GL_SCISSOR_TEST);
    glScissor(0, 0, windowWidth, windowHeight);
    // Leave the window black, as before the probe.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapBuffers();
    glClear(GL_COLOR_BUFFER_BIT);
    return kept;
}

void OpenGLDrawer::keepShownFrameCopies(bool keep)
{
    copyEveryFrame = keep || !backKeptAfterSwap;
}

void OpenGLDrawer::createShownFrameCopy()
{
    if (shownFrameBuffer != 0) {
        const GLuint buffer = shownFrameBuffer;
        const GLuint store = shownFrameStore;
        glDeleteFramebuffersEXT(1, &buffer);
        glDeleteRenderbuffersEXT(1, &store);
        shownFrameBuffer = shownFrameStore = 0;
    }
    if (shownFrameTexture != 0) {
        const GLuint old = shownFrameTexture;
        glDeleteTextures(1, &old);
        shownFrameTexture = 0;
    }
    shownFrameKept = false;
    if (windowWidth == 0 || windowHeight == 0)
        return;

    if (createWindowSizedBuffer(shownFrameBuffer, shownFrameStore))
        return;

    const bool anySize = glewReady && (GLEW_VERSION_2_0 || GLEW_ARB_texture_non_power_of_two);
    const int width = anySize ? windowWidth : static_cast<int>(padding::nextPowerOfTwo(windowWidth));
    const int height = anySize ? windowHeight : static_cast<int>(padding::nextPowerOfTwo(windowHeight));
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (width > largest || height > largest)
        return; // grabScreen then reads the back buffer as it is
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    shownFrameTexture = name;
    shownTextureWidth = width;
    shownTextureHeight = height;
}

bool OpenGLDrawer::createWindowSizedBuffer(uint32_t& framebufferName, uint32_t& store)
{
    if (!glewReady || !GLEW_EXT_framebuffer_object || !GLEW_EXT_framebuffer_blit)
        return false;
    GLuint buffer = 0;
    GLuint colour = 0;
    glGenFramebuffersEXT(1, &buffer);
    glGenRenderbuffersEXT(1, &colour);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, colour);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_RGBA8, windowWidth, windowHeight);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, buffer);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, colour);
    const bool complete = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    if (!complete) {
        glDeleteFramebuffersEXT(1, &buffer);
        glDeleteRenderbuffersEXT(1, &colour);
        return false;
    }
    framebufferName = buffer;
    store = colour;
    return true;
}

void OpenGLDrawer::keepShownFrame()
{
    // Copies on the graphics side: no read-back, no stall.
    if (shownFrameBuffer != 0) {
        glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, 0);
        glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, shownFrameBuffer);
        glBlitFramebufferEXT(0, 0, windowWidth, windowHeight, 0, 0, windowWidth, windowHeight, GL_COLOR_BUFFER_BIT,
                             GL_NEAREST);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        shownFrameKept = true;
    } else if (shownFrameTexture != 0) {
        glBindTexture(GL_TEXTURE_2D, shownFrameTexture);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, windowWidth, windowHeight);
        glBindTexture(GL_TEXTURE_2D, 0);
        shownFrameKept = true;
    }
}

uint8_t* OpenGLDrawer::grabScreen()
{
    const std::size_t rowBytes = static_cast<std::size_t>(windowWidth) * 3;
    auto* pixels = new uint8_t[rowBytes * windowHeight]();
    if (!contextReady)
        return pixels;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!frameShown || (!drawnSinceSwap && backKeptAfterSwap)) {
        // Nothing shown yet: what has been drawn so far. Or the shown frame,
        // still in the back buffer: whoever grabs once is likely to grab
        // again while a frame is being drawn, so keep copies from now on,
        // starting with this one.
        glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        if (frameShown && !copyEveryFrame) {
            copyEveryFrame = true;
            keepShownFrame();
        }
        return pixels;
    }
    if (!shownFrameKept) {
        // No copy could be kept: the back buffer as it is.
        glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        return pixels;
    }
    // The frame that endFrame showed, rows from the bottom up like the window.
    if (shownFrameBuffer != 0) {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, shownFrameBuffer);
        glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        return pixels;
    }
    const std::size_t textureRowBytes = static_cast<std::size_t>(shownTextureWidth) * 3;
    std::vector<uint8_t> copy(textureRowBytes * static_cast<std::size_t>(shownTextureHeight));
    glBindTexture(GL_TEXTURE_2D, shownFrameTexture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, copy.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    for (std::size_t row = 0; row < windowHeight; ++row)
        std::memcpy(pixels + row * rowBytes, copy.data() + row * textureRowBytes, rowBytes);
    return pixels;
}

void OpenGLDrawer::translate(float dx, float dy)
{
    if (contextReady)
        glTranslatef(dx, dy, 0.0f);
}

void OpenGLDrawer::setViewport(int16_t x, int16_t y, int16_t w, int16_t h)
{
    if (!contextReady)
        return;
    const PixelRect rect = subViewport(letterbox, getWidth(), getHeight(), x, y, w, h);
    glViewport(rect.x, rect.y, rect.width, rect.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, w, h, 0.0);
    glMatrixMode(GL_MODELVIEW);
}

void OpenGLDrawer::resetViewport()
{
    if (!contextReady)
        return;
    const PixelRect box = truncated(letterbox);
    glViewport(box.x, box.y, box.width, box.height);
    applyProjection(getWidth(), getHeight(), 0.0f);
}

int OpenGLDrawer::getViewportWidth() { return truncated(letterbox).width; }
int OpenGLDrawer::getViewportHeight() { return truncated(letterbox).height; }
int OpenGLDrawer::getViewportX() { return truncated(letterbox).x; }
int OpenGLDrawer::getViewportY() { return truncated(letterbox).y; }
