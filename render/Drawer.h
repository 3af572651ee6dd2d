#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// One quad of a batch: its top-left corner on screen and the part of the
// texture's picture it shows (fractions of the picture, as in
// drawTextureRegion), drawn at the batch's scale.
struct TextureQuad {
    float x;
    float y;
    float s0;
    float t0;
    float sw;
    float th;
};

// A rectangle of the logical area (origin top left, y down).
struct ScreenArea {
    float x;
    float y;
    float width;
    float height;
};

// The one seam between the game and the graphics system. Coordinates are
// logical units of the fixed area given at construction (origin top left,
// y down); angles in degrees, positive clockwise on screen; colours as floats
// 0..1 except the rectangle fills (8-bit); texture key 0 means none; font 0 is
// the built-in glyph font. Pixel buffers handed over become the drawer's and
// are released with delete[].
class Drawer {
public:
    Drawer(int16_t logicalWidth, int16_t logicalHeight) : logicalWidth(logicalWidth), logicalHeight(logicalHeight) {}
    virtual ~Drawer() = default;

    Drawer(const Drawer&) = delete;
    Drawer& operator=(const Drawer&) = delete;

    virtual bool initDisplay(uint16_t width, uint16_t height, bool fullScreen, int samples) = 0;
    virtual void resizeDisplay(uint16_t width, uint16_t height) = 0;
    virtual uint32_t createTexture(uint8_t* pixels, uint32_t width, uint32_t height) = 0;
    virtual void deleteTexture(uint32_t key) = 0;
    virtual int createPolygon(const float* points, int count) = 0;
    virtual uint32_t loadShader(const std::string& vertexFile, const std::string& fragmentFile);
    virtual bool hasShaders();
    virtual int loadFont(const std::string& fileName, float pointSize) = 0;
    virtual void beginFrame() = 0;
    virtual void endFrame() = 0;
    virtual uint8_t* grabScreen() = 0;
    virtual void useShader(uint32_t program, float param);
    virtual void setSecondTexture(uint32_t key);
    virtual void setBlendMode(int mode);
    virtual void drawTexture(uint32_t key, float x, float y, float scaleX, float scaleY,
                             float r, float g, float b, float a) = 0;
    virtual void drawTextureTransformed(uint32_t key, float x, float y, float angle, float pivotX, float pivotY,
                                        float scaleX, float scaleY, float r, float g, float b, float a) = 0;
    virtual void drawTextureRegion(uint32_t key, float x, float y, float s0, float t0, float sw, float th,
                                   float scaleX, float scaleY, float r, float g, float b, float a) = 0;
    virtual void drawPolygon(int polygon, uint32_t key, float x, float y, float scaleX, float scaleY,
                             float r, float g, float b, float a) = 0;
    virtual void drawText(const std::string& text, int font, float x, float y, float width, float scale,
                          float r, float g, float b, float a) = 0;
    virtual void drawGlyphText(const std::string& text, float x, float y, float size,
                               float r, float g, float b, float a) = 0;
    // Text over a dark rim `outlineWidth` logical pixels wide all round, of
    // opacity `outlineAlpha`, readable over pale and dark alike. By default
    // the rim is eight dark copies of the text, shifted to the eight sides.
    virtual void drawOutlinedText(const std::string& text, int font, float x, float y, float width, float scale,
                                  float r, float g, float b, float outlineWidth, float outlineAlpha);
    virtual void drawLine(float x1, float y1, float x2, float y2, float r, float g, float b, float a) = 0;
    virtual void fillRect(float x, float y, float w, float h, uint8_t r, uint8_t g, uint8_t b, uint8_t a) = 0;
    virtual void fillGradientRect(float x, float y, float w, float h,
                                  uint8_t r1, uint8_t g1, uint8_t b1, uint8_t a1,
                                  uint8_t r2, uint8_t g2, uint8_t b2, uint8_t a2) = 0;
    virtual void translate(float dx, float dy) = 0;
    virtual void setViewport(int16_t x, int16_t y, int16_t w, int16_t h) = 0;
    virtual void resetViewport() = 0;
    virtual int getViewportWidth() = 0;
    virtual int getViewportHeight() = 0;
    virtual int getViewportX() = 0;
    virtual int getViewportY() = 0;
    virtual void beginOffscreen();
    virtual void endOffscreen();
    virtual uint32_t getOffscreenTexture();
    virtual bool canSupport(int feature);
    virtual void setGlyph(int slot, uint8_t* pixels, uint32_t size) = 0;

    // Stills: a layer that looks the same in every frame (a screen's sky and
    // grain) is drawn once, kept, and shown again in later frames at the cost
    // of a copy. keepStill keeps the whole frame as drawn so far and returns
    // its key, 0 when this drawer cannot keep stills. drawStill shows a kept
    // still over the whole frame; false, drawing nothing, when the key names
    // no still that fits the window now (never kept, or kept before a
    // resize): the caller then draws the layer itself and may keep it.
    virtual uint32_t keepStill();
    virtual bool drawStill(uint32_t still);
    // A kept still shown only in the given areas, for a frame whose other
    // parts the caller covers with opaque drawing before it ends: a
    // software rasteriser then fills those pixels once instead of twice. A
    // drawer may show more of the still. False, drawing nothing, as for
    // drawStill.
    virtual bool drawStillAreas(uint32_t still, const ScreenArea* areas, size_t count);

    // Many regions of one texture, untinted and in order, as drawTextureRegion
    // draws each; a drawer may do it in one go. Without `blended` every quad
    // is opaque wherever it shows, so blending would change nothing and may
    // be left out.
    virtual void drawTextureQuads(uint32_t key, const TextureQuad* quads, size_t count, float scaleX, float scaleY,
                                  bool blended);
    // Solid rectangles of one colour, given in the units of a picture drawn
    // by drawTextureTransformed with the same placement, turn and scale: the
    // lit texels of a one-bit pixel-art picture without the clear ones
    // around them, which a software rasteriser would still blend. Drawers
    // that cannot turn fills draw nothing.
    virtual void fillRectsTransformed(const ScreenArea* rects, size_t count, float x, float y, float angle,
                                      float pivotX, float pivotY, float scaleX, float scaleY, float r, float g,
                                      float b, float a);
    // Filtering of textures created from now on: linear, or nearest-texel to
    // keep pixel art crisp. Drawers that do not filter ignore it.
    virtual void setLinearFiltering(bool linear);

    int16_t getWidth() const { return logicalWidth; }
    int16_t getHeight() const { return logicalHeight; }

private:
    int16_t logicalWidth;
    int16_t logicalHeight;
};
