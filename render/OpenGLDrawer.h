#pragma once
#include "render/Drawer.h"
#include "render/GlyphFont.h"
#include "render/Letterbox.h"
#include "render/PolygonRecord.h"
#include "render/ShaderEntryPoints.h"
#include "render/TextureTable.h"
#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class OpenGLFont;

// The drawer on SDL 1.2 + OpenGL 1.1 immediate mode, with GLEW for the
// multitexture, blend-equation, shader-object and framebuffer extensions.
// Until a video mode is obtained there is no context, and every operation that
// would touch OpenGL does nothing.
class OpenGLDrawer : public Drawer {
public:
    OpenGLDrawer(int16_t logicalWidth, int16_t logicalHeight);
    ~OpenGLDrawer() override;

    bool initDisplay(uint16_t width, uint16_t height, bool fullScreen, int samples) override;
    void resizeDisplay(uint16_t width, uint16_t height) override;
    uint32_t createTexture(uint8_t* pixels, uint32_t width, uint32_t height) override;
    void deleteTexture(uint32_t key) override;
    int createPolygon(const float* points, int count) override;
    uint32_t loadShader(const std::string& vertexFile, const std::string& fragmentFile) override;
    bool hasShaders() override;
    int loadFont(const std::string& fileName, float pointSize) override;
    void beginFrame() override;
    void endFrame() override;
    uint8_t* grabScreen() override;
    void useShader(uint32_t program, float param) override;
    void setSecondTexture(uint32_t key) override;
    void setBlendMode(int mode) override;
    void drawTexture(uint32_t key, float x, float y, float scaleX, float scaleY,
                     float r, float g, float b, float a) override;
    void drawTextureTransformed(uint32_t key, float x, float y, float angle, float pivotX, float pivotY,
                                float scaleX, float scaleY, float r, float g, float b, float a) override;
    void drawTextureRegion(uint32_t key, float x, float y, float s0, float t0, float sw, float th,
                           float scaleX, float scaleY, float r, float g, float b, float a) override;
    void drawTextureQuads(uint32_t key, const TextureQuad* quads, size_t count, float scaleX, float scaleY,
                          bool blended) override;
    void fillRectsTransformed(const ScreenArea* rects, size_t count, float x, float y, float angle, float pivotX,
                              float pivotY, float scaleX, float scaleY, float r, float g, float b,
                              float a) override;
    void drawPolygon(int polygon, uint32_t key, float x, float y, float scaleX, float scaleY,
                     float r, float g, float b, float a) override;
    void drawText(const std::string& text, int font, float x, float y, float width, float scale,
                  float r, float g, float b, float a) override;
    void drawOutlinedText(const std::string& text, int font, float x, float y, float width, float scale, float r,
                          float g, float b, float outlineWidth, float outlineAlpha) override;
    void drawGlyphText(const std::string& text, float x, float y, float size,
                       float r, float g, float b, float a) override;
    void drawLine(float x1, float y1, float x2, float y2, float r, float g, float b, float a) override;
    void fillRect(float x, float y, float w, float h, uint8_t r, uint8_t g, uint8_t b, uint8_t a) override;
    void fillGradientRect(float x, float y, float w, float h,
                          uint8_t r1, uint8_t g1, uint8_t b1, uint8_t a1,
                          uint8_t r2, uint8_t g2, uint8_t b2, uint8_t a2) override;
    void translate(float dx, float dy) override;
    void setViewport(int16_t x, int16_t y, int16_t w, int16_t h) override;
    void resetViewport() override;
    int getViewportWidth() override;
    int getViewportHeight() override;
    int getViewportX() override;
    int getViewportY() override;
    void beginOffscreen() override;
    void endOffscreen() override;
    uint32_t getOffscreenTexture() override;
    bool canSupport(int feature) override;
    void setGlyph(int slot, uint8_t* pixels, uint32_t size) override;
    uint32_t keepStill() override;
    bool drawStill(uint32_t still) override;
    bool drawStillAreas(uint32_t still, const ScreenArea* areas, size_t count) override;

    void setLinearFiltering(bool linear) override;
    // The key's record; an all-zero one is inserted for an absent key.
    TextureRecord& textureRecord(uint32_t key);

    // Read-only views for checks.
    const TextureTable& textures() const { return textureTable; }
    const TextureRecord& glyphSlot(int slot) const;
    int glyphPadding() const { return glyphPaddingPixels; }
    const PolygonRecord* polygon(int index) const;
    int fontCount() const { return static_cast<int>(fonts.size()); }
    // True once a video mode (and so an OpenGL context) was obtained.
    bool hasContext() const { return contextReady; }
    // True while a copy of every frame is kept before its swap for
    // grabScreen: where the back buffer does not keep the shown frame, and
    // from the first grab on.
    bool copiesEveryFrame() const { return copyEveryFrame; }
    // Keeps such copies from now on, or stops them where the back buffer
    // keeps the shown frame (checks of both ways use it).
    void keepShownFrameCopies(bool keep);

private:
    void applyProjection(float right, float bottom, float top);
    void createGlyphPlaceholders();
    void createOffscreenBuffer();
    void setUpProjectionAndState();
    void createLineTexture();
    void bindMainAndSecond(const TextureRecord& record);
    void releaseUnits();
    void texCoordBoth(float s, float t);
    void createShownFrameCopy();
    void dropStills();
    // A framebuffer with a window-sized colour renderbuffer, where blits
    // between framebuffers exist; false (nothing made) otherwise.
    bool createWindowSizedBuffer(uint32_t& framebufferName, uint32_t& store);
    // The same with a window-sized texture as its colour, so that parts of
    // it can be drawn as quads; false (nothing made) where that fails.
    bool createWindowSizedTexture(uint32_t& framebufferName, uint32_t& texture);
    void keepShownFrame();
    bool probeBackBufferAfterSwap();

    uint16_t windowWidth = 1024;
    uint16_t windowHeight = 768;
    Letterbox letterbox{0.0f, 0.0f, 1024.0f, 768.0f};
    bool linearFiltering = true;
    bool shaderSupport = true;
    bool contextReady = false;
    bool glewReady = false;
    bool framebufferReady = false;

    TextureTable textureTable;
    std::array<TextureRecord, glyphfont::slotCount> glyphSlots{};
    int glyphPaddingPixels = 0;
    std::vector<PolygonRecord> polygons;
    std::vector<std::unique_ptr<OpenGLFont>> fonts;
    // Font files that failed once: asked for again at another size, they
    // are not tried again, so the reason is printed once.
    std::set<std::string> refusedFonts;

    ShaderEntryPoints shader;
    int baseLocation = 0;
    int secondLocation = 0;
    int paramLocation = 0;
    uint32_t currentProgram = 0;
    int currentBlendMode = 0; // as last set by setBlendMode: 0 mixes by alpha
    uint32_t secondTextureKey = 0;

    uint32_t framebuffer = 0;
    uint32_t depthBuffer = 0;
    uint32_t offscreenTextureKey = 0;
    uint32_t lineTextureKey = 0;

    // Whether the back buffer still holds the shown frame after a swap
    // (probed by initDisplay: true where swaps copy), whether a frame has
    // been shown, and whether the next one has begun.
    bool backKeptAfterSwap = false;
    bool frameShown = false;
    bool drawnSinceSwap = false;
    bool copyEveryFrame = true;
    // A copy of the last frame handed to the display, taken just before the
    // swap: elsewhere the back buffer's contents are undefined after a swap.
    // Made only where grabScreen needs it (see copiesEveryFrame).
    // Held in a framebuffer's colour renderbuffer (a blit on the graphics
    // side), else in a texture (a copy, where framebuffer blits are missing).
    // Kept stills by key, each a framebuffer with a window-sized colour
    // texture (else a renderbuffer, and then only shown whole); all dropped
    // when the window size changes. Keys only grow.
    struct StillBuffer {
        uint32_t framebuffer;
        uint32_t store;   // renderbuffer, 0 when the colour is a texture
        uint32_t texture; // 0 when the colour is a renderbuffer
    };
    std::map<uint32_t, StillBuffer> stills;
    uint32_t nextStillKey = 1;

    uint32_t shownFrameBuffer = 0;
    uint32_t shownFrameStore = 0;
    uint32_t shownFrameTexture = 0;
    int shownTextureWidth = 0;
    int shownTextureHeight = 0;
    bool shownFrameKept = false;
};
