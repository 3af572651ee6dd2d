#include "render/OpenGLDrawer.h"
#include "data/Pictures.h"
#include "game/ImageLoader.h"
#include "render/FontSystem.h"
#include "render/OpenGLFont.h"
#include "render/TexturePadding.h"
#include <GL/glew.h>
#include <GL/glu.h>
#include <SDL/SDL.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sys/stat.h>

namespace {

constexpr int depthBits = 16;
constexpr float lineHalfWidth = 4.0f;       // logical units each side of a line
constexpr GLsizei offscreenWidth = 1280;    // pixels, whatever the window
constexpr GLsizei offscreenHeight = 720;

void say(const std::string& line)
{
    std::cout << line << std::endl;
}

void setAttribute(SDL_GLattr attribute, int value, const char* failure)
{
    if (SDL_GL_SetAttribute(attribute, value) < 0)
        say(failure);
}

GLint filterFor(bool linear)
{
    return linear ? GL_LINEAR : GL_NEAREST;
}

void setActiveUnit(GLenum unit)
{
    if (glActiveTextureARB != nullptr)
        glActiveTextureARB(unit);
}

// A shader file as text: empty when unnamed, unreadable or not a regular file
// (a FIFO would block the game); cut at the first NUL.
std::string readShaderText(const std::string& fileName)
{
    struct stat info {};
    if (fileName.empty() || stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::string();
    std::ifstream file(fileName);
    if (!file)
        return std::string();
    file.seekg(0, std::ios::end);
    const std::streamoff length = file.tellg();
    file.seekg(0, std::ios::beg);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(length), '\0');
    file.read(text.data(), length);
    text.resize(static_cast<std::size_t>(file.gcount()));
    const auto nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    return text;
}

} // namespace

OpenGLDrawer::OpenGLDrawer(int16_t logicalWidth, int16_t logicalHeight)
    : Drawer(logicalWidth, logicalHeight), shader(ShaderEntryPoints::fallbacks())
{
    FontSystem::ensureStarted();
}

// The OpenGL objects end with the context; only our own records go here.
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
    if (sixteenBit) {
        say("OpenGLDrawer: Display is 16bit.");
        setAttribute(SDL_GL_RED_SIZE, 5, "OpenGLDrawer: Could not set red pixel size to 5...");
        setAttribute(SDL_GL_GREEN_SIZE, 5, "OpenGLDrawer: Could not set green pixel size to 5...");
        setAttribute(SDL_GL_BLUE_SIZE, 5, "OpenGLDrawer: Could not set blue pixel size to 5...");
    } else {
        say("OpenGLDrawer: Display is 32bit.");
        setAttribute(SDL_GL_RED_SIZE, 8, "OpenGLDrawer: Could not set red pixel size to 8...");
        setAttribute(SDL_GL_GREEN_SIZE, 8, "OpenGLDrawer: Could not set green pixel size to 8...");
        setAttribute(SDL_GL_BLUE_SIZE, 8, "OpenGLDrawer: Could not set blue pixel size to 8...");
        setAttribute(SDL_GL_ALPHA_SIZE, 8, "OpenGLDrawer: Could not set alpha pixel size to 8...");
    }
    setAttribute(SDL_GL_DEPTH_SIZE, depthBits, "OpenGLDrawer: Could not set depth size to 16...");
    setAttribute(SDL_GL_DOUBLEBUFFER, 1, "OpenGLDrawer: Could not set double buffering...");
    setAttribute(SDL_GL_SWAP_CONTROL, 1, "OpenGLDrawer: Could not set vertical sync...");
    if (samples > 0) {
        setAttribute(SDL_GL_MULTISAMPLEBUFFERS, 1, "OpenGLDrawer: Could not set multi sample buffers...");
        setAttribute(SDL_GL_MULTISAMPLESAMPLES, samples, "OpenGLDrawer: Could not set multi sample samples...");
    }

    Uint32 flags = SDL_OPENGL;
    if (fullScreen)
        flags |= SDL_FULLSCREEN;
    else
        setenv("SDL_VIDEO_CENTERED", "1", 1);
    if (SDL_SetVideoMode(windowWidth, windowHeight, 0, flags) == nullptr) {
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
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

void OpenGLDrawer::endFrame()
{
    if (contextReady) {
        keepShownFrame();
        SDL_GL_SwapBuffers();
    }
    secondTextureKey = 0;
}

void OpenGLDrawer::createShownFrameCopy()
{
    if (shownFrameTexture != 0) {
        const GLuint old = shownFrameTexture;
        glDeleteTextures(1, &old);
        shownFrameTexture = 0;
    }
    shownFrameKept = false;
    const bool anySize = GLEW_VERSION_2_0 || GLEW_ARB_texture_non_power_of_two;
    const int width = anySize ? windowWidth : static_cast<int>(padding::nextPowerOfTwo(windowWidth));
    const int height = anySize ? windowHeight : static_cast<int>(padding::nextPowerOfTwo(windowHeight));
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (windowWidth == 0 || windowHeight == 0 || width > largest || height > largest)
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

void OpenGLDrawer::keepShownFrame()
{
    if (shownFrameTexture == 0)
        return;
    // A copy on the graphics side: no read-back, no stall.
    glBindTexture(GL_TEXTURE_2D, shownFrameTexture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, windowWidth, windowHeight);
    glBindTexture(GL_TEXTURE_2D, 0);
    shownFrameKept = true;
}

uint8_t* OpenGLDrawer::grabScreen()
{
    const std::size_t rowBytes = static_cast<std::size_t>(windowWidth) * 3;
    auto* pixels = new uint8_t[rowBytes * windowHeight]();
    if (!contextReady)
        return pixels;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!shownFrameKept) {
        // Nothing shown yet: what has been drawn so far.
        glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        return pixels;
    }
    // The frame that endFrame showed, rows from the bottom up like the window.
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

// ---------------------------------------------------------------- textures

void OpenGLDrawer::setLinearFiltering(bool linear)
{
    linearFiltering = linear;
}

TextureRecord& OpenGLDrawer::textureRecord(uint32_t key)
{
    return textureTable.recordFor(key);
}

uint32_t OpenGLDrawer::createTexture(uint8_t* pixels, uint32_t width, uint32_t height)
{
    if (pixels == nullptr)
        return 0;
    if (!contextReady) {
        delete[] pixels;
        return 0;
    }
    const padding::PaddedPicture picture = padding::padTexture(pixels, width, height);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(picture.width),
                 static_cast<GLsizei>(picture.height), 0, GL_RGBA, GL_UNSIGNED_BYTE, picture.pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filterFor(linearFiltering));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filterFor(linearFiltering));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    delete[] picture.pixels;

    TextureRecord record;
    record.glName = name;
    record.width = static_cast<uint16_t>(width);
    record.height = static_cast<uint16_t>(height);
    record.uMax = picture.uMax;
    record.vMax = picture.vMax;
    return textureTable.add(record);
}

void OpenGLDrawer::deleteTexture(uint32_t key)
{
    TextureRecord removed;
    if (!textureTable.remove(key, &removed))
        return;
    if (contextReady && removed.glName != 0) {
        const GLuint name = removed.glName;
        glDeleteTextures(1, &name);
    }
}

void OpenGLDrawer::texCoordBoth(float s, float t)
{
    if (glMultiTexCoord2fARB != nullptr) {
        glMultiTexCoord2fARB(GL_TEXTURE0_ARB, s, t);
        glMultiTexCoord2fARB(GL_TEXTURE1_ARB, s, t);
    } else {
        glTexCoord2f(s, t);
    }
}

void OpenGLDrawer::bindMainAndSecond(const TextureRecord& record)
{
    setActiveUnit(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, record.glName);
    if (currentProgram != 0)
        shader.setIntUniform(baseLocation, 0);
    const TextureRecord* second = secondTextureKey != 0 ? textureTable.find(secondTextureKey) : nullptr;
    if (second != nullptr && glActiveTextureARB != nullptr) {
        setActiveUnit(GL_TEXTURE1_ARB);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, second->glName);
        if (currentProgram != 0)
            shader.setIntUniform(secondLocation, 1);
        setActiveUnit(GL_TEXTURE0_ARB);
    }
}

void OpenGLDrawer::releaseUnits()
{
    if (glActiveTextureARB != nullptr) {
        setActiveUnit(GL_TEXTURE1_ARB);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
        setActiveUnit(GL_TEXTURE0_ARB);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void OpenGLDrawer::drawTexture(uint32_t key, float x, float y, float scaleX, float scaleY,
                               float r, float g, float b, float a)
{
    const TextureRecord* record = textureTable.find(key);
    if (!contextReady || record == nullptr)
        return;
    const float w = record->width * scaleX;
    const float h = record->height * scaleY;
    bindMainAndSecond(*record);
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    texCoordBoth(0.0f, 0.0f);
    glVertex2f(x, y);
    texCoordBoth(record->uMax, 0.0f);
    glVertex2f(x + w, y);
    texCoordBoth(record->uMax, record->vMax);
    glVertex2f(x + w, y + h);
    texCoordBoth(0.0f, record->vMax);
    glVertex2f(x, y + h);
    glEnd();
    releaseUnits();
}

void OpenGLDrawer::drawTextureTransformed(uint32_t key, float x, float y, float angle, float pivotX, float pivotY,
                                          float scaleX, float scaleY, float r, float g, float b, float a)
{
    const TextureRecord* record = textureTable.find(key);
    if (!contextReady || record == nullptr)
        return;
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glScalef(scaleX, scaleY, 1.0f);
    glTranslatef(pivotX, pivotY, 0.0f);
    glRotatef(angle, 0.0f, 0.0f, 1.0f);
    glTranslatef(-pivotX, -pivotY, 0.0f);
    glBindTexture(GL_TEXTURE_2D, record->glName);
    glColor4f(r, g, b, a);
    const float w = record->width;
    const float h = record->height;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(record->uMax, 0.0f);
    glVertex2f(w, 0.0f);
    glTexCoord2f(record->uMax, record->vMax);
    glVertex2f(w, h);
    glTexCoord2f(0.0f, record->vMax);
    glVertex2f(0.0f, h);
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
}

void OpenGLDrawer::drawTextureRegion(uint32_t key, float x, float y, float s0, float t0, float sw, float th,
                                     float scaleX, float scaleY, float r, float g, float b, float a)
{
    const TextureRecord* record = textureTable.find(key);
    if (!contextReady || record == nullptr)
        return;
    const float w = record->width * sw * scaleX;
    const float h = record->height * th * scaleY;
    const float left = record->uMax * s0;
    const float top = t0 * record->vMax;
    const float right = left + sw * record->uMax;
    const float bottom = top + th * record->vMax;
    bindMainAndSecond(*record);
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    texCoordBoth(left, top);
    glVertex2f(x, y);
    texCoordBoth(right, top);
    glVertex2f(x + w, y);
    texCoordBoth(right, bottom);
    glVertex2f(x + w, y + h);
    texCoordBoth(left, bottom);
    glVertex2f(x, y + h);
    glEnd();
    releaseUnits();
}

void OpenGLDrawer::fillRect(float x, float y, float w, float h, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    fillGradientRect(x, y, w, h, r, g, b, a, r, g, b, a);
}

void OpenGLDrawer::fillGradientRect(float x, float y, float w, float h,
                                    uint8_t r1, uint8_t g1, uint8_t b1, uint8_t a1,
                                    uint8_t r2, uint8_t g2, uint8_t b2, uint8_t a2)
{
    if (!contextReady)
        return;
    glBindTexture(GL_TEXTURE_2D, 0);
    glBegin(GL_QUADS);
    glColor4ub(r1, g1, b1, a1);
    glVertex2f(x, y);
    glVertex2f(x + w, y);
    glColor4ub(r2, g2, b2, a2);
    glVertex2f(x + w, y + h);
    glVertex2f(x, y + h);
    glEnd();
}

void OpenGLDrawer::drawLine(float x1, float y1, float x2, float y2, float r, float g, float b, float a)
{
    const TextureRecord* record = textureTable.find(lineTextureKey);
    if (!contextReady || record == nullptr)
        return;
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float length = std::sqrt(dx * dx + dy * dy);
    // A point has no direction to widen across.
    if (!(length > 0.0f) || !std::isfinite(length))
        return;
    const float nx = -dy / length * lineHalfWidth;
    const float ny = dx / length * lineHalfWidth;
    glBindTexture(GL_TEXTURE_2D, record->glName);
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x1 + nx, y1 + ny);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(x2 + nx, y2 + ny);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(x2 - nx, y2 - ny);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(x1 - nx, y1 - ny);
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void OpenGLDrawer::setBlendMode(int mode)
{
    if (!contextReady)
        return;
    GLenum source = GL_SRC_ALPHA;
    GLenum destination = GL_ONE_MINUS_SRC_ALPHA;
    GLenum equation = GL_FUNC_ADD_EXT;
    switch (mode) {
    case 0:
        break;
    case 1:
        destination = GL_ONE;
        break;
    case 2:
        // destination × (source − source alpha): darkens where the source is
        // darker than its own alpha.
        source = GL_DST_COLOR;
        destination = GL_SRC_ALPHA;
        equation = GL_FUNC_SUBTRACT_EXT;
        break;
    default:
        return;
    }
    glBlendFunc(source, destination);
    if (glBlendEquationEXT != nullptr)
        glBlendEquationEXT(equation);
}

// ---------------------------------------------------------------- polygons

int OpenGLDrawer::createPolygon(const float* points, int count)
{
    polygons.push_back(PolygonRecord::fromPoints(points, count));
    return static_cast<int>(polygons.size()) - 1;
}

const PolygonRecord* OpenGLDrawer::polygon(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= polygons.size())
        return nullptr;
    return &polygons[static_cast<std::size_t>(index)];
}

void OpenGLDrawer::drawPolygon(int index, uint32_t key, float x, float y, float scaleX, float scaleY,
                               float r, float g, float b, float a)
{
    const TextureRecord* record = textureTable.find(key);
    const PolygonRecord* shape = polygon(index);
    if (!contextReady || record == nullptr || shape == nullptr || shape->count < 2)
        return;
    setActiveUnit(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    bindMainAndSecond(*record);
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glScalef(scaleX, scaleY, 1.0f);
    glColor4f(r, g, b, a);
    const bool multi = glMultiTexCoord2fARB != nullptr;
    auto vertex = [&](int entry, float s1, float t1) {
        const auto i = static_cast<std::size_t>(entry);
        if (multi) {
            glMultiTexCoord2fARB(GL_TEXTURE0_ARB, shape->u[i], shape->v[i]);
            glMultiTexCoord2fARB(GL_TEXTURE1_ARB, s1, t1);
        } else {
            glTexCoord2f(shape->u[i], shape->v[i]);
        }
        glVertex2f(shape->x[i], shape->y[i]);
    };
    const int n = shape->count;
    glBegin(GL_TRIANGLES);
    for (int i = 1; i < n; ++i) {
        const int next = i + 1 < n ? i + 1 : 1; // the fan closes on the first point
        vertex(0, 0.5f, 1.0f);
        vertex(i, 0.0f, 0.0f);
        vertex(next, 1.0f, 0.0f);
    }
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPopMatrix();
    releaseUnits();
}

// ---------------------------------------------------------------- shaders

bool OpenGLDrawer::hasShaders()
{
    return shaderSupport && contextReady;
}

bool OpenGLDrawer::canSupport(int feature)
{
    if (feature == 0) {
        const bool available = glewReady && ShaderEntryPoints::glewHasShaders();
        std::cout << "canSupport(Shaders) => " << (available ? 1 : 0) << std::endl;
        return available;
    }
    if (feature == 1) {
        std::cout << "canSupport(FrameBuffer) => " << 1 << std::endl;
        return true;
    }
    return false;
}

uint32_t OpenGLDrawer::loadShader(const std::string& vertexFile, const std::string& fragmentFile)
{
    if (!hasShaders())
        return 0;
    const uint32_t vertexShader = shader.createShaderObject(GL_VERTEX_SHADER_ARB);
    const uint32_t fragmentShader = shader.createShaderObject(GL_FRAGMENT_SHADER_ARB);
    const std::string vertexText = readShaderText(vertexFile);
    const std::string fragmentText = readShaderText(fragmentFile);
    shader.shaderSource(vertexShader, vertexText.c_str());
    shader.shaderSource(fragmentShader, fragmentText.c_str());
    shader.compileShader(vertexShader);
    shader.compileShader(fragmentShader);
    const uint32_t program = shader.createProgramObject();
    shader.attachObject(program, vertexShader);
    shader.attachObject(program, fragmentShader);
    shader.linkProgram(program);
    say("OpenGLDrawer Shader InfoLog:");
    say("----------------------------");
    say(vertexFile + ":");
    say(fragmentFile + ":");
    baseLocation = shader.getUniformLocation(program, "base");
    secondLocation = shader.getUniformLocation(program, "second");
    paramLocation = shader.getUniformLocation(program, "shaderParam");
    return program;
}

void OpenGLDrawer::useShader(uint32_t program, float param)
{
    if (!contextReady)
        return;
    shader.useProgramObject(program);
    currentProgram = shaderSupport ? program : 0;
    // Uniforms belong to a program; with none current there is nothing to set.
    if (currentProgram != 0)
        shader.setFloatUniform(paramLocation, param);
}

void OpenGLDrawer::setSecondTexture(uint32_t key)
{
    secondTextureKey = key;
}

void OpenGLDrawer::createOffscreenBuffer()
{
    // Without the framebuffer extension there is no buffer and no key.
    if (glGenFramebuffersEXT == nullptr || glGenRenderbuffersEXT == nullptr) {
        framebufferReady = false;
        offscreenTextureKey = 0;
        return;
    }
    GLuint fbo = 0;
    glGenFramebuffersEXT(1, &fbo);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    GLuint depth = 0;
    glGenRenderbuffersEXT(1, &depth);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depth);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, offscreenWidth, offscreenHeight);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depth);
    GLuint colour = 0;
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, offscreenWidth, offscreenHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, colour, 0);

    TextureRecord record;
    record.glName = colour;
    record.width = static_cast<uint16_t>(offscreenWidth);
    record.height = static_cast<uint16_t>(offscreenHeight);
    record.uMax = 1.0f;
    record.vMax = 1.0f;
    offscreenTextureKey = textureTable.add(record);
    framebuffer = fbo;
    depthBuffer = depth;
    framebufferReady = true;

    if (glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT)
        say("Uh oh.");
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void OpenGLDrawer::beginOffscreen()
{
    if (!contextReady || !framebufferReady)
        return;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, getWidth(), getHeight());
    gluOrtho2D(0.0, getWidth(), 0.0, getHeight());
    glMatrixMode(GL_MODELVIEW);
}

void OpenGLDrawer::endOffscreen()
{
    if (!contextReady)
        return;
    if (framebufferReady) {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        glDrawBuffer(GL_BACK);
    }
    resetViewport();
}

uint32_t OpenGLDrawer::getOffscreenTexture()
{
    return offscreenTextureKey;
}

// ---------------------------------------------------------------- text

void OpenGLDrawer::createGlyphPlaceholders()
{
    uint8_t white[glyphfont::placeholderSize * glyphfont::placeholderSize * 4];
    std::memset(white, 255, sizeof white);
    for (TextureRecord& slot : glyphSlots) {
        if (slot.glName != 0) {
            const GLuint old = slot.glName;
            glDeleteTextures(1, &old);
        }
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, glyphfont::placeholderSize, glyphfont::placeholderSize, 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, white);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glBindTexture(GL_TEXTURE_2D, 0);
        slot = TextureRecord{name, glyphfont::placeholderSize, glyphfont::placeholderSize, 1.0f, 1.0f};
    }
}

const TextureRecord& OpenGLDrawer::glyphSlot(int slot) const
{
    static const TextureRecord none{};
    if (slot < 0 || slot >= glyphfont::slotCount)
        return none;
    return glyphSlots[static_cast<std::size_t>(slot)];
}

void OpenGLDrawer::setGlyph(int slot, uint8_t* pixels, uint32_t size)
{
    if (slot < 0 || slot >= glyphfont::slotCount || !contextReady) {
        delete[] pixels; // ours now, whatever happens
        return;
    }
    if (pixels == nullptr)
        return;
    if (!padding::isPowerOfTwo(size))
        glyphPaddingPixels = static_cast<int>(padding::nextPowerOfTwo(size) - size);
    const padding::PaddedPicture picture = padding::padGlyph(pixels, size);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(picture.width),
                 static_cast<GLsizei>(picture.height), 0, GL_RGBA, GL_UNSIGNED_BYTE, picture.pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filterFor(linearFiltering));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filterFor(linearFiltering));
    glBindTexture(GL_TEXTURE_2D, 0);
    TextureRecord& record = glyphSlots[static_cast<std::size_t>(slot)];
    if (record.glName != 0) {
        const GLuint old = record.glName;
        glDeleteTextures(1, &old);
    }
    record = TextureRecord{name, static_cast<uint16_t>(picture.width), static_cast<uint16_t>(picture.height),
                           1.0f, 1.0f};
    delete[] picture.pixels;
}

void OpenGLDrawer::drawGlyphText(const std::string& text, float x, float y, float size,
                                 float r, float g, float b, float a)
{
    if (!contextReady)
        return;
    const float step = glyphfont::step(size, glyphSlots[0].width, glyphPaddingPixels);
    for (const char c : text) {
        const int slot = glyphfont::slotFor(c);
        if (slot != glyphfont::noSlot) {
            glBindTexture(GL_TEXTURE_2D, glyphSlots[static_cast<std::size_t>(slot)].glName);
            glColor4f(r, g, b, a);
            glBegin(GL_QUADS);
            glTexCoord2f(0.0f, 0.0f);
            glVertex2f(x, y);
            glTexCoord2f(1.0f, 0.0f);
            glVertex2f(x + size, y);
            glTexCoord2f(1.0f, 1.0f);
            glVertex2f(x + size, y + size);
            glTexCoord2f(0.0f, 1.0f);
            glVertex2f(x, y + size);
            glEnd();
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
            glBindTexture(GL_TEXTURE_2D, 0);
        }
        x += step;
    }
}

int OpenGLDrawer::loadFont(const std::string& fileName, float pointSize)
{
    if (!contextReady)
        return 0;
    auto font = std::make_unique<OpenGLFont>(fileName, pointSize);
    if (!font->isLoaded())
        return 0;
    fonts.push_back(std::move(font));
    return static_cast<int>(fonts.size());
}

void OpenGLDrawer::drawText(const std::string& text, int font, float x, float y, float width, float scale,
                            float r, float g, float b, float a)
{
    if (font == 0) {
        drawGlyphText(text, x, y, glyphfont::sizePerScale * scale, r, g, b, a);
        return;
    }
    if (!contextReady || font < 0 || static_cast<std::size_t>(font) > fonts.size())
        return;
    fonts[static_cast<std::size_t>(font) - 1]->draw(text, x, y, width, scale, r, g, b, a);
}
