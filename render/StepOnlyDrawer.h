#pragma once
#include "render/Drawer.h"

// The drawer of a step that is run but not shown (FramePacer.h, rule 2).
// Textures, fonts, polygons, shaders and glyphs are made by the real drawer
// and kept there, so a screen whose first step goes here still finds them on
// its first shown frame; the lasting state (blend mode, shader program,
// viewport, off-screen target) is passed on too, so the next shown step
// starts from the same state as if every step had been drawn. Nothing
// reaches the frame: the drawing operations do nothing, and neither does
// the per-frame state (translate, second texture), which the next
// beginFrame and endFrame reset.
class StepOnlyDrawer : public Drawer {
public:
    explicit StepOnlyDrawer(Drawer& shown);

    Drawer& resourceHolder() override { return shown.resourceHolder(); }

    bool initDisplay(uint16_t, uint16_t, bool, int) override { return false; }
    void resizeDisplay(uint16_t, uint16_t) override {}
    uint32_t createTexture(uint8_t* pixels, uint32_t width, uint32_t height) override;
    void deleteTexture(uint32_t key) override;
    int createPolygon(const float* points, int count) override;
    uint32_t loadShader(const std::string& vertexFile, const std::string& fragmentFile) override;
    bool hasShaders() override;
    int loadFont(const std::string& fileName, float pointSize) override;
    void beginFrame() override {}
    void endFrame() override {}
    uint8_t* grabScreen() override { return shown.grabScreen(); }
    void useShader(uint32_t program, float param) override;
    void setSecondTexture(uint32_t) override {}
    void setBlendMode(int mode) override;
    void drawTexture(uint32_t, float, float, float, float, float, float, float, float) override {}
    void drawTextureTransformed(uint32_t, float, float, float, float, float, float, float, float, float, float,
                                float) override
    {
    }
    void drawTextureRegion(uint32_t, float, float, float, float, float, float, float, float, float, float, float,
                           float) override
    {
    }
    void drawPolygon(int, uint32_t, float, float, float, float, float, float, float, float) override {}
    void drawText(const std::string&, int, float, float, float, float, float, float, float, float) override {}
    void drawGlyphText(const std::string&, float, float, float, float, float, float, float) override {}
    void drawLine(float, float, float, float, float, float, float, float) override {}
    void fillRect(float, float, float, float, uint8_t, uint8_t, uint8_t, uint8_t) override {}
    void fillGradientRect(float, float, float, float, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t,
                          uint8_t) override
    {
    }
    void translate(float, float) override {}
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
    // Nothing is drawn here, so a still needs no drawing either.
    uint32_t keepStill() override { return 0; }
    bool drawStill(uint32_t) override { return true; }

private:
    Drawer& shown;
};
